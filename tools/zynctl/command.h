// command.h - how the command families hang their subcommands on zynctl's command line. A
// subcommand's callback only records what to run; main runs it once the whole line has parsed
// and every argument has passed its check, so a bad line never reaches the library.
#pragma once

#include <CLI.hpp>

#include <functional>
#include <string>

namespace zynctl {

// Runs the command; gives up by throwing a Failure (failure.h).
using Action = std::function<void()>;

// Adds the subcommand; `run` becomes the chosen action when the subcommand is on the line.
// `check`, if given, looks at the arguments together once all have parsed, and refuses a
// combination by throwing CLI::ValidationError, which makes it a usage error like any other.
CLI::App* addCommand(CLI::App& parent, Action& chosen, const std::string& name, const std::string& description,
                     Action run, std::function<void()> check = {});

// The --json switch of a command that prints data.
CLI::Option* addJsonFlag(CLI::App& command, bool& json);

// One function per family, each in its own file.
void addStatusCommand(CLI::App& app, Action& chosen);
void addDefinitionCommands(CLI::App& app, Action& chosen); // list, show, add, delete, change
void addParamsCommand(CLI::App& app, Action& chosen);
void addDataCommands(CLI::App& app, Action& chosen);    // get, put, watch
void addServiceCommands(CLI::App& app, Action& chosen); // service install|start|stop|reset|query
void addDoctorCommand(CLI::App& app, Action& chosen);

} // namespace zynctl
