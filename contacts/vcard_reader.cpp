#include <algorithm>
#include <array>
#include <new>
#include <span>

#include "contacts/contact_files.h"
#include "contacts/vcard.h"
#include "contacts/vcard_lines.h"
#include "contacts/vcard_text.h"
#include "platform/files.h"
#include "platform/text.h"

namespace {

constexpr int F(std::u16string_view name) {
    for (std::size_t i = 0; i < kContactFieldCount; ++i)
        if (kContactProperties[i].field == name) return static_cast<int>(i);
    return -1;
}

constexpr int kTitle = F(u"Title"), kFirst = F(u"FirstName"), kMiddle = F(u"MiddleName"),
              kLast = F(u"LastName"), kSuffix = F(u"Suffix"), kCompany = F(u"CompanyName"),
              kDepartment = F(u"Department"), kJobTitle = F(u"JobTitle"),
              kOffice = F(u"OfficeLocation"), kMobile = F(u"MobileTelephoneNumber"),
              kWork = F(u"WorkTelephoneNumber"), kHome = F(u"HomeTelephoneNumber"),
              kCar = F(u"CarTelephoneNumber"), kWork2 = F(u"Work2TelephoneNumber"),
              kHome2 = F(u"Home2TelephoneNumber"), kPager = F(u"PagerNumber"),
              kRadio = F(u"RadioTelephoneNumber"), kAssistant = F(u"AssistantName"),
              kAssistantTel = F(u"AssistantTelephoneNumber"), kWorkFax = F(u"WorkFaxNumber"),
              kHomeFax = F(u"HomeFaxNumber"), kEmail1 = F(u"Email1Address"),
              kEmail2 = F(u"Email2Address"), kEmail3 = F(u"Email3Address"),
              kWebPage = F(u"WebPage"), kSpouse = F(u"Spouse"), kChildren = F(u"Children"),
              kHomeStreet = F(u"HomeAddressStreet"), kOtherStreet = F(u"OtherAddressStreet"),
              kWorkStreet = F(u"WorkAddressStreet"), kCategories = F(u"Categories");
static_assert(kTitle >= 0 && kCategories >= 0 && kWorkStreet >= 0);
// An address is its street and the four fields after it.
constexpr int kAddressFields = 5;

// The fields a value of each kind may take, tried in order.
constexpr std::array kCellChain = {kMobile, kRadio, kCar};
constexpr std::array kCarChain = {kCar, kMobile, kRadio};
constexpr std::array kWorkChain = {kWork, kWork2};
constexpr std::array kHomeChain = {kHome, kHome2};
constexpr std::array kPagerChain = {kPager};
constexpr std::array kRadioChain = {kRadio};
constexpr std::array kAssistantTelChain = {kAssistantTel};
constexpr std::array kWorkFaxChain = {kWorkFax, kHomeFax};
constexpr std::array kHomeFaxChain = {kHomeFax, kWorkFax};
constexpr std::array kOtherTelChain = {kMobile, kHome, kWork, kHome2, kWork2, kRadio, kCar};
constexpr std::array kEmailChain = {kEmail1, kEmail2, kEmail3};
constexpr std::array kHomeAddressChain = {kHomeStreet, kOtherStreet};
constexpr std::array kWorkAddressChain = {kWorkStreet, kOtherStreet};
constexpr std::array kOtherAddressChain = {kOtherStreet, kHomeStreet, kWorkStreet};

// A card holds at most this many wanted properties; more are counted as left out.
constexpr std::size_t kMaxCardProperties = 4096;

// What a property name stands for. Above 0 its value is held; AGENT is only told apart.
enum Kind : int {
    kAgent = -1,
    kUnknown = 0,
    kBegin = 1,
    kEnd,
    kVersion,
    kN,
    kFn,
    kOrg,
    kTitleName,
    kTel,
    kEmail,
    kAdr,
    kUrl,
    kCategoriesName,
    kLabel,
    kRelatedNames,
    kRelated,
    kAndroidCustom,
    kSimMarker,
    kAssistantName,
    kSpouseName,
    kChildrenName,
    kOfficeName,
};

struct NamedKind {
    std::string_view name;
    Kind kind;
};

// Every name the reader knows; Classify finds them by length first.
constexpr NamedKind kNames[] = {
    {"BEGIN", kBegin},
    {"END", kEnd},
    {"VERSION", kVersion},
    {"AGENT", kAgent},
    {"N", kN},
    {"FN", kFn},
    {"ORG", kOrg},
    {"TITLE", kTitleName},
    {"TEL", kTel},
    {"EMAIL", kEmail},
    {"ADR", kAdr},
    {"URL", kUrl},
    {"CATEGORIES", kCategoriesName},
    {"X-ABLABEL", kLabel},
    {"X-ABRELATEDNAMES", kRelatedNames},
    {"RELATED", kRelated},
    {"X-ANDROID-CUSTOM", kAndroidCustom},
    {kVcardSimMarker, kSimMarker},
    {"X-ASSISTANT", kAssistantName},
    {"X-MS-ASSISTANT", kAssistantName},
    {"X-EVOLUTION-ASSISTANT", kAssistantName},
    {"X-KADDRESSBOOK-X-ASSISTANTSNAME", kAssistantName},
    {"X-SPOUSE", kSpouseName},
    {"X-MS-SPOUSE", kSpouseName},
    {"X-EVOLUTION-SPOUSE", kSpouseName},
    {"X-KADDRESSBOOK-X-SPOUSENAME", kSpouseName},
    {"X-CHILDREN", kChildrenName},
    {"X-MS-CHILD", kChildrenName},
    {"X-CHILD", kChildrenName},
    {"X-OFFICE-LOCATION", kOfficeName},
    {"X-EVOLUTION-OFFICE", kOfficeName},
    {"X-KADDRESSBOOK-X-OFFICE", kOfficeName},
    {"X-MS-LOCATION", kOfficeName},
};

constexpr int Classify(std::string_view n) {
    // The name's length and first letter pick the one or two names it may be.
    auto is = [n](std::string_view name, Kind kind) { return n == name ? kind : kUnknown; };
    switch (n.size()) {
        case 1:
            return is("N", kN);
        case 2:
            return is("FN", kFn);
        case 3:
            switch (n[0]) {
                case 'T':
                    return is("TEL", kTel);
                case 'A':
                    return is("ADR", kAdr);
                case 'E':
                    return is("END", kEnd);
                case 'O':
                    return is("ORG", kOrg);
                case 'U':
                    return is("URL", kUrl);
                default:
                    return kUnknown;
            }
        case 5:
            switch (n[0]) {
                case 'E':
                    return is("EMAIL", kEmail);
                case 'T':
                    return is("TITLE", kTitleName);
                case 'B':
                    return is("BEGIN", kBegin);
                case 'A':
                    return is("AGENT", kAgent);
                default:
                    return kUnknown;
            }
        case 7:
            if (n[0] == 'V') return is("VERSION", kVersion);
            if (n[0] == 'R') return is("RELATED", kRelated);
            return is("X-CHILD", kChildrenName);
        case 8:
            return is("X-SPOUSE", kSpouseName);
        case 9:
            return is("X-ABLABEL", kLabel);
        case 10:
            if (n[0] == 'C') return is("CATEGORIES", kCategoriesName);
            if (n[2] == 'C') return is("X-CHILDREN", kChildrenName);
            return is("X-MS-CHILD", kChildrenName);
        case 11:
            if (n[2] == 'A') return is("X-ASSISTANT", kAssistantName);
            return is("X-MS-SPOUSE", kSpouseName);
        case 13:
            if (n[2] == 'V') return is(kVcardSimMarker, kSimMarker);
            return is("X-MS-LOCATION", kOfficeName);
        case 14:
            return is("X-MS-ASSISTANT", kAssistantName);
        case 16:
            if (n[4] == 'R') return is("X-ABRELATEDNAMES", kRelatedNames);
            return is("X-ANDROID-CUSTOM", kAndroidCustom);
        case 17:
            return is("X-OFFICE-LOCATION", kOfficeName);
        case 18:
            if (n[12] == 'S') return is("X-EVOLUTION-SPOUSE", kSpouseName);
            return is("X-EVOLUTION-OFFICE", kOfficeName);
        case 21:
            return is("X-EVOLUTION-ASSISTANT", kAssistantName);
        case 23:
            return is("X-KADDRESSBOOK-X-OFFICE", kOfficeName);
        case 27:
            return is("X-KADDRESSBOOK-X-SPOUSENAME", kSpouseName);
        case 31:
            return is("X-KADDRESSBOOK-X-ASSISTANTSNAME", kAssistantName);
        default:
            return kUnknown;
    }
}

constexpr bool ClassifiesEveryName() {
    for (const NamedKind& named : kNames)
        if (Classify(named.name) != named.kind) return false;
    return true;
}
static_assert(ClassifiesEveryName(), "a known name is not found by its length and letters");

int ClassifyName(std::string_view name) {
    return Classify(name);
}

// "_$!<HomeFAX>!$_" and "HomeFax" alike as the types they stand for.
void AddLabelTypes(std::string_view label, VcardProperty& p) {
    if (label.starts_with("_$!<") && label.ends_with(">!$_"))
        label = label.substr(4, label.size() - 8);
    std::string lower(label);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (lower == "homefax") {
        AddVcardType(p, "home");
        AddVcardType(p, "fax");
    } else if (lower == "workfax") {
        AddVcardType(p, "work");
        AddVcardType(p, "fax");
    } else if (lower == "otherfax") {
        AddVcardType(p, "fax");
    } else if (lower == "iphone") {
        AddVcardType(p, "cell");
    } else {
        AddVcardType(p, lower);
    }
}

bool HasType(const VcardProperty& p, std::uint32_t bit) {
    return (p.typeBits & bit) != 0;
}

std::span<const int> TelChain(const VcardProperty& p) {
    if (HasType(p, kVcardTypeFax)) {
        if (HasType(p, kVcardTypeHome) && !HasType(p, kVcardTypeWork)) return kHomeFaxChain;
        return kWorkFaxChain;
    }
    if (HasType(p, kVcardTypePager)) return kPagerChain;
    if (HasType(p, kVcardTypeRadio)) return kRadioChain;
    if (HasType(p, kVcardTypeAssistant)) return kAssistantTelChain;
    if (HasType(p, kVcardTypeCar)) return kCarChain;
    if (HasType(p, kVcardTypeCell)) return kCellChain;
    if (HasType(p, kVcardTypeWork)) return kWorkChain;
    if (HasType(p, kVcardTypeHome)) return kHomeChain;
    return kOtherTelChain;
}

// An ASCII mark against one of our ASCII names, letter case aside, without converting it.
bool AsciiMarkIs(std::string_view mark, std::u16string_view name) {
    if (mark.size() != name.size()) return false;
    for (std::size_t i = 0; i < mark.size(); ++i) {
        char16_t a = static_cast<unsigned char>(mark[i]);
        char16_t b = name[i];
        if (a >= u'A' && a <= u'Z') a = static_cast<char16_t>(a - u'A' + u'a');
        if (b >= u'A' && b <= u'Z') b = static_cast<char16_t>(b - u'A' + u'a');
        if (a != b) return false;
    }
    return true;
}

// Our field marks are ASCII; only another text needs the general compare.
bool FieldMarkIs(std::string_view mark, std::u16string_view name) {
    return IsAscii(mark) ? AsciiMarkIs(mark, name) : EqualsIgnoreCase(U16(mark), name);
}

int MarkedField(std::string_view mark) {
    if (mark.empty()) return -1;
    if (!IsAscii(mark)) return ContactFieldIndex(U16(mark));
    for (std::size_t i = 0; i < kContactFieldCount; ++i)
        if (AsciiMarkIs(mark, kContactProperties[i].field)) return static_cast<int>(i);
    return -1;
}

std::span<const int> AddressChain(const VcardProperty& p) {
    if (FieldMarkIs(p.field, kVcardOtherAddress)) return kOtherAddressChain;
    if (HasType(p, kVcardTypeHome)) return kHomeAddressChain;
    if (HasType(p, kVcardTypeWork)) return kWorkAddressChain;
    return kOtherAddressChain;
}

// Some producers escape the colon after a URL's scheme ("http\://"); nothing else of a URL
// is unescaped, so a web page written by us comes back as it was. A line break (a
// quoted-printable one) comes out as a line feed, as in every other field.
void UrlValueInto(std::u16string_view view, std::u16string& text) {
    text.clear();
    for (std::size_t i = 0; i < view.size(); ++i) {
        if (view[i] != u'\r' && view[i] != u'\n') {
            text += view[i];
            continue;
        }
        text += u'\n';
        if (view[i] == u'\r' && i + 1 < view.size() && view[i + 1] == u'\n') ++i;
    }
    std::size_t scheme = 0;
    while (scheme < text.size() && ((text[scheme] >= u'a' && text[scheme] <= u'z') ||
                                    (text[scheme] >= u'A' && text[scheme] <= u'Z')))
        ++scheme;
    if (scheme > 0 && text.compare(scheme, 2, u"\\:") == 0) text.erase(scheme, 1);
}

void JoinList(std::span<const std::u16string> items, std::u16string& out) {
    out.clear();
    for (const std::u16string& item : items) {
        if (item.empty()) continue;
        if (!out.empty()) out += u", ";
        out += item;
    }
}

// Cuts a field to its limit; a field cut short gives back the room it no longer needs.
void KeepFieldLimit(std::u16string& field) {
    if (field.size() <= kVcardFieldMax) return;
    field.resize(CutAtUnits(field, kVcardFieldMax).size());
    field.shrink_to_fit();
}

class CardBuilder {
  public:
    explicit CardBuilder(std::int32_t& leftOut) : leftOut_(leftOut) {}

