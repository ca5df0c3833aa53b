// config_rewrite.cpp - the crash-safe rewrite of zyn.ini through the scratch file.
#include "config/config_rewrite.h"

namespace zyn::config {

ConfigRewrite::~ConfigRewrite() {
    config_.reset();
    scratch_.reset();
    if (!committed_) emptyScratchFile(scratchPath_);
}

bool ConfigRewrite::open() {
    configExisted_ = platform::fileExists(configPath_);
    if (configExisted_) {
        config_.reset(platform::openFile(configPath_, "r"));
        if (!config_) return false;
    }
    scratch_.reset(platform::openFile(scratchPath_, "w"));
    return static_cast<bool>(scratch_);
}

bool ConfigRewrite::readPiece(char (&piece)[kLinePieceSize]) {
    return config_ && platform::readPiece(config_.get(), piece, sizeof piece);
}

void ConfigRewrite::write(std::string_view text) {
    if (writeFailed_ || text.empty()) return;
    writeFailed_ = !platform::writeText(scratch_.get(), text.data(), text.size());
}

bool ConfigRewrite::commit() {
    if (writeFailed_ || !platform::flushToDisk(scratch_.get())) return false;
    bool closed = platform::closeFile(scratch_.release());
    config_.reset();
    if (!closed || !platform::replaceFile(configPath_, scratchPath_)) return false;
    committed_ = true;
    return true;
}

bool emptyScratchFile(const char* scratchPath) {
    platform::File scratch(platform::openFile(scratchPath, "w"));
    return static_cast<bool>(scratch);
}

bool copyConfigToScratch(const char* configPath, const char* scratchPath) {
    platform::File config(platform::openFile(configPath, "r"));
    platform::File scratch(platform::openFile(scratchPath, "w"));
    if (!config || !scratch) return false;
    char piece[kLinePieceSize];
    bool ok = true;
    while (ok && platform::readPiece(config.get(), piece, sizeof piece)) {
        ok = platform::writeText(scratch.get(), piece, std::char_traits<char>::length(piece));
    }
    return ok && platform::flushToDisk(scratch.get()) && platform::closeFile(scratch.release());
}

} // namespace zyn::config
