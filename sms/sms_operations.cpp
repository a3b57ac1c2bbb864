#include "sms/sms_operations.h"

#include "sms/export_order.h"

ResultCode ExportSmsText(SmsTree* tree, std::u16string_view path, ProgressBar* bar) {
    if (tree == nullptr || path.empty()) return kSmsExportFailed;
    ExportOrder order = CurrentExportOrder();
    return ExportSmsText(tree, path, bar, static_cast<int>(order.sortBy),
                         static_cast<int>(order.sequence));
}

ResultCode ExportSmsCsv(SmsTree* tree, std::u16string_view path, ProgressBar* bar) {
    if (tree == nullptr || path.empty()) return kSmsExportFailed;
    ExportOrder order = CurrentExportOrder();
    return ExportSmsCsv(tree, path, bar, static_cast<int>(order.sortBy),
                        static_cast<int>(order.sequence));
}
