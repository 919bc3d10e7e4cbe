#include "svnclient/dates.h"

#include "platform/locale.h"

namespace svnclient {

namespace {

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar, in
// whole eras of 400 years (the same on every system, unlike timegm).
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yearOfEra = y - era * 400;
    const int64_t dayOfYear = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

bool Digits(const std::string& s, size_t at, size_t count, int* value) {
    if (at + count > s.size()) return false;
    int v = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        v = v * 10 + (s[i] - '0');
    }
    *value = v;
    return true;
}

}  // namespace

bool ParseSvnDate(const std::string& text, int64_t* seconds) {
    int year, month, day, hour, minute, second;
    const std::string& s = text;
    if (!Digits(s, 0, 4, &year) || s.size() < 19 || s[4] != '-' || !Digits(s, 5, 2, &month) ||
        s[7] != '-' || !Digits(s, 8, 2, &day) || s[10] != 'T' || !Digits(s, 11, 2, &hour) ||
        s[13] != ':' || !Digits(s, 14, 2, &minute) || s[16] != ':' || !Digits(s, 17, 2, &second))
        return false;
    size_t at = 19;
    if (at < s.size() && s[at] == '.') {
        do ++at;
        while (at < s.size() && s[at] >= '0' && s[at] <= '9');
        if (at == 20) return false;
    }
    if (at + 1 != s.size() || s[at] != 'Z') return false;
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
        return false;
    *seconds = DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
    return true;
}

void ReadSvnDate(const std::string& text, std::string* date, int64_t* time) {
    int64_t seconds = 0;
    if (!ParseSvnDate(text, &seconds)) {
        date->clear();
        *time = 0;
        return;
    }
    *time = seconds;
    *date = platform::LocalTimeText(seconds);
}

}  // namespace svnclient
