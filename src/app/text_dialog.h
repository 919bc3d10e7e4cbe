// A small modal window asking for one line of text.
#pragma once
#include <string>

namespace app {

// The answer field's text on OK or Return; "" on Cancel, on a close request
// from any window, or when the dialog can't be opened. The caller translates
// the title, the prompt and the initial text; "OK" and "Cancel" never are.
std::string AskText(const std::string& title, const std::string& prompt,
                    const std::string& initialText);

// The dialog's control ids, apart from every id of the main window.
enum DialogControlId { DialogPrompt = 100, DialogAnswer = 101, DialogOk = 102, DialogCancel = 103 };

}  // namespace app
