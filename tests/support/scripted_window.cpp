// The headless window service: windows, controls, the tree, boxes and
// images, all in memory.
#include <algorithm>

#include "support/scripted_state.h"

using namespace scripted::detail;

namespace {

std::vector<scripted::TreeItem>* TreeLocked(State& s, int id) {
    if (!s.controls.count(id)) return nullptr;
    return &s.trees[id];
}

scripted::TreeItem* ItemLocked(State& s, int id, int row) {
    auto* items = TreeLocked(s, id);
    if (!items || row < 0 || row >= static_cast<int>(items->size())) return nullptr;
    return &(*items)[row];
}

}  // namespace

namespace platform {

bool InitWindowing() {
    auto& s = S();
    Lock lk(s.m);
    IsMainLocked(s);
    return true;
}

// Windows close and queued calls are dropped; what the controls showed stays
// readable until the next Reset so tests can inspect it after the program ends.
void ShutdownWindowing() {
    auto& s = S();
    Lock lk(s.m);
    s.shutDown = true;
    s.mainWindow.open = false;
    for (auto& d : s.dialogs) d.open = false;
    DropCallsLocked(s);
}

bool OpenMainWindow(const std::string& title, int w, int h) {
    auto& s = S();
    Lock lk(s.m);
    IsMainLocked(s);
    if (s.failOpen) return false;
    s.mainWindow = scripted::WindowInfo{0, title, w, h, true};
    s.shutDown = false;
    return true;
}

int OpenDialog(const std::string& title, int w, int h) {
    auto& s = S();
    Lock lk(s.m);
    if (s.failOpen) return -1;
    int handle = static_cast<int>(s.dialogs.size()) + 1;
    s.dialogs.push_back(scripted::WindowInfo{handle, title, w, h, true});
    // Announced from the next WaitEvent: by then the caller made its controls.
    s.dialogsToAnnounce.push_back(handle);
    return handle;
}

void CloseDialog(int window) {
    auto& s = S();
    Lock lk(s.m);
    if (!DialogOpenLocked(s, window)) return;
    s.dialogs[window - 1].open = false;
    std::vector<int> owned;
    for (const auto& [id, c] : s.controls) {
        if (c.window == window) owned.push_back(id);
    }
    for (int id : owned) DestroyLocked(s, id);
}

bool CreateControl(int window, int id, ControlKind kind, int x, int y, int w, int h,
                   const std::string& caption) {
    auto& s = S();
    Lock lk(s.m);
    if (window != 0 && !DialogOpenLocked(s, window)) return false;
    DestroyLocked(s, id);
    scripted::Control c;
    c.window = window;
    c.id = id;
    c.kind = kind;
    c.x = x, c.y = y, c.w = w, c.h = h;
    c.text = caption;
    s.controls[id] = c;
    s.creation[id] = s.nextCreation++;
    return true;
}

void DestroyControl(int id) {
    auto& s = S();
    Lock lk(s.m);
    DestroyLocked(s, id);
}

bool ControlExists(int id) {
    auto& s = S();
    Lock lk(s.m);
    return FindLocked(s, id) != nullptr;
}

std::string GetText(int id) {
    auto& s = S();
    Lock lk(s.m);
    const auto* c = FindLocked(s, id);
    return c ? c->text : std::string();
}

void SetText(int id, const std::string& text) {
    auto& s = S();
    Lock lk(s.m);
    if (auto* c = FindLocked(s, id)) c->text = text;
}

int GetCheck(int id) {
    auto& s = S();
    Lock lk(s.m);
    const auto* c = FindLocked(s, id);
    return c ? c->check : 0;
}

void SetCheck(int id, int state) {
    auto& s = S();
    Lock lk(s.m);
    if (auto* c = FindLocked(s, id)) c->check = state;
}

bool IsEnabled(int id) {
    auto& s = S();
    Lock lk(s.m);
    const auto* c = FindLocked(s, id);
    return c && c->enabled;
}

void SetEnabled(int id, bool enabled) {
    auto& s = S();
    Lock lk(s.m);
    if (auto* c = FindLocked(s, id)) c->enabled = enabled;
}

void SetTooltip(int id, const std::string& text) {
    auto& s = S();
    Lock lk(s.m);
    if (auto* c = FindLocked(s, id)) c->tooltip = text;
}

// Focus has no observable effect here: tests send focus events themselves.
void SetFocus(int) {}

void SetLabelFor(int label, int field) {
    auto& s = S();
    Lock lk(s.m);
    if (auto* c = FindLocked(s, field)) c->labelFor = label;
}

void TreeClear(int id) {
    auto& s = S();
    Lock lk(s.m);
    if (auto* items = TreeLocked(s, id)) items->clear();
    s.selection.erase(id);
}

void TreeAddItem(int id, int row, const std::string& text, ImageHandle image, int depth) {
    auto& s = S();
    Lock lk(s.m);
    auto* items = TreeLocked(s, id);
    if (!items) return;
    int size = static_cast<int>(items->size());
    row = std::clamp(row, 0, size);
    scripted::TreeItem item;
    item.text = text;
    item.image = image;
    item.depth = depth;
    items->insert(items->begin() + row, item);
    // The selection follows its item, as in a real tree.
    auto sel = s.selection.find(id);
    if (sel != s.selection.end() && sel->second >= row) ++sel->second;
}

int TreeCount(int id) {
    auto& s = S();
    Lock lk(s.m);
    auto* items = TreeLocked(s, id);
    return items ? static_cast<int>(items->size()) : 0;
}

void TreeSetValue(int id, int row, int value) {
    auto& s = S();
    Lock lk(s.m);
    if (auto* item = ItemLocked(s, id, row)) item->value = value;
}

int TreeValue(int id, int row) {
    auto& s = S();
    Lock lk(s.m);
    auto* item = ItemLocked(s, id, row);
    return item ? item->value : 0;
}

std::string TreeText(int id, int row) {
    auto& s = S();
    Lock lk(s.m);
    auto* item = ItemLocked(s, id, row);
    return item ? item->text : std::string();
}

int TreeDepth(int id, int row) {
    auto& s = S();
    Lock lk(s.m);
    auto* item = ItemLocked(s, id, row);
    return item ? item->depth : 0;
}

bool TreeExpanded(int id, int row) {
    auto& s = S();
    Lock lk(s.m);
    auto* item = ItemLocked(s, id, row);
    return item && item->expanded;
}

// Like a real tree view, an item without children can't be expanded: the
// handlers list a folder on a double click exactly when it is not expanded.
void TreeExpand(int id, int row) {
    auto& s = S();
    Lock lk(s.m);
    auto* item = ItemLocked(s, id, row);
    if (!item) return;
    auto* next = ItemLocked(s, id, row + 1);
    if (next && next->depth > item->depth) item->expanded = true;
}

int TreeSelectedRow(int id) {
    auto& s = S();
    Lock lk(s.m);
    auto it = s.selection.find(id);
    return it == s.selection.end() ? -1 : it->second;
}

void TreeSelect(int id, int row) {
    auto& s = S();
    Lock lk(s.m);
    if (ItemLocked(s, id, row)) {
        s.selection[id] = row;
    } else {
        s.selection.erase(id);
    }
}

void ShowPopupMenu(const std::vector<MenuItem>& items) {
    auto& s = S();
    Lock lk(s.m);
    s.lastMenu = items;
    ++s.menusShown;
}

void ShowMessage(const std::string& title, const std::string& text) {
    auto& s = S();
    Lock lk(s.m);
    s.boxes.push_back(scripted::Box{title, text, false});
}

bool AskYesNo(const std::string& title, const std::string& text) {
    auto& s = S();
    Lock lk(s.m);
    s.boxes.push_back(scripted::Box{title, text, true});
    if (s.yesNoAnswers.empty()) return false;
    bool yes = s.yesNoAnswers.front();
    s.yesNoAnswers.pop_front();
    return yes;
}

std::string ChooseFolder(const std::string& instruction, const std::string& start) {
    auto& s = S();
    Lock lk(s.m);
    s.choosers.push_back(scripted::ChooserCall{"folder", instruction, start});
    if (s.folderAnswers.empty()) return "";
    std::string folder = s.folderAnswers.front();
    s.folderAnswers.pop_front();
    // A real chooser answers with the trailing separator.
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
    return folder;
}

std::string ChooseSaveFile(const std::string& title, const std::string& proposedName) {
    auto& s = S();
    Lock lk(s.m);
    s.choosers.push_back(scripted::ChooserCall{"save", title, proposedName});
    if (s.saveAnswers.empty()) return "";
    std::string path = s.saveAnswers.front();
    s.saveAnswers.pop_front();
    return path;
}

ImageHandle CreateImage(const uint32_t* rgba16x16) {
    auto& s = S();
    Lock lk(s.m);
    auto image = std::make_unique<std::array<uint32_t, 256>>();
    std::copy(rgba16x16, rgba16x16 + 256, image->begin());
    s.images.push_back(std::move(image));
    return static_cast<ImageHandle>(s.images.size());
}

}  // namespace platform
