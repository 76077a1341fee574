// Editing the body of the shown message: the box remembers which record the user typed
// into, and "変更(&U)" stores the box's text there. The record keeps CR LF line ends.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/DiagLog.h"
#include "store/MastStore.h"

namespace sorami {

class BodyEdit {
 public:
  // The text of the body box was changed by the user while `shown_record` was shown (-1:
  // none). Keys that change nothing (arrows, copying) are not a change.
  void Typed(int32_t shown_record) { edited_ = shown_record; }
  // Another record is shown in the box: what was typed for the earlier one is forgotten, so
  // "変更(&U)" can never store one message's text into another.
  void Shown(int32_t record) {
    if (record != edited_) edited_ = -1;
  }
  // The record typed into since the last store, or -1.
  int32_t edited() const { return edited_; }

  // "変更(&U)": stores the box text as the body of the record typed into and forgets it;
  // msg "本文変更完了". False, changing nothing, when nothing was typed since the last store
  // or the record no longer exists.
  bool Store(TArMastd& store, DiagLog& log, std::string_view box_text, std::string& msg);

 private:
  int32_t edited_ = -1;
};

// "改行コード変換": every "<BR>" (upper case, as written by the site) becomes CR LF.
std::string ConvertBrTags(std::string_view text);

}  // namespace sorami
