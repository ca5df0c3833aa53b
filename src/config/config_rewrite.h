// config_rewrite.h - rewriting zyn.ini so that it is never seen truncated or half-written and
// keeps every byte the rewrite does not change: the current file is read whole in binary, the
// new content goes completely into the scratch file in the same folder, reaches the disk, and
// then takes zyn.ini's place in one step. The caller holds "__ZYN_INIFILE" throughout.
#pragma once

#include <cstdint>
#include <string_view>

#include "config/file_pieces.h"
#include "platform/heap_array.h"
#include "platform/scoped_handle.h"

namespace zyn::config {

class ConfigRewrite {
public:
    ConfigRewrite(const char* configPath, const char* scratchPath)
        : configPath_(configPath), scratchPath_(scratchPath), pieces_({}) {}
    ConfigRewrite(const ConfigRewrite&) = delete;
    ConfigRewrite& operator=(const ConfigRewrite&) = delete;
    // A rewrite that was not committed leaves zyn.ini as it was and no scratch file (an empty one
    // where the system refuses its removal).
    ~ConfigRewrite();

    // Reads zyn.ini (a missing file reads as empty; one that exists but cannot be read is a
    // failure, never an empty file) and opens the scratch file for writing. Fails at once, with no
    // file touched, in a process whose writes there are virtualised.
    bool open();
    bool configExisted() const { return configExisted_; }

    // The next piece of the current zyn.ini, as the loader reads it, with its bytes.
    bool readPiece(FilePiece& piece) { return pieces_.next(piece); }
    // What follows a Ctrl-Z: no read of the loader sees it, and the rewrite writes it on last.
    std::string_view tail() const { return pieces_.tail(); }

    // Bytes of the current file, written on as they are.
    void copy(std::string_view bytes);
    // Text of the library's own, with each "\n" written as the platform's line end.
    void write(std::string_view text);

    // Writes the tail and puts the new content in zyn.ini's place. False (zyn.ini unchanged) when
    // any write, the flush or the replacement failed, or when new text would split the line
    // that holds a Ctrl-Z.
    bool commit();

private:
    void put(std::string_view bytes);
    void restoreBytes();

    const char* configPath_;
    const char* scratchPath_;
    platform::HeapArray<char> bytes_; // the file as read, in its first size_ bytes
    uint64_t size_ = 0;
    FilePieces pieces_;
    platform::File scratch_;
    bool configExisted_ = false;
    bool scratchOpened_ = false; // this rewrite created or emptied the scratch file
    bool writeFailed_ = false;
    bool committed_ = false;
    bool ownTextLast_ = false; // the last bytes written were the library's text, not the file's
    bool atLineStart_ = true;  // the bytes written so far end with a line end, or there are none
};

// Leaves the scratch file empty (created if missing); false when it cannot be opened.
bool emptyScratchFile(const char* scratchPath);

// Copies one file over another byte for byte, flushed to disk; false on any failure.
bool copyFileBytes(const char* fromPath, const char* toPath);

} // namespace zyn::config