    // One builder serves every card of a file, so its scratch texts keep their room.
    void Build(std::span<VcardProperty> properties, bool utf16File, ContactList& list) {
        utf16File_ = utf16File;
        sim_ = false;
        firstNumber_.clear();
        formattedName_.clear();
        for (std::u16string& field : fields_)
            field.clear();
        ApplyLabels(properties);
        for (const VcardProperty& p : properties)
            Apply(p);
        if (sim_) {
            AddSimContact(list, fields_[kFirst], firstNumber_);
            return;
        }
        FallBackToFormattedName(properties);
        // The fields are moved, not copied, straight into the list's new record: a large file
        // is mostly its texts.
        PhoneContactRecord& record = list.phone.emplace_back();
        for (std::size_t i = 0; i < kContactFieldCount; ++i)
            record.*kPhoneContactFields[i] = std::move(fields_[i]);
    }

  private:
    // Apple's labels name the kind of the property that shares their group.
    static void ApplyLabels(std::span<VcardProperty> properties) {
        for (const VcardProperty& label : properties) {
            if (label.kind != kLabel || label.group.empty()) continue;
            for (VcardProperty& p : properties)
                if (p.group == label.group && &p != &label) AddLabelTypes(label.value, p);
        }
    }

    // The value's bytes, quoted-printable decoded; valid until the next call.
    std::string_view Raw(const VcardProperty& p) {
        if (std::string_view(p.encoding) != "QUOTED-PRINTABLE") return p.value;
        DecodeQuotedPrintableInto(p.value, quoted_);
        return quoted_;
    }

