// failure.h - how a command gives up: with the library's result code, or with a reason of its
// own (a file it cannot read). main turns either into the one line on stderr and exit status 1.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace zynctl {

// What a result code of the library means, worded for the function that returned it.
std::string resultMeaning(const char* function, int32_t code);

class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "ZYN_GetExchange: -21 the service is not running"
class LibraryFailure : public Failure {
public:
    LibraryFailure(const char* function, int32_t code);
};

// Passes ZYN_OK through and turns every other result into a LibraryFailure.
void requireOk(const char* function, int32_t result);

} // namespace zynctl
