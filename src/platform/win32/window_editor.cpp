// The multi-line editor (an edit control that wraps its lines) and the
// drop-down choice (a combo box of fixed items).
#include <windows.h>
// after windows.h, which they need
#include <commctrl.h>

#include "platform/win32/utf16.h"
#include "platform/win32/window_backend.h"

namespace platform::win32 {
namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP;

// Tab and Shift+Tab leave the editor, as they leave a field; the multi-line
// edit control would keep them for tab characters.
LRESULT CALLBACK EditorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                            DWORD_PTR) {
    if (message == WM_GETDLGCODE) {
        LRESULT code = DefSubclassProc(hwnd, message, wParam, lParam);
        const auto* msg = reinterpret_cast<const MSG*>(lParam);
        code &= ~(DLGC_WANTTAB | DLGC_WANTALLKEYS);
        if (msg && msg->wParam == VK_TAB) code &= ~DLGC_WANTMESSAGE;
        return code;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, EditorProc, 0);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

std::wstring RawText(HWND hwnd) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    const int n = GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(n));
    return text;
}

ControlRecord* Choice(int id) {
    ControlRecord* c = FindControl(id);
    return c && c->kind == ControlKind::Choice ? c : nullptr;
}

}  // namespace

HWND NewEditor(HWND parent, int id, int x, int y, int w, int h, const std::string& caption) {
    // No horizontal scrolling: the lines wrap at the right edge.
    HWND editor = CreateWindowExW(
        WS_EX_CLIENTEDGE, WC_EDITW, L"",
        kChild | WS_VSCROLL | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL, x, y, w, h, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(), nullptr);
    if (!editor) return nullptr;
    SetWindowSubclass(editor, EditorProc, 0, 0);
    SetAccessibleName(editor, Widen(caption));
    return editor;
}

HWND NewChoice(HWND parent, int id, int x, int y, int w, int h, const std::string& caption) {
    // The height given is the closed box's; the list drops below it.
    HWND choice = CreateWindowExW(
        0, WC_COMBOBOXW, L"", kChild | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_HASSTRINGS, x, y, w,
        h + ChoiceListRoom(), parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(),
        nullptr);
    if (!choice) return nullptr;
    // The box takes the height its font wants: the list's room is counted
    // from there, as a resize counts it (LayOut).
    SendMessageW(choice, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont()), FALSE);
    RECT box{};
    GetWindowRect(choice, &box);
    SetWindowPos(choice, nullptr, 0, 0, w, box.bottom - box.top + ChoiceListRoom(),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetAccessibleName(choice, Widen(caption));
    return choice;
}

int ChoiceListRoom() { return Scale(160); }

std::string EditorText(HWND editor) {
    const std::wstring text = RawText(editor);
    std::wstring lines;
    lines.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n')) lines += text[i];
    return Narrow(lines);
}

void SetEditorText(HWND editor, const std::string& text) {
    // The edit control breaks lines at CR LF only.
    const std::wstring wide = Widen(text);
    std::wstring lines;
    lines.reserve(wide.size() + wide.size() / 16);
    for (size_t i = 0; i < wide.size(); ++i) {
        if (wide[i] == L'\n' && (i == 0 || wide[i - 1] != L'\r')) lines += L'\r';
        lines += wide[i];
    }
    if (RawText(editor) == lines) return;  // an unchanged text must not repaint
    Quiet quiet;
    SetWindowTextW(editor, lines.c_str());
}

}  // namespace platform::win32

namespace platform {
using namespace platform::win32;

void ChoiceSetItems(int id, const std::vector<std::string>& items) {
    ControlRecord* c = Choice(id);
    if (!c) return;
    Quiet quiet;
    SendMessageW(c->hwnd, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : items)
        SendMessageW(c->hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(item).c_str()));
    SendMessageW(c->hwnd, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

int ChoiceSelected(int id) {
    ControlRecord* c = Choice(id);
    if (!c) return -1;
    const LRESULT picked = SendMessageW(c->hwnd, CB_GETCURSEL, 0, 0);
    return picked == CB_ERR ? -1 : static_cast<int>(picked);
}

}  // namespace platform
