// failure.cpp - the result codes of trvzyn32.h in words.
#include "failure.h"

#include <cstring>

#include "trvzyn32.h"

namespace zynctl {

std::string resultMeaning(const char* function, int32_t code) {
    auto is = [function](const char* name) { return std::strcmp(function, name) == 0; };
    // The two functions whose failure is 0 rather than a result code.
    if (code == 0 && is("ZYN_GetAllExchangesFromConfigFile")) return "no exchange table is loaded";
    if (code == 0 && is("ZYN_InitService"))
        return "the service entry was not created: it exists already, or the Service Control Manager refused";
    const bool starts = is("ZYN_StartService") || is("ZYN_ResetService");
    switch (code) {
    case ZYN_OK: return "success";
    case ZYN_NO_SCM: return "nothing done: this platform has no Service Control Manager";
    case ZYN_E_PARAMETER: return "a parameter is outside its bounds";
    case ZYN_E_NOT_FOUND: return "not found: no configuration loaded, no such exchange, no shared memory or no page";
    case ZYN_E_NOT_INSTALLED: return "the service is not installed";
    case ZYN_E_RANGE: return "the byte range lies outside the exchange";
    // For a start the service may well run afterwards: it was the start request that failed.
    case ZYN_E_NOT_RUNNING: return starts ? "the service's start was refused" : "the service is not running";
    case ZYN_E_DUPLICATE: return "the exchange name is already defined";
    case ZYN_E_UDP: return "the UDP request to the service failed";
    case ZYN_E_FAILED: return "a file, memory, mutex or service operation failed, or a wait ran out";
    case ZYN_E_NO_DEFINITIONS: return "the service started, but no exchange definitions could be read";
    default: return "an unknown result";
    }
}

std::string refusalText(const char* function, int32_t code) {
    return std::string(function) + ": " + std::to_string(code) + " " + resultMeaning(function, code);
}

LibraryFailure::LibraryFailure(const char* function, int32_t code, const std::optional<std::string>& detail)
    : Failure(refusalText(function, code) + (detail ? ": " + *detail : "")), code_(code) {}

void requireOk(const char* function, int32_t result) {
    if (result != ZYN_OK) throw LibraryFailure(function, result);
}

void requireOk(const char* function, int32_t result, const std::function<std::optional<std::string>()>& outOfBounds) {
    if (result == ZYN_E_PARAMETER) throw LibraryFailure(function, result, outOfBounds());
    requireOk(function, result);
}

} // namespace zynctl
