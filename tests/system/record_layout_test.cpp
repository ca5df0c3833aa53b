// record_layout_test.cpp - the four records that cross the library's interface have the same
// size and field offsets whether a client compiles trvzyn32.h as C or as C++.
#include <gtest/gtest.h>

#include <cstddef>

#include "public_header_c.h"
#include "trvzyn32.h"

namespace {

// ExchangeAccess and ExchangeTransfer hold pointers, so their layout follows the pointer size of the program.
#if defined(_WIN64)
constexpr size_t kPointerSize = 8;
constexpr size_t kExchangeAccessSize = 152;
constexpr size_t kExchangeAccessHeader = 112;
constexpr size_t kExchangeAccessStatusClear = 144;
constexpr size_t kExchangeTransferSize = 24;
#else
constexpr size_t kPointerSize = 4;
constexpr size_t kExchangeAccessSize = 144;
constexpr size_t kExchangeAccessHeader = 108;
constexpr size_t kExchangeAccessStatusClear = 140;
constexpr size_t kExchangeTransferSize = 12;
#endif

struct FieldRow {
    const char* field;
    size_t offsetInCpp;
    size_t offsetInC;
    size_t expected;
};

TEST(RecordLayout, RecordSizesAgreeBetweenCAndCpp) {
    const CRecordLayout c = zynRecordLayoutSeenFromC();
    EXPECT_EQ(sizeof(ExchangeDef), 92u);
    EXPECT_EQ(c.exchangeDefSize, 92u);
    EXPECT_EQ(sizeof(ExchangeAccess), kExchangeAccessSize);
    EXPECT_EQ(c.exchangeAccessSize, kExchangeAccessSize);
    EXPECT_EQ(sizeof(ServiceConfigParams), 560u);
    EXPECT_EQ(c.serviceConfigParamsSize, 560u);
    EXPECT_EQ(sizeof(ExchangeTransfer), kExchangeTransferSize);
    EXPECT_EQ(c.exchangeTransferSize, kExchangeTransferSize);
}

TEST(RecordLayout, ExchangeDefFieldOffsets) {
    const CRecordLayout c = zynRecordLayoutSeenFromC();
    const FieldRow rows[] = {
        {"exchangeNumber", offsetof(ExchangeDef, exchangeNumber), c.exchangeDefOffsets[0], 0},
        {"size", offsetof(ExchangeDef, size), c.exchangeDefOffsets[1], 4},
        {"thirdNumber", offsetof(ExchangeDef, thirdNumber), c.exchangeDefOffsets[2], 8},
        {"producer", offsetof(ExchangeDef, producer), c.exchangeDefOffsets[3], 12},
        {"destination", offsetof(ExchangeDef, destination), c.exchangeDefOffsets[4], 44},
        {"flags", offsetof(ExchangeDef, flags), c.exchangeDefOffsets[5], 76},
        {"pValue", offsetof(ExchangeDef, pValue), c.exchangeDefOffsets[6], 80},
        {"reserved", offsetof(ExchangeDef, reserved), c.exchangeDefOffsets[7], 84},
        {"exchangeId", offsetof(ExchangeDef, exchangeId), c.exchangeDefOffsets[8], 88},
    };
    for (const FieldRow& row : rows) {
        EXPECT_EQ(row.offsetInCpp, row.expected) << "ExchangeDef." << row.field << " in C++";
        EXPECT_EQ(row.offsetInC, row.expected) << "ExchangeDef." << row.field << " in C";
    }
}

TEST(RecordLayout, ExchangeAccessFieldOffsets) {
    const CRecordLayout c = zynRecordLayoutSeenFromC();
    const FieldRow rows[] = {
        {"exchangeName", offsetof(ExchangeAccess, exchangeName), c.exchangeAccessOffsets[0], 0},
        {"offset", offsetof(ExchangeAccess, offset), c.exchangeAccessOffsets[1], 100},
        {"lengthPtr", offsetof(ExchangeAccess, lengthPtr), c.exchangeAccessOffsets[2], 104},
        {"header", offsetof(ExchangeAccess, header), c.exchangeAccessOffsets[3], kExchangeAccessHeader},
        {"statusClear", offsetof(ExchangeAccess, statusClear), c.exchangeAccessOffsets[4], kExchangeAccessStatusClear},
    };
    for (const FieldRow& row : rows) {
        EXPECT_EQ(row.offsetInCpp, row.expected) << "ExchangeAccess." << row.field << " in C++";
        EXPECT_EQ(row.offsetInC, row.expected) << "ExchangeAccess." << row.field << " in C";
    }
    EXPECT_EQ(sizeof(ExchangeAccess::lengthPtr), kPointerSize) << "lengthPtr is a pointer of the program's size";
}

TEST(RecordLayout, ServiceConfigParamsFieldOffsets) {
    const CRecordLayout c = zynRecordLayoutSeenFromC();
    const FieldRow rows[] = {
        {"multicast", offsetof(ServiceConfigParams, multicast), c.serviceConfigParamsOffsets[0], 0},
        {"maxExchangeSize", offsetof(ServiceConfigParams, maxExchangeSize), c.serviceConfigParamsOffsets[1], 544},
        {"maxStaticExchanges", offsetof(ServiceConfigParams, maxStaticExchanges), c.serviceConfigParamsOffsets[2], 548},
        {"maxDynamicExchanges", offsetof(ServiceConfigParams, maxDynamicExchanges), c.serviceConfigParamsOffsets[3],
         552},
        {"exchMap", offsetof(ServiceConfigParams, exchMap), c.serviceConfigParamsOffsets[4], 556},
    };
    for (const FieldRow& row : rows) {
        EXPECT_EQ(row.offsetInCpp, row.expected) << "ServiceConfigParams." << row.field << " in C++";
        EXPECT_EQ(row.offsetInC, row.expected) << "ServiceConfigParams." << row.field << " in C";
    }
    EXPECT_EQ(sizeof(ServiceConfigParams::multicast), 32u * 17u);
}

TEST(RecordLayout, ExchangeTransferFieldOffsets) {
    const CRecordLayout c = zynRecordLayoutSeenFromC();
    const FieldRow rows[] = {
        {"access", offsetof(ExchangeTransfer, access), c.exchangeTransferOffsets[0], 0},
        {"buffer", offsetof(ExchangeTransfer, buffer), c.exchangeTransferOffsets[1], kPointerSize},
        {"result", offsetof(ExchangeTransfer, result), c.exchangeTransferOffsets[2], 2 * kPointerSize},
    };
    for (const FieldRow& row : rows) {
        EXPECT_EQ(row.offsetInCpp, row.expected) << "ExchangeTransfer." << row.field << " in C++";
        EXPECT_EQ(row.offsetInC, row.expected) << "ExchangeTransfer." << row.field << " in C";
    }
}

} // namespace
