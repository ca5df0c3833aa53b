// status_command.cpp - `zynctl status`: is the service there and running, where are its
// objects, where is zyn.ini, what are the service parameters, how many exchanges are defined.
#include <optional>
#include <string>

#include "command.h"
#include "configured_exchanges.h"
#include "json.h"
#include "machine_facts.h"
#include "record_format.h"
#include "text_output.h"
#include "trvzyn32.h"

namespace zynctl {

namespace {

struct Status {
    bool installed = false;
    bool running = false;
    std::optional<std::string> section;
    std::optional<std::string> iniMutex;
    std::optional<std::string> exchangeMutex; // of the first exchange of the table
    std::string configuration;
    ServiceConfigParams parameters{};
    int32_t exchanges = 0;
};

// The namespace is the section's: the library attaches there, and picks its mutexes to match.
std::optional<std::string> namespaceOf(const std::optional<std::string>& section) {
    if (!section) return std::nullopt;
    return section->starts_with("Global\\") ? "global" : "plain";
}

Status gatherStatus() {
    Status status;
    status.installed = ZYN_IsServicePresent() != 0;
    // On a platform without a Service Control Manager both tests answer 1; that is what they say.
    status.running = status.installed && ZYN_IsServiceRunning() != 0;
    status.section = whereSectionIs(kSectionName);
    status.iniMutex = whereMutexIs(kIniMutexName);
    status.configuration = configurationFilePath();
    ZYN_GetServiceConfigParams(&status.parameters);
    status.exchanges = ZYN_GetNumberOfExchangesFromConfigFile();
    if (status.exchanges > 0) {
        const ExchangeDef first = configuredExchanges().front();
        // Numbered by exchange number in the fixed page layout, by table position in the packed one.
        status.exchangeMutex =
            whereMutexIs(exchangeMutexName(status.parameters.exchMap == 0 ? first.exchangeNumber : 0));
    }
    return status;
}

std::string namespaceText(const std::optional<std::string>& section) {
    if (!section) return "none: the section " + std::string(kSectionName) + " was not found";
    return *namespaceOf(section) == "global" ? "Global\\ (the global namespace)"
                                             : "plain names (this session's namespace)";
}

Json orNull(const std::optional<std::string>& text) { return text ? Json(*text) : Json(nullptr); }

void printStatus(const Status& status) {
    std::vector<std::pair<std::string, std::string>> fields{
        {"service", !status.installed ? "not installed"
                    : status.running  ? "installed, running"
                                      : "installed, not running"},
        {"namespace", namespaceText(status.section)},
        {"section", status.section.value_or("not found")},
        {"ini mutex", status.iniMutex.value_or("not found")},
        {"exchange mutex", status.exchanges > 0 ? status.exchangeMutex.value_or("not found") : "(no exchange)"},
        {"configuration", status.configuration.empty() ? "(%windir% cannot be expanded)" : status.configuration},
    };
    for (auto& field : parameterFields(status.parameters))
        fields.push_back(std::move(field));
    fields.emplace_back("exchanges", std::to_string(status.exchanges));
    printFields(fields);
}

Json statusJson(const Status& status) {
    return Json::Object{
        {"installed", status.installed},
        {"running", status.running},
        {"namespace", orNull(namespaceOf(status.section))},
        {"section", orNull(status.section)},
        {"iniMutex", orNull(status.iniMutex)},
        {"exchangeMutex", orNull(status.exchangeMutex)},
        {"configuration", status.configuration.empty() ? Json(nullptr) : Json(status.configuration)},
        {"parameters", parametersJson(status.parameters)},
        {"exchanges", status.exchanges},
    };
}

} // namespace

void addStatusCommand(CLI::App& app, Action& chosen) {
    auto json = std::make_shared<bool>(false);
    CLI::App* status = addCommand(app, chosen, "status",
                                  "the service's state, the namespace of its objects, zyn.ini's path, the service "
                                  "parameters and the number of exchanges",
                                  [json] {
                                      const Status facts = gatherStatus();
                                      if (*json)
                                          printJson(statusJson(facts));
                                      else
                                          printStatus(facts);
                                  });
    addJsonFlag(*status, *json);
}

} // namespace zynctl
