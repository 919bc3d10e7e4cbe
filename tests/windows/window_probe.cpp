// Looks at the running vellum.exe from outside, as a user would find it:
//   check  the main window's frame, every control (class, place, caption) and
//          the icon resource of vellum.exe in the current folder
//   close  sends the close request;  clean / prefs  removes / checks the
//          Vellum.prefs of the profile folder
// Exit code 0 when everything holds; what differs is printed.
#include <windows.h>
// after windows.h, which it needs
#include <shlobj.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace {

const wchar_t kTitle[] = L"Vellum SubVersion Tiny FrontEnd";
int failures = 0;

void Fail(const std::string& what) {
    std::printf("FAIL: %s\n", what.c_str());
    ++failures;
}

std::string Narrow(const std::wstring& w) {
    std::string out;
    for (wchar_t c : w) out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}

HWND FindMain(int seconds) {
    for (int i = 0; i < seconds * 10; ++i) {
        if (HWND w = FindWindowW(L"VellumWindow", kTitle); w && IsWindowVisible(w)) return w;
        Sleep(100);
    }
    return nullptr;
}

struct Expected {
    const wchar_t* cls;
    int x, y, w, h;
    const wchar_t* caption;  // null: not checked (fields filled from the settings)
};

// The main window's table: id -> class, place and caption.
const std::map<int, Expected> kControls = {
    {0, {L"Static", 10, 11, 80, 20, L"Repositery URL"}},
    {1, {L"Edit", 80, 9, 330, 20, nullptr}},
    {20, {L"VellumLink", 420, 11, 20, 20, L"Go"}},
    {2, {L"Edit", 10, 30, 300, 20, L""}},
    {3, {L"Button", 310, 30, 130, 20, L"Search"}},
    {4, {L"Button", 10, 50, 430, 20, L"Explore remote repositery"}},
    {22, {L"SysTreeView32", 10, 70, 430, 250, L""}},
    {5, {L"Static", 10, 323, 120, 20, L"Local repositery"}},
    {6, {L"Edit", 80, 321, 280, 20, nullptr}},
    {7, {L"Button", 360, 321, 80, 20, L"Choose"}},
    {8, {L"Button", 10, 341, 240, 20, L"Receive a read only repositery copy"}},
    {9, {L"Button", 250, 341, 190, 20, L"Explore local repositery"}},
    {18, {L"Button", 10, 370, 250, 20, L"SVN authentification system"}},
    {14, {L"Static", 10, 392, 80, 20, L"User name"}},
    {15, {L"Edit", 91, 390, 100, 20, L""}},
    {16, {L"Static", 192, 392, 65, 20, L"Password"}},
    {17, {L"Edit", 260, 390, 90, 20, L""}},
    {10, {L"Button", 10, 410, 341, 20, L"Receive a repositery work copy "}},
    {12, {L"Button", 350, 390, 90, 20, L"Receive update"}},
    {11, {L"Button", 350, 410, 90, 20, L"Send update"}},
    {13, {L"Button", 350, 370, 90, 20, L"Cleanup"}},
};

// WM_GETTEXT: GetWindowText doesn't ask a control of another process.
std::wstring Text(HWND w) {
    wchar_t buf[512] = {};
    SendMessageW(w, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buf));
    return buf;
}

#pragma pack(push, 2)
struct IconGroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bits;
    DWORD bytes;
    WORD id;
};
struct IconGroup {
    WORD reserved, type, count;
    IconGroupEntry entries[1];
};
#pragma pack(pop)

