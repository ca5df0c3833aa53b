/* trvzyn32.h - public interface of TRVZYN32.dll (32-bit programs) and TRVZYN64.dll (64-bit
 * programs), the libraries through which applications use the local ZYN Service: its exchange
 * configuration, the live exchange data and the service itself. Usable from C and C++. Every
 * function uses the standard Windows calling convention (on x64 the one convention there is).
 * The API reference ships as share/doc/TRVZYN32/API.md (docs/API.md in the source tree). */
#ifndef TRVZYN32_H
#define TRVZYN32_H

#include <stdint.h>

#if defined(_WIN32)
#define ZYN_CALL __stdcall
#else
/* Native builds of the portable core (unit tests) have no calling-convention choice. */
#define ZYN_CALL
#endif

/* C++11 and later (Visual C++ 2015 and later, which report an older __cplusplus by default)
 * have noexcept and static_assert; C11 and later have _Static_assert. The header also compiles
 * as C89, C99 and older C++, without the compile-time layout checks at its end. */
#if defined(__cplusplus) && (__cplusplus >= 201103L || (defined(_MSC_VER) && _MSC_VER >= 1900))
#define ZYN_NOEXCEPT noexcept
#define ZYN_STATIC_ASSERT static_assert
#elif defined(__cplusplus)
#define ZYN_NOEXCEPT throw()
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define ZYN_NOEXCEPT
#define ZYN_STATIC_ASSERT _Static_assert
#else
#define ZYN_NOEXCEPT
#endif

