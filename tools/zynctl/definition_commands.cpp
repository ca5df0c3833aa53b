// definition_commands.cpp - the static exchange definitions of zyn.ini: `list` and `show`.
#include <memory>
#include <string>

#include "arguments.h"
#include "command.h"
#include "configured_exchanges.h"
#include "json.h"
#include "record_format.h"
#include "text_output.h"

namespace zynctl {

namespace {

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
        out.addRow({exchangeName(d), std::to_string(d.exchangeNumber), std::to_string(d.size),
                    std::to_string(d.thirdNumber), fieldText(d.producer), fieldText(d.destination),
                    flagLetters(d.flags), std::to_string(d.pValue), std::to_string(d.exchangeId)});
    }
    out.print();
}

void printDefinition(const ExchangeDef& d) {
    printFields({{"name", exchangeName(d)},
                 {"number", std::to_string(d.exchangeNumber)},
                 {"size", std::to_string(d.size)},
                 {"third number", std::to_string(d.thirdNumber)},
                 {"producer", fieldText(d.producer)},
                 {"destination", fieldText(d.destination)},
                 {"flags", flagLetters(d.flags) + " (" + hexWord(d.flags) + ")"},
                 {"P", std::to_string(d.pValue)},
                 {"id", std::to_string(d.exchangeId)}});
}

void addListCommand(CLI::App& app, Action& chosen) {
    auto json = std::make_shared<bool>(false);
    CLI::App* list = addCommand(app, chosen, "list", "the exchange table of zyn.ini, one exchange a line", [json] {
        const std::vector<ExchangeDef> table = configuredExchanges();
        if (!*json) return printTable(table);
        Json::Array exchanges;
        for (const ExchangeDef& definition : table)
            exchanges.push_back(definitionJson(definition));
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
        const ExchangeDef definition = requireExchange(args->name);
        if (args->json)
            printJson(definitionJson(definition));
        else
            printDefinition(definition);
    });
    addExchangeName(*show, args->name);
    addJsonFlag(*show, args->json);
}

} // namespace

void addDefinitionCommands(CLI::App& app, Action& chosen) {
    addListCommand(app, chosen);
    addShowCommand(app, chosen);
}

} // namespace zynctl