    // The value's text, escapes not yet resolved; valid until the next call.
    const std::u16string& Text(const VcardProperty& p) {
        bool quoted = std::string_view(p.encoding) == "QUOTED-PRINTABLE";
        DecodeVcardCharsetInto(Raw(p), p.charset, !quoted && utf16File_, decoded_);
        return decoded_;
    }

    // The value's text with its escapes resolved into out. ASCII, most of any file, is the
    // same in every charset, so it is unescaped straight from its bytes.
    void UnescapeInto(const VcardProperty& p, std::u16string& out) {
        std::size_t room = out.capacity();
        if (UnescapeVcardAsciiInto(Raw(p), out)) return;
        // A field gives back the room its bytes took; its units are fewer.
        if (out.capacity() > room) std::u16string().swap(out);
        const std::u16string& text = Text(p);
        out.reserve(text.size());
        UnescapeVcardInto(text, out);
    }

    // The value's parts split at the separator, escapes resolved; valid until the next call.
    std::span<const std::u16string> Parts(const VcardProperty& p, char separator) {
        std::size_t count = 0;
        if (!SplitVcardAsciiInto(Raw(p), separator, parts_, count))
            count = SplitVcardValueInto(Text(p), static_cast<char16_t>(separator), parts_);
        return {parts_.data(), count};
    }

