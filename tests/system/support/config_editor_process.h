// config_editor_process.h - zyn_config_editor.exe started from a test: another process with its
// own copy of TRVZYN32.dll that edits zyn.ini on command (commands in config_editor_protocol.h).
#pragma once

#include <string>

#include "support/child_process.h"

namespace zyn::test {

constexpr char kConfigEditorProgram[] = "zyn_config_editor.exe";

class ConfigEditorProcess : public ChildProcess {
public:
    static constexpr DWORD kKilledExitCode = 0xDEAD;

    // `program` is a path relative to the test program's folder: an editor of the other
    // bitness lives in a folder of its own, beside its own DLL.
    explicit ConfigEditorProcess(const std::string& arguments, const char* program = kConfigEditorProgram)
        : ChildProcess(program, arguments) {}
    // Ends the editor wherever it is, as a crash would, and waits until it is gone.
    void kill() { ChildProcess::kill(kKilledExitCode); }
};

using ConfigEditorResult = ChildResult;

// Runs the editor with `arguments` to its end.
inline ConfigEditorResult runConfigEditor(const std::string& arguments) {
    return ChildProcess::run(kConfigEditorProgram, arguments);
}

} // namespace zyn::test
