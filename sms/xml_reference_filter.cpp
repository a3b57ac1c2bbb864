#include "sms/xml_reference_filter.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

// A decimal reference to U+10FFFF has 7 digits; beyond this many, it is no reference of ours.
constexpr std::size_t kMaxDigits = 10;

enum class Parse { Reference, NotReference, NeedMore };

// Parses "&#123;" or "&#x7B;" at text[at] == '&'.
Parse ParseReference(std::string_view text, std::size_t at, std::uint64_t& value,
                     std::size_t& length) {
    std::size_t i = at + 1;
    if (i >= text.size()) return Parse::NeedMore;
    if (text[i] != '#') return Parse::NotReference;
    ++i;
    if (i >= text.size()) return Parse::NeedMore;
    bool hex = text[i] == 'x';
    if (hex) ++i;
    std::size_t digits = 0;
    value = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        int d = c >= '0' && c <= '9'          ? c - '0'
                : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                              : -1;
        if (d < 0) break;
        if (++digits > kMaxDigits) return Parse::NotReference;
        value = value * (hex ? 16 : 10) + static_cast<std::uint64_t>(d);
    }
    if (i >= text.size()) return Parse::NeedMore;
    if (text[i] != ';' || digits == 0) return Parse::NotReference;
    length = i + 1 - at;
    return Parse::Reference;
}

bool IsXmlChar(std::uint64_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

void AppendHexReference(std::string& out, std::uint64_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "&#x%llX;", static_cast<unsigned long long>(value));
    out += text;
}

}  // namespace

void XmlReferenceFilter::Filter(std::string_view block, std::string& out, bool final) {
    std::string joined;
    std::string_view text = block;
    if (!pending_.empty()) {
        joined = pending_ + std::string(block);
        pending_.clear();
        text = joined;
    }
    std::size_t at = 0;
    while (at < text.size()) {
        // Named references (&amp; and the like) pass with the text around them in one append;
        // only "&#", or an "&" that ends the block, needs a closer look.
        std::size_t amp = at;
        while (true) {
            const void* found = std::memchr(text.data() + amp, '&', text.size() - amp);
            amp = found == nullptr ? text.size() : static_cast<const char*>(found) - text.data();
            if (amp + 1 >= text.size() || text[amp + 1] == '#') break;
            ++amp;
        }
        out.append(text.substr(at, amp - at));
        if (amp == text.size()) return;
        std::uint64_t value = 0;
        std::size_t length = 0;
        Parse first = ParseReference(text, amp, value, length);
        if (first == Parse::NeedMore && !final) {
            pending_.assign(text.substr(amp));
            return;
        }
        if (first != Parse::Reference || IsXmlChar(value)) {
            std::size_t keep = first == Parse::Reference ? length : 1;
            out.append(text.substr(amp, keep));
            at = amp + keep;
            continue;
        }
        at = amp + length;
        if (value >= 0xD800 && value <= 0xDBFF) {
            std::uint64_t low = 0;
            std::size_t lowLength = 0;
            Parse second = at < text.size() && text[at] == '&'
                               ? ParseReference(text, at, low, lowLength)
                               : (at >= text.size() ? Parse::NeedMore : Parse::NotReference);
            if (second == Parse::NeedMore && !final) {
                pending_.assign(text.substr(amp));
                return;
            }
            if (second == Parse::Reference && low >= 0xDC00 && low <= 0xDFFF) {
                AppendHexReference(out, 0x10000 + ((value - 0xD800) << 10) + (low - 0xDC00));
                at += lowLength;
                continue;
            }
        }
        AppendHexReference(out, 0xFFFD);
    }
}
