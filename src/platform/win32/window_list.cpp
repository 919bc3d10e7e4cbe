// The report list: a list view in report style whose texts live in the
// control record and are handed over as rows are drawn (LVS_OWNERDATA), so
// appending a hundred thousand rows costs one message.
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

void CopyCell(const ControlRecord& list, LVITEMW& item) {
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
    const wchar_t* text = L"";
    size_t length = 0;
    if (item.iItem >= 0 && item.iItem < static_cast<int>(list.cells.size())) {
        const auto& row = list.cells[static_cast<size_t>(item.iItem)];
        if (item.iSubItem >= 0 && item.iSubItem < static_cast<int>(row.size())) {
            text = row[static_cast<size_t>(item.iSubItem)].c_str();
            length = row[static_cast<size_t>(item.iSubItem)].size();
        }
    }
    length = std::min(length, static_cast<size_t>(item.cchTextMax - 1));
    std::copy_n(text, length, item.pszText);
    item.pszText[length] = L'\0';
}

}  // namespace

HWND NewList(HWND parent, int id, int x, int y, int w, int h, const std::string& caption) {
    const std::wstring name = Widen(caption);
    HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, name.c_str(),
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | LVS_REPORT |
                                    LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA,
                                x, y, w, h, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(),
                                nullptr);
    if (!list) return nullptr;
    const DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
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
    case LVN_GETDISPINFOW:
        CopyCell(list, reinterpret_cast<NMLVDISPINFOW*>(header)->item);
        return 0;
    case LVN_ITEMCHANGED: {
        // The row the user moved to; its predecessor's loss says nothing more.
        const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
        const bool selected = (change->uChanged & LVIF_STATE) &&
                              (change->uNewState & LVIS_SELECTED) &&
                              !(change->uOldState & LVIS_SELECTED);
        if (selected && !Quiet::Active()) Controls().Report(id, EventType::Change);
        return 0;
    }
    case NM_DBLCLK:
        Controls().Report(id, EventType::DoubleClick);
        return 0;
    case NM_SETFOCUS:
        Controls().Report(id, EventType::FocusGained);
        return 0;
    case NM_KILLFOCUS:
        Controls().Report(id, EventType::FocusLost);
        return 0;
    default:
        return 0;
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
    if (!c || row < 0 || row >= static_cast<int>(c->cells.size())) return "";
    const auto& cells = c->cells[static_cast<size_t>(row)];
    return column >= 0 && column < static_cast<int>(cells.size())
               ? Narrow(cells[static_cast<size_t>(column)])
               : "";
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
