#pragma once
#include <cstdint>
#include <string>

namespace i18n {

// The catalogue name of a Windows locale identifier: primary language = the
// low 8 bits, sublanguage = the identifier shifted right by 10 (sort bits kept).
std::string LocaleName(uint32_t lcid);

}  // namespace i18n
