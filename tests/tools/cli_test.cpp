#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <nlohmann/json.hpp>

#include "tool_process.h"

namespace {

class CliTest : public ::testing::Test {
  protected:
    Outcome Cli(const std::string& args) { return RunTool(dir, VELLORO_CLI, args); }
    Outcome Phone(const std::string& args) { return RunTool(dir, VELLORO_PHONE_TOOL, args); }
    nlohmann::json Dump() { return nlohmann::json::parse(Phone("dump").out); }
    std::string P(const std::string& name) const { return Quote(dir / name); }

    TempDir dir;
};

TEST_F(CliTest, ConvertersKeepEveryByteAndFailWithTheUsersMessage) {
    std::string backup = Quote(TestDataPath("contacts/every_field_backup.txt"));
    Outcome ok = Cli("convert-contacts " + backup + " " + P("copy.txt"));
    EXPECT_EQ(ok.status, 0);
    EXPECT_EQ(ok.out, "");
    EXPECT_EQ(ReadBytes(dir / "copy.txt"), ReadTestData("contacts/every_field_backup.txt"));
    EXPECT_EQ(Cli("convert-contacts " + backup + " " + P("copy.csv")).status, 0);
    EXPECT_EQ(ReadBytes(dir / "copy.csv"), ReadTestData("contacts/every_field.csv"));

    Outcome missing = Cli("convert-contacts " + P("missing.txt") + " " + P("x.txt"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err,
              "Import failed. Please check the file is existed and encoding is Unicode "
              "little-endian.(103)\n");
    Outcome unwritable = Cli("convert-contacts " + backup + " " + P("no/such/folder.txt"));
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_TRUE(unwritable.err.ends_with("(7)\n"));

    std::string data = Quote(TestDataPath("sms/example.dat"));
    EXPECT_EQ(Cli("convert-sms " + data + " " + P("copy.dat")).status, 0);
    EXPECT_EQ(ReadBytes(dir / "copy.dat"), ReadTestData("sms/example.dat"));
    WriteBytes(dir / "cut.dat", ReadTestData("sms/example.dat").substr(0, 1000));
    Outcome damaged = Cli("convert-sms " + P("cut.dat") + " " + P("x.txt"));
    EXPECT_EQ(damaged.status, 1);
    EXPECT_EQ(damaged.err,
              "Parse file failed. Please check the file is right and try again.(402)\n");
}

TEST_F(CliTest, UsageErrorsExitTwoAndChangeNothing) {
    for (const char* args : {"", "no-such-command", "backup-contacts --type sim",
                             "backup-contacts --type everything x.txt", "order sideways",
                             "convert-sms a.dat b.txt --sort size"}) {
        EXPECT_EQ(Cli(args).status, 2) << args;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "phone.db"));
    EXPECT_EQ(Cli("--help").status, 0);
}

TEST_F(CliTest, ContactJobsReportTheOperationsCodes) {
    ASSERT_EQ(Phone("init").status, 0);
    struct Case {
        std::string args;
        int status;
        std::string tail;
    } cases[] = {
        {"backup-contacts --type both ''", 1, "(2)\n"},
        {"backup-contacts --type 0 " + P("a.txt"), 1, "(1)\n"},
        {"restore-contacts --type 9 " + P("a.txt"), 1, "(101)\n"},
        {"restore-contacts --type sim ''", 1, "(102)\n"},
        {"restore-contacts --type both " + P("missing.txt"), 1, "(103)\n"},
    };
    for (const Case& c : cases) {
        Outcome outcome = Cli(c.args);
        EXPECT_EQ(outcome.status, c.status) << c.args;
        EXPECT_TRUE(outcome.err.ends_with(c.tail)) << c.args << ": " << outcome.err;
        EXPECT_EQ(outcome.out, "") << c.args;
    }
    ASSERT_EQ(Phone("fault set sim.open").status, 0);
    EXPECT_TRUE(Cli("backup-contacts --type sim " + P("a.txt")).err.ends_with("(3)\n"));
    EXPECT_TRUE(Cli("copy-sim").err.ends_with("(201)\n"));
    EXPECT_FALSE(std::filesystem::exists(dir / "a.txt"));
}

TEST_F(CliTest, BackupThenRestoreIntoAnEmptyPhoneBringsEverythingBack) {
    ASSERT_EQ(Phone("init").status, 0);
    nlohmann::json before = Dump();
    // --quiet, before or after the command, leaves the result line alone.
    Outcome backup = Cli("--quiet backup-contacts --type both " + P("contacts.txt"));
    ASSERT_EQ(backup.status, 0) << backup.err;
    EXPECT_EQ(backup.out, "Export succeeded.\n");
    ASSERT_EQ(Cli("backup-sms " + P("sms.dat") + " --quiet").out, "Export succeeded.\n");

    // An empty phone, but for the SMS store a phone always has.
    ASSERT_EQ(Phone("init --empty --force").status, 0);
    ASSERT_EQ(Phone("store add SMS").status, 0);
    Outcome restore = Cli("-q restore-contacts --type both " + P("contacts.txt"));
    ASSERT_EQ(restore.status, 0) << restore.err;
    EXPECT_EQ(restore.out, "Import succeeded.\n");
    EXPECT_EQ(Cli("restore-contacts --type both " + P("contacts.txt")).status, 0);
    ASSERT_EQ(Cli("restore-sms " + P("sms.dat") + " -q").out, "Import succeeded.\n");

    nlohmann::json after = Dump();
    // The SIM fills its first free slots, and an entry without a number is never written.
    auto entries = [](const nlohmann::json& phone) {
        std::vector<std::string> out;
        for (const auto& e : phone["sim"]["entries"])
            if (e.contains("number"))
                out.push_back(e.value("name", "") + "=" + std::string(e["number"]));
        return out;
    };
    EXPECT_EQ(entries(after), entries(before));
    EXPECT_EQ(entries(before).size(), before["sim"]["entries"].size() - 1);
    EXPECT_EQ(after["contacts"].size(),
              before["contacts"].size());  // the second restore added none
    auto folders = [](const nlohmann::json& phone) {
        std::vector<std::pair<std::string, std::size_t>> out;
        for (const auto& f : phone["stores"][0]["top"]["folders"])
            out.emplace_back(f["name"], f["messages"].size());
        return out;
    };
    EXPECT_EQ(folders(after), folders(before));
}

// The two ways to another phone: contacts as vCard, messages as the Android backup XML; each
// read back by its content, whatever the name; restoring the vCard twice adds nothing the second
// time.
TEST_F(CliTest, MovingToAnotherPhoneThroughVcardAndXml) {
    ASSERT_EQ(Phone("init").status, 0);
    nlohmann::json before = Dump();
    ASSERT_EQ(Cli("--quiet backup-contacts --type both " + P("contacts.vcf")).out,
              "Export succeeded.\n");
    EXPECT_TRUE(ReadBytes(dir / "contacts.vcf").starts_with("BEGIN:VCARD\r\nVERSION:3.0\r\n"));
    ASSERT_EQ(Cli("--quiet backup-sms " + P("sms.xml")).out, "Export succeeded.\n");
    EXPECT_TRUE(ReadBytes(dir / "sms.xml").starts_with("<?xml version='1.0'"));

    ASSERT_EQ(Phone("init --empty --force").status, 0);
    ASSERT_EQ(Phone("store add SMS").status, 0);
    for (int run = 0; run < 2; ++run) {
        Outcome restore = Cli("restore-contacts --type both " + P("contacts.vcf"));
        ASSERT_EQ(restore.status, 0) << restore.err;
        EXPECT_EQ(restore.out, run == 0 ? "Import succeeded.\nPhone: 40 read, 40 added, 0 already "
                                          "present. SIM: 20 read, 19 added, 0 already present, 1 "
                                          "left out without a number.\n"
                                        : "Import succeeded.\nPhone: 40 read, 0 added, 40 already "
                                          "present. SIM: 20 read, 0 added, 19 already present, 1 "
                                          "left out without a number.\n");
    }
    ASSERT_EQ(Cli("--quiet restore-sms " + P("sms.xml")).out, "Import succeeded.\n");
    nlohmann::json after = Dump();
    EXPECT_EQ(after["sim"]["entries"].size(), before["sim"]["entries"].size() - 1);
    EXPECT_EQ(after["contacts"], before["contacts"]);
    auto folders = [](const nlohmann::json& phone) {
        std::vector<std::pair<std::string, std::size_t>> out;
        for (const auto& f : phone["stores"][0]["top"]["folders"])
            if (!f["messages"].empty()) out.emplace_back(f["name"], f["messages"].size());
        return out;
    };
    EXPECT_EQ(folders(after), folders(before));

    std::string backup = Quote(TestDataPath("contacts/every_field_backup.txt"));
    ASSERT_EQ(Cli("convert-contacts " + backup + " " + P("a.vcf")).status, 0);
    ASSERT_EQ(Cli("convert-contacts " + P("a.vcf") + " " + P("b.txt")).status, 0);
    EXPECT_EQ(ReadBytes(dir / "b.txt"), ReadTestData("contacts/every_field_backup.txt"));
    std::string data = Quote(TestDataPath("sms/example.dat"));
    ASSERT_EQ(Cli("convert-sms " + data + " " + P("c.xml")).status, 0);
    ASSERT_EQ(Cli("convert-sms " + P("c.xml") + " " + P("d.dat")).status, 0);
    ASSERT_EQ(Cli("convert-sms " + P("d.dat") + " " + P("e.xml")).status, 0);
    EXPECT_EQ(ReadBytes(dir / "e.xml"), ReadBytes(dir / "c.xml"));
    WriteBytes(dir / "cut.xml", ReadBytes(dir / "c.xml").substr(0, 200));
    EXPECT_EQ(Cli("convert-sms " + P("cut.xml") + " " + P("f.dat")).err,
              "Parse file failed. Please check the file is right and try again.(402)\n");
}

// What a restore passes over in a file of another producer is said, not silently dropped.
TEST_F(CliTest, RestoresSayWhatTheFileHeldThatHadNoPlace) {
    ASSERT_EQ(Phone("init --empty").status, 0);
    ASSERT_EQ(Phone("store add SMS").status, 0);
    WriteBytes(
        dir / "a.xml",
        "<?xml version='1.0' encoding='UTF-8' standalone='yes' ?>\n<smses count=\"2\">\n"
        "<sms address=\"+111\" date=\"1700000000000\" type=\"1\" body=\"Hi\" foo=\"x\" />\n"
        "<mms date=\"1\" />\n<call number=\"1\" />\n"
        "<sms address=\"+222\" date=\"1700000001000\" type=\"2\" body=\"Yes\" />\n</smses>\n");
    EXPECT_EQ(Cli("restore-sms " + P("a.xml")).out,
              "Import succeeded.\n2 folders created, 0 opened; 2 messages created.\n"
              "Skipped in the file: 2 elements that are no SMS (MMS, calls, incomplete messages), "
              "1 unknown attribute.\n");
    WriteBytes(dir / "c.vcf",
               "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jo;;;\r\nFN:Jo Doe\r\nEMAIL:a@x\r\n"
               "EMAIL:b@x\r\nEMAIL:c@x\r\nEMAIL:d@x\r\nEND:VCARD\r\n");
    EXPECT_EQ(Cli("restore-contacts --type phone " + P("c.vcf")).out,
              "Import succeeded.\nPhone: 1 read, 1 added, 0 already present. 1 vCard value left "
              "out: every field of their kind was taken.\n");
    EXPECT_EQ(Cli("--quiet restore-sms " + P("a.xml")).out, "Import succeeded.\n");
}

TEST_F(CliTest, UntickedFoldersAndMessagesAreLeftOut) {
    ASSERT_EQ(Phone("init --empty").status, 0);
    ASSERT_EQ(Phone("sms folder Inbox/Work").status, 0);
    for (const char* text : {"one", "two", "three"})
        ASSERT_EQ(Phone(std::string("sms add Inbox --subject ") + text + " --from +111").status, 0);
    ASSERT_EQ(Phone("sms add Inbox/Work --subject w --from +222").status, 0);

    Outcome saved = Cli("backup-sms --untick 'Inbox#2' --untick Inbox/Work " + P("out.txt"));
    ASSERT_EQ(saved.status, 0) << saved.err;
    std::string text = ReadBytes(dir / "out.txt");
    EXPECT_NE(text.find("Content:\none\n"), std::string::npos);
    EXPECT_EQ(text.find("Content:\ntwo\n"), std::string::npos);
    EXPECT_EQ(text.find("Content:\nw\n"), std::string::npos);
    EXPECT_EQ(text.find("Folder:Work"), std::string::npos);
    EXPECT_EQ(Cli("backup-sms --untick Outbox " + P("x.dat")).status, 2);
}

TEST_F(CliTest, TheExportOrderLivesInThePhonesRegistry) {
    ASSERT_EQ(Phone("init --empty").status, 0);
    EXPECT_EQ(Cli("order").out, "date asc\n");
    EXPECT_EQ(Cli("order name desc").status, 0);
    EXPECT_EQ(Cli("order").out, "name desc\n");
    EXPECT_EQ(Cli("order date").status, 0);
    EXPECT_EQ(Cli("order").out, "date desc\n");
    ASSERT_EQ(Phone("registry set '\\SOFTWARE\\Quorvane\\Velloro' Sort 5").status, 0);
    ASSERT_EQ(Phone("registry set '\\SOFTWARE\\Quorvane\\Velloro' Sequence 7").status, 0);
    EXPECT_EQ(Cli("order").out, "name none\n");
}

TEST_F(CliTest, ASummaryLineFollowsTheResultLineOnItsStream) {
    ASSERT_EQ(Phone("init --empty").status, 0);
    ASSERT_EQ(Phone("sim add Anna 111").status, 0);
    ASSERT_EQ(Phone("sim add Nonumber ''").status, 0);
    ASSERT_EQ(Phone("contact add FirstName=Bo").status, 0);
    ASSERT_EQ(Phone("sms folder Inbox/Work").status, 0);
    for (const char* text : {"one", "two"})
        ASSERT_EQ(Phone(std::string("sms add Inbox --subject ") + text + " --from +111").status, 0);
    ASSERT_EQ(Phone("sms add Inbox/Work --subject w --to Bob=+222").status, 0);

    EXPECT_EQ(Cli("backup-contacts --type both " + P("c.txt")).out,
              "Export succeeded.\n2 SIM entries and 1 phone contact written.\n");
    EXPECT_EQ(Cli("restore-contacts --type both " + P("c.txt")).out,
              "Import succeeded.\nPhone: 1 read, 0 added, 1 already present. SIM: 2 read, 0 added, "
              "2 already present.\n");
    EXPECT_EQ(Cli("copy-sim").out,
              "Copy succeeded.\n2 SIM entries: 1 copied, 0 already present, 1 without a number.\n");
    EXPECT_EQ(Cli("backup-sms --untick 'Inbox#2' " + P("s.dat")).out,
              "Export succeeded.\n2 folders and 2 messages written, 1 unticked left out.\n");

    // Twice with --skip-existing: the second run adds nothing; without it, everything doubles.
    const std::string again =
        "Import succeeded.\n0 folders created, 2 opened; 0 messages created, 2 "
        "already present.\n";
    EXPECT_EQ(Cli("restore-sms --skip-existing " + P("s.dat")).out, again);
    EXPECT_EQ(Cli("restore-sms " + P("s.dat") + " --skip-existing").out, again);
    EXPECT_EQ(Cli("restore-sms " + P("s.dat")).out,
              "Import succeeded.\n0 folders created, 2 opened; 2 messages created.\n");
    EXPECT_EQ(Cli("convert-sms --skip-existing " + P("s.dat") + " " + P("s.txt")).status, 2);
    EXPECT_FALSE(std::filesystem::exists(dir / "s.txt"));

    // A failure: the message on standard error first, then what was done before it.
    ASSERT_EQ(Phone("fault set sms.createmessage --at 2").status, 0);
    Outcome failed = Cli("restore-sms " + P("s.dat"));
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "");
    const std::string message = "Import SMS failed. Please restart device and try again.(404)\n";
    EXPECT_EQ(failed.err, message + "0 folders created, 2 opened; 1 message created.\n");
    EXPECT_EQ(Cli("--quiet restore-sms " + P("s.dat")).err, message);

