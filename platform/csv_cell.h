#pragma once
// The one quoted cell of the CSV exports: a quotation mark and "[", the text with every
// quotation mark doubled, then "]" and a quotation mark. Commas, tabs and line breaks stay as
// they are inside the quotes; the whole text is kept, however long.

#include <string>
#include <string_view>

void AppendCsvCell(std::u16string& out, std::u16string_view text);
