// Commands on the local working copy. Each shows what the client reported
// on its error output in an "Alert" box after the command.
#pragma once
#include <string>

namespace svnclient {

void SvnAdd(const std::string& path);
void SvnRevert(const std::string& path);
void SvnDelete(const std::string& path);
// Each non-empty output line becomes a plain item of the entry tree.
void SvnCommit(const std::string& comment);
// Entries for lines led by A, D, U, C, G or E; "Informations" boxes otherwise.
void SvnUpdate();
void SvnCleanup();

// Shows "The Subversion client reported an error:" and `errors` in an
// "Alert" box when `errors` is not empty. Any thread.
void ReportClientError(const std::string& errors);

}  // namespace svnclient
