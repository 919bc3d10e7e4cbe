// Looks at the running vellum.exe from outside, as a user would find it: the
// main window's frame, every control (class, place, caption), the credential
// rule applied to a user name read from the settings, and the icon of
// vellum.exe in the current folder. Exit code 0 when everything holds;
// what differs is printed.
#include <windows.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

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

struct Expected {
    const wchar_t* cls;
    int x, y, w, h;
    const wchar_t* caption;  // null: not checked
};

// The main window's table: id -> class, place and caption.
const std::map<int, Expected> kControls = {
    {0, {L"Static", 10, 11, 80, 20, L"Repositery URL"}},
    {1, {L"Edit", 80, 9, 330, 20, nullptr}},
    {20, {L"VellumLink", 420, 11, 20, 20, L"Go"}},
    {2, {L"Edit", 10, 30, 300, 20, L""}},
    {3, {L"Button", 310, 30, 130, 20, L"Search"}},
    {4, {L"Button", 10, 50, 430, 20, L"Explore remote repositery"}},
    {22, {L"SysListView32", 10, 70, 430, 250, L""}},
    {5, {L"Static", 10, 323, 120, 20, L"Local repositery"}},
    {6, {L"Edit", 80, 321, 280, 20, nullptr}},
    {7, {L"Button", 360, 321, 80, 20, L"Choose"}},
    {8, {L"Button", 10, 341, 240, 20, L"Receive a read only repositery copy"}},
    {9, {L"Button", 250, 341, 190, 20, L"Explore local repositery"}},
    {18, {L"Button", 10, 370, 250, 20, L"SVN authentification system"}},
    {14, {L"Static", 10, 392, 80, 20, L"User name"}},
    {15, {L"Edit", 91, 390, 100, 20, L"ann"}},
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

// Icon resource 1: the program's icon in Explorer, 16 to 256 px.
void CheckIcon(const wchar_t* program) {
    HMODULE exe = LoadLibraryExW(program, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = exe ? FindResourceW(exe, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14)) : nullptr;
    // A group: three WORDs, then 14-byte entries whose first byte is the width.
    auto* group =
        found ? static_cast<const BYTE*>(LockResource(LoadResource(exe, found))) : nullptr;
    std::string widths;
    for (int i = 0; group && i < reinterpret_cast<const WORD*>(group)[2]; ++i)
        widths += std::to_string(group[6 + 14 * i]) + " ";
    for (const char* size : {"16 ", "32 ", "48 ", "0 "})  // 0 stands for 256
        if (widths.find(size) == std::string::npos)
            Fail("the icon has no " + std::string(size) + "px image: " + widths);
    if (exe) FreeLibrary(exe);
}

}  // namespace

int main() {
    HWND main = nullptr;
    for (int i = 0; i < 600 && !(main && IsWindowVisible(main)); ++i, Sleep(100))
        main = FindWindowW(L"VellumWindow", L"Vellum SubVersion Tiny FrontEnd");
    if (!main) return Fail("no visible window titled \"Vellum SubVersion Tiny FrontEnd\""), 1;
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

    size_t seen = 0;
    for (HWND child = GetWindow(main, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::string name = "control " + std::to_string(GetDlgCtrlID(child));
        auto it = kControls.find(GetDlgCtrlID(child));
        if (it == kControls.end()) {
            Fail("unexpected " + name);
            continue;
        }
        ++seen;
        const Expected& e = it->second;
        wchar_t cls[64] = {};
        GetClassNameW(child, cls, 64);
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
        if (lstrcmpiW(cls, e.cls) != 0) Fail(name + " is a " + Narrow(cls));
        if (r.left != scaled(e.x) || r.top != scaled(e.y) || r.right - r.left != scaled(e.w) ||
            r.bottom - r.top != scaled(e.h))
            Fail(name + " at " + std::to_string(r.left) + "," + std::to_string(r.top) + " " +
                 std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top));
        if (e.caption && Text(child) != e.caption)
            Fail(name + " reads \"" + Narrow(Text(child)) + "\"");
    }
    if (seen != kControls.size())
        Fail("controls missing: " + std::to_string(kControls.size() - seen));

    // A user name but no password: the password may be typed, the three
    // buttons that need both stay off.
    if (!IsWindowEnabled(GetDlgItem(main, 17))) Fail("the password field is off");
    for (int id : {10, 11, 12})
        if (IsWindowEnabled(GetDlgItem(main, id)))
            Fail("control " + std::to_string(id) + " enabled");
    std::printf("window checked: %s\n", failures ? "differences" : "as expected");
    return failures ? 1 : 0;
}
