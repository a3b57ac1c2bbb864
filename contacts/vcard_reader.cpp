#include <algorithm>
#include <array>
#include <new>
#include <span>
#include <unordered_set>

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

bool IsOneOf(std::string_view name, std::initializer_list<std::string_view> names) {
    return std::ranges::find(names, name) != names.end();
}

bool IsAssistantName(std::string_view n) {
    return IsOneOf(n, {"X-ASSISTANT", "X-MS-ASSISTANT", "X-EVOLUTION-ASSISTANT",
                       "X-KADDRESSBOOK-X-ASSISTANTSNAME"});
}
bool IsSpouseName(std::string_view n) {
    return IsOneOf(
        n, {"X-SPOUSE", "X-MS-SPOUSE", "X-EVOLUTION-SPOUSE", "X-KADDRESSBOOK-X-SPOUSENAME"});
}
bool IsChildrenName(std::string_view n) {
    return IsOneOf(n, {"X-CHILDREN", "X-MS-CHILD", "X-CHILD"});
}
bool IsOfficeName(std::string_view n) {
    return IsOneOf(
        n, {"X-OFFICE-LOCATION", "X-EVOLUTION-OFFICE", "X-KADDRESSBOOK-X-OFFICE", "X-MS-LOCATION"});
}

bool Wanted(std::string_view n) {
    static const std::unordered_set<std::string_view> kNames = {"BEGIN",
                                                                "END",
                                                                "VERSION",
                                                                "N",
                                                                "FN",
                                                                "ORG",
                                                                "TITLE",
                                                                "TEL",
                                                                "EMAIL",
                                                                "ADR",
                                                                "URL",
                                                                "CATEGORIES",
                                                                "X-ABLABEL",
                                                                "X-ABRELATEDNAMES",
                                                                "RELATED",
                                                                "X-ANDROID-CUSTOM",
                                                                kVcardSimMarker,
                                                                "X-ASSISTANT",
                                                                "X-MS-ASSISTANT",
                                                                "X-EVOLUTION-ASSISTANT",
                                                                "X-KADDRESSBOOK-X-ASSISTANTSNAME",
                                                                "X-SPOUSE",
                                                                "X-MS-SPOUSE",
                                                                "X-EVOLUTION-SPOUSE",
                                                                "X-KADDRESSBOOK-X-SPOUSENAME",
                                                                "X-CHILDREN",
                                                                "X-MS-CHILD",
                                                                "X-CHILD",
                                                                "X-OFFICE-LOCATION",
                                                                "X-EVOLUTION-OFFICE",
                                                                "X-KADDRESSBOOK-X-OFFICE",
                                                                "X-MS-LOCATION"};
    return kNames.contains(n);
}

bool HasType(const VcardProperty& p, std::string_view type) {
    return std::ranges::find(p.types, type) != p.types.end();
}

bool HasAnyType(const VcardProperty& p, std::initializer_list<std::string_view> types) {
    return std::ranges::any_of(types, [&](std::string_view t) { return HasType(p, t); });
}

// "_$!<HomeFAX>!$_" and "HomeFax" alike as the types they stand for.
void AddLabelTypes(std::string label, std::vector<std::string>& types) {
    if (label.starts_with("_$!<") && label.ends_with(">!$_"))
        label = label.substr(4, label.size() - 8);
    for (char& c : label)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (label == "homefax") {
        types.insert(types.end(), {"home", "fax"});
    } else if (label == "workfax") {
        types.insert(types.end(), {"work", "fax"});
    } else if (label == "otherfax") {
        types.push_back("fax");
    } else if (label == "iphone") {
        types.push_back("cell");
    } else {
        types.push_back(label);
    }
}

std::span<const int> TelChain(const VcardProperty& p) {
    if (HasType(p, "fax")) {
        if (HasType(p, "home") && !HasType(p, "work")) return kHomeFaxChain;
        return kWorkFaxChain;
    }
    if (HasType(p, "pager")) return kPagerChain;
    if (HasAnyType(p, {"x-radio", "radio", "x-evolution-radio"})) return kRadioChain;
    if (HasAnyType(p, {"x-assistant", "assistant", "x-evolution-assistant"}))
        return kAssistantTelChain;
    if (HasType(p, "car")) return kCarChain;
    if (HasAnyType(p, {"cell", "mobile"})) return kCellChain;
    if (HasType(p, "work")) return kWorkChain;
    if (HasType(p, "home")) return kHomeChain;
    return kOtherTelChain;
}

bool IsAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
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
    if (HasType(p, "home")) return kHomeAddressChain;
    if (HasType(p, "work")) return kWorkAddressChain;
    return kOtherAddressChain;
}