    // The last messages commit as the job ends; a commit refused there is a failure too.
    ASSERT_EQ(Phone("fault clear").status, 0);
    ASSERT_EQ(Phone("fault set phone.commit").status, 0);
    Outcome lost = Cli("-q restore-sms " + P("s.dat"));
    EXPECT_EQ(lost.status, 1);
    EXPECT_EQ(lost.err, message);
}

// The data file is written while the store is read; a read that fails part way must still
// leave the old file as it was, and a file that cannot be written fails only the export.
TEST_F(CliTest, AFailedSmsBackupLeavesTheFileItWouldReplace) {
    ASSERT_EQ(Phone("init").status, 0);
    WriteBytes(dir / "s.dat", "the previous backup");
    ASSERT_EQ(Phone("fault set sms.message --at 100").status, 0);
    Outcome failed = Cli("backup-sms " + P("s.dat"));
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "");
    EXPECT_EQ(failed.err,
              "Read SMS failed. Please restart device and try again. If the problem still exists, "
              "please contact your vendor.(401)\n");
    EXPECT_EQ(ReadBytes(dir / "s.dat"), "the previous backup");

    ASSERT_EQ(Phone("fault clear").status, 0);
    Outcome unwritable = Cli("backup-sms " + P("missing/s.dat"));
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_EQ(unwritable.err,
              "Export SMS failed. Please restart device and try again.(403)\n"
              "0 folders and 0 messages written.\n");
    Outcome saved = Cli("backup-sms " + P("s.dat"));
    EXPECT_EQ(saved.status, 0);
    EXPECT_EQ(saved.out, "Export succeeded.\n5 folders and 150 messages written.\n");
}

