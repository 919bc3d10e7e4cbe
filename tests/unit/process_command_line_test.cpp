// The Windows command-line joiner, checked against an independent reading of
// the C runtime's parsing rules.
#include <gtest/gtest.h>

#include <random>

#include "platform/command_line.h"

namespace {

using platform::ArgumentList;
using platform::JoinCommandLine;

// How the C runtime splits a command line; the program is taken up to its
// closing quote, without escapes.
std::vector<std::string> ParseCommandLine(const std::string& line) {
    size_t i = line.find('"', 1) + 1;  // the joiner always quotes the program
    std::vector<std::string> out = {line.substr(1, i - 2)};
    auto blank = [&line](size_t at) { return line[at] == ' ' || line[at] == '\t'; };
    for (;;) {
        while (i < line.size() && blank(i)) ++i;
        if (i == line.size()) return out;
        std::string arg;
        bool inQuotes = false;
        size_t backslashes = 0;
        for (; i < line.size() && (inQuotes || !blank(i)); ++i) {
            if (line[i] == '\\') {
                ++backslashes;
                continue;
            }
            // Backslashes are halved before a quote, which an odd count escapes.
            arg.append(line[i] == '"' ? backslashes / 2 : backslashes, '\\');
            if (line[i] != '"')
                arg += line[i];
            else if (backslashes % 2 == 1)
                arg += '"';
            else if (inQuotes && line[i + 1] == '"')
                arg += line[i++];  // "" inside quotes: a literal quote
            else
                inQuotes = !inQuotes;
            backslashes = 0;
        }
        out.push_back(arg.append(backslashes, '\\'));
    }
}

// Plain words and backslashes not before a quote stand as they are; empty,
// blank, tab and quote force quoting, and so does the flag; backslashes double
// only in front of a quote or the closing quote.
TEST(WindowsCommandLine, QuotesOnlyWhereNeededAndEscapesOnlyBeforeQuotes) {
    EXPECT_EQ(JoinCommandLine("svn\\bin\\svn.exe", {{"commit", false},
                                                    {"-m", false},
                                                    {"fix the build", true},
                                                    {"docs\\a.txt", true},
                                                    {"C:\\work\\", false},
                                                    {"", false},
                                                    {"a\tb", false},
                                                    {"C:\\my dir\\", false},
                                                    {"C:\\a\\\\b c", false},
                                                    {"say \"hi\"", false},
                                                    {"a\\\"b", false}}),
              "\"svn\\bin\\svn.exe\" commit -m \"fix the build\" \"docs\\a.txt\" C:\\work\\ \"\" "
              "\"a\tb\" "
              "\"C:\\my dir\\\\\" \"C:\\a\\\\b c\" \"say \\\"hi\\\"\" \"a\\\\\\\"b\"");
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
