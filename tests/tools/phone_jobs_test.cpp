// Jobs against one phone file as a user meets them: killed at any moment, run twice at once, or
// run on a damaged phone.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "contacts/contact_files.h"
#include "contacts/contact_list.h"
#include "platform/phone/phone_job_lock.h"
#include "platform/text.h"
#include "sms/sms_data_file.h"
#include "sms/sms_tree.h"
#include "tool_process.h"

extern char** environ;

namespace {

constexpr int kMessages = 3000;
constexpr int kContacts = 3000;

// A started velloro-cli, killed or waited for.
class Job {
  public:
    Job(const TempDir& dir, const std::string& args, const std::string& errName = "job_err.txt") {
        std::string command = "XDG_DATA_HOME=" + Quote(dir / "xdg") + " VELLORO_PHONE= exec '" +
                              std::string(VELLORO_CLI) + "' --phone " + Quote(dir / "phone.db") +
                              " " + args + " >/dev/null 2>" + Quote(dir / errName) + " </dev/null";
        const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
        if (posix_spawn(&pid_, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
            pid_ = -1;
    }
    ~Job() {
        if (pid_ > 0) Kill();
    }
    void Kill() {
        kill(pid_, SIGKILL);
        Wait();
    }
    int Wait() {
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    bool started() const { return pid_ > 0; }

  private:
    pid_t pid_ = -1;
};

// Read-only look at a phone, as any other process sees it.
class PhoneView {
  public:
    explicit PhoneView(const std::filesystem::path& path) {
        sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_busy_timeout(db_, 5000);
    }
    ~PhoneView() { sqlite3_close(db_); }
    // Every row of sql as text, columns joined by '|'.
    std::vector<std::string> Rows(const std::string& sql) {
        std::vector<std::string> rows;
        sqlite3_stmt* stmt = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK) << sql;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            std::string row;
            for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
                auto* text = sqlite3_column_text(stmt, i);
                row +=
                    (i ? "|" : "") + std::string(text ? reinterpret_cast<const char*>(text) : "");
            }
            rows.push_back(row);
        }
        sqlite3_finalize(stmt);
        return rows;
    }

  private:
    sqlite3* db_ = nullptr;
};

void WriteMessageFile(const std::filesystem::path& path, int count) {
    SmsTree tree;
    tree.root = CreateSmsNode(kSmsFolderKind);
    auto folder = CreateSmsNode(kSmsFolderKind);
    SetSmsNodeName(*folder, u"Restored");
    for (int i = 0; i < count; ++i) {
        auto node = CreateSmsNode(kSmsMessageKind);
        auto data = std::make_unique<SmsMessageData>();
        data->text = u"m" + Utf8ToUtf16(std::to_string(i));
        data->flags = 1;
        data->deliveryTime = FileTimeFromUint64(134000000000000000ull + i);
        if (i % 2 == 0) {
            data->senderAddress = u"+1";
            data->senderName = u"Anna";
        } else {
            data->recipients.push_back({u"Bob", u"+2"});
        }
        node->message = std::move(data);
        folder->children.push_back(std::move(node));
    }
    tree.root->children.push_back(std::move(folder));
    ASSERT_EQ(WriteSmsDataFile(tree, Utf8ToUtf16(path.string()), nullptr), 0);
}

void WriteContactBackup(const std::filesystem::path& path, int count) {
    ContactList list;
    InitContactList(list);
    std::vector<std::u16string> texts(kContactFieldCount);
    for (int i = 0; i < count; ++i) {
        PhoneContactTexts fields{};
        for (std::size_t f = 0; f < kContactFieldCount; ++f) {
            texts[f] =
                u"c" + Utf8ToUtf16(std::to_string(i)) + u"." + Utf8ToUtf16(std::to_string(f));
            fields[f] = texts[f];
        }
        ASSERT_EQ(AddPhoneContact(list, fields), kContactAdded);
    }
    ASSERT_GE(WriteContactFile(list, Utf8ToUtf16(path.string())), 0);
}

class PhoneJobsTest : public ::testing::Test {
  protected:
    Outcome Cli(const std::string& args) { return RunTool(dir, VELLORO_CLI, args); }
    Outcome Phone(const std::string& args) { return RunTool(dir, VELLORO_PHONE_TOOL, args); }
    std::string P(const std::string& name) const { return Quote(dir / name); }
    std::filesystem::path PhonePath() const { return dir / "phone.db"; }