TEST_F(CliTest, ARestoreThatReadsNothingSaysWhatItExpects) {
    ASSERT_EQ(Phone("init --empty").status, 0);
    ASSERT_EQ(Phone("store add SMS").status, 0);
    ASSERT_EQ(Phone("contact add FirstName=Bo").status, 0);
    ASSERT_EQ(Cli("-q backup-contacts --type phone " + P("c.csv")).status, 0);
    Outcome csv = Cli("restore-contacts --type phone " + P("c.csv"));
    EXPECT_EQ(csv.status, 0);
    EXPECT_EQ(csv.out,
              "Import succeeded.\nPhone: 0 read, 0 added, 0 already present.\nWarning: the file "
              "holds no contacts. restore-contacts expects a contact text backup written by "
              "backup-contacts (a CSV file cannot be restored).\n");
    EXPECT_EQ(Cli("restore-contacts --type phone " + P("c.csv") + " --quiet").out,
              "Import succeeded.\n");

    // A data file of its root alone: the store holds no folder yet.
    ASSERT_EQ(Cli("-q backup-sms " + P("root.dat")).status, 0);
    EXPECT_EQ(Cli("restore-sms " + P("root.dat")).out,
              "Import succeeded.\n0 folders created, 0 opened; 0 messages created.\nWarning: the "
              "file holds no messages. restore-sms expects an SMS data file (.dat) written by "
              "backup-sms.\n");
}

}  // namespace

