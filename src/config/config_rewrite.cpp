// config_rewrite.cpp - the crash-safe rewrite of zyn.ini through the scratch file.
#include "config/config_rewrite.h"

#include <cstring>

#include "config/text.h"

namespace zyn::config {

namespace {

constexpr size_t kReadChunk = 4096;

// The whole file into `bytes`, its size in `size`; false on a read error or when the memory
// cannot be had.
bool readWhole(const char* path, platform::HeapArray<char>& bytes, uint64_t& size) {
    platform::File file(platform::openFile(path, "rb"));
    if (!file) return false;
    size = 0;
    for (;;) {
        if (bytes.count() - size < kReadChunk) {
            platform::HeapArray<char> larger;
            if (!larger.allocate(bytes.count() * 2 + kReadChunk)) return false;
            if (size != 0) std::memcpy(larger.data(), bytes.data(), size);
            bytes = std::move(larger);
        }
        size_t got = 0;
        if (!platform::readBytes(file.get(), bytes.data() + size, kReadChunk, got)) return false;
        if (got == 0) return true;
        size += got;
    }
}

} // namespace

ConfigRewrite::~ConfigRewrite() {
    scratch_.reset();
    if (committed_ || !scratchOpened_) return;
    // A rewrite that failed leaves no scratch file behind; one that cannot be removed keeps
    // none of the new content.
    if (!platform::removeFile(scratchPath_)) emptyScratchFile(scratchPath_);
}

bool ConfigRewrite::open() {
    // A process whose writes to the Windows directory would land in its per-user copy is refused
    // before any file is touched: the service and every other user would never see the new
    // content, and this process would read it back as if they did.
    if (platform::fileWritesVirtualised()) return false;
    configExisted_ = platform::fileExists(configPath_);
    if (configExisted_) {
        if (!readWhole(configPath_, bytes_, size_)) return false;
        pieces_ = FilePieces({bytes_.data(), static_cast<size_t>(size_)});
    }
    scratch_.reset(platform::openFile(scratchPath_, "wb"));
    scratchOpened_ = static_cast<bool>(scratch_);
    return scratchOpened_;
}

void ConfigRewrite::put(std::string_view bytes) {
    if (writeFailed_ || bytes.empty()) return;
    atLineStart_ = bytes.back() == '\n';
    writeFailed_ = !platform::writeText(scratch_.get(), bytes.data(), bytes.size());
}

void ConfigRewrite::copy(std::string_view bytes) {
    put(bytes);
    if (!bytes.empty()) ownTextLast_ = false;
}

void ConfigRewrite::write(std::string_view text) {
    for (size_t start = 0; start < text.size();) {
        const size_t newline = text.find('\n', start);
        put(subview(text, start, newline == std::string_view::npos ? std::string_view::npos : newline - start));
        if (newline == std::string_view::npos) break;
        put(platform::textLineEnd());
        start = newline + 1;
    }
    if (!text.empty()) ownTextLast_ = true;
}

bool ConfigRewrite::commit() {
    if (!pieces_.tail().empty() && ownTextLast_) {
        // New text ends where the loader's reading ends, at the Ctrl-Z. On a line of its own the
        // Ctrl-Z stays one, after a line end; inside a line, the new text would cut that line in
        // two, so the rewrite is refused.
        if (!pieces_.tailStartsLine()) return false;
        if (!atLineStart_) put(platform::textLineEnd());
    }
    put(pieces_.tail());
    if (writeFailed_ || !platform::flushToDisk(scratch_.get())) return false;
    if (!platform::closeFile(scratch_.release())) return false;
    switch (platform::replaceFile(configPath_, scratchPath_)) {
    case platform::ReplaceOutcome::Replaced: break;
    // The file's own way: the new content copied back over it in place, under the same mutex.
    // Not one step, but the scratch file holds the whole new content until the next edit.
    case platform::ReplaceOutcome::TargetInUse:
        if (!copyFileBytes(scratchPath_, configPath_)) {
            // Whatever the failed copy left is put back to the content read at the start.
            restoreBytes();
            return false;
        }
        break;
    case platform::ReplaceOutcome::Failed: return false;
    }
    committed_ = true;
    return true;
}

void ConfigRewrite::restoreBytes() {
    platform::File config(platform::openFile(configPath_, "wb"));
    if (!config) return;
    if (platform::writeText(config.get(), bytes_.data(), static_cast<size_t>(size_)))
        platform::flushToDisk(config.get());
}

bool emptyScratchFile(const char* scratchPath) {
    platform::File scratch(platform::openFile(scratchPath, "w"));
    return static_cast<bool>(scratch);
}

bool copyFileBytes(const char* fromPath, const char* toPath) {
    platform::File from(platform::openFile(fromPath, "rb"));
    if (!from) return false;
    platform::File to(platform::openFile(toPath, "wb"));
    if (!to) return false;
    char chunk[kReadChunk];
    for (;;) {
        size_t got = 0;
        if (!platform::readBytes(from.get(), chunk, sizeof chunk, got)) return false;
        if (got == 0) break;
        if (!platform::writeText(to.get(), chunk, got)) return false;
    }
    return platform::flushToDisk(to.get()) && platform::closeFile(to.release());
}

} // namespace zyn::config
