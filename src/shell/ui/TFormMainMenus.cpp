// The main menu. Commands whose features are not there yet are present and do nothing.
#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "base/ui/QtText.h"
#include "shell/ui/TFormMain.h"
#include "store/MasterFile.h"
#include "views/ui/MessageBrowser.h"

namespace sorami {

QAction* TFormMain::AddAction(QMenu* menu, const char* name, const QString& caption) {
  QAction* a = menu->addAction(caption);
  a->setObjectName(QString::fromLatin1(name));
  return a;
}

// A submenu (or a menu of the menu bar when parent is null); its action carries the name too,
// so that it can be shown and hidden like an item.
QMenu* TFormMain::AddMenu(QMenu* parent, const char* name, const QString& caption) {
  QMenu* m = parent ? parent->addMenu(caption) : menuBar()->addMenu(caption);
  m->setObjectName(QString::fromLatin1(name));
  m->menuAction()->setObjectName(QString::fromLatin1(name));
  return m;
}

void TFormMain::BuildMenus() {
  menuBar()->setObjectName(QStringLiteral("MainMenu1"));

  QMenu* file = AddMenu(nullptr, "F1", QStringLiteral("ファイル(&F)"));
  connect(AddAction(file, "S5", QStringLiteral("テキストファイルで保存(&S)")), &QAction::triggered,
          this, [this] { SaveMasterToStatus(true); });
  file->addSeparator();
  // Wired with the mail files (an mbox file out of a folder, into the inbox).
  AddAction(file, "MenuExport", QStringLiteral("エクスポート(&E)..."));
  AddAction(file, "MenuImport", QStringLiteral("インポート(&I)..."));
  file->addSeparator();
  connect(AddAction(file, "X1", QStringLiteral("終了(&X)")), &QAction::triggered, this,
          &QWidget::close);
  connect(AddAction(file, "C1", QStringLiteral("保存しないで終了(&C)")), &QAction::triggered, this,
          [this] {
            st_.save_on_exit = false;
            close();
          });

  QMenu* option = AddMenu(nullptr, "O1", QStringLiteral("オプション(&O)"));
  connect(AddAction(option, "S1", QStringLiteral("設定(&S)")), &QAction::triggered, this,
          &TFormMain::settingsRequested);
  notify_ = AddAction(option, "MenuNotify", QStringLiteral("新着通知(&N)"));
  notify_->setCheckable(true);

  QMenu* body = AddMenu(nullptr, "M1", QStringLiteral("本文(&M)"));
  connect(AddAction(body, "MenuUPD", QStringLiteral("変更(&U)")), &QAction::triggered, browser_,
          &MessageBrowser::MenuUPDClick);
  connect(AddAction(body, "E1", QStringLiteral("消去(&E)")), &QAction::triggered, browser_,
          &MessageBrowser::ClearBody);
  henkan_ = AddAction(body, "MenuHenkan", QStringLiteral("改行コード変換(&H)"));
  connect(henkan_, &QAction::triggered, browser_, &MessageBrowser::MenuHenkanClick);

  QMenu* sites = AddMenu(nullptr, "S3", QStringLiteral("サイト一覧(&S)"));
  AddAction(sites, "G1", QStringLiteral("取得(&G)"));

  QAction* select_all = menuBar()->addAction(QStringLiteral("リスト全選択(&A)"));
  select_all->setObjectName(QStringLiteral("A1"));
  connect(select_all, &QAction::triggered, browser_, &MessageBrowser::A1Click);

  QMenu* help = AddMenu(nullptr, "H1", QStringLiteral("ヘルプ(&H)"));
  connect(AddAction(help, "V1", QStringLiteral("バージョン情報(&V)")), &QAction::triggered, this,
          &TFormMain::versionRequested);
  QMenu* topics = AddMenu(help, "S4", QStringLiteral("操作説明(&S)"));
  // An item shows the topic named by its caption up to the first "("; the items of "設定(&S)"
  // show "設定(...)" topics.
  auto topic_item = [this](QMenu* menu, const char* name, const QString& caption,
                           const QString& topic) {
    connect(AddAction(menu, name, caption), &QAction::triggered, this,
            [this, topic] { ShowHelp(false, Sj(topic.section(QLatin1Char('('), 0, 0))); });
  };
  for (const auto& [name, caption] : {std::pair{"MenuGaiyou", QStringLiteral("概要")},
                                      {"N16", QStringLiteral("メイン画面")},
                                      {"N1", QStringLiteral("用語説明")},
                                      {"N13", QStringLiteral("カイロＩＤの設定")},
                                      {"N12", QStringLiteral("カイロＩＤの入力")},
                                      {"N14", QStringLiteral("メッセージ送信")},
                                      {"N15", QStringLiteral("メッセージ受信")},
                                      {"N19", QStringLiteral("宛先リスト")},
                                      {"N17", QStringLiteral("クレーム報告")},
                                      {"N18", QStringLiteral("サイト一覧")}}) {
    topic_item(topics, name, caption, caption);
  }
  QMenu* topic_settings = AddMenu(topics, "S6", QStringLiteral("設定(&S)"));
  for (const auto& [name, caption] : {std::pair{"N20", QStringLiteral("アカウント設定")},
                                      {"N21", QStringLiteral("メール")},
                                      {"N22", QStringLiteral("送受信ログ")},
                                      {"N23", QStringLiteral("フォルダ設定")}}) {
    connect(AddAction(topic_settings, name, caption), &QAction::triggered, this,
            [this, caption] { ShowHelp(false, Sj(QStringLiteral("設定(%1)").arg(caption))); });
  }

  QMenu* debug = AddMenu(nullptr, "B1", QStringLiteral("デバッグ(&B)"));
  debug_menu_ = debug->menuAction();
  connect(AddAction(debug, "L1", QStringLiteral("ログ(&L)")), &QAction::triggered, this,
          &TFormMain::logRequested);
  connect(AddAction(debug, "MastDispM1", QStringLiteral("MastDisp(&M)")), &QAction::triggered, this,
          [this] { MastDisp(st_.store, st_.log); });
  connect(AddAction(debug, "S2", QStringLiteral("上書保存(&S)")), &QAction::triggered, this,
          [this] { SaveMasterToStatus(false); });
  connect(AddAction(debug, "MasterReadR1", QStringLiteral("MasterRead(&R)")), &QAction::triggered,
          this, [this] {
            std::string msg;
            ReadMasterAndShow(msg);
            SetStatus(Qs(msg));
          });
  connect(AddAction(debug, "glixG1", QStringLiteral("glix(&G)")), &QAction::triggered, this,
          [this] { SetStatus(QStringLiteral("glix:%1").arg(browser_->glix())); });
  AddAction(debug, "FeedBackF1", QStringLiteral("FeedBack(&F)"));
}

void TFormMain::SaveMasterToStatus(bool plain_text) {
  std::string msg;
  if (plain_text) {
    SaveMasterAs(st_.master, st_.store, false, msg);
  } else {
    SaveMaster(st_.master, st_.store, msg);
  }
  SetStatus(Qs(msg));
}

}  // namespace sorami
