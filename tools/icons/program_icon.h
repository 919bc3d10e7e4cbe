#pragma once
#include "icons/image.h"

namespace icons {

// The program's icon at `size` x `size` pixels.
Image ProgramIcon(int size);

}  // namespace icons
