// The originals a receive writes reach the disk together: each is appended to the receive's pack
// unsynced, and this one call makes them all durable before the store that lists their mails is
// saved. The next original put after it starts a new pack.
#pragma once

#include <string>

#include "store/Originals.h"

namespace sorami {

// False, with the reason, when the originals could not be made durable: the store must then
// not be saved as holding their mails.
bool SyncOriginals(const Originals& originals, std::string& why);

}  // namespace sorami