namespace {

// Every command that opens the phone.
std::vector<std::string> PhoneCommands(const std::string& folder) {
    std::string sms = Quote(TestDataPath("sms/example.dat"));
    std::string contacts = Quote(TestDataPath("contacts/every_field_backup.txt"));
    return {
        "backup-contacts --type both " + folder + "/c.txt",
        "restore-contacts --type both " + contacts,
        "copy-sim",
        "backup-sms " + folder + "/s.dat",
        "restore-sms " + sms,
        "order",
        "order name desc",
        "convert-sms " + sms + " " + folder + "/s.txt",
    };
}

}  // namespace

// A phone named on the command line that is missing, foreign or read-only is named as such
// before any job runs, never reported as a SIM or store fault.
TEST_F(CliTest, UnusablePhonesAreNamedBeforeTheJob) {
    std::filesystem::create_directory(dir / "folder.db");
    WriteBytes(dir / "text.db", "just some text\n");
    const std::pair<std::string, std::string> phones[] = {
        {"typo.db", "no phone at " + (dir / "typo.db").string()},
        {"text.db", (dir / "text.db").string() + " is not a Velloro phone"},
        {"folder.db", (dir / "folder.db").string() + " is not a Velloro phone"},
    };
    for (const auto& [name, reason] : phones) {
        for (const std::string& args : PhoneCommands(dir.path().string())) {
            Outcome outcome = RunToolOnPhone(dir, VELLORO_CLI, dir / name, args);
            EXPECT_EQ(outcome.status, 1) << name << ": " << args;
            EXPECT_EQ(outcome.err, "velloro-cli: " + reason + "\n") << args;
            EXPECT_EQ(outcome.out, "") << args;
        }
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "typo.db"));
    EXPECT_EQ(ReadBytes(dir / "text.db"), "just some text\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "c.txt"));
    EXPECT_FALSE(std::filesystem::exists(dir / "s.txt"));
}

