#pragma once
// The order in which the text and CSV exports write each folder's messages, kept only in the
// phone's registry and read afresh by every export run.

#include <cstdint>

inline constexpr char16_t kVelloroRegistryKey[] = u"\\SOFTWARE\\Quorvane\\Velloro";
inline constexpr char16_t kSortValueName[] = u"Sort";
inline constexpr char16_t kSequenceValueName[] = u"Sequence";

// sortBy: 1 by date and time, anything else by sender or recipient name. sequence: 1 ascending,
// 2 descending, anything else keeps the stored order.
struct ExportOrder {
    std::uint32_t sortBy = 1;
    std::uint32_t sequence = 1;
};

// The caller presets both outputs; an output is written only when its value was read.
// 0 both read, -1 no key, -2 "Sort" unreadable (nothing written), -3 "Sequence" unreadable
// (sortBy written).
int ReadExportOrder(std::uint32_t& sortBy, std::uint32_t& sequence);
// 0 written and flushed, -1 the key cannot be created or opened, -2 / -3 "Sort" / "Sequence"
// cannot be set, -4 the phone did not commit them.
int WriteExportOrder(std::uint32_t sortBy, std::uint32_t sequence);

// What an export uses: the stored order, with the defaults wherever it cannot be read.
ExportOrder CurrentExportOrder();
