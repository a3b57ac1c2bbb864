#include "platform/text.h"

#include <iconv.h>

#include <algorithm>
#include <cwctype>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendCodePoint(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

// Length of the sequence a lead byte starts, or 0 for a byte that cannot lead.
int Utf8SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// Windows-1252 through iconv, with the five undefined bytes handled by hand.
class AnsiConverter {
  public:
    AnsiConverter() : cd_(iconv_open("UTF-16LE", "WINDOWS-1252")) {}
    ~AnsiConverter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
    }
    AnsiConverter(const AnsiConverter&) = delete;
    AnsiConverter& operator=(const AnsiConverter&) = delete;

    void Convert(std::string_view bytes, std::u16string& out) {
        std::size_t start = 0;
        for (std::size_t i = 0; i <= bytes.size(); ++i) {
            bool end = i == bytes.size();
            if (!end && !IsUndefined(static_cast<unsigned char>(bytes[i]))) continue;
            ConvertRun(bytes.substr(start, i - start), out);
            if (!end) out.push_back(static_cast<unsigned char>(bytes[i]));
            start = i + 1;
        }
    }

  private:
    static bool IsUndefined(unsigned char b) {
        return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
    }

    void ConvertRun(std::string_view run, std::u16string& out) {
        if (run.empty()) return;
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            for (unsigned char b : run)
                out.push_back(b);  // Latin-1 as a last resort
            return;
        }
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string buffer(run.size() * 2, '\0');
        char* in = const_cast<char*>(run.data());
        std::size_t inLeft = run.size();
        char* outPtr = buffer.data();
        std::size_t outLeft = buffer.size();
        iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
        std::size_t produced = buffer.size() - outLeft;
        for (std::size_t i = 0; i + 1 < produced; i += 2) {
            out.push_back(static_cast<char16_t>(static_cast<unsigned char>(buffer[i]) |
                                                static_cast<unsigned char>(buffer[i + 1]) << 8));
        }
    }

    iconv_t cd_;
};

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        auto lead = static_cast<unsigned char>(text[i]);
        int length = Utf8SequenceLength(lead);
        if (length == 1) {
            out.push_back(lead);
            ++i;
            continue;
        }
        bool valid = length > 0 && i + length <= text.size();
        char32_t cp = valid ? lead & (0x7F >> length) : 0;
        for (int k = 1; valid && k < length; ++k) {
            auto b = static_cast<unsigned char>(text[i + k]);
            if ((b & 0xC0) != 0x80) valid = false;
            cp = cp << 6 | (b & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not text.
        if (valid && ((length == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
                      (length == 4 && (cp < 0x10000 || cp > 0x10FFFF)))) {
            valid = false;
        }
        if (valid) {
            AppendCodePoint(out, cp);
            i += length;
        } else {
            out.push_back(static_cast<char16_t>(kReplacement));
            ++i;
        }
    }
    return out;
}

void AppendUtf8(std::string& out, std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        // ASCII, most of any text, is narrowed a run at a time rather than pushed unit by unit.
        std::size_t run = i;
        while (run < text.size() && text[run] < 0x80)
            ++run;
        while (i < run) {
            char narrow[256];
            std::size_t n = std::min(run - i, sizeof narrow);
            for (std::size_t k = 0; k < n; ++k)
                narrow[k] = static_cast<char>(text[i + k]);
            out.append(narrow, n);
            i += n;
        }
        if (i == text.size()) return;
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = kReplacement;
        }
        if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | cp >> 6));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | cp >> 12));
            out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | cp >> 18));
            out.push_back(static_cast<char>(0x80 | (cp >> 12 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
        }
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    AppendUtf8(out, text);
    return out;
}

void AppendUtf16Le(std::string& out, std::u16string_view text) {
    std::size_t at = out.size();
    out.resize(at + 2 * text.size());
    char* p = out.data() + at;
    for (char16_t c : text) {
        *p++ = static_cast<char>(c & 0xFF);
        *p++ = static_cast<char>(c >> 8);
    }
}

std::u16string AnsiToUtf16(std::string_view bytes) {
    thread_local AnsiConverter converter;
    std::u16string out;
    out.reserve(bytes.size());
    converter.Convert(bytes, out);
    return out;
}

char16_t ToLowerChar(char16_t c) {
    if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
    if (c >= 0xD800 && c <= 0xDFFF) return c;
    auto lower = std::towlower(static_cast<wint_t>(c));
    return lower < 0x10000 ? static_cast<char16_t>(lower) : c;
}

bool EqualsIgnoreCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && ToLowerChar(a[i]) != ToLowerChar(b[i])) return false;
    }
    return true;
}

std::u16string_view CutToUnits(std::u16string_view text, std::size_t maxUnits) {
    if (text.size() <= maxUnits) return text;
    text = text.substr(0, maxUnits);
    if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) text.remove_suffix(1);
    return text;
}

std::u16string_view LimitedText(std::u16string_view text, std::size_t maxChars) {
    std::size_t nul = text.find(u'\0');
    if (nul != std::u16string_view::npos) text = text.substr(0, nul);
    return CutToUnits(text, maxChars);
}

std::u16string DecimalText(std::int64_t value) {
    std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}
