// The report list: a list view in report style whose texts live in the
// control record and are handed over as rows are drawn (LVS_OWNERDATA), so
// appending a hundred thousand rows costs one message. Tick-box columns draw
// a box over their cells after the row ("1" ticked, "0" not, "" none), and
// the list ticks them itself: the list view knows nothing of them.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <algorithm>

#include "platform/win32/utf16.h"
#include "platform/win32/window_backend.h"

namespace platform::win32 {
namespace {

ControlRecord* List(int id) {
    ControlRecord* c = FindControl(id);
    return c && c->kind == ControlKind::List ? c : nullptr;
}

int ColumnCount(HWND list) {
    return static_cast<int>(SendMessageW(ListView_GetHeader(list), HDM_GETITEMCOUNT, 0, 0));
}

// The cell's text; empty past its row's end.
const std::wstring& Cell(const ControlRecord& list, int row, int column) {
    static const std::wstring kNone;
    if (row < 0 || row >= static_cast<int>(list.cells.size())) return kNone;
    const auto& cells = list.cells[static_cast<size_t>(row)];
    if (column < 0 || column >= static_cast<int>(cells.size())) return kNone;
    return cells[static_cast<size_t>(column)];
}

bool TickColumn(const ControlRecord& list, int column) {
    return column >= 0 && column < static_cast<int>(list.ticks.size()) &&
           list.ticks[static_cast<size_t>(column)];
}

void CopyCell(const ControlRecord& list, LVITEMW& item) {
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
    // A tick-box cell shows its box, never its "1" or "0".
    static const std::wstring kBoxOnly;
    const std::wstring& cell =
        TickColumn(list, item.iSubItem) ? kBoxOnly : Cell(list, item.iItem, item.iSubItem);
    const wchar_t* text = cell.c_str();
    size_t length = std::min(cell.size(), static_cast<size_t>(item.cchTextMax - 1));
    std::copy_n(text, length, item.pszText);
    item.pszText[length] = L'\0';
}

// Where a cell is drawn, in the list's client pixels. The first column's
// bounds are the whole row's.
RECT CellRect(const ControlRecord& list, int row, int column) {
    RECT r{LVIR_BOUNDS, column, 0, 0};
    SendMessageW(list.hwnd, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&r));
    if (column == 0) r.right = r.left + ListView_GetColumnWidth(list.hwnd, 0);
    return r;
}

void DrawTicks(const ControlRecord& list, HDC dc, int row) {
    const int side = GetSystemMetrics(SM_CXMENUCHECK);
    for (int column = 0; column < static_cast<int>(list.ticks.size()); ++column) {
        const std::wstring& cell = Cell(list, row, column);
        if (!TickColumn(list, column) || cell.empty()) continue;
        const RECT r = CellRect(list, row, column);
        const int left = r.left + std::max(0, static_cast<int>(r.right - r.left - side) / 2);
        const int top = r.top + (r.bottom - r.top - side) / 2;
        RECT box{left, top, left + side, top + side};
        const UINT state = DFCS_BUTTONCHECK | (cell == L"1" ? DFCS_CHECKED : 0);
        DrawFrameControl(dc, &box, DFC_BUTTON, state);
    }
}

// Turns a tick over: "1" and "0" swap, a row without a box stays as it is.
bool Flip(ControlRecord& list, int row, int column) {
    if (!TickColumn(list, column) || Cell(list, row, column).empty()) return false;
    std::wstring& cell = list.cells[static_cast<size_t>(row)][static_cast<size_t>(column)];
    cell = cell == L"1" ? L"0" : L"1";
    ListView_RedrawItems(list.hwnd, row, row);
    return true;
}

// A click at `at` on a tick-box cell ticks it; true when it did.
bool ClickTick(ControlRecord& list, POINT at) {
    LVHITTESTINFO hit{};
    hit.pt = at;
    SendMessageW(list.hwnd, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    return hit.iItem >= 0 && Flip(list, hit.iItem, hit.iSubItem);
}

// Space ticks the selected row's first box.
void SpaceTick(ControlRecord& list) {
    const int row = ListView_GetNextItem(list.hwnd, -1, LVNI_SELECTED);
    for (int column = 0; row >= 0 && column < static_cast<int>(list.ticks.size()); ++column)
        if (Flip(list, row, column)) return;
}

// Space selects the focused row anew, through a deselection of all: a move
// only when the selected row is another one after it.
LRESULT CALLBACK ListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                          DWORD_PTR) {
    if (message == WM_KEYDOWN && wParam == VK_SPACE) {
        const int before = ListView_GetNextItem(hwnd, -1, LVNI_SELECTED);
        LRESULT result;
        {
            Quiet quiet;
            result = DefSubclassProc(hwnd, message, wParam, lParam);
        }
        const int after = ListView_GetNextItem(hwnd, -1, LVNI_SELECTED);
        int id = -1;
        if (after >= 0 && after != before && ControlOf(hwnd, &id))
            Controls().Report(id, EventType::Change);
        return result;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, ListProc, 0);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT CustomDraw(const ControlRecord& list, NMLVCUSTOMDRAW* draw) {
    if (std::find(list.ticks.begin(), list.ticks.end(), true) == list.ticks.end())
        return CDRF_DODEFAULT;
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: return CDRF_NOTIFYPOSTPAINT;
    case CDDS_ITEMPOSTPAINT:
        DrawTicks(list, draw->nmcd.hdc, static_cast<int>(draw->nmcd.dwItemSpec));
        return CDRF_DODEFAULT;
    default: return CDRF_DODEFAULT;
    }
}

}  // namespace

