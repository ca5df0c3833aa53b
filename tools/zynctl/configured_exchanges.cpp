// configured_exchanges.cpp - the count-then-copy protocol of the table, and the lookup by name.
#include "configured_exchanges.h"

#include <algorithm>

#include "failure.h"

namespace zynctl {

std::vector<ExchangeDef> configuredExchanges() {
    const int32_t count = ZYN_GetNumberOfExchangesFromConfigFile();
    // The copy writes count records and takes no size, so the array is sized from the count
    // just read; one record at least, since an empty vector may hand out no array at all.
    std::vector<ExchangeDef> table(count > 0 ? static_cast<size_t>(count) : 1);
    const int32_t result = ZYN_GetAllExchangesFromConfigFile(table.data());
    if (result != ZYN_OK) throw LibraryFailure("ZYN_GetAllExchangesFromConfigFile", result);
    table.resize(count > 0 ? static_cast<size_t>(count) : 0);
    return table;
}

std::optional<ExchangeDef> findExchange(const std::string& name) {
    ExchangeDef definition{};
    ZYN_GetStaticExchangeParams(name.c_str(), &definition);
    // Every loaded record has an exchange number of at least 1; zero is the "not found" record.
    if (definition.exchangeNumber == 0) return std::nullopt;
    return definition;
}

ExchangeDef requireExchange(const std::string& name, const char* function) {
    std::optional<ExchangeDef> definition = findExchange(name);
    if (!definition) throw Failure(std::string(function) + ": no exchange " + name + " in the loaded configuration");
    return *definition;
}

uint32_t usableSize(const ExchangeDef& definition) {
    ServiceConfigParams params{};
    if (ZYN_GetServiceConfigParams(&params) != 0) return definition.size;
    const int64_t room = int64_t{static_cast<int32_t>(params.maxExchangeSize)} - ZYN_PAGE_HEADER_SIZE;
    return static_cast<uint32_t>(std::clamp<int64_t>(room, 0, definition.size));
}

} // namespace zynctl
