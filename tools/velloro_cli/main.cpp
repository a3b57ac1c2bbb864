// velloro-cli: Velloro's jobs without a window, for scripts and for a look at what the GUI does.

#include <CLI/CLI.hpp>
#include <charconv>
#include <clocale>
#include <cstdio>
#include <exception>
#include <map>
#include <optional>

#include "cli_commands.h"
#include "platform/phone/phone_job_lock.h"
#include "platform/phone/phone_location.h"

namespace {

// What the command line said, filled in by the parser.
struct Words {
    std::string phone, in, out, file, typeWord, sortWord, sequenceWord;
    std::vector<std::string> untick, orderWords;
    bool skipExisting = false;
    ReportChoice report;
    // Read from the words above before anything runs.
    std::int32_t contactType = 0;
    SmsOrderChoice storedOrder;
};

struct Commands {
    CLI::App* convertContacts = nullptr;
    CLI::App* convertSms = nullptr;
    CLI::App* backupContacts = nullptr;
    CLI::App* restoreContacts = nullptr;
    CLI::App* copySim = nullptr;
    CLI::App* backupSms = nullptr;
    CLI::App* restoreSms = nullptr;
    CLI::App* order = nullptr;
};

// --type takes a word or any number, which reaches the operation unchanged (so 0 or 9 give the
// operation's own invalid-type code).
bool ParseContactType(const std::string& text, std::int32_t& type) {
    static const std::map<std::string, std::int32_t> kWords{{"sim", 1}, {"phone", 2}, {"both", 3}};
    if (auto it = kWords.find(text); it != kWords.end()) {
        type = it->second;
        return true;
    }
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), type);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}

// Another job holds the phone; said once, so a waiting script's user knows why it waits.
void SayWaiting(const std::string& phonePath) {
    std::fprintf(stderr, "waiting for another job on %s\n", phonePath.c_str());
}

bool ParseOrderWords(const std::vector<std::string>& words, SmsOrderChoice& order) {
    for (const std::string& word : words) {
        if ((word == "date" || word == "name") && !order.sortGiven) {
            order.sortGiven = true;
            order.sortBy = word == "date" ? 1 : 2;
        } else if ((word == "asc" || word == "desc") && !order.sequenceGiven) {
            order.sequenceGiven = true;
            order.sequence = word == "asc" ? 1 : 2;
        } else {
            return false;
        }
    }
    return true;
}

void AddConverters(CLI::App& app, Words& w, Commands& c) {
    c.convertContacts = app.add_subcommand(
        "convert-contacts",
        "Read a contact text backup or vCard file and write it again: a text backup, CSV when OUT "
        "ends in .csv, vCard when it ends in .vcf.");
    c.convertContacts->add_option("IN", w.in, "Contact text backup or vCard file to read")
        ->required();
    c.convertContacts->add_option("OUT", w.out, "File to write")->required();

    c.convertSms = app.add_subcommand(
        "convert-sms",
        "Load an SMS data file or Android backup XML and export it by OUT's extension: .dat (data "
        "file), .txt (text), .csv (CSV), .xml (Android backup XML), anything else a folder with "
        "one file per message.");
    c.convertSms->add_option("IN", w.in, "SMS data file or Android backup XML to load")->required();
    c.convertSms->add_option("OUT", w.out, "File or folder to write")->required();
    c.convertSms
        ->add_option("--sort", w.sortWord, "date or name (default: the phone's stored order)")
        ->check(CLI::IsMember({"date", "name"}));
    c.convertSms
        ->add_option("--order", w.sequenceWord,
                     "asc, desc or none (default: the phone's stored order)")
        ->check(CLI::IsMember({"asc", "desc", "none"}));
    c.convertSms->add_flag(
        "--skip-existing", w.skipExisting,
        "Refused: a conversion writes no phone, so nothing can already be there");
}

void AddContactJobs(CLI::App& app, Words& w, Commands& c) {
    const char* typeHelp = "sim, phone, both, or a number passed on as it is";
    c.backupContacts = app.add_subcommand(
        "backup-contacts",
        "Back up the SIM and/or phone contacts to a text backup (CSV for .csv, vCard for .vcf).");
    c.backupContacts->add_option("--type", w.typeWord, typeHelp)->required();
    c.backupContacts->add_option("FILE", w.file, "Backup file to write")->required();

    c.restoreContacts = app.add_subcommand(
        "restore-contacts",
        "Restore a text backup's or vCard file's contacts, leaving out those already there.");
    c.restoreContacts->add_option("--type", w.typeWord, typeHelp)->required();
    c.restoreContacts->add_option("FILE", w.file, "Backup file to read")->required();

    c.copySim = app.add_subcommand("copy-sim", "Copy the SIM's contacts to the phone's contacts.");
}

