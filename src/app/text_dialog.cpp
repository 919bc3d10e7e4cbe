#include "app/text_dialog.h"

#include "app/dispatch.h"
#include "platform/window.h"

namespace app {

using platform::ControlKind;
using platform::Event;

std::string AskText(const std::string& title, const std::string& prompt,
                    const std::string& initialText) {
    const int dialog = platform::OpenDialog(title, 300, 95);
    if (dialog < 0) return "";
    platform::CreateControl(dialog, DialogPrompt, ControlKind::Label, 10, 10, 280, 20, prompt);
    platform::CreateControl(dialog, DialogAnswer, ControlKind::Field, 10, 30, 280, 20, initialText);
    platform::CreateControl(dialog, DialogOk, ControlKind::DefaultButton, 60, 60, 80, 25, "OK");
    platform::CreateControl(dialog, DialogCancel, ControlKind::Button, 150, 60, 80, 25, "Cancel");
    platform::SetFocus(DialogAnswer);

    // Every event of the program comes here while the dialog is open, so the
    // main window's clicks are swallowed and its close request (or Escape,
    // the dialog's own) only cancels the dialog. Return is read from the key
    // state, whatever has the focus; a Return still held from what opened the
    // dialog (a menu item chosen with it) counts only once it was let go.
    // Only a click on a button answers: the focus moving onto one does not.
    std::string result;
    bool returnReleased = !platform::ReturnKeyDown();
    for (;;) {
        const Event e = platform::WaitEvent();
        if (e.window != dialog && HandleOwnWindowEvent(e)) continue;
        const bool click = e.kind == Event::Control && e.type == platform::EventType::LeftClick;
        if (click && e.id == DialogOk) {
            result = platform::GetText(DialogAnswer);
            break;
        }
        if (click && e.id == DialogCancel) break;
        if (e.kind == Event::Close) break;
        if (!platform::ReturnKeyDown()) {
            returnReleased = true;
        } else if (returnReleased) {
            result = platform::GetText(DialogAnswer);
            break;
        }
    }
    platform::CloseDialog(dialog);
    return result;
}

}  // namespace app
