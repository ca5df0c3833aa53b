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

bool readPiece(FileHandle file, char* buffer, int capacity) {
    return std::fgets(buffer, capacity, stream(file)) != nullptr;
}

bool readBytes(FileHandle file, void* buffer, size_t capacity, size_t& got) {
    got = std::fread(buffer, 1, capacity, stream(file));
    return got == capacity || std::ferror(stream(file)) == 0;
}

const char* textLineEnd() { return "\r\n"; }

bool writeText(FileHandle file, const char* text, size_t length) {
    return std::fwrite(text, 1, length, stream(file)) == length;
}

bool flushToDisk(FileHandle file) { return std::fflush(stream(file)) == 0 && _commit(_fileno(stream(file))) == 0; }

bool closeFile(FileHandle file) { return std::fclose(stream(file)) == 0; }

namespace {
// Another program may hold zyn.ini open for a moment (a reader that does not take the mutex).
constexpr int kReplaceAttempts = 20;
constexpr DWORD kReplaceRetryMilliseconds = 50;

// The new file takes over the old one's access rights, as an in-place rewrite would keep them.
void copyAccessRights(const char* from, const char* to) {
    alignas(void*) unsigned char descriptor[4096];
    DWORD needed = 0;
    if (GetFileSecurityA(from, DACL_SECURITY_INFORMATION, descriptor, sizeof descriptor, &needed)) {
        SetFileSecurityA(to, DACL_SECURITY_INFORMATION, descriptor);
    }
}
} // namespace

ReplaceOutcome replaceFile(const char* target, const char* replacement) {
    // A rename over the target is the one step that never leaves the target missing or torn;
    // ReplaceFile is not one step everywhere (it may move the target away first).
    copyAccessRights(target, replacement);
    for (int attempt = 0; attempt < kReplaceAttempts; ++attempt) {
        if (MoveFileExA(replacement, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return ReplaceOutcome::Replaced;
        }
        DWORD error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED && error != ERROR_LOCK_VIOLATION) {
            return ReplaceOutcome::Failed;
        }
        Sleep(kReplaceRetryMilliseconds);
    }
    // An ordinary reader (the C library's fopen) shares reading and writing but not deletion.
    return ReplaceOutcome::TargetInUse;
}

bool fileExists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

bool removeFile(const char* path) { return DeleteFileA(path) != FALSE; }

} // namespace zyn::platform
