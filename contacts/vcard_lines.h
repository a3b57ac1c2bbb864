#pragma once
// A vCard file as a stream of properties: byte-order mark and UTF-16 decoding, line ends,
// unfolding, quoted-printable soft line breaks, and the parts of a property line. Only the
// properties the caller wants are held; the others (photos among them) are read past.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

constexpr std::string_view kVcardFieldParameterName = "X-VELLORO-FIELD";

// The TYPE values a reader asks about for every number and address, as bits beside the list.
constexpr std::uint32_t kVcardTypeFax = 1u << 0;
constexpr std::uint32_t kVcardTypeHome = 1u << 1;
constexpr std::uint32_t kVcardTypeWork = 1u << 2;
constexpr std::uint32_t kVcardTypePager = 1u << 3;
constexpr std::uint32_t kVcardTypeRadio = 1u << 4;      // radio, x-radio, x-evolution-radio
constexpr std::uint32_t kVcardTypeAssistant = 1u << 5;  // (x-)(evolution-)assistant
constexpr std::uint32_t kVcardTypeCar = 1u << 6;
constexpr std::uint32_t kVcardTypeCell = 1u << 7;  // cell, mobile

struct VcardProperty {
    std::string group;               // upper case; empty without a group
    std::string name;                // upper case
    int kind = 0;                    // what the classifier made of the name
    std::vector<std::string> types;  // lower case: TYPE values and 2.1's bare parameters
    std::uint32_t typeBits = 0;      // the kVcardType bits of the types
    std::string encoding;            // upper case
    std::string charset;
    std::string valueType;  // VALUE=, lower case
    std::string field;      // our own kVcardFieldParameterName
    std::string value;      // raw: still escaped and encoded
    bool held = false;      // false for a property the caller did not want
};

// Adds a lower-case type to the property's list and bits.
void AddVcardType(VcardProperty& property, std::string_view lower);

// A logical line keeps at most this many bytes; the rest of it is read and dropped.
constexpr std::size_t kVcardLineMax = 1 << 16;

// What a caller makes of an upper-case property name: above 0 a property whose value is held,
// 0 or below one read past (below 0 still tells the caller which it was).
using VcardClassifier = int (*)(std::string_view name);

class VcardPropertyReader {
  public:
    VcardPropertyReader(std::FILE* stream, VcardClassifier classify);

    // The next property; false at the end of the file or after a read error (failed()).
    bool Next(VcardProperty& property);
    bool failed() const { return failed_; }
    // Bytes taken from the stream so far (a block ahead of what Next gave).
    std::uint64_t bytesRead() const { return bytesRead_; }
    // True when the file was UTF-16: its values are already Unicode, whatever CHARSET says.
    bool wasUtf16() const { return encoding_ != Encoding::Bytes; }
    // 2.1 keeps the blank of a folded line; 3.0 and 4.0 drop it.
    void SetVersion21(bool on) { version21_ = on; }

  private:
    enum class Encoding { Bytes, Utf16Le, Utf16Be };

    // The next physical line without its line end, cut to kVcardLineMax bytes; the view holds
    // until the next call.
    bool Line(std::string_view& line);
    bool LongLine(std::string_view& line);
    bool NextIsFolded();
    bool Refill();
    void DecodeUtf16(const unsigned char* bytes, std::size_t n);
    void DetectMark();

    std::FILE* stream_;
    VcardClassifier classify_;
    Encoding encoding_ = Encoding::Bytes;
    bool markChecked_ = false;
    bool eof_ = false;
    bool failed_ = false;
    bool version21_ = false;
    std::uint64_t bytesRead_ = 0;
    std::string carry_;  // undecoded bytes of a UTF-16 unit or pair cut by a block end
    std::string buffer_;
    std::size_t at_ = 0;
    std::string long_;  // the kept start of a line longer than the buffer holds
};

// Empties every part of the property, keeping the room its strings hold.
void ClearVcardProperty(VcardProperty& property);

// Parses "group.NAME;params:value" into property (kind, value and held excepted); false when
// the line has no colon after its name.
bool ParseVcardHead(std::string_view line, VcardProperty& property, std::size_t& valueStart);
