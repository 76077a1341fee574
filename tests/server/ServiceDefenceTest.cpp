// The site service against hostile peers: sender-made file names, guessed message numbers,
// password guessing, a second server on a busy port, slow and crowding connections, and
// oversized or repeated claims.
#include <gtest/gtest.h>

#include "Names.h"
#include "World.h"

namespace sorami::sitetest {
namespace {

// A world with the default settings, for the tests that change none.
const World& Plain() {
  static const World world({});
  return world;
}

TEST(AttachmentName, ALeadByteWithoutItsSecondByteNeitherHidesNorSurvivesASeparator) {
  using site::CleanAttachmentName;
  EXPECT_EQ(CleanAttachmentName("\x81/..\x81/x"), "x");
  EXPECT_EQ(CleanAttachmentName("a\\\x9F\\..\\b.txt"), "b.txt");
  EXPECT_EQ(CleanAttachmentName("a\x81"
                                "1.txt"),
            "a_1.txt");  // a lone lead byte becomes "_"
  // A real double-byte character stays whole, also one whose second byte is "\" (ソ).
  EXPECT_EQ(CleanAttachmentName("C:\\d\\\x83\x5C\x95\x5C.txt"), "\x83\x5C\x95\x5C.txt");
}

TEST(ServePort, ASecondServerOnAPortInUseRefusesToStartAndTheFirstKeepsServing) {
  const World& first = Plain();
  test::ScratchDir dir;
  const std::string db = (dir / "other.db").string();
  ASSERT_EQ(RunServerCommand({"init", "--db", db}, dir.path()).exitCode, 0);
  CommandResult second =
      RunServerCommand({"serve", "--db", db, "--listen", first.address()}, dir.path(), 20);
  EXPECT_EQ(second.exitCode, 1) << second.out;
  EXPECT_NE(second.err.find("cannot listen on " + first.address() + ": the port is in use"),
            std::string::npos)
      << second.err;
  EXPECT_TRUE(first.Message({{"COMMAND", "GETHOST"}, {"TOSITE", Sj("広場")}}).ok);
}

}  // namespace
}  // namespace sorami::sitetest
