#pragma once
// The dialogs' tests: a GUI test with its own phone file in a temporary folder (never the
// user's phone), a frame window to own the dialog, and helpers to read what was written.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <string_view>

// Before any Qt header: the phone's SimSetup has a field that Qt's keywords would rename.
#include "platform/phone/fault_switches.h"
#include "platform/phone/phone_db.h"
#include "platform/phone/phone_editor.h"
#include "platform/phone/phone_location.h"

#include "core/operation_request.h"
#include "gui_test_support.h"
#include "platform/text.h"
#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/message_box.h"
#include "ui/shell.h"
#include "app/dialog_procs.h"
#include "sms/sms_tree.h"

class DialogTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        setenv("XDG_DATA_HOME", (files_ / "xdg").c_str(), 1);
        unsetenv("VELLORO_PHONE");
        MakePhone(true);
        frame_ = CreateFrameWindow(u"Velloro");
    }
    void TearDown() override {
        ClearSmsTree(ProgramSmsTree());
        SetPhonePath("");
        GuiTest::TearDown();
    }

    void MakePhone(bool demo) {
        phonePath_ = (files_ / ("phone" + std::to_string(++phones_) + ".db")).string();
        std::string error;
        ASSERT_TRUE(CreatePhoneFile(phonePath_, SimSetup{}, demo, false, error)) << error;
        SetPhonePath(phonePath_);
        ResetFaultCounters();
    }

    void SetFault(std::string_view name) {
        auto point = FaultPointByName(name);
        ASSERT_TRUE(point) << name;
        std::string error;
        auto db = OpenPhoneDb(phonePath_, error);
        ASSERT_TRUE(db) << error;
        ASSERT_TRUE(SetFaultSwitch(*db, *point, 0));
        ResetFaultCounters();
    }

    LRESULT Open(int templateId, DialogProc proc, LPARAM mode) {
        return DialogBoxParam(templateId, frame_, std::move(proc), mode);
    }

    std::u16string Text(HWND dialog, int id) { return GetWindowText(GetDlgItem(dialog, id), 300); }

    // A UTF-16LE file without its byte-order mark.
    static std::u16string ReadUtf16File(const std::filesystem::path& path) {
        const std::string bytes = ReadBytes(path);
        std::u16string text;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          (static_cast<unsigned char>(bytes[i + 1]) << 8));
        }
        return text;
    }

    static std::unique_ptr<SmsNode> MessageNode(std::u16string text, std::u16string sender,
                                                std::uint64_t time = 133806528000000000ull) {
        auto data = std::make_unique<SmsMessageData>();
        data->text = std::move(text);
        data->senderName = std::move(sender);
        data->senderAddress = u"+111";
        data->deliveryTime = FileTimeFromUint64(time);
        auto node = CreateSmsNode(kSmsMessageKind);
        AttachSmsMessage(*node, std::move(data));
        return node;
    }

    TempDir files_;
    std::string phonePath_;
    int phones_ = 0;
    HWND frame_ = nullptr;
};
