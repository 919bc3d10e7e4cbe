// The browsers on a real working copy and a real repository: entries with
// their status, folders listed in place, and the search over every path.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "browse/local_browser.h"
#include "browse/remote_browser.h"
#include "browse/remote_search.h"
#include "client_env.h"
#include "platform/text.h"
#include "svnclient/repository.h"
#include "svnclient/working_copy.h"

using namespace testsupport;
using browse::EntryStatus;

namespace {

// The entries as "depth folder name [status] path", `base` cut off the paths;
// rows must be positions.
Lines Shown(const browse::EntryList& list, const std::string& base = "") {
    Lines out;
    int position = 0;
    for (const auto& e : list.Entries()) {
        EXPECT_EQ(position++, e.row) << e.name;
        std::string path = e.path.starts_with(base) ? e.path.substr(base.size()) : "?" + e.path;
        out.push_back(std::to_string(e.depth) + " " + std::to_string(e.isFolder) + " " + e.name +
                      " [" + e.status + "] " + path);
    }
    return out;
}

void Local(browse::EntryList& list, int row, int depth, const std::string& subPath) {
    browse::ReplaceChildren(list, row, depth,
                            [&](const auto& add) { browse::ListLocalFolder(subPath, add); });
}

std::string Remote(browse::EntryList& list, int row, int depth, const std::string& subPath) {
    std::string errors;
    browse::ReplaceChildren(list, row, depth, [&](const auto& add) {
        errors = browse::ListRemoteFolder(subPath, add).errors;
    });
    return errors;
}

using LocalBrowser = ClientTest;

TEST_F(LocalBrowser, ListsEveryEntryWithItsStatusAndSkipsDotNames) {
    CheckedOut({{"src/util/u.c", "u\n"},
                {"src/x.c", "x\n"},
                {"b.c", "b\n"},
                {"A.txt", "a\n"},
                {".dotted", "d\n"}});
    WriteFile(wc + "/b.c", "changed\n");
    WriteFile(wc + "/src/util/u.c", "changed\n");
    WriteFile(wc + "/_new.txt", "n\n");
    MakeDirs(wc + "/.hidden-folder");
    MakeDirs(box / "outside/inner");
    // A link to a folder is a folder, unversioned in its own folder (alone,
    // the client would answer for the folder it points to: nothing).
    ASSERT_EQ(0, symlink((box / "outside").c_str(), (wc + "/linked").c_str()));

    const Lines top = {"0 1 linked [?] /linked", "0 1 src [M] /src", "0 0 _new.txt [?] /_new.txt",
                       "0 0 A.txt [] /A.txt", "0 0 b.c [M] /b.c"};
    browse::EntryList list;
    // The client spells the folder its own way in front of each path.
    for (std::string local : {box / "/./wc/../wc//", wc, wc + "/"}) {
        settings::g_settings.SVNLocalRepositery = local;
        Local(list, 0, 0, "");
        EXPECT_EQ(Shown(list, local.ends_with("/") ? local.substr(0, local.size() - 1) : local),
                  top)
            << local;
    }
    Local(list, 2, 1, "src");
    Local(list, 3, 2, "src/util");
    Local(list, 1, 1, "linked");
    EXPECT_EQ(Shown(list, wc),
              (Lines{top[0], "1 1 inner [] /linked/inner", top[1], "1 1 util [M] /src/util",
                     "2 0 u.c [M] /src/util/u.c", "1 0 x.c [] /src/x.c", top[2], top[3], top[4]}));
    Local(list, 3, 1, "gone");
    EXPECT_EQ(list.Size(), 6);
}

// One status run of the listed folder gives each entry the code its own run
// gives (the first word of its line, not the conflict summary after it), for
// every state the client reports, and a row to entries that are
// deleted or missing from the disk. Where the client judges an entry from
// its folder (switched, external, a checkout of its own), the folder's word.
TEST_F(LocalBrowser, OneStatusRunPerFolderGivesEachEntryItsOwnCode) {
    std::map<std::string, std::string> files{
        {"trunk/sw/z", "z\n"},       {"trunk/deldir/f", "f\n"}, {"trunk/missdir/f", "f\n"},
        {"trunk/sub/deep/f", "f\n"}, {"trunk/sub/ok", "o\n"},   {"other/f", "o\n"},
        {"elsewhere/z", "e\n"}};
    for (const char* name : {"clean", "mod", "prop", "both", "del", "gone", "repl", "confl",
                             "tconf", "lock", "obst", "a b", "\xC3\xA9t\xC3\xA9", "tail "})
        files[std::string("trunk/") + name] = "x\n";
    const std::string url = Repo(files);
    Checkout(url + "trunk", wc);
    Checkout(url + "trunk", box / "theirs");
    const std::string setup =
        "cd " + ShellQuote(box / "theirs") +
        " && echo t > confl && svn rm -q tconf && svn ci -q -m t && cd " + ShellQuote(wc) +
        " && echo m > confl && echo m > tconf && svn up -q --accept postpone && "
        "echo m > mod && echo m > 'a b' && echo m > \xC3\xA9t\xC3\xA9 && echo m > sub/deep/f && "
        "echo m > both && svn ps -q p v prop both && svn rm -q del deldir && svn rm -q repl && "
        "echo r > repl && echo n > added && svn add -q repl added && echo u > unv && "
        "echo u > 'tail ' && mkdir -p unvdir/in && echo u > unvdir/in/u && echo i > ign.o && "
        "echo i > sub/i.o && svn lock -q lock && rm obst && mkdir obst && "
        "svn switch -q --ignore-ancestry " +
        url + "elsewhere sw && svn ps -q svn:externals 'ext " + url +
        "other' . && svn up -q && svn co -q " + url +
        "other nested && echo m > nested/f && rm -r gone missdir";
    ASSERT_EQ(0, testsupport::Run(setup));
    settings::g_settings.SVNLocalRepositery = wc;
    platform::UseUserCharset();  // the client's UTF-8, as the program takes it

    // `folderWords`: the root's switched folder, external and checkout of
    // its own get the word the client gives them from their folder.
    auto listed = [](const std::string& subPath, bool folderWords = true) {
        browse::EntryList list;
        Local(list, 0, 0, subPath);
        Lines out;
        for (const auto& e : list.Entries()) {
            const std::string alone = EntryStatus(e.path);
            std::string expected = alone;
            if (folderWords && subPath.empty() && e.name == "sw") expected = "S";
            if (folderWords && subPath.empty() && e.name == "nested") expected = "?";
            if (folderWords && subPath.empty() && e.name == "ext" && alone.empty()) expected = "X";
            EXPECT_EQ(e.status, expected) << e.path;
            out.push_back(e.name + (e.isFolder ? "/" : "") + " [" + e.status + "]");
        }
        return out;
    };
    // A tree conflict reads as a conflict, whatever its first column says.
    const Lines top = {"deldir/ [D]",  "ext/ [X]",       "missdir/ [!]",
                       "nested/ [?]",  "obst/ [~]",      "sub/ [M]",
                       "sw/ [S]",      "unvdir/ [?]",    "a b [M]",
                       "added [A]",    "both [MM]",      "clean []",
                       "confl [C]",    "confl.mine [?]", "confl.r1 [?]",
                       "confl.r2 [?]", "del [D]",        "gone [!]",
                       "ign.o [I]",    "lock [K]",       "mod [M]",
                       "prop [M]",     "repl [R]",       "tail  [M]",
                       "tconf [C]",    "unv [?]",        "\xC3\xA9t\xC3\xA9 [M]"};
    EXPECT_EQ(listed(""), top);
    EXPECT_EQ(listed("sub"), (Lines{"deep/ [M]", "i.o [I]", "ok []"}));
    EXPECT_EQ(listed("sub/deep"), Lines{"f [M]"});
    EXPECT_EQ(listed("unvdir"), Lines{"in/ []"});
    EXPECT_EQ(listed("nested"), Lines{"f [M]"});
    EXPECT_EQ(listed("ext"), Lines{"f []"});
    WriteFile(wc + "/ext/f", "m\n");
    EXPECT_EQ(listed("")[1], "ext/ [M]");
    {
        // The client can't read the accented name without UTF-8: its run of
        // the folder fails, and each entry is asked alone.
        ScopedEnv c("LC_ALL", "C");
        const Lines plain = listed("", false);
        EXPECT_NE(std::find(plain.begin(), plain.end(), "mod [M]"), plain.end());
    }
    EXPECT_EQ(EntryStatus(box / "not-a-working-copy"), "");
    // Outside a working copy, a checkout inside the listed folder still has its status.
    settings::g_settings.SVNLocalRepositery = box.Path();
    const Lines box = listed("", false);
    EXPECT_NE(std::find(box.begin(), box.end(), "wc/ [M]"), box.end());
}

using RemoteBrowser = ClientTest;

TEST_F(RemoteBrowser, ListsFoldersInPlaceWithOrWithoutFinalSlash) {
    const std::string url = Repo({{"zeta.txt", "z\n"},
                                  {"README", "r\n"},
                                  {"Alpha/", ""},
                                  {"trunk/src/main.c", "m\n"},
                                  {"trunk/a b.txt", "ab\n"}});
    browse::EntryList list;
    for (std::string base : {url, url.substr(0, url.size() - 1)}) {
        settings::g_settings.SVNRemoteRepositery = base;
        EXPECT_EQ(Remote(list, 0, 0, ""), "");
        EXPECT_EQ(Remote(list, 2, 1, "trunk/"), "");
        EXPECT_EQ(Remote(list, 3, 2, "trunk/src/"), "");
        EXPECT_EQ(Shown(list),
                  (Lines{"0 1 Alpha/ [] Alpha/", "0 1 trunk/ [] trunk/", "1 1 src/ [] trunk/src/",
                         "2 0 main.c [] trunk/src/main.c", "1 0 a b.txt [] trunk/a b.txt",
                         "0 0 README [] README", "0 0 zeta.txt [] zeta.txt"}))
            << base;
    }
    const std::string errors = Remote(list, 2, 1, "trunk/missing/");
    EXPECT_NE(errors.find("missing"), std::string::npos) << errors;
    EXPECT_EQ(list.Size(), 4);
}

class RemoteSearch : public ClientTest {
protected:
    browse::SearchResult Search(const std::string& pattern, Lines& found) {
        found.clear();
        return browse::SearchRemote(
            pattern, [&](const std::string& p) { found.push_back(p); }, stop);
    }

