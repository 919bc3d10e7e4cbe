// The read-only text: a rich edit control in a monospace font, appended in
// runs of one colour each, read and replaced whole with "\n" line ends.
#include <windows.h>
// after windows.h, which they need
#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "platform/win32/utf16.h"
#include "platform/win32/window_backend.h"

namespace platform::win32 {
namespace {

// Posted to a text when runs wait for it.
constexpr UINT kFlushMessage = WM_APP + 2;
// Past this much waiting RTF the runs go in at once, loop or not.
constexpr size_t kMostWaiting = size_t{4} << 20;

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

// Whether `font` has a fixed pitch, and the face it really is.
bool FixedPitch(HFONT font, wchar_t (&face)[LF_FACESIZE]) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    GetTextFaceW(dc, LF_FACESIZE, face);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return !(metrics.tmPitchAndFamily & TMPF_FIXED_PITCH);  // the bit means variable pitch
}

// Text as RTF: the program's line feeds (or CR LF) end paragraphs, and
// what is not ASCII goes as UTF-16 units.
void AppendRtf(std::string& out, const std::wstring& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t ch = text[i];
        if (ch == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;
        if (ch == L'\n' || ch == L'\r') {
            out += "\\par\n";
        } else if (ch == L'\t') {
            out += "\\tab ";
        } else if (ch == L'\\' || ch == L'{' || ch == L'}') {
            out += '\\';
            out += static_cast<char>(ch);
        } else if (ch >= 0x80) {
            out += "\\u" + std::to_string(static_cast<int16_t>(ch)) + "?";
        } else if (ch >= 0x20) {
            out += static_cast<char>(ch);
        }
    }
}

// The colour table's entries, after the automatic colour (0): Added,
// Removed, Heading.
constexpr const char* kColours =
    "{\\colortbl ;\\red0\\green128\\blue0;\\red192\\green0\\blue0;"
    "\\red0\\green0\\blue160;}";

void AppendRun(std::string& out, TextStyle style, const std::string& text) {
    switch (style) {
    case TextStyle::Plain: out += "\\cf0\\b0 "; break;
    case TextStyle::Added: out += "\\cf1\\b0 "; break;
    case TextStyle::Removed: out += "\\cf2\\b0 "; break;
    case TextStyle::Heading: out += "\\cf3\\b "; break;
    }
    AppendRtf(out, Widen(text));
}

// The document around the waiting runs: the monospace font at its size.
std::string Document(const std::string& runs) {
    LOGFONTW font{};
    GetObjectW(MonospaceFont(), sizeof font, &font);
    int halfPoints = MulDiv(std::abs(font.lfHeight), 144, Scale(96));
    if (halfPoints <= 0) halfPoints = 20;  // a font of the mapper's default height
    std::string doc = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset" +
                      std::to_string(font.lfCharSet) + " ";
    AppendRtf(doc, font.lfFaceName);
    doc += ";}}";
    doc += kColours;
    doc += "\\f0\\fs" + std::to_string(halfPoints);
    doc.reserve(doc.size() + runs.size() + 1);
    doc += runs;
    doc += '}';
    return doc;
}

struct Feed {
    const std::string* text;
    size_t at;
};

DWORD CALLBACK FeedStream(DWORD_PTR cookie, LPBYTE buffer, LONG room, LONG* given) {
    auto* feed = reinterpret_cast<Feed*>(cookie);
    const size_t n = std::min(static_cast<size_t>(room), feed->text->size() - feed->at);
    std::copy_n(feed->text->data() + feed->at, n, buffer);
    feed->at += n;
    *given = static_cast<LONG>(n);
    return 0;
}

// Streams the waiting runs in at the end with the drawing off: the reader's
// selection and scroll position stay.
void Flush(ControlRecord& c) {
    if (c.rtf.empty()) return;
    const std::string doc = Document(c.rtf);
    c.rtf.clear();
    HWND hwnd = c.hwnd;
    SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
    CHARRANGE kept{};
    SendMessageW(hwnd, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&kept));
    POINT scrolled{};
    SendMessageW(hwnd, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scrolled));
    CHARRANGE end{-1, -1};
    SendMessageW(hwnd, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
    Feed feed{&doc, 0};
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&feed), 0, FeedStream};
    SendMessageW(hwnd, EM_STREAMIN, SF_RTF | SFF_SELECTION, reinterpret_cast<LPARAM>(&stream));
    SendMessageW(hwnd, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&kept));
    SendMessageW(hwnd, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scrolled));
    SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd, nullptr, FALSE);
}

