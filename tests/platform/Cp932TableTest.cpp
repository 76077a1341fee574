// The table conversion from code page 932 against iconv's, which the tables are made from.
#include <gtest/gtest.h>

#include <random>

#include "platform/iconv/Cp932Table.h"

namespace sorami::detail {
namespace {

TEST(Cp932Table, EveryOneAndTwoByteCodeConvertsAsIconvConvertsIt) {
  for (unsigned a = 0; a < 256; ++a) {
    const std::string one(1, static_cast<char>(a));
    ASSERT_EQ(Cp932ToUtf8ByTable(one), Cp932ToUtf8ByIconv(one)) << a;
    for (unsigned b = 0; b < 256; ++b) {
      const std::string two = one + static_cast<char>(b);
      ASSERT_EQ(Cp932ToUtf8ByTable(two), Cp932ToUtf8ByIconv(two)) << a << " " << b;
    }
  }
}

TEST(Cp932Table, TextsOfMixedValidAndBrokenBytesConvertAsIconvConvertsThem) {
  // Lead bytes before bytes that cannot follow them, before other lead bytes and at the end;
  // the user-defined area; characters iconv takes from the vendors' rows.
  std::mt19937 random(7);
  const std::string bytes =
      std::string("\x81\x82\x83\x87\x9F\xE0\xEF\xF0\xF9\xFA\xFC\xFD\x80\xA0", 14) +
      "\x40\x5C\x7E\x7F\xA1\xDF\xFF" + "a\n";
  for (int round = 0; round < 20000; ++round) {
    std::string text(random() % 9, ' ');
    for (char& c : text) c = bytes[random() % bytes.size()];
    ASSERT_EQ(Cp932ToUtf8ByTable(text), Cp932ToUtf8ByIconv(text)) << round;
  }
  // A long text (a message body) takes a buffer of its own.
  std::string body(100000, ' ');
  for (char& c : body) c = bytes[random() % bytes.size()];
  EXPECT_EQ(Cp932ToUtf8ByTable(body), Cp932ToUtf8ByIconv(body));
}

}  // namespace
}  // namespace sorami::detail
