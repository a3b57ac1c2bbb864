#pragma once
// What each velloro-cli command does, apart from parsing its words. Each returns the process's
// exit status: 0 success, 1 a failed operation (its message is on standard error).

#include <string>
#include <vector>

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// 0 keeps the order the phone's registry gives.
struct SmsOrderChoice {
    int sortBy = 0;
    int sequence = 0;
    bool sortGiven = false;
    bool sequenceGiven = false;
};

int ConvertContacts(const std::string& in, const std::string& out);
int ConvertSms(const std::string& in, const std::string& out, const SmsOrderChoice& order);
