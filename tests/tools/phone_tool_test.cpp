#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tool_process.h"

namespace {

Outcome PhoneTool(const TempDir& dir, const std::string& args) {
    return RunTool(dir, VELLORO_PHONE_TOOL, args);
}

nlohmann::ordered_json Dump(const TempDir& dir) {
    Outcome run = PhoneTool(dir, "dump");
    EXPECT_EQ(run.status, 0);
    return nlohmann::ordered_json::parse(run.out);
}

TEST(PhoneToolTest, InitMakesTheDemoPhone) {
    TempDir dir;
    ASSERT_EQ(PhoneTool(dir, "init").status, 0);
    auto phone = Dump(dir);
    EXPECT_EQ(phone["sim"]["slots"], 250);
    EXPECT_EQ(phone["sim"]["entries"].size(), 20u);
    EXPECT_EQ(phone["contacts"].size(), 40u);
    ASSERT_EQ(phone["stores"].size(), 2u);
    EXPECT_EQ(phone["stores"][0]["name"], "SMS");
    EXPECT_EQ(phone["stores"][1]["name"], "ActiveSync");
    std::size_t messages = 0;
    std::vector<std::string> folders;
    for (const auto& folder : phone["stores"][0]["top"]["folders"]) {
        folders.push_back(folder["name"]);
        messages += folder["messages"].size();
    }
    EXPECT_EQ(folders, (std::vector<std::string>{"Inbox", "Sent Items", "Drafts", "Outbox",
                                                 "Deleted Items"}));
    EXPECT_EQ(messages, 150u);
    // A second init would lose the phone; only --force replaces it.
    EXPECT_EQ(PhoneTool(dir, "init --empty").status, 2);
    EXPECT_EQ(Dump(dir)["contacts"].size(), 40u);
    EXPECT_EQ(PhoneTool(dir, "init --empty --force").status, 0);
    EXPECT_EQ(Dump(dir)["contacts"].size(), 0u);
}

TEST(PhoneToolTest, AnEmptyPhoneDumpsExactlyWhatWasAdded) {
    TempDir dir;
    ASSERT_EQ(PhoneTool(dir, "init --empty --sim-slots 5 --sim-name-max 10").status, 0);
    ASSERT_EQ(PhoneTool(dir, "sim add --slot 3 Anna 5550100").status, 0);
    ASSERT_EQ(PhoneTool(dir, "sim add '' 123").status, 0);
    ASSERT_EQ(
        PhoneTool(dir,
                  "contact add FirstName=Bo department=Sales 'HomeAddressStreet=Ring 1\\nFlat 2'")
            .status,
        0);
    ASSERT_EQ(PhoneTool(dir, "sms folder Inbox/Old").status, 0);
    ASSERT_EQ(PhoneTool(dir,
                        "sms add Inbox --subject 'Hi, \"you\"' --from +111 --from-name Anna "
                        "--delivered 2026-12-06T17:51:03Z --size 120 --flags 1")
                  .status,
              0);
    ASSERT_EQ(PhoneTool(dir,
                        "sms add Drafts --subject '' --body 'x=y' --body-stream --to Anna=+111 "
                        "--to 'B=C=D' --modified 134000000000000000 --flags 8")
                  .status,
              0);
    ASSERT_EQ(PhoneTool(dir, "registry set '\\SOFTWARE\\Quorvane\\Velloro' Sort 2").status, 0);

    auto expected = nlohmann::ordered_json::parse(R"({
      "sim": {"slots": 5, "nameMax": 10, "numberMax": 40,
              "entries": [{"slot": 1, "number": "123"}, {"slot": 3, "name": "Anna", "number": "5550100"}]},
      "contacts": [{"FirstName": "Bo", "Department": "Sales", "HomeAddressStreet": "Ring 1\nFlat 2"}],
      "stores": [{"name": "SMS", "top": {"name": "Top of Information Store", "messages": [], "folders": [
        {"name": "Inbox", "messages": [
          {"subject": "Hi, \"you\"", "senderAddress": "+111", "senderName": "Anna",
           "delivered": "2026-12-06T17:51:03Z", "size": 120, "flags": 1, "class": "IPM.SMStext",
           "status": 262144}],
         "folders": [{"name": "Old", "messages": [], "folders": []}]},
        {"name": "Drafts", "messages": [
          {"subject": "", "body": "x=y", "modified": "2025-08-18T14:13:20Z", "flags": 8,
           "class": "IPM.SMStext", "status": 262144,
           "recipients": [{"type": 1, "addrType": "SMS", "address": "+111", "name": "Anna"},
                          {"type": 1, "addrType": "SMS", "address": "C=D", "name": "B"}]}],
         "folders": []}]}}],
      "registry": [{"key": "\\SOFTWARE\\Quorvane\\Velloro", "name": "Sort", "type": 4, "value": 2}]
    })");
    EXPECT_EQ(Dump(dir), expected) << Dump(dir).dump(2);
}

