// velloro-phone: creates, fills, dumps and breaks emulated phones from the command line.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "phone_dump.h"
#include "platform/contact_properties.h"
#include "platform/phone/fault_switches.h"
#include "platform/phone/phone_db.h"
#include "platform/phone/phone_editor.h"
#include "platform/phone/phone_location.h"
#include "platform/text.h"

namespace {

constexpr int kUsageError = 2;

// "\n" in a value stands for a line break.
std::u16string Value(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += '\n';
            ++i;
        } else {
            out += text[i];
        }
    }
    return Utf8ToUtf16(out);
}

std::vector<std::u16string> FolderPath(const std::string& path) {
    std::vector<std::u16string> levels;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) levels.push_back(Value(path.substr(start, end - start)));
        start = end + 1;
    }
    return levels;
}

struct Options {
    std::string phone;
    // init
    bool empty = false;
    bool force = false;
    SimSetup sim;
    // sim add
    int slot = 0;
    std::string name, number;
    // contact add
    std::vector<std::string> fields;
    // sms
    std::string path;
    std::string subject;
    std::optional<std::string> body, from, fromName, delivered, modified;
    bool bodyStream = false;
    std::vector<std::string> to;
    std::optional<std::uint32_t> size, flags;
    // store, registry, fault
    std::string key, valueName;
    std::optional<std::string> optionalName;
    std::uint32_t dword = 0;
    std::optional<std::int64_t> at;
};

int Error(const std::string& message) {
    std::cerr << "velloro-phone: " << message << "\n";
    return kUsageError;
}

class Tool {
  public:
    explicit Tool(const Options& o) : o_(o) {}

    int Init() {
        std::string path = CurrentPhonePath();
        if (UsingDefaultPhone()) {
            std::error_code ec;
            std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
        }
        std::string error;
        if (!CreatePhoneFile(path, o_.sim, !o_.empty, o_.force, error)) {
            if (!o_.force && std::filesystem::exists(path))
                error = path + " already exists (use --force to replace it)";
            return Error(error);
        }
        return 0;
    }

    int SimAdd() {
        return Edit([&](PhoneDb& db, std::string& error) {
            return AddSimEntry(db, o_.slot, Value(o_.name), Value(o_.number), error);
        });
    }

    int ContactAdd() {
        ContactFields fields;
        for (const std::string& assignment : o_.fields) {
            std::size_t split = assignment.find('=');
            if (split == std::string::npos) return Error("expected FIELD=VALUE: " + assignment);
            int index = ContactFieldIndex(Utf8ToUtf16(assignment.substr(0, split)));
            if (index < 0) return Error("no contact field " + assignment.substr(0, split));
            std::u16string value = Value(assignment.substr(split + 1));
            if (value.empty()) {
                fields[static_cast<std::size_t>(index)].reset();
            } else {
                fields[static_cast<std::size_t>(index)] = std::move(value);
            }
        }
        return Edit([&](PhoneDb& db, std::string& error) { return AddContact(db, fields, error); });
    }

    int SmsFolder() {
        return Edit([&](PhoneDb& db, std::string& error) {
            Transaction tx(db);
            auto top = SmsTopFolder(db, error);
            return top && AddFolderPath(db, *top, FolderPath(o_.path), error) && tx.Commit();
        });
    }

    int SmsAdd() {
        PhoneMessageSpec m;
        m.subject = Value(o_.subject);
        if (o_.body) m.body = Value(*o_.body);
        m.bodyStreamOnly = o_.bodyStream;
        if (o_.bodyStream && !o_.body) return Error("--body-stream needs --body");
        if (o_.from) m.senderAddress = Value(*o_.from);
        if (o_.fromName) m.senderName = Value(*o_.fromName);
        for (const std::string& to : o_.to) {
            std::size_t split = to.find('=');
            if (split == std::string::npos) return Error("expected --to NAME=ADDRESS: " + to);
            m.to.push_back({Value(to.substr(0, split)), Value(to.substr(split + 1))});
        }
        for (auto [text, out] :
             {std::pair{&o_.delivered, &m.delivered}, {&o_.modified, &m.modified}}) {
            if (!*text) continue;
            *out = ParseFileTimeText(**text);
            if (!*out) return Error("not a time: " + **text + " (expected 2026-12-06T17:51:03Z)");
        }
        m.size = o_.size;
        m.flags = o_.flags;
        return Edit([&](PhoneDb& db, std::string& error) {
            Transaction tx(db);
            auto top = SmsTopFolder(db, error);
            auto folder = top ? AddFolderPath(db, *top, FolderPath(o_.path), error) : std::nullopt;
            return folder && AddMessage(db, *folder, m, error) && tx.Commit();
        });
    }

