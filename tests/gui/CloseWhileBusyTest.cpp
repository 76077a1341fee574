// Closing the main window while a site request waits for its answer.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include "gui/GuiFixture.h"
#include "site/SendHttp.h"
#include "store/Folders.h"

namespace sorami::test {
namespace {

class CloseWhileBusyTest : public GuiFixture {};

TEST_F(CloseWhileBusyTest, TheCloseWaitsForTheRequestThenSavesWhatItBrought) {
  PresetMaster("");
  StartAndShow();
  bool ended = false;
  QObject::connect(main, &TFormMain::closed, [&] { ended = true; });
  {
    BusyGuard request(st->busy);  // a fetch waits for its answer
    main->close();
    EXPECT_FALSE(ended);
    EXPECT_TRUE(main->isVisible());
    // The answer arrives: its message is stored while the close waits.
    std::array<std::string_view, 25> cols{};
    cols[3] = "fetched during the close";
    cols[13] = FolderName(Folder::kInbox);
    st->store.Append(cols);
  }
  QElapsedTimer t;
  t.start();
  while (!ended && t.elapsed() < 3000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  ASSERT_TRUE(ended);
  EXPECT_NE(ReadFileBytes(MasterDat()).find("fetched during the close"), std::string::npos);
}

}  // namespace
}  // namespace sorami::test
