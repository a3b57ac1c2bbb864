#pragma once
// Naming one node of the SMS tree on a command line: "Inbox", "Inbox/Work", or "Inbox#3" for the
// third message of Inbox in stored order.

#include <string>

struct SmsNode;
struct SmsTree;

// The node the path names, or null.
SmsNode* FindSmsNodeByPath(SmsTree& tree, const std::string& path);