    std::atomic<bool> stop{false};
};

TEST_F(RemoteSearch, HandsOverTheMatchingPathsInTheClientsOrder) {
    const std::string url = Repo({{"trunk/doc/guide.txt", "g\n"},
                                  {"trunk/docs/readme", "r\n"},
                                  {"trunk/LOUD.TXT", "l\n"},
                                  {"trunk/main.c", "m\n"},
                                  {"trunk/" + std::string(40, 'a') + "cab", "x"}});
    const std::string all = Shell("svn list -R " + ShellQuote(url));
    auto matching = [&all](auto keep) {
        Lines out;
        std::istringstream in(all);
        for (std::string line; std::getline(in, line);)
            if (keep(line)) out.push_back(line);
        return out;
    };
    Lines found;
    EXPECT_EQ(Search("", found).client.errors, "");
    EXPECT_EQ(found, matching([](const std::string&) { return true; }));
    EXPECT_EQ(found.size(), 8u);
    Search("\\.txt$", found);
    EXPECT_EQ(found, Lines{"trunk/doc/guide.txt"});
    Search("doc", found);
    EXPECT_EQ(found,
              matching([](const std::string& l) { return l.find("doc") != std::string::npos; }));
    EXPECT_EQ(found.size(), 4u) << "the folder lines and the entries below them";
    // PCRE2 gives up on the long name (it does match, at its end): counted, not dropped.
    EXPECT_EQ(Search("(a+)+b", found).unmatched, 1);
    EXPECT_TRUE(found.empty());

    browse::SearchResult bad = Search("(", found);
    EXPECT_NE(bad.patternError, "");
    EXPECT_FALSE(bad.client.started);
    settings::g_settings.SVNRemoteRepositery = "file://" + box / "nowhere/";
    EXPECT_NE(Search("", found).client.errors.find("svn: E"), std::string::npos);
    EXPECT_TRUE(found.empty());
}

// A stop while a client keeps listing for a minute: the paths found so far
// came in order and the search ends at once.
TEST_F(RemoteSearch, StopEndsTheSearchWithThePathsFoundSoFar) {
    PutClient(box / "client",
              "i=0\nwhile [ $i -lt 6000 ]; do echo \"path/$i\"; i=$((i+1)); sleep 0.01; done");
    ScopedCwd cwd(box / "client");
    Lines found;
    auto start = std::chrono::steady_clock::now();
    browse::SearchRemote(
        "",
        [&](const std::string& p) {
            found.push_back(p);
            if (found.size() == 3) stop = true;
        },
        stop);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    ASSERT_GE(found.size(), 3u);
    EXPECT_LT(found.size(), 6000u);
    for (size_t i = 0; i < found.size(); ++i) EXPECT_EQ(found[i], "path/" + std::to_string(i));
}

// Names that read as URL escapes, peg revisions or options: every action
// reaches exactly the entry the user pointed at, never a look-alike.
using OddNames = ClientTest;

TEST_F(OddNames, EveryActionReachesThatEntryAndNoOther) {
    const Lines names = {"a%41b.txt", "aAb.txt",      "x@1",   "x",
                         "pct%2F",    "q 'u\" o.txt", "-lead", "é.txt"};
    std::map<std::string, std::string> files{{"d%41/in.txt", "in"}, {"dA/decoy.txt", "decoy"}};
    for (const auto& name : names) files[name] = name;
    const std::string url = CheckedOut(files);

    browse::EntryList list;
    EXPECT_EQ(Remote(list, 0, 0, "d%41/"), "");
    ASSERT_EQ(list.Size(), 1);
    EXPECT_EQ(list.Entries().front().name, "in.txt");
    for (const auto& name : names) {
        const std::string target = box / "got";
        EXPECT_EQ(svnclient::SvnExport(svnclient::RepositoryUrl(name), target).errors, "") << name;
        EXPECT_EQ(ReadFile(target), name);
    }

    for (const auto& name : names) WriteFile(wc + "/" + name, "changed");
    EXPECT_EQ(svnclient::SvnRevert(wc + "/x@1").errors, "");
    EXPECT_EQ(svnclient::SvnRevert(wc + "/a%41b.txt").errors, "");
    EXPECT_EQ(EntryStatus(wc + "/x@1"), "");
    EXPECT_EQ(EntryStatus(wc + "/x"), "M");
    EXPECT_EQ(EntryStatus(wc + "/aAb.txt"), "M");
    WriteFile(wc + "/new@2", "n");
    EXPECT_EQ(svnclient::SvnAdd(wc + "/new@2").errors, "");
    EXPECT_EQ(EntryStatus(wc + "/new@2"), "A");
    EXPECT_EQ(svnclient::SvnDelete(wc + "/-lead").errors.find("svn: E"), 0u) << "modified: refused";

    EXPECT_EQ(svnclient::SvnRemoteDelete("a%41b.txt").errors, "");
    EXPECT_EQ(svnclient::SvnRemoteDelete("x@1").errors, "");
    EXPECT_EQ(svnclient::SvnRemoteMkdir("d%41/", "new@1").errors, "");
    EXPECT_EQ(Shell("svn list -R " + ShellQuote(url)),
              "-lead\naAb.txt\nd%41/\nd%41/in.txt\nd%41/new@1/\ndA/\ndA/decoy.txt\npct%2F\nq 'u\" "
              "o.txt\nx\né.txt\n");
}

}  // namespace
