#include "cli_commands.h"

#include <unistd.h>

#include <cstdio>
#include <memory>

#include "console_progress.h"
#include "contacts/contact_files.h"
#include "contacts/contact_list.h"
#include "core/result_code.h"
#include "platform/text.h"
#include "sms/sms_csv_export.h"
#include "sms/sms_data_file.h"
#include "sms/sms_folder_export.h"
#include "sms/sms_text_export.h"

namespace {

// The codes the phone program gives these failures, so the message is the one a user knows.
constexpr ResultCode kContactReadFailed = 103;
constexpr ResultCode kContactWriteFailed = 7;

int Report(ResultCode code) {
    if (code == 0) return kExitSuccess;
    std::string text = Utf16ToUtf8(ResultMessage(code)) + "\n";
    std::fputs(text.c_str(), stderr);
    return kExitFailure;
}

// A bar only where someone watches it.
std::unique_ptr<ConsoleProgressBar> TerminalProgress() {
    if (isatty(fileno(stderr)) == 0) return nullptr;
    return std::make_unique<ConsoleProgressBar>(stderr);
}

}  // namespace

int ConvertContacts(const std::string& in, const std::string& out) {
    ContactList list;
    InitContactList(list);
    if (ReadContactFile(list, Utf8ToUtf16(in)) < 0) return Report(kContactReadFailed);
    int written = WriteContactFile(list, Utf8ToUtf16(out));
    ClearContactList(list);
    return Report(written < 0 ? kContactWriteFailed : 0);
}

int ConvertSms(const std::string& in, const std::string& out, const SmsOrderChoice& order) {
    SmsTree tree;
    auto bar = TerminalProgress();
    ResultCode code = LoadSmsDataFile(&tree, Utf8ToUtf16(in), bar.get());
    if (code != 0) return Report(code);
    std::u16string path = Utf8ToUtf16(out);
    std::u16string_view extension =
        path.size() >= 4 ? std::u16string_view(path).substr(path.size() - 4) : u"";
    int sortBy = order.sortGiven ? order.sortBy : 1;
    int sequence = order.sequenceGiven ? order.sequence : 1;
    if (extension == u".dat") {
        code = ExportSmsDataFile(&tree, path, bar.get());
    } else if (extension == u".txt") {
        code = ExportSmsText(&tree, path, bar.get(), sortBy, sequence);
    } else if (extension == u".csv") {
        code = ExportSmsCsv(&tree, path, bar.get(), sortBy, sequence);
    } else {
        code = ExportSmsFolders(&tree, path, bar.get());
    }
    return Report(code);
}
