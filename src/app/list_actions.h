// What a double click, a right click and the pop-up menu do with the items
// of the entry tree.
#pragma once
#include <string>

namespace app {

// The path of the tree item at `row`: its text behind the texts of its
// ancestors, with a separator after an ancestor folder that lacks one.
std::string ItemPath(int row, int depth);

void OpenEntry();      // double click
void ShowEntryMenu();  // right click

// Menu commands; each reads the selected row when it runs.
void AddEntry();
void UndoEntry();
void ResolveEntry();
void KeepMine();
void TakeTheirs();
void DeleteLocalEntry();
void DownloadEntry();
void OpenEntryFile();
void DeleteRemoteEntry();
void CreateRemoteDirectory();
// The windows of their own, on the selected entry.
void ShowEntryHistory();
void ShowEntryChanges();
void ShowEntryBlame();

}  // namespace app
