// The message catalogue: GNU gettext MO files under "locale/", looked up by the
// English source text.
#pragma once
#include <string>

namespace i18n {

// Chooses the file: `language` or else the locale's name; name.mo, then
// name_NAME.mo, then the bare language (up to the first '_') + ".mo".
// "" when there is nothing to load.
std::string CatalogueFileName(const std::string& folder, const std::string& language);
// Adds the entries of an MO file; silent on every failure.
void ReadCatalogue(const std::string& path);
void LoadCatalogue(const std::string& folder, const std::string& language);
std::string Translate(const std::string& text);
void ReleaseCatalogue();

}  // namespace i18n