HWND NewList(HWND parent, int id, int x, int y, int w, int h, const std::string& caption) {
    const std::wstring name = Widen(caption);
    HWND list = CreateWindowExW(
        WS_EX_CLIENTEDGE, WC_LISTVIEWW, name.c_str(),
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL |
            LVS_SHOWSELALWAYS | LVS_OWNERDATA,
        x, y, w, h, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(), nullptr);
    if (!list) return nullptr;
    const DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    SetWindowSubclass(list, ListProc, 0, 0);
    SetAccessibleName(list, name);
    return list;
}

void FitLastColumn(const ControlRecord& list) {
    const int last = ColumnCount(list.hwnd) - 1;
    if (last < 0) return;
    RECT client{};
    GetClientRect(list.hwnd, &client);
    int left = client.right;
    for (int i = 0; i < last; ++i) left -= ListView_GetColumnWidth(list.hwnd, i);
    // Too narrow for the others: the last keeps a readable width and the
    // list scrolls sideways.
    const int width = std::max(left, Scale(40));
    if (ListView_GetColumnWidth(list.hwnd, last) != width)
        ListView_SetColumnWidth(list.hwnd, last, width);
}

LRESULT ListNotify(int id, ControlRecord& list, NMHDR* header) {
    switch (header->code) {
    case LVN_GETDISPINFOW: CopyCell(list, reinterpret_cast<NMLVDISPINFOW*>(header)->item); return 0;
    case LVN_ITEMCHANGED: {
        // The row the user moved to; its predecessor's loss says nothing more.
        const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
        const bool selected = (change->uChanged & LVIF_STATE) &&
                              (change->uNewState & LVIS_SELECTED) &&
                              !(change->uOldState & LVIS_SELECTED);
        if (selected && !Quiet::Active()) Controls().Report(id, EventType::Change);
        return 0;
    }
    case NM_CUSTOMDRAW: return CustomDraw(list, reinterpret_cast<NMLVCUSTOMDRAW*>(header));
    case NM_CLICK: ClickTick(list, reinterpret_cast<NMITEMACTIVATE*>(header)->ptAction); return 0;
    case NM_DBLCLK:
        // The second click on a box ticks again; it opens nothing.
        if (!ClickTick(list, reinterpret_cast<NMITEMACTIVATE*>(header)->ptAction))
            Controls().Report(id, EventType::DoubleClick);
        return 0;
    case LVN_KEYDOWN:
        if (reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey == VK_SPACE) SpaceTick(list);
        return 0;
    case NM_SETFOCUS: Controls().Report(id, EventType::FocusGained); return 0;
    case NM_KILLFOCUS: Controls().Report(id, EventType::FocusLost); return 0;
    default: return 0;
    }
}

}  // namespace platform::win32

