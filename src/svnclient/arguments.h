// The client's argument list: a command's own arguments followed by the
// options the settings call for.
#pragma once
#include <string>
#include "platform/process.h"
#include "settings/settings.h"

namespace svnclient {

using platform::Argument;
using platform::ArgumentList;

inline Argument Plain(std::string text) { return {std::move(text), false}; }
inline Argument Quoted(std::string text) { return {std::move(text), true}; }
// A path or URL the command acts on. The final "@" is the client's escape for
// peg revisions: a name such as "report@1" is then taken as it is. With a
// `peg` the path is looked up as it was in that revision.
inline Argument Target(std::string text, bool quote = true, const std::string& peg = "") {
    return {std::move(text) + "@" + peg, quote};
}

// `args`, then the proxy options (when useProxy), --non-interactive,
// --no-auth-cache and the credentials (credentials exactly 1, SVNAuthCache 0):
// the user name, and the password read from the client's standard input.
ArgumentList BuildArguments(const ArgumentList& args, int credentials, const settings::Settings& s);
// What the client reads on its standard input with those arguments: the
// password line when they send the credentials, else nothing.
std::string ClientInput(int credentials, const settings::Settings& s);

// `base` and `relative` joined with exactly one "/" (nothing added when
// `relative` is empty).
std::string JoinUrl(const std::string& base, const std::string& relative);

// Percent-encodes every byte outside the unreserved set except "/", so a
// repository path with blanks, "#", "%", "?", "@" or non-ASCII letters makes
// a valid URL that names exactly that path.
std::string EncodeUrlPath(const std::string& relativePath);

// The repository URL SVNRemoteRepositery with `relativePath` encoded after it.
std::string RepositoryUrl(const std::string& relativePath);

}  // namespace svnclient