// The phone layer opens a phone for writing even to read it, so a read-only phone is refused
// for every command, by name.
TEST_F(CliTest, AReadOnlyPhoneIsNamedForEveryCommand) {
    std::string prefix;
    if (geteuid() == 0) {
        // Root writes any file; the refusal is what every other user meets.
        if (std::system("command -v setpriv >/dev/null") != 0) GTEST_SKIP() << "no setpriv";
        prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups --";
    }
    std::filesystem::path phone = dir / "ro" / "p.db";
    std::filesystem::path out = dir / "out";
    std::filesystem::create_directories(phone.parent_path());
    std::filesystem::create_directories(out);
    ASSERT_EQ(RunToolOnPhone(dir, VELLORO_PHONE_TOOL, phone, "init").status, 0);
    chmod(dir.path().c_str(), 0755);
    chmod(phone.parent_path().c_str(), 0777);  // only the phone itself is read-only
    chmod(phone.c_str(), 0444);
    chmod(out.c_str(), 0777);
    const std::string before = ReadBytes(phone);
    for (const std::string& args : PhoneCommands(out.string())) {
        Outcome outcome = RunToolOnPhone(dir, VELLORO_CLI, phone, args, prefix);
        EXPECT_EQ(outcome.status, 1) << args;
        EXPECT_EQ(outcome.err, "velloro-cli: " + phone.string() + " cannot be written\n") << args;
    }
    EXPECT_EQ(ReadBytes(phone), before);
    EXPECT_TRUE(std::filesystem::is_empty(out));
}