    const std::u16string& Joined(std::span<const std::u16string> items) {
        JoinList(items, joined_);
        return joined_;
    }

    // The value's text with its escapes resolved; valid until the next call.
    const std::u16string& Unescaped(const VcardProperty& p) {
        UnescapeInto(p, unescaped_);
        return unescaped_;
    }

    void Apply(const VcardProperty& p) {
        std::string_view encoding = p.encoding;
        if (encoding == "BASE64" || encoding == "B") return;
        switch (p.kind) {
            case kSimMarker:
                sim_ = true;
                break;
            case kN:
                ApplyName(Parts(p, ';'));
                break;
            case kFn:
                UnescapeInto(p, formattedName_);
                break;
            case kOrg:
                ApplyOrganization(Parts(p, ';'));
                break;
            case kTitleName:
                PlaceValue(p, kJobTitle);
                break;
            case kUrl:
                if (std::string_view(p.valueType) == "text") {
                    PlaceValue(p, kWebPage);
                } else {
                    UrlValueInto(Text(p), url_);
                    Place(kWebPage, url_);
                }
                break;
            case kCategoriesName:
                Join(kCategories, Joined(Parts(p, ',')));
                break;
            case kTel:
                ApplyNumber(p);
                break;
            case kEmail:
                PlaceValue(p, kEmailChain, MarkedField(p.field));
                break;
            case kAdr:
                ApplyAddress(p, Parts(p, ';'));
                break;
            case kAssistantName:
                PlaceValue(p, kAssistant);
                break;
            case kSpouseName:
                PlaceValue(p, kSpouse);
                break;
            case kChildrenName:
                Join(kChildren, Unescaped(p));
                break;
            case kOfficeName:
                PlaceValue(p, kOffice);
                break;
            case kRelatedNames:
            case kRelated:
                ApplyRelation(p.types, Unescaped(p));
                break;
            case kAndroidCustom:
                ApplyAndroidRelation(Parts(p, ';'));
                break;
            default:
                break;
        }
    }

