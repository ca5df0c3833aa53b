// failure.h - how a command gives up: with the library's result code, or with a reason of its
// own (a file it cannot read). main turns either into the one line on stderr and exit status 1,
// and a usage failure into the usage and exit status 2.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

namespace zynctl {

// What a result code of the library means, worded for the function that returned it.
std::string resultMeaning(const char* function, int32_t code);
// "ZYN_GetExchange: -21 the service is not running": the function, the code and its meaning.
std::string refusalText(const char* function, int32_t code);

class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A command line that parsed but that only the running command can tell is unusable (a put of
// no bytes from an empty file): exit status 2 and the usage, like any other bad line.
class UsageFailure : public Failure {
public:
    using Failure::Failure;
};

// A refusal of the library, in the words of refusalText.
class LibraryFailure : public Failure {
public:
    // `detail`, when given, follows the meaning: "...: -11 a parameter is outside its bounds: <detail>".
    LibraryFailure(const char* function, int32_t code, const std::optional<std::string>& detail = std::nullopt);
    int32_t code() const { return code_; }

private:
    int32_t code_;
};

// Passes ZYN_OK through and turns every other result into a LibraryFailure.
void requireOk(const char* function, int32_t result);
// As requireOk, and a -11 (a parameter outside its bounds) names what `outOfBounds` finds: the
// field and its limit, or nothing when it cannot tell.
void requireOk(const char* function, int32_t result, const std::function<std::optional<std::string>()>& outOfBounds);

} // namespace zynctl
