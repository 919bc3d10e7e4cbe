// The headless window: the window service in memory, the program's own queue
// for the user's events, posted events and queued calls, and what the tests
// read back. One mutex guards the rest; callbacks run with it released, since
// they call back into the service.
#include "support/scripted_window.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

#include "platform/main_thread_queue.h"

namespace {

using platform::Event;
namespace queue = platform::queue;
using Lock = std::unique_lock<std::mutex>;

struct Slot {  // a control, with its rows and selection when it is a tree or list
    scripted::Control c;
    std::vector<scripted::TreeItem> rows;
    int selected = -1;
    std::vector<platform::ListColumn> columns;
    std::vector<std::vector<std::string>> listRows;
    std::vector<scripted::TextRun> runs;
};

std::atomic<int> handOvers{0};  // workers queue calls without the lock

// Everything Reset forgets.
struct Data {
    std::thread::id mainThread;
    scripted::WindowInfo mainWindow;
    std::vector<scripted::WindowInfo> dialogs;  // handle = index + 1
    std::deque<int> dialogsToAnnounce;
    std::function<void(int)> onDialogOpened;
    bool failOpen = false, shutDown = false, returnDown = false;
    bool closeAsked = false;  // during a command: no box, the next wait is a Close
    std::map<int, Slot> controls;
    std::vector<int> order;                        // control ids in creation order
    std::deque<std::array<uint32_t, 256>> images;  // a deque keeps their addresses
    std::vector<scripted::Box> boxes;
    std::vector<scripted::ChooserCall> choosers;
    std::vector<platform::MenuItem> lastMenu;
    int menusShown = 0;
    std::deque<bool> yesNoAnswers;
    std::deque<std::string> folderAnswers, saveAnswers;
    int idleTimeoutMs = 20000;
};

struct State : Data {
    std::mutex m;
} s;

// The first thread to ask becomes the main thread until the next Reset.
bool IsMainLocked() {
    if (s.mainThread == std::thread::id()) s.mainThread = std::this_thread::get_id();
    return s.mainThread == std::this_thread::get_id();
}

void PushInput(const Event& e) { queue::PushEvent(e, true); }

Slot* SlotLocked(int id) {
    auto it = s.controls.find(id);
    return it == s.controls.end() ? nullptr : &it->second;
}

scripted::Control* FindLocked(int id) {
    auto* slot = SlotLocked(id);
    return slot ? &slot->c : nullptr;
}

template <class F>
auto Locked(F f) {
    Lock lk(s.m);
    return f();
}

// A copy of the control, or one with id -1 when there is none.
scripted::Control Get(int id) {
    Lock lk(s.m);
    auto* c = FindLocked(id);
    return c ? *c : scripted::Control{};
}

template <class F>
void Edit(int id, F change) {
    Lock lk(s.m);
    if (auto* c = FindLocked(id)) change(*c);
}

void DestroyLocked(int id) {
    s.controls.erase(id);
    s.order.erase(std::remove(s.order.begin(), s.order.end(), id), s.order.end());
}

bool DialogOpenLocked(int handle) {
    return handle > 0 && handle <= static_cast<int>(s.dialogs.size()) && s.dialogs[handle - 1].open;
}

scripted::TreeItem* ItemLocked(int id, int row) {
    auto* tree = SlotLocked(id);
    if (!tree || row < 0 || row >= static_cast<int>(tree->rows.size())) return nullptr;
    return &tree->rows[row];
}

scripted::TreeItem GetItem(int id, int row) {
    Lock lk(s.m);
    auto* item = ItemLocked(id, row);
    return item ? *item : scripted::TreeItem{};
}

// The next queued answer, or `none` when the test queued none.
template <class T>
T NextLocked(std::deque<T>& answers, T none) {
    if (answers.empty()) return none;
    T answer = answers.front();
    answers.pop_front();
    return answer;
}

// When a test waits in vain: a close for the innermost open dialog first, so
// a dialog's own loop ends too, then for the main window.
Event CloseEventLocked() {
    Event e{Event::Close};
    for (auto it = s.dialogs.rbegin(); it != s.dialogs.rend(); ++it) {
        if (it->open) {
            e.window = it->handle;
            break;
        }
    }
    return e;
}

}  // namespace