// Tab leaves the text for the next control, as in a dialog (the rich edit
// would keep every Tab to itself); waiting runs go in.
LRESULT CALLBACK TextProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                          DWORD_PTR) {
    if (message == WM_GETDLGCODE) {
        LRESULT code = DefSubclassProc(hwnd, message, wParam, lParam);
        const auto* msg = reinterpret_cast<const MSG*>(lParam);
        code &= ~(DLGC_WANTTAB | DLGC_WANTALLKEYS);
        if (msg && msg->wParam == VK_TAB) code &= ~DLGC_WANTMESSAGE;
        return code;
    }
    if (message == kFlushMessage) {
        int id = -1;
        if (ControlRecord* c = ControlOf(hwnd, &id)) Flush(*c);
        return 0;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, TextProc, 0);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

// Queues a run; the first one waiting asks the loop to stream them in.
void Queue(ControlRecord& c, TextStyle style, const std::string& text) {
    const bool first = c.rtf.empty();
    AppendRun(c.rtf, style, text);
    if (c.rtf.size() > kMostWaiting)
        Flush(c);
    else if (first && !c.rtf.empty())
        PostMessageW(c.hwnd, kFlushMessage, 0, 0);
}

}  // namespace

HWND NewText(HWND parent, int id, int x, int y, int w, int h, const std::string& caption) {
    const wchar_t* cls = TextClass();
    if (!cls) return nullptr;
    HWND text = CreateWindowExW(
        WS_EX_CLIENTEDGE, cls, L"",
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL |
            ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL,
        x, y, w, h, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(), nullptr);
    if (!text) return nullptr;
    // Past the 32K characters a rich edit takes by default; no undo kept.
    SendMessageW(text, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    SendMessageW(text, EM_SETUNDOLIMIT, 0, 0);
    SendMessageW(text, EM_SETTARGETDEVICE, 0, 1);  // a line width of 1: no wrapping
    SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(MonospaceFont()), FALSE);
    SetWindowSubclass(text, TextProc, 0, 0);
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
    // The text and its RTF name the face found: a rich edit asking for a
    // missing one by name alone gets a proportional font.
    for (const wchar_t* face : {L"Consolas", L"Courier New", L""}) {
        lstrcpynW(base.lfFaceName, face, LF_FACESIZE);
        HFONT font = CreateFontIndirectW(&base);
        if (!font) continue;
        wchar_t found[LF_FACESIZE] = {};
        const bool fixed = FixedPitch(font, found);
        DeleteObject(font);
        if (fixed || !*face) {
            if (found[0]) lstrcpynW(base.lfFaceName, found, LF_FACESIZE);
            monospace = CreateFontIndirectW(&base);
            break;
        }
    }
    return monospace ? monospace : ControlFont();
}

void ReleaseMonospaceFont() {
    if (monospace) DeleteObject(monospace);
    monospace = nullptr;
}

std::string TextOf(ControlRecord& text) {
    Flush(text);
    GETTEXTLENGTHEX length{GTL_USECRLF | GTL_NUMCHARS, 1200};
    const auto most =
        SendMessageW(text.hwnd, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
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

void ReplaceText(int id, const std::string& utf8) {
    ControlRecord* c = Text(id);
    if (!c) return;
    // A new control rather than the old one emptied: Wine's rich edit takes
    // minutes to delete a hundred thousand lines.
    RECT place{};
    GetWindowRect(c->hwnd, &place);
    HWND parent = GetParent(c->hwnd);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&place), 2);
    HWND fresh = NewText(parent, id, place.left, place.top, place.right - place.left,
                         place.bottom - place.top, c->caption);
    if (!fresh) return;
    RenewControl(id, fresh);
    c->rtf.clear();
    Queue(*c, TextStyle::Plain, utf8);
}

}  // namespace platform::win32

namespace platform {
using namespace platform::win32;

void TextAppend(int id, const std::string& text, TextStyle style) {
    if (ControlRecord* c = Text(id); c && !text.empty()) Queue(*c, style, text);
}

}  // namespace platform
