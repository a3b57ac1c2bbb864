#include "sms/xml_content_scanner.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::string_view kCommentOpen = "<!--";
constexpr std::string_view kCDataOpen = "<![CDATA[";

enum class Prefix { Yes, No, NeedMore };

Prefix StartsWith(std::string_view text, std::string_view prefix) {
    if (text.size() >= prefix.size()) return text.starts_with(prefix) ? Prefix::Yes : Prefix::No;
    return prefix.starts_with(text) ? Prefix::NeedMore : Prefix::No;
}

std::size_t Find(std::string_view text, char c, std::size_t from) {
    const void* found = std::memchr(text.data() + from, c, text.size() - from);
    return found == nullptr ? text.size() : static_cast<const char*>(found) - text.data();
}

}  // namespace

XmlContentScanner::Event XmlContentScanner::Next(std::string_view text, std::size_t& at) {
    while (state_ != State::Done && pos_ < text.size()) {
        bool needMore = false;
        Event event = Event::NeedMore;
        switch (state_) {
            case State::Text:
                tokenStart_ = Find(text, '<', pos_);
                pos_ = std::min(tokenStart_ + 1, text.size());
                if (tokenStart_ < text.size()) state_ = State::Markup;
                break;
            case State::Markup:
                event = Markup(text, at, needMore);
                break;
            case State::StartTag:
                event = TagEnd(text, at, needMore);
                break;
            case State::Quoted:
                pos_ = Find(text, quote_, pos_);
                if (pos_ < text.size()) {
                    ++pos_;
                    state_ = State::StartTag;
                }
                break;
            case State::EndTag:
            case State::OtherDeclaration:
                pos_ = Find(text, '>', pos_);
                if (pos_ < text.size()) {
                    ++pos_;
                    if (state_ == State::EndTag) --depth_;
                    state_ = State::Text;
                }
                break;
            case State::Comment:
                needMore = !SkipPast(text, "-->", pos_);
                if (!needMore) state_ = State::Text;
                break;
            case State::CData:
                needMore = !SkipPast(text, "]]>", pos_);
                if (!needMore) state_ = State::Text;
                break;
            case State::Instruction:
                needMore = !SkipPast(text, "?>", pos_);
                if (!needMore) state_ = State::Text;
                break;
            case State::Done:
                break;
        }
        if (needMore) return Event::NeedMore;
        if (event != Event::NeedMore) return event;
    }
    return Event::NeedMore;
}

void XmlContentScanner::Drop(std::size_t n) {
    pos_ -= n;
    tokenStart_ = tokenStart_ >= n ? tokenStart_ - n : 0;
}

// Tells what the '<' at tokenStart_ opens.
XmlContentScanner::Event XmlContentScanner::Markup(std::string_view text, std::size_t& at,
                                                   bool& needMore) {
    std::string_view token = text.substr(tokenStart_);
    switch (token[1]) {
        case '/':
            if (!inRoot_) {
                state_ = State::Done;
                return Event::Unsupported;
            }
            if (depth_ == 0) {
                state_ = State::Done;
                at = tokenStart_;
                return Event::RootEnded;
            }
            state_ = State::EndTag;
            pos_ = tokenStart_ + 2;
            return Event::NeedMore;
        case '?':
            state_ = State::Instruction;
            pos_ = tokenStart_ + 2;
            return Event::NeedMore;
        case '!': {
            Prefix comment = StartsWith(token, kCommentOpen);
            Prefix cdata = StartsWith(token, kCDataOpen);
            if (comment == Prefix::NeedMore || cdata == Prefix::NeedMore) {
                needMore = true;
            } else if (comment == Prefix::Yes) {
                state_ = State::Comment;
                pos_ = tokenStart_ + kCommentOpen.size();
            } else if (cdata == Prefix::Yes) {
                state_ = State::CData;
                pos_ = tokenStart_ + kCDataOpen.size();
            } else if (!inRoot_) {
                // A document type declaration: its internal subset is a grammar of its own.
                state_ = State::Done;
                return Event::Unsupported;
            } else {
                state_ = State::OtherDeclaration;
                pos_ = tokenStart_ + 2;
            }
            return Event::NeedMore;
        }
        default:
            state_ = State::StartTag;
            pos_ = tokenStart_ + 1;
            if (inRoot_ && depth_ == 0) {
                at = tokenStart_;
                return Event::ChildStarted;
            }
            return Event::NeedMore;
    }
}

// Scans a start tag up to its '>' or the next quoted value.
XmlContentScanner::Event XmlContentScanner::TagEnd(std::string_view text, std::size_t& at,
                                                   bool& needMore) {
    for (std::size_t i = pos_; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"' || c == '\'') {
            quote_ = c;
            state_ = State::Quoted;
            pos_ = i + 1;
            return Event::NeedMore;
        }
        if (c != '>') continue;
        pos_ = i + 1;
        state_ = State::Text;
        bool empty = text[i - 1] == '/';
        if (inRoot_) {
            if (!empty) ++depth_;
            return Event::NeedMore;
        }
        if (empty) {
            state_ = State::Done;
            return Event::Unsupported;
        }
        inRoot_ = true;
        at = pos_;
        return Event::RootStarted;
    }
    pos_ = text.size();
    needMore = true;
    return Event::NeedMore;
}

// Moves pos_ past the next terminator that begins at or after from, or as near the end as a
// terminator cut by it may begin.
bool XmlContentScanner::SkipPast(std::string_view text, std::string_view terminator,
                                 std::size_t from) {
    std::size_t found = text.find(terminator, from);
    if (found == std::string_view::npos) {
        pos_ = std::max(from, text.size() - std::min(text.size(), terminator.size() - 1));
        return false;
    }
    pos_ = found + terminator.size();
    return true;
}
