#pragma once
// One Expat parser over an Android backup XML document, or over a piece of its content given the
// same root element, that turns each <sms> child of the root into a message node. It does not
// place messages in folders: that needs every earlier message, so it is left to whoever takes
// the batches in file order.

#include <expat.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sms/sms_tree.h"

// A message as parsed: its texts are ranges of the batch's text, already cut to the tree's
// limits. Nodes are made from it on the thread that places them, so that the whole tree comes
// from one thread's heap.
struct SmsXmlParsedMessage {
    std::size_t textAt = 0, addressAt = 0, nameAt = 0;
    std::uint32_t textSize = 0, addressSize = 0, nameSize = 0;
    std::int64_t milliseconds = 0;  // since 1970
    std::uint8_t type = 0;          // 1 to 6
    bool read = false;
    // Index into the batch's folder paths, or -1 when the message names no folder.
    std::int32_t folder = -1;
};

// What a parser made of the bytes it was given since the batch was last taken.
struct SmsXmlBatch {
    std::vector<SmsXmlParsedMessage> messages;
    std::u16string texts;
    // Our folder attributes, each kept once for a run of messages that name the same one.
    std::vector<std::string> folderPaths;
    std::int32_t skippedElements = 0;
    std::int32_t skippedAttributes = 0;
};

// The message node of a parsed message.
std::unique_ptr<SmsNode> SmsXmlMessageNode(const SmsXmlBatch& batch,
                                           const SmsXmlParsedMessage& message);

class SmsXmlParser {
  public:
    // Throws std::bad_alloc when Expat cannot make a parser.
    SmsXmlParser();
    ~SmsXmlParser();
    SmsXmlParser(const SmsXmlParser&) = delete;
    SmsXmlParser& operator=(const SmsXmlParser&) = delete;

    // False once the bytes so far are not well-formed, the root is not <smses> or the document
    // declares an entity.
    bool Feed(std::string_view bytes, bool final);
    SmsXmlBatch TakeBatch();
    // Lets the parser fill a spent batch, emptied, rather than a new one.
    void ReuseBatch(SmsXmlBatch spent);

    bool sawRoot() const { return sawRoot_; }
    // Our velloro_root attribute of the root, when it has one.
    const std::string* rootName() const { return hasRootName_ ? &rootName_ : nullptr; }
    // True unless the XML declaration names an encoding other than UTF-8.
    bool declaredUtf8() const { return declaredUtf8_; }

  private:
    static void XMLCALL OnStart(void* self, const XML_Char* name, const XML_Char** attributes);
    static void XMLCALL OnEnd(void* self, const XML_Char* name);
    static void XMLCALL OnXmlDeclaration(void* self, const XML_Char* version,
                                         const XML_Char* encoding, int standalone);
    static void XMLCALL OnEntityDeclaration(void* self, const XML_Char*, int, const XML_Char*, int,
                                            const XML_Char*, const XML_Char*, const XML_Char*,
                                            const XML_Char*);

    void Refuse();
    void Start(const char* name, const char** attributes);
    void AddMessage(const char** attributes);

    XML_Parser parser_;
    SmsXmlBatch batch_;
    std::string rootName_;
    int depth_ = 0;
    bool sawRoot_ = false;
    bool hasRootName_ = false;
    bool declaredUtf8_ = true;
    bool refused_ = false;
};
