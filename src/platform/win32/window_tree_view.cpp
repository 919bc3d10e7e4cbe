// The tree's list view: an owner-data list (LVS_OWNERDATA) that holds no item
// of its own, only the count of the visible rows, and asks for a row's text,
// image and indent as it draws it. Appending, expanding and collapsing so cost
// what the rows cost, never an item per row in the control. The glyph of a
// row with children is drawn in the indent, and a click on it, Right/Left
// and +/- open and close rows as in a tree view.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>

#include "platform/win32/utf16.h"
#include "platform/win32/window_backend.h"

namespace platform::win32 {

void SelectIndex(HWND list, int index) {
    if (index >= 0 && ListView_GetNextItem(list, -1, LVNI_SELECTED) == index) {
        ListView_SetItemState(list, index, LVIS_FOCUSED, LVIS_FOCUSED);
        ListView_EnsureVisible(list, index, FALSE);
        return;
    }
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    if (index < 0) return;
    const UINT state = LVIS_SELECTED | LVIS_FOCUSED;
    ListView_SetItemState(list, index, state, state);
    ListView_EnsureVisible(list, index, FALSE);
}

namespace {

constexpr int kLevel = 16;  // one step of indent: the image list's width

int keyboardMenuTree = -1;  // the tree whose Menu key asked for the last menu

// The list row at `at` (client pixels), by its height: -1 past the rows.
int IndexAt(HWND list, POINT at) {
    const int top = ListView_GetTopIndex(list);
    RECT first{};
    if (ListView_GetItemCount(list) == 0 || !ListView_GetItemRect(list, top, &first, LVIR_BOUNDS))
        return -1;
    const int height = first.bottom - first.top;
    if (height <= 0 || at.y < first.top || at.x < first.left || at.x >= first.right) return -1;
    const int index = top + (at.y - first.top) / height;
    return index < ListView_GetItemCount(list) ? index : -1;
}

int IndexAtCursor(HWND list) {
    POINT at;
    GetCursorPos(&at);
    ScreenToClient(list, &at);
    return IndexAt(list, at);
}

// The glyph's place: the step of indent left of the row's image.
RECT GlyphRect(HWND list, int index) {
    RECT icon{};
    ListView_GetItemRect(list, index, &icon, LVIR_ICON);
    return RECT{icon.left - kLevel, icon.top, icon.left, icon.bottom};
}

void DrawGlyph(HDC dc, const RECT& r, bool expanded) {
    const int side = 9, x = (r.left + r.right - side) / 2, y = (r.top + r.bottom - side) / 2;
    HPEN frame = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_GRAYTEXT));
    HPEN sign = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOWTEXT));
    HGDIOBJ oldPen = SelectObject(dc, frame);
    HGDIOBJ oldBrush = SelectObject(dc, GetSysColorBrush(COLOR_WINDOW));
    Rectangle(dc, x, y, x + side, y + side);
    SelectObject(dc, sign);
    MoveToEx(dc, x + 2, y + side / 2, nullptr);
    LineTo(dc, x + side - 2, y + side / 2);
    if (!expanded) {
        MoveToEx(dc, x + side / 2, y + 2, nullptr);
        LineTo(dc, x + side / 2, y + side - 2);
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(sign);
    DeleteObject(frame);
}

LRESULT CustomDraw(const ControlRecord& c, NMLVCUSTOMDRAW* draw) {
    if (!c.nested) return CDRF_DODEFAULT;
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: return CDRF_NOTIFYPOSTPAINT;
    case CDDS_ITEMPOSTPAINT: {
        const int index = static_cast<int>(draw->nmcd.dwItemSpec);
        const int row = c.rows.VisibleRow(index);
        if (row >= 0 && c.rows.ChildCount(row) > 0)
            DrawGlyph(draw->nmcd.hdc, GlyphRect(c.hwnd, index), c.rows.Expanded(row));
        return CDRF_DODEFAULT;
    }
    default: return CDRF_DODEFAULT;
    }
}

