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
#include "platform/row_model.h"

namespace {

using platform::Event;
namespace queue = platform::queue;
using Lock = std::unique_lock<std::mutex>;

struct Slot {  // a control, with its rows and selection when it is a tree or list
    scripted::Control c;
    platform::RowModel tree;  // as the real backends keep it
    int selected = -1;        // a list's or drop-down's
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

int ListCountLocked(const Slot& l) { return static_cast<int>(l.listRows.size()); }

template <class F>
auto Locked(F f) {
    Lock lk(s.m);
    return f();
}

// A copy of one of the data, and a new value for one, under the lock.
template <class T>
T Read(T Data::*field) {
    return Locked([&] { return s.*field; });
}
template <class T, class V>
void Write(T Data::*field, V value) {
    Locked([&] { s.*field = std::move(value); });
}
template <class T, class V>
void Queue(std::deque<T> Data::*answers, V answer) {
    Locked([&] { (s.*answers).push_back(answer); });
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

// `read` of the control's slot, under the lock; `none` without the control.
template <class R, class F>
R With(int id, R none, F read) {
    Lock lk(s.m);
    Slot* slot = SlotLocked(id);
    return slot ? read(*slot) : none;
}

// `read` of a tree's row, or `none` past its rows.
template <class R, class F>
R Row(int id, int row, R none, F read) {
    return With(id, none, [&](Slot& t) {
        return row >= 0 && row < t.tree.size() ? read(t.tree, row) : none;
    });
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
    return With(id, std::string(), [](Slot& t) {
        if (t.c.kind != ControlKind::Text) return t.c.text;
        std::string all;
        for (const auto& run : t.runs) all += run.text;
        return all;
    });
}

void SetText(int id, const std::string& text) {
    With(id, 0, [&](Slot& t) {
        t.c.text = text;
        t.runs.clear();
        if (t.c.kind == ControlKind::Text && !text.empty())
            t.runs.push_back({text, TextStyle::Plain});
        return 0;
    });
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
    With(id, 0, [](Slot& t) { return t.tree.Clear(), 0; });
}

void TreeAddItem(int id, int row, const std::string& text, ImageHandle image, int depth) {
    With(id, 0, [&](Slot& t) { return t.tree.Add(row, depth, text, image), 0; });
}

int TreeCount(int id) {
    return With(id, 0, [](Slot& t) { return t.tree.size(); });
}

void TreeSetValue(int id, int row, int value) {
    Row(id, row, 0, [&](RowModel& t, int r) { return t.SetValue(r, value), 0; });
}

int TreeValue(int id, int row) {
    return Row(id, row, 0, [](RowModel& t, int r) { return t.Value(r); });
}
std::string TreeText(int id, int row) {
    return Row(id, row, std::string(), [](RowModel& t, int r) { return std::string(t.Text(r)); });
}
int TreeDepth(int id, int row) {
    return Row(id, row, 0, [](RowModel& t, int r) { return t.Depth(r); });
}
bool TreeExpanded(int id, int row) {
    return Row(id, row, false, [](RowModel& t, int r) { return t.Expanded(r); });
}
void TreeExpand(int id, int row) {
    Row(id, row, 0, [](RowModel& t, int r) { return t.Expand(r), 0; });
}
int TreeSelectedRow(int id) {
    return With(id, -1, [](Slot& t) { return t.tree.Selected(); });
}
void TreeSelect(int id, int row) {
    With(id, 0, [&](Slot& t) { return t.tree.Select(row), 0; });
}

void ListSetColumns(int id, const std::vector<ListColumn>& columns) {
    With(id, 0, [&](Slot& l) { return l.columns = columns, 0; });
}

void ListClear(int id) {
    With(id, 0, [](Slot& l) { return l.listRows.clear(), l.selected = -1; });
}

void ListAppend(int id, const std::vector<std::vector<std::string>>& rows) {
    With(id, 0,
         [&](Slot& l) { return l.listRows.insert(l.listRows.end(), rows.begin(), rows.end()), 0; });
}

int ListCount(int id) {
    return With(id, 0, [](Slot& l) { return static_cast<int>(l.listRows.size()); });
}

std::string ListText(int id, int row, int column) {
    return With(id, std::string(), [&](Slot& l) {
        const auto* cells = row >= 0 && row < ListCountLocked(l) ? &l.listRows[row] : nullptr;
        return cells && column >= 0 && column < static_cast<int>(cells->size()) ? (*cells)[column]
                                                                                : "";
    });
}

void ListSetText(int id, int row, int column, const std::string& text) {
    With(id, 0, [&](Slot& l) {
        if (row < 0 || row >= ListCountLocked(l) || column < 0) return 0;
        auto& cells = l.listRows[row];
        if (column >= static_cast<int>(cells.size())) cells.resize(column + 1);
        return cells[column] = text, 0;
    });
}

int ListSelectedRow(int id) {
    return With(id, -1, [](Slot& l) { return l.selected; });
}

void ListSelect(int id, int row) {
    With(id, 0,
         [&](Slot& l) { return l.selected = row >= 0 && row < ListCountLocked(l) ? row : -1; });
}

void ChoiceSetItems(int id, const std::vector<std::string>& items) {
    With(id, 0, [&](Slot& c) {
        c.listRows.clear();
        for (const auto& item : items) c.listRows.push_back({item});
        return c.selected = -1;
    });
}

int ChoiceSelected(int id) { return ListSelectedRow(id); }

void TextAppend(int id, const std::string& text, TextStyle style) {
    With(id, 0, [&](Slot& t) {
        if (text.empty()) return 0;
        if (!t.runs.empty() && t.runs.back().style == style)
            t.runs.back().text += text;
        else
            t.runs.push_back({text, style});
        return 0;
    });
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

bool ReturnKeyDown() { return Read(&Data::returnDown); }

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

void FailWindowOpen(bool fail) { Write(&Data::failOpen, fail); }

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

WindowInfo MainWindow() { return Read(&Data::mainWindow); }

std::vector<WindowInfo> Dialogs() { return Read(&Data::dialogs); }

std::vector<TreeItem> Tree(int id) {
    return With(id, std::vector<TreeItem>(), [](Slot& t) {
        std::vector<TreeItem> rows;
        for (int r = 0; r < t.tree.size(); ++r)
            rows.push_back({t.tree.Text(r), t.tree.Image(r), t.tree.Depth(r), t.tree.Value(r),
                            t.tree.Expanded(r)});
        return rows;
    });
}

int SelectedRow(int id) { return platform::TreeSelectedRow(id); }

std::vector<platform::ListColumn> ListColumns(int id) {
    return With(id, std::vector<platform::ListColumn>(), [](Slot& l) { return l.columns; });
}

std::vector<std::vector<std::string>> ListRows(int id) {
    return With(id, std::vector<std::vector<std::string>>(), [](Slot& l) { return l.listRows; });
}

std::vector<TextRun> TextRuns(int id) {
    return With(id, std::vector<TextRun>(), [](Slot& t) { return t.runs; });
}

const uint32_t* ImagePixels(platform::ImageHandle h) {
    Lock lk(s.m);
    if (h <= 0 || h > static_cast<int>(s.images.size())) return nullptr;
    return s.images[h - 1].data();
}

std::vector<Box> Boxes() { return Read(&Data::boxes); }

void ClearBoxes() { Write(&Data::boxes, std::vector<Box>()); }

std::vector<platform::MenuItem> LastMenu() { return Read(&Data::lastMenu); }

int MenusShown() { return Read(&Data::menusShown); }

std::vector<ChooserCall> Choosers() { return Read(&Data::choosers); }

void AnswerYesNo(bool yes) { Queue(&Data::yesNoAnswers, yes); }

void AnswerFolder(const std::string& folder) { Queue(&Data::folderAnswers, folder); }

void AnswerSaveFile(const std::string& path) { Queue(&Data::saveAnswers, path); }

void OnDialogOpened(std::function<void(int window)> fn) { Write(&Data::onDialogOpened, fn); }

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
    if (!c || !c->enabled || c->kind == platform::ControlKind::Text)
        return;  // nobody can type into it
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
    // No box, nothing to tick: an empty cell, or a column without boxes.
    if (column >= static_cast<int>(list->columns.size()) || !list->columns[column].ticks) return;
    if (!cell.empty()) cell = cell == "1" ? "0" : "1";
}

void AskCloseDuringCommand() { Write(&Data::closeAsked, true); }

void SetReturnKeyDown(bool down) { Write(&Data::returnDown, down); }

void SetIdleTimeout(int ms) { Write(&Data::idleTimeoutMs, ms); }

}  // namespace scripted
