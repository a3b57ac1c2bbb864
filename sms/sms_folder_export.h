#pragma once
// The folder-and-file export: the ticked folders become folders under the chosen one and every
// ticked message a small text file named after its sender's or first recipient's address.

#include <string>
#include <string_view>
#include <unordered_map>

#include "core/operation_summary.h"
#include "core/result_code.h"
#include "platform/progress_bar.h"
#include "sms/sms_tree.h"

// Composed paths are held to the phone's path buffer.
constexpr std::size_t kSmsExportPathMax = 256;

// 0, or 403 when the tree or path is absent, or when any folder or file could not be created or
// written (everything else is still written). counts, when given, gets the folders made and the
// message files written, also after a failure.
ResultCode ExportSmsFolders(SmsTree* tree, std::u16string_view path, ProgressBar* bar,
                            SmsBackupCounts* counts = nullptr);
int WriteSmsFolderTree(SmsTree& tree, std::u16string_view path, ProgressBar* bar,
                       SmsBackupCounts* counts = nullptr);

// The next number to try per base path, so that many messages of one sender do not probe the
// same names again; numbers only grow while an export runs.
using MessageFileNumbers = std::unordered_map<std::u16string, int>;

// 0, or -2 when any folder or file below the node failed; the rest is written regardless.
// freshParent says the parent folder was made by this export, so nothing in it can be
// overwritten and its files are written in place instead of through a temporary file.
int WriteSmsFolderNode(SmsNode& node, std::u16string_view parentPath, ProgressBar* bar,
                       MessageFileNumbers& numbers, bool freshParent = false,
                       SmsBackupCounts* counts = nullptr);

// The first "<base>_<n>.txt", n = firstNumber, firstNumber + 1, ..., naming nothing that exists;
// false when that name would be longer than kSmsExportPathMax. chosenNumber receives n.
bool UniqueMessageFileName(std::u16string_view basePath, std::u16string& fileName,
                           int firstNumber = 1, int* chosenNumber = nullptr);

// A name from the data with the characters a file name cannot hold ("/" and NUL) made "_".
std::u16string SafeNameCharacters(std::u16string_view name);
// A name from the data as a whole path component (a folder): SafeNameCharacters, and the names
// "", "." and ".." made as many "_" so that nothing lands outside the chosen folder. A message's
// file name never needs this: "_<n>.txt" follows the address.
std::u16string SafePathComponent(std::u16string_view name);
