// X errors about the program's own resources once another X client destroyed
// its window: the requests GDK sent before it learnt of it fail, each failure
// leaving a resource it goes on to use, and GDK's handler would end the
// program on the first error, even inside its error traps. Such errors are
// dropped as Xlib decodes them; errors about other clients' windows still
// reach GDK, which traps those.
#include <vector>

#include "platform/gtk/backend.h"
// last: the wire-level error hook, whose header defines min and max
#include <X11/Xlibint.h>
#include <gdk/gdkx.h>
#undef min
#undef max

namespace platform::gtk {
namespace {

using WireToError = Bool (*)(Display*, XErrorEvent*, xError*);
WireToError previous[256] = {};

// False drops the error.
Bool OnWireError(Display* display, XErrorEvent* he, xError* we) {
    const bool ours = (he->resourceid & ~display->resource_mask) == display->resource_base;
    if (ours) return False;
    WireToError next = previous[he->error_code];
    return next ? next(display, he, we) : True;
}

}  // namespace

void InstallXErrorFilter() {
    GdkDisplay* display = gdk_display_get_default();
    if (!GDK_IS_X11_DISPLAY(display)) return;
    Display* x = gdk_x11_display_get_xdisplay(display);
    // A pixmap made on the gone window fails, then its picture and its GC.
    std::vector<int> codes = {BadWindow, BadPixmap, BadDrawable, BadGC};
    int opcode = 0, event = 0, error = 0;
    if (XQueryExtension(x, "RENDER", &opcode, &event, &error))
        codes.push_back(error + 1);  // BadPicture
    for (int code : codes) {
        WireToError old = XESetWireToError(x, code, OnWireError);
        if (old != OnWireError) previous[code] = old;
    }
}

}  // namespace platform::gtk
