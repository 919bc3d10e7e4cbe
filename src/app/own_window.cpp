#include "app/own_window.h"

#include "platform/window.h"

namespace app {

bool OpenOrRaise(OwnWindow& w, const std::string& title, int width, int height,
                 void (*build)(int handle)) {
    w.worker.Stop();
    if (w.Open()) {
        platform::SetWindowTitle(w.handle, title);
        platform::RaiseWindow(w.handle);
        return true;
    }
    w.handle = platform::OpenWindow(title, width, height);
    if (!w.Open()) return false;
    build(w.handle);
    return true;
}

void CloseOwnWindow(OwnWindow& w) {
    w.worker.Stop();
    if (w.Open()) platform::CloseDialog(w.handle);
    w.handle = -1;
}

std::string TargetName(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && (trimmed.back() == '/' || trimmed.back() == '\\'))
        trimmed.pop_back();
    const size_t cut = trimmed.find_last_of("/\\");
    return cut == std::string::npos ? trimmed : trimmed.substr(cut + 1);
}

}  // namespace app
