// configuration.cpp - reading zyn.ini as the library does: text mode, 128-byte pieces, the header
// up to its end marker, then the definition lines after the first "[EXCHANGE_DEFS]" line.
#include "configuration.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "config/definition_line.h"
#include "config/header_keys.h"
#include "platform/win32/scoped_win32.h"

namespace zyn::reference {

namespace {

constexpr int kPieceSize = 128; // the library reads lines of at most 127 characters

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using TextFile = std::unique_ptr<std::FILE, FileCloser>;

// Holds "__ZYN_INIFILE" for the lifetime of the object, so that no writer of the file (the library
// rewriting it for an application) interleaves with this read. Abandoned counts as acquired; a
// mutex that cannot be had leaves the read unlocked, as the library does too.
class IniFileLock {
public:
    IniFileLock(const std::string& name, SECURITY_ATTRIBUTES* security)
        : mutex_(CreateMutexA(security, FALSE, name.c_str())) {
        if (!mutex_) mutex_.reset(OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name.c_str()));
        if (mutex_) {
            DWORD result = WaitForSingleObject(mutex_.get(), INFINITE);
            held_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
        }
    }
    IniFileLock(const IniFileLock&) = delete;
    IniFileLock& operator=(const IniFileLock&) = delete;
    ~IniFileLock() {
        if (held_) ReleaseMutex(mutex_.get());
    }

private:
    win32::KernelHandle mutex_;
    bool held_ = false;
};

std::string_view lineOf(const char* piece) { return {piece, std::strcspn(piece, "\n")}; }

void readHeader(std::FILE* file, config::ServiceParams& params) {
    char piece[kPieceSize];
    while (std::fgets(piece, sizeof piece, file) != nullptr) {
        if (config::applyHeaderLine(params, piece) == config::HeaderLine::EndOfHeader) break;
    }
}

void readDefinitions(std::FILE* file, const config::ServiceParams& params, std::vector<ExchangeDef>& records) {
    char piece[kPieceSize];
    bool markerSeen = false;
    while (!markerSeen && std::fgets(piece, sizeof piece, file) != nullptr) {
        markerSeen = std::strstr(piece, config::kDefinitionsMarker.data()) != nullptr;
    }
    const int64_t keep = params.maxStaticExchanges < 0 ? 0 : params.maxStaticExchanges;
    // The library keeps the counted lines in a text of (S + 1) x 128 - 2 bytes and parses only
    // what fits; stopping at the same point keeps the two exchange tables equal.
    const int64_t textLimit = (keep + 1) * kPieceSize - 2;
    int64_t textUsed = 0;
    const config::DefinitionLimits limits{params.maxStaticExchanges, params.maxExchangeSize};
    while (markerSeen && std::fgets(piece, sizeof piece, file) != nullptr) {
        std::string_view line = lineOf(piece);
        if (config::classifyDefinitionLine(line) != config::DefinitionLineKind::Counted) continue;
        textUsed += static_cast<int64_t>(line.size()) + 1;
        if (textUsed > textLimit) break;
        ExchangeDef record;
        if (!config::parseDefinitionLine(line, limits, record)) continue;
        if (static_cast<int64_t>(records.size()) < keep) records.push_back(record);
    }
}

} // namespace

std::string configurationPath() {
    char directory[MAX_PATH] = {};
    UINT length = GetWindowsDirectoryA(directory, sizeof directory);
    if (length == 0 || length >= sizeof directory) return {};
    return std::string(directory, length) + "\\zyn.ini";
}

Configuration readConfiguration(const std::string& path, const std::string& iniMutexName,
                                SECURITY_ATTRIBUTES* mutexSecurity) {
    Configuration configuration;
    if (path.empty()) return configuration;
    IniFileLock lock(iniMutexName, mutexSecurity);
    TextFile file(std::fopen(path.c_str(), "r"));
    if (!file) return configuration;
    readHeader(file.get(), configuration.params);
    std::rewind(file.get());
    readDefinitions(file.get(), configuration.params, configuration.records);
    return configuration;
}

} // namespace zyn::reference
