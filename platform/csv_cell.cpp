#include "platform/csv_cell.h"

void AppendCsvCell(std::u16string& out, std::u16string_view text) {
    out.append(u"\"[");
    for (std::size_t quote; (quote = text.find(u'"')) != std::u16string_view::npos;) {
        out.append(text.substr(0, quote + 1));
        out.push_back(u'"');
        text.remove_prefix(quote + 1);
    }
    out.append(text);
    out.append(u"]\"");
}
