#pragma once
// Finds, in a UTF-8 XML document that arrives in blocks, where the root element's start tag ends,
// where each direct child of the root begins and where the root's end tag begins, so that the
// root's content can be cut into pieces that are each well-formed content on their own. It reads
// only as much of the markup as that needs: it skips comments, CDATA sections, processing
// instructions and quoted attribute values, which may hold '<' or '>' that are no markup.
//
// It checks nothing. A cut it got wrong leaves an element, comment or tag open at the end of a
// piece, which the parser of that piece refuses, so a misreading can fail a read but never make a
// broken document pass.
//
// The caller keeps the bytes in one buffer that only grows at its end, until it drops a head of
// it: then Drop(n) says so. The scanner never needs bytes before the token it is in.

#include <cstddef>
#include <cstdint>
#include <string_view>

class XmlContentScanner {
  public:
    enum class Event {
        NeedMore,      // every byte given so far is scanned
        RootStarted,   // at: just past the '>' of the root's start tag
        ChildStarted,  // at: the '<' of the start tag of a direct child of the root
        RootEnded,     // at: the '<' of the root's end tag; the scanner stops there
        Unsupported,   // a document type declaration or an empty root: read it another way
    };

    // Scans on from where the last call stopped; text is the whole buffer.
    Event Next(std::string_view text, std::size_t& at);
    // The caller dropped the first n bytes of its buffer; none of them belongs to the open token.
    void Drop(std::size_t n);

  private:
    enum class State : std::uint8_t {
        Text,
        Markup,  // just past a '<', its kind not yet known
        StartTag,
        Quoted,
        EndTag,
        Comment,
        CData,
        Instruction,
        OtherDeclaration,
        Done,
    };

    Event Markup(std::string_view text, std::size_t& at, bool& needMore);
    Event TagEnd(std::string_view text, std::size_t& at, bool& needMore);
    bool SkipPast(std::string_view text, std::string_view terminator, std::size_t minimumStart);

    State state_ = State::Text;
    bool inRoot_ = false;
    char quote_ = 0;
    std::size_t pos_ = 0;
    std::size_t tokenStart_ = 0;
    // Open elements inside the root.
    std::uint64_t depth_ = 0;
};
