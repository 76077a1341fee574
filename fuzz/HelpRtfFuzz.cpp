// libFuzzer target: a help topic's RTF as the help viewer reads it.
#include "FuzzFiles.h"
#include "views/HelpText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto paragraphs = sorami::ReadHelpRtf(sorami::fuzz::Input(data, size));
  // Every byte of text came from the input: the text is never longer than it.
  if (sorami::HelpPlainText(paragraphs).size() > size + 2 * paragraphs.size()) {
    sorami::fuzz::Broken();
  }
  return 0;
}
