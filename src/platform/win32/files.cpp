// files.cpp - Win32 only: text-mode files of the C library, flushing to disk and the one-step
// replacement of a file.
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "platform/platform.h"

namespace zyn::platform {

namespace {
FILE* stream(FileHandle file) { return static_cast<FILE*>(file); }
} // namespace

FileHandle openFile(const char* path, const char* mode) { return std::fopen(path, mode); }

bool readPiece(FileHandle file, char* buffer, int capacity) { return std::fgets(buffer, capacity, stream(file)) != nullptr; }

bool writeText(FileHandle file, const char* text, size_t length) {
    return std::fwrite(text, 1, length, stream(file)) == length;
}

bool rewindFile(FileHandle file) { return std::fseek(stream(file), 0, SEEK_SET) == 0; }

bool flushToDisk(FileHandle file) { return std::fflush(stream(file)) == 0 && _commit(_fileno(stream(file))) == 0; }

bool closeFile(FileHandle file) { return std::fclose(stream(file)) == 0; }

bool replaceFile(const char* target, const char* replacement) {
    // ReplaceFile keeps the target's security and attributes; it needs an existing target.
    if (ReplaceFileA(target, replacement, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) return true;
    if (GetLastError() != ERROR_FILE_NOT_FOUND) return false;
    return MoveFileExA(replacement, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool removeFile(const char* path) { return DeleteFileA(path) != FALSE; }

} // namespace zyn::platform