#if defined(__cplusplus)
extern "C" {
#endif

/* Result codes. */
#define ZYN_OK 3                   /* success */
#define ZYN_NO_SCM 1               /* platform without a Service Control Manager: nothing done */
#define ZYN_E_PARAMETER (-11)      /* a parameter is outside its bounds */
#define ZYN_E_NOT_FOUND (-18)      /* not loaded, no such exchange, no shared memory, no page, no path */
#define ZYN_E_NOT_INSTALLED (-19)  /* the service is not installed */
#define ZYN_E_RANGE (-20)          /* the byte range lies outside the exchange */
#define ZYN_E_NOT_RUNNING (-21)    /* the service is not running, or its start was refused */
#define ZYN_E_DUPLICATE (-23)      /* the exchange name is already defined */
#define ZYN_E_UDP (-24)            /* the UDP request to the service failed */
#define ZYN_E_FAILED (-26)         /* a file, memory, mutex or service operation failed, or a wait ran out */
#define ZYN_E_NO_DEFINITIONS (-27) /* no definitions could be read after a service start */

#define ZYN_TEXT_FIELD_SIZE 32
#define ZYN_EXCHANGE_NAME_SIZE 100
#define ZYN_PAGE_HEADER_SIZE 32
#define ZYN_MULTICAST_ENTRIES 32
#define ZYN_MULTICAST_TEXT_SIZE 17
#define ZYN_SERVICE_ENTRY_SIZE 16
#define ZYN_SERVICE_MAX_ENTRIES 87

/* ExchangeDef.flags bits. */
#define ZYN_FLAG_MUTEX 0x1u /* option M: guarded by its own named mutex (set on every loaded record) */
#define ZYN_FLAG_T 0x2u     /* option T */
#define ZYN_FLAG_S 0x4u     /* option S */

/* One static exchange definition: 92 bytes, the same in zyn.ini's loaded table and in arrays. */
typedef struct ExchangeDef {
    int32_t exchangeNumber;                /* 1 to MAX_STATIC_EXCHANGES */
    uint32_t size;                         /* data bytes, 1 to MAX_EXCHANGE_SIZE */
    int32_t thirdNumber;                   /* 1 to 0x3FFFFFFF, passed on unchanged */
    char producer[ZYN_TEXT_FIELD_SIZE];    /* upper case, NUL-padded */
    char destination[ZYN_TEXT_FIELD_SIZE]; /* upper case, NUL-padded */
    uint32_t flags;                        /* ZYN_FLAG_* */
    int32_t pValue;                        /* option P, 0 when absent */
    uint32_t reserved;                     /* 0 */
    int32_t exchangeId;                    /* option E, defaults to exchangeNumber */
} ExchangeDef;

/* A caller's request for one exchange's data. lengthPtr is a pointer, so the record has one
 * layout per pointer size: 144 bytes in 32-bit programs; 152 bytes in 64-bit programs, where
 * lengthPtr takes 8 bytes and header and statusClear move on by 4 (natural alignment). */
typedef struct ExchangeAccess {
    char exchangeName[ZYN_EXCHANGE_NAME_SIZE]; /* "exchange_<id>@<producer>" */
    uint32_t offset;                           /* first data byte */
    uint32_t* lengthPtr;                       /* byte count; read, never written; null gives ZYN_E_PARAMETER */
    uint8_t header[ZYN_PAGE_HEADER_SIZE];      /* page header; bytes 12 to 19 are written by ZYN_PutExchange */
    uint32_t statusClear;                      /* 1 when the exchange's status byte is 0 */
} ExchangeAccess;

/* One entry of a batch for ZYN_GetExchanges / ZYN_PutExchanges: 12 bytes in 32-bit programs, 24 bytes
 * in 64-bit programs (natural alignment; the last 4 are padding). */
typedef struct ExchangeTransfer {
    ExchangeAccess* access; /* the record as for ZYN_GetExchange / ZYN_PutExchange */
    void* buffer;           /* destination (get) or source (put) of *access->lengthPtr bytes */
    int32_t result;         /* written by the library: this entry's result code */
} ExchangeTransfer;

/* The service parameters of zyn.ini's header: 560 bytes. */
typedef struct ServiceConfigParams {
    char multicast[ZYN_MULTICAST_ENTRIES][ZYN_MULTICAST_TEXT_SIZE]; /* ends at the first empty entry */
    uint32_t maxExchangeSize;
    uint32_t maxStaticExchanges;
    uint32_t maxDynamicExchanges;
    int32_t exchMap; /* 0 fixed page layout, 1 packed */
} ServiceConfigParams;

/* Lifecycle and status */
int32_t ZYN_CALL ZYN_Init(void) ZYN_NOEXCEPT;
int32_t ZYN_CALL ZYN_IsServicePresent(void) ZYN_NOEXCEPT;
int32_t ZYN_CALL ZYN_IsServiceRunning(void) ZYN_NOEXCEPT;

/* Registry settings */
int32_t ZYN_CALL ZYN_ThirdPartyAppsAllowed(void) ZYN_NOEXCEPT;
int32_t ZYN_CALL ZYN_GetMaxExchangeSize(void) ZYN_NOEXCEPT;

/* Configuration queries */
int32_t ZYN_CALL ZYN_GetNumberOfExchangesFromConfigFile(void) ZYN_NOEXCEPT;
int32_t ZYN_CALL ZYN_GetAllExchangesFromConfigFile(ExchangeDef* exchanges) ZYN_NOEXCEPT;
void ZYN_CALL ZYN_GetStaticExchangeParams(const char* exchangeName, ExchangeDef* definition) ZYN_NOEXCEPT;
int32_t ZYN_CALL ZYN_GetLocallyConsumedExchangesFromConfigFile(int32_t unused) ZYN_NOEXCEPT;
int32_t ZYN_CALL ZYN_GetLocallyProducedExchangesFromConfigFile(int32_t unused) ZYN_NOEXCEPT;
int32_t ZYN_CALL ZYN_GetRemotelyProducedExchangesFromConfigFile(int32_t unused1, int32_t unused2) ZYN_NOEXCEPT;
int32_t ZYN_CALL ZYN_GetRemotelyConsumedExchangesFromConfigFile(int32_t unused1, int32_t unused2) ZYN_NOEXCEPT;

/* Static exchange editing */
int32_t ZYN_CALL ZYN_AddStaticExchange(ExchangeDef definition) ZYN_NOEXCEPT;
int32_t ZYN_CALL ZYN_DeleteStaticExchange(char* exchangeName) ZYN_NOEXCEPT;
int32_t ZYN_CALL ZYN_ChangeStaticExchangeParams(ExchangeDef definition) ZYN_NOEXCEPT;

/* Service parameters */
int32_t ZYN_CALL ZYN_GetServiceConfigParams(ServiceConfigParams* params) ZYN_NOEXCEPT;
int32_t ZYN_CALL ZYN_SetServiceConfigParams(ServiceConfigParams params) ZYN_NOEXCEPT;

/* Exchange data */
int32_t ZYN_CALL ZYN_GetExchange(ExchangeAccess* access, void* destination) ZYN_NOEXCEPT;
int32_t ZYN_CALL ZYN_PutExchange(ExchangeAccess* access, const void* source) ZYN_NOEXCEPT;
void* ZYN_CALL ZYN_GetExchangePtr(ExchangeAccess* access) ZYN_NOEXCEPT;
/* Many exchanges in one call: one status test, then each entry as the single call would do it. */
int32_t ZYN_CALL ZYN_GetExchanges(ExchangeTransfer* transfers, uint32_t count) ZYN_NOEXCEPT;
int32_t ZYN_CALL ZYN_PutExchanges(ExchangeTransfer* transfers, uint32_t count) ZYN_NOEXCEPT;

/* Service control */
int32_t ZYN_CALL ZYN_InitService(const char* executablePath) ZYN_NOEXCEPT;
int32_t ZYN_CALL ZYN_RemoveService(void) ZYN_NOEXCEPT;
int32_t ZYN_CALL ZYN_StartService(void) ZYN_NOEXCEPT;
int32_t ZYN_CALL ZYN_StopService(void) ZYN_NOEXCEPT;
int32_t ZYN_CALL ZYN_ResetService(void) ZYN_NOEXCEPT;

/* Service queries */
int32_t ZYN_CALL ZYN_GetNumberOfExchangesFromService(void) ZYN_NOEXCEPT;
int32_t ZYN_CALL ZYN_GetAllExchangesFromService(void* entries) ZYN_NOEXCEPT;
int32_t ZYN_CALL ZYN_GetLocallyConsumedExchangesFromService(int32_t unused) ZYN_NOEXCEPT;
int32_t ZYN_CALL ZYN_GetLocallyProducedExchangesFromService(int32_t unused) ZYN_NOEXCEPT;
int32_t ZYN_CALL ZYN_GetRemotelyProducedExchangesFromService(int32_t unused1, int32_t unused2) ZYN_NOEXCEPT;
int32_t ZYN_CALL ZYN_GetRemotelyConsumedExchangesFromService(int32_t unused1, int32_t unused2) ZYN_NOEXCEPT;
int32_t ZYN_CALL ZYN_GetServiceVersion(int32_t unused) ZYN_NOEXCEPT;
int32_t ZYN_CALL ZYN_GetProtocolVersion(void) ZYN_NOEXCEPT;

#if defined(__cplusplus)
}
#endif

