#include <algorithm>

#include "dialog_math/dialog_math.h"
#include "platform/text.h"

namespace {

// The buffers hold kWrapBufferChars characters; what would overflow them is cut, and a break
// left dangling at the cut is dropped so that no empty line is counted.
void CutToBuffer(std::u16string& wrapped) {
    if (wrapped.size() <= kWrapBufferChars) return;
    wrapped.resize(kWrapBufferChars);
    if (wrapped.back() == u'\n') wrapped.pop_back();
}

int CountLines(std::u16string_view wrapped) {
    return 1 + static_cast<int>(std::count(wrapped.begin(), wrapped.end(), u'\n'));
}

}  // namespace

int WrapTextToWidth(std::u16string& text, const DialogRect& rect, const TextWidthFunction& width,
                    int* lineCount) {
    if (!width || !width(u"")) return -1;
    // nullopt: cannot be measured.
    auto fits = [&](std::u16string_view line) -> std::optional<bool> {
        std::optional<int> measured = width(line);
        if (!measured) return std::nullopt;
        return rect.left + *measured < rect.right;
    };

    const std::u16string_view source = LimitedText(text, kWrapBufferChars);
    std::u16string result;
    std::u16string line;
    std::size_t i = 0;
    while (i < source.size()) {
        std::optional<bool> lineFits = fits(line);
        if (!lineFits) return -1;
        if (*lineFits) {
            line.push_back(source[i++]);
        } else if (line.size() <= 1) {
            // Not even one character fits: it stays alone on its line, or the walk would never
            // advance.
            if (!line.empty()) {
                result += line;
                result += u'\n';
                line.clear();
            }
            line.push_back(source[i++]);
        } else {
            result.append(line, 0, line.size() - 1);
            result += u'\n';
            line.erase(0, line.size() - 1);
        }
    }
    // The last character was appended unmeasured; it may be the one that overflows.
    if (line.size() > 1) {
        std::optional<bool> lineFits = fits(line);
        if (!lineFits) return -1;
        if (!*lineFits) {
            result.append(line, 0, line.size() - 1);
            result += u'\n';
            line.erase(0, line.size() - 1);
        }
    }
    result += line;
    CutToBuffer(result);
    if (lineCount) *lineCount = CountLines(result);
    text = std::move(result);
    return 0;
}

int WrapTextByAverageWidth(std::u16string& text, const DialogRect& rect, int aveCharWidth,
                           int& lineCount) {
    lineCount = 1;
    if (aveCharWidth <= 0) return -1;
    const std::size_t perLine = static_cast<std::size_t>(std::max(1, rect.Width() / aveCharWidth));
    const std::u16string_view source = LimitedText(text, kWrapBufferChars);
    if (source.size() <= perLine) return 0;

    std::u16string result;
    result.reserve(source.size() + source.size() / perLine);
    for (std::size_t start = 0; start < source.size(); start += perLine) {
        if (start > 0) result += u'\n';
        result += source.substr(start, perLine);
    }
    CutToBuffer(result);
    lineCount = CountLines(result);
    text = std::move(result);
    return 0;
}

int WrapOptionsExplanation(std::u16string& text, int clientWidth, int aveCharWidth,
                           const TextWidthFunction& width) {
    DialogRect rect{aveCharWidth, 0, clientWidth - aveCharWidth, 0};
    int lines = 1;
    if (WrapTextToWidth(text, rect, width, &lines) == 0) return lines;
    rect.right -= 10 * aveCharWidth;
    WrapTextByAverageWidth(text, rect, aveCharWidth, lines);
    return lines;
}
