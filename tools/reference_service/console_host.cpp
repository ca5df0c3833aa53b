// console_host.cpp - running in a console: the same run, stopped by Enter or Ctrl-C, with the
// progress printed.
#include <cstdio>
#include <thread>

#include "service_hosts.h"
#include "service_run.h"

namespace zyn::reference {

namespace {

class ConsoleStatus final : public StatusSink {
public:
    void startPending() override { line("starting"); }
    void running() override { line("running; press Enter or Ctrl-C to stop"); }
    void stopPending() override { line("stopping"); }
    void stopped(DWORD exitCode) override {
        exitCode_ = exitCode;
        if (exitCode == 0) {
            line("stopped");
        } else {
            std::printf("zyn_reference_service: stopped, error %lu\n", static_cast<unsigned long>(exitCode));
            std::fflush(stdout);
        }
    }
    void note(const char* text) override { line(text); }
    DWORD exitCode() const { return exitCode_; }

private:
    static void line(const char* text) {
        std::printf("zyn_reference_service: %s\n", text);
        std::fflush(stdout);
    }
    DWORD exitCode_ = 0;
};

// Console control handlers take no context: the event they signal is set up before installing.
HANDLE g_stopRequested = nullptr;

BOOL WINAPI onConsoleControl(DWORD) {
    SetEvent(g_stopRequested);
    return TRUE;
}

} // namespace

int runInConsole(const Options& options) {
    win32::KernelHandle stopRequested(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!stopRequested) return static_cast<int>(GetLastError());
    g_stopRequested = stopRequested.get();
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
    // Reads the console handle directly, not through the C library: a reader still blocked when
    // the run ends by Ctrl-C must not hold stdin's lock, which the C library's exit takes. Only a
    // key stops the run: a script that starts it in the background with no input keeps it up.
    std::thread([event = stopRequested.get()] {
        char key = 0;
        DWORD read = 0;
        if (ReadFile(GetStdHandle(STD_INPUT_HANDLE), &key, 1, &read, nullptr) && read == 1) SetEvent(event);
    }).detach();

    ConsoleStatus status;
    runReferenceService(options, stopRequested.get(), status);
    SetConsoleCtrlHandler(onConsoleControl, FALSE);
    // The reader thread may still hold the event's handle: the process exit ends both.
    stopRequested.release();
    return static_cast<int>(status.exitCode());
}

} // namespace zyn::reference
