#include "shell/ui/FontConfigAhead.h"

#include <fontconfig/fontconfig.h>

namespace sorami {

// The load sets the process's current configuration, the one Qt's font database takes; two
// loads at once both succeed, and one of them is kept.
FontConfigAhead::FontConfigAhead() : loader_([] { FcInit(); }) {}

FontConfigAhead::~FontConfigAhead() { Wait(); }

void FontConfigAhead::Wait() {
  if (loader_.joinable()) loader_.join();
}

}  // namespace sorami
