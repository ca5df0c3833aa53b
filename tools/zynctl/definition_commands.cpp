// definition_commands.cpp - the static exchange definitions of zyn.ini: `list`, `show`, `add`,
// `delete` and `change`.
#include <cstring>
#include <memory>
#include <string>

#include "arguments.h"
#include "command.h"
#include "configured_exchanges.h"
#include "definition_options.h"
#include "documented_bounds.h"
#include "failure.h"
#include "json.h"
#include "record_format.h"
#include "text_output.h"

namespace zynctl {

namespace {

// "64", or "64 (32 usable)" for a definition larger than its page's room.
std::string sizeText(const ExchangeDef& d) {
    const uint32_t usable = usableSize(d);
    return std::to_string(d.size) + (usable < d.size ? " (" + std::to_string(usable) + " usable)" : "");
}

void printTable(const std::vector<ExchangeDef>& table) {
    using Align = Table::Align;
    Table out({{"NAME", Align::Left},
               {"NUMBER", Align::Right},
               {"SIZE", Align::Right},
               {"THIRD", Align::Right},
               {"PRODUCER", Align::Left},
               {"DESTINATION", Align::Left},
               {"FLAGS", Align::Left},
               {"P", Align::Right},
               {"ID", Align::Right}});
    for (const ExchangeDef& d : table) {
        out.addRow({exchangeName(d), std::to_string(d.exchangeNumber), sizeText(d), std::to_string(d.thirdNumber),
                    fieldText(d.producer), fieldText(d.destination), flagLetters(d.flags), std::to_string(d.pValue),
                    std::to_string(d.exchangeId)});
    }
    out.print();
}

void printDefinition(const ExchangeDef& d) {
    printFields({{"name", exchangeName(d)},
                 {"number", std::to_string(d.exchangeNumber)},
                 {"size", sizeText(d)},
                 {"third number", std::to_string(d.thirdNumber)},
                 {"producer", fieldText(d.producer)},
                 {"destination", fieldText(d.destination)},
                 {"flags", flagLetters(d.flags) + " (" + hexWord(d.flags) + ")"},
                 {"P", std::to_string(d.pValue)},
                 {"id", std::to_string(d.exchangeId)}});
}

void copyText(char (&field)[ZYN_TEXT_FIELD_SIZE], const std::string& text) {
    // The argument check has kept the text within the field, terminator included.
    std::memset(field, 0, sizeof field);
    std::memcpy(field, text.data(), text.size());
}

// The result of an add or a change, a -11 naming the new definition's first field outside the
// bounds, against the limits this process's library holds.
void requireDefinitionOk(const char* function, int32_t result, const ExchangeDef& definition) {
    requireOk(function, result, [&definition] {
        ServiceConfigParams limits{};
        ZYN_GetServiceConfigParams(&limits);
        return definitionFault(definition, limits);
    });
}

void addListCommand(CLI::App& app, Action& chosen) {
    auto json = std::make_shared<bool>(false);
    CLI::App* list = addCommand(app, chosen, "list", "the exchange table of zyn.ini, one exchange a line", [json] {
        const std::vector<ExchangeDef> table = configuredExchanges();
        if (!*json) return printTable(table);
        Json::Array exchanges;
        for (const ExchangeDef& definition : table)
            exchanges.push_back(definitionJson(definition, usableSize(definition)));
        printJson(Json::Object{{"count", table.size()}, {"exchanges", std::move(exchanges)}});
    });
    addJsonFlag(*list, *json);
}

void addShowCommand(CLI::App& app, Action& chosen) {
    struct Arguments {
        std::string name;
        bool json = false;
    };
    auto args = std::make_shared<Arguments>();
    CLI::App* show = addCommand(app, chosen, "show", "one exchange's definition, found by its name", [args] {
        const ExchangeDef definition = requireExchange(args->name, "ZYN_GetStaticExchangeParams");
        if (args->json)
            printJson(definitionJson(definition, usableSize(definition)));
        else
            printDefinition(definition);
    });
    addExchangeName(*show, args->name);
    addJsonFlag(*show, args->json);
}

void addAddCommand(CLI::App& app, Action& chosen) {
    struct Arguments {
        int32_t number = 0;
        uint32_t size = 0;
        int32_t third = 0;
        std::string producer;
        std::string destination;
        std::optional<DefinitionOptions> options;
    };
    auto args = std::make_shared<Arguments>();
    CLI::App* add = addCommand(app, chosen, "add", "add a static exchange definition to zyn.ini", [args] {
        const DefinitionOptions options = args->options.value_or(DefinitionOptions{});
        ExchangeDef definition{};
        definition.exchangeNumber = args->number;
        definition.size = args->size;
        definition.thirdNumber = args->third;
        copyText(definition.producer, args->producer);
        copyText(definition.destination, args->destination);
        definition.flags = options.flags;
        definition.pValue = options.pValue;
        definition.exchangeId = options.exchangeId.value_or(args->number);
        requireDefinitionOk("ZYN_AddStaticExchange", ZYN_AddStaticExchange(definition), definition);
        std::printf("added %s\n", exchangeName(definition).c_str());
    });
    addSigned(*add, "NUMBER", args->number, "exchange number, 1 to MAX_STATIC_EXCHANGES")->required();
    addUnsigned(*add, "SIZE", args->size, "data bytes, 1 to MAX_EXCHANGE_SIZE")->required();
    addSigned(*add, "THIRD", args->third, "third number, 1 to " + std::to_string(kMaxThirdNumber))->required();
    addFieldText(*add, "PRODUCER", args->producer, "producer node, at most 31 characters")->required();
    addFieldText(*add, "DESTINATION", args->destination, "destination, at most 31 characters")->required();
    addDefinitionOptions(*add, args->options, true);
}

void addDeleteCommand(CLI::App& app, Action& chosen) {
    auto name = std::make_shared<std::string>();
    CLI::App* remove = addCommand(app, chosen, "delete", "remove an exchange's definition from zyn.ini", [name] {
        // The library upper-cases the name in place, so it gets a copy it may write to.
        char writable[ZYN_EXCHANGE_NAME_SIZE] = {};
        std::memcpy(writable, name->data(), name->size());
        requireOk("ZYN_DeleteStaticExchange", ZYN_DeleteStaticExchange(writable));
        std::printf("deleted %s\n", name->c_str());
    });
    addExchangeName(*remove, *name);
}

void addChangeCommand(CLI::App& app, Action& chosen) {
    struct Arguments {
        std::string name;
        std::optional<int32_t> number;
        std::optional<uint32_t> size;
        std::optional<int32_t> third;
        std::optional<std::string> destination;
        std::optional<DefinitionOptions> options;
    };
    auto args = std::make_shared<Arguments>();
    auto run = [args] {
        // The change starts from the definition as it stands; without one it is the change that fails.
        ExchangeDef definition = requireExchange(args->name, "ZYN_ChangeStaticExchangeParams");
        if (args->number) definition.exchangeNumber = *args->number;
        if (args->size) definition.size = *args->size;
        if (args->third) definition.thirdNumber = *args->third;
        if (args->destination) copyText(definition.destination, *args->destination);
        if (args->options) {
            definition.flags = args->options->flags;
            definition.pValue = args->options->pValue;
        }
        requireDefinitionOk("ZYN_ChangeStaticExchangeParams", ZYN_ChangeStaticExchangeParams(definition), definition);
        std::printf("changed %s\n", exchangeName(definition).c_str());
    };
    auto check = [args] {
        if (!args->number && !args->size && !args->third && !args->destination && !args->options)
            throw CLI::ValidationError("change", "nothing to change: give --number, --size, --third, --destination "
                                                 "or --option");
    };
    CLI::App* change = addCommand(app, chosen, "change",
                                  "replace an exchange's definition: the name selects it, the options say what "
                                  "changes; the new line goes to the end of zyn.ini",
                                  run, check);
    addExchangeName(*change, args->name);
    addSigned(*change, "--number", args->number, "new exchange number");
    addUnsigned(*change, "--size", args->size, "new size in bytes");
    addSigned(*change, "--third", args->third, "new third number");
    addFieldText(*change, "--destination", args->destination, "new destination");
    addDefinitionOptions(*change, args->options, false);
}

} // namespace

void addDefinitionCommands(CLI::App& app, Action& chosen) {
    addListCommand(app, chosen);
    addShowCommand(app, chosen);
    addAddCommand(app, chosen);
    addDeleteCommand(app, chosen);
    addChangeCommand(app, chosen);
}

} // namespace zynctl
