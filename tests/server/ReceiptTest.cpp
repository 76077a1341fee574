// Read receipts given to the sender's host, deposited with the directory server, collected.
#include <gtest/gtest.h>

#include "World.h"

namespace sorami::sitetest {
namespace {

class Receipts : public OnSharedWorld {
 protected:
  // Sends a message from `from` to hanako and returns the line hanako fetches.
  std::vector<std::string> Delivered(const Account& from) {
    Reply r =
        world->Message(SendFields(from, world->address(), {"はなこ%広場", "", "", "t", "b", ""}));
    EXPECT_TRUE(r.ok) << Utf(r.status);
    auto lines = Drain(*world, kHanako);
    return lines.size() == 1 ? lines[0] : std::vector<std::string>(23);
  }
  // hanako's receipt for the line, deposited with the directory under the dynamic key.
  Fields Deposit(const std::vector<std::string>& line, const std::string& key) {
    Fields f = FeedbackFields(kHanako, world->address(), line);
    f.insert(f.end(), {{"OPTION", "AZUKARI"}, {"DYNAMIC", key}});
    return f;
  }
  Reply Collect(const Account& a) { return world->Message(GetFeedbackFields(a, world->address())); }
};

TEST_F(Receipts, DirectAndDepositedOnesReachTheSenderOnceAndForgedOnesAreRefused) {
  const std::vector<std::string> fromTaro = Delivered(kTaro), fromJiro = Delivered(kJiro);
  ASSERT_EQ(fromJiro[18], "DYN$bekkan");  // the sender's dynamic key travels in field 19
  std::vector<std::string> otherDate = fromTaro, unknownSender = fromTaro;
  otherDate[4] = "1999/01/01 00:00:00";
  unknownSender[6] = Sj("だれか");
  Fields notAReceipt = SendFields(kHanako, world->address(), {"たろう%広場", "", "", "t", "b", ""});
  notAReceipt.insert(notAReceipt.end(), {{"OPTION", "AZUKARI"}, {"DYNAMIC", "DYN$bekkan"}});
  for (const Fields& f : {FeedbackFields(kHanako, world->address(), otherDate),
                          FeedbackFields(kHanako, world->address(), unknownSender),
                          FeedbackFields(kJiro, world->address(), fromTaro),  // not its reader
                          Deposit(fromTaro, "DYN$bekkan"),  // a key of another site
                          Deposit(fromJiro, "XYZ$bekkan"),  // the right key name, wrong prefix
                          Deposit(fromJiro, ""), notAReceipt}) {
    Reply r = world->Message(f);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.status.empty());
  }
  EXPECT_TRUE(Drain(*world, kTaro).empty());
  EXPECT_FALSE(Collect({"広場", "たろう", "wrong", "hiroba"}).ok);

  for (const Fields& f :
       {FeedbackFields(kHanako, world->address(), fromTaro), Deposit(fromJiro, fromJiro[18])}) {
    Reply given = world->Message(f);
    ASSERT_TRUE(given.ok) << Utf(given.status);
    // The reader's client parses the value once more: its first line is a status line.
    ASSERT_FALSE(given.lines.empty());
    EXPECT_TRUE(ReadReply(200, given.lines[0]).ok) << Utf(given.lines[0]);
  }
  for (const auto& [sender, line] : {std::pair{kTaro, fromTaro}, std::pair{kJiro, fromJiro}}) {
    Reply collected = Collect(sender);
    ASSERT_TRUE(collected.ok);
    ASSERT_EQ(collected.lines.size(), 1u) << sender.nick;  // none from the refused ones
    const std::vector<std::string> f = SplitTabs(collected.lines[0]);
    ASSERT_EQ(f.size(), 4u);
    EXPECT_FALSE(f[0].starts_with("SYS"));
    EXPECT_EQ(f[1], line[4]);
    EXPECT_TRUE(IsDateTime(f[2])) << f[2];
    EXPECT_EQ(f[3], "FEEDBACK");
    EXPECT_TRUE(Collect(sender).lines.empty());
  }
  EXPECT_TRUE(Collect(kHanako).lines.empty());  // receipts go to the sender only
}

}  // namespace
}  // namespace sorami::sitetest
