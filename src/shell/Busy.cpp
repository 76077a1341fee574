#include "shell/Busy.h"

#include "platform/Codepage.h"

namespace sorami {

std::string BusyMessage() { return "他の通信が終わるまでお待ちください"_cp932; }

}  // namespace sorami