    void FreshPhone() {
        ASSERT_EQ(Phone("init --empty --force").status, 0);
        ASSERT_EQ(Phone("store add SMS").status, 0);
    }

    // Restored messages in store order: each must be whole, and they are "m0", "m1", ... again
    // from restart on (a second restore after a first cut short).
    // 3604511 is PR_SUBJECT_W (0x0037001F).
    std::size_t CheckWholeMessagePrefix(std::size_t restart = SIZE_MAX) {
        PhoneView view(PhonePath());
        EXPECT_EQ(view.Rows("PRAGMA integrity_check"), std::vector<std::string>{"ok"});
        auto messages = view.Rows(
            "SELECT (SELECT value FROM message_props WHERE message_id = m.id AND tag = 3604511),"
            " (SELECT COUNT(*) FROM message_props WHERE message_id = m.id),"
            " (SELECT COUNT(*) FROM recipient_props WHERE message_id = m.id)"
            " FROM messages m JOIN folders f ON f.id = m.folder_id WHERE f.name = 'Restored'"
            " ORDER BY m.id");
        for (std::size_t i = 0; i < messages.size(); ++i) {
            // Subject, status, flags, class, size, time: 6; a received one adds sender and
            // name, a sent one a recipient row of 4 properties.
            std::size_t n = i < restart ? i : i - restart;
            std::string whole = "m" + std::to_string(n) + (n % 2 == 0 ? "|8|0" : "|6|4");
            EXPECT_EQ(messages[i], whole) << "message " << i;
            if (messages[i] != whole) break;
        }
        return messages.size();
    }

