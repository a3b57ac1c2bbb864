#pragma once
// Counting a tree for the summaries: what a backup writes and leaves out, what a read or load
// brought in. The counts follow the writers' own rules for which nodes they reach.

#include "core/operation_summary.h"
#include "sms/sms_tree.h"

// Which folders a backup writes: every ticked one (data file, folder tree), or only those that
// get a banner because they hold messages (text and CSV, the root included).
enum class SmsBackupFolders { Ticked, WithMessages };

// rootTickCounts: false for the folder tree, which writes the root's children whatever the
// root's tick. Messages count only with their data, except in the data file, which writes a
// record for every ticked node.
SmsBackupCounts CountSmsBackup(const SmsNode& root, SmsBackupFolders folders, bool rootTickCounts,
                               bool messagesWithoutData);

// Folders below the root and messages anywhere in the tree.
SmsLoadCounts CountSmsTree(const SmsNode& root);
