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

struct VcardProperty {
    std::string group;               // upper case; empty without a group
    std::string name;                // upper case
    std::vector<std::string> types;  // lower case: TYPE values and 2.1's bare parameters
    std::string encoding;            // upper case
    std::string charset;
    std::string valueType;  // VALUE=, lower case
    std::string field;      // our own kVcardFieldParameterName
    std::string value;      // raw: still escaped and encoded
    bool held = false;      // false for a property the caller did not want: only its name is set
};

// A logical line keeps at most this many bytes; the rest of it is read and dropped.
constexpr std::size_t kVcardLineMax = 1 << 16;

class VcardPropertyReader {
  public:
    // wanted(name) says whether a property's value is worth holding.
    VcardPropertyReader(std::FILE* stream, bool (*wanted)(std::string_view));

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

    bool ReadPhysicalLine(std::string& line);
    bool PeekLine();
    bool Refill();
    void DecodeUtf16(const unsigned char* bytes, std::size_t n);
    void DetectMark();

    std::FILE* stream_;
    bool (*wanted_)(std::string_view);
    Encoding encoding_ = Encoding::Bytes;
    bool markChecked_ = false;
    bool eof_ = false;
    bool failed_ = false;
    bool version21_ = false;
    std::uint64_t bytesRead_ = 0;
    std::string carry_;  // undecoded bytes of a UTF-16 unit or pair cut by a block end
    std::string buffer_;
    std::size_t at_ = 0;
    std::string peeked_;
    bool hasPeeked_ = false;
    std::string first_;
};

// Empties every part of the property, keeping the room its strings hold.
void ClearVcardProperty(VcardProperty& property);

// Parses "group.NAME;params:value" into property (value and held excepted); false when the
// line has no colon after its name.
bool ParseVcardHead(std::string_view line, VcardProperty& property, std::size_t& valueStart);