    void WaitForCommitted(const std::string& table, std::size_t count) {
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (count > 0 && std::chrono::steady_clock::now() < until) {
            auto rows = PhoneView(PhonePath()).Rows("SELECT COUNT(*) FROM " + table);
            if (!rows.empty() && std::stoul(rows[0]) >= count) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    std::size_t CheckWholeContactPrefix() {
        PhoneView view(PhonePath());
        EXPECT_EQ(view.Rows("PRAGMA integrity_check"), std::vector<std::string>{"ok"});
        auto contacts = view.Rows("SELECT Title, Categories FROM contacts ORDER BY id");
        for (std::size_t i = 0; i < contacts.size(); ++i) {
            std::string n = std::to_string(i);
            std::string whole = "c" + n + ".0|c" + n + ".42";
            EXPECT_EQ(contacts[i], whole) << "contact " << i;
            if (contacts[i] != whole) break;
        }
        return contacts.size();
    }

    TempDir dir;
};

TEST_F(PhoneJobsTest, AKilledRestoreLeavesWholeMessagesAndContactsInOrder) {
    WriteMessageFile(dir / "sms.dat", kMessages);
    WriteContactBackup(dir / "contacts.txt", kContacts);
    struct Case {
        const char* args;
        bool messages;
    } jobs[] = {{"restore-sms", true}, {"restore-contacts --type phone", false}};
    for (const Case& job : jobs) {
        std::string file = job.messages ? P("sms.dat") : P("contacts.txt");
        // Each run is killed once another process sees at least `seen` items committed, so
        // the kill lands in the middle of a later group.
        for (std::size_t seen : {0, 1, 700, 1500, 2300}) {
            FreshPhone();
            {
                Job run(dir, std::string(job.args) + " " + file);
                ASSERT_TRUE(run.started());
                WaitForCommitted(job.messages ? "messages" : "contacts", seen);
                run.Kill();
            }
            std::size_t kept = job.messages ? CheckWholeMessagePrefix() : CheckWholeContactPrefix();
            EXPECT_GE(kept, seen) << job.args;
            // The phone takes a second job as if nothing had happened.
            Outcome again = Cli(std::string(job.args) + " " + file);
            ASSERT_EQ(again.status, 0) << again.err;
            std::size_t total =
                job.messages ? CheckWholeMessagePrefix(kept) : CheckWholeContactPrefix();
            if (job.messages) {
                EXPECT_EQ(total, kept + kMessages) << job.args;
            } else {
                EXPECT_EQ(total, static_cast<std::size_t>(kContacts)) << job.args;
            }
        }
    }
}

TEST_F(PhoneJobsTest, TwoRestoresAtOnceAddEachContactOnce) {
    WriteContactBackup(dir / "contacts.txt", kContacts);
    FreshPhone();
    Job first(dir, "restore-contacts --type phone " + P("contacts.txt"), "first_err.txt");
    Job second(dir, "restore-contacts --type phone " + P("contacts.txt"), "second_err.txt");
    EXPECT_EQ(first.Wait(), 0) << ReadBytes(dir / "first_err.txt");
    EXPECT_EQ(second.Wait(), 0) << ReadBytes(dir / "second_err.txt");
    EXPECT_EQ(CheckWholeContactPrefix(), static_cast<std::size_t>(kContacts));
}

TEST_F(PhoneJobsTest, AJobWaitingForAnotherSaysSoOnceAndThenRuns) {
    WriteContactBackup(dir / "contacts.txt", 3);
    FreshPhone();
    auto held = std::make_unique<PhoneJobLock>();
    ASSERT_TRUE(held->Acquire(PhonePath().string()));
    Job waiting(dir, "restore-contacts --type phone " + P("contacts.txt"));
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_EQ(CheckWholeContactPrefix(), 0u);  // nothing written while it waits
    held.reset();
    EXPECT_EQ(waiting.Wait(), 0);
    EXPECT_EQ(ReadBytes(dir / "job_err.txt"),
              "waiting for another job on " + PhonePath().string() + "\n");
    EXPECT_EQ(CheckWholeContactPrefix(), 3u);
}

TEST_F(PhoneJobsTest, ADamagedPhoneFailsTheBackupAndKeepsTheOldFile) {
    WriteMessageFile(dir / "sms.dat", kMessages);
    FreshPhone();
    ASSERT_EQ(Cli("restore-sms " + P("sms.dat")).status, 0);
    WriteBytes(dir / "old.dat", "the previous backup");
    // The folder listing's index pages overwritten but its first: the listing reads a few
    // hundred messages and then cannot read on. Every other page is intact, so only a listing
    // that told "no more rows" from "could not read" can notice.
    std::vector<std::string> pages =
        PhoneView(PhonePath())
            .Rows(
                "SELECT pageno FROM dbstat WHERE name = 'messages_by_folder' AND pagetype = 'leaf' "
                "ORDER BY pageno");
    ASSERT_GT(pages.size(), 2u);
    ASSERT_FALSE(std::filesystem::exists(dir / "phone.db-wal") &&
                 std::filesystem::file_size(dir / "phone.db-wal") > 0);
    std::string phone = ReadBytes(PhonePath());
    constexpr std::size_t kPage = 4096;
    for (std::size_t i = 1; i < pages.size(); ++i)
        phone.replace((std::stoul(pages[i]) - 1) * kPage, kPage, kPage, '\x5a');
    WriteBytes(PhonePath(), phone);

    Outcome backup = Cli("backup-sms " + P("old.dat"));
    EXPECT_EQ(backup.status, 1);
    EXPECT_EQ(backup.out, "");
    EXPECT_TRUE(backup.err.ends_with("(401)\n")) << backup.err;
    EXPECT_EQ(ReadBytes(dir / "old.dat"), "the previous backup");
}

}  // namespace
