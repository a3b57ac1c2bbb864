#include "sms/xml_content_scanner.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The events of a scan as "R12 C20 E40" (root started, child started, root ended at those
// offsets of the document) or "U" (unsupported). The bytes arrive `step` at a time; with drop,
// the caller drops its buffer up to every root or child start, as the reader does.
std::string Scan(std::string_view document, std::size_t step, bool drop) {
    XmlContentScanner scanner;
    std::string buffer;
    std::string events;
    std::size_t dropped = 0;
    for (std::size_t fed = 0; fed < document.size();) {
        std::size_t n = std::min(step, document.size() - fed);
        buffer.append(document.substr(fed, n));
        fed += n;
        while (true) {
            std::size_t at = 0;
            XmlContentScanner::Event event = scanner.Next(buffer, at);
            using Event = XmlContentScanner::Event;
            if (event == Event::NeedMore) break;
            if (event == Event::Unsupported) return events + "U";
            events += event == Event::RootStarted ? "R" : event == Event::ChildStarted ? "C" : "E";
            events += std::to_string(dropped + at);
            if (event == Event::RootEnded) return events;
            events += " ";
            if (drop) {
                buffer.erase(0, at);
                scanner.Drop(at);
                dropped += at;
            }
        }
    }
    return events;
}

struct ScanCase {
    std::string document;
    // The events, with every "@text@" standing for the offset of the first "text" in the
    // document after the previous mark.
    std::string events;
};

std::string Resolve(const ScanCase& c) {
    std::string out;
    std::size_t from = 0;
    for (std::size_t i = 0; i < c.events.size(); ++i) {
        if (c.events[i] != '@') {
            out += c.events[i];
            continue;
        }
        std::size_t end = c.events.find('@', i + 1);
        std::string mark = c.events.substr(i + 1, end - i - 1);
        bool after = mark.starts_with(">");
        if (after) mark.erase(0, 1);
        std::size_t at = c.document.find(mark, from);
        EXPECT_NE(at, std::string::npos) << mark;
        from = at + 1;
        out += std::to_string(after ? at + mark.size() : at);
        i = end;
    }
    return out;
}

}  // namespace

// Markup that may hold '<' or '>' without being a child: a cut there would break the piece.
TEST(XmlContentScannerTest, FindsTheRootsChildrenWhereverTheBytesAreCut) {
    const ScanCase cases[] = {
        {"<?xml version='1.0'?>\n<!-- <smses> --><?pi <x> ?>\n<smses a=\"1>2\" b='/'>"
         "<sms b='x>' c=\"'/>\" /><!-- <sms> - --><![CDATA[<sms>]]]]><?pi <sms/> ?>"
         "<mms><parts><part d=\"/>\"/><!-- </mms> --></parts></mms>text &amp; > more"
         "<call/>\n<!----><x\n/></smses>\n<!-- </smses> -->",
         "R@>b='/'>@ C@<sms b@ C@<mms>@ C@<call/>@ C@<x\n@ E@</smses>@"},
        {"\xEF\xBB\xBF<smses><a><a><a/></a></a><b></b></smses>",
         "R@><smses>@ C@<a>@ C@<b>@ E@</smses>@"},
        {"<smses></smses>", "R@><smses>@ E@</@"},
        {"<!DOCTYPE smses [<!ENTITY a \"<smses>\">]><smses>&a;</smses>", "U"},
        {"<?xml version='1.0'?><smses count=\"0\"/>", "U"},
        {"</smses>", "U"},
        // Not well-formed: the scanner reads on, and leaves the refusal to the parser.
        {"<smses><!DOCTYPE x><sms/></smses>", "R@><smses>@ C@<sms/>@ E@</smses>@"},
    };
    for (const ScanCase& c : cases) {
        const std::string expected = Resolve(c);
        for (std::size_t step : {std::size_t{1}, std::size_t{2}, std::size_t{7}, c.document.size()})
            for (bool drop : {false, true})
                EXPECT_EQ(Scan(c.document, step, drop), expected)
                    << c.document << " step " << step << " drop " << drop;
    }
}

TEST(XmlContentScannerTest, AnUnfinishedTokenWaitsForMore) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"<smses><!-- -- ", "R7 "}, {"<smses><![CDATA[ ]]", "R7 "},  {"<smses><?x ?", "R7 "},
        {"<smses><!-", "R7 "},      {"<smses><sms a=\">", "R7 C7 "}, {"<smses a='>", ""},
    };
    for (const auto& [document, events] : cases)
        EXPECT_EQ(Scan(document, 1, true), events) << document;
}