namespace platform {
using namespace platform::win32;

void ListSetColumns(int id, const std::vector<ListColumn>& columns) {
    ControlRecord* c = List(id);
    if (!c) return;
    SendMessageW(c->hwnd, WM_SETREDRAW, FALSE, 0);
    while (ColumnCount(c->hwnd) > 0) ListView_DeleteColumn(c->hwnd, 0);
    c->ticks.clear();
    for (const ListColumn& column : columns) c->ticks.push_back(column.ticks);
    for (size_t i = 0; i < columns.size(); ++i) {
        std::wstring caption = Widen(columns[i].caption);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = caption.data();
        column.cx = Scale(columns[i].width);
        column.iSubItem = static_cast<int>(i);
        SendMessageW(c->hwnd, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
    FitLastColumn(*c);
    SendMessageW(c->hwnd, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(c->hwnd, nullptr, TRUE);
}

void ListClear(int id) {
    ControlRecord* c = List(id);
    if (!c) return;
    Quiet quiet;
    ListView_DeleteAllItems(c->hwnd);
    c->cells.clear();
    FitLastColumn(*c);
}

void ListAppend(int id, const std::vector<std::vector<std::string>>& rows) {
    ControlRecord* c = List(id);
    if (!c || rows.empty()) return;
    c->cells.reserve(c->cells.size() + rows.size());
    for (const auto& row : rows) {
        std::vector<std::wstring>& cells = c->cells.emplace_back();
        cells.reserve(row.size());
        for (const std::string& text : row) cells.push_back(Widen(text));
    }
    Quiet quiet;
    // The selection and the scroll position stay; only new rows in sight repaint.
    ListView_SetItemCountEx(c->hwnd, static_cast<int>(c->cells.size()),
                            LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    FitLastColumn(*c);  // a vertical scroll bar may have come
}

int ListCount(int id) {
    ControlRecord* c = List(id);
    return c ? static_cast<int>(c->cells.size()) : 0;
}

std::string ListText(int id, int row, int column) {
    ControlRecord* c = List(id);
    return c ? Narrow(Cell(*c, row, column)) : "";
}

void ListSetText(int id, int row, int column, const std::string& text) {
    ControlRecord* c = List(id);
    if (!c || row < 0 || row >= static_cast<int>(c->cells.size()) || column < 0) return;
    auto& cells = c->cells[static_cast<size_t>(row)];
    if (column >= static_cast<int>(cells.size())) cells.resize(static_cast<size_t>(column) + 1);
    cells[static_cast<size_t>(column)] = Widen(text);
    ListView_RedrawItems(c->hwnd, row, row);
}

int ListSelectedRow(int id) {
    ControlRecord* c = List(id);
    return c ? ListView_GetNextItem(c->hwnd, -1, LVNI_SELECTED) : -1;
}

void ListSelect(int id, int row) {
    ControlRecord* c = List(id);
    if (!c) return;
    Quiet quiet;
    ListView_SetItemState(c->hwnd, -1, 0, LVIS_SELECTED);
    if (row < 0 || row >= static_cast<int>(c->cells.size())) return;
    // Focused too, so the arrow keys go on from this row.
    const UINT state = LVIS_SELECTED | LVIS_FOCUSED;
    ListView_SetItemState(c->hwnd, row, state, state);
    ListView_EnsureVisible(c->hwnd, row, FALSE);
}

}  // namespace platform