// Some producers escape the colon after a URL's scheme ("http\://"); nothing else of a URL
// is unescaped, so a web page written by us comes back as it was. A line break (a
// quoted-printable one) comes out as a line feed, as in every other field.
std::u16string UrlValue(std::u16string_view view) {
    std::u16string text;
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
    return text;
}

void JoinList(std::span<const std::u16string> items, std::u16string& out) {
    out.clear();
    for (const std::u16string& item : items) {
        if (item.empty()) continue;
        if (!out.empty()) out += u", ";
        out += item;
    }
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
        // The fields are moved, not copied: a large file is mostly its texts.
        PhoneContactRecord record;
        for (std::size_t i = 0; i < kContactFieldCount; ++i)
            record.*kPhoneContactFields[i] = std::move(fields_[i]);
        list.phone.push_back(std::move(record));
    }

  private:
    // Apple's labels name the kind of the property that shares their group.
    static void ApplyLabels(std::span<VcardProperty> properties) {
        for (const VcardProperty& label : properties) {
            if (std::string_view(label.name) != "X-ABLABEL" || label.group.empty()) continue;
            for (VcardProperty& p : properties)
                if (p.group == label.group && &p != &label) AddLabelTypes(label.value, p.types);
        }
    }

    // The value's text, escapes not yet resolved; valid until the next call.
    const std::u16string& Text(const VcardProperty& p) {
        if (std::string_view(p.encoding) == "QUOTED-PRINTABLE") {
            DecodeVcardCharsetInto(DecodeQuotedPrintable(p.value), p.charset, false, decoded_);
        } else {
            DecodeVcardCharsetInto(p.value, p.charset, utf16File_, decoded_);
        }
        return decoded_;
    }

    // The value's parts split at the separator, escapes resolved; valid until the next call.
    std::span<const std::u16string> Parts(const VcardProperty& p, char16_t separator) {
        std::size_t count = SplitVcardValueInto(Text(p), separator, parts_);
        return {parts_.data(), count};
    }

    const std::u16string& Joined(std::span<const std::u16string> items) {
        JoinList(items, joined_);
        return joined_;
    }

    // The value's text with its escapes resolved; valid until the next call.
    const std::u16string& Unescaped(const VcardProperty& p) {
        UnescapeVcardInto(Text(p), unescaped_);
        return unescaped_;
    }

    void Apply(const VcardProperty& p) {
        // Names are compared as views: their sizes first, no library call for most.
        std::string_view encoding = p.encoding;
        if (encoding == "BASE64" || encoding == "B") return;
        std::string_view n = p.name;
        if (n == kVcardSimMarker) {
            sim_ = true;
        } else if (n == "N") {
            ApplyName(Parts(p, u';'));
        } else if (n == "FN") {
            formattedName_ = Unescaped(p);
        } else if (n == "ORG") {
            ApplyOrganization(Parts(p, u';'));
        } else if (n == "TITLE") {
            Place(kJobTitle, Unescaped(p));
        } else if (n == "URL") {
            Place(kWebPage,
                  std::string_view(p.valueType) == "text" ? Unescaped(p) : UrlValue(Text(p)));
        } else if (n == "CATEGORIES") {
            Join(kCategories, Joined(Parts(p, u',')));
        } else if (n == "TEL") {
            ApplyNumber(p);
        } else if (n == "EMAIL") {
            PlaceMarked(p, kEmailChain, Unescaped(p));
        } else if (n == "ADR") {
            ApplyAddress(p, Parts(p, u';'));
        } else {
            ApplyPerson(p);
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
    std::u16string_view Number(const VcardProperty& p) {
        std::u16string_view number = Unescaped(p);
        if (std::string_view(p.valueType) == "uri" && number.size() >= 4 &&
            EqualsIgnoreCase(number.substr(0, 4), u"tel:"))
            number.remove_prefix(4);
        return number;
    }

    void ApplyNumber(const VcardProperty& p) {
        std::u16string_view number = Number(p);
        if (number.empty()) return;
        if (firstNumber_.empty()) firstNumber_ = CutAtUnits(number, kVcardFieldMax);
        PlaceMarked(p, TelChain(p), number);
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

    // Assistant, spouse, children and office under the names the common producers give them.
    void ApplyPerson(const VcardProperty& p) {
        std::string_view n = p.name;
        if (IsAssistantName(n)) {
            Place(kAssistant, Unescaped(p));
        } else if (IsSpouseName(n)) {
            Place(kSpouse, Unescaped(p));
        } else if (IsChildrenName(n)) {
            Join(kChildren, Unescaped(p));
        } else if (IsOfficeName(n)) {
            Place(kOffice, Unescaped(p));
        } else if (n == "X-ABRELATEDNAMES" || n == "RELATED") {
            ApplyRelation(p.types, Unescaped(p));
        } else if (n == "X-ANDROID-CUSTOM") {
            std::span<const std::u16string> parts = Parts(p, u';');
            if (parts.size() < 3 || parts[0] != u"vnd.android.cursor.item/relation") return;
            // The platform's relation types: 1 assistant, 3 child, 14 spouse.
            if (parts[2] == u"1") Place(kAssistant, parts[1]);
            if (parts[2] == u"3") Join(kChildren, parts[1]);
            if (parts[2] == u"14") Place(kSpouse, parts[1]);
        }
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

    void PlaceMarked(const VcardProperty& p, std::span<const int> chain,
                     std::u16string_view value) {
        PlaceIn(chain, MarkedField(p.field), value);
    }

    // The marked field when it is one of the chain's and free, else the chain's first free one.
    void PlaceIn(std::span<const int> chain, int marked, std::u16string_view value) {
        if (value.empty()) return;
        if (marked >= 0 && std::ranges::find(chain, marked) != chain.end() &&
            fields_[marked].empty()) {
            fields_[marked] = CutAtUnits(value, kVcardFieldMax);
            return;
        }
        for (int field : chain) {
            if (!fields_[field].empty()) continue;
            fields_[field] = CutAtUnits(value, kVcardFieldMax);
            return;
        }
        ++leftOut_;
    }

    void Place(int field, std::u16string_view value) {
        PlaceIn(std::span<const int>(&field, 1), -1, value);
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
            std::string_view name = p.name;
            if (name == "TEL" && Number(p) == formattedName_) return;
            if (name == "EMAIL" && Unescaped(p) == formattedName_) return;
        }
        fields_[kFirst] = CutAtUnits(formattedName_, kVcardFieldMax);
    }

    bool utf16File_ = false;
    std::int32_t& leftOut_;
    std::array<std::u16string, kContactFieldCount> fields_;
    bool sim_ = false;
    std::u16string firstNumber_;
    std::u16string formattedName_;
    std::u16string decoded_;
    std::u16string unescaped_;
    std::vector<std::u16string> parts_;
    std::u16string joined_;
};

bool IsCardBoundary(const VcardProperty& p, std::string_view name) {
    if (std::string_view(p.name) != name) return false;
    std::string value;
    for (char c : p.value)
        if (c != ' ' && c != '\t') value += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    return value == "VCARD";
}

class VcardFileReader {
  public:
    VcardFileReader(std::FILE* stream, std::uint64_t sizeHint, ContactList& list,
                    VcardReadCounts& counts)
        : sizeHint_(sizeHint),
          properties_(stream, Wanted),
          list_(list),
          counts_(counts),
          builder_(counts.valuesLeftOut) {}

    bool Run() {
        while (true) {
            // The slots of the card being read are reused from card to card, with their room.
            if (used_ == card_.size()) card_.emplace_back();
            VcardProperty& p = card_[used_];
            if (!properties_.Next(p)) break;
            if (IsCardBoundary(p, "BEGIN")) {
                Begin();
            } else if (IsCardBoundary(p, "END")) {
                End();
            } else if (inCard_ && depth_ == 0) {
                Keep(p);
            }
            lastName_.assign(p.name);
        }
        return !properties_.failed();
    }

  private:
    void Begin() {
        // A 2.1 AGENT holds a whole card of its own, which is read past; any other BEGIN inside a
        // card drops the unfinished card and starts a new one.
        if (inCard_ && lastName_ == "AGENT") {
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

    // A large file's records would otherwise be moved again at every growth of the list; the
    // size of the cards read so far tells roughly how many the whole file holds.
    void MakeRoom() {
        std::vector<PhoneContactRecord>& phone = list_.phone;
        if (sizeHint_ == 0 || phone.size() < phone.capacity()) return;
        double perCard = static_cast<double>(properties_.bytesRead()) / counts_.cards;
        auto estimate = static_cast<std::size_t>(static_cast<double>(sizeHint_) / perCard * 1.1);
        try {
            phone.reserve(std::max(estimate, 2 * phone.size() + 16));
        } catch (const std::bad_alloc&) {
            // The list then grows as it can.
        }
    }

    void Keep(const VcardProperty& p) {
        if (std::string_view(p.name) == "VERSION") {
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
    std::string lastName_;
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
