// configuration.h - the part of zyn.ini the reference service acts on: the header's parameters and
// the exchange records, read with the library's own syntax so both see the same exchange table.
#pragma once

#include <string>
#include <vector>

#include "config/service_params.h"
#include "platform/win32/scoped_win32.h"
#include "trvzyn32.h"

namespace zyn::reference {

struct Configuration {
    config::ServiceParams params;
    std::vector<ExchangeDef> records; // in file order; the table position is the index
};

// "<Windows directory>\zyn.ini"; empty when the Windows directory cannot be had.
std::string configurationPath();

// Reads the file under the mutex "__ZYN_INIFILE" of that name, created with the given security
// unless a client holds it already. A missing file gives the defaults and no records.
Configuration readConfiguration(const std::string& path, const std::string& iniMutexName,
                                SECURITY_ATTRIBUTES* mutexSecurity);

} // namespace zyn::reference
