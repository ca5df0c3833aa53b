// service_run.h - the reference service's life from start to stop, the same under the Service
// Control Manager and in a console; only the way it reports its state differs.
#pragma once

#include "options.h"
#include "platform/win32/scoped_win32.h"

namespace zyn::reference {

// Where the run reports its progress: the SCM host turns these into service states, the console
// host into lines on the terminal.
class StatusSink {
public:
    virtual ~StatusSink() = default;
    virtual void startPending() = 0;
    virtual void running() = 0;
    virtual void stopPending() = 0;
    // The last report: nothing follows it. exitCode is 0 or the system error that ended the run.
    virtual void stopped(DWORD exitCode) = 0;
    // Progress for a person watching; the SCM host drops it.
    virtual void note(const char* text) = 0;
};

// Runs until `stopRequested` is signalled (or the run fails), releases everything, then reports
// stopped. With --exit-holding the process ends inside and nothing more is reported.
void runReferenceService(const Options& options, HANDLE stopRequested, StatusSink& sink);

} // namespace zyn::reference
