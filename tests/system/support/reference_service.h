// reference_service.h - the reference service as a test installs, starts, stops and deletes it
// through the Service Control Manager, under the one name "ZYN Service" that the library asks for.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/scoped_win32.h"

namespace zyn::test {

constexpr char kServiceName[] = "ZYN Service";
constexpr char kReferenceServiceProgram[] = "zyn_reference_service.exe";

// The security the tests run the service under unless a test's switches name their own: every
// client, the Administrators included, gets only what a client uses. Wine lets an Administrator
// open what the descriptor grants the Administrators, so only this mode refuses a library that
// asks for more than it uses.
constexpr char kTestServiceSecurity[] = "--security=system-only";

// The service's binary path: `program` (relative to the test program's folder), quoted, then the
// test security unless `switches` name another, then `switches`.
std::string referenceServiceCommandLine(const std::string& switches = {},
                                        const char* program = kReferenceServiceProgram);

bool serviceInstalled();

// Stops and deletes whatever "ZYN Service" entry an earlier test or run left behind.
void removeServiceIfPresent();

class ReferenceService {
public:
    // Installs `program` (a path relative to the test program's folder) with the given switches
    // on its command line, after removing any stale entry. The service is left stopped.
    explicit ReferenceService(const std::string& switches = {}, const char* program = kReferenceServiceProgram);
    ReferenceService(const ReferenceService&) = delete;
    ReferenceService& operator=(const ReferenceService&) = delete;
    // Stops the service if it runs and deletes its entry.
    ~ReferenceService();

    // Starts the service and waits until it reports RUNNING; throws when it stops instead.
    void start();
    // Sends the stop control and waits until the service reports STOPPED.
    void stop();

    SERVICE_STATUS_PROCESS status() const;
    // True while the service's process exists (an --exit-holding service ends its own).
    bool processAlive() const;

private:
    win32::ServiceHandle manager_;
    win32::ServiceHandle service_;
};

} // namespace zyn::test
