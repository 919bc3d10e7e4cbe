// Commands on the remote repository.
#pragma once
#include <string>

namespace svnclient {

// Worker-thread bodies: every row is handed to the main thread in order; at
// the end the file manager opens on the local folder (unless the client
// reported an error), the button's caption comes back and LeaveBusy runs.
void SvnCheckout();
void SvnReadOnlyCopy();

void SvnRemoteDelete(const std::string& path);
void SvnRemoteMkdir(const std::string& parent, const std::string& name);

}  // namespace svnclient
