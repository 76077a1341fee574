// A line of the site-ID list read back field by field.
#include <gtest/gtest.h>

#include "store/SiteAccount.h"

namespace sorami {
namespace {

TEST(AccountRow, AFieldEndingInALeadByteKeepsTheFieldsAfterIt) {
  // 0xEB starts a double-byte character; here the nickname ends with it.
  const SiteAccount a = ParseAccountRow("site\tni\xEB\tpw\t2026/01/01 00:00:00\th:1\tsys\ton\t$k");
  EXPECT_EQ(a.nickname, "ni\xEB");
  EXPECT_EQ(a.password, "pw");
  EXPECT_EQ(a.dyn_key, "$k");
  EXPECT_TRUE(a.enabled);
  EXPECT_EQ(ParseAccountRow(AccountRowText(a)).nickname, a.nickname);
}

}  // namespace
}  // namespace sorami
