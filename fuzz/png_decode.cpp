// The icon decoder: any file decodes to 16x16 pixels or is refused.
#include "browse/icon_set.h"
#include "fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    browse::DecodePng(fuzz::WriteScratch(data, size));
    return 0;
}
