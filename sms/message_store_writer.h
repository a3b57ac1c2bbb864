#pragma once
// Putting the ticked part of a tree back into the message store: folders are matched by name
// and created only when missing, messages are always created anew.

#include "core/operation_summary.h"
#include "platform/message_store.h"
#include "platform/progress_bar.h"
#include "sms/sms_tree.h"

inline constexpr char16_t kSmsMessageClass[] = u"IPM.SMStext";

// 0, or -2 at the first failure; what was created before it stays. The root stands for the
// store's top folder. The bar gets a range of 1000, one step per node reached and ends at 1000.
// With skipExisting, a message whose folder held an equal one before the restore began (see
// existing_messages.h) is not created; each folder is read once, when its first message comes.
int WriteSmsStoreTree(const SmsTree& tree, ProgressBar* bar, SmsRestoreCounts* counts = nullptr,
                      bool skipExisting = false);

// Creates one message with its properties and, without a sender address, its first recipient.
int WriteSmsStoreMessage(IMAPIFolder& parent, const SmsMessageData& data);