    void ApplyName(std::span<const std::u16string> parts) {
        constexpr std::array kOrder = {kLast, kFirst, kMiddle, kTitle, kSuffix};
        for (std::size_t i = 0; i < kOrder.size() && i < parts.size(); ++i)
            Place(kOrder[i], parts[i]);
    }

    void ApplyOrganization(std::span<const std::u16string> parts) {
        Place(kCompany, parts[0]);
        Place(kDepartment, Joined(parts.subspan(1)));
    }

    // vCard 4.0 gives numbers as tel: URIs; a plain text number is taken as it is.
    static void DropTelScheme(const VcardProperty& p, std::u16string& number) {
        if (std::string_view(p.valueType) == "uri" && number.size() >= 4 &&
            EqualsIgnoreCase(std::u16string_view(number).substr(0, 4), u"tel:"))
            number.erase(0, 4);
    }

    const std::u16string& Number(const VcardProperty& p) {
        UnescapeInto(p, unescaped_);
        DropTelScheme(p, unescaped_);
        return unescaped_;
    }

    void ApplyNumber(const VcardProperty& p) {
        std::span<const int> chain = TelChain(p);
        int field = FreeField(chain, MarkedField(p.field));
        // Without a free field the number is only looked at: it may still be the first.
        std::u16string& number = field >= 0 ? fields_[field] : unescaped_;
        UnescapeInto(p, number);
        DropTelScheme(p, number);
        if (number.empty()) return;
        if (firstNumber_.empty()) firstNumber_ = CutAtUnits(number, kVcardFieldMax);
        if (field < 0) {
            ++leftOut_;
            return;
        }
        KeepFieldLimit(number);
    }

    void ApplyAddress(const VcardProperty& p, std::span<const std::u16string> parts) {
        // post office box; extended address; street; city; region; postal code; country
        auto part = [&](std::size_t i) {
            return i < parts.size() ? std::u16string_view(parts[i]) : std::u16string_view();
        };
        std::u16string& street = joined_;
        street.clear();
        for (std::size_t i = 0; i < 3; ++i) {
            if (part(i).empty()) continue;
            if (!street.empty()) street += u'\n';
            street += part(i);
        }
        std::array<std::u16string_view, kAddressFields> values = {street, part(3), part(4), part(5),
                                                                  part(6)};
        if (std::ranges::all_of(values, [](const auto& v) { return v.empty(); })) return;
        for (int first : AddressChain(p)) {
            if (!AddressFree(first)) continue;
            for (int i = 0; i < kAddressFields; ++i)
                fields_[first + i] = CutAtUnits(values[i], kVcardFieldMax);
            return;
        }
        ++leftOut_;
    }

    bool AddressFree(int first) const {
        for (int i = 0; i < kAddressFields; ++i)
            if (!fields_[first + i].empty()) return false;
        return true;
    }

