// parameters.cpp - ZYN_GetServiceConfigParams and ZYN_SetServiceConfigParams. The rewrite keeps
// the lines before the first key line and every line after "[EXCHANGE_DEFS]" as they stand.
#include "config/parameters.h"

#include <cstring>
#include <string_view>

#include "config/config_paths.h"
#include "config/config_rewrite.h"
#include "config/header_keys.h"
#include "config/ini_file_lock.h"
#include "config/text.h"
#include "config/written_form.h"
#include "core/library_state.h"

namespace zyn::config {

namespace {

constexpr std::string_view kMulticastPrefix = "224.0.7.";
constexpr int kMinMulticastGroup = 1;
constexpr int kMaxMulticastGroup = 32;
constexpr size_t kMaxMulticastGroupDigits = 2;

// The caller's list ends at the first empty entry or after the 32nd.
int addressCount(const ServiceConfigParams& params) {
    int count = 0;
    while (count < kMulticastEntries && params.multicast[count][0] != '\0')
        ++count;
    return count;
}

// Exactly "224.0.7.N" with N from 1 to 32 in plain decimal: the only texts that the loader reads
// back as the address they were meant to be. A sign, a leading zero, a blank or anything after
// the number would be written into zyn.ini as given and reach the service as no address at all.
bool validAddress(const char (&entry)[kMulticastTextSize]) {
    std::string_view text(entry, boundedLength(entry, sizeof entry));
    if (!text.starts_with(kMulticastPrefix)) return false;
    const std::string_view digits = text.substr(kMulticastPrefix.size());
    if (digits.empty() || digits.size() > kMaxMulticastGroupDigits || digits[0] == '0') return false;
    int group = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        group = group * 10 + (c - '0');
    }
    return group >= kMinMulticastGroup && group <= kMaxMulticastGroup;
}

// The numbers go into `next` only when all four pass their checks.
bool checkNumbers(ServiceParams& next, const ServiceConfigParams& params) {
    if (params.maxExchangeSize < 1 || params.maxExchangeSize > kMaxSettableExchangeSize) return false;
    if (params.maxStaticExchanges < 1 || params.maxStaticExchanges > kMaxSettableStaticExchanges) return false;
    if (params.maxDynamicExchanges == 0) return false;
    if (params.exchMap != 0 && params.exchMap != 1) return false;
    next.maxExchangeSize = static_cast<int32_t>(params.maxExchangeSize);
    next.maxStaticExchanges = static_cast<int32_t>(params.maxStaticExchanges);
    next.maxDynamicExchanges = params.maxDynamicExchanges;
    next.exchMap = params.exchMap;
    return true;
}

// The new keys, each line after a line end of its own. `separated`: the kept lines end in an
// empty line already, which then stands for the first line end, so that repeated settings
// keep one empty line in front of the keys rather than adding one each.
void writeNewHeader(ConfigRewrite& rewrite, ServiceParams& stored, const ServiceConfigParams& params, int addresses,
                    bool separated) {
    std::memset(stored.multicast, 0, sizeof stored.multicast);
    stored.multicastCount = 0;
    char line[kWrittenLineCapacity];
    auto write = [&](size_t length) {
        const size_t skip = separated && length != 0 ? 1 : 0; // every written line starts with "\n"
        rewrite.write({line + skip, length - skip});
        separated = false;
    };
    for (int i = 0; i < addresses; ++i) {
        write(formatMulticastLine(line, params.multicast[i]));
        std::memcpy(stored.multicast[i], params.multicast[i], kMulticastTextSize);
        ++stored.multicastCount;
    }
    write(formatHeaderNumbers(line, stored));
}

void copyPiece(ConfigRewrite& rewrite, const FilePiece& piece) {
    rewrite.copy(piece.content);
    rewrite.copy(piece.terminator);
}

// Streams the new zyn.ini: the lines before the first key line, the new keys, the marker, and
// everything after the old marker, these copied byte for byte.
void writeRewrittenFile(ConfigRewrite& rewrite, ServiceParams& stored, const ServiceConfigParams& params,
                        int addresses) {
    FilePiece piece;
    bool stoppedAtKey = false;
    bool atLineStart = true;
    bool endsInEmptyLine = false;
    while (rewrite.readPiece(piece)) {
        if (isKeyLineExactCase(piece.view)) {
            stoppedAtKey = true;
            break;
        }
        copyPiece(rewrite, piece);
        endsInEmptyLine = atLineStart && piece.content.empty() && piece.endsLine();
        atLineStart = piece.endsLine();
    }
    writeNewHeader(rewrite, stored, params, addresses, endsInEmptyLine);
    // The old header is dropped up to and including its marker line.
    if (stoppedAtKey && piece.view.find(kDefinitionsMarker) == std::string_view::npos) {
        while (rewrite.readPiece(piece) && piece.view.find(kDefinitionsMarker) == std::string_view::npos) {
        }
    }
    rewrite.write(kDefinitionsMarker);
    rewrite.write("\n");
    while (rewrite.readPiece(piece))
        copyPiece(rewrite, piece);
}

} // namespace

int32_t getServiceConfigParams(const core::LibraryState& state, ServiceConfigParams* out) {
    const ServiceParams& params = state.params;
    if (out == nullptr) return params.exchMap;
    const uint32_t count = params.multicastCount < kMulticastEntries ? params.multicastCount : kMulticastEntries;
    for (uint32_t i = 0; i < count; ++i)
        std::memcpy(out->multicast[i], params.multicast[i], kMulticastTextSize);
    out->maxExchangeSize = static_cast<uint32_t>(params.maxExchangeSize);
    out->maxStaticExchanges = static_cast<uint32_t>(params.maxStaticExchanges);
    out->maxDynamicExchanges = params.maxDynamicExchanges;
    out->exchMap = params.exchMap;
    return params.exchMap;
}

int32_t setServiceConfigParams(core::LibraryState& state, const ServiceConfigParams& params) {
    const int addresses = addressCount(params);
    for (int i = 0; i < addresses; ++i) {
        if (!validAddress(params.multicast[i])) return ZYN_E_PARAMETER;
    }
    // The new values are prepared aside: a call that fails, at any step, changes nothing.
    ServiceParams next = state.params;
    if (!checkNumbers(next, params)) return ZYN_E_PARAMETER;

    char scratchPath[kConfigPathSize];
    // Without the Windows directory there is neither a file to rewrite nor a scratch file.
    if (state.configPathValid == 0 || !scratchFilePath(scratchPath)) {
        return ZYN_E_NOT_FOUND;
    }
    IniFileLock lock(state.iniMutex.get());
    {
        ConfigRewrite rewrite(state.configPath, scratchPath);
        if (!rewrite.open()) return ZYN_E_FAILED;
        writeRewrittenFile(rewrite, next, params, addresses);
        if (!rewrite.commit()) return ZYN_E_FAILED;
    }
    state.params = next;
    // The scratch file keeps a copy of the new configuration until the next edit.
    copyFileBytes(state.configPath, scratchPath);
    return ZYN_OK;
}

} // namespace zyn::config