    int StoreAdd() {
        return Edit([&](PhoneDb& db, std::string& error) {
            return AddStore(db, Value(o_.name), error).has_value();
        });
    }

    int RegistrySet() {
        return Edit([&](PhoneDb& db, std::string& error) {
            return SetRegistryDword(db, Utf8ToUtf16(o_.key), Utf8ToUtf16(o_.valueName), o_.dword,
                                    error);
        });
    }

    int RegistryDelete() {
        std::optional<std::u16string> name;
        if (o_.optionalName) name = Utf8ToUtf16(*o_.optionalName);
        return Edit([&](PhoneDb& db, std::string& error) {
            return DeleteRegistryEntry(db, Utf8ToUtf16(o_.key), name, error);
        });
    }

    int FaultSet() {
        auto point = FaultPointByName(o_.name);
        if (!point) return Error("no fault switch " + o_.name);
        if (o_.at && *o_.at < 1) return Error("--at counts from 1");
        return Edit([&](PhoneDb& db, std::string& error) {
            error = "cannot write the fault switch";
            return SetFaultSwitch(db, *point, o_.at.value_or(0));
        });
    }

    int FaultClear() {
        std::optional<FaultPoint> point;
        if (o_.optionalName) {
            point = FaultPointByName(*o_.optionalName);
            if (!point) return Error("no fault switch " + *o_.optionalName);
        }
        return Edit([&](PhoneDb& db, std::string& error) {
            error = "cannot write the fault switches";
            return ClearFaultSwitch(db, point);
        });
    }

    int FaultList() {
        return Read([](PhoneDb& db) {
            auto switches = ListFaultSwitches(db);
            if (!switches) return false;
            for (const FaultSwitch& s : *switches) {
                std::cout << s.name;
                if (s.at != 0) std::cout << " --at " << s.at;
                std::cout << "\n";
            }
            return true;
        });
    }

    int Dump() {
        return Read([](PhoneDb& db) {
            if (!WritePhoneDump(std::cout, db)) return false;
            std::cout << "\n";
            return true;
        });
    }

  private:
    template <class F>
    int Edit(F edit) {
        std::string error;
        auto db = OpenCurrentPhone(error);
        if (!db) return Error(error);
        if (!edit(*db, error)) return Error(error);
        return 0;
    }

    template <class F>
    int Read(F read) {
        std::string error;
        auto db = OpenCurrentPhone(error);
        if (!db) return Error(error);
        if (!read(*db)) return Error("cannot read the phone " + CurrentPhonePath());
        return std::cout.flush() ? 0 : Error("cannot write the output");
    }

    const Options& o_;
};

}  // namespace

