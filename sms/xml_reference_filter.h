#pragma once
// Rewrites the numeric character references a strict XML parser refuses, before it sees them:
// a UTF-16 surrogate pair written as two references (&#55357;&#56832;, as the peer app writes
// characters beyond the BMP) becomes one reference to the character (&#x1F600;); a lone
// surrogate or any other number XML 1.0 has no character for becomes &#xFFFD;. Every other
// byte passes unchanged. Works on a stream cut into blocks anywhere.

#include <string>
#include <string_view>

class XmlReferenceFilter {
  public:
    // Appends the filtered bytes of the next block to out; a reference cut by the block's end
    // waits for the next call. final says no more blocks follow.
    void Filter(std::string_view block, std::string& out, bool final);

  private:
    std::string pending_;
};
