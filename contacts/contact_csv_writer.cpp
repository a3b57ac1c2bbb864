#include <algorithm>
#include <string>

#include "contacts/contact_files.h"
#include "platform/csv_cell.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/text_writer.h"

namespace {

// Every row has 86 columns, that is 85 commas outside its cells.
constexpr std::size_t kRowCommas = 85;
// A SIM row fills 4 columns ("Name", cell, "PhoneNumber", cell) and leaves the rest empty.
constexpr std::size_t kSimRowTrailingCommas = kRowCommas - 3;

class CsvWriter {
  public:
    explicit CsvWriter(std::FILE* stream) : out_(stream) {}

    void WriteTitleRow(std::string_view title) {
        out_.bytes() += title;
        out_.bytes().append(kRowCommas, ',');
        EndRow();
    }

    void WriteRow(const SimContactRecord& record) {
        out_.bytes() += "Name,";
        AppendCell(record.name);
        out_.bytes() += ",PhoneNumber,";
        AppendCell(record.phoneNumber);
        out_.bytes().append(kSimRowTrailingCommas, ',');
        EndRow();
    }

    void WriteRow(const PhoneContactRecord& record) {
        for (std::size_t i = 0; i < kContactFieldCount; ++i) {
            if (i > 0) out_.bytes() += ',';
            AppendUtf8(out_.bytes(), kContactProperties[i].field);
            out_.bytes() += ',';
            AppendCell(record.*kPhoneContactFields[i]);
        }
        EndRow();
    }

    bool Finish() { return out_.Flush(); }

  private:
    // An empty value leaves its cell empty.
    void AppendCell(std::u16string_view value) {
        if (value.empty()) return;
        cell_.clear();
        AppendCsvCell(cell_, value);
        AppendUtf8(out_.bytes(), cell_);
    }

    void EndRow() {
        out_.bytes() += "\r\n";
        out_.Pass();
    }

    TextWriter out_;
    std::u16string cell_;
};

template <typename Record>
void WriteBlock(CsvWriter& writer, std::string_view title, const std::vector<Record>& records,
                std::int32_t count) {
    if (count <= 0) return;
    writer.WriteTitleRow(title);
    std::size_t n = std::min(static_cast<std::size_t>(count), records.size());
    for (std::size_t i = 0; i < n; ++i)
        writer.WriteRow(records[i]);
}

}  // namespace

std::int32_t WriteContactCsv(const ContactList& list, std::u16string_view path,
                             std::int32_t simCount, std::int32_t phoneCount) {
    if (path.data() == nullptr) return kContactFileFailed;
    ReplacingFile file;
    if (!file.Open(path)) return kContactFileUnusable;

    CsvWriter writer(file.stream());
    WriteBlock(writer, "SIM Contacts", list.sim, simCount);
    WriteBlock(writer, "Phone Contacts", list.phone, phoneCount);
    return writer.Finish() && file.Commit() ? kContactFileDone : kContactFileFailed;
}
