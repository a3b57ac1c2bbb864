#pragma once
// What each velloro-cli command does, apart from parsing its words. Each returns the process's
// exit status.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/phone/phone_check.h"

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;  // a failed operation; its message is on standard error
constexpr int kExitUsage = 2;

// An order the user named; a part left unnamed comes from the phone's registry.
struct SmsOrderChoice {
    int sortBy = 0;
    int sequence = 0;
    bool sortGiven = false;
    bool sequenceGiven = false;
};

// What every command that runs a job prints: its result line, then (unless quiet) one line of
// counts and, for a restore whose file held nothing, a warning.
struct ReportChoice {
    bool quiet = false;
};

int ConvertContacts(const std::string& in, const std::string& out);
// False, with one line naming the phone file and the reason, when the phone cannot be used so.
bool PhoneReady(PhoneUse use);

// True when convert-sms takes part of the order from the phone: a text or CSV export whose
// order the command line did not name in full.
bool ConvertSmsReadsOrder(const std::string& out, const SmsOrderChoice& order);
int ConvertSms(const std::string& in, const std::string& out, const SmsOrderChoice& order);

int BackupContacts(std::int32_t contactType, const std::string& file, const ReportChoice& report);
int RestoreContacts(std::int32_t contactType, const std::string& file, const ReportChoice& report);
int CopySim(const ReportChoice& report);
int BackupSms(const std::vector<std::string>& untick, const std::string& file,
              const ReportChoice& report);
// skipExisting: messages their folder already holds are not created again.
int RestoreSms(const std::vector<std::string>& untick, const std::string& file, bool skipExisting,
               const ReportChoice& report);
int ShowOrder();
int StoreOrder(const SmsOrderChoice& order);
