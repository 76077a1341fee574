// The request fields of a site send ("SENDWIN", "SENDSMTP") built from the outgoing record,
// and the address-list entry a successful send leaves behind.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "base/DiagLog.h"
#include "compose/Addresses.h"
#include "store/MastRecord.h"

namespace sorami {

using OutRecord = std::array<std::string, TArMastData::kColumns>;

// Appends the 17 fields every site send carries, "NAME=value", in the service's order: the
// command, the to-list, the recipient and sender columns of the record, and the password.
void SetStrList(DiagLog& log, const OutRecord& record, std::string_view command,
                std::string_view tolist, std::string_view password,
                std::vector<std::string>& fields);

// Adds "(noname)" with the To text (separators made half-width) and the relation (empty for
// a message without site recipients) to the address list, unless an entry has that address.
// Returns whether it added one.
bool SaveSoushinList(DiagLog& log, std::vector<AddressEntry>& entries, bool site_flag,
                     std::string to, std::string relation);

}  // namespace sorami
