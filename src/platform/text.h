// Client output arrives in the system's character set; the program works in
// UTF-8 everywhere.
#pragma once
#include <string>

namespace platform {

// Converts bytes in the system's charset (POSIX: the locale's codeset; Windows:
// the ANSI code page) to UTF-8. Invalid bytes become U+FFFD; never fails.
std::string SystemToUtf8(const std::string& bytes);

// Makes SystemToUtf8 follow the user's settings (POSIX: the locale of the
// environment); called once at start-up.
void UseUserCharset();

}  // namespace platform
