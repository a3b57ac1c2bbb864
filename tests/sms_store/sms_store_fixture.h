#pragma once
// A phone per test with an SMS store and helpers to fill it.

#include <string>

#include "../phone/phone_fixture.h"
#include "../sms/sms_dump.h"
#include "platform/text.h"
#include "sms/sms_tree.h"

class SmsStoreTest : public PhoneTest {
  protected:
    void SetUp() override {
        PhoneTest::SetUp();
        top_ = TopFolder();
    }

    // The SMS store's top folder of the current phone, made on first use.
    std::int64_t TopFolder() {
        std::string error;
        auto top = SmsTopFolder(*Db(), error);
        EXPECT_TRUE(top) << error;
        return top.value_or(0);
    }

    std::int64_t Folder(std::vector<std::u16string> path) {
        std::string error;
        auto id = AddFolderPath(*Db(), top_, path, error);
        EXPECT_TRUE(id) << error;
        return id.value_or(0);
    }

    void Add(std::int64_t folder, const PhoneMessageSpec& message) {
        std::string error;
        ASSERT_TRUE(AddMessage(*Db(), folder, message, error)) << error;
    }

    static PhoneMessageSpec Received(std::u16string text, std::u16string name,
                                     std::u16string address, std::uint64_t delivered) {
        PhoneMessageSpec m;
        m.subject = std::move(text);
        m.senderName = std::move(name);
        m.senderAddress = std::move(address);
        m.delivered = FileTimeFromUint64(delivered);
        m.modified = FileTimeFromUint64(delivered + 5);
        m.size = 40;
        m.flags = 1;
        return m;
    }

    static PhoneMessageSpec Sent(std::u16string text, std::vector<MessageRecipientSpec> to,
                                 std::uint64_t time, bool unsent = false) {
        PhoneMessageSpec m;
        m.subject = std::move(text);
        m.to = std::move(to);
        m.delivered = FileTimeFromUint64(time);
        m.modified = FileTimeFromUint64(time + 7);
        m.size = 12;
        m.flags = unsent ? kSmsUnsentFlag | 1 : 1;
        return m;
    }

    std::int64_t top_ = 0;
};
