// arguments.h - the checked arguments of zynctl's commands. Each is parsed and checked while
// CLI11 reads the command line, so a bad one ends in the usage message and exit status 2 before
// any function of the library is called. A target may be a std::optional, which then tells
// whether the argument was given.
#pragma once

#include <CLI.hpp>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zynctl {

// Decimal, or hexadecimal after "0x"; no sign for the unsigned kind, no blanks, nothing after.
std::optional<uint32_t> parseUnsigned32(std::string_view text);
std::optional<int32_t> parseSigned32(std::string_view text);

// The checks behind the options below; each throws CLI::ValidationError naming the argument.
uint32_t checkedUnsigned(const std::string& name, const std::string& text, uint32_t min, uint32_t max);
int32_t checkedSigned(const std::string& name, const std::string& text);
// Pairs of hex digits, nothing between them.
std::vector<uint8_t> checkedHexBytes(const std::string& name, const std::string& text);
// A text for one of ExchangeDef's text fields, as fieldTextFault (documented_bounds.h) allows.
std::string checkedFieldText(const std::string& name, const std::string& text);
// An exchange name, "exchange_<id>@<producer>": it must fit ExchangeAccess's 100 bytes.
std::string checkedExchangeName(const std::string& text);

template <typename Target>
CLI::Option* addUnsigned(CLI::App& command, const std::string& name, Target& target, const std::string& description,
                         uint32_t min = 0, uint32_t max = std::numeric_limits<uint32_t>::max()) {
    auto parse = [&target, name, min, max](const std::string& text) { target = checkedUnsigned(name, text, min, max); };
    return command.add_option_function<std::string>(name, parse, description)->type_name("N");
}

template <typename Target>
CLI::Option* addSigned(CLI::App& command, const std::string& name, Target& target, const std::string& description) {
    auto parse = [&target, name](const std::string& text) { target = checkedSigned(name, text); };
    return command.add_option_function<std::string>(name, parse, description)->type_name("N");
}

template <typename Target>
CLI::Option* addHexBytes(CLI::App& command, const std::string& name, Target& target, const std::string& description) {
    auto parse = [&target, name](const std::string& text) { target = checkedHexBytes(name, text); };
    return command.add_option_function<std::string>(name, parse, description)->type_name("HEX");
}

template <typename Target>
CLI::Option* addFieldText(CLI::App& command, const std::string& name, Target& target, const std::string& description) {
    auto parse = [&target, name](const std::string& text) { target = checkedFieldText(name, text); };
    return command.add_option_function<std::string>(name, parse, description)->type_name("TEXT");
}

// One exchange name or more: NAME NAME...
inline CLI::Option* addExchangeNames(CLI::App& command, std::vector<std::string>& target) {
    auto parse = [&target](const std::vector<std::string>& texts) {
        target.clear();
        for (const std::string& text : texts)
            target.push_back(checkedExchangeName(text));
    };
    return command
        .add_option_function<std::vector<std::string>>("NAME", parse,
                                                       "exchange names, exchange_<id>@<producer>, one or more")
        ->required()
        ->type_name("");
}

inline CLI::Option* addExchangeName(CLI::App& command, std::string& target) {
    auto parse = [&target](const std::string& text) { target = checkedExchangeName(text); };
    return command.add_option_function<std::string>("NAME", parse, "exchange name, exchange_<id>@<producer>")
        ->required()
        ->type_name("");
}

} // namespace zynctl
