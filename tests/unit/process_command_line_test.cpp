// The Windows command-line joiner, checked against an independent reading of
// the C runtime's parsing rules.
#include <gtest/gtest.h>

#include <random>

#include "platform/command_line.h"

namespace {

using platform::ArgumentList;
using platform::JoinCommandLine;
using platform::QuoteWindowsArgument;

// How the C runtime splits a command line; the program is taken up to its
// closing quote, without escapes.
std::vector<std::string> ParseCommandLine(const std::string& line) {
    size_t i = line.find('"', 1) + 1;  // the joiner always quotes the program
    std::vector<std::string> out = {line.substr(1, i - 2)};
    for (;;) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i == line.size()) break;
        std::string arg;
        bool inQuotes = false;
        while (i < line.size()) {
            size_t backslashes = 0;
            while (i < line.size() && line[i] == '\\') ++backslashes, ++i;
            if (i < line.size() && line[i] == '"') {
                arg.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    arg += '"';
                } else if (inQuotes && i + 1 < line.size() && line[i + 1] == '"') {
                    arg += '"';  // "" inside quotes: a literal quote
                    ++i;
                } else {
                    inQuotes = !inQuotes;
                }
                ++i;
                continue;
            }
            arg.append(backslashes, '\\');
            if (i == line.size()) break;
            if (!inQuotes && (line[i] == ' ' || line[i] == '\t')) break;
            arg += line[i++];
        }
        out.push_back(arg);
    }
    return out;
}

TEST(WindowsCommandLine, OrdinaryValuesGiveTheClassicLine) {
    EXPECT_EQ(JoinCommandLine("svn\\bin\\svn.exe", {{"add", false}, {"docs\\a.txt", true},
                                                    {"--non-interactive", false}}),
              "\"svn\\bin\\svn.exe\" add \"docs\\a.txt\" --non-interactive");
    EXPECT_EQ(JoinCommandLine("svn\\bin\\svn.exe", {{"commit", false}, {"-m", false},
                                                    {"fix the build", true}, {"--force-log", false}}),
              "\"svn\\bin\\svn.exe\" commit -m \"fix the build\" --force-log");
}

TEST(WindowsCommandLine, QuotesOnlyWhereNeededAndEscapesOnlyBeforeQuotes) {
    // Plain words and inner backslashes stand as they are.
    EXPECT_EQ(QuoteWindowsArgument("C:\\work\\copy", false), "C:\\work\\copy");
    EXPECT_EQ(QuoteWindowsArgument("C:\\work\\", false), "C:\\work\\");
    // Empty, blank, tab and quote force quoting; so does the flag.
    EXPECT_EQ(QuoteWindowsArgument("", false), "\"\"");
    EXPECT_EQ(QuoteWindowsArgument("a b", false), "\"a b\"");
    EXPECT_EQ(QuoteWindowsArgument("a\tb", false), "\"a\tb\"");
    EXPECT_EQ(QuoteWindowsArgument("x", true), "\"x\"");
    // Backslashes double only in front of a quote or the closing quote.
    EXPECT_EQ(QuoteWindowsArgument("C:\\my dir\\", false), "\"C:\\my dir\\\\\"");
    EXPECT_EQ(QuoteWindowsArgument("C:\\a\\\\b c", false), "\"C:\\a\\\\b c\"");
    EXPECT_EQ(QuoteWindowsArgument("say \"hi\"", false), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(QuoteWindowsArgument("a\\\"b", false), "\"a\\\\\\\"b\"");
}

TEST(WindowsCommandLine, EveryListSurvivesJoiningAndParsing) {
    const std::vector<std::string> pieces = {"a", " ", "\t", "\"", "\\", "\\\\", "é", "="};
    std::mt19937 random(20240611);
    for (int round = 0; round < 500; ++round) {
        ArgumentList args(random() % 5);
        std::vector<std::string> expected = {"svn\\bin\\svn.exe"};
        for (auto& a : args) {
            for (size_t n = random() % 6; n > 0; --n) a.text += pieces[random() % pieces.size()];
            a.quote = random() % 2 == 0;
            expected.push_back(a.text);
        }
        std::string line = JoinCommandLine("svn\\bin\\svn.exe", args);
        ASSERT_EQ(ParseCommandLine(line), expected) << "line: " << line;
    }
}

}  // namespace
