#include <bitset>

#include "contacts/contact_files.h"
#include "contacts/section_file.h"
#include "platform/text.h"

namespace {

constexpr std::u16string_view kNoText = u"";

std::u16string_view ValueOf(const Section& section, std::u16string_view key) {
    const SectionEntry* entry = FindEntry(section, key);
    return entry != nullptr ? entry->value : kNoText;
}

// Each field takes the value of the first entry whose key is its name, letter case ignored.
PhoneContactTexts PhoneTextsOf(const Section& section) {
    PhoneContactTexts texts;
    texts.fill(kNoText);
    std::bitset<kContactFieldCount> found;
    for (const SectionEntry& entry : section.entries) {
        int field = ContactFieldIndex(entry.key);
        if (field < 0 || found[field]) continue;
        found[field] = true;
        texts[field] = entry.value;
    }
    return texts;
}

// A record that cannot be added for want of memory is left out; the rest are still read.
void AddContact(ContactList& list, const Section& section) {
    const SectionEntry* type = FindEntry(section, u"ContactType");
    if (type == nullptr) return;
    if (EqualsIgnoreCase(type->value, u"SIMContact")) {
        AddSimContact(list, ValueOf(section, u"Name"), ValueOf(section, u"PhoneNumber"));
    } else if (EqualsIgnoreCase(type->value, u"PhoneContact")) {
        AddPhoneContact(list, PhoneTextsOf(section));
    }
}

}  // namespace

std::int32_t ReadContactFile(ContactList& list, std::u16string_view path) {
    if (path.data() == nullptr) return kContactFileFailed;
    SectionList sections;
    if (LoadSectionFile(sections, path) < 0) return kContactFileUnusable;
    for (const Section& section : sections.sections)
        AddContact(list, section);
    return kContactFileDone;
}
