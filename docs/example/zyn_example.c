/* zyn_example.c - a complete client of TRVZYN32.dll (32-bit) or TRVZYN64.dll (64-bit).
 *
 * It reports whether the ZYN Service is installed and running, lists the exchanges that zyn.ini
 * defines and the service parameters, and then, when the service runs and at least one exchange
 * is defined, writes "hello" at the start of the first exchange's data, reads it back, and reads
 * the first bytes of up to eight exchanges in one call, as a program that polls them would;
 * otherwise it says why it skipped that data part.
 *
 * Exit status 0 when every call succeeded (the last line then begins "example: all calls
 * succeeded"); 1 after the first failure, which is named on one line of standard error. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "trvzyn32.h"

#define POLLED_MAX 8   /* exchanges read together at the end */
#define POLLED_BYTES 4 /* of each, at most */

/* Names the call that failed and its result; the program then ends with exit status 1. */
static int fail(const char* call, long result) {
    fprintf(stderr, "example: %s failed with result %ld\n", call, result);
    return EXIT_FAILURE;
}

int main(void) {
    /* Runs the library's set-up now, which may wait for a starting service; 0 once it is done. */
    int32_t result = ZYN_Init();
    if (result != 0) return fail("ZYN_Init", result);

    /* 1 or 0; neither test can fail. */
    const int32_t present = ZYN_IsServicePresent();
    const int32_t running = ZYN_IsServiceRunning();
    printf("service installed: %s, running: %s\n", present ? "yes" : "no", running ? "yes" : "no");

    /* The exchange definitions of zyn.ini, as the library loaded them: ask for the count, then
     * provide count x 92 bytes (the call has no size argument). */
    const int32_t count = ZYN_GetNumberOfExchangesFromConfigFile();
    if (count < 0) return fail("ZYN_GetNumberOfExchangesFromConfigFile", count);
    ExchangeDef* exchanges = malloc((size_t)(count > 0 ? count : 1) * sizeof *exchanges);
    if (exchanges == NULL) return fail("malloc", 0);
    ExchangeDef first; /* kept for the data part */
    memset(&first, 0, sizeof first);
    /* The first exchanges, each with its name and byte count, for the read of many in one call. */
    ExchangeAccess polled[POLLED_MAX];
    uint32_t polledCounts[POLLED_MAX];
    int polledCount = 0;
    memset(polled, 0, sizeof polled);
    result = ZYN_GetAllExchangesFromConfigFile(exchanges);
    if (result == ZYN_OK) {
        printf("%d exchange(s) defined in zyn.ini\n", (int)count);
        for (int32_t i = 0; i < count; ++i) {
            const ExchangeDef* e = &exchanges[i];
            /* An exchange is named by its exchange id and its producer. */
            printf("  exchange_%d@%.31s: %u bytes, destination %.31s\n", (int)e->exchangeId, e->producer,
                   (unsigned)e->size, e->destination);
            if (polledCount < POLLED_MAX) {
                ExchangeAccess* access = &polled[polledCount];
                snprintf(access->exchangeName, sizeof access->exchangeName, "exchange_%d@%.31s", (int)e->exchangeId,
                         e->producer);
                polledCounts[polledCount] = e->size < POLLED_BYTES ? e->size : POLLED_BYTES;
                access->lengthPtr = &polledCounts[polledCount];
                ++polledCount;
            }
        }
        if (count > 0) first = exchanges[0];
    }
    free(exchanges);
    if (result != ZYN_OK) return fail("ZYN_GetAllExchangesFromConfigFile", result);

    /* The service parameters. The call answers with EXCH_MAP and writes only the multicast
     * entries in use, so the record is cleared first: the list then ends at an empty entry. */
    ServiceConfigParams params;
    memset(&params, 0, sizeof params);
    result = ZYN_GetServiceConfigParams(&params);
    if (result != params.exchMap) return fail("ZYN_GetServiceConfigParams", result);
    printf("service parameters: MAX_EXCHANGE_SIZE %u, MAX_STATIC_EXCHANGES %u, MAX_DYNAMIC_EXCHANGES %u, "
           "EXCH_MAP %d\n",
           (unsigned)params.maxExchangeSize, (unsigned)params.maxStaticExchanges,
           (unsigned)params.maxDynamicExchanges, (int)params.exchMap);
    for (int i = 0; i < ZYN_MULTICAST_ENTRIES && params.multicast[i][0] != '\0'; ++i)
        printf("  MULTICAST %.16s\n", params.multicast[i]);

    if (!running || count == 0) {
        printf("example: skipped the data part: %s\n",
               !running ? "the ZYN Service is not running (the archive's README says how to start its stand-in)"
                        : "zyn.ini defines no exchange");
        printf("example: all calls succeeded, without the data part\n");
        return EXIT_SUCCESS;
    }

    /* The live data of the first exchange. Zeroing the record also zeroes header bytes 12 to 19,
     * the two words that ZYN_PutExchange stores into the page header with the data. */
    ExchangeAccess access;
    memset(&access, 0, sizeof access);
    snprintf(access.exchangeName, sizeof access.exchangeName, "exchange_%d@%.31s", (int)first.exchangeId,
             first.producer);

    /* The same definition, looked up by name. A zero-filled record would mean "not found". */
    ExchangeDef byName;
    ZYN_GetStaticExchangeParams(access.exchangeName, &byName);
    if (memcmp(&byName, &first, sizeof first) != 0) {
        fprintf(stderr, "example: ZYN_GetStaticExchangeParams(\"%s\") failed: exchange number %d, not %d\n",
                access.exchangeName, (int)byName.exchangeNumber, (int)first.exchangeNumber);
        return EXIT_FAILURE;
    }

    /* Write "hello" (or as much of it as the exchange holds) at offset 0. */
    static const char text[] = "hello";
    uint32_t length = first.size < sizeof text - 1 ? first.size : (uint32_t)(sizeof text - 1);
    access.offset = 0;
    access.lengthPtr = &length; /* the byte count is read through this pointer, never written */
    result = ZYN_PutExchange(&access, text);
    if (result != ZYN_OK) return fail("ZYN_PutExchange", result);

    /* Read the same bytes back, with the page header and the status flag. */
    char back[sizeof text] = {0};
    result = ZYN_GetExchange(&access, back);
    if (result != ZYN_OK) return fail("ZYN_GetExchange", result);
    if (memcmp(back, text, length) != 0) {
        fprintf(stderr, "example: ZYN_GetExchange read back \"%.*s\", not what was written\n", (int)length, back);
        return EXIT_FAILURE;
    }
    printf("%s: wrote \"%.*s\" at offset 0 and read it back; status byte %s\n", access.exchangeName, (int)length,
           back, access.statusClear ? "clear" : "set");

    /* Many exchanges in one call: one status test for all of them, then each exchange read under
     * its own mutex exactly as ZYN_GetExchange would read it, with a result of its own. */
    unsigned char polledData[POLLED_MAX][POLLED_BYTES];
    ExchangeTransfer transfers[POLLED_MAX];
    for (int i = 0; i < polledCount; ++i) {
        transfers[i].access = &polled[i];
        transfers[i].buffer = polledData[i];
    }
    result = ZYN_GetExchanges(transfers, (uint32_t)polledCount);
    printf("%d exchange(s) read in one call:\n", polledCount);
    for (int i = 0; i < polledCount; ++i) {
        printf("  %s: result %d, data", polled[i].exchangeName, (int)transfers[i].result);
        for (uint32_t k = 0; transfers[i].result == ZYN_OK && k < polledCounts[i]; ++k)
            printf(" %02x", polledData[i][k]);
        printf("\n");
    }
    /* The first entry that failed, if any; the others still have their own results. */
    if (result != ZYN_OK) return fail("ZYN_GetExchanges", result);

    printf("example: all calls succeeded\n");
    return EXIT_SUCCESS;
}