// Anything but a regular file is refused at once, like a missing file, and a failed load
// writes nothing.
TEST_F(CliTest, FifosDevicesAndForeignRecordsAreRefusedAtOnce) {
    ASSERT_EQ(Phone("init").status, 0);
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    for (const std::string& input : {(dir / "fifo").string(), std::string("/dev/zero")}) {
        Outcome contacts = Cli("restore-contacts --type both " + Quote(input));
        EXPECT_EQ(contacts.status, 1) << input;
        EXPECT_TRUE(contacts.err.ends_with("(103)\n")) << contacts.err;
        Outcome sms = Cli("restore-sms " + Quote(input));
        EXPECT_TRUE(sms.err.ends_with("(402)\n")) << sms.err;
    }
    // A contact CSV is no data file: its first byte is no record kind the loader knows.
    std::string csv = Quote(TestDataPath("contacts/every_field.csv"));
    for (const char* out : {"o.txt", "o.dat", "folder"}) {
        Outcome outcome = Cli("convert-sms " + csv + " " + P(out));
        EXPECT_EQ(outcome.status, 1);
        EXPECT_TRUE(outcome.err.ends_with("(402)\n")) << outcome.err;
        EXPECT_FALSE(std::filesystem::exists(dir / out)) << out;
    }
    EXPECT_TRUE(Cli("restore-sms " + csv).err.ends_with("(402)\n"));
}
