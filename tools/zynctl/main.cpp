// main.cpp - zynctl: the ZYN Service's configuration, exchange data and service control from a
// shell, over TRVZYN32.dll's public interface. Exit status 0 on success, 1 when the library (or
// a file) refused, 2 for a command line that is not understood.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "command.h"
#include "failure.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

#if defined(_WIN64)
constexpr char kArchitecture[] = "x86_64";
#else
constexpr char kArchitecture[] = "i686";
#endif

} // namespace

int main(int argc, char** argv) {
    using namespace zynctl;
    CLI::App app("Looks at and changes the ZYN Service's configuration (zyn.ini), reads and writes exchange data, "
                 "and controls the service, through TRVZYN32.dll.",
                 "zynctl");
    // Windows programs often take /switches, but a '/' starting a value here is data, not a switch.
    app.allow_windows_style_options(false);
    app.set_version_flag("--version", std::string("zynctl ") + ZYNCTL_VERSION + " (" + kArchitecture + ")");
    app.require_subcommand(1);
    app.footer("Exit status: 0 success; 1 the library or a file refused (one line on stderr says why); "
               "2 bad arguments.\nRun 'zynctl COMMAND --help' for a command's arguments.");

    Action chosen;
    addStatusCommand(app, chosen);
    addDefinitionCommands(app, chosen);
    addParamsCommand(app, chosen);
    addDataCommands(app, chosen);
    addServiceCommands(app, chosen);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // --help and --version arrive as "errors" that succeed.
        if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) return app.exit(error);
        std::fflush(stdout);
        // CLI11 would only say that a command is missing when the first word is no command.
        const std::vector<std::string> left = app.remaining();
        const std::string message = app.get_subcommands().empty() && !left.empty()
                                        ? "'" + left.front() + "' is not a command"
                                        : std::string(error.what());
        // The help of the command that was being parsed, which CLI11 picks from the line.
        std::fprintf(stderr, "zynctl: %s\n\n%s", message.c_str(), app.help().c_str());
        return kExitUsage;
    }

    try {
        chosen();
        return 0;
    } catch (const Failure& failure) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n", failure.what());
    } catch (const std::exception& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "zynctl: %s\n", error.what());
    }
    return kExitFailure;
}