// What the list view asks of a row as it draws or measures it.
void Describe(const ControlRecord& c, LVITEMW& item) {
    const int row = c.rows.VisibleRow(item.iItem);
    if (row < 0) {  // gone since the list view last heard: drawn blank until the sync
        if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) item.pszText[0] = 0;
        return;
    }
    if (item.mask & LVIF_IMAGE) item.iImage = c.rows.Image(row);
    if (item.mask & LVIF_INDENT) item.iIndent = c.rows.Depth(row) + (c.nested ? 1 : 0);
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        const std::wstring text = Widen(c.rows.Text(row));
        const size_t n = std::min(text.size(), static_cast<size_t>(item.cchTextMax - 1));
        std::copy_n(text.data(), n, item.pszText);
        item.pszText[n] = L'\0';
    }
}

// Typing selects the next row whose text starts with what was typed.
LRESULT Find(const ControlRecord& c, const NMLVFINDITEMW& find) {
    const wchar_t* typed = find.lvfi.psz;
    if (!(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !typed || c.shown == 0) return -1;
    const int length = static_cast<int>(wcslen(typed));
    for (int k = 0; k < c.shown; ++k) {
        const int index = (find.iStart + k) % c.shown;
        const std::wstring text = Widen(c.rows.Text(c.rows.VisibleRow(index)));
        if (static_cast<int>(text.size()) >= length &&
            CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, text.c_str(), length, typed,
                           length) == CSTR_EQUAL)
            return index;
    }
    return -1;
}

// The user opens or closes `row`. A selected row that closing hides gives
// the selection to `row`, as in a tree view.
void Fold(ControlRecord& c, int id, int row, bool open) {
    if (open)
        c.rows.Expand(row);
    else
        c.rows.Collapse(row);
    const int selected = c.rows.Selected();
    const bool lost = selected >= 0 && !c.rows.Visible(selected);
    if (lost) c.rows.Select(row);
    TreeChanged(c, true);
    SyncTree(c);
    if (lost) Controls().Report(id, EventType::Change);
}

// The user moves the selection to `row`: the list view reports it.
void Choose(ControlRecord& c, int row) { SelectIndex(c.hwnd, ShownIndex(c, row)); }

bool ClickGlyph(ControlRecord& c, int id, POINT at) {
    const int index = c.nested ? IndexAt(c.hwnd, at) : -1;
    const int row = c.rows.VisibleRow(index);
    if (row < 0 || c.rows.ChildCount(row) == 0) return false;
    const RECT glyph = GlyphRect(c.hwnd, index);
    if (!PtInRect(&glyph, at)) return false;
    Fold(c, id, row, !c.rows.Expanded(row));
    return true;
}

bool Key(ControlRecord& c, int id, WPARAM key) {
    const int row = c.rows.Selected();
    const bool folder = row >= 0 && c.rows.ChildCount(row) > 0;
    const bool open = row >= 0 && c.rows.Expanded(row);
    switch (key) {
    case VK_RIGHT:
        if (folder && !open) Fold(c, id, row, true);
        if (folder && open) Choose(c, c.rows.NthChild(row, 0));
        return true;  // never the list view's sideways scroll
    case VK_LEFT:
        if (open) Fold(c, id, row, false);
        if (!open && row >= 0 && c.rows.Parent(row) >= 0) Choose(c, c.rows.Parent(row));
        return true;
    case VK_ADD:
    case VK_OEM_PLUS:
        if (folder && !open) Fold(c, id, row, true);
        return true;
    case VK_SUBTRACT:
    case VK_OEM_MINUS:
        if (open) Fold(c, id, row, false);
        return true;
    default: return false;
    }
}

