#include <CLI/CLI.hpp>

int main(int argc, char** argv) {
    CLI::App app{"Velloro: back up and restore a phone's contacts and SMS messages"};
    app.require_subcommand(1);
    CLI11_PARSE(app, argc, argv);
    return 0;
}
