// config_editor_process.h - zyn_config_editor.exe started from a test: another process with its
// own copy of TRVZYN32.dll that edits zyn.ini on command (commands in config_editor_protocol.h).
#pragma once

#include <string>

#include "support/child_process.h"

namespace zyn::test {

class ConfigEditorProcess : public ChildProcess {
public:
    static constexpr DWORD kKilledExitCode = 0xDEAD;

    explicit ConfigEditorProcess(const std::string& arguments) : ChildProcess("zyn_config_editor.exe", arguments) {}
    // Ends the editor wherever it is, as a crash would, and waits until it is gone.
    void kill() { ChildProcess::kill(kKilledExitCode); }
};

using ConfigEditorResult = ChildResult;

// Runs the editor with `arguments` to its end.
inline ConfigEditorResult runConfigEditor(const std::string& arguments) {
    return ChildProcess::run("zyn_config_editor.exe", arguments);
}

} // namespace zyn::test
