// json_syntax.h - whether a text is one well-formed JSON document (RFC 8259), for the tests of
// what zynctl prints with --json. A syntax check only: the scenarios look for the values.
#pragma once

#include <string_view>

namespace zyn::test {

bool isJsonDocument(std::string_view text);

} // namespace zyn::test
