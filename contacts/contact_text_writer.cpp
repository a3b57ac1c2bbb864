#include <algorithm>
#include <string>

#include "contacts/contact_files.h"
#include "contacts/vcard.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/text_writer.h"

namespace {

constexpr std::size_t FieldPosition(std::u16string_view field) {
    for (std::size_t i = 0; i < kContactFieldCount; ++i) {
        if (kContactProperties[i].field == field) return i;
    }
    return kContactFieldCount;
}

// The backup has always written these three keys without a blank before "="; readers trim keys,
// so both forms read the same, but the bytes of a backup are part of the format.
constexpr std::array<std::size_t, 3> kFieldsWithoutBlank = {FieldPosition(u"Department"),
                                                            FieldPosition(u"JobTitle"),
                                                            FieldPosition(u"WorkTelephoneNumber")};
static_assert(std::ranges::none_of(kFieldsWithoutBlank,
                                   [](std::size_t i) { return i == kContactFieldCount; }));

// "<Key> = " (or "<Key>= ") of every phone field, already encoded.
const std::array<std::string, kContactFieldCount>& PhoneLinePrefixes() {
    static const std::array<std::string, kContactFieldCount> prefixes = [] {
        std::array<std::string, kContactFieldCount> result;
        for (std::size_t i = 0; i < kContactFieldCount; ++i) {
            AppendUtf16Le(result[i], kContactProperties[i].field);
            bool blank = std::ranges::find(kFieldsWithoutBlank, i) == kFieldsWithoutBlank.end();
            AppendUtf16Le(result[i], blank ? u" = " : u"= ");
        }
        return result;
    }();
    return prefixes;
}

class BackupWriter {
  public:
    explicit BackupWriter(std::FILE* stream) : out_(stream) {}

    void WriteMark() { AppendUtf16Le(out_.bytes(), u"\uFEFF"); }

    void WriteSection(int number, const SimContactRecord& record) {
        WriteHeader(number, u"ContactType = SIMContact\r\n");
        WriteField(u"Name = ", record.name);
        WriteField(u"PhoneNumber = ", record.phoneNumber);
        EndSection();
    }

    void WriteSection(int number, const PhoneContactRecord& record) {
        WriteHeader(number, u"ContactType = PhoneContact\r\n");
        const auto& prefixes = PhoneLinePrefixes();
        for (std::size_t i = 0; i < kContactFieldCount; ++i) {
            const std::u16string& value = record.*kPhoneContactFields[i];
            if (value.empty()) continue;
            out_.bytes() += prefixes[i];
            AppendLine(value);
        }
        EndSection();
    }

    bool Finish() { return out_.Flush(); }

  private:
    void WriteHeader(int number, std::u16string_view typeLine) {
        AppendUtf16Le(out_.bytes(), u"[");
        AppendUtf16Le(out_.bytes(), DecimalText(number));
        AppendUtf16Le(out_.bytes(), u"]\r\n");
        AppendUtf16Le(out_.bytes(), typeLine);
    }

    void WriteField(std::u16string_view prefix, const std::u16string& value) {
        if (value.empty()) return;
        AppendUtf16Le(out_.bytes(), prefix);
        AppendLine(value);
    }

    void AppendLine(std::u16string_view value) {
        AppendUtf16Le(out_.bytes(), value);
        AppendUtf16Le(out_.bytes(), u"\r\n");
    }

    void EndSection() {
        AppendUtf16Le(out_.bytes(), u"\r\n");
        out_.Pass();
    }

    TextWriter out_;
};

}  // namespace

std::int32_t WriteContactFile(const ContactList& list, std::u16string_view path) {
    if (path.data() == nullptr) return kContactFileFailed;
    if (path.ends_with(u".csv")) {
        return WriteContactCsv(list, path, SimContactCount(list), PhoneContactCount(list));
    }
    if (path.ends_with(u".vcf")) return WriteVcardFile(list, path);
    ReplacingFile file;
    if (!file.Open(path)) return kContactFileUnusable;

    BackupWriter writer(file.stream());
    writer.WriteMark();
    int number = 0;
    for (const SimContactRecord& record : list.sim)
        writer.WriteSection(++number, record);
    for (const PhoneContactRecord& record : list.phone)
        writer.WriteSection(++number, record);
    return writer.Finish() && file.Commit() ? kContactFileDone : kContactFileFailed;
}
