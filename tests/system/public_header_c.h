/* public_header_c.h - the record layouts as a C translation unit of trvzyn32.h computes them. */
#ifndef ZYN_PUBLIC_HEADER_C_H
#define ZYN_PUBLIC_HEADER_C_H

#include <stddef.h>

#if defined(__cplusplus)
extern "C" {
#endif

typedef struct CRecordLayout {
    size_t exchangeDefSize;
    size_t exchangeDefOffsets[9]; /* in declaration order */
    size_t exchangeAccessSize;
    size_t exchangeAccessOffsets[5];
    size_t serviceConfigParamsSize;
    size_t serviceConfigParamsOffsets[5];
    size_t exchangeTransferSize;
    size_t exchangeTransferOffsets[3];
} CRecordLayout;

CRecordLayout zynRecordLayoutSeenFromC(void);

#if defined(__cplusplus)
}
#endif

#endif /* ZYN_PUBLIC_HEADER_C_H */
