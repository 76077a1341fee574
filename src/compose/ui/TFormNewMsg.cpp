#include "compose/ui/TFormNewMsg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTextEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "base/ui/Named.h"
#include "base/ui/QtText.h"
#include "compose/Addresses.h"

namespace sorami {

namespace {

constexpr std::string_view kSetting = "Setting";
constexpr std::string_view kToValue = "fmKrNew.EditAtesaki";

template <typename W>
W* Place(W* w, int x, int y, int width, int height) {
  w->setGeometry(x, y, width, height);
  return w;
}

}  // namespace

TFormNewMsg::TFormNewMsg(Registry& registry, DiagLog& log, QWidget* parent)
    : PersistedWindow(registry, log, "fmKrNew", kDesignGeometry, Persist::kGeometry, parent) {
  setWindowTitle(QStringLiteral("新規メッセージ作成"));
  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  auto* buttons = new QWidget(central);
  auto* row = new QHBoxLayout(buttons);
  row->setContentsMargins(2, 2, 2, 2);
  bt_send_ = Named(new QPushButton(QStringLiteral("送信(&S)"), buttons), "SpeedButton1");
  QFont bold = bt_send_->font();
  bold.setBold(true);
  bt_send_->setFont(bold);
  bt_soukou_ = Named(new QPushButton(QStringLiteral("草稿に保存"), buttons), "BtSoukou");
  bt_shousai_ = Named(new QPushButton(QStringLiteral("詳細"), buttons), "BtShousai");
  bt_shousai_->setCheckable(true);
  auto* shomei = Named(new QPushButton(QStringLiteral("署名付加"), buttons), "BtShomei");
  for (QWidget* w : {static_cast<QWidget*>(bt_send_), static_cast<QWidget*>(bt_soukou_),
                     static_cast<QWidget*>(bt_shousai_), static_cast<QWidget*>(shomei)}) {
    row->addWidget(w);
  }
  row->addStretch();
  column->addWidget(buttons);

  header_ = Named(new QWidget(central), "PanelHeader");
  BuildHeader(header_);
  header_->installEventFilter(this);
  column->addWidget(header_);
  memo_honbun_ = Named(new QTextEdit(central), "MemoHonbun");
  memo_honbun_->setAcceptRichText(false);
  // Long lines wrap at the window's edge on screen only: the text sent keeps its own lines.
  memo_honbun_->setLineWrapMode(QTextEdit::WidgetWidth);
  memo_honbun_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  column->addWidget(memo_honbun_, 1);
  setCentralWidget(central);
  status_ = Named(new QStatusBar(this), "StatusBar");
  setStatusBar(status_);
  BuildMenus();

  connect(bt_send_, &QPushButton::clicked, this, &TFormNewMsg::SpeedButton1Click);
  connect(bt_soukou_, &QPushButton::clicked, this, &TFormNewMsg::BtSoukouClick);
  connect(bt_shousai_, &QPushButton::clicked, this, &TFormNewMsg::BtShousaiClick);
  connect(shomei, &QPushButton::clicked, this, &TFormNewMsg::BtShomeiClick);
  connect(edit_atesaki_, &QLineEdit::textChanged, this, [this] { AtesakiChanged(); });
  connect(ck_auto_, &QCheckBox::clicked, this,
          [this] { combo_kankei_->setEnabled(!ck_auto_->isChecked()); });

  // The last To text comes back; the rest starts empty.
  edit_atesaki_->setText(Qs(registry_.Open(kCommonKey).ReadString(kSetting, kToValue, "")));
  ck_auto_->hide();
  memo_honbun_->clear();
  header_->setFixedHeight(kShortHeight);
  edit_cc_->setFocusPolicy(Qt::NoFocus);
  edit_bcc_->setFocusPolicy(Qt::NoFocus);
  TrackChanges();  // from here on, what changes is the user's message
}

void TFormNewMsg::BuildHeader(QWidget* h) {
  auto label = [h](const char* text, int x, int y) {
    return Place(new QLabel(QString::fromUtf8(text), h), x, y, 44, 18);
  };
  label("送信者", 4, 2);
  label_id_ = Named(Place(new QLabel(h), 50, 2, 130, 18), "LabelID");
  label("送信サイト", 186, 2)->setFixedWidth(64);
  label_site_ = Named(Place(new QLabel(h), 252, 2, 130, 18), "LabelSite");
  label_tenpu_ = Named(Place(new QLabel(h), 386, 2, 124, 18), "LabelTenpu");
  label_tenpu_->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
  label_tenpu_->hide();

  auto* to = Named(Place(new QPushButton(QStringLiteral("宛先"), h), 4, 20, 44, 20), "BtAtesaki");
  edit_atesaki_ = Named(Place(new QLineEdit(h), 50, 20, 260, 20), "EditAtesaki");
  label_kankei_ = Named(label("関係", 316, 21), "LabelKankei");
  combo_kankei_ = Named(Place(new QComboBox(h), 350, 20, 150, 20), "ComboKankei");
  label("表題", 4, 41);
  edit_title_ = Named(Place(new QLineEdit(h), 50, 40, 260, 20), "EditTitle");
  label_shu_ = Named(label("種別", 316, 41), "LabelShu");
  combo_shubetsu_ = Named(Place(new QComboBox(h), 350, 40, 150, 20), "ComboShubetsu");
  auto* cc = Named(Place(new QPushButton(QStringLiteral("CC:"), h), 4, 66, 44, 20), "BtCC");
  edit_cc_ = Named(Place(new QLineEdit(h), 50, 66, 260, 20), "EditCC");
  ck_auto_ =
      Named(Place(new QCheckBox(QStringLiteral("自動設定(関係)"), h), 316, 66, 180, 20), "CkAuto");
  auto* bcc = Named(Place(new QPushButton(QStringLiteral("Bcc:"), h), 4, 90, 44, 20), "BtBcc");
  edit_bcc_ = Named(Place(new QLineEdit(h), 50, 90, 260, 20), "EditBcc");
  edit_reply_to_ = Named(new QLineEdit(h), "EditReplyTo");
  edit_reply_to_->hide();

  for (const CodeName& r : RelationTable()) combo_kankei_->addItem(Qs(r.name));
  combo_kankei_->setCurrentIndex(2);  // "知人"
  for (const CodeName& c : CategoryTable()) combo_shubetsu_->addItem(Qs(c.name));
  combo_shubetsu_->setCurrentIndex(1);  // "一般連絡"

  connect(to, &QPushButton::clicked, this, [this] {
    if (hooks.pick) hooks.pick(Target::kTo);
  });
  connect(cc, &QPushButton::clicked, this, [this] {
    if (hooks.pick) hooks.pick(Target::kCc);
  });
  connect(bcc, &QPushButton::clicked, this, [this] {
    if (hooks.pick) hooks.pick(Target::kBcc);
  });
}

bool TFormNewMsg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == header_ && event->type() == QEvent::Resize) LayoutHeader();
  return PersistedWindow::eventFilter(watched, event);
}

