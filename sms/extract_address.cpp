#include "sms/extract_address.h"

#include "platform/text.h"
#include "sms/sms_tree.h"

std::u16string ExtractAddress(std::u16string_view text) {
    text = LimitedText(text, kSmsAddressMax);
    std::size_t open = text.rfind(u'<');
    std::size_t close = text.rfind(u'>');
    // A ">" before the last "<" encloses nothing; the text is then taken as the address.
    if (open == std::u16string_view::npos || close == std::u16string_view::npos || close < open)
        return std::u16string(text);
    return std::u16string(text.substr(open + 1, close - open - 1));
}
