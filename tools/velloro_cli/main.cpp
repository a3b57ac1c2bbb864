// velloro-cli: Velloro's jobs without a window, for scripts and for a look at what the GUI does.

#include <CLI/CLI.hpp>
#include <charconv>
#include <clocale>
#include <cstdio>
#include <map>

#include "cli_commands.h"
#include "platform/phone/phone_location.h"

namespace {

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

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    CLI::App app{
        "Velloro: back up and restore a phone's contacts and SMS messages.\n"
        "The phone is --phone FILE, else $VELLORO_PHONE, else the default phone (created with "
        "demo content on first use).",
        "velloro-cli"};
    app.require_subcommand(1);
    app.failure_message(CLI::FailureMessage::help);
    std::string phone;
    app.add_option("--phone", phone, "Phone file to work on (comes before the command)");

    std::string in, out, file, typeWord;
    std::vector<std::string> untick, orderWords;

    auto* convertContacts = app.add_subcommand(
        "convert-contacts",
        "Read a contact text backup or vCard file and write it again: a text backup, CSV when OUT "
        "ends in .csv, vCard when it ends in .vcf.");
    convertContacts->add_option("IN", in, "Contact text backup or vCard file to read")->required();
    convertContacts->add_option("OUT", out, "File to write")->required();

    std::string sortWord, sequenceWord;
    auto* convertSms = app.add_subcommand(
        "convert-sms",
        "Load an SMS data file or Android backup XML and export it by OUT's extension: .dat (data "
        "file), .txt (text), .csv (CSV), .xml (Android backup XML), anything else a folder with "
        "one file per message.");
    convertSms->add_option("IN", in, "SMS data file or Android backup XML to load")->required();
    convertSms->add_option("OUT", out, "File or folder to write")->required();
    convertSms->add_option("--sort", sortWord, "date or name (default: the phone's stored order)")
        ->check(CLI::IsMember({"date", "name"}));
    convertSms
        ->add_option("--order", sequenceWord,
                     "asc, desc or none (default: the phone's stored order)")
        ->check(CLI::IsMember({"asc", "desc", "none"}));

    const char* typeHelp = "sim, phone, both, or a number passed on as it is";
    auto* backupContacts = app.add_subcommand(
        "backup-contacts",
        "Back up the SIM and/or phone contacts to a text backup (CSV for .csv, vCard for .vcf).");
    backupContacts->add_option("--type", typeWord, typeHelp)->required();
    backupContacts->add_option("FILE", file, "Backup file to write")->required();

    auto* restoreContacts = app.add_subcommand(
        "restore-contacts",
        "Restore a text backup's or vCard file's contacts, leaving out those already there.");
    restoreContacts->add_option("--type", typeWord, typeHelp)->required();
    restoreContacts->add_option("FILE", file, "Backup file to read")->required();

    auto* copySim =
        app.add_subcommand("copy-sim", "Copy the SIM's contacts to the phone's contacts.");

    const char* untickHelp =
        "Leave out a folder (Inbox, Inbox/Work) or a message (Inbox#3: the third message of Inbox)";
    auto* backupSms = app.add_subcommand(
        "backup-sms",
        "Read the phone's SMS and save them by FILE's extension: .dat, .txt, .csv, .xml, else a "
        "folder.");
    backupSms->add_option("--untick", untick, untickHelp);
    backupSms->add_option("FILE", file, "File or folder to write")->required();

    auto* restoreSms = app.add_subcommand(
        "restore-sms",
        "Load an SMS data file or Android backup XML and create its messages again in the phone.");
    restoreSms->add_option("--untick", untick, untickHelp);
    restoreSms->add_option("FILE", file, "SMS data file or Android backup XML to load")->required();

    auto* order = app.add_subcommand("order",
                                     "Show the order of the SMS text and CSV exports, or store it: "
                                     "order [date|name] [asc|desc].");
    order->add_option("WORDS", orderWords, "date or name, asc or desc")->expected(0, 2);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? kExitSuccess : kExitUsage;
    }
    if (!phone.empty()) SetPhonePath(phone);
    SetPhoneWaitNotice(SayWaiting);

    auto usage = [&](const CLI::App* command, const std::string& why) {
        std::fprintf(stderr, "velloro-cli: %s\n%s", why.c_str(), command->help().c_str());
        return kExitUsage;
    };

    if (*convertContacts) return ConvertContacts(in, out);
    if (*convertSms) {
        SmsOrderChoice choice;
        choice.sortGiven = !sortWord.empty();
        choice.sortBy = sortWord == "date" ? 1 : 2;
        choice.sequenceGiven = !sequenceWord.empty();
        choice.sequence = sequenceWord == "asc" ? 1 : (sequenceWord == "desc" ? 2 : 0);
        return ConvertSms(in, out, choice);
    }
    if (*backupContacts || *restoreContacts) {
        CLI::App* command = *backupContacts ? backupContacts : restoreContacts;
        std::int32_t type = 0;
        if (!ParseContactType(typeWord, type)) return usage(command, "unknown --type " + typeWord);
        return *backupContacts ? BackupContacts(type, file) : RestoreContacts(type, file);
    }
    if (*copySim) return CopySim();
    if (*backupSms) return BackupSms(untick, file);
    if (*restoreSms) return RestoreSms(untick, file);
    if (*order) {
        if (orderWords.empty()) return ShowOrder();
        SmsOrderChoice choice;
        if (!ParseOrderWords(orderWords, choice)) return usage(order, "unknown order words");
        return StoreOrder(choice);
    }
    return kExitUsage;
}
