// Read receipts given to the sender's host, deposited with the directory server, collected.
#include <gtest/gtest.h>

#include "World.h"

namespace sorami::sitetest {
namespace {

class Receipts : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { world = &SharedWorld(); }
  void SetUp() override {
    for (const Account* a : {&kHanako, &kTaro, &kJiro}) {
      Drain(*world, *a);
      world->Message(GetFeedbackFields(*a, world->address()));
    }
  }
  // Sends a message from `from` to hanako and returns the line hanako fetches.
  static std::vector<std::string> Delivered(const Account& from) {
    Reply r =
        world->Message(SendFields(from, world->address(), {"はなこ%広場", "", "", "t", "b", ""}));
    EXPECT_TRUE(r.ok) << Utf(r.status);
    auto lines = Drain(*world, kHanako);
    return lines.size() == 1 ? lines[0] : std::vector<std::string>(23);
  }
  static Reply Collect(const Account& a) {
    return world->Message(GetFeedbackFields(a, world->address()));
  }
  static World* world;
};
World* Receipts::world = nullptr;

TEST_F(Receipts, AReceiptReachesTheSenderOnceWithTheMessagesDate) {
  std::vector<std::string> line = Delivered(kTaro);
  Reply given = world->Message(FeedbackFields(kHanako, world->address(), line));
  ASSERT_TRUE(given.ok) << Utf(given.status);
  // The reader's client parses the value once more: its first line is a status line.
  ASSERT_FALSE(given.lines.empty());
  EXPECT_TRUE(ReadReply(200, given.lines[0]).ok) << Utf(given.lines[0]);

  Reply collected = Collect(kTaro);
  ASSERT_TRUE(collected.ok);
  ASSERT_EQ(collected.lines.size(), 1u);
  std::vector<std::string> f = SplitTabs(collected.lines[0]);
  ASSERT_EQ(f.size(), 4u);
  EXPECT_FALSE(f[0].starts_with("SYS"));
  EXPECT_EQ(f[1], line[4]);
  EXPECT_TRUE(IsDateTime(f[2])) << f[2];
  EXPECT_EQ(f[3], "FEEDBACK");
  EXPECT_TRUE(Collect(kTaro).lines.empty());
  EXPECT_TRUE(Collect(kHanako).lines.empty());  // receipts go to the sender only
}

TEST_F(Receipts, AReceiptForAMessageNeverDeliveredIsRefused) {
  std::vector<std::string> line = Delivered(kTaro);
  std::vector<std::string> otherDate = line;
  otherDate[4] = "1999/01/01 00:00:00";
  std::vector<std::string> unknownSender = line;
  unknownSender[6] = Sj("だれか");
  Account notTheReader = kJiro;  // jiro never got this message
  for (const Fields& f : {FeedbackFields(kHanako, world->address(), otherDate),
                          FeedbackFields(kHanako, world->address(), unknownSender),
                          FeedbackFields(notTheReader, world->address(), line)}) {
    Reply r = world->Message(f);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.status.empty());
  }
  EXPECT_TRUE(Collect(kTaro).lines.empty());
  EXPECT_FALSE(Collect({"広場", "たろう", "wrong", "hiroba"}).ok);
}

TEST_F(Receipts, ADepositedReceiptIsCollectedLikeADirectOne) {
  std::vector<std::string> line = Delivered(kJiro);
  ASSERT_EQ(line[18], "DYN$bekkan");
  Fields deposit = FeedbackFields(kHanako, world->address(), line);
  deposit.push_back({"OPTION", "AZUKARI"});
  deposit.push_back({"DYNAMIC", line[18]});
  Reply r = world->Message(deposit);
  ASSERT_TRUE(r.ok) << Utf(r.status);
  ASSERT_FALSE(r.lines.empty());
  EXPECT_TRUE(ReadReply(200, r.lines[0]).ok);

  Reply collected = Collect(kJiro);
  ASSERT_EQ(collected.lines.size(), 1u);
  EXPECT_EQ(SplitTabs(collected.lines[0])[1], line[4]);
}

TEST_F(Receipts, DepositsNeedTheSendersOwnKeyAndOnlyTakeReceipts) {
  std::vector<std::string> fromTaro = Delivered(kTaro);
  std::vector<std::string> fromJiro = Delivered(kJiro);
  auto deposit = [](const std::vector<std::string>& line, const std::string& key) {
    Fields f = FeedbackFields(kHanako, world->address(), line);
    f.push_back({"OPTION", "AZUKARI"});
    f.push_back({"DYNAMIC", key});
    return f;
  };
  Fields notAReceipt = SendFields(kHanako, world->address(), {"たろう%広場", "", "", "t", "b", ""});
  notAReceipt.push_back({"OPTION", "AZUKARI"});
  notAReceipt.push_back({"DYNAMIC", "DYN$bekkan"});
  for (const Fields& f : {deposit(fromTaro, "DYN$bekkan"),  // a key of another site
                          deposit(fromJiro, "XYZ$bekkan"),  // the right key name, wrong prefix
                          deposit(fromJiro, ""), notAReceipt}) {
    EXPECT_FALSE(world->Message(f).ok);
  }
  EXPECT_TRUE(Collect(kTaro).lines.empty());
  EXPECT_TRUE(Collect(kJiro).lines.empty());
  EXPECT_TRUE(Drain(*world, kTaro).empty());
}

}  // namespace
}  // namespace sorami::sitetest
