// Dates of mail: the date-time value kept with a message (days since 1899-12-30 and the
// fraction of the day, local time), the Date header written on send and read on receive.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace sorami {

// A local date and time as a count of days since 1899-12-30 (the fraction is the time).
using MailDateTime = double;

MailDateTime EncodeMailDateTime(int year, int month, int day, int hour, int minute, int second);
void DecodeMailDateTime(MailDateTime value, int& year, int& month, int& day, int& hour, int& minute,
                        int& second);
// The local time of a moment.
MailDateTime MailDateTimeFromTime(std::time_t t);
MailDateTime MailDateTimeNow();
// "yyyy/mm/dd hh:nn:ss".
std::string FormatMailDateTime(MailDateTime value);

// "Sat, 5 Dec 2026 09:03:04 +0900": weekday, day, month, year and time of the value (a local
// time) with this machine's offset from UTC at that time.
std::string MailDateText(MailDateTime value);

// Reads a Date header: "Tue, 1 Dec 2026 10:00:00 +0900", with or without the weekday,
// seconds or zone, and the dashed forms "01-12-26" and "1-Dec-2026". Two-digit years below
// 80 are 20xx, other years below 1000 are 19xx. A time with a zone is converted to the local
// time of this machine; without one it is taken as local. True when a year was found; value
// is 0 when the text gives no valid date.
bool ParseMailDate(std::string_view text, MailDateTime& value);

}  // namespace sorami