#if defined(ZYN_STATIC_ASSERT)
#include <stddef.h>

/* The records' layouts are part of the binary interface. */
ZYN_STATIC_ASSERT(sizeof(ExchangeDef) == 92, "ExchangeDef is 92 bytes");
ZYN_STATIC_ASSERT(offsetof(ExchangeDef, exchangeNumber) == 0, "ExchangeDef.exchangeNumber");
ZYN_STATIC_ASSERT(offsetof(ExchangeDef, size) == 4, "ExchangeDef.size");
ZYN_STATIC_ASSERT(offsetof(ExchangeDef, thirdNumber) == 8, "ExchangeDef.thirdNumber");
ZYN_STATIC_ASSERT(offsetof(ExchangeDef, producer) == 12, "ExchangeDef.producer");
ZYN_STATIC_ASSERT(offsetof(ExchangeDef, destination) == 44, "ExchangeDef.destination");
ZYN_STATIC_ASSERT(offsetof(ExchangeDef, flags) == 76, "ExchangeDef.flags");
ZYN_STATIC_ASSERT(offsetof(ExchangeDef, pValue) == 80, "ExchangeDef.pValue");
ZYN_STATIC_ASSERT(offsetof(ExchangeDef, reserved) == 84, "ExchangeDef.reserved");
ZYN_STATIC_ASSERT(offsetof(ExchangeDef, exchangeId) == 88, "ExchangeDef.exchangeId");

