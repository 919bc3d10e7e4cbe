// The tree list: a tree view addressed by row, the item's place counted from
// the top across all depths (children of collapsed items included), and the
// 16x16 images its items show.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <algorithm>

#include "platform/tree_placement.h"
#include "platform/win32/utf16.h"
#include "platform/win32/window_backend.h"

namespace platform::win32 {
namespace {

// Index 0 is a transparent square: an item "without image" still needs one,
// or the tree view shows the first image of the list.
HIMAGELIST images = nullptr;
int keyboardMenuTree = -1;  // the tree whose Menu key asked for the last menu

int RowOf(const ControlRecord& c, HTREEITEM item) {
    return FindRow(c.rows, [item](const TreeRow& r) { return r.item == item; });
}

HTREEITEM ItemAtCursor(HWND tree) {
    TVHITTESTINFO hit{};
    GetCursorPos(&hit.pt);
    ScreenToClient(tree, &hit.pt);
    HTREEITEM item = TreeView_HitTest(tree, &hit);
    return item && (hit.flags & TVHT_ONITEM) ? item : nullptr;
}

HBITMAP Bitmap(const uint32_t* argb) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = 16;
    bi.bmiHeader.biHeight = -16;  // top-down, as the pixels come
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    // 0xAARRGGBB in memory is B, G, R, A: the layout of a 32-bit DIB.
    if (bmp) std::copy(argb, argb + 256, static_cast<uint32_t*>(bits));
    return bmp;
}

}  // namespace

HIMAGELIST Images() {
    if (!images) {
        images = ImageList_Create(16, 16, ILC_COLOR32, 48, 16);
        uint32_t clear[256] = {};
        if (HBITMAP bmp = Bitmap(clear)) {
            ImageList_Add(images, bmp, nullptr);
            DeleteObject(bmp);
        }
    }
    return images;
}

void ReleaseImages() {
    if (images) ImageList_Destroy(images);
    images = nullptr;
}

void KeyboardMenuAsked(int id) {
    keyboardMenuTree = id;
    Controls().Report(id, EventType::RightClick);
}

bool KeyboardMenuPoint(POINT* at) {
    const ControlRecord* tree = Controls().Tree(keyboardMenuTree);
    HTREEITEM item = tree ? TreeView_GetSelection(tree->hwnd) : nullptr;
    RECT r;
    if (!item || !TreeView_GetItemRect(tree->hwnd, item, &r, TRUE)) return false;
    *at = POINT{r.left, r.bottom};
    return ClientToScreen(tree->hwnd, at) != FALSE;
}

LRESULT TreeNotify(int id, ControlRecord& tree, NMHDR* header) {
    switch (header->code) {
    case TVN_SELCHANGEDW:
        if (!Quiet::Active()) Controls().Report(id, EventType::Change);
        return 0;
    case NM_RCLICK:
    case NM_DBLCLK: {
        // What the click acts on is the selected row when it is reported; a
        // click on empty space leaves no row selected.
        HTREEITEM item = ItemAtCursor(tree.hwnd);
        keyboardMenuTree = -1;
        if (header->code == NM_RCLICK || !item) TreeView_SelectItem(tree.hwnd, item);
        Controls().Report(
            id, header->code == NM_RCLICK ? EventType::RightClick : EventType::DoubleClick);
        return TRUE;  // no expanding on a double click, no context menu
    }
    case NM_SETFOCUS: Controls().Report(id, EventType::FocusGained); return 0;
    case NM_KILLFOCUS: Controls().Report(id, EventType::FocusLost); return 0;
    default: return 0;
    }
}

}  // namespace platform::win32

