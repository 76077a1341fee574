// The attachment window: files dropped or chosen go to the send attachment list, deleting and
// clearing rows rebuild it, a shown message's files open or are saved from it, and the main
// window's attachment button and site list reach it.
#include <gtest/gtest.h>

#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimer>
#include <QUrl>

#include "attach/ui/TFormTenpu.h"
#include "gui/BrowseFixture.h"
#include "support/FakeHttp.h"
#include "views/ui/MessageBrowser.h"

namespace sorami::test {
namespace {

class TenpuWindowTest : public BrowseFixture {
 protected:
  TFormTenpu* Window() { return windows->tenpu.get(); }
  QTreeWidget* Rows() { return Find<QTreeWidget>(Window(), "LViewTenpu"); }
  std::vector<std::string> Captions() {
    std::vector<std::string> out;
    for (int i = 0; i < Rows()->topLevelItemCount(); ++i) {
      out.push_back(Rows()->topLevelItem(i)->text(0).toStdString());
    }
    return out;
  }
  std::string Local(const char* name) {
    WriteFileBytes(dir_ / name, name);
    return (dir_ / name).string();
  }
  void Pick(const std::string& path) {
    Window()->hooks.choose_open_file = [path] { return QString::fromStdString(path); };
    Find<QPushButton>(Window(), "BtRead")->click();
  }
  void Select(int row) {
    Rows()->clearSelection();
    Rows()->topLevelItem(row)->setSelected(true);
  }
  std::filesystem::path Attach() { return dir_ / "app" / "ATTACH"; }
  // The attachments of the only inbox row, through the main window's button; files the
  // window opens are recorded in `opened` instead.
  void ShowFirstRow() {
    ClickNode(FolderNode(Folder::kInbox));
    ClickRow(0);
    auto* bt = Find<QPushButton>(main, "BtTenpu");
    ASSERT_FALSE(bt->isHidden());
    bt->click();
    Window()->hooks.open_file = [this](const std::string& p, const ShellOpenDone&) {
      opened.push_back(p);
    };
  }
  std::vector<std::string> opened;
};

TEST_F(TenpuWindowTest, ADropOfThreeFilesAddsTheFirstOnly) {
  auto* mime = new QMimeData;
  const std::string first = Local("a.txt");
  mime->setUrls({QUrl::fromLocalFile(QString::fromStdString(first)),
                 QUrl::fromLocalFile(QString::fromStdString(Local("b.txt"))),
                 QUrl::fromLocalFile(QString::fromStdString(Local("c.txt")))});
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
  // Straight to the window: the application delivers a drop only during a real drag.
  static_cast<QObject*>(Window())->event(&drop);
  ASSERT_EQ(Captions(), std::vector<std::string>{"a.txt"});
  EXPECT_EQ(Rows()->topLevelItem(0)->text(1).toStdString(), first);
  EXPECT_EQ(st->site.send_attachments, std::vector<std::filesystem::path>{first});
  EXPECT_EQ(Window()->StatusText().toStdString(), first);
  delete mime;
}

TEST_F(TenpuWindowTest, DeletingARowRebuildsTheSendListInOrderAndClearAllEmptiesIt) {
  const std::string one = Local("one.txt"), two = Local("two.txt"), three = Local("three.txt");
  for (const std::string& p : {one, two, three}) Pick(p);
  EXPECT_EQ(st->site.send_attachments, (std::vector<std::filesystem::path>{one, two, three}));
  Select(1);
  Action(Window(), "E1")->trigger();  // the row goes, the send list stays
  EXPECT_EQ(Captions(), (std::vector<std::string>{"one.txt", "three.txt"}));
  EXPECT_EQ(st->site.send_attachments.size(), 3u);
  Pick(two);
  Select(0);
  Find<QPushButton>(Window(), "BtSakujo")->click();
  EXPECT_EQ(Captions(), (std::vector<std::string>{"three.txt", "two.txt"}));
  EXPECT_EQ(st->site.send_attachments, (std::vector<std::filesystem::path>{three, two}));
  EXPECT_TRUE(std::filesystem::exists(one));  // no file is deleted
  Find<QPushButton>(Window(), "Button1")->click();
  EXPECT_TRUE(Captions().empty());
  EXPECT_TRUE(st->site.send_attachments.empty());
}

TEST_F(TenpuWindowTest, AShownMessageOpensAndSavesItsFilesAndAMissingOneIsNotFound) {
  std::filesystem::create_directories(Attach());
  WriteFileBytes(Attach() / "doc.pdf", "pdf");
  WriteFileBytes(Attach() / "gone.txt", "soon gone");
  const int32_t r = Add({"with files"});
  st->store.Set(r, MastCol::kAttachments, "doc.pdf,gone.txt");
  ShowFirstRow();
  EXPECT_TRUE(Window()->isVisible());
  EXPECT_TRUE(Action(Window(), "MenuHozon")->isEnabled());
  EXPECT_FALSE(Find<QPushButton>(Window(), "BtRead")->isEnabled());
  EXPECT_EQ(Captions(), (std::vector<std::string>{"doc.pdf", "gone.txt"}));

  Select(0);
  Action(Window(), "J1")->trigger();
  EXPECT_EQ(opened, std::vector<std::string>{(Attach() / "doc.pdf").string()});
  std::filesystem::remove(Attach() / "gone.txt");
  Select(1);
  Action(Window(), "J1")->trigger();
  EXPECT_EQ(Window()->StatusText().toStdString(), "Not Found: " + (Attach() / "gone.txt").string());
  EXPECT_EQ(opened.size(), 1u);

  Select(0);
  QString preset;
  Window()->hooks.choose_save_file = [&](const QString& name) {
    preset = name;
    return QString::fromStdString((dir_ / "copy.pdf").string());
  };
  Action(Window(), "MenuHozon")->trigger();
  EXPECT_EQ(preset, QStringLiteral("doc.pdf"));
  EXPECT_EQ(ReadFileBytes(dir_ / "copy.pdf"), "pdf");
  EXPECT_EQ(Window()->StatusText(),
            QStringLiteral("保存完了:") + QString::fromStdString((dir_ / "copy.pdf").string()));
  Window()->close();
}

TEST_F(TenpuWindowTest, AShownMailListsTheNamesOfItsMailTenpuColumn) {
  std::filesystem::create_directories(Attach());
  WriteFileBytes(Attach() / "a_01.txt", "second a");
  const int32_t r = Add({"mail"});
  st->store.Set(r, MastCol::kCategory, MailCategory());
  st->store.Set(r, MastCol::kAttachments, "MailTenpu;a.txt; a_01.txt ;");
  ShowFirstRow();
  EXPECT_EQ(Captions(), (std::vector<std::string>{"a.txt", "a_01.txt"}));
  EXPECT_EQ(Rows()->topLevelItem(1)->text(1), QStringLiteral("メール"));
  Select(1);
  Action(Window(), "J1")->trigger();
  EXPECT_EQ(opened, std::vector<std::string>{(Attach() / "a_01.txt").string()});
}

TEST_F(TenpuWindowTest, ComposingShowsTheWindowModallyWithReadingOnAndSavingOff) {
  bool was_modal = false, read_on = false, save_on = true;
  QTimer::singleShot(0, Window(), [&] {
    was_modal = Window()->isModal();
    read_on = Find<QPushButton>(Window(), "BtRead")->isEnabled();
    save_on = Action(Window(), "MenuHozon")->isEnabled();
    Action(Window(), "Close1")->trigger();
  });
  Window()->ShowForCompose();  // returns once the window is closed
  EXPECT_TRUE(was_modal);
  EXPECT_TRUE(read_on);
  EXPECT_FALSE(save_on);
  EXPECT_FALSE(Window()->isVisible());
  EXPECT_FALSE(Window()->isModal());
}

TEST_F(TenpuWindowTest, TheSiteListFillsTheMessagePaneWithoutBecomingARecordsBody) {
  FakeHttp* http = UseFakeHttp(*st);
  st->cur.host = "site:9";
  const int32_t r = Add({"kept", "受信箱", "(未読)", "original body"});
  ClickNode(FolderNode(Folder::kInbox));
  ClickRow(0);
  http->Answer("x\tOK(PGM)\r\nA\r\nB");
  Action(main, "G1")->trigger();
  auto* memo = Find<QTextEdit>(main, "MemoRich");
  EXPECT_EQ(memo->toPlainText().remove(QLatin1Char('\r')), QStringLiteral("(公開サイト一覧)A\nB"));
  memo->append(QStringLiteral("typed"));
  Action(main, "MenuUPD")->trigger();
  EXPECT_EQ(Field(r, MastCol::kBody), "original body");

  http->Fail();
  Action(main, "G1")->trigger();
  EXPECT_EQ(memo->toPlainText().left(9), QStringLiteral("(公開サイト一覧)"));  // unchanged
}

}  // namespace
}  // namespace sorami::test