ZYN_STATIC_ASSERT(offsetof(ExchangeAccess, exchangeName) == 0, "ExchangeAccess.exchangeName");
ZYN_STATIC_ASSERT(offsetof(ExchangeAccess, offset) == 100, "ExchangeAccess.offset");
ZYN_STATIC_ASSERT(offsetof(ExchangeAccess, lengthPtr) == 104, "ExchangeAccess.lengthPtr");
#if UINTPTR_MAX == 0xFFFFFFFFu
ZYN_STATIC_ASSERT(sizeof(uint32_t*) == 4, "the interface's pointers are 4 bytes");
ZYN_STATIC_ASSERT(offsetof(ExchangeAccess, header) == 108, "ExchangeAccess.header");
ZYN_STATIC_ASSERT(offsetof(ExchangeAccess, statusClear) == 140, "ExchangeAccess.statusClear");
ZYN_STATIC_ASSERT(sizeof(ExchangeAccess) == 144, "ExchangeAccess is 144 bytes");
ZYN_STATIC_ASSERT(offsetof(ExchangeTransfer, buffer) == 4, "ExchangeTransfer.buffer");
ZYN_STATIC_ASSERT(offsetof(ExchangeTransfer, result) == 8, "ExchangeTransfer.result");
ZYN_STATIC_ASSERT(sizeof(ExchangeTransfer) == 12, "ExchangeTransfer is 12 bytes");
#else
ZYN_STATIC_ASSERT(sizeof(uint32_t*) == 8, "the interface's pointers are 8 bytes");
ZYN_STATIC_ASSERT(offsetof(ExchangeAccess, header) == 112, "ExchangeAccess.header");
ZYN_STATIC_ASSERT(offsetof(ExchangeAccess, statusClear) == 144, "ExchangeAccess.statusClear");
ZYN_STATIC_ASSERT(sizeof(ExchangeAccess) == 152, "ExchangeAccess is 152 bytes");
ZYN_STATIC_ASSERT(offsetof(ExchangeTransfer, buffer) == 8, "ExchangeTransfer.buffer");
ZYN_STATIC_ASSERT(offsetof(ExchangeTransfer, result) == 16, "ExchangeTransfer.result");
ZYN_STATIC_ASSERT(sizeof(ExchangeTransfer) == 24, "ExchangeTransfer is 24 bytes");
#endif
ZYN_STATIC_ASSERT(offsetof(ExchangeTransfer, access) == 0, "ExchangeTransfer.access");

ZYN_STATIC_ASSERT(offsetof(ServiceConfigParams, multicast) == 0, "ServiceConfigParams.multicast");
ZYN_STATIC_ASSERT(offsetof(ServiceConfigParams, maxExchangeSize) == 544, "ServiceConfigParams.maxExchangeSize");
ZYN_STATIC_ASSERT(offsetof(ServiceConfigParams, maxStaticExchanges) == 548, "ServiceConfigParams.maxStaticExchanges");
ZYN_STATIC_ASSERT(offsetof(ServiceConfigParams, maxDynamicExchanges) == 552, "ServiceConfigParams.maxDynamicExchanges");
ZYN_STATIC_ASSERT(offsetof(ServiceConfigParams, exchMap) == 556, "ServiceConfigParams.exchMap");
ZYN_STATIC_ASSERT(sizeof(ServiceConfigParams) == 560, "ServiceConfigParams is 560 bytes");

#undef ZYN_STATIC_ASSERT
#endif /* ZYN_STATIC_ASSERT */

#endif /* TRVZYN32_H */
