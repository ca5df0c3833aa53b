// params_command.cpp - `zynctl params`: the service parameters of zyn.ini's header, shown and,
// with --set, changed.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "arguments.h"
#include "command.h"
#include "documented_bounds.h"
#include "failure.h"
#include "json.h"
#include "record_format.h"
#include "text_output.h"

namespace zynctl {

namespace {

// Changes to one ServiceConfigParams record, gathered from the --set arguments in their order.
struct ParameterChanges {
    std::optional<std::vector<std::string>> multicast;
    std::optional<uint32_t> maxExchangeSize;
    std::optional<uint32_t> maxStaticExchanges;
    std::optional<uint32_t> maxDynamicExchanges;
    std::optional<int32_t> exchMap;

    bool any() const { return multicast || maxExchangeSize || maxStaticExchanges || maxDynamicExchanges || exchMap; }
};

constexpr char kSetName[] = "--set";

std::vector<std::string> parseMulticast(const std::string& value) {
    std::vector<std::string> addresses;
    // An empty value empties the list.
    for (size_t start = 0; start < value.size();) {
        const size_t comma = std::min(value.find(',', start), value.size());
        std::string address = value.substr(start, comma - start);
        if (address.empty() || address.size() >= ZYN_MULTICAST_TEXT_SIZE)
            throw CLI::ValidationError(kSetName, "MULTICAST: '" + address + "' is empty or longer than the " +
                                                     std::to_string(ZYN_MULTICAST_TEXT_SIZE - 1) +
                                                     " characters an entry holds");
        addresses.push_back(std::move(address));
        start = comma + 1;
    }
    if (addresses.size() > ZYN_MULTICAST_ENTRIES)
        throw CLI::ValidationError(kSetName,
                                   "MULTICAST: more than " + std::to_string(ZYN_MULTICAST_ENTRIES) + " addresses");
    return addresses;
}

void parseSetting(const std::string& setting, ParameterChanges& changes) {
    const size_t equals = setting.find('=');
    if (equals == std::string::npos) throw CLI::ValidationError(kSetName, "'" + setting + "' is not KEY=VALUE");
    std::string key = setting.substr(0, equals);
    for (char& c : key)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::string value = setting.substr(equals + 1);
    const std::string name = std::string(kSetName) + " " + key;
    if (key == "MULTICAST")
        changes.multicast = parseMulticast(value);
    else if (key == "MAX_EXCHANGE_SIZE")
        changes.maxExchangeSize = checkedUnsigned(name, value, 0, UINT32_MAX);
    else if (key == "MAX_STATIC_EXCHANGES")
        changes.maxStaticExchanges = checkedUnsigned(name, value, 0, UINT32_MAX);
    else if (key == "MAX_DYNAMIC_EXCHANGES")
        changes.maxDynamicExchanges = checkedUnsigned(name, value, 0, UINT32_MAX);
    else if (key == "EXCH_MAP")
        changes.exchMap = checkedSigned(name, value);
    else
        throw CLI::ValidationError(kSetName, "'" + key +
                                                 "' is none of MULTICAST, MAX_EXCHANGE_SIZE, "
                                                 "MAX_STATIC_EXCHANGES, MAX_DYNAMIC_EXCHANGES, EXCH_MAP");
}

ServiceConfigParams currentParameters() {
    // The copy stops after the addresses in use; the zeroed rest ends the list.
    ServiceConfigParams params{};
    ZYN_GetServiceConfigParams(&params);
    return params;
}

void apply(const ParameterChanges& changes, ServiceConfigParams& params) {
    if (changes.multicast) {
        std::memset(params.multicast, 0, sizeof params.multicast);
        for (size_t i = 0; i < changes.multicast->size(); ++i)
            std::memcpy(params.multicast[i], (*changes.multicast)[i].data(), (*changes.multicast)[i].size());
    }
    if (changes.maxExchangeSize) params.maxExchangeSize = *changes.maxExchangeSize;
    if (changes.maxStaticExchanges) params.maxStaticExchanges = *changes.maxStaticExchanges;
    if (changes.maxDynamicExchanges) params.maxDynamicExchanges = *changes.maxDynamicExchanges;
    if (changes.exchMap) params.exchMap = *changes.exchMap;
}

} // namespace

void addParamsCommand(CLI::App& app, Action& chosen) {
    struct Arguments {
        ParameterChanges changes;
        bool json = false;
    };
    auto args = std::make_shared<Arguments>();
    CLI::App* params = addCommand(
        app, chosen, "params",
        "the service parameters (MULTICAST, MAX_EXCHANGE_SIZE, MAX_STATIC_EXCHANGES, MAX_DYNAMIC_EXCHANGES, EXCH_MAP); "
        "with --set, changed in zyn.ini's header first",
        [args] {
            if (args->changes.any()) {
                ServiceConfigParams changed = currentParameters();
                apply(args->changes, changed);
                requireOk("ZYN_SetServiceConfigParams", ZYN_SetServiceConfigParams(changed),
                          [&changed] { return parametersFault(changed); });
            }
            const ServiceConfigParams now = currentParameters();
            if (args->json)
                printJson(parametersJson(now));
            else
                printFields(parameterFields(now));
        });
    params
        ->add_option_function<std::vector<std::string>>(
            kSetName,
            [args](const std::vector<std::string>& settings) {
                for (const std::string& setting : settings)
                    parseSetting(setting, args->changes);
            },
            "KEY=VALUE to set, repeatable; MULTICAST takes addresses joined by commas (224.0.7.1,224.0.7.2), or "
            "nothing to empty the list")
        ->type_name("KEY=VALUE");
    addJsonFlag(*params, args->json);
}

} // namespace zynctl
