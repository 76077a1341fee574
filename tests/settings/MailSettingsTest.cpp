// The port and security boxes of the mail page as plain values.
#include <gtest/gtest.h>

#include "settings/MailSettings.h"

namespace sorami {
namespace {

TEST(MailSettings, PortTextsAndNumbers) {
  EXPECT_EQ(PortNumber("587"), 587);
  EXPECT_EQ(PortNumber(" 2525 "), 2525);
  for (const char* bad : {"", "0", "65536", "25a", "-25", "２５"})
    EXPECT_EQ(PortNumber(bad), 0) << bad;

  // A typed port wins over the index; an index outside the list shows the first entry.
  EXPECT_EQ(PortBoxText(2, "", SmtpPortList()), "587");
  EXPECT_EQ(PortBoxText(2, "2525", SmtpPortList()), "2525");
  EXPECT_EQ(PortBoxText(7, "", PopPortList()), "110");
  long index = 1;
  std::string typed = "old";
  SetPortBox(" 25 ", SmtpPortList(), index, typed);
  EXPECT_EQ(index, 0);
  EXPECT_EQ(typed, "");
  SetPortBox("2525", SmtpPortList(), index, typed);
  EXPECT_EQ(index, 0);  // kept, as the box keeps its last selection
  EXPECT_EQ(typed, "2525");
}

}  // namespace
}  // namespace sorami
