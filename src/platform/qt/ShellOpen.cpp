#include <QProcess>
#include <QString>
#include <QStringList>

#include "platform/Codepage.h"
#include "platform/Shell.h"

namespace sorami {

namespace {

constexpr const char* kOpener = "xdg-open";

// The opener's exit status as the user's reason; xdg-open documents 1 to 4.
std::string OpenerFailure(int status) {
  switch (status) {
    case 2:
      return "ファイルがありません"_cp932;
    case 3:
      return "このファイルを開くプログラムがありません"_cp932;
    case 4:
      return "開くプログラムが失敗しました"_cp932;
    default:
      return "開けませんでした (xdg-open の終了コード "_cp932 + std::to_string(status) + ")";
  }
}

}  // namespace

// The desktop's own opener (xdg-open) picks the associated program, as the Windows shell
// does. It runs beside the caller, which learns from its exit status whether a program was
// found; the process object deletes itself once the opener has ended.
void ShellOpen(std::string_view target, ShellOpenDone done) {
  auto report = [done](bool opened, const std::string& why) {
    if (done) done(opened, why);
  };
  if (target.empty()) {
    report(false, "開くファイルがありません"_cp932);
    return;
  }
  const std::string utf8 = Cp932ToUtf8(target);
  auto* opener = new QProcess;
  opener->setProgram(QString::fromLatin1(kOpener));
  opener->setArguments({QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()))});
  // Its messages are for a terminal and it reads nothing; the status is what counts.
  opener->setStandardInputFile(QProcess::nullDevice());
  opener->setStandardOutputFile(QProcess::nullDevice());
  opener->setStandardErrorFile(QProcess::nullDevice());
  QObject::connect(opener, &QProcess::finished, opener,
                   [opener, report](int status, QProcess::ExitStatus how) {
                     if (how != QProcess::NormalExit) {
                       report(false, "開くプログラムが途中で終わりました"_cp932);
                     } else {
                       report(status == 0, status == 0 ? std::string() : OpenerFailure(status));
                     }
                     opener->deleteLater();
                   });
  QObject::connect(
      opener, &QProcess::errorOccurred, opener, [opener, report](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;  // finished() tells the rest
        report(false, std::string(kOpener) +
                          " が見つかりません (xdg-utils をインストールしてください)"_cp932);
        opener->deleteLater();
      });
  opener->start();
}

}  // namespace sorami
