// Small routines of the mail side: identifiers for outgoing mail, number and address tests,
// temporary file names.
#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <string_view>

#include "mail/mime/MailDate.h"

namespace sorami {

// "<HKW." + the date as yyyy.mm.dd. + eight random letters a-t + "@" + domain + ">".
std::string MakeMessageId(std::string_view domain);
std::string MakeMessageId(std::string_view domain, MailDateTime now, std::mt19937& random);

// "--_VEX_bound_" followed by twelve random letters a-y.
std::string MakeBoundary();
std::string MakeBoundary(std::mt19937& random);

// Exactly four dot-separated decimal numbers, each 0-255.
bool IsIPAddress(std::string_view text);

// The n-th (from 1) blank-separated token of the trimmed text as a number; the default
// when there is no such token or it is not a number.
int TokenToInt(std::string_view text, int n, int default_value);

// A new unique file name in the system's temporary directory, starting with "vex". The
// file does not exist when the name is returned.
std::filesystem::path TempFileName();

}  // namespace sorami