namespace platform {
using namespace platform::win32;

void TreeClear(int id) {
    ControlRecord* c = Controls().Tree(id);
    if (!c) return;
    Quiet quiet;
    TreeView_DeleteAllItems(c->hwnd);
    c->rows.clear();
}

void TreeAddItem(int id, int row, const std::string& text, ImageHandle image, int depth) {
    ControlRecord* c = Controls().Tree(id);
    if (!c) return;
    TreeRows<TreeRow>& rows = c->rows;
    const TreePlacement p = rows.Place(row, depth);
    std::wstring wide = Widen(text);
    TVINSERTSTRUCTW insert{};
    insert.hParent = p.parent >= 0 ? rows[p.parent].item : TVI_ROOT;
    // After a known sibling: TVI_LAST walks the parent's children each time.
    insert.hInsertAfter = p.lastSiblingAbove >= 0 ? rows[p.lastSiblingAbove].item : TVI_FIRST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    insert.item.pszText = wide.data();
    const int count = images ? ImageList_GetImageCount(images) : 0;
    insert.item.iImage = insert.item.iSelectedImage = image > 0 && image < count ? image : 0;
    insert.item.lParam = 0;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(
        SendMessageW(c->hwnd, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    if (!item) return;
    rows.Insert(p, TreeRow{item, p.depth});
}

int TreeCount(int id) {
    ControlRecord* c = Controls().Tree(id);
    return c ? static_cast<int>(c->rows.size()) : 0;
}

void TreeSetValue(int id, int row, int value) {
    ControlRecord* c = Controls().TreeRow(id, row);
    if (!c) return;
    TVITEMW item{};
    item.mask = TVIF_PARAM;
    item.hItem = c->rows[row].item;
    item.lParam = value;
    SendMessageW(c->hwnd, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

int TreeValue(int id, int row) {
    ControlRecord* c = Controls().TreeRow(id, row);
    if (!c) return 0;
    TVITEMW item{};
    item.mask = TVIF_PARAM;
    item.hItem = c->rows[row].item;
    SendMessageW(c->hwnd, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return static_cast<int>(item.lParam);
}

std::string TreeText(int id, int row) {
    ControlRecord* c = Controls().TreeRow(id, row);
    if (!c) return "";
    wchar_t buffer[4097] = {};  // up to 4096 characters are read back
    TVITEMW item{};
    item.mask = TVIF_TEXT;
    item.hItem = c->rows[row].item;
    item.pszText = buffer;
    item.cchTextMax = 4097;
    SendMessageW(c->hwnd, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return Narrow(item.pszText, wcslen(item.pszText));
}

int TreeDepth(int id, int row) {
    ControlRecord* c = Controls().TreeRow(id, row);
    return c ? c->rows[row].depth : 0;
}

bool TreeExpanded(int id, int row) {
    ControlRecord* c = Controls().TreeRow(id, row);
    return c && (TreeView_GetItemState(c->hwnd, c->rows[row].item, TVIS_EXPANDED) & TVIS_EXPANDED);
}

void TreeExpand(int id, int row) {
    if (ControlRecord* c = Controls().TreeRow(id, row))
        TreeView_Expand(c->hwnd, c->rows[row].item, TVE_EXPAND);
}

int TreeSelectedRow(int id) {
    ControlRecord* c = Controls().Tree(id);
    if (!c) return -1;
    HTREEITEM item = TreeView_GetSelection(c->hwnd);
    return item ? RowOf(*c, item) : -1;
}

void TreeSelect(int id, int row) {
    ControlRecord* c = Controls().Tree(id);
    if (!c) return;
    Quiet quiet;
    HTREEITEM item = Controls().TreeRow(id, row) ? c->rows[row].item : nullptr;
    // Selecting opens the item's ancestors and scrolls it into view.
    TreeView_SelectItem(c->hwnd, item);
    if (item) TreeView_EnsureVisible(c->hwnd, item);
}

ImageHandle CreateImage(const uint32_t* argb) {
    HIMAGELIST list = Images();
    HBITMAP bmp = list ? Bitmap(argb) : nullptr;
    if (!bmp) return 0;
    const int index = ImageList_Add(list, bmp, nullptr);
    DeleteObject(bmp);
    return index > 0 ? index : 0;
}

}  // namespace platform
