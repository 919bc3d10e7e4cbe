// What tests use to drive the scripted window and read what it shows.
#include <algorithm>

#include "support/scripted_state.h"

using namespace scripted::detail;

namespace scripted {

void Reset() {
    auto& s = S();
    Lock lk(s.m);
    DropCallsLocked(s);
    s.queue.clear();
    s.mainThread = std::this_thread::get_id();
    s.mainWindow = WindowInfo{};
    s.dialogs.clear();
    s.dialogsToAnnounce.clear();
    s.onDialogOpened = nullptr;
    s.failOpen = false;
    s.shutDown = false;
    s.controls.clear();
    s.creation.clear();
    s.nextCreation = 0;
    s.trees.clear();
    s.selection.clear();
    s.images.clear();
    s.boxes.clear();
    s.choosers.clear();
    s.lastMenu.clear();
    s.menusShown = 0;
    s.yesNoAnswers.clear();
    s.folderAnswers.clear();
    s.saveAnswers.clear();
    s.returnDown = false;
    s.idleTimeoutMs = kDefaultIdleTimeoutMs;
}

void FailWindowOpen(bool fail) {
    auto& s = S();
    Lock lk(s.m);
    s.failOpen = fail;
}

const Control* Find(int id) {
    auto& s = S();
    Lock lk(s.m);
    return FindLocked(s, id);
}

std::vector<Control> Controls(int window) {
    auto& s = S();
    Lock lk(s.m);
    std::vector<std::pair<uint64_t, Control>> found;
    for (const auto& [id, c] : s.controls) {
        if (c.window == window) found.emplace_back(s.creation[id], c);
    }
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<Control> out;
    for (auto& f : found) out.push_back(std::move(f.second));
    return out;
}

WindowInfo MainWindow() {
    auto& s = S();
    Lock lk(s.m);
    return s.mainWindow;
}

std::vector<WindowInfo> Dialogs() {
    auto& s = S();
    Lock lk(s.m);
    return s.dialogs;
}

std::vector<TreeItem> Tree(int id) {
    auto& s = S();
    Lock lk(s.m);
    auto it = s.trees.find(id);
    return it == s.trees.end() ? std::vector<TreeItem>() : it->second;
}

int SelectedRow(int id) { return platform::TreeSelectedRow(id); }

const uint32_t* ImagePixels(platform::ImageHandle h) {
    auto& s = S();
    Lock lk(s.m);
    if (h <= 0 || h > static_cast<int>(s.images.size())) return nullptr;
    return s.images[h - 1]->data();
}

std::vector<Box> Boxes() {
    auto& s = S();
    Lock lk(s.m);
    return s.boxes;
}

void ClearBoxes() {
    auto& s = S();
    Lock lk(s.m);
    s.boxes.clear();
}

std::vector<platform::MenuItem> LastMenu() {
    auto& s = S();
    Lock lk(s.m);
    return s.lastMenu;
}

int MenusShown() {
    auto& s = S();
    Lock lk(s.m);
    return s.menusShown;
}

std::vector<ChooserCall> Choosers() {
    auto& s = S();
    Lock lk(s.m);
    return s.choosers;
}

void AnswerYesNo(bool yes) {
    auto& s = S();
    Lock lk(s.m);
    s.yesNoAnswers.push_back(yes);
}

void AnswerFolder(const std::string& folder) {
    auto& s = S();
    Lock lk(s.m);
    s.folderAnswers.push_back(folder);
}

void AnswerSaveFile(const std::string& path) {
    auto& s = S();
    Lock lk(s.m);
    s.saveAnswers.push_back(path);
}

void OnDialogOpened(std::function<void(int window)> fn) {
    auto& s = S();
    Lock lk(s.m);
    s.onDialogOpened = std::move(fn);
}

void PushEvent(const platform::Event& e) {
    auto& s = S();
    Lock lk(s.m);
    PushLocked(s, e, true);
}

void PushClick(int id, platform::EventType type) {
    auto& s = S();
    Lock lk(s.m);
    PushLocked(s, Event{Event::Control, WindowOf(s, id), id, type}, true);
}

void PushClose(int window) {
    auto& s = S();
    Lock lk(s.m);
    PushLocked(s, Event{Event::Close, window}, true);
}

void PushMenu(int itemId) {
    auto& s = S();
    Lock lk(s.m);
    PushLocked(s, Event{Event::Menu, 0, itemId}, true);
}

void Type(int id, const std::string& text) {
    auto& s = S();
    Lock lk(s.m);
    auto* c = FindLocked(s, id);
    if (!c || !c->enabled) return;  // nobody can type into it
    c->text = text;
    PushLocked(s, Event{Event::Control, c->window, id, platform::EventType::Change}, true);
}

void SetReturnKeyDown(bool down) {
    auto& s = S();
    Lock lk(s.m);
    s.returnDown = down;
}

void SetIdleTimeout(int ms) {
    auto& s = S();
    Lock lk(s.m);
    s.idleTimeoutMs = ms;
}

}  // namespace scripted
