// svn status --xml and svn info --xml of a real working copy holding every
// kind of change, conflicts of both kinds and awkward names.
#include <gtest/gtest.h>

#include "client_env.h"
#include "svnclient/status.h"

using namespace testsupport;

namespace {

TEST(Status, EveryKindOfChangeAsTheIconsShowIt) {
    ClientEnv env;
    Sandbox& box = env.box;
    const std::string url = MakeRepository(box / "repo");
    const std::string wc = box / "wc";
    Checkout(url, wc);
    const char* kNames[] = {"mod", "del", "rep", "conf", "tree", "miss", "a b", "é", "x@1", "prop"};
    std::string names;
    for (const char* n : kNames) {
        WriteFile(wc + "/" + n, "base\n");
        names += " " + ShellQuote(std::string(n) + "@");
    }
    // A second working copy changes "conf" and deletes "tree"; this one edits
    // both, so the update leaves a text conflict and a tree conflict.
    env.Shell("cd wc && svn add -q" + names + " && svn commit -q -m one && cd .. && svn co -q " +
              ShellQuote(url) + " other && echo theirs > other/conf && svn rm -q other/tree && "
              "svn commit -q -m two other && cd wc && echo mine > conf && echo mine > tree && "
              "svn update -q --accept postpone && echo m > mod && echo n > add && svn add -q add && "
              "svn rm -q del && svn rm -q rep && echo r > rep && svn add -q rep && rm miss && "
              "echo u > unv && for f in 'a b' é x@1; do echo m >> \"$f\"; done && "
              "svn propset -q p v prop@ && svn propset -q svn:ignore '*.o' . && echo i > y.o");

    std::vector<std::string> seen;
    const svnclient::ClientResult r = svnclient::SvnStatusXml(wc + "/", [&](svnclient::StatusEntry e) {
        seen.push_back(e.path.substr(0, wc.size()) == wc ? e.path.substr(wc.size()) + " " + e.code +
                                                               (e.treeConflict ? " tree" : "")
                                                         : e.path);
    });
    EXPECT_EQ(r.errors, "");
    EXPECT_EQ(seen, (Lines{" M", "/a b M", "/add A", "/conf C", "/conf.mine ?", "/conf.r1 ?",
                           "/conf.r2 ?", "/del D", "/miss !", "/mod M", "/prop M", "/rep R",
                           "/tree C tree", "/unv ?", "/x@1 M", "/é M"}));

    // The words the status menu shows for each conflict.
    const std::pair<std::string, std::string> conflicts[] = {
        {"tree", "update/delete/edit"}, {"conf", "none"}, {"mod", "none"}};
    for (const auto& [name, words] : conflicts) {
        svnclient::ClientResult info;
        const svnclient::TreeConflict c = svnclient::SvnTreeConflict(wc + "/" + name, &info);
        EXPECT_EQ(info.errors, "") << name;
        EXPECT_EQ(c.Found() ? c.operation + "/" + c.action + "/" + c.reason : "none", words) << name;
    }
    svnclient::ClientResult info;
    EXPECT_FALSE(svnclient::SvnTreeConflict(wc + "/nowhere", &info).Found());
    EXPECT_NE(info.errors.find("svn: E"), std::string::npos) << info.errors;
}

}  // namespace
