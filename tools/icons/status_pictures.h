#pragma once
#include <string>
#include <vector>

#include "icons/image.h"

namespace icons {

Image FolderPicture();
Image FilePicture();
// The badge of one status code: `sign` in white on `colour`.
Image OverlayPicture(char sign, uint32_t colour);

struct OverlayStyle {
    std::string file;
    char sign;
    uint32_t colour;
};
// Every overlay file the program loads, with its sign and colour.
const std::vector<OverlayStyle>& Overlays();

}  // namespace icons
