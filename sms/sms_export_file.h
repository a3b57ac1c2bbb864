#pragma once
// The frame the text and CSV exports share: a bar ranged 0 to 1000, a file that replaces the
// target only when complete, UTF-8 text, and the operation's single failure code.

#include <new>
#include <string_view>

#include "core/result_code.h"
#include "platform/files.h"
#include "platform/progress_bar.h"
#include "sms/sms_tree.h"
#include "sms/utf8_text_sink.h"

constexpr int kSmsExportProgressRange = 1000;

// 0, or -2 when the path cannot be written, the tree has no root or a write fails.
template <typename WriteRoot>
int WriteSmsExportFile(SmsTree& tree, std::u16string_view path, ProgressBar* bar,
                       WriteRoot&& writeRoot) {
    BeginProgress(bar, kSmsExportProgressRange);
    ReplacingFile file;
    int result = -2;
    if (file.Open(path) && tree.root) {
        Utf8TextSink out(file.stream());
        writeRoot(*tree.root, out);
        if (out.Flush() && file.Commit()) result = 0;
    }
    EndProgress(bar, kSmsExportProgressRange);
    return result;
}

// 0 or 403; running out of memory is a failed export, not a crash.
template <typename Write>
ResultCode RunSmsExport(SmsTree* tree, std::u16string_view path, Write&& write) {
    if (tree == nullptr || path.empty()) return kSmsExportFailed;
    try {
        return write(*tree) == 0 ? kResultSuccess : kSmsExportFailed;
    } catch (const std::bad_alloc&) {
        return kSmsExportFailed;
    }
}
