// The MO catalogue reader: any file is read or refused, never trusted.
#include <string>

#include "fuzz_file.h"
#include "i18n/catalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    i18n::ReadCatalogue(fuzz::WriteScratch(data, size));
    for (const char* text : {"", "Alert", "Saving failed", "Update"}) i18n::Translate(text);
    i18n::ReleaseCatalogue();
    return 0;
}