void TFormNewMsg::LayoutHeader() {
  // At the design width (514) the boxes are 260 wide, as drawn; they never get narrower.
  constexpr int kLeft = 50, kRightPart = 204, kDesignBox = 260;
  const int box = std::max(kDesignBox, header_->width() - kLeft - kRightPart);
  const int right = kLeft + box;
  for (QLineEdit* e : {edit_atesaki_, edit_title_, edit_cc_, edit_bcc_}) {
    e->setGeometry(kLeft, e->y(), box, e->height());
  }
  label_kankei_->move(right + 6, label_kankei_->y());
  combo_kankei_->move(right + 40, combo_kankei_->y());
  label_shu_->move(right + 6, label_shu_->y());
  combo_shubetsu_->move(right + 40, combo_shubetsu_->y());
  ck_auto_->move(right + 6, ck_auto_->y());
  label_tenpu_->resize(std::max(124, header_->width() - label_tenpu_->x() - 4),
                       label_tenpu_->height());
}

void TFormNewMsg::BuildMenus() {
  QMenuBar* bar = menuBar();
  connect(Named(bar->addAction(QStringLiteral("閉じる(&C)")), "MenuClose"), &QAction::triggered,
          this, &QWidget::close);
  QMenu* option = Named(bar->addMenu(QStringLiteral("オプション(&O)")), "MenuOption");
  connect(Named(option->addAction(QStringLiteral("添付ファイル(&T)")), "MenuTenpu"),
          &QAction::triggered, this, &TFormNewMsg::TenpuClick);
  connect(Named(option->addAction(QStringLiteral("署名付加(&F)")), "MenuShomei"),
          &QAction::triggered, this, &TFormNewMsg::BtShomeiClick);
  connect(Named(option->addAction(QStringLiteral("署名編集(&S)")), "MenuShomeiHenshuu"),
          &QAction::triggered, this, [this] {
            if (hooks.edit_signature) hooks.edit_signature();
          });
  QMenu* clear = Named(bar->addMenu(QStringLiteral("消去(&L)")), "MenuShoukyo");
  connect(Named(clear->addAction(QStringLiteral("全消去(&A)")), "MenuZenShoukyo"),
          &QAction::triggered, this, [this] {
            for (QLineEdit* e : {edit_atesaki_, edit_title_, edit_cc_, edit_bcc_}) e->clear();
            memo_honbun_->clear();
            // Everything the message held goes, its files too: none reaches the next message.
            if (hooks.clear_attachments) hooks.clear_attachments();
            UpdateLabelTenpu();
          });
  connect(Named(clear->addAction(QStringLiteral("本文のみ(&H)")), "MenuHonbunShoukyo"),
          &QAction::triggered, memo_honbun_, &QTextEdit::clear);
  QMenu* edit = Named(bar->addMenu(QStringLiteral("編集(&E)")), "MenuHenshuu");
  connect(Named(edit->addAction(QStringLiteral("貼り付け(&P)")), "MenuPaste"), &QAction::triggered,
          memo_honbun_, &QTextEdit::paste);
  connect(Named(bar->addAction(QStringLiteral("ヘルプ(&H)")), "MenuHelp"), &QAction::triggered,
          this, [this] {
            if (hooks.show_help) hooks.show_help();
          });
}

}  // namespace sorami
