// The readers of the client's --xml output fed exact bytes, whole and a byte
// at a time (every split a pipe could make), and the client's dates.
#include <gtest/gtest.h>

#include <tuple>

#include "support/sandbox.h"
#include "svnclient/blame_xml.h"
#include "svnclient/dates.h"
#include "svnclient/log_xml.h"
#include "svnclient/status_xml.h"

namespace {

using namespace svnclient;
using Items = std::vector<std::string>;

// Local time two hours ahead of UTC, so a date shown in UTC is caught.
testsupport::ScopedEnv g_zone("TZ", "XST-2");

// Feeds `xml` whole or a byte at a time; "!" ends `items` when it proved malformed.
void Feed(XmlReader& reader, const std::string& xml, bool bytes, Items& items) {
    bool ok = true;
    for (size_t at = 0; ok && at < xml.size(); at += bytes ? 1 : xml.size())
        ok = reader.Feed(xml.substr(at, bytes ? 1 : xml.size()));
    if (ok && reader.Finish()) return;
    EXPECT_NE(reader.Error().find("XML, line"), std::string::npos) << reader.Error();
    items.push_back("!");
}

Items ReadLog(const std::string& xml, bool bytes) {
    Items items;
    LogXmlReader reader([&](LogEntry e) {
        std::string s = "r" + std::to_string(e.revision) + " " + (e.hasAuthor ? e.author : "-") +
                        " [" + e.date + "] " + std::to_string(e.time) + " {" + e.message + "}";
        for (const ChangedPath& p : e.paths)
            s += " " + std::string(1, p.action) + p.path + "<" + p.copyFromPath + "@" +
                 std::to_string(p.copyFromRevision);
        items.push_back(s);
    });
    Feed(reader, xml, bytes, items);
    return items;
}

Items ReadBlame(const std::string& xml, bool bytes) {
    std::vector<BlameLine> lines;
    BlameXmlReader reader(&lines);
    Items items;
    Feed(reader, xml, bytes, items);
    for (const BlameLine& l : lines)
        items.push_back(std::to_string(l.number) + ":r" + std::to_string(l.revision) + " " +
                        (l.hasAuthor ? l.author : "-") + " [" + l.date + "]");
    return items;
}

Items ReadStatus(const std::string& xml, bool bytes) {
    Items items;
    StatusXmlReader reader([&](StatusEntry e) {
        items.push_back(e.path + ":" + e.code + (e.treeConflict ? "T" : ""));
    });
    Feed(reader, xml, bytes, items);
    return items;
}

// An entry as the client prints it, its <wc-status> with `attributes`.
std::string Entry(const std::string& path, const std::string& attributes) {
    return "<entry\n   path=\"" + path + "\">\n<wc-status\n   " + attributes +
           ">\n</wc-status>\n</entry>\n";
}

const std::string kLog = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<log>\n";
const std::string kBlame = "<?xml version=\"1.0\"?>\n<blame>\n<target path=\"a b\">\n";
const std::string kStatus = "<?xml version=\"1.0\"?>\n<status>\n<target path=\"w\">\n";

TEST(ClientXml, EntriesAndLinesAsPrintedAndMalformedDocumentsAsErrors) {
    const std::tuple<Items (*)(const std::string&, bool), std::string, Items> cases[] = {
        {ReadLog,
         kLog + "<logentry\n   revision=\"7\">\n<author>ann &amp; é</author>\n"
                "<date>2026-12-07T12:34:56.123456Z</date>\n<paths>\n<path action=\"A\" "
                "copyfrom-path=\"/a b@%\" copyfrom-rev=\"5\">/c</path>\n"
                "<path action=\"D\">/a b@%</path>\n</paths>\n"
                "<msg>x &lt;y&gt; ]]&gt; <![CDATA[<z>&]]> &#233;</msg>\n"
                "</logentry>\n</log>\n",
         {"r7 ann & é [2026-12-07 14:34] 1796646896 {x <y> ]]> <z>& é} A/c</a b@%@5 D/a b@%<@0"}},
        // Anonymous, undated, an empty and a missing message; a merged
        // entry (with -g) belongs to its outer one.
        {ReadLog,
         kLog + "<logentry revision=\"3\"><msg></msg></logentry><logentry revision=\"2\">"
                "<logentry revision=\"9\"><author>m</author><msg>merged</msg></logentry>"
                "<author></author><date>2026-12-07T22:00:00Z</date></logentry></log>",
         {"r3 - [] 0 {}", "r2  [2026-12-08 00:00] 1796680800 {}"}},
        // What was whole before a fault is kept.
        {ReadLog,
         kLog + "<logentry revision=\"4\"></logentry><logentry revision=\"3\">",
         {"r4 - [] 0 {}", "!"}},
        {ReadLog, kLog + "<logentry revision=\"4\"><msg>&nbsp;</msg></logentry></log>", {"!"}},
        {ReadLog, kLog + "<logentry revision=\"4\"><msg>\xE9</msg></logentry></log>", {"!"}},
        {ReadLog, "<?xml version=\"1.0\"?><!DOCTYPE log [<!ENTITY a \"a\">]><log>&a;</log>", {"!"}},
        {ReadLog, "", {"!"}},
        // A line of its own commit, one whose merge source is not its own,
        // one no commit made.
        {ReadBlame,
         kBlame + "<entry line-number=\"1\"><commit revision=\"12\"><author>bo</author>"
                  "<date>2026-12-07T12:34:56Z</date></commit></entry>\n"
                  "<entry line-number=\"2\"><commit revision=\"3\"></commit><merged "
                  "path=\"/b\"><commit revision=\"2\"><author>m</author></commit>"
                  "</merged></entry>\n<entry line-number=\"3\">\n</entry>\n"
                  "</target>\n</blame>",
         {"1:r12 bo [2026-12-07 14:34]", "2:r3 - []", "3:r0 - []"}},
        // The words a working copy rarely shows (the integration suite has
        // the others); any conflict first; an entry without a path is none.
        {ReadStatus,
         kStatus + Entry("o", "item=\"obstructed\"") + Entry("inc", "item=\"incomplete\"") +
             Entry("i", "item=\"ignored\"") + Entry("x", "item=\"external\"") +
             Entry("pc", "props=\"conflicted\" item=\"normal\"") +
             Entry("t", "tree-conflicted=\"true\" item=\"deleted\"") +
             Entry("n", "item=\"none\" tree-conflicted=\"false\"") + Entry("?", "item=\"new\"") +
             "<entry><wc-status item=\"added\"/></entry><changelist name=\"c\">" +
             Entry("a &amp; b", "props=\"modified\" item=\"normal\"") + "</changelist>" +
             Entry("cut", "item=\"added\"").substr(0, 24),
         {"o:~", "inc:!", "i:I", "x:X", "pc:C", "t:CT", "n:", "?:", "a & b:M", "!"}},
    };
    for (const auto& [read, xml, items] : cases)
        for (bool bytes : {false, true})
            EXPECT_EQ(read(xml, bytes), items) << xml << (bytes ? " (byte by byte)" : "");
}

TEST(SvnDate, UtcSecondsFromTheClientsDatesOnly) {
    const std::pair<const char*, int64_t> good[] = {
        {"2026-12-07T12:34:56.123456Z", 1796646896}, {"2026-12-07T12:34:56Z", 1796646896},
        {"2024-02-29T00:00:00.0Z", 1709164800},      {"2000-03-01T00:00:00Z", 951868800},
        {"1969-12-31T23:59:59.999999Z", -1},         {"1970-01-01T00:00:00Z", 0}};
    for (const auto& [text, seconds] : good) {
        int64_t got = 42;
        EXPECT_TRUE(ParseSvnDate(text, &got) && got == seconds) << text << " gave " << got;
    }
    for (const char* text :
         {"", "2026-12-07T12:34:56", "2026-12-07 12:34:56Z", "2026-12-07T12:34:56.Z",
          "2026-13-07T12:34:56Z", "2026-12-07T24:00:00Z", "2026-12-07T12:34:56Zx",
          "2026-12-07T12:34:5xZ", "2026-12-07T12:34:56+01:00", "2026-00-07T12:34:56Z"}) {
        int64_t got = 42;
        EXPECT_FALSE(ParseSvnDate(text, &got) || got != 42) << text;
    }
}

}  // namespace
