// The working-copy commands on real working copies: the status the client
// reports, and exactly what add and commit hand it.
#include <gtest/gtest.h>

#include <regex>

#include "client_env.h"
#include "svnclient/history.h"
#include "svnclient/status.h"
#include "svnclient/working_copy.h"

using namespace testsupport;

namespace {

using WorkingCopy = ClientTest;

// Every kind of change, conflicts of both kinds, awkward names: the codes of
// svn status --xml and the words of svn info --xml.
TEST_F(WorkingCopy, StatusCodesAndTreeConflictWordsOfARealWorkingCopy) {
    const std::string url = CheckedOut();
    std::string names;
    for (const char* n : {"mod", "del", "rep", "conf", "tree", "miss", "a b", "é", "x@1", "prop"}) {
        WriteFile(wc + "/" + n, "base\n");
        names += " " + ShellQuote(std::string(n) + "@");
    }
    // Another working copy changes "conf" and deletes "tree", both edited here.
    Shell("cd wc && svn add -q" + names + " && svn ci -q -m 1 && svn co -q " + url +
          " ../o && echo x > ../o/conf && svn rm -q ../o/tree && svn ci -q -m 2 ../o && "
          "echo m | tee conf tree mod >> x@1 && svn up -q --accept postpone && echo n > add && "
          "svn add -q add && svn rm -q del rep && echo r > rep && svn add -q rep && rm miss && "
          "echo u | tee unv y.o >> 'a b' && echo m >> é && svn ps -q p v prop@ && "
          "svn ps -q svn:ignore '*.o' .");
    Lines seen;
    const auto onEntry = [&](svnclient::StatusEntry e) {
        seen.push_back(e.path.substr(wc.size()) + " " + e.code + (e.treeConflict ? "T" : ""));
    };
    EXPECT_EQ(svnclient::SvnStatusXml(wc + "/", onEntry).errors, "");
    EXPECT_EQ(seen, (Lines{" M", "/a b M", "/add A", "/conf C", "/conf.mine ?", "/conf.r1 ?",
                           "/conf.r2 ?", "/del D", "/miss !", "/mod M", "/prop M", "/rep R",
                           "/tree CT", "/unv ?", "/x@1 M", "/é M"}));
    for (const auto& [name, words] :
         {std::pair{"tree", "update delete edit"}, {"conf", "  "}, {"nowhere", "  "}}) {
        svnclient::ClientResult info;
        const svnclient::TreeConflict c = svnclient::SvnTreeConflict(wc + "/" + name, &info);
        EXPECT_EQ(c.operation + " " + c.action + " " + c.reason, words) << name;
        EXPECT_EQ(info.errors.empty(), name != std::string("nowhere")) << info.errors;
    }
}

// The paths and the message reach the client in private files (a stand-in
// notes each argument, and after --targets and -F the file's mode and
// lines), gone afterwards whatever the outcome.
TEST_F(WorkingCopy, AddAndCommitExactlyTheListedPathsWithAMessageOfAnyLines) {
    const std::string url = CheckedOut({{"a.txt", "1\n"}, {"left.txt", "1\n"}});
    const std::string tmp = box / "tmp", log = ShellQuote(box / "calls.txt");
    MakeDirs(tmp);
    ScopedEnv tmpdir("TMPDIR", tmp);
    PutClient(box.Path(),
              "for a; do echo \"$a\"; case $p in --targets|-F) stat -c 'mode %a' \"$a\"; awk "
              "'{print \"> \" $0}' \"$a\";; esac; p=$a; done >> " +
                  log + "\nexec " + Shell("command -v svn | tr -d '\\n'") + " \"$@\"");
    ScopedCwd cwd(box.Path());
    auto calls = [&] {  // noted since the last call, temporary names masked
        const std::string all = ReadFile(box / "calls.txt");
        WriteFile(box / "calls.txt", "");
        return std::regex_replace(all, std::regex(tmp + "/vellum-\\w{6}\n"), "TMP\n");
    };
    const std::string credentials =
        "--non-interactive\n--no-auth-cache\n--username\n\n--password-from-stdin\n";
    for (const char* name : {"x@1", "-dash", " lead", "a.txt", "left.txt", "é"})
        WriteFile(wc + "/" + name, "2\n");
    EXPECT_EQ(svnclient::SvnAddAll({wc + "/x@1", wc + "/-dash", wc + "/ lead", wc + "/é"}).errors,
              "");
    EXPECT_EQ(calls(), "add\n--targets\nTMP\nmode 600\n> " + wc + "/x@1@\n> " + wc + "/-dash@\n> " +
                           wc + "/ lead@\n> " + wc + "/é@\n" + credentials);
    // In an ASCII locale, which reads the list as it reads a command line:
    // "é" stays out, while the message file is UTF-8 whatever the locale.
    const svnclient::LineSink none = [](const std::string&) {};
    const std::string message = "première\n\n  — \"q\"\t\\n\nlast";
    {
        ScopedEnv ascii("LC_ALL", "C");
        const auto r = svnclient::SvnCommitPaths({"a.txt", "x@1", "-dash", " lead"}, message, none);
        EXPECT_EQ(r.errors, "");
    }
    EXPECT_EQ(calls(),
              "commit\n--targets\nTMP\nmode 600\n> a.txt@\n> x@1@\n> -dash@\n> ./ lead@\n"
              "-F\nTMP\nmode 600\n> première\n> \n>   — \"q\"\t\\n\n> last\n--force-log\n"
              "--encoding\nUTF-8\n" +
                  credentials);
    svnclient::LogQuery q{url};
    q.revisions = {2};
    std::string logged;
    svnclient::SvnLog(q, [&](svnclient::LogEntry e) { logged = e.message; });
    EXPECT_EQ(logged, message);
    for (const auto& [result, error] :
         {std::pair{svnclient::SvnAddAll({wc + "/a.txt", wc + "/missing"}), "svn: E"},
          {svnclient::SvnCommitPaths({"missing"}, "m", none), "svn: E"},
          {svnclient::SvnAddAll({wc + "/two\nlines"}), "line break can't be handed to the client"}})
        EXPECT_NE(result.errors.find(error), std::string::npos) << result.errors;
    EXPECT_EQ(Shell("ls -A tmp; cd wc && svn status"), "M       left.txt\nA       é\n");
}

}  // namespace