namespace platform {

bool InitWindowing() {
    Lock lk(s.m);
    IsMainLocked();
    return true;
}

// What the controls showed stays readable until the next Reset.
void ShutdownWindowing() {
    Lock lk(s.m);
    s.shutDown = true;
    s.mainWindow.open = false;
    for (auto& d : s.dialogs) d.open = false;
    queue::Clear();  // a worker waiting on a dropped call goes on
}

bool OpenMainWindow(const std::string& title, int w, int h) {
    Lock lk(s.m);
    IsMainLocked();
    if (s.failOpen) return false;
    s.mainWindow = scripted::WindowInfo{0, title, w, h, true};
    s.shutDown = false;
    return true;
}

int OpenWindowLocked(const std::string& title, int w, int h, bool own) {
    if (s.failOpen) return -1;
    int handle = static_cast<int>(s.dialogs.size()) + 1;
    s.dialogs.push_back(scripted::WindowInfo{handle, title, w, h, true, own});
    // Announced from the next WaitEvent: by then the caller made its controls.
    s.dialogsToAnnounce.push_back(handle);
    return handle;
}

int OpenDialog(const std::string& title, int w, int h) {
    return Locked([&] { return OpenWindowLocked(title, w, h, false); });
}

int OpenWindow(const std::string& title, int w, int h) {
    return Locked([&] { return OpenWindowLocked(title, w, h, true); });
}

void SetWindowTitle(int window, const std::string& title) {
    Locked([&] {
        if (DialogOpenLocked(window)) s.dialogs[window - 1].title = title;
    });
}

void RaiseWindow(int window) {
    Locked([&] {
        if (DialogOpenLocked(window)) ++s.dialogs[window - 1].raised;
    });
}

void SetAnchors(int id, unsigned anchors) {
    Edit(id, [&](auto& c) { c.anchors = anchors; });
}

void CloseDialog(int window) {
    Lock lk(s.m);
    if (!DialogOpenLocked(window)) return;
    s.dialogs[window - 1].open = false;
    std::vector<int> owned;
    for (const auto& [id, slot] : s.controls)
        if (slot.c.window == window) owned.push_back(id);
    for (int id : owned) DestroyLocked(id);
}

bool CreateControl(int window, int id, ControlKind kind, int x, int y, int w, int h,
                   const std::string& caption) {
    Lock lk(s.m);
    if (window != 0 && !DialogOpenLocked(window)) return false;
    DestroyLocked(id);
    s.controls[id].c = scripted::Control{window, id, kind, x, y, w, h, caption, {}};
    s.order.push_back(id);
    return true;
}

void DestroyControl(int id) {
    Locked([&] { DestroyLocked(id); });
}

bool ControlExists(int id) { return Get(id).id != -1; }
std::string GetText(int id) {
    Lock lk(s.m);
    auto* slot = SlotLocked(id);
    if (!slot) return "";
    if (slot->c.kind != ControlKind::Text) return slot->c.text;
    std::string all;
    for (const auto& run : slot->runs) all += run.text;
    return all;
}

void SetText(int id, const std::string& text) {
    Lock lk(s.m);
    auto* slot = SlotLocked(id);
    if (!slot) return;
    slot->c.text = text;
    slot->runs.clear();
    if (slot->c.kind == ControlKind::Text && !text.empty())
        slot->runs.push_back({text, TextStyle::Plain});
}
int GetCheck(int id) { return Get(id).check; }
void SetCheck(int id, int state) {
    Edit(id, [&](auto& c) { c.check = state; });
}
bool IsEnabled(int id) {
    auto c = Get(id);
    return c.id != -1 && c.enabled;
}
void SetEnabled(int id, bool enabled) {
    Edit(id, [&](auto& c) { c.enabled = enabled; });
}
void SetTooltip(int id, const std::string& text) {
    Edit(id, [&](auto& c) { c.tooltip = text; });
}
void SetLabelFor(int label, int field) {
    Edit(field, [&](auto& c) { c.labelFor = label; });
}
void SetFocus(int) {}  // tests send focus events themselves

void TreeClear(int id) {
    Lock lk(s.m);
    if (auto* tree = SlotLocked(id)) {
        tree->rows.clear();
        tree->selected = -1;
    }
}

void TreeAddItem(int id, int row, const std::string& text, ImageHandle image, int depth) {
    Lock lk(s.m);
    auto* tree = SlotLocked(id);
    if (!tree) return;
    row = std::clamp(row, 0, static_cast<int>(tree->rows.size()));
    tree->rows.insert(tree->rows.begin() + row, scripted::TreeItem{text, image, depth});
    if (tree->selected >= row) ++tree->selected;  // the selection follows its item
}

int TreeCount(int id) {
    Lock lk(s.m);
    auto* tree = SlotLocked(id);
    return tree ? static_cast<int>(tree->rows.size()) : 0;
}

void TreeSetValue(int id, int row, int value) {
    Lock lk(s.m);
    if (auto* item = ItemLocked(id, row)) item->value = value;
}

int TreeValue(int id, int row) { return GetItem(id, row).value; }
std::string TreeText(int id, int row) { return GetItem(id, row).text; }
int TreeDepth(int id, int row) { return GetItem(id, row).depth; }
bool TreeExpanded(int id, int row) { return GetItem(id, row).expanded; }

// As in a real tree view, an item without children can't be expanded: the
// handlers list a folder on a double click exactly when it is not expanded.
void TreeExpand(int id, int row) {
    Lock lk(s.m);
    auto* item = ItemLocked(id, row);
    auto* next = ItemLocked(id, row + 1);
    if (item && next && next->depth > item->depth) item->expanded = true;
}

int TreeSelectedRow(int id) {
    Lock lk(s.m);
    auto* tree = SlotLocked(id);
    return tree ? tree->selected : -1;
}

void TreeSelect(int id, int row) {
    Lock lk(s.m);
    if (auto* tree = SlotLocked(id)) tree->selected = ItemLocked(id, row) ? row : -1;
}

void ListSetColumns(int id, const std::vector<ListColumn>& columns) {
    Lock lk(s.m);
    if (auto* list = SlotLocked(id)) list->columns = columns;
}

void ListClear(int id) {
    Lock lk(s.m);
    if (auto* list = SlotLocked(id)) {
        list->listRows.clear();
        list->selected = -1;
    }
}

void ListAppend(int id, const std::vector<std::vector<std::string>>& rows) {
    Lock lk(s.m);
    if (auto* list = SlotLocked(id))
        list->listRows.insert(list->listRows.end(), rows.begin(), rows.end());
}

int ListCount(int id) {
    Lock lk(s.m);
    auto* list = SlotLocked(id);
    return list ? static_cast<int>(list->listRows.size()) : 0;
}

std::string ListText(int id, int row, int column) {
    Lock lk(s.m);
    auto* list = SlotLocked(id);
    if (!list || row < 0 || row >= static_cast<int>(list->listRows.size())) return "";
    const auto& cells = list->listRows[row];
    return column >= 0 && column < static_cast<int>(cells.size()) ? cells[column] : "";
}

void ListSetText(int id, int row, int column, const std::string& text) {
    Lock lk(s.m);
    auto* list = SlotLocked(id);
    if (!list || row < 0 || row >= static_cast<int>(list->listRows.size()) || column < 0) return;
    auto& cells = list->listRows[row];
    if (column >= static_cast<int>(cells.size())) cells.resize(column + 1);
    cells[column] = text;
}

int ListSelectedRow(int id) {
    Lock lk(s.m);
    auto* list = SlotLocked(id);
    return list ? list->selected : -1;
}

void ListSelect(int id, int row) {
    Lock lk(s.m);
    if (auto* list = SlotLocked(id))
        list->selected = row >= 0 && row < static_cast<int>(list->listRows.size()) ? row : -1;
}

void ChoiceSetItems(int id, const std::vector<std::string>& items) {
    Lock lk(s.m);
    if (auto* choice = SlotLocked(id)) {
        choice->listRows.clear();
        for (const auto& item : items) choice->listRows.push_back({item});
        choice->selected = -1;
    }
}

int ChoiceSelected(int id) {
    Lock lk(s.m);
    auto* choice = SlotLocked(id);
    return choice ? choice->selected : -1;
}

void TextAppend(int id, const std::string& text, TextStyle style) {
    Lock lk(s.m);
    auto* slot = SlotLocked(id);
    if (!slot || text.empty()) return;
    if (!slot->runs.empty() && slot->runs.back().style == style)
        slot->runs.back().text += text;
    else
        slot->runs.push_back({text, style});
}

void ShowPopupMenu(const std::vector<MenuItem>& items) {
    Lock lk(s.m);
    s.lastMenu = items;
    ++s.menusShown;
}

void ShowMessage(const std::string& title, const std::string& text) {
    Locked([&] {
        if (!s.closeAsked) s.boxes.push_back(scripted::Box{title, text, false});
    });
}

bool AskYesNo(const std::string& title, const std::string& text, bool noByDefault) {
    Lock lk(s.m);
    if (s.closeAsked) return false;
    s.boxes.push_back(scripted::Box{title, text, true, noByDefault});
    return NextLocked(s.yesNoAnswers, false);
}

std::string ChooseFolder(const std::string& instruction, const std::string& start) {
    Lock lk(s.m);
    s.choosers.push_back(scripted::ChooserCall{"folder", instruction, start});
    std::string folder = NextLocked(s.folderAnswers, std::string());
    // A real chooser answers with the trailing separator.
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
    return folder;
}

std::string ChooseSaveFile(const std::string& title, const std::string& proposedName) {
    Lock lk(s.m);
    s.choosers.push_back(scripted::ChooserCall{"save", title, proposedName});
    return NextLocked(s.saveAnswers, std::string());
}

ImageHandle CreateImage(const uint32_t* rgba16x16) {
    Lock lk(s.m);
    std::copy(rgba16x16, rgba16x16 + 256, s.images.emplace_back().begin());
    return static_cast<ImageHandle>(s.images.size());
}

bool ReturnKeyDown() {
    return Locked([&] { return s.returnDown; });
}

Event WaitEvent() {
    Lock lk(s.m);
    if (s.closeAsked) return Event{Event::Close, 0};
    IsMainLocked();
    while (!s.dialogsToAnnounce.empty()) {
        int handle = s.dialogsToAnnounce.front();
        s.dialogsToAnnounce.pop_front();
        if (!s.onDialogOpened || !DialogOpenLocked(handle)) continue;
        auto fn = s.onDialogOpened;
        lk.unlock();
        fn(handle);
        lk.lock();
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(s.idleTimeoutMs);
    lk.unlock();
    for (;;) {
        if (std::optional<queue::Taken> t = queue::TakeNext()) {
            // A real window reports no input on a control that is disabled or gone.
            lk.lock();
            const auto* c = FindLocked(t->event.id);
            if (t->input && t->event.kind == Event::Control && !(c && c->enabled))
                return Event{Event::Other, t->event.window};
            return t->event;
        }
        if (!queue::WaitForItem(deadline)) {
            lk.lock();
            return CloseEventLocked();
        }
    }
}

void PostControlEvent(int id, EventType type) {
    queue::PushEvent(Event{Event::Control, 0, id, type});
}

void RunOnMainThread(std::function<void()> fn) {
    if (Locked([&] { return s.shutDown; })) return;  // nothing runs it any more
    ++handOvers;
    queue::PushCall(std::move(fn));
}

void RunOnMainThreadAndWait(std::function<void()> fn) {
    Lock lk(s.m);
    if (IsMainLocked()) {
        lk.unlock();
        fn();
        return;
    }
    if (s.shutDown) return;
    lk.unlock();
    queue::CallAndWait(std::move(fn), [] {});
}

void RunQueuedCalls(int ms) {
    Locked([] { return IsMainLocked(); });
    queue::WaitForWaitingCalls(std::chrono::steady_clock::now() + std::chrono::milliseconds(ms));
    queue::RunWaitingCalls();
}

bool OnMainThread() {
    return Locked([&] { return IsMainLocked(); });
}

bool KeepPainted() {
    return Locked([&] { return !s.closeAsked; });
}

}  // namespace platform

namespace scripted {

void Reset() {
    queue::Clear();
    handOvers = 0;
    Lock lk(s.m);
    static_cast<Data&>(s) = Data{};
    s.mainThread = std::this_thread::get_id();
}

int HandOvers() { return handOvers; }

void FailWindowOpen(bool fail) {
    Locked([&] { s.failOpen = fail; });
}

const Control* Find(int id) {
    return Locked([&] { return FindLocked(id); });
}

std::vector<Control> Controls(int window) {
    Lock lk(s.m);
    std::vector<Control> out;
    for (int id : s.order)
        if (s.controls.at(id).c.window == window) out.push_back(s.controls.at(id).c);
    return out;
}

WindowInfo MainWindow() {
    return Locked([&] { return s.mainWindow; });
}

std::vector<WindowInfo> Dialogs() {
    return Locked([&] { return s.dialogs; });
}

std::vector<TreeItem> Tree(int id) {
    Lock lk(s.m);
    auto* tree = SlotLocked(id);
    return tree ? tree->rows : std::vector<TreeItem>();
}

int SelectedRow(int id) { return platform::TreeSelectedRow(id); }

std::vector<platform::ListColumn> ListColumns(int id) {
    Lock lk(s.m);
    auto* list = SlotLocked(id);
    return list ? list->columns : std::vector<platform::ListColumn>();
}

std::vector<std::vector<std::string>> ListRows(int id) {
    Lock lk(s.m);
    auto* list = SlotLocked(id);
    return list ? list->listRows : std::vector<std::vector<std::string>>();
}

std::vector<TextRun> TextRuns(int id) {
    Lock lk(s.m);
    auto* slot = SlotLocked(id);
    return slot ? slot->runs : std::vector<TextRun>();
}

const uint32_t* ImagePixels(platform::ImageHandle h) {
    Lock lk(s.m);
    if (h <= 0 || h > static_cast<int>(s.images.size())) return nullptr;
    return s.images[h - 1].data();
}

std::vector<Box> Boxes() {
    return Locked([&] { return s.boxes; });
}

void ClearBoxes() {
    Locked([&] { s.boxes.clear(); });
}

std::vector<platform::MenuItem> LastMenu() {
    return Locked([&] { return s.lastMenu; });
}

int MenusShown() {
    return Locked([&] { return s.menusShown; });
}

std::vector<ChooserCall> Choosers() {
    return Locked([&] { return s.choosers; });
}

void AnswerYesNo(bool yes) {
    Locked([&] { s.yesNoAnswers.push_back(yes); });
}

void AnswerFolder(const std::string& folder) {
    Locked([&] { s.folderAnswers.push_back(folder); });
}

void AnswerSaveFile(const std::string& path) {
    Locked([&] { s.saveAnswers.push_back(path); });
}

void OnDialogOpened(std::function<void(int window)> fn) {
    Locked([&] { s.onDialogOpened = std::move(fn); });
}

void PushEvent(const platform::Event& e) { PushInput(e); }

void PushClick(int id, platform::EventType type) {
    Lock lk(s.m);
    const auto* c = FindLocked(id);
    PushInput(Event{Event::Control, c ? c->window : 0, id, type});
}

void PushClose(int window) { PushInput(Event{Event::Close, window}); }

void PushMenu(int itemId) { PushInput(Event{Event::Menu, 0, itemId}); }

void Type(int id, const std::string& text) {
    Lock lk(s.m);
    auto* c = FindLocked(id);
    if (!c || !c->enabled) return;  // nobody can type into it
    c->text = text;
    PushInput(Event{Event::Control, c->window, id, platform::EventType::Change});
}

void SelectListRow(int id, int row) {
    Lock lk(s.m);
    auto* list = SlotLocked(id);
    if (!list || !list->c.enabled) return;
    list->selected = row;
    PushInput(Event{Event::Control, list->c.window, id, platform::EventType::Change});
}

void ToggleListTick(int id, int row, int column) {
    Lock lk(s.m);
    auto* list = SlotLocked(id);
    if (!list || !list->c.enabled || row < 0 || row >= static_cast<int>(list->listRows.size()))
        return;
    std::string& cell = list->listRows[row].at(column);
    if (!cell.empty()) cell = cell == "1" ? "0" : "1";  // no box, nothing to tick
}

void AskCloseDuringCommand() {
    Locked([&] { s.closeAsked = true; });
}

void SetReturnKeyDown(bool down) {
    Locked([&] { s.returnDown = down; });
}

void SetIdleTimeout(int ms) {
    Locked([&] { s.idleTimeoutMs = ms; });
}

}  // namespace scripted