TEST(PhoneToolTest, ErrorsExitTwoAndChangeNothing) {
    TempDir dir;
    EXPECT_EQ(PhoneTool(dir, "dump").status, 2);  // no such phone
    ASSERT_EQ(PhoneTool(dir, "init --empty --sim-slots 1").status, 0);
    std::string before = PhoneTool(dir, "dump").out;
    const char* bad[] = {
        "contact add Nickname=Bo",
        "contact add FirstName",
        "sms add Inbox --subject x --delivered yesterday",
        "fault set sim.delete",
        "fault set sim.read --at 0",
        "sim add --slot 2 A 1",
        "sim add ABCDEFGHIJKLMNO 1",
        "registry delete '\\SOFTWARE' Sort",
        "store",
    };
    for (const char* args : bad)
        EXPECT_EQ(PhoneTool(dir, args).status, 2) << args;
    EXPECT_EQ(PhoneTool(dir, "dump").out, before);
}

TEST(PhoneToolTest, FaultSwitchesStayUntilCleared) {
    TempDir dir;
    ASSERT_EQ(PhoneTool(dir, "init --empty").status, 0);
    ASSERT_EQ(PhoneTool(dir, "fault set sim.read --at 3").status, 0);
    ASSERT_EQ(PhoneTool(dir, "fault set contacts.save").status, 0);
    EXPECT_EQ(PhoneTool(dir, "fault list").out, "contacts.save\nsim.read --at 3\n");
    ASSERT_EQ(PhoneTool(dir, "fault clear contacts.save").status, 0);
    EXPECT_EQ(PhoneTool(dir, "fault list").out, "sim.read --at 3\n");
    ASSERT_EQ(PhoneTool(dir, "fault clear").status, 0);
    EXPECT_EQ(PhoneTool(dir, "fault list").out, "");
}

}  // namespace

namespace {

// A deep folder tree once took the dump into deep recursion and indentation that grew with the
// depth (10,000 levels: 24 s, 1.2 GB). Now it walks without recursion and stops indenting
// further past a fixed depth, so the output stays linear in the tree.
TEST(PhoneToolTest, ADeepFolderTreeDumpsInLinearSpace) {
    constexpr int kDepth = 5000;
    TempDir dir;
    ASSERT_EQ(PhoneTool(dir, "init --empty").status, 0);
    std::string path = "d";
    for (int i = 1; i < kDepth; ++i)
        path += "/d";
    ASSERT_EQ(PhoneTool(dir, "sms add " + path + " --subject deepest").status, 0);
    Outcome run = PhoneTool(dir, "dump");
    ASSERT_EQ(run.status, 0);
    // About six lines of at most 150 bytes a level; growing indentation would need 150 MB.
    EXPECT_LT(run.out.size(), static_cast<std::size_t>(kDepth) * 1000);
    std::size_t names = 0, widest = 0, opened = 0, closed = 0;
    for (std::size_t at = 0; (at = run.out.find("\"name\": \"d\"", at)) != std::string::npos; ++at)
        ++names;
    for (std::size_t start = 0; start < run.out.size();) {
        std::size_t end = run.out.find('\n', start);
        std::size_t indent = run.out.find_first_not_of(' ', start) - start;
        widest = std::max(widest, indent);
        start = end == std::string::npos ? run.out.size() : end + 1;
    }
    for (char c : run.out) {
        opened += c == '{' || c == '[';
        closed += c == '}' || c == ']';
    }
    EXPECT_EQ(names, static_cast<std::size_t>(kDepth));
    EXPECT_LE(widest, 2u * 64u + 2u);
    EXPECT_EQ(opened, closed);
    EXPECT_NE(run.out.find("\"subject\": \"deepest\""), std::string::npos);
}

}  // namespace
