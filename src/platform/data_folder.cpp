// Where the program's data folders are, the same on every system.
#include "platform/paths.h"

namespace platform {

std::string DataFolder(const std::string& name) {
    if (IsDirectory(name)) return WithSeparator(name);
    const std::string exe = ExecutableFolder();
    if (!exe.empty()) {
        const std::string installed =
            exe + ".." + kSeparator + "share" + kSeparator + "vellum" + kSeparator;
        for (const std::string& folder : {exe + name, installed + name})
            if (IsDirectory(folder)) return WithSeparator(folder);
    }
    return WithSeparator(name);
}

}  // namespace platform
