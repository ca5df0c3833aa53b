// written_form.h - the exact text the library writes into zyn.ini, which its loader reads back
// into the same fields.
#pragma once

#include <cstddef>

#include "config/service_params.h"
#include "trvzyn32.h"

namespace zyn::config {

constexpr size_t kWrittenLineCapacity = 160; // a written definition line is at most 124 characters

// "\n%d\t%u\t%d\t%s\t%s\t" then "T," "M," "S," "P=%d," as the definition has them, and "E=%d";
// no line end follows: the next appended line brings its own.
size_t formatDefinitionLine(char (&out)[kWrittenLineCapacity], const ExchangeDef& definition);

// "\nMAX_EXCHANGE_SIZE = %d\nMAX_STATIC_EXCHANGES = %u\nMAX_DYNAMIC_EXCHANGES = %u\nEXCH_MAP = %d\n"
size_t formatHeaderNumbers(char (&out)[kWrittenLineCapacity], const ServiceParams& params);

// "\nMULTICAST = %s"
size_t formatMulticastLine(char (&out)[kWrittenLineCapacity], const char* address);

} // namespace zyn::config
