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

// `args`, then the proxy options (when useProxy), --non-interactive,
// --no-auth-cache and the credentials (credentials exactly 1, SVNAuthCache 0).
ArgumentList BuildArguments(const ArgumentList& args, int credentials,
                            const settings::Settings& s);

// `base` and `relative` joined with exactly one "/" (nothing added when
// `relative` is empty).
std::string JoinUrl(const std::string& base, const std::string& relative);

}  // namespace svnclient
