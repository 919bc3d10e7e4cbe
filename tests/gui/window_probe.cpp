// A small program on the window service alone: the main window's controls,
// a tree with images and depths, and the patterns the application relies on
// (a synchronous command that keeps painting, a worker handing rows over,
// a modal text dialog). Every event it receives is printed on one line, so
// a driver outside can click and type and read what arrived.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/window.h"

using namespace platform;

namespace {

const char* const kTypeNames[] = {"LeftClick",   "RightClick",  "DoubleClick",
                                  "Change",      "FocusGained", "FocusLost"};

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

constexpr int kTree = 22;

struct ControlRow {
    int id;
    ControlKind kind;
    int x, y, w, h;
    const char* caption;
};

const ControlRow kControls[] = {
    {0, ControlKind::Label, 10, 11, 80, 20, "Repositery URL"},
    {1, ControlKind::Field, 80, 9, 330, 20, "file:///srv/repo/"},
    {20, ControlKind::Link, 420, 11, 20, 20, "Go"},
    {2, ControlKind::Field, 10, 30, 300, 20, ""},
    {3, ControlKind::Button, 310, 30, 130, 20, "Search"},
    {4, ControlKind::Button, 10, 50, 430, 20, "Explore remote repositery"},
    {kTree, ControlKind::Tree, 10, 70, 430, 250, ""},
    {5, ControlKind::Label, 10, 323, 120, 20, "Local repositery"},
    {6, ControlKind::Field, 80, 321, 280, 20, "/tmp/work"},
    {7, ControlKind::Button, 360, 321, 80, 20, "Choose"},
    {8, ControlKind::Button, 10, 341, 240, 20, "Receive a read only repositery copy"},
    {9, ControlKind::Button, 250, 341, 190, 20, "Explore local repositery"},
    {18, ControlKind::CheckBox, 10, 370, 250, 20, "SVN authentification system"},
    {14, ControlKind::Label, 10, 392, 80, 20, "User name"},
    {15, ControlKind::Field, 91, 390, 100, 20, "jane"},
    {13, ControlKind::Button, 350, 370, 90, 20, "Cleanup"},
};

ImageHandle Square(uint32_t fill) {  // a filled square in a transparent margin
    uint32_t pixels[256];
    for (int i = 0; i < 256; ++i) pixels[i] = i % 16 && i % 16 < 15 && i > 31 && i < 224 ? fill : 0;
    return CreateImage(pixels);
}

void FillTree() {
    ImageHandle folder = Square(0xffe8c050), file = Square(0xfff8f8f8);
    struct Item { const char* text; int depth; bool isFolder; };
    const Item items[] = {{"trunk", 0, true}, {"src", 1, true},  {"main.cpp", 2, false},
                          {"README", 1, false}, {"tags", 0, true}, {"v1", 1, true}};
    int row = 0;
    for (const Item& item : items) {
        TreeAddItem(kTree, row, item.text, item.isFolder ? folder : file, item.depth);
        TreeSetValue(kTree, row++, item.isFolder);
    }
    TreeAddItem(kTree, 3, "util.cpp", file, 2);  // between main.cpp and README
    TreeExpand(kTree, 1);                        // opens trunk too
}

// A command on the main thread: the caption says so at once, input waits.
void SynchronousCommand() {
    Say("command begins check=" + std::to_string(GetCheck(18)));
    std::string caption = GetText(4);
    SetText(4, "Please wait");
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (std::chrono::steady_clock::now() < end) {
        KeepPainted();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    SetText(4, caption);
    Say("command ends check=" + std::to_string(GetCheck(18)));
}

// A worker hands rows over and posts its end, as the search does.
std::thread worker;
std::atomic<bool> workerDone{false};

void StartWorker() {
    workerDone = false;
    worker = std::thread([] {
        bool onMain = false;
        RunOnMainThreadAndWait([&] { onMain = OnMainThread(); });
        Say(std::string("worker call on main thread: ") + (onMain ? "yes" : "no"));
        for (int i = 0; i < 3; ++i)
            RunOnMainThread([i] {
                TreeAddItem(kTree, TreeCount(kTree), "found " + std::to_string(i), 0, 0);
            });
        workerDone = true;
        PostControlEvent(21, EventType::LeftClick);
    });
}

void JoinWorker() {
    while (!workerDone) RunQueuedCalls(20);
    worker.join();
    RunQueuedCalls(0);
    Say("worker joined rows=" + std::to_string(TreeCount(kTree)));
}

// The text dialog the application builds: accept on OK or Return, cancel on
// Cancel or a close request.
void TextDialog() {
    int window = OpenDialog("Comment", 300, 95);
    CreateControl(window, 100, ControlKind::Label, 10, 10, 280, 20, "Give a comment");
    CreateControl(window, 101, ControlKind::Field, 10, 30, 280, 20, "Update 1");
    CreateControl(window, 102, ControlKind::DefaultButton, 60, 60, 80, 25, "OK");
    CreateControl(window, 103, ControlKind::Button, 150, 60, 80, 25, "Cancel");
    SetLabelFor(100, 101);
    SetFocus(101);
    Say("dialog open window=" + std::to_string(window));
    std::string result, via;
    for (;;) {
        Event e = WaitEvent();
        if (e.kind == Event::Control && e.id == 102) { result = GetText(101); via = "ok"; break; }
        if (e.kind == Event::Control && e.id == 103) { via = "cancel"; break; }
        if (e.kind == Event::Close) { via = "close window=" + std::to_string(e.window); break; }
        if (ReturnKeyDown()) { result = GetText(101); via = "return"; break; }
    }
    CloseDialog(window);
    Say("dialog result=" + result + " via=" + via);
}

// The modal boxes, one after the other, with an event queued before them
// that must still arrive afterwards.
void Boxes() {
    PostControlEvent(77, EventType::Change);
    ShowMessage("Alert", "Folder missing");
    Say("message closed");
    bool yes = AskYesNo("Deletion", "Are you sure to want to delete this item ?");
    Say(std::string("yesno=") + (yes ? "yes" : "no"));
    std::string start = (std::filesystem::current_path() / "pick").string();
    Say("folder=" + ChooseFolder("Choose a folder", start));
    Say("save=" + ChooseSaveFile("Save as", "saved.txt"));
}

std::string Describe(const Event& e) {
    std::string line = "event ";
    if (e.kind == Event::Menu) return line + "menu id=" + std::to_string(e.id);
    if (e.kind == Event::Close) return line + "close window=" + std::to_string(e.window);
    line += "control id=" + std::to_string(e.id) + " type=" + kTypeNames[static_cast<int>(e.type)] +
            " window=" + std::to_string(e.window);
    if (e.id == kTree) {
        int row = TreeSelectedRow(kTree);
        line += " row=" + std::to_string(row);
        if (row >= 0)
            line += " text=" + TreeText(kTree, row) +
                    " expanded=" + (TreeExpanded(kTree, row) ? "1" : "0");
    } else if (e.id == 18) {
        line += " check=" + std::to_string(GetCheck(18));
    } else if (e.type == EventType::Change) {
        line += " text=" + GetText(e.id);
    }
    return line;
}

}  // namespace

int main() {
    if (!InitWindowing()) {
        Say("no display");
        return 2;
    }
    OpenMainWindow("Vellum probe", 450, 430);
    for (const ControlRow& c : kControls) CreateControl(0, c.id, c.kind, c.x, c.y, c.w, c.h, c.caption);
    for (int label : {0, 5, 14}) SetLabelFor(label, label + 1);
    SetTooltip(6, "Local repositery folder. It'll be created if necessary");
    SetCheck(18, 0);
    FillTree();
    Say("ready");
    for (;;) {
        Event e = WaitEvent();
        if (e.kind == Event::Other) continue;
        Say(Describe(e));
        if (e.kind == Event::Close) break;
        if (e.kind != Event::Control) continue;
        if (e.id == kTree && e.type == EventType::RightClick)
            ShowPopupMenu({{101, "Download"}, {102, "Open", false}, {103, "Delete"}});
        else if (e.id == 4 && e.type == EventType::LeftClick)
            SynchronousCommand();
        else if (e.id == 7 && e.type == EventType::LeftClick)
            TextDialog();
        else if (e.id == 8 && e.type == EventType::LeftClick)
            StartWorker();
        else if (e.id == 9 && e.type == EventType::LeftClick)
            Boxes();
        else if (e.id == 21)
            JoinWorker();
    }
    if (worker.joinable()) worker.join();
    ShutdownWindowing();
    return 0;
}
