// config_rewrite.h - rewriting zyn.ini so that it is never seen truncated or half-written: the
// new content goes completely into the scratch file in the same folder, reaches the disk, and
// then takes zyn.ini's place in one step. The caller holds "__ZYN_INIFILE" throughout.
#pragma once

#include <cstdint>
#include <string_view>

#include "config/loader.h"
#include "platform/scoped_handle.h"

namespace zyn::config {

class ConfigRewrite {
public:
    ConfigRewrite(const char* configPath, const char* scratchPath)
        : configPath_(configPath), scratchPath_(scratchPath) {}
    ConfigRewrite(const ConfigRewrite&) = delete;
    ConfigRewrite& operator=(const ConfigRewrite&) = delete;
    // A rewrite that was not committed leaves zyn.ini as it was and the scratch file empty.
    ~ConfigRewrite();

    // Opens zyn.ini for reading (a missing file reads as empty; one that exists but cannot be
    // opened is a failure, never an empty file) and the scratch file for writing.
    bool open();
    bool configExisted() const { return configExisted_; }

    // The next piece of the current zyn.ini, as the loader reads it.
    bool readPiece(char (&piece)[kLinePieceSize]);
    // Writes into the new content; a failed write is remembered and fails the commit.
    void write(std::string_view text);

    // Puts the new content in zyn.ini's place. False (zyn.ini unchanged) when any write, the
    // flush or the replacement failed.
    bool commit();

private:
    const char* configPath_;
    const char* scratchPath_;
    platform::File config_;
    platform::File scratch_;
    bool configExisted_ = false;
    bool writeFailed_ = false;
    bool committed_ = false;
};

// Leaves the scratch file empty (created if missing); false when it cannot be opened.
bool emptyScratchFile(const char* scratchPath);

// Copies the current zyn.ini into the scratch file; false on any failure.
bool copyConfigToScratch(const char* configPath, const char* scratchPath);

} // namespace zyn::config
