// The readers of the client's --xml output fed exact bytes, whole and a byte
// at a time (every split a pipe could make), and the client's dates.
#include <gtest/gtest.h>

#include "support/sandbox.h"
#include "svnclient/blame_xml.h"
#include "svnclient/dates.h"
#include "svnclient/log_xml.h"

namespace {

using namespace svnclient;

// Local time two hours ahead of UTC, so a date shown in UTC is caught.
testsupport::ScopedEnv g_zone("TZ", "XST-2");

std::string Show(const LogEntry& e) {
    std::string s = "r" + std::to_string(e.revision) + " " + (e.hasAuthor ? e.author : "-") +
                    " [" + e.date + "] " + std::to_string(e.time) + " {" + e.message + "}";
    for (const ChangedPath& p : e.paths) {
        s += std::string(" ") + (p.action ? p.action : '?') + p.path;
        if (!p.copyFromPath.empty())
            s += "<" + p.copyFromPath + "@" + std::to_string(p.copyFromRevision);
    }
    return s;
}

std::string Show(const BlameLine& l) {
    return std::to_string(l.number) + ":r" + std::to_string(l.revision) + " " +
           (l.hasAuthor ? l.author : "-") + " [" + l.date + "]";
}

// What a reader hands over, then "!" when it finds the document malformed.
template <typename Reader, typename Sink>
std::vector<std::string> Read(const std::string& xml, bool byteByByte, Sink&& make) {
    std::vector<std::string> out;
    Reader reader(make(out));
    bool ok = true;
    if (byteByByte)
        for (size_t i = 0; ok && i < xml.size(); ++i) ok = reader.Feed(xml.substr(i, 1));
    else ok = reader.Feed(xml);
    if (!(ok && reader.Finish())) {
        EXPECT_NE(reader.Error().find("XML, line"), std::string::npos) << reader.Error();
        out.push_back("!");
    }
    return out;
}

const std::string kHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<log>\n";

TEST(LogXml, EntriesAsTheClientPrintsThemAndMalformedDocumentsAsErrors) {
    const struct {
        std::string xml;
        std::vector<std::string> entries;
    } cases[] = {
        {kHead + "<logentry\n   revision=\"7\">\n<author>ann &amp; é</author>\n"
                 "<date>2026-12-07T12:34:56.123456Z</date>\n<paths>\n"
                 "<path action=\"A\" copyfrom-path=\"/a b@%\" copyfrom-rev=\"5\" kind=\"file\">/c"
                 "</path>\n<path action=\"D\">/a b@%</path>\n</paths>\n"
                 "<msg>x &lt;y&gt; ]]&gt; <![CDATA[<z>&]]> &#233;</msg>\n</logentry>\n</log>\n",
         {"r7 ann & é [2026-12-07 14:34] 1796646896 {x <y> ]]> <z>& é} A/c</a b@%@5 D/a b@%"}},
        // Anonymous, undated, an empty and a missing message; a merged
        // entry (with -g) belongs to its outer one.
        {kHead + "<logentry revision=\"3\"><msg></msg></logentry><logentry revision=\"2\">"
                 "<logentry revision=\"9\"><author>m</author><msg>merged</msg></logentry>"
                 "<author></author><date>2026-12-07T22:00:00Z</date></logentry></log>",
         {"r3 - [] 0 {}", "r2  [2026-12-08 00:00] 1796680800 {}"}},
        {kHead + "</log>", {}},
        // Broken documents: what was whole before the fault is kept.
        {kHead + "<logentry revision=\"4\"></logentry><logentry revision=\"3\">",
         {"r4 - [] 0 {}", "!"}},
        {kHead + "<logentry revision=\"4\"></log>", {"!"}},
        {kHead + "<logentry revision=\"4\"><msg>&nbsp;</msg></logentry></log>", {"!"}},
        {kHead + "<logentry revision=\"4\"><msg>\xE9</msg></logentry></log>", {"!"}},
        {"<?xml version=\"1.0\"?><!DOCTYPE log [<!ENTITY a \"aaaa\">]><log>&a;</log>", {"!"}},
        {"", {"!"}},
    };
    for (const auto& c : cases)
        for (bool bytes : {false, true})
            EXPECT_EQ(Read<LogXmlReader>(c.xml, bytes,
                                         [](std::vector<std::string>& out) {
                                             return [&out](LogEntry e) { out.push_back(Show(e)); };
                                         }),
                      c.entries)
                << c.xml << (bytes ? " (byte by byte)" : "");
}

TEST(BlameXml, EachLineNamesItsOwnCommitOrNone) {
    const std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<blame>\n<target path=\"a b\">\n"
        "<entry line-number=\"1\"><commit revision=\"12\"><author>bo</author>"
        "<date>2026-12-07T12:34:56Z</date></commit></entry>\n"
        "<entry line-number=\"2\"><commit revision=\"3\"><date>2026-12-07T12:34:56.5Z</date>"
        "</commit><merged path=\"/b\"><commit revision=\"2\"><author>m</author></commit>"
        "</merged></entry>\n<entry line-number=\"3\">\n</entry>\n</target>\n</blame>\n";
    for (bool bytes : {false, true}) {
        std::vector<BlameLine> lines;
        auto into = [&lines](std::vector<std::string>&) { return &lines; };
        EXPECT_TRUE(Read<BlameXmlReader>(xml, bytes, into).empty());
        std::vector<std::string> shown;
        for (const BlameLine& l : lines) shown.push_back(Show(l));
        EXPECT_EQ(shown, (std::vector<std::string>{"1:r12 bo [2026-12-07 14:34]",
                                                   "2:r3 - [2026-12-07 14:34]", "3:r0 - []"}));
    }
    std::vector<BlameLine> lines;
    EXPECT_EQ(Read<BlameXmlReader>("<blame><entry line-number=\"1\">", false,
                                   [&lines](std::vector<std::string>&) { return &lines; }),
              std::vector<std::string>{"!"});
}

TEST(SvnDate, UtcSecondsFromTheClientsDatesOnly) {
    const std::pair<const char*, int64_t> good[] = {
        {"2026-12-07T12:34:56.123456Z", 1796646896}, {"2026-12-07T12:34:56Z", 1796646896},
        {"2024-02-29T00:00:00.0Z", 1709164800},      {"2000-03-01T00:00:00Z", 951868800},
        {"1969-12-31T23:59:59.999999Z", -1},         {"1970-01-01T00:00:00Z", 0}};
    for (const auto& [text, seconds] : good) {
        int64_t got = 42;
        EXPECT_TRUE(ParseSvnDate(text, &got)) << text;
        EXPECT_EQ(got, seconds) << text;
    }
    for (const char* text :
         {"", "2026-12-07T12:34:56", "2026-12-07 12:34:56Z", "2026-12-07T12:34:56.Z",
          "2026-13-07T12:34:56Z", "2026-12-07T24:00:00Z", "2026-12-07T12:34:56Zx",
          "2026-12-07T12:34:5xZ", "2026-12-07T12:34:56+01:00"}) {
        int64_t got = 42;
        EXPECT_FALSE(ParseSvnDate(text, &got)) << text;
        EXPECT_EQ(got, 42) << text;
    }
    std::string date = "old";
    int64_t time = 7;
    ReadSvnDate("yesterday", &date, &time);
    EXPECT_EQ(date + std::to_string(time), "0");
    testsupport::ScopedEnv behind("TZ", "YST+9:30");
    ReadSvnDate("2026-12-07T08:10:00Z", &date, &time);
    EXPECT_EQ(date, "2026-12-06 22:40");
}

}  // namespace
