#include <gtest/gtest.h>

#include "base/MbText.h"
#include "platform/Codepage.h"
#include "store/StoreFixture.h"
#include "views/BodyEdit.h"

namespace sorami {
namespace {

class BodyEditTest : public test::StoreTest {
 protected:
  BodyEdit edit;
};

TEST_F(BodyEditTest, ARecordThatNoLongerExistsIsNotWritten) {
  Add("", "a", "受信箱", "old");
  edit.Typed(5);
  EXPECT_FALSE(edit.Store(st->store, st->log, "x", msg));
  EXPECT_EQ(edit.edited(), -1);
  EXPECT_EQ(st->store.Get(5, MastCol::kBody), "");
  EXPECT_EQ(st->store.CtMaster(), 1);
}

TEST_F(BodyEditTest, LineBreaksOfTheBoxBecomeCrLfAndBrTagsConvert) {
  EXPECT_EQ(BodyFromBox("a\nb\r\nc\rd\n"), "a\r\nb\r\nc\r\nd\r\n");
  EXPECT_EQ(BodyFromBox(""), "");
  // A double-byte character whose second byte is 0x5C stays whole.
  EXPECT_EQ(BodyFromBox(Utf8ToCp932("ソ\n表")), Utf8ToCp932("ソ\r\n表"));
  EXPECT_EQ(ConvertBrTags("one<BR>two<BR><BR>"), "one\r\ntwo\r\n\r\n");
  EXPECT_EQ(ConvertBrTags("<br>kept"), "<br>kept");
}

}  // namespace
}  // namespace sorami