namespace {

// The subcommands main dispatches on.
struct Commands {
    CLI::App *init, *simAdd, *contactAdd, *smsFolder, *smsAdd, *storeAdd, *registrySet,
        *registryDelete, *faultSet, *faultClear, *faultList, *dump;
};

Commands AddCommands(CLI::App& app, Options& o) {
    app.require_subcommand(1);
    app.add_option("--phone", o.phone, "The phone file (default: $VELLORO_PHONE, then the user's)");

    auto* init = app.add_subcommand("init", "Create a phone (demo content unless --empty)");
    init->add_flag("--empty", o.empty, "No content at all");
    init->add_flag("--force", o.force, "Replace an existing file");
    init->add_option("--sim-slots", o.sim.slots, "SIM slots")->check(CLI::NonNegativeNumber);
    init->add_option("--sim-name-max", o.sim.nameMax, "Longest SIM name")
        ->check(CLI::Range(0, 255));
    init->add_option("--sim-number-max", o.sim.numberMax, "Longest SIM number")
        ->check(CLI::Range(0, 255));

    auto* sim = app.add_subcommand("sim", "The SIM phonebook");
    sim->require_subcommand(1);
    auto* simAdd =
        sim->add_subcommand("add", "Add an entry (an empty argument is an absent field)");
    simAdd->add_option("--slot", o.slot, "The slot (default: the first free one)")
        ->check(CLI::PositiveNumber);
    simAdd->add_option("NAME", o.name)->required();
    simAdd->add_option("NUMBER", o.number)->required();

    auto* contact = app.add_subcommand("contact", "The contact database");
    contact->require_subcommand(1);
    auto* contactAdd = contact->add_subcommand("add", "Add a contact");
    contactAdd->add_option("FIELD=VALUE", o.fields)->required();

    auto* sms = app.add_subcommand("sms", "The SMS store");
    sms->require_subcommand(1);
    auto* smsFolder = sms->add_subcommand("folder", "Create folders below the SMS store's top");
    smsFolder->add_option("PATH", o.path)->required();
    auto* smsAdd = sms->add_subcommand("add", "Add a message to a folder");
    smsAdd->add_option("PATH", o.path)->required();
    smsAdd->add_option("--subject", o.subject)->required();
    smsAdd->add_option("--body", o.body);
    smsAdd->add_flag("--body-stream", o.bodyStream, "Keep the body only as a stream");
    smsAdd->add_option("--from", o.from);
    smsAdd->add_option("--from-name", o.fromName);
    smsAdd->add_option("--to", o.to, "NAME=ADDRESS, repeatable");
    smsAdd->add_option("--delivered", o.delivered, "ISO 8601 UTC or a FILETIME number");
    smsAdd->add_option("--modified", o.modified, "ISO 8601 UTC or a FILETIME number");
    smsAdd->add_option("--size", o.size);
    smsAdd->add_option("--flags", o.flags, "8 makes a draft");

    auto* store = app.add_subcommand("store", "Message stores");
    store->require_subcommand(1);
    auto* storeAdd = store->add_subcommand("add", "Add a message store");
    storeAdd->add_option("NAME", o.name)->required();

    auto* registry = app.add_subcommand("registry", "The registry (HKEY_LOCAL_MACHINE)");
    registry->require_subcommand(1);
    auto* registrySet = registry->add_subcommand("set", "Set a REG_DWORD value");
    registrySet->add_option("KEY", o.key)->required();
    registrySet->add_option("NAME", o.valueName)->required();
    registrySet->add_option("VALUE", o.dword)->required();
    auto* registryDelete = registry->add_subcommand("delete", "Delete a value, or the whole key");
    registryDelete->add_option("KEY", o.key)->required();
    registryDelete->add_option("NAME", o.optionalName);

    auto* fault = app.add_subcommand("fault", "Fault switches");
    fault->require_subcommand(1);
    auto* faultSet = fault->add_subcommand("set", "Make a platform call fail");
    faultSet->add_option("NAME", o.name)->required();
    faultSet->add_option("--at", o.at, "Fail only the K-th call (or slot, or item)");
    auto* faultClear = fault->add_subcommand("clear", "Clear one switch, or all");
    faultClear->add_option("NAME", o.optionalName);
    auto* faultList = fault->add_subcommand("list", "List the switches");

    auto* dump = app.add_subcommand("dump", "The whole phone as JSON");
    return {init,        simAdd,         contactAdd, smsFolder,  smsAdd,    storeAdd,
            registrySet, registryDelete, faultSet,   faultClear, faultList, dump};
}

int Run(const Commands& c, Tool& tool) {
    if (*c.init) return tool.Init();
    if (*c.simAdd) return tool.SimAdd();
    if (*c.contactAdd) return tool.ContactAdd();
    if (*c.smsFolder) return tool.SmsFolder();
    if (*c.smsAdd) return tool.SmsAdd();
    if (*c.storeAdd) return tool.StoreAdd();
    if (*c.registrySet) return tool.RegistrySet();
    if (*c.registryDelete) return tool.RegistryDelete();
    if (*c.faultSet) return tool.FaultSet();
    if (*c.faultClear) return tool.FaultClear();
    if (*c.faultList) return tool.FaultList();
    if (*c.dump) return tool.Dump();
    return Error("nothing to do");
}

int Main(int argc, char** argv) {
    Options o;
    CLI::App app{"velloro-phone: creates, fills, dumps and breaks Velloro's emulated phones"};
    Commands commands = AddCommands(app, o);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        return Error(e.what());
    }
    if (!o.phone.empty()) SetPhonePath(o.phone);
    Tool tool(o);
    return Run(commands, tool);
}

}  // namespace

int main(int argc, char** argv) {
    // Nothing below throws on purpose; whatever does (memory, a library) ends the run plainly.
    try {
        return Main(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "velloro-phone: " << e.what() << "\n";
    } catch (...) {
        std::cerr << "velloro-phone: unexpected failure\n";
    }
    return 1;
}