// Input meets the list view as the rows are: a sync waiting goes first.
LRESULT CALLBACK TreeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                          DWORD_PTR) {
    const bool input = (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
                       (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
    int id = -1;
    ControlRecord* c = input || message == kTreeSyncMessage ? ControlOf(hwnd, &id) : nullptr;
    if (c) SyncTree(*c);
    switch (message) {
    case kTreeSyncMessage: return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (c && ClickGlyph(*c, id, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) {
            SetFocus(hwnd);
            return 0;
        }
        break;
    case WM_KEYDOWN:
        if (c && Key(*c, id, wParam)) return 0;
        break;
    case WM_CHAR:
        if (wParam == L'+' || wParam == L'-') return 0;  // taken as keys, not typed
        break;
    case WM_SIZE: {
        const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
        if (ControlRecord* sized = ControlOf(hwnd, &id)) TreeChanged(*sized, false);  // the column
        return result;
    }
    case WM_NCDESTROY: RemoveWindowSubclass(hwnd, TreeProc, 0); break;
    default: break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

HWND NewTree(HWND parent, int id, int x, int y, int w, int h) {
    // The image list is every tree's: no list view may destroy it.
    HWND list = CreateWindowExW(
        WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL |
            LVS_SHOWSELALWAYS | LVS_OWNERDATA | LVS_NOCOLUMNHEADER | LVS_SHAREIMAGELISTS,
        x, y, w, h, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(), nullptr);
    if (!list) return nullptr;
    const DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    ListView_SetImageList(list, Images(), LVSIL_SMALL);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = w;
    ListView_InsertColumn(list, 0, &column);
    SetWindowSubclass(list, TreeProc, 0, 0);
    return list;
}

void KeyboardMenuAsked(int id) {
    keyboardMenuTree = id;
    Controls().Report(id, EventType::RightClick);
}

bool KeyboardMenuPoint(POINT* at) {
    ControlRecord* tree = Controls().Tree(keyboardMenuTree);
    if (!tree) return false;
    SyncTree(*tree);
    const int index = ShownIndex(*tree, tree->rows.Selected());
    RECT r{};
    if (index < 0 || !ListView_GetItemRect(tree->hwnd, index, &r, LVIR_LABEL)) return false;
    *at = POINT{r.left, r.bottom};
    return ClientToScreen(tree->hwnd, at) != FALSE;
}

LRESULT TreeNotify(int id, ControlRecord& tree, NMHDR* header) {
    switch (header->code) {
    case LVN_GETDISPINFOW: Describe(tree, reinterpret_cast<NMLVDISPINFOW*>(header)->item); return 0;
    case LVN_ODFINDITEMW: return Find(tree, *reinterpret_cast<NMLVFINDITEMW*>(header));
    case NM_CUSTOMDRAW: return CustomDraw(tree, reinterpret_cast<NMLVCUSTOMDRAW*>(header));
    case LVN_ITEMCHANGED: {
        // The rows keep the selection; a row gained is the user's move
        // unless the program made it.
        const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
        if (!(change->uChanged & LVIF_STATE)) return 0;
        const bool was = change->uOldState & LVIS_SELECTED, is = change->uNewState & LVIS_SELECTED;
        if (is && !was) {
            tree.rows.Select(tree.rows.VisibleRow(change->iItem));
            if (!Quiet::Active()) Controls().Report(id, EventType::Change);
        } else if (was && !is &&
                   (change->iItem < 0 || change->iItem == ShownIndex(tree, tree.rows.Selected()))) {
            tree.rows.Select(-1);
        }
        return 0;
    }
    case NM_RCLICK:
    case NM_DBLCLK: {
        // What the click acts on is the selected row when it is reported; a
        // click on empty space leaves no row selected.
        SyncTree(tree);
        const int index = IndexAtCursor(tree.hwnd);
        keyboardMenuTree = -1;
        const bool lost = index < 0 && tree.rows.Selected() >= 0;
        if (header->code == NM_RCLICK || index < 0) SelectIndex(tree.hwnd, index);
        // The list view tells a row gained, not one lost to empty space.
        if (lost) Controls().Report(id, EventType::Change);
        Controls().Report(
            id, header->code == NM_RCLICK ? EventType::RightClick : EventType::DoubleClick);
        return TRUE;  // no context menu of the list view's own
    }
    case NM_SETFOCUS: Controls().Report(id, EventType::FocusGained); return 0;
    case NM_KILLFOCUS: Controls().Report(id, EventType::FocusLost); return 0;
    default: return 0;
    }
}

}  // namespace platform::win32
