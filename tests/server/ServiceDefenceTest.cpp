// The site service against hostile peers: sender-made file names, guessed message numbers,
// password guessing, a second server on a busy port, slow and crowding connections, and
// oversized or repeated claims.
#include <gtest/gtest.h>

#include <regex>

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

Reply Download(const World& w, const std::string& file, const std::string& user,
               const std::string& number) {
  return Request(w.address(), "WbTenpu.exe", "FILE=" + file + "&TOUSER=" + user + "&TONO=" + number,
                 "");
}

// An outsider knows hanako's system user and the file name, not the message number.
TEST(MessageNumbers, AreTwentyRandomDigitsThatCountingDoesNotFind) {
  const World& w = Plain();
  ASSERT_TRUE(
      w.Upload(w.SendFields(kTaro, {"はなこ%広場,たろう%広場"}), {{"C:\\a.txt", "secret"}}).ok);
  const auto hanako = w.Drain(kHanako), taro = w.Drain(kTaro);
  ASSERT_EQ(hanako.size(), 1u);
  ASSERT_EQ(taro.size(), 1u);
  const std::string number = hanako[0][5];
  EXPECT_TRUE(std::regex_match(number, std::regex("[0-9]{20}"))) << number;
  EXPECT_NE(number, taro[0][5]);
  EXPECT_EQ(Download(w, "a.txt", "hiroba", number).body, "secret");
  for (int n = 0; n < 50; ++n) {
    EXPECT_EQ(Download(w, "a.txt", "hiroba", std::to_string(n)).httpStatus, 404) << n;
  }
}

TEST(MessageNumbers, OpenAttachmentsOnlyForTheLifetimeAfterTheFirstFetch) {
  const World w({"--attachment-lifetime", "0"});
  ASSERT_TRUE(w.Upload(w.SendFields(kTaro, {}), {{"C:\\a.txt", "secret"}}).ok);
  const auto lines = w.Drain(kHanako);
  ASSERT_EQ(lines.size(), 1u);
  Reply late = Download(w, "a.txt", "hiroba", lines[0][5]);
  EXPECT_EQ(late.httpStatus, 404);
  EXPECT_NE(late.body, "secret");
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
