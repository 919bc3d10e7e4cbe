// The read-only text: a rich edit control in a monospace font, appended in
// runs of one colour each, read and replaced whole with "\n" line ends.
#include <windows.h>
// after windows.h, which they need
#include <commctrl.h>
#include <richedit.h>

#include <algorithm>

#include "platform/win32/utf16.h"
#include "platform/win32/window_backend.h"

namespace platform::win32 {
namespace {

HFONT monospace = nullptr;

ControlRecord* Text(int id) {
    ControlRecord* c = FindControl(id);
    return c && c->kind == ControlKind::Text ? c : nullptr;
}

// The newest rich edit there is. The library stays loaded: controls of its
// class may live until the program ends.
const wchar_t* TextClass() {
    static const wchar_t* const name = []() -> const wchar_t* {
        if (LoadLibraryW(L"Msftedit.dll")) return L"RICHEDIT50W";
        if (LoadLibraryW(L"riched20.dll")) return L"RichEdit20W";
        return nullptr;
    }();
    return name;
}

// Tab leaves the text for the next control, as in a dialog: the rich edit
// would otherwise keep every Tab to itself.
LRESULT CALLBACK TabLeaves(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                           DWORD_PTR) {
    if (message == WM_GETDLGCODE) {
        LRESULT code = DefSubclassProc(hwnd, message, wParam, lParam);
        const auto* msg = reinterpret_cast<const MSG*>(lParam);
        code &= ~(DLGC_WANTTAB | DLGC_WANTALLKEYS);
        if (msg && msg->wParam == VK_TAB) code &= ~DLGC_WANTMESSAGE;
        return code;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, TabLeaves, 0);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

bool FixedPitch(HFONT font) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return !(metrics.tmPitchAndFamily & TMPF_FIXED_PITCH);  // the bit means variable pitch
}

// The program's line feeds (or CR LF) as the paragraph ends of the control.
std::wstring Paragraphs(const std::string& utf8) {
    std::wstring text = Widen(utf8);
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;
        out.push_back(text[i] == L'\n' ? L'\r' : text[i]);
    }
    return out;
}

CHARFORMAT2W FormatOf(TextStyle style) {
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR | CFM_BOLD;
    switch (style) {
    case TextStyle::Plain:
        format.dwEffects = CFE_AUTOCOLOR;
        break;
    case TextStyle::Added:
        format.crTextColor = RGB(0, 128, 0);
        break;
    case TextStyle::Removed:
        format.crTextColor = RGB(192, 0, 0);
        break;
    case TextStyle::Heading:
        format.crTextColor = RGB(0, 0, 160);
        format.dwEffects = CFE_BOLD;
        break;
    }
    return format;
}

}  // namespace

HWND NewText(HWND parent, int id, int x, int y, int w, int h, const std::string& caption) {
    const wchar_t* cls = TextClass();
    if (!cls) return nullptr;
    HWND text = CreateWindowExW(WS_EX_CLIENTEDGE, cls, L"",
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | WS_VSCROLL |
                                    WS_HSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL |
                                    ES_AUTOHSCROLL,
                                x, y, w, h, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                Instance(), nullptr);
    if (!text) return nullptr;
    // Past the 32K characters a rich edit takes by default; no undo kept.
    SendMessageW(text, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    SendMessageW(text, EM_SETUNDOLIMIT, 0, 0);
    SendMessageW(text, EM_SETTARGETDEVICE, 0, 1);  // a line width of 1: no wrapping
    SetWindowSubclass(text, TabLeaves, 0, 0);
    SetAccessibleName(text, Widen(caption));
    return text;
}

HFONT MonospaceFont() {
    if (monospace) return monospace;
    LOGFONTW base{};
    GetObjectW(ControlFont(), sizeof base, &base);
    base.lfWidth = 0;
    base.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    // The face the system maps an unknown name to may have variable pitch.
    for (const wchar_t* face : {L"Consolas", L"Courier New", L""}) {
        lstrcpynW(base.lfFaceName, face, LF_FACESIZE);
        HFONT font = CreateFontIndirectW(&base);
        if (font && (FixedPitch(font) || !*face)) {
            monospace = font;
            break;
        }
        if (font) DeleteObject(font);
    }
    return monospace ? monospace : ControlFont();
}

void ReleaseMonospaceFont() {
    if (monospace) DeleteObject(monospace);
    monospace = nullptr;
}

std::string TextOf(const ControlRecord& text) {
    GETTEXTLENGTHEX length{GTL_USECRLF | GTL_NUMCHARS, 1200};
    const auto most = SendMessageW(text.hwnd, EM_GETTEXTLENGTHEX,
                                   reinterpret_cast<WPARAM>(&length), 0);
    if (most <= 0) return "";
    std::wstring wide(static_cast<size_t>(most) + 1, L'\0');
    GETTEXTEX get{};
    get.cb = static_cast<DWORD>(wide.size() * sizeof(wchar_t));
    get.flags = GT_DEFAULT;
    get.codepage = 1200;  // UTF-16
    const auto got = SendMessageW(text.hwnd, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                                  reinterpret_cast<LPARAM>(wide.data()));
    wide.resize(static_cast<size_t>(std::max<LRESULT>(got, 0)));
    std::wstring lines;
    lines.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        if (wide[i] == L'\r' && i + 1 < wide.size() && wide[i + 1] == L'\n') continue;
        lines.push_back(wide[i] == L'\r' ? L'\n' : wide[i]);
    }
    return Narrow(lines);
}

void ReplaceText(const ControlRecord& text, const std::string& utf8) {
    Quiet quiet;
    const std::wstring wide = Paragraphs(utf8);
    SETTEXTEX set{ST_DEFAULT, 1200};
    SendMessageW(text.hwnd, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&set),
                 reinterpret_cast<LPARAM>(wide.c_str()));
    CHARFORMAT2W plain = FormatOf(TextStyle::Plain);
    SendMessageW(text.hwnd, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&plain));
}

}  // namespace platform::win32

namespace platform {
using namespace platform::win32;

void TextAppend(int id, const std::string& text, TextStyle style) {
    ControlRecord* c = Text(id);
    if (!c || text.empty()) return;
    HWND hwnd = c->hwnd;
    const std::wstring wide = Paragraphs(text);
    // Written at the end with the drawing off: the reader's selection and
    // scroll position stay, and no run repaints on its own.
    SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
    CHARRANGE kept{};
    SendMessageW(hwnd, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&kept));
    POINT scrolled{};
    SendMessageW(hwnd, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scrolled));
    CHARRANGE end{-1, -1};
    SendMessageW(hwnd, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
    CHARFORMAT2W format = FormatOf(style);
    SendMessageW(hwnd, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    SendMessageW(hwnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
    SendMessageW(hwnd, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&kept));
    SendMessageW(hwnd, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scrolled));
    SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd, nullptr, FALSE);
}

}  // namespace platform
