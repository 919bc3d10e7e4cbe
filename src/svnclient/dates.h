// The client's dates ("2026-12-07T12:34:56.123456Z", always UTC) as the
// windows show them: local time to the minute.
#pragma once
#include <cstdint>
#include <string>

namespace svnclient {

// Seconds since 1970 UTC; false when `text` is no such date (the fraction of
// a second is optional and dropped).
bool ParseSvnDate(const std::string& text, int64_t* seconds);

// Sets `date` ("YYYY-MM-DD HH:MM" local) and `time` from a client date; both
// stay empty (0) when it can't be read.
void ReadSvnDate(const std::string& text, std::string* date, int64_t* time);

}  // namespace svnclient
