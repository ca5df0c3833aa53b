// editing.cpp - ZYN_AddStaticExchange, ZYN_DeleteStaticExchange and ZYN_ChangeStaticExchangeParams.
// Each rewrites zyn.ini under "__ZYN_INIFILE" from the file's current content and then
// rebuilds this process's tables from it.
#include "config/editing.h"

#include <cstring>
#include <optional>
#include <string_view>

#include "config/config_paths.h"
#include "config/config_rewrite.h"
#include "config/definitions_rewrite.h"
#include "config/exchange_name.h"
#include "config/ini_file_lock.h"
#include "config/loader.h"
#include "config/table_budget.h"
#include "config/text.h"
#include "core/library_state.h"

namespace zyn::config {

namespace {

constexpr int32_t kMinPValue = 5500;
constexpr int32_t kMaxPValue = 5532;

// A text the loader reads back as the same single field: not empty, at most 31 characters,
// and free of the characters that separate fields, options or lines.
bool writableText(const char (&field)[ZYN_TEXT_FIELD_SIZE]) {
    size_t length = boundedLength(field, sizeof field);
    if (length == 0 || length > kMaxFieldText) return false;
    return std::string_view(field, length).find_first_of(" \t,\r\n") == std::string_view::npos;
}

// The table position of the record a name designates for deletion: its exchange id and its
// producer text both equal the name's, whatever EXCH_MAP says; no other record with a similar
// producer is taken.
std::optional<uint32_t> findDesignated(const core::LibraryState& state, std::string_view name) {
    ExchangeName wanted;
    if (!parseExchangeName(name, wanted)) return std::nullopt;
    for (uint32_t i = 0; i < state.exchangeCount; ++i) {
        const ExchangeDef* record = state.exchangeTable.record(i);
        if (record == nullptr) break;
        if (answersTo(*record, wanted, kExchMapByProducer)) return i;
    }
    return std::nullopt;
}

// Whether another record of the table already answers to the definition's exchange name under
// the lookup rules; `ignored` is the position of a record about to be replaced.
bool nameTaken(const core::LibraryState& state, const ExchangeDef& definition, std::optional<uint32_t> ignored) {
    if (state.loaded == 0) return false;
    const ExchangeName name = nameOf(definition);
    for (uint32_t i = 0; i < state.exchangeCount; ++i) {
        const ExchangeDef* record = state.exchangeTable.record(i);
        if (record == nullptr) break;
        if (ignored && *ignored == i) continue;
        if (answersTo(*record, name, state.params.exchMap)) return true;
    }
    return false;
}

// Runs the edit under the mutex and rebuilds the tables: 3, -18, -23 or -26.
int32_t applyEdit(core::LibraryState& state, const DefinitionEdit& edit) {
    // Under limits whose tables no load can have (a header written by hand), the rebuild would
    // fail once the file had changed: such an edit is refused before it touches anything.
    if (state.params.maxStaticExchanges > kMaxLoadableStaticExchanges) return ZYN_E_FAILED;
    char scratchPath[kConfigPathSize];
    if (!scratchFilePath(scratchPath)) {
        state.configPathValid = 0;
        return ZYN_E_NOT_FOUND;
    }
    {
        IniFileLock lock(state.iniMutex.get());
        switch (rewriteDefinitions(state.configPath, scratchPath, edit)) {
        case EditOutcome::LineNotFound: return ZYN_E_NOT_FOUND;
        case EditOutcome::Duplicate: return ZYN_E_DUPLICATE;
        case EditOutcome::Failed: return ZYN_E_FAILED;
        case EditOutcome::Done: break;
        }
        // The edit is in zyn.ini now: the empty scratch file is tidiness, and failing to leave
        // one must not report the edit as failed nor skip the rebuild.
        emptyScratchFile(scratchPath);
    }
    return ReloadConfiguration(state, false);
}

DefinitionEdit editFor(const core::LibraryState& state) {
    DefinitionEdit edit;
    edit.exchMap = state.params.exchMap;
    edit.limits = {state.params.maxStaticExchanges, state.params.maxExchangeSize};
    return edit;
}

} // namespace

int32_t checkDefinition(const core::LibraryState& state, const ExchangeDef& definition) {
    const auto& params = state.params;
    if (definition.exchangeNumber < 1 || definition.exchangeNumber > params.maxStaticExchanges) return ZYN_E_PARAMETER;
    if (definition.size < 1 || definition.size > static_cast<uint32_t>(params.maxExchangeSize)) return ZYN_E_PARAMETER;
    if (definition.thirdNumber < 1 || definition.thirdNumber > kMaxThirdNumber) return ZYN_E_PARAMETER;
    if (definition.pValue != 0 && (definition.pValue < kMinPValue || definition.pValue > kMaxPValue))
        return ZYN_E_PARAMETER;
    if (!writableText(definition.producer) || !writableText(definition.destination)) return ZYN_E_PARAMETER;
    return 0;
}

int32_t addStaticExchange(core::LibraryState& state, const ExchangeDef& definition) {
    if (int32_t refused = checkDefinition(state, definition); refused != 0) return refused;
    if (nameTaken(state, definition, std::nullopt)) return ZYN_E_DUPLICATE;
    // Without a configuration path there is no file to add to, as there is none to delete from.
    if (state.configPathValid == 0) return ZYN_E_NOT_FOUND;
    DefinitionEdit edit = editFor(state);
    edit.append = &definition;
    return applyEdit(state, edit);
}

int32_t deleteStaticExchange(core::LibraryState& state, char* exchangeName) {
    if (exchangeName == nullptr) return ZYN_E_NOT_FOUND;
    // Callers see their name upper-cased, whatever the outcome.
    upperAscii(exchangeName);
    if (state.loaded == 0) return ZYN_E_NOT_FOUND;
    std::optional<uint32_t> position = findDesignated(state, exchangeName);
    if (!position) return ZYN_E_NOT_FOUND;
    if (state.configPathValid == 0) return ZYN_E_NOT_FOUND;
    const ExchangeDef removed = *state.exchangeTable.record(*position);
    DefinitionEdit edit = editFor(state);
    edit.remove = &removed;
    return applyEdit(state, edit);
}

int32_t changeStaticExchangeParams(core::LibraryState& state, const ExchangeDef& definition) {
    char name[kExchangeNameCapacity];
    formatExchangeName(name, definition.exchangeId, definition.producer);
    upperAscii(name);
    if (state.loaded == 0) return ZYN_E_NOT_FOUND;
    std::optional<uint32_t> position = findDesignated(state, name);
    if (!position) return ZYN_E_NOT_FOUND;
    // The new definition is checked before anything is removed: a refused change leaves the
    // file and the tables as they were.
    if (int32_t refused = checkDefinition(state, definition); refused != 0) return refused;
    if (nameTaken(state, definition, position)) return ZYN_E_DUPLICATE;
    if (state.configPathValid == 0) return ZYN_E_NOT_FOUND;
    const ExchangeDef removed = *state.exchangeTable.record(*position);
    DefinitionEdit edit = editFor(state);
    edit.remove = &removed;
    edit.append = &definition;
    return applyEdit(state, edit);
}

} // namespace zyn::config