// Icon resource 1 holds 16, 32 and 48 px images in 4, 8 and 32 bits, and
// a 256 px one (stored as width 0).
void CheckIcon(const wchar_t* program) {
    HMODULE exe = LoadLibraryExW(program, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = exe ? FindResourceW(exe, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14)) : nullptr;
    auto* group = found ? static_cast<const IconGroup*>(LockResource(LoadResource(exe, found))) : nullptr;
    if (!group) {
        Fail("no icon resource 1 in vellum.exe");
        return;
    }
    std::map<int, int> images;  // size -> bit depths seen, as a mask
    for (const IconGroupEntry* e = group->entries; e < group->entries + group->count; ++e)
        images[e->width == 0 ? 256 : e->width] |= e->bits == 4 ? 1 : e->bits == 8 ? 2 : e->bits == 32 ? 4 : 8;
    for (int size : {16, 32, 48})
        if ((images[size] & 7) != 7) Fail("icon lacks a " + std::to_string(size) + " px image in a depth");
    if (!(images[256] & 4)) Fail("icon lacks the 256 px image");
    FreeLibrary(exe);
}

int Check() {
    HWND main = FindMain(60);
    if (!main) {
        Fail("no visible window titled \"Vellum SubVersion Tiny FrontEnd\"");
        return 1;
    }
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    auto scaled = [dpi](int v) { return MulDiv(v, dpi, 96); };

    RECT client;
    GetClientRect(main, &client);
    if (client.right != scaled(450) || client.bottom != scaled(430))
        Fail("client area " + std::to_string(client.right) + "x" + std::to_string(client.bottom));
    const LONG style = GetWindowLongW(main, GWL_STYLE);
    if (!(style & WS_CAPTION) || !(style & WS_SYSMENU)) Fail("no caption or system menu");
    if (style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) Fail("resizable or min/max box");
    CheckIcon(L"vellum.exe");

    std::map<int, bool> seen;
    for (HWND child = GetWindow(main, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(child);
        auto it = kControls.find(id);
        if (it == kControls.end()) {
            Fail("unexpected control " + std::to_string(id));
            continue;
        }
        seen[id] = true;
        const Expected& e = it->second;
        wchar_t cls[64] = {};
        GetClassNameW(child, cls, 64);
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
        const std::string name = "control " + std::to_string(id);
        if (lstrcmpiW(cls, e.cls) != 0) Fail(name + " is a " + Narrow(cls));
        if (r.left != scaled(e.x) || r.top != scaled(e.y) || r.right - r.left != scaled(e.w) ||
            r.bottom - r.top != scaled(e.h))
            Fail(name + " at " + std::to_string(r.left) + "," + std::to_string(r.top) + " " +
                 std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top));
        if (e.caption && Text(child) != e.caption) Fail(name + " reads \"" + Narrow(Text(child)) + "\"");
    }
    if (seen.size() != kControls.size()) Fail("controls missing: " + std::to_string(kControls.size() - seen.size()));

    // No user name: the password and the three buttons that need it are off.
    for (int id : {17, 10, 11, 12})
        if (IsWindowEnabled(GetDlgItem(main, id))) Fail("control " + std::to_string(id) + " enabled");
    std::printf("window checked: %s\n", failures ? "differences" : "as expected");
    return failures ? 1 : 0;
}

std::wstring PrefsPath() {
    wchar_t profile[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, 0, profile);
    return std::wstring(profile) + L"\\Vellum.prefs";
}

int Prefs() {
    std::ifstream f(PrefsPath().c_str());
    std::stringstream text;
    text << f.rdbuf();
    const std::string content = text.str();
    std::printf("%s", content.c_str());
    // The default folder, below the program's, with Windows separators.
    if (content.find("SVNLocalRepositery = ") == std::string::npos ||
        content.find("\\repositeries\\marrowdepot\\") == std::string::npos)
        Fail("no Vellum.prefs with the default local folder in the profile folder");
    return failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "check") return Check();
    if (HWND main = command == "close" ? FindMain(10) : nullptr)
        return PostMessageW(main, WM_CLOSE, 0, 0) ? 0 : 1;
    if (command == "clean") return DeleteFileW(PrefsPath().c_str()), 0;
    if (command == "prefs") return Prefs();
    std::fprintf(stderr, "usage: window_probe check|close|clean|prefs\n");
    return 2;
}
