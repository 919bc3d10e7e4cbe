// "Send update": the commit window shows what the working copy would send,
// lets the user choose it and write a message of any length, then commits.
#pragma once

namespace app {

void OnSendUpdateClicked();

}  // namespace app
