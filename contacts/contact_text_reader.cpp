#include <bitset>

#include "contacts/contact_files.h"
#include "contacts/section_file.h"
#include "platform/text.h"

namespace {

constexpr std::u16string_view kNoText = u"";

enum class ContactKind { None, Sim, Phone };

ContactKind KindOf(const Section& section) {
    const SectionEntry* type = FindEntry(section, u"ContactType");
    if (type == nullptr) return ContactKind::None;
    if (EqualsIgnoreCase(type->value, u"SIMContact")) return ContactKind::Sim;
    if (EqualsIgnoreCase(type->value, u"PhoneContact")) return ContactKind::Phone;
    return ContactKind::None;
}

std::u16string_view ValueOf(const Section& section, std::u16string_view key) {
    const SectionEntry* entry = FindEntry(section, key);
    return entry != nullptr ? entry->value : kNoText;
}

// The field a key names, or -1. Backups list the fields in field order, so the field after the
// previous one is tried first.
int FieldOf(std::u16string_view key, std::size_t likely) {
    if (likely < kContactFieldCount && EqualsIgnoreCase(key, kContactProperties[likely].field)) {
        return static_cast<int>(likely);
    }
    return ContactFieldIndex(key);
}

// Each field takes the value of the first entry whose key is its name, letter case ignored.
PhoneContactTexts PhoneTextsOf(const Section& section) {
    PhoneContactTexts texts;
    texts.fill(kNoText);
    std::bitset<kContactFieldCount> found;
    std::size_t likely = 0;
    for (const SectionEntry& entry : section.entries) {
        int field = FieldOf(entry.key, likely);
        if (field < 0) continue;
        likely = field + 1;
        if (found[field]) continue;
        found[field] = true;
        texts[field] = entry.value;
    }
    return texts;
}

}  // namespace

std::int32_t ReadContactFile(ContactList& list, std::u16string_view path) {
    if (path.data() == nullptr) return kContactFileFailed;
    // Each record is built as its section ends, so the file's text is never held whole. A record
    // that cannot be added for want of memory is left out; the rest are still read.
    std::int32_t code = VisitSectionFile(path, [&list](const Section& section) {
        switch (KindOf(section)) {
            case ContactKind::Sim:
                AddSimContact(list, ValueOf(section, u"Name"), ValueOf(section, u"PhoneNumber"));
                break;
            case ContactKind::Phone:
                ReservePhoneContactsAhead(list, section.shareRead);
                AddPhoneContact(list, PhoneTextsOf(section));
                break;
            case ContactKind::None:
                break;
        }
    });
    return code < 0 ? kContactFileUnusable : kContactFileDone;
}
