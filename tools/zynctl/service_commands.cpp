// service_commands.cpp - `zynctl service install PATH | start | stop | reset | query`.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "command.h"
#include "failure.h"
#include "json.h"
#include "text_output.h"
#include "trvzyn32.h"

namespace zynctl {

namespace {

constexpr char kServiceName[] = "ZYN Service";

void addInstallCommand(CLI::App& service, Action& chosen) {
    auto path = std::make_shared<std::string>();
    CLI::App* install =
        addCommand(service, chosen, "install",
                   "create the service entry \"ZYN Service\" for a service program (not started)", [path] {
                       // 1 when the entry was created, 0 for every reason it was not.
                       const int32_t created = ZYN_InitService(path->c_str());
                       if (created != 1) throw LibraryFailure("ZYN_InitService", created);
                       std::printf("created the service entry \"%s\" for %s\n", kServiceName, path->c_str());
                   });
    install
        ->add_option_function<std::string>(
            "PATH",
            [path](const std::string& text) {
                if (text.empty()) throw CLI::ValidationError("PATH", "must not be empty");
                *path = text;
            },
            "the full Windows path of the service program, switches included (its command line)")
        ->required()
        ->type_name("PATH");
}

// start, stop and reset: one call each, and a line saying what happened.
void addControlCommand(CLI::App& service, Action& chosen, const char* name, const char* description,
                       const char* function, int32_t(ZYN_CALL* call)(), const char* done) {
    addCommand(service, chosen, name, description, [function, call, done] {
        requireOk(function, call());
        std::printf("%s %s\n", kServiceName, done);
    });
}

void query(bool json) {
    const int32_t count = ZYN_GetNumberOfExchangesFromService();
    if (count < 0) throw LibraryFailure("ZYN_GetNumberOfExchangesFromService", count);
    // Room for every reply the library accepts; the second request may find another count, but
    // never one beyond this area.
    uint8_t entries[ZYN_SERVICE_MAX_ENTRIES * ZYN_SERVICE_ENTRY_SIZE] = {};
    requireOk("ZYN_GetAllExchangesFromService", ZYN_GetAllExchangesFromService(entries));
    const int32_t shown = std::min<int32_t>(count, ZYN_SERVICE_MAX_ENTRIES);
    if (json) {
        Json::Array list;
        for (int32_t i = 0; i < shown; ++i)
            list.emplace_back(hexString(entries + i * ZYN_SERVICE_ENTRY_SIZE, ZYN_SERVICE_ENTRY_SIZE));
        printJson(Json::Object{{"count", count}, {"entries", std::move(list)}});
        return;
    }
    std::printf("%d exchanges from the service\n", static_cast<int>(count));
    for (int32_t i = 0; i < shown; ++i)
        std::printf("entry %2d: %s\n", static_cast<int>(i),
                    hexBytes(entries + i * ZYN_SERVICE_ENTRY_SIZE, ZYN_SERVICE_ENTRY_SIZE).c_str());
}

void addQueryCommand(CLI::App& service, Action& chosen) {
    auto json = std::make_shared<bool>(false);
    CLI::App* command =
        addCommand(service, chosen, "query", "ask the running service for its exchange list over UDP; entries as hex",
                   [json] { query(*json); });
    addJsonFlag(*command, *json);
}

} // namespace

void addServiceCommands(CLI::App& app, Action& chosen) {
    CLI::App* service = app.add_subcommand("service", "install, start, stop, reset and query the ZYN Service");
    service->require_subcommand(1);
    addInstallCommand(*service, chosen);
    addControlCommand(*service, chosen, "start", "start the service and wait until its shared memory is there",
                      "ZYN_StartService", ZYN_StartService, "started");
    addControlCommand(*service, chosen, "stop", "stop the service", "ZYN_StopService", ZYN_StopService, "stopped");
    addControlCommand(*service, chosen, "reset", "stop the service, wait until it has stopped, and start it again",
                      "ZYN_ResetService", ZYN_ResetService, "reset");
    addQueryCommand(*service, chosen);
}

} // namespace zynctl
