#include <array>
#include <string>

#include "contacts/contact_files.h"
#include "contacts/vcard.h"
#include "contacts/vcard_text.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/text_writer.h"

namespace {

// Octets of a line before its CR LF; a continuation line spends one of them on its blank.
constexpr std::size_t kFoldOctets = 75;

// Appends the line folded, never inside a UTF-8 sequence nor between a backslash and the
// character it escapes.
void AppendFolded(std::string& out, std::string_view line) {
    std::size_t pos = 0;
    for (bool first = true;; first = false) {
        std::size_t limit = first ? kFoldOctets : kFoldOctets - 1;
        if (!first) out += ' ';
        if (line.size() - pos <= limit) {
            out.append(line.substr(pos));
            out += "\r\n";
            return;
        }
        std::size_t cut = pos + limit;
        while (cut > pos + 1 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut;
        std::size_t slashes = 0;
        while (cut - slashes > pos && line[cut - 1 - slashes] == '\\')
            ++slashes;
        if (slashes % 2 == 1 && cut - 1 > pos) --cut;
        out.append(line.substr(pos, cut - pos));
        out += "\r\n";
        pos = cut;
    }
}

// A URI is written as it is; a web page text that no URI could be (a line break in it, or an
// escaped scheme colon that a reader would take back out) is written as escaped text.
bool WebPageNeedsText(std::u16string_view text) {
    if (text.find_first_of(u"\r\n") != std::u16string_view::npos) return true;
    std::size_t scheme = 0;
    while (scheme < text.size() && ((text[scheme] >= u'a' && text[scheme] <= u'z') ||
                                    (text[scheme] >= u'A' && text[scheme] <= u'Z')))
        ++scheme;
    return scheme > 0 && text.substr(scheme).starts_with(u"\\:");
}

class VcardWriter {
  public:
    explicit VcardWriter(std::FILE* stream) : out_(stream) {}

    void Write(const SimContactRecord& r) {
        Begin();
        Start("N:;");
        Escaped(r.name);
        out_.bytes() += ";;;";
        End();
        Line("FN:", r.name.empty() ? r.phoneNumber : r.name);
        Text("TEL;TYPE=CELL", r.phoneNumber);
        Start(kVcardSimMarker);
        out_.bytes() += ":TRUE";
        End();
        Finish();
    }

    void Write(const PhoneContactRecord& r) {
        Begin();
        Start("N:");
        Components({&r.lastName, &r.firstName, &r.middleName, &r.title, &r.suffix});
        End();
        Start("FN:");
        FormattedName(r);
        End();
        if (!r.companyName.empty() || !r.department.empty()) {
            Start("ORG:");
            Escaped(r.companyName);
            if (!r.department.empty()) {
                out_.bytes() += ';';
                Escaped(r.department);
            }
            End();
        }
        Text("TITLE", r.jobTitle);
        Text("X-OFFICE-LOCATION", r.officeLocation);
        Text("TEL;TYPE=CELL", r.mobileTelephoneNumber);
        Text("TEL;TYPE=WORK,VOICE", r.workTelephoneNumber);
        Text("TEL;TYPE=HOME,VOICE", r.homeTelephoneNumber);
        Text("TEL;TYPE=CAR", r.carTelephoneNumber);
        Text("TEL;TYPE=WORK,VOICE;X-VELLORO-FIELD=Work2TelephoneNumber", r.work2TelephoneNumber);
        Text("TEL;TYPE=HOME,VOICE;X-VELLORO-FIELD=Home2TelephoneNumber", r.home2TelephoneNumber);
        Text("TEL;TYPE=PAGER", r.pagerNumber);
        Text("TEL;TYPE=X-RADIO,VOICE", r.radioTelephoneNumber);
        Text("X-ASSISTANT", r.assistantName);
        Text("TEL;TYPE=X-ASSISTANT,VOICE", r.assistantTelephoneNumber);
        Text("TEL;TYPE=WORK,FAX", r.workFaxNumber);
        Text("TEL;TYPE=HOME,FAX", r.homeFaxNumber);
        Text("EMAIL;TYPE=INTERNET,PREF", r.email1Address);
        Text("EMAIL;TYPE=INTERNET;X-VELLORO-FIELD=Email2Address", r.email2Address);
        Text("EMAIL;TYPE=INTERNET;X-VELLORO-FIELD=Email3Address", r.email3Address);
        WebPage(r.webPage);
        Text("X-SPOUSE", r.spouse);
        Text("X-CHILDREN", r.children);
        Address("ADR;TYPE=HOME", {&r.homeAddressStreet, &r.homeAddressCity, &r.homeAddressState,
                                  &r.homeAddressPostalCode, &r.homeAddressCountry});
        Address("ADR;X-VELLORO-FIELD=OtherAddress",
                {&r.otherAddressStreet, &r.otherAddressCity, &r.otherAddressState,
                 &r.otherAddressPostalCode, &r.otherAddressCountry});
        Address("ADR;TYPE=WORK", {&r.workAddressStreet, &r.workAddressCity, &r.workAddressState,
                                  &r.workAddressPostalCode, &r.workAddressCountry});
        Text("CATEGORIES", r.categories);
        Finish();
    }

    bool Flush() { return out_.Flush(); }

  private:
    using Parts = std::array<const std::u16string*, 5>;

    // FN: the name parts joined by blanks; else the company; else the first number or e-mail
    // address. Written as it is found, without gathering it first.
    void FormattedName(const PhoneContactRecord& r) {
        bool any = false;
        for (const std::u16string* part :
             {&r.title, &r.firstName, &r.middleName, &r.lastName, &r.suffix}) {
            if (part->empty()) continue;
            if (any) out_.bytes() += ' ';
            Escaped(*part);
            any = true;
        }
        if (any) return;
        if (!r.companyName.empty()) return Escaped(r.companyName);
        for (const std::u16string* other :
             {&r.mobileTelephoneNumber, &r.workTelephoneNumber, &r.homeTelephoneNumber,
              &r.carTelephoneNumber, &r.work2TelephoneNumber, &r.home2TelephoneNumber,
              &r.pagerNumber, &r.radioTelephoneNumber, &r.assistantTelephoneNumber,
              &r.workFaxNumber, &r.homeFaxNumber, &r.email1Address, &r.email2Address,
              &r.email3Address}) {
            if (!other->empty()) return Escaped(*other);
        }
    }

    void Begin() { out_.bytes() += "BEGIN:VCARD\r\nVERSION:3.0\r\n"; }
    void Finish() {
        out_.bytes() += "END:VCARD\r\n";
        out_.Pass();
    }

    // A line is written straight into the output; only a line too long for one is folded,
    // from a copy.
    void Start(std::string_view head) {
        lineStart_ = out_.bytes().size();
        out_.bytes() += head;
    }
    void Escaped(std::u16string_view text) { AppendVcardEscaped(out_.bytes(), text); }
    void End() {
        std::string& out = out_.bytes();
        if (out.size() - lineStart_ <= kFoldOctets) {
            out += "\r\n";
            return;
        }
        line_.assign(out, lineStart_);
        out.resize(lineStart_);
        AppendFolded(out, line_);
    }

    void Components(const Parts& parts) {
        for (std::size_t i = 0; i < parts.size(); ++i) {
            if (i > 0) out_.bytes() += ';';
            Escaped(*parts[i]);
        }
    }

    void Line(std::string_view head, std::u16string_view value) {
        Start(head);
        Escaped(value);
        End();
    }

    // A property for a present field only.
    void Text(std::string_view head, const std::u16string& value) {
        if (value.empty()) return;
        Start(head);
        out_.bytes() += ':';
        Escaped(value);
        End();
    }

    void WebPage(const std::u16string& value) {
        if (value.empty()) return;
        if (WebPageNeedsText(value)) return Text("URL;VALUE=text", value);
        Start("URL:");
        AppendVcardUtf8(out_.bytes(), value);
        End();
    }

    // ;;street;city;state;postal code;country, when any of them is present.
    void Address(std::string_view head, const Parts& parts) {
        bool any = false;
        for (const std::u16string* part : parts)
            any = any || !part->empty();
        if (!any) return;
        Start(head);
        out_.bytes() += ":;;";
        Components(parts);
        End();
    }

    TextWriter out_;
    std::size_t lineStart_ = 0;
    std::string line_;
};

}  // namespace

std::int32_t WriteVcardFile(const ContactList& list, std::u16string_view path) {
    if (path.data() == nullptr) return kContactFileFailed;
    ReplacingFile file;
    if (!file.Open(path)) return kContactFileUnusable;
    VcardWriter writer(file.stream());
    for (const SimContactRecord& record : list.sim)
        writer.Write(record);
    for (const PhoneContactRecord& record : list.phone)
        writer.Write(record);
    if (!writer.Flush()) {
        file.Discard();
        return kContactFileFailed;
    }
    return file.Commit() ? kContactFileDone : kContactFileFailed;
}
