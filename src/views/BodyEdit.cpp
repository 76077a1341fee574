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

std::string BodyFromBox(std::string_view box_text) {
  std::string out;
  out.reserve(box_text.size() + box_text.size() / 16);
  for (size_t i = 0; i < box_text.size(); ++i) {
    const char c = box_text[i];
    if (c == '\r' || c == '\n') {
      out += "\r\n";
      if (c == '\r' && i + 1 < box_text.size() && box_text[i + 1] == '\n') ++i;
    } else {
      out += c;
    }
  }
  return out;
}

std::string ConvertBrTags(std::string_view text) {
  std::string out(text);
  ReplaceAll("<BR>", "\r\n", out);
  return out;
}

}  // namespace sorami
