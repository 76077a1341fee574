#include "views/BodyEdit.h"

#include "base/MbText.h"
#include "platform/Codepage.h"

namespace sorami {

bool BodyEdit::Store(TArMastd& store, DiagLog& log, std::string_view box_text, std::string& msg) {
  if (edited_ < 0) return false;
  if (edited_ >= store.CtMaster()) {
    log.Log("ERROR " + std::to_string(edited_));
    edited_ = -1;
    return false;
  }
  store.Set(edited_, MastCol::kBody, BodyFromBox(box_text));
  msg = "本文変更完了"_cp932;
  edited_ = -1;
  return true;
}

std::string ConvertBrTags(std::string_view text) {
  std::string out(text);
  ReplaceAll("<BR>", "\r\n", out);
  return out;
}

}  // namespace sorami
