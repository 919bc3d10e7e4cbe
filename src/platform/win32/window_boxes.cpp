// The pop-up menu and the modal boxes: message, yes/no, folder and save-file
// choosers. Each runs the system's own modal loop; the program's queued
// events and calls wait for it untouched.
#include <windows.h>
// after windows.h, which they need
#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "platform/paths.h"
#include "platform/win32/utf16.h"
#include "platform/win32/window_backend.h"

namespace platform {
using namespace platform::win32;

namespace {

// Selects the start folder once the chooser is up.
int CALLBACK FolderChooserEvent(HWND hwnd, UINT message, LPARAM, LPARAM start) {
    if (message == BFFM_INITIALIZED && start) SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, start);
    return 0;
}

}  // namespace

void ShowPopupMenu(const std::vector<MenuItem>& items) {
    HWND owner = MainHwnd();
    if (items.empty() || !owner) return;
    EnsureMainShown();
    HMENU menu = CreatePopupMenu();
    for (const MenuItem& item : items) {
        AppendMenuW(menu, MF_STRING | (item.enabled ? MF_ENABLED : MF_GRAYED),
                    static_cast<UINT_PTR>(item.id), Widen(item.caption).c_str());
    }
    POINT at;
    if (!KeyboardMenuPoint(&at)) GetCursorPos(&at);
    // The menu closes when the user clicks elsewhere only if its owner is
    // the foreground window; the choice comes back as WM_COMMAND.
    SetForegroundWindow(owner);
    TrackPopupMenuEx(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, owner,
                     nullptr);
    PostMessageW(owner, WM_NULL, 0, 0);
    DestroyMenu(menu);
}

// Once the window was asked to close during a command, the program is ending:
// no box is raised, every question is answered "no" or cancelled.
void ShowMessage(const std::string& title, const std::string& text) {
    if (CloseAsked()) return;
    EnsureMainShown();
    MessageBoxW(MainHwnd(), Widen(text).c_str(), Widen(title).c_str(), MB_OK | MB_ICONINFORMATION);
}

bool AskYesNo(const std::string& title, const std::string& text, bool noByDefault) {
    if (CloseAsked()) return false;
    EnsureMainShown();
    return MessageBoxW(MainHwnd(), Widen(text).c_str(), Widen(title).c_str(),
                       MB_YESNO | MB_ICONQUESTION | (noByDefault ? MB_DEFBUTTON2 : 0)) == IDYES;
}

std::string ChooseFolder(const std::string& instruction, const std::string& start) {
    if (CloseAsked()) return "";
    EnsureMainShown();
    std::wstring title = Widen(instruction);
    std::wstring from = Widen(start);
    BROWSEINFOW info{};
    info.hwndOwner = MainHwnd();
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = FolderChooserEvent;
    info.lParam = from.empty() ? 0 : reinterpret_cast<LPARAM>(from.c_str());
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
    if (!chosen) return "";
    wchar_t path[MAX_PATH] = {};
    const BOOL ok = SHGetPathFromIDListW(chosen, path);
    CoTaskMemFree(chosen);
    return ok && path[0] ? WithSeparator(Narrow(path, wcslen(path))) : "";
}

std::string ChooseSaveFile(const std::string& title, const std::string& proposedName) {
    if (CloseAsked()) return "";
    EnsureMainShown();
    std::wstring caption = Widen(title);
    std::vector<wchar_t> file(32768, L'\0');
    std::wstring proposed = Widen(proposedName);
    proposed.copy(file.data(), std::min(proposed.size(), file.size() - 1));
    OPENFILENAMEW info{};
    info.lStructSize = sizeof info;
    info.hwndOwner = MainHwnd();
    info.lpstrFilter = L"*.*\0*.*\0";
    info.lpstrFile = file.data();
    info.nMaxFile = static_cast<DWORD>(file.size());
    info.lpstrTitle = caption.c_str();
    // The current folder holds the client, gfx\ and locale\: it must stay.
    info.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    if (!GetSaveFileNameW(&info)) return "";
    return Narrow(file.data(), wcslen(file.data()));
}

}  // namespace platform
