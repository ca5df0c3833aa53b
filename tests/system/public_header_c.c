/* public_header_c.c - trvzyn32.h compiled as C: a C client sees the same record layouts as the
 * library, which is compiled as C++. The numbers go back to the C++ test through one function. */
#include <stddef.h>

#include "public_header_c.h"
#include "trvzyn32.h"

_Static_assert(sizeof(ExchangeDef) == 92, "ExchangeDef is 92 bytes in C");
#if defined(_WIN64)
_Static_assert(sizeof(ExchangeAccess) == 152, "ExchangeAccess is 152 bytes in 64-bit C");
_Static_assert(sizeof(ExchangeTransfer) == 24, "ExchangeTransfer is 24 bytes in 64-bit C");
#else
_Static_assert(sizeof(ExchangeAccess) == 144, "ExchangeAccess is 144 bytes in 32-bit C");
_Static_assert(sizeof(ExchangeTransfer) == 12, "ExchangeTransfer is 12 bytes in 32-bit C");
#endif
_Static_assert(sizeof(ServiceConfigParams) == 560, "ServiceConfigParams is 560 bytes in C");
_Static_assert(offsetof(ExchangeAccess, lengthPtr) == 104, "ExchangeAccess.lengthPtr in C");

CRecordLayout zynRecordLayoutSeenFromC(void) {
    CRecordLayout layout;
    layout.exchangeDefSize = sizeof(ExchangeDef);
    layout.exchangeDefOffsets[0] = offsetof(ExchangeDef, exchangeNumber);
    layout.exchangeDefOffsets[1] = offsetof(ExchangeDef, size);
    layout.exchangeDefOffsets[2] = offsetof(ExchangeDef, thirdNumber);
    layout.exchangeDefOffsets[3] = offsetof(ExchangeDef, producer);
    layout.exchangeDefOffsets[4] = offsetof(ExchangeDef, destination);
    layout.exchangeDefOffsets[5] = offsetof(ExchangeDef, flags);
    layout.exchangeDefOffsets[6] = offsetof(ExchangeDef, pValue);
    layout.exchangeDefOffsets[7] = offsetof(ExchangeDef, reserved);
    layout.exchangeDefOffsets[8] = offsetof(ExchangeDef, exchangeId);
    layout.exchangeAccessSize = sizeof(ExchangeAccess);
    layout.exchangeAccessOffsets[0] = offsetof(ExchangeAccess, exchangeName);
    layout.exchangeAccessOffsets[1] = offsetof(ExchangeAccess, offset);
    layout.exchangeAccessOffsets[2] = offsetof(ExchangeAccess, lengthPtr);
    layout.exchangeAccessOffsets[3] = offsetof(ExchangeAccess, header);
    layout.exchangeAccessOffsets[4] = offsetof(ExchangeAccess, statusClear);
    layout.serviceConfigParamsSize = sizeof(ServiceConfigParams);
    layout.serviceConfigParamsOffsets[0] = offsetof(ServiceConfigParams, multicast);
    layout.serviceConfigParamsOffsets[1] = offsetof(ServiceConfigParams, maxExchangeSize);
    layout.serviceConfigParamsOffsets[2] = offsetof(ServiceConfigParams, maxStaticExchanges);
    layout.serviceConfigParamsOffsets[3] = offsetof(ServiceConfigParams, maxDynamicExchanges);
    layout.serviceConfigParamsOffsets[4] = offsetof(ServiceConfigParams, exchMap);
    layout.exchangeTransferSize = sizeof(ExchangeTransfer);
    layout.exchangeTransferOffsets[0] = offsetof(ExchangeTransfer, access);
    layout.exchangeTransferOffsets[1] = offsetof(ExchangeTransfer, buffer);
    layout.exchangeTransferOffsets[2] = offsetof(ExchangeTransfer, result);
    return layout;
}
