// The message list's pop-up items on a mail file: its source in a window of its own, and the
// file saved under a name the user chooses.
#include <QDialog>
#include <QFileDialog>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "base/ui/Named.h"
#include "base/ui/QtText.h"
#include "platform/AtomicFile.h"
#include "platform/Codepage.h"
#include "views/ui/MessageBrowser.h"
#include "views/ui/MessageListModel.h"

namespace sorami {

namespace {

// The source as text: its bytes read as UTF-8 where they are (headers and UTF-8 bodies), a
// byte of another code shown as U+FFFD.
QString SourceText(const std::string& bytes) { return QString::fromUtf8(bytes); }

}  // namespace

void MessageBrowser::ShowSource() {
  const std::optional<int32_t> row = ClickedRecord();
  if (!row || !hooks.mail_file) return;
  const std::string bytes = hooks.mail_file(*row);
  if (!source_) {
    auto* dialog = new QDialog(list_panel_->window());
    dialog->setObjectName(QStringLiteral("FormSource"));
    dialog->setWindowTitle(QStringLiteral("ソース"));
    dialog->resize(640, 480);
    auto* text = new QPlainTextEdit(dialog);
    text->setObjectName(QStringLiteral("MemoSource"));
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(text);
    source_ = dialog;
  }
  source_->findChild<QPlainTextEdit*>(QStringLiteral("MemoSource"))
      ->setPlainText(SourceText(bytes));
  source_->show();
  source_->raise();
}

void MessageBrowser::SaveMailClick() {
  const std::optional<int32_t> row = ClickedRecord();
  if (!row || !hooks.mail_file) return;
  const QString name = QString::fromStdString(Cp932ToUtf8(store_.Get(*row, MastCol::kTitle)))
                           .replace(QLatin1Char('/'), QLatin1Char('_'));
  const QString file = QFileDialog::getSaveFileName(
      list_panel_->window(), QStringLiteral("名前を付けて保存"),
      (name.isEmpty() ? QStringLiteral("mail") : name) + QStringLiteral(".eml"),
      QStringLiteral("メール (*.eml)"));
  if (file.isEmpty()) return;
  SaveMailAs(std::filesystem::path(file.toStdString()));
}

bool MessageBrowser::SaveMailAs(const std::filesystem::path& file) {
  const std::optional<int32_t> row = ClickedRecord();
  if (!row || !hooks.mail_file) return false;
  if (!WriteFileAtomic(file, hooks.mail_file(*row))) {
    SetStatus(Qs("保存失敗 : "_cp932 + PathText(file)));
    return false;
  }
  SetStatus(Qs("保存完了 : "_cp932 + PathText(file)));
  return true;
}

}  // namespace sorami