    void ApplyAndroidRelation(std::span<const std::u16string> parts) {
        if (parts.size() < 3 || parts[0] != u"vnd.android.cursor.item/relation") return;
        // The platform's relation types: 1 assistant, 3 child, 14 spouse.
        if (parts[2] == u"1") Place(kAssistant, parts[1]);
        if (parts[2] == u"3") Join(kChildren, parts[1]);
        if (parts[2] == u"14") Place(kSpouse, parts[1]);
    }

    void ApplyRelation(const std::vector<std::string>& types, const std::u16string& name) {
        for (const std::string& type : types) {
            if (type == "assistant") {
                Place(kAssistant, name);
            } else if (type == "spouse") {
                Place(kSpouse, name);
            } else if (type == "child") {
                Join(kChildren, name);
            } else {
                continue;
            }
            return;
        }
    }

    // The marked field when it is one of the chain's and free, else the chain's first free
    // one; -1 when all are taken.
    int FreeField(std::span<const int> chain, int marked) const {
        if (marked >= 0 && std::ranges::find(chain, marked) != chain.end() &&
            fields_[marked].empty())
            return marked;
        for (int field : chain)
            if (fields_[field].empty()) return field;
        return -1;
    }

    void PlaceIn(std::span<const int> chain, int marked, std::u16string_view value) {
        if (value.empty()) return;
        int field = FreeField(chain, marked);
        if (field < 0) {
            ++leftOut_;
            return;
        }
        fields_[field] = CutAtUnits(value, kVcardFieldMax);
    }

    void Place(int field, std::u16string_view value) {
        PlaceIn(std::span<const int>(&field, 1), -1, value);
    }

    // As PlaceIn with the value's text, decoded straight into the field it takes.
    void PlaceValue(const VcardProperty& p, std::span<const int> chain, int marked) {
        int field = FreeField(chain, marked);
        if (field < 0) {
            if (!Unescaped(p).empty()) ++leftOut_;
            return;
        }
        UnescapeInto(p, fields_[field]);
        KeepFieldLimit(fields_[field]);
    }

    void PlaceValue(const VcardProperty& p, int field) {
        PlaceValue(p, std::span<const int>(&field, 1), -1);
    }

    // Lists (categories, children) gather every value given.
    void Join(int field, std::u16string_view value) {
        if (value.empty()) return;
        std::u16string& joined = fields_[field];
        if (!joined.empty()) joined += u", ";
        joined += value;
        joined.resize(CutAtUnits(joined, kVcardFieldMax).size());
    }

    // A card named only by FN (vCard 4.0 does not require N) keeps that name as its first name,
    // unless FN is just the card's company, number or address, as we write it for a nameless
    // contact.
    void FallBackToFormattedName(std::span<VcardProperty> properties) {
        if (formattedName_.empty()) return;
        for (int field : {kTitle, kFirst, kMiddle, kLast, kSuffix, kCompany})
            if (!fields_[field].empty()) return;
        for (const VcardProperty& p : properties) {
            if (p.kind == kTel && Number(p) == formattedName_) return;
            if (p.kind == kEmail && Unescaped(p) == formattedName_) return;
        }
        fields_[kFirst] = CutAtUnits(formattedName_, kVcardFieldMax);
    }

    bool utf16File_ = false;
    std::int32_t& leftOut_;
    std::array<std::u16string, kContactFieldCount> fields_;
    bool sim_ = false;
    std::u16string firstNumber_;
    std::u16string formattedName_;
    std::string quoted_;
    std::u16string decoded_;
    std::u16string unescaped_;
    std::u16string url_;
    std::vector<std::u16string> parts_;
    std::u16string joined_;
};

// BEGIN:VCARD or END:VCARD, blanks and letter case aside.
bool IsCardBoundary(const VcardProperty& p, Kind kind) {
    if (p.kind != kind) return false;
    constexpr std::string_view kVcard = "VCARD";
    std::size_t matched = 0;
    for (char c : p.value) {
        if (c == ' ' || c == '\t') continue;
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        if (matched == kVcard.size() || c != kVcard[matched]) return false;
        ++matched;
    }
    return matched == kVcard.size();
}

class VcardFileReader {
  public:
    VcardFileReader(std::FILE* stream, std::uint64_t sizeHint, ContactList& list,
                    VcardReadCounts& counts)
        : sizeHint_(sizeHint),
          properties_(stream, ClassifyName),
          list_(list),
          counts_(counts),
          builder_(counts.valuesLeftOut) {}

