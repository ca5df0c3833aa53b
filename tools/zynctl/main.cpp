// main.cpp - zynctl: the ZYN Service's configuration, exchange data and service control from a
// shell, over TRVZYN32.dll's public interface. Exit status 0 on success, 1 when the library (or
// a file) refused, 2 for a command line that is not understood.
#include <cstdio>
#include <exception>
#include <optional>
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

// The command whose words were being read when the line ended: the deepest one it selected.
const CLI::App& innermostCommand(const CLI::App& app) {
    const CLI::App* command = &app;
    while (!command->get_subcommands().empty())
        command = command->get_subcommands().front();
    return *command;
}

// What is wrong with a line that CLI11 refused, in the words of the command the user typed:
// a word where a command of `zynctl` or of a group such as `service` belongs is named as no
// such command, where CLI11 would only say that a command is missing.
std::string refusalOf(const CLI::App& app, const CLI::ParseError& error) {
    const CLI::App& command = innermostCommand(app);
    const std::vector<std::string> left = app.remaining(true);
    if (command.get_require_subcommand_min() > 0 && command.get_subcommands().empty() && !left.empty()) {
        const std::string group = &command == &app ? "" : command.get_name() + " ";
        return "'" + left.front() + "' is not a " + group + "command";
    }
    return error.what();
}

// --help and --version arrive as "errors" that succeed. Each ends the line, so anything the line
// holds besides them is a mistake to report, not to pass over: --version stands alone, and
// --help takes only the command it explains.
std::optional<std::string> refusalOfInfoRequest(const CLI::App& app, const CLI::ParseError& request, int argc) {
    if (dynamic_cast<const CLI::CallForVersion*>(&request) != nullptr)
        return argc == 2 ? std::nullopt : std::optional<std::string>("--version takes no other argument");
    const std::vector<std::string> left = app.remaining(true);
    if (left.empty()) return std::nullopt;
    return "'" + left.front() + "' was not expected";
}

int usageError(const CLI::App& app, const std::string& message) {
    std::fflush(stdout);
    // The help of the command that was being parsed, which CLI11 picks from the line.
    std::fprintf(stderr, "zynctl: %s\n\n%s", message.c_str(), app.help().c_str());
    return kExitUsage;
}

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
    addDoctorCommand(app, chosen);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() != static_cast<int>(CLI::ExitCodes::Success))
            return usageError(app, refusalOf(app, error));
        if (std::optional<std::string> refusal = refusalOfInfoRequest(app, error, argc))
            return usageError(app, *refusal);
        return app.exit(error);
    }

    try {
        chosen();
        return 0;
    } catch (const UsageFailure& failure) {
        return usageError(app, failure.what());
    } catch (const Failure& failure) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n", failure.what());
    } catch (const std::exception& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "zynctl: %s\n", error.what());
    }
    return kExitFailure;
}
