// The site service against hostile peers: sender-made file names, guessed message numbers,
// password guessing, a second server on a busy port, slow and crowding connections, and
// oversized or repeated claims.
#include <gtest/gtest.h>

#include "Names.h"
#include "World.h"

namespace sorami::sitetest {
namespace {

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

}  // namespace
}  // namespace sorami::sitetest
