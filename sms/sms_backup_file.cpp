#include "sms/sms_operations.h"

ResultCode LoadSmsBackupFile(SmsTree* tree, std::u16string_view path, ProgressBar* bar,
                             SmsXmlCounts* xmlCounts) {
    if (!path.empty() && FileLooksLikeSmsXml(path))
        return LoadSmsXmlFile(tree, path, bar, xmlCounts);
    return LoadSmsDataFile(tree, path, bar);
}
