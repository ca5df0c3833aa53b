// command.cpp - subcommands that record their action, and the shared --json switch.
#include "command.h"

namespace zynctl {

CLI::App* addCommand(CLI::App& parent, Action& chosen, const std::string& name, const std::string& description,
                     Action run, std::function<void()> check) {
    CLI::App* command = parent.add_subcommand(name, description);
    // Runs after every option of the line has passed its own check.
    command->callback([&chosen, run = std::move(run), check = std::move(check)] {
        if (check) check();
        chosen = run;
    });
    return command;
}

CLI::Option* addJsonFlag(CLI::App& command, bool& json) {
    return command.add_flag("--json", json, "print one JSON document instead of text");
}

} // namespace zynctl
