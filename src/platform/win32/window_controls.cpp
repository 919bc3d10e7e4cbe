// Controls by id: creation at a fixed rectangle, their texts, states,
// tooltip and accessible names.
#include <windows.h>
// after windows.h, which they need
#include <commctrl.h>
#include <initguid.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "platform/win32/utf16.h"
#include "platform/win32/window_backend.h"

namespace platform::win32 {
namespace {

ControlTable<ControlRecord> controls;
HWND tooltip = nullptr;

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;

HWND Build(HWND parent, int id, ControlKind kind, int x, int y, int w, int h,
           const std::string& caption) {
    const std::wstring text = Widen(caption);
    auto menuId = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
    auto make = [&](DWORD exStyle, const wchar_t* cls, DWORD style) {
        return CreateWindowExW(exStyle, cls, text.c_str(), kChild | style, x, y, w, h, parent,
                               menuId, Instance(), nullptr);
    };
    switch (kind) {
    case ControlKind::Label: return make(0, WC_STATICW, SS_LEFTNOWORDWRAP | SS_NOPREFIX);
    case ControlKind::Field: return make(WS_EX_CLIENTEDGE, WC_EDITW, WS_TABSTOP | ES_AUTOHSCROLL);
    case ControlKind::Button: return make(0, WC_BUTTONW, WS_TABSTOP | BS_PUSHBUTTON);
    case ControlKind::DefaultButton: return make(0, WC_BUTTONW, WS_TABSTOP | BS_DEFPUSHBUTTON);
    case ControlKind::CheckBox: return make(0, WC_BUTTONW, WS_TABSTOP | BS_AUTOCHECKBOX);
    case ControlKind::Link: return CreateLink(parent, id, caption, x, y, w, h);
    case ControlKind::Tree: return NewTree(parent, id, x, y, w, h);
    case ControlKind::List: return NewList(parent, id, x, y, w, h, caption);
    case ControlKind::Text: return NewText(parent, id, x, y, w, h, caption);
    case ControlKind::Editor: return NewEditor(parent, id, x, y, w, h, caption);
    case ControlKind::Choice: return NewChoice(parent, id, x, y, w, h, caption);
    }
    return nullptr;
}

std::wstring WindowText(HWND hwnd) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

TTTOOLINFOW ToolFor(const ControlRecord& c) {
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = GetParent(c.hwnd);
    info.uId = reinterpret_cast<UINT_PTR>(c.hwnd);
    return info;
}

void RemoveTool(ControlRecord& c) {
    if (!c.tooltip || !tooltip) return;
    TTTOOLINFOW info = ToolFor(c);
    SendMessageW(tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    c.tooltip = false;
}

// New controls go below the others, so the z-order is the order of creation
// and so is Tab. Labels take no part in Tab: kept under every other control,
// a label never paints over a field it overlaps.
void LabelsToTheBottom(int window) {
    for (const auto& [id, c] : controls) {
        if (c.window == window && c.kind == ControlKind::Label)
            SetWindowPos(c.hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

// A caption is drawn in the dialog font where it fits the room its control
// gives it, else in the largest smaller size that fits, down to 7 points;
// past that the 7-point font narrowed, to three quarters at most.
constexpr int kMinimumPoints = 7;
std::map<std::pair<LONG, LONG>, HFONT> smallerFonts;  // by height and width, shared

// The dialog font at `height` pixels, `width` its average character width
// (0: the face's own).
HFONT FontOf(LONG height, LONG width) {
    LOGFONTW base{};
    GetObjectW(ControlFont(), sizeof base, &base);
    if (std::labs(base.lfHeight) == height && width == 0) return ControlFont();
    HFONT& font = smallerFonts[{height, width}];
    if (!font) {
        base.lfHeight = -height;
        base.lfWidth = width;
        font = CreateFontIndirectW(&base);
    }
    return font ? font : ControlFont();
}

// The text's width in `font` and the font's average character width.
std::pair<int, LONG> Measure(HWND hwnd, HFONT font, const std::wstring& text) {
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return {size.cx, metrics.tmAveCharWidth};
}

RECT PlaceOf(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The width the caption may take: a label's up to the first field that covers
// it; a button's inside its frame; a check box's beside its box.
int CaptionRoom(const ControlRecord& c) {
    const RECT place = PlaceOf(c.hwnd);
    const int edge = GetSystemMetrics(SM_CXEDGE);
    switch (c.kind) {
    case ControlKind::Label: {
        LONG right = place.right;
        for (const auto& [id, other] : controls) {
            if (other.window != c.window || other.kind != ControlKind::Field) continue;
            const RECT field = PlaceOf(other.hwnd);
            RECT common;
            if (field.left > place.left && IntersectRect(&common, &place, &field))
                right = std::min(right, field.left);
        }
        return right - place.left;
    }
    case ControlKind::CheckBox:
        return place.right - place.left - GetSystemMetrics(SM_CXMENUCHECK) - 2 * edge;
    default: return place.right - place.left - 2 * (edge + Scale(2));
    }
}

void FitCaption(const ControlRecord& c) {
    switch (c.kind) {
    case ControlKind::Field:
    case ControlKind::Tree:
    case ControlKind::Link:
    case ControlKind::List:
    case ControlKind::Text:
    case ControlKind::Editor:
    case ControlKind::Choice: return;  // no caption drawn, or a font of their own
    default: break;
    }
    const std::wstring text = WindowText(c.hwnd);
    const int room = CaptionRoom(c);
    LOGFONTW base{};
    GetObjectW(ControlFont(), sizeof base, &base);
    const LONG minimum = MulDiv(kMinimumPoints, Scale(96), 72);
    LONG height = std::labs(base.lfHeight);
    while (height > minimum && Measure(c.hwnd, FontOf(height, 0), text).first > room) --height;
    LONG width = 0;
    const auto [drawn, average] = Measure(c.hwnd, FontOf(height, 0), text);
    if (drawn > room && drawn > 0) width = std::max<LONG>(average * room / drawn, average * 3 / 4);
    SendMessageW(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(height, width)), TRUE);
}

// A new field may cover labels made before it.
void FitCaptions(int id) {
    ControlRecord* c = controls.Find(id);
    if (!c) return;
    if (c->kind != ControlKind::Field) return FitCaption(*c);
    for (const auto& [other, label] : controls)
        if (label.window == c->window && label.kind == ControlKind::Label) FitCaption(label);
}

}  // namespace

ControlTable<ControlRecord>& Controls() { return controls; }

void ReleaseCaptionFonts() {
    for (auto& [size, font] : smallerFonts)
        if (font) DeleteObject(font);
    smallerFonts.clear();
}

ControlRecord* ControlOf(HWND hwnd, int* id) {
    if (!hwnd) return nullptr;
    for (auto& [key, record] : controls) {
        if (record.hwnd == hwnd) {
            *id = key;
            return &record;
        }
    }
    return nullptr;
}

void ForgetControls(int window) { controls.ForgetWindow(window, RemoveTool); }

void SetAccessibleName(HWND hwnd, const std::wstring& name) {
    IAccPropServices* services = nullptr;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IAccPropServices, reinterpret_cast<void**>(&services))))
        return;
    services->SetHwndPropStr(hwnd, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME,
                             name.c_str());
    services->Release();
}

void RenewControl(int id, HWND fresh) {
    ControlRecord* c = controls.Find(id);
    if (!c) return;
    HWND old = c->hwnd;
    std::wstring tip;
    if (c->tooltip && tooltip) {
        std::vector<wchar_t> buffer(1024, L'\0');
        TTTOOLINFOW info = ToolFor(*c);
        info.lpszText = buffer.data();
        SendMessageW(tooltip, TTM_GETTEXTW, buffer.size(), reinterpret_cast<LPARAM>(&info));
        tip = buffer.data();
        RemoveTool(*c);
    }
    SetWindowPos(fresh, old, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EnableWindow(fresh, IsWindowEnabled(old));
    const bool focused = GetFocus() == old;
    c->hwnd = fresh;
    if (focused) ::SetFocus(fresh);
    DestroyWindow(old);
    if (!tip.empty()) platform::SetTooltip(id, Narrow(tip));
}

void ReleaseTooltip() {
    if (tooltip) DestroyWindow(tooltip);
    tooltip = nullptr;
    for (auto& [id, c] : controls) c.tooltip = false;
}

}  // namespace platform::win32

namespace platform {
using namespace platform::win32;

bool CreateControl(int window, int id, ControlKind kind, int x, int y, int w, int h,
                   const std::string& caption) {
    WindowRecord* parent = FindWindow(window);
    if (!parent) return false;
    DestroyControl(id);
    HWND hwnd = Build(parent->hwnd, id, kind, Scale(x), Scale(y), Scale(w), Scale(h), caption);
    if (!hwnd) return false;
    // The text has its own font (NewText).
    if (kind != ControlKind::Text)
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont()), FALSE);
    if (kind == ControlKind::DefaultButton) parent->defaultButton = id;
    ControlRecord& record = controls.Add(id, window, kind);
    record.hwnd = hwnd;
    record.caption = caption;
    LabelsToTheBottom(window);
    FitCaptions(id);
    return true;
}

void DestroyControl(int id) {
    ControlRecord* c = controls.Find(id);
    if (!c) return;
    RemoveTool(*c);
    HWND hwnd = c->hwnd;
    if (WindowRecord* w = FindWindow(c->window); w && w->defaultButton == id) w->defaultButton = -1;
    controls.Erase(id);  // first, so the focus leaving it reports nothing
    DestroyWindow(hwnd);
}

bool ControlExists(int id) { return FindControl(id) != nullptr; }

std::string GetText(int id) {
    ControlRecord* c = FindControl(id);
    if (!c || c->kind == ControlKind::Tree || c->kind == ControlKind::List) return "";
    if (c->kind == ControlKind::Text) return TextOf(*c);
    if (c->kind == ControlKind::Editor) return EditorText(c->hwnd);
    return Narrow(WindowText(c->hwnd));
}

void SetText(int id, const std::string& text) {
    ControlRecord* c = FindControl(id);
    if (!c || c->kind == ControlKind::Tree || c->kind == ControlKind::List) return;
    if (c->kind == ControlKind::Text) return ReplaceText(id, text);
    if (c->kind == ControlKind::Editor) return SetEditorText(c->hwnd, text);
    if (c->kind == ControlKind::Choice) return;  // its items are its texts
    std::wstring wide = Widen(text);
    if (WindowText(c->hwnd) == wide) return;  // an unchanged text must not repaint
    Quiet quiet;
    SetWindowTextW(c->hwnd, wide.c_str());
    FitCaption(*c);
}

int GetCheck(int id) {
    ControlRecord* c = FindControl(id);
    if (!c || c->kind != ControlKind::CheckBox) return 0;
    return SendMessageW(c->hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void SetCheck(int id, int state) {
    ControlRecord* c = FindControl(id);
    if (!c || c->kind != ControlKind::CheckBox) return;
    SendMessageW(c->hwnd, BM_SETCHECK, state ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool IsEnabled(int id) {
    ControlRecord* c = FindControl(id);
    return c && IsWindowEnabled(c->hwnd);
}

void SetEnabled(int id, bool enabled) {
    ControlRecord* c = FindControl(id);
    if (!c) return;
    const bool hadFocus = GetFocus() == c->hwnd;
    EnableWindow(c->hwnd, enabled);
    // A disabled control keeps no focus; pass it on so Tab still works.
    if (!enabled && hadFocus) {
        HWND parent = GetParent(c->hwnd);
        HWND next = GetNextDlgTabItem(parent, c->hwnd, FALSE);
        ::SetFocus(next && next != c->hwnd ? next : parent);
    }
}

void SetTooltip(int id, const std::string& text) {
    ControlRecord* c = FindControl(id);
    if (!c) return;
    if (text.empty()) {
        RemoveTool(*c);
        return;
    }
    if (!tooltip) {
        tooltip =
            CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                            WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, MainHwnd(), nullptr, Instance(), nullptr);
        if (!tooltip) return;
        SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, Scale(400));
    }
    std::wstring wide = Widen(text);
    TTTOOLINFOW info = ToolFor(*c);
    info.lpszText = wide.data();
    SendMessageW(tooltip, c->tooltip ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0,
                 reinterpret_cast<LPARAM>(&info));
    c->tooltip = true;
}

void SetFocus(int id) {
    ControlRecord* c = FindControl(id);
    if (!c) return;
    ::SetFocus(c->hwnd);
    // As a dialog does when Tab reaches a field: the text is ready to replace.
    if (c->kind == ControlKind::Field || c->kind == ControlKind::Editor)
        SendMessageW(c->hwnd, EM_SETSEL, 0, -1);
}

void SetLabelFor(int label, int field) {
    ControlRecord* l = FindControl(label);
    ControlRecord* f = FindControl(field);
    if (!l || !f || l->kind != ControlKind::Label) return;
    // Screen readers name a field after the label above it in tab order;
    // labels sit at the bottom of it here, so name the field outright.
    SetAccessibleName(f->hwnd, WindowText(l->hwnd));
}

}  // namespace platform
