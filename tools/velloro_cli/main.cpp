// velloro-cli: Velloro's jobs without a window, for scripts and for a look at what the GUI does.

#include <CLI/CLI.hpp>
#include <clocale>
#include <map>

#include "cli_commands.h"

namespace {

const std::map<std::string, int> kSortWords{{"date", 1}, {"name", 2}};
const std::map<std::string, int> kSequenceWords{{"asc", 1}, {"desc", 2}, {"none", 0}};

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    CLI::App app{"Velloro: back up and restore a phone's contacts and SMS messages.",
                 "velloro-cli"};
    app.require_subcommand(1);
    app.fallthrough(false);

    std::string in, out;

    auto* convertContacts = app.add_subcommand(
        "convert-contacts",
        "Read a contact text backup and write it again: as a text backup, or as CSV when OUT ends "
        "in .csv.");
    convertContacts->add_option("IN", in, "Contact text backup to read")->required();
    convertContacts->add_option("OUT", out, "File to write")->required();

    SmsOrderChoice order;
    std::string sortWord, sequenceWord;
    auto* convertSms = app.add_subcommand(
        "convert-sms",
        "Load an SMS data file and export it by OUT's extension: .dat (data file), .txt (text), "
        ".csv (CSV), anything else a folder with one file per message.");
    convertSms->add_option("IN", in, "SMS data file to load")->required();
    convertSms->add_option("OUT", out, "File or folder to write")->required();
    convertSms->add_option("--sort", sortWord, "Order messages by date or name (default: date)")
        ->check(CLI::IsMember({"date", "name"}));
    convertSms->add_option("--order", sequenceWord, "asc, desc or none (default: asc)")
        ->check(CLI::IsMember({"asc", "desc", "none"}));

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int status = app.exit(e);
        return status == 0 ? kExitSuccess : kExitUsage;
    }

    if (*convertContacts) return ConvertContacts(in, out);
    if (*convertSms) {
        if (!sortWord.empty()) {
            order.sortGiven = true;
            order.sortBy = kSortWords.at(sortWord);
        }
        if (!sequenceWord.empty()) {
            order.sequenceGiven = true;
            order.sequence = kSequenceWords.at(sequenceWord);
        }
        return ConvertSms(in, out, order);
    }
    return kExitUsage;
}
