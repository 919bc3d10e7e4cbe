#pragma once
#include <cstdint>
#include <string>

namespace platform {

// The user's locale name as the message catalogues are named ("fr_FR", "de",
// "C"). Windows: GetThreadLocale through WindowsLocaleName; POSIX: LC_ALL,
// LC_MESSAGES, LANG without codeset or modifier-free charset ("C" for none).
std::string CurrentLocaleName();

// A POSIX locale value such as "fr_FR.UTF-8@euro" without its codeset
// ("fr_FR@euro"); "", "C" and "POSIX" give "C".
std::string PosixLocaleName(const std::string& value);

// The catalogue name of a Windows locale identifier: primary language = the
// low 8 bits, sublanguage = the identifier shifted right by 10 (sort bits kept).
std::string WindowsLocaleName(uint32_t lcid);

// Upper-cases text with the system's Unicode case mapping.
std::string ToUpper(const std::string& utf8);

// A moment (seconds since 1970 UTC) in the user's time zone, to the minute:
// "YYYY-MM-DD HH:MM". "" when the system can't convert it.
std::string LocalTimeText(int64_t utcSeconds);

}  // namespace platform
