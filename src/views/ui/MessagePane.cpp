#include "views/ui/MessagePane.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>
#include <string>

#include "base/MbText.h"
#include "base/ui/QtText.h"
#include "views/History.h"

namespace sorami {

namespace {

// The header rows in order: caption label, its text, value label.
struct HeaderRow {
  const char* caption_name;
  QString caption;
  const char* value_name;
};

}  // namespace

MessagePane::MessagePane(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("PanelHonbun"));
  auto* panel_msg = new QWidget(this);
  panel_msg->setObjectName(QStringLiteral("PanelMsg"));
  auto* grid = new QGridLayout(panel_msg);
  grid->setContentsMargins(4, 2, 4, 2);
  grid->setVerticalSpacing(1);
  const HeaderRow rows[] = {
      {"LabelCapFrom", QStringLiteral("送信者"), "LabelFromID"},
      {"LabelCapTitle", QStringLiteral("表題"), "LabelTitle"},
      {"LabelCapTo", QStringLiteral("送信先"), "LabelToName"},
      {"Labelsoushin", QStringLiteral("送信時刻"), "LabelFromDate"},
      {"LabelCapUptime", QStringLiteral("確認時刻"), "LabelUptime"},
      {"LabelCapFolder", QStringLiteral("フォルダー"), "LabelFolder"},
      {"LabelCapCC", QStringLiteral("CC:"), "LabelCC"},
      {"LabelCapBcc", QStringLiteral("Bcc:"), "LabelBcc"},
  };
  int r = 0;
  for (const HeaderRow& row : rows) {
    auto* caption = new QLabel(row.caption, panel_msg);
    caption->setObjectName(QString::fromLatin1(row.caption_name));
    grid->addWidget(caption, r, 0);
    if (r == 3) cap_soushin_ = caption;
    auto* value = new QLabel(panel_msg);
    value->setObjectName(QString::fromLatin1(row.value_name));
    value->setTextFormat(Qt::PlainText);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(value, r, 1);
    values_.append(value);
    ++r;
  }
  QFont bold = values_.front()->font();
  bold.setBold(true);
  values_.front()->setFont(bold);  // the sender
  grid->setColumnStretch(1, 1);
  bt_tenpu_ = new QPushButton(QStringLiteral("添付ﾌｧｲﾙ"), panel_msg);
  bt_tenpu_->setObjectName(QStringLiteral("BtTenpu"));
  bt_tenpu_->hide();
  grid->addWidget(bt_tenpu_, 0, 2);

  memo_rich_ = new QTextEdit(this);
  memo_rich_->setObjectName(QStringLiteral("MemoRich"));
  memo_rich_->setAcceptRichText(false);
  memo_rich_->setLineWrapMode(QTextEdit::NoWrap);
  memo_rich_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo_rich_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(panel_msg);
  layout->addWidget(memo_rich_, 1);
}

void MessagePane::ShowRecord(const TArMastd& s, DiagLog& log, int32_t row) {
  const std::string values[] = {
      std::string(s.Get(row, MastCol::kSender)),
      std::string(s.Get(row, MastCol::kTitle)),
      SetToName(log, s.Get(row, MastCol::kTo), s.Get(row, MastCol::kToList)),
      std::string(s.Get(row, MastCol::kDate)),
      std::string(s.Get(row, MastCol::kReadDate)),
      std::string(s.Get(row, MastCol::kFolder)),
      std::string(s.Get(row, MastCol::kCc)),
      std::string(s.Get(row, MastCol::kBcc)),
  };
  for (qsizetype i = 0; i < values_.size(); ++i) values_[i]->setText(Qs(values[i]));
  memo_rich_->setPlainText(Qs(UnescapeField(s.Get(row, MastCol::kBody))));
  record_ = row;
}

void MessagePane::ShowUnicode(const UnicodeMail& mail) {
  values_[0]->setText(QString::fromStdString(mail.from));
  values_[1]->setText(QString::fromStdString(mail.subject));
  values_[2]->setText(QString::fromStdString(mail.to));
  values_[6]->setText(QString::fromStdString(mail.cc));
  memo_rich_->setPlainText(QString::fromStdString(mail.body));
}

void MessagePane::Clear() {
  for (QLabel* l : values_) l->clear();
}

void MessagePane::SetSentCaptionVisible(bool on) { cap_soushin_->setVisible(on); }

}  // namespace sorami
