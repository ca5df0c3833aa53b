// definition_options.cpp - reading option letters into flags, P value and exchange id.
#include "definition_options.h"

#include <string>
#include <vector>

#include "arguments.h"
#include "documented_bounds.h"

namespace zynctl {

namespace {

constexpr char kOptionName[] = "--option";

int32_t optionNumber(const std::string& token) {
    std::optional<int32_t> value = parseSigned32(std::string_view(token).substr(2));
    if (!value) throw CLI::ValidationError(kOptionName, "'" + token + "': no 32-bit number after the '='");
    return *value;
}

DefinitionOptions parseDefinitionOptions(const std::vector<std::string>& tokens, bool idAllowed) {
    DefinitionOptions options;
    for (const std::string& token : tokens) {
        if (token == "M")
            options.flags |= ZYN_FLAG_MUTEX;
        else if (token == "T")
            options.flags |= ZYN_FLAG_T;
        else if (token == "S")
            options.flags |= ZYN_FLAG_S;
        else if (token.starts_with("P="))
            options.pValue = optionNumber(token);
        else if (token.starts_with("E=") && idAllowed)
            options.exchangeId = optionNumber(token);
        else if (token.starts_with("E="))
            throw CLI::ValidationError(kOptionName, "the exchange id names the exchange and cannot be changed; "
                                                    "delete it and add it anew");
        else
            throw CLI::ValidationError(kOptionName, "'" + token + "' is none of T, S, M, P=N, E=N");
    }
    return options;
}

} // namespace

CLI::Option* addDefinitionOptions(CLI::App& command, std::optional<DefinitionOptions>& target, bool idAllowed) {
    auto parse = [&target, idAllowed](const std::vector<std::string>& tokens) {
        target = parseDefinitionOptions(tokens, idAllowed);
    };
    return command
        .add_option_function<std::vector<std::string>>(
            std::string("-o,") + kOptionName, parse,
            idAllowed
                ? "option letters of the definition line: T, S, M, P=N (0 or " + std::to_string(kMinPValue) + " to " +
                      std::to_string(kMaxPValue) + "), E=N (exchange id, default NUMBER); repeat or join with commas"
                : "the new option letters, replacing the old: T, S, M, P=N; repeat or join with commas")
        ->delimiter(',')
        ->type_name("LETTER");
}

} // namespace zynctl