    bool Run() {
        while (true) {
            // The slots of the card being read are reused from card to card, with their room.
            if (used_ == card_.size()) card_.emplace_back();
            VcardProperty& p = card_[used_];
            if (!properties_.Next(p)) break;
            if (IsCardBoundary(p, kBegin)) {
                Begin();
            } else if (IsCardBoundary(p, kEnd)) {
                End();
            } else if (inCard_ && depth_ == 0) {
                Keep(p);
            }
            lastKind_ = p.kind;
        }
        return !properties_.failed();
    }

  private:
    void Begin() {
        // A 2.1 AGENT holds a whole card of its own, which is read past; any other BEGIN inside a
        // card drops the unfinished card and starts a new one.
        if (inCard_ && lastKind_ == kAgent) {
            ++depth_;
            return;
        }
        inCard_ = true;
        depth_ = 0;
        used_ = 0;
        properties_.SetVersion21(false);
    }

    void End() {
        if (!inCard_) return;
        if (depth_ > 0) {
            --depth_;
            return;
        }
        inCard_ = false;
        ++counts_.cards;
        MakeRoom();
        builder_.Build(std::span<VcardProperty>(card_.data(), used_), properties_.wasUtf16(),
                       list_);
        used_ = 0;
    }

    // The bytes read so far tell how much of the file the cards so far were.
    void MakeRoom() {
        if (sizeHint_ == 0) return;
        ReservePhoneContactsAhead(
            list_, static_cast<double>(properties_.bytesRead()) / static_cast<double>(sizeHint_));
    }

    void Keep(const VcardProperty& p) {
        if (p.kind == kVersion) {
            properties_.SetVersion21(p.value.starts_with("2"));
            return;
        }
        if (!p.held) return;
        if (used_ >= kMaxCardProperties) {
            ++counts_.valuesLeftOut;
            return;
        }
        ++used_;
    }

    std::uint64_t sizeHint_;
    VcardPropertyReader properties_;
    ContactList& list_;
    VcardReadCounts& counts_;
    CardBuilder builder_;
    std::vector<VcardProperty> card_;
    std::size_t used_ = 0;
    bool inCard_ = false;
    int depth_ = 0;
    int lastKind_ = kUnknown;
};

}  // namespace

namespace {

std::int32_t ReadStream(ContactList& list, std::FILE* stream, std::uint64_t sizeHint,
                        VcardReadCounts* counts) {
    VcardReadCounts local;
    VcardReadCounts& c = counts != nullptr ? *counts : local;
    try {
        VcardFileReader reader(stream, sizeHint, list, c);
        return reader.Run() ? kContactFileDone : kContactFileUnusable;
    } catch (const std::bad_alloc&) {
        return kContactFileUnusable;
    }
}

}  // namespace

std::int32_t ReadVcardStream(ContactList& list, std::FILE* stream, VcardReadCounts* counts) {
    return ReadStream(list, stream, 0, counts);
}

std::int32_t ReadVcardFile(ContactList& list, std::u16string_view path, VcardReadCounts* counts) {
    if (path.data() == nullptr) return kContactFileFailed;
    std::uint64_t size = 0;
    UniqueFile file = OpenFile(path, &size);
    if (!file) return kContactFileUnusable;
    return ReadStream(list, file.get(), size, counts);
}

bool LooksLikeVcard(std::string_view head) {
    std::string text;
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(head[i]); };
    if (head.size() >= 2 &&
        ((byte(0) == 0xFF && byte(1) == 0xFE) || (byte(0) == 0xFE && byte(1) == 0xFF))) {
        bool little = byte(0) == 0xFF;
        for (std::size_t i = 2; i + 1 < head.size(); i += 2) {
            unsigned unit = little ? byte(i) | byte(i + 1) << 8 : byte(i + 1) | byte(i) << 8;
            text += unit < 0x80 ? static_cast<char>(unit) : '?';
        }
    } else {
        if (head.starts_with("\xEF\xBB\xBF")) head.remove_prefix(3);
        text = head;
    }
    std::size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string::npos || text.size() - start < 11) return false;
    return EqualsIgnoreCase(U16(text.substr(start, 11)), u"BEGIN:VCARD");
}

bool FileLooksLikeVcard(std::u16string_view path) {
    UniqueFile file = OpenFile(path);
    if (!file) return false;
    char head[4096];
    std::size_t n = std::fread(head, 1, sizeof head, file.get());
    return LooksLikeVcard(std::string_view(head, n));
}