void AddSmsJobs(CLI::App& app, Words& w, Commands& c) {
    const char* untickHelp =
        "Leave out a folder (Inbox, Inbox/Work) or a message (Inbox#3: the third message of Inbox)";
    c.backupSms = app.add_subcommand(
        "backup-sms",
        "Read the phone's SMS and save them by FILE's extension: .dat, .txt, .csv, .xml, else a "
        "folder.");
    c.backupSms->add_option("--untick", w.untick, untickHelp);
    c.backupSms->add_option("FILE", w.file, "File or folder to write")->required();

    c.restoreSms = app.add_subcommand(
        "restore-sms",
        "Load an SMS data file or Android backup XML and create its messages again in the phone.");
    c.restoreSms->add_option("--untick", w.untick, untickHelp);
    c.restoreSms->add_option("FILE", w.file, "SMS data file or Android backup XML to load")
        ->required();
    c.restoreSms->add_flag("--skip-existing", w.skipExisting,
                           "Do not create a message its folder already holds (same text, address, "
                           "time and unsent flag)");

    c.order = app.add_subcommand("order",
                                 "Show the order of the SMS text and CSV exports, or store it: "
                                 "order [date|name] [asc|desc].");
    c.order->add_option("WORDS", w.orderWords, "date or name, asc or desc")->expected(0, 2);
}

SmsOrderChoice ConvertOrder(const Words& w) {
    SmsOrderChoice choice;
    choice.sortGiven = !w.sortWord.empty();
    choice.sortBy = w.sortWord == "date" ? 1 : 2;
    choice.sequenceGiven = !w.sequenceWord.empty();
    choice.sequence = w.sequenceWord == "asc" ? 1 : (w.sequenceWord == "desc" ? 2 : 0);
    return choice;
}

// How the chosen command uses the phone; nothing for a command that never opens it.
std::optional<PhoneUse> PhoneUseOf(const Commands& c, const Words& w) {
    if (*c.restoreContacts || *c.copySim || *c.restoreSms) return PhoneUse::Write;
    if (*c.order) return w.orderWords.empty() ? PhoneUse::Read : PhoneUse::Write;
    if (*c.backupContacts || *c.backupSms) return PhoneUse::Read;
    // convert-sms asks for the phone itself, once its input has loaded.
    return std::nullopt;
}

// False, after the command's usage, when a word of the command line means nothing.
bool ReadCommandWords(const Commands& c, Words& w) {
    auto usage = [](const CLI::App* command, const std::string& why) {
        std::fprintf(stderr, "velloro-cli: %s\n%s", why.c_str(), command->help().c_str());
        return false;
    };
    if ((*c.backupContacts || *c.restoreContacts) && !ParseContactType(w.typeWord, w.contactType))
        return usage(*c.backupContacts ? c.backupContacts : c.restoreContacts,
                     "unknown --type " + w.typeWord);
    if (*c.order && !ParseOrderWords(w.orderWords, w.storedOrder))
        return usage(c.order, "unknown order words");
    if (*c.convertSms && w.skipExisting)
        return usage(c.convertSms,
                     "--skip-existing belongs to restore-sms; a conversion writes a file, not the "
                     "phone");
    return true;
}

int RunCommand(const Commands& c, const Words& w) {
    if (*c.convertContacts) return ConvertContacts(w.in, w.out);
    if (*c.convertSms) return ConvertSms(w.in, w.out, ConvertOrder(w));
    if (*c.backupContacts) return BackupContacts(w.contactType, w.file, w.report);
    if (*c.restoreContacts) return RestoreContacts(w.contactType, w.file, w.report);
    if (*c.copySim) return CopySim(w.report);
    if (*c.backupSms) return BackupSms(w.untick, w.file, w.report);
    if (*c.restoreSms) return RestoreSms(w.untick, w.file, w.skipExisting, w.report);
    if (*c.order) return w.orderWords.empty() ? ShowOrder() : StoreOrder(w.storedOrder);
    return kExitUsage;
}

int RunCli(int argc, char** argv) {
    CLI::App app{
        "Velloro: back up and restore a phone's contacts and SMS messages.\n"
        "The phone is --phone FILE, else $VELLORO_PHONE, else the default phone (created with "
        "demo content on first use).",
        "velloro-cli"};
    app.require_subcommand(1);
    app.failure_message(CLI::FailureMessage::help);
    Words words;
    Commands commands;
    app.add_option("--phone", words.phone, "Phone file to work on");
    app.add_flag("--quiet,-q", words.report.quiet,
                 "Print only the result line: no counts, no warnings");
    // Global options may also follow the command.
    app.fallthrough();
    AddConverters(app, words, commands);
    AddContactJobs(app, words, commands);
    AddSmsJobs(app, words, commands);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? kExitSuccess : kExitUsage;
    }
    if (!words.phone.empty()) SetPhonePath(words.phone);
    SetPhoneWaitNotice(SayWaiting);
    if (!ReadCommandWords(commands, words)) return kExitUsage;
    // A missing, foreign or read-only phone is named before the job, not reported as a SIM or
    // store fault of the job.
    if (std::optional<PhoneUse> use = PhoneUseOf(commands, words); use && !PhoneReady(*use))
        return kExitFailure;
    return RunCommand(commands, words);
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    try {
        return RunCli(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velloro-cli: stopped by an unexpected error: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "velloro-cli: stopped by an unexpected error\n");
    }
    return kExitFailure;
}
