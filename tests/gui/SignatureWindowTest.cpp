// The signature window: "閉じる(&C)" saves, "キャンセル(&Q)" keeps the edit for the run only.
#include <gtest/gtest.h>

#include <QPlainTextEdit>

#include "compose/ui/TFormShomei.h"
#include "gui/GuiFixture.h"

namespace sorami::test {
namespace {

class SignatureWindowTest : public GuiFixture {};

TEST_F(SignatureWindowTest, CloseSavesAndCancelKeepsTheEditForTheRunOnly) {
  std::filesystem::create_directories(dir_ / "app" / "Data");
  WriteFileBytes(dir_ / "app" / "Data" / "Shomei.dat", J("旧署名\r\n"));
  Start();
  TFormShomei* w = windows->shomei.get();
  auto* memo = Find<QPlainTextEdit>(w, "MemoShomei");
  EXPECT_EQ(memo->toPlainText(), QStringLiteral("旧署名"));

  memo->setPlainText(QStringLiteral("仮の署名"));
  Action(w, "Q1")->trigger();
  EXPECT_EQ(w->Signature(), J("仮の署名"));  // what "署名付加" appends for the rest of the run
  EXPECT_EQ(ReadFileBytes(dir_ / "app" / "Data" / "Shomei.dat"), J("旧署名\r\n"));

  memo->setPlainText(QStringLiteral("新署名\n二行目"));
  Action(w, "Close1")->trigger();
  EXPECT_EQ(ReadFileBytes(dir_ / "app" / "Data" / "Shomei.dat"), J("新署名\r\n二行目\r\n"));
  EndRun();
  Start();
  EXPECT_EQ(windows->shomei->Signature(), J("新署名\n二行目"));
}

}  // namespace
}  // namespace sorami::test
