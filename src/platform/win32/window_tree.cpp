// The tree list's calls: rows addressed from the top across all depths
// (children of collapsed items included), kept by the program's own row
// model and shown by a list view that asks for what it draws
// (window_tree_view.cpp). A change of the rows reaches the list view once the
// loop comes round, so a batch of appends costs it one message. And the
// 16x16 images the rows show.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "platform/win32/utf16.h"
#include "platform/win32/window_backend.h"

namespace platform::win32 {
namespace {

// Index 0 is a transparent square: a row "without image" still needs one,
// or the list view shows the first image of the list.
HIMAGELIST images = nullptr;

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

// The text as the control shows it: invalid UTF-8 reads back as U+FFFD.
std::string_view Shown(const std::string& text, std::string& fixed) {
    if (std::none_of(text.begin(), text.end(), [](char b) { return b & 0x80; })) return text;
    fixed = Narrow(Widen(text));
    return fixed;
}

// The column grows to the widest row, measured only when a row is longer
// than any before it (in characters, with its indent).
void Measure(ControlRecord& c, int row) {
    const int levels = c.rows.Depth(row) + (c.nested ? 1 : 0);
    const size_t room = std::strlen(c.rows.Text(row)) + 2 * static_cast<size_t>(levels);
    if (room <= c.widest) return;
    c.widest = room;
    const std::wstring text = Widen(c.rows.Text(row));
    HDC dc = GetDC(c.hwnd);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(c.hwnd, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(c.hwnd, dc);
    constexpr int kImageAndPadding = 16 + 16;
    c.needed = std::max(c.needed, (levels + 1) * 16 + kImageAndPadding + static_cast<int>(size.cx));
}

// The one column fills the list, wider when a row needs more: the list then
// scrolls sideways.
void FitColumn(const ControlRecord& c) {
    RECT client{};
    GetClientRect(c.hwnd, &client);
    const int width = std::max(static_cast<int>(client.right), c.needed);
    if (ListView_GetColumnWidth(c.hwnd, 0) != width) ListView_SetColumnWidth(c.hwnd, 0, width);
}

}  // namespace

int ShownIndex(const ControlRecord& tree, int row) {
    return row >= 0 && row < tree.rows.size() ? tree.rows.VisibleIndex(row) : -1;
}

void TreeChanged(ControlRecord& tree, bool shifted) {
    tree.shifted = tree.shifted || shifted;
    if (tree.stale) return;
    tree.stale = true;
    PostMessageW(tree.hwnd, kTreeSyncMessage, 0, 0);
}

void SyncTree(ControlRecord& tree) {
    if (!tree.stale) return;
    tree.stale = false;
    Quiet quiet;
    const int count = tree.rows.VisibleCount();
    // Rows only added below: the selection, the scroll position and the rows
    // in sight stay as they are.
    if (count != tree.shown || tree.shifted) {
        const DWORD keep =
            tree.shifted ? LVSICF_NOSCROLL : LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL;
        ListView_SetItemCountEx(tree.hwnd, count, keep);
        tree.shown = count;
    }
    if (tree.shifted) InvalidateRect(tree.hwnd, nullptr, FALSE);
    tree.shifted = false;
    const int selected = ShownIndex(tree, tree.rows.Selected());
    if (ListView_GetNextItem(tree.hwnd, -1, LVNI_SELECTED) != selected)
        SelectIndex(tree.hwnd, selected);
    FitColumn(tree);
}

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

}  // namespace platform::win32

namespace platform {
using namespace platform::win32;

void TreeClear(int id) {
    ControlRecord* c = Controls().Tree(id);
    if (!c) return;
    Quiet quiet;
    c->rows.Clear();
    c->shown = 0;
    c->stale = c->shifted = c->nested = false;
    c->widest = 0;
    c->needed = 0;
    ListView_SetItemCountEx(c->hwnd, 0, 0);
    TreeChanged(*c, true);  // the column narrows again
}

void TreeAddItem(int id, int row, const std::string& text, ImageHandle image, int depth) {
    ControlRecord* c = Controls().Tree(id);
    if (!c) return;
    const int count = images ? ImageList_GetImageCount(images) : 0;
    std::string fixed;
    RowModel& rows = c->rows;
    const TreePlacement p =
        rows.Add(row, depth, Shown(text, fixed), image > 0 && image < count ? image : 0);
    // Rows below moved, the indent came, or a parent got its glyph: the rows
    // in sight are drawn again. A row added at the end costs nothing more.
    bool shifted = p.at != rows.size() - 1 || (p.depth > 0 && !c->nested) ||
                   (p.parent >= 0 && rows.ChildCount(p.parent) == 1 && rows.Visible(p.parent));
    c->nested = c->nested || p.depth > 0;
    Measure(*c, p.at);
    TreeChanged(*c, shifted);
}

int TreeCount(int id) {
    ControlRecord* c = Controls().Tree(id);
    return c ? c->rows.size() : 0;
}

// The value is not shown: the list view need not hear of it.
void TreeSetValue(int id, int row, int value) {
    if (ControlRecord* c = Controls().TreeRow(id, row)) c->rows.SetValue(row, value);
}

int TreeValue(int id, int row) {
    ControlRecord* c = Controls().TreeRow(id, row);
    return c ? c->rows.Value(row) : 0;
}

std::string TreeText(int id, int row) {
    ControlRecord* c = Controls().TreeRow(id, row);
    return c ? c->rows.Text(row) : "";
}

int TreeDepth(int id, int row) {
    ControlRecord* c = Controls().TreeRow(id, row);
    return c ? c->rows.Depth(row) : 0;
}

bool TreeExpanded(int id, int row) {
    ControlRecord* c = Controls().TreeRow(id, row);
    return c && c->rows.Expanded(row);
}

void TreeExpand(int id, int row) {
    ControlRecord* c = Controls().TreeRow(id, row);
    if (!c) return;
    c->rows.Expand(row);
    TreeChanged(*c, true);
}

int TreeSelectedRow(int id) {
    ControlRecord* c = Controls().Tree(id);
    return c ? c->rows.Selected() : -1;
}

// Selecting opens the row's ancestors and scrolls it into view.
void TreeSelect(int id, int row) {
    ControlRecord* c = Controls().Tree(id);
    if (!c) return;
    Quiet quiet;
    const bool known = Controls().TreeRow(id, row) != nullptr;
    if (known && !c->rows.Visible(row)) TreeChanged(*c, true);
    c->rows.Select(known ? row : -1);
    SyncTree(*c);
    SelectIndex(c->hwnd, ShownIndex(*c, c->rows.Selected()));
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
