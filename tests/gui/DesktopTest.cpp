// The window program on a Linux desktop: Qt's own dialogs in Japanese, a caption that names no
// other system, and an attachment no program opens reported instead of nothing happening.
#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTranslator>
#include <filesystem>

#include "attach/ui/TFormTenpu.h"
#include "base/ui/QtJapanese.h"
#include "gui/GuiFixture.h"

namespace sorami::test {
namespace {

QString CancelText() {
  QDialogButtonBox box(QDialogButtonBox::Cancel);
  return box.button(QDialogButtonBox::Cancel)->text();
}

TEST(QtJapaneseTest, StandardButtonsAndTheFileDialogSpeakJapaneseOnceLoaded) {
  // scripts/setup installs Qt's translations and the package depends on them: a missing file
  // is a broken machine, not a reason to skip.
  ASSERT_TRUE(QFileInfo::exists(QtJapaneseFile()))
      << qPrintable(QtJapaneseFile()) << " missing: qt6-translations-l10n is not installed";
  ASSERT_EQ(CancelText(), QStringLiteral("Cancel"));  // Qt's own texts before the loading
  QTranslator japanese;
  ASSERT_TRUE(InstallQtJapanese(japanese));
  EXPECT_EQ(CancelText(), QStringLiteral("キャンセル"));
  QFileDialog dialog;
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  auto* look_in = dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"));
  ASSERT_NE(look_in, nullptr);
  EXPECT_EQ(look_in->text(), QStringLiteral("アドレス:"));  // "Look in:"
}

class DesktopTest : public GuiFixture {
 protected:
  ~DesktopTest() override { qputenv("PATH", path_); }
  // A stand-in for the desktop's opener, first on PATH: it notes its argument and ends with
  // xdg-open's status 3 (no program for this kind of file).
  void FakeOpener() {
    const auto bin = dir_ / "bin";
    std::filesystem::create_directories(bin);
    WriteFileBytes(bin / "xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > '" +
                                         (dir_ / "opened").string() + "'\nexit 3\n");
    std::filesystem::permissions(bin / "xdg-open", std::filesystem::perms::owner_all);
    qputenv("PATH", QByteArray::fromStdString(bin.string()) + ':' + path_);
  }
  // "実行(&J)" on the selected row, then what the window told when the opener ended.
  QString OpenAlert(TFormTenpu* window) {
    QString alerted;
    window->hooks.alert = [&](const QString& text) { alerted = text; };
    Action(window, "J1")->trigger();
    WaitFor([&] { return !alerted.isEmpty(); }, 60000);
    return alerted;
  }
  const QByteArray path_ = qgetenv("PATH");
};

TEST_F(DesktopTest, TheCaptionNamesNoOtherSystemAndAnOpenerFailureIsReportedInTheWindow) {
  FakeOpener();
  StartAndShow();  // the caption gets its version when shown
  EXPECT_TRUE(main->windowTitle().startsWith(QStringLiteral("ソラミメッセージ  (Ver ")))
      << qPrintable(main->windowTitle());
  EXPECT_FALSE(main->windowTitle().contains(QStringLiteral("Windows")));
  TFormTenpu* window = windows->tenpu.get();
  const auto file = dir_ / "メモ.txt";
  WriteFileBytes(file, "memo");
  window->SetTenpuFile(file);
  Find<QTreeWidget>(window, "LViewTenpu")->topLevelItem(0)->setSelected(true);
  const QString alerted = OpenAlert(window);
  EXPECT_EQ(alerted,
            QStringLiteral("「メモ.txt」を開けません : このファイルを開くプログラムがありません"));
  EXPECT_EQ(window->StatusText(), alerted);
  EXPECT_EQ(ReadFileBytes(dir_ / "opened"), file.string());  // the path reached the opener whole
  qputenv("PATH", QByteArray::fromStdString((dir_ / "empty").string()));
  EXPECT_TRUE(OpenAlert(window).contains(QStringLiteral("xdg-open が見つかりません")));
}

}  // namespace
}  // namespace sorami::test
