// The window program on a Linux desktop: Qt's own dialogs in Japanese.
#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTranslator>

#include "base/ui/QtJapanese.h"

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

}  // namespace
}  // namespace sorami::test
