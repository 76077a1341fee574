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

TEST_F(BodyEditTest, StoresOnlyAfterTypingAndOnlyOnce) {
  const int32_t a = Add("", "a", "受信箱", "old");
  EXPECT_FALSE(edit.Store(st->store, st->log, "nothing typed", msg));
  EXPECT_EQ(st->store.Get(a, MastCol::kBody), "old");
  EXPECT_EQ(msg, "");

  edit.Typed(a);
  ASSERT_TRUE(edit.Store(st->store, st->log, Utf8ToCp932("一行目\n二行目"), msg));
  EXPECT_EQ(Cp932ToUtf8(st->store.Get(a, MastCol::kBody)), "一行目\r\n二行目");
  EXPECT_EQ(Cp932ToUtf8(msg), "本文変更完了");
  EXPECT_EQ(edit.edited(), -1);

  // Storing again without typing leaves the record alone.
  EXPECT_FALSE(edit.Store(st->store, st->log, "other", msg));
  EXPECT_EQ(Cp932ToUtf8(st->store.Get(a, MastCol::kBody)), "一行目\r\n二行目");
}

TEST_F(BodyEditTest, ShowingAnotherRecordForgetsWhatWasTyped) {
  const int32_t a = Add("", "a", "受信箱", "text of a");
  const int32_t b = Add("", "b", "受信箱", "text of b");
  edit.Typed(a);
  edit.Shown(a);  // shown again: the typing stays
  EXPECT_EQ(edit.edited(), a);
  edit.Shown(b);
  EXPECT_FALSE(edit.Store(st->store, st->log, "text of b", msg));
  EXPECT_EQ(st->store.Get(a, MastCol::kBody), "text of a");
  EXPECT_EQ(st->store.Get(b, MastCol::kBody), "text of b");
}

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
