#pragma once
// Direct edits of a phone file, as the phone's own tool and its demo content make them. Each
// edit is one transaction: on failure nothing of it stays, and error says why.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/contact_properties.h"
#include "platform/file_time.h"

class PhoneDb;

struct SimSetup {
    int slots = 250;
    int nameMax = 14;
    int numberMax = 40;
};

// Builds a phone in a temporary file beside path and moves it into place only when complete.
// An existing file is replaced only when replace is set.
bool CreatePhoneFile(const std::string& path, const SimSetup& sim, bool demo, bool replace,
                     std::string& error);
bool FillDemoPhone(PhoneDb& db, std::string& error);

// slot 0 takes the first free slot.
bool AddSimEntry(PhoneDb& db, int slot, std::u16string_view name, std::u16string_view number,
                 std::string& error);

using ContactFields = std::array<std::optional<std::u16string>, kContactFieldCount>;
bool AddContact(PhoneDb& db, const ContactFields& fields, std::string& error);

std::optional<std::int64_t> AddStore(PhoneDb& db, std::u16string_view name, std::string& error);
// The top folder of the first store the program takes for the SMS store; a store named "SMS" is
// made when there is none.
std::optional<std::int64_t> SmsTopFolder(PhoneDb& db, std::string& error);
// Opens or creates each level of path ("Inbox/2024") below parent.
std::optional<std::int64_t> AddFolderPath(PhoneDb& db, std::int64_t parent,
                                          const std::vector<std::u16string>& path,
                                          std::string& error);

struct MessageRecipientSpec {
    std::u16string name;
    std::u16string address;
};
struct PhoneMessageSpec {
    std::u16string subject;
    std::optional<std::u16string> body;
    bool bodyStreamOnly = false;
    std::optional<std::u16string> senderAddress;
    std::optional<std::u16string> senderName;
    std::vector<MessageRecipientSpec> to;
    std::optional<FILETIME> delivered;
    std::optional<FILETIME> modified;
    std::optional<std::uint32_t> size;
    std::optional<std::uint32_t> flags;
};
// An SMS as the phone keeps one: class "IPM.SMStext", status MSGSTATUS_RECTYPE_SMS, and only
// the other properties the caller gives.
bool AddMessage(PhoneDb& db, std::int64_t folderId, const PhoneMessageSpec& message,
                std::string& error);

// key is written with its leading backslash; parents are created with it.
bool SetRegistryDword(PhoneDb& db, std::u16string_view key, std::u16string_view name,
                      std::uint32_t value, std::string& error);
// Without a name the key goes, with its values and subkeys.
bool DeleteRegistryEntry(PhoneDb& db, std::u16string_view key,
                         const std::optional<std::u16string>& name, std::string& error);
