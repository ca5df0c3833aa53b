/* A program built the way Visual C++ builds one: compiled for the MSVC ABI, linked by an
 * MSVC-style linker against TRVZYN32.lib (32-bit) or TRVZYN64.lib (64-bit), with no C runtime.
 * In the 32-bit build every call goes through a decorated __stdcall name (_ZYN_Init@0, ...), so
 * the program links only if the import library carries those names, runs only if each is bound
 * to the DLL's plain export, and gets the right answers only if the callee and the caller agree
 * on who pops the arguments.
 * It expects the running service and the exchanges scripts/consumer-test.sh defines, and the
 * text "hello" that the example program wrote at the start of exchange_1@NODE1.
 * Prints one line per check and exits with the number of failed checks. */
#include "trvzyn32.h"

/* Only these three of kernel32: no Windows headers come with a freestanding build. */
__declspec(dllimport) void* __stdcall GetStdHandle(unsigned long which);
__declspec(dllimport) int __stdcall WriteFile(void* file, const void* bytes, unsigned long count,
                                              unsigned long* written, void* overlapped);
__declspec(dllimport) __declspec(noreturn) void __stdcall ExitProcess(unsigned int code);

#define STD_OUTPUT_HANDLE ((unsigned long)-11)

static unsigned failures;

static void print(const char* text) {
    unsigned long length = 0, written = 0;
    while (text[length] != '\0') ++length;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, length, &written, 0);
}

static void printNumber(long value) {
    char digits[16];
    int at = (int)sizeof digits - 1;
    unsigned long magnitude = value < 0 ? 0ul - (unsigned long)value : (unsigned long)value;
    digits[at] = '\0';
    do {
        digits[--at] = (char)('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) digits[--at] = '-';
    print(digits + at);
}

static void check(const char* what, long got, long expected) {
    print(got == expected ? "ok   " : "FAIL ");
    print(what);
    print(": ");
    printNumber(got);
    if (got != expected) {
        print(", expected ");
        printNumber(expected);
        ++failures;
    }
    print("\r\n");
}

static void copyText(char* to, const char* from) {
    while ((*to++ = *from++) != '\0') {}
}

void start(void) {
    ExchangeDef definition;
    ExchangeAccess access;
    uint32_t count = 5;
    char data[5] = {0};
    char name[] = "exchange_1@NODE1";
    ExchangeAccess batch[3];
    ExchangeTransfer transfers[3];
    char batchData[3][5];
    int i;

    check("ZYN_Init", ZYN_Init(), 0); /* runs the set-up; it answers 0 */
    check("ZYN_IsServiceRunning", ZYN_IsServiceRunning(), 1);
    check("ZYN_GetNumberOfExchangesFromConfigFile", ZYN_GetNumberOfExchangesFromConfigFile(), 2);

    ZYN_GetStaticExchangeParams(name, &definition);
    check("ZYN_GetStaticExchangeParams size", (long)definition.size, 64);

    for (i = 0; i < (int)sizeof access; ++i) ((char*)&access)[i] = 0;
    copyText(access.exchangeName, name);
    access.lengthPtr = &count;
    check("ZYN_GetExchange", ZYN_GetExchange(&access, data), ZYN_OK);
    check("bytes read equal \"hello\"", data[0] == 'h' && data[1] == 'e' && data[2] == 'l' && data[3] == 'l' &&
                                            data[4] == 'o', 1);
    check("ZYN_GetExchangePtr is non-null", ZYN_GetExchangePtr(&access) != 0, 1);

    /* Both exchanges in one call (_ZYN_GetExchanges@8): the first one's "hello" once more, and
     * the second one's first byte; an unknown name between them fails alone. */
    for (i = 0; i < (int)sizeof batch; ++i) ((char*)batch)[i] = 0;
    copyText(batch[0].exchangeName, name);
    copyText(batch[1].exchangeName, "exchange_99@NODE1");
    copyText(batch[2].exchangeName, "exchange_2@NODE2");
    for (i = 0; i < 3; ++i) {
        batch[i].lengthPtr = &count;
        transfers[i].access = &batch[i];
        transfers[i].buffer = batchData[i];
        transfers[i].result = 0;
    }
    check("ZYN_GetExchanges", ZYN_GetExchanges(transfers, 3), ZYN_E_NOT_FOUND);
    check("its first entry", transfers[0].result, ZYN_OK);
    check("its unknown name", transfers[1].result, ZYN_E_NOT_FOUND);
    check("its last entry", transfers[2].result, ZYN_OK);
    check("batch bytes equal \"hello\"", batchData[0][0] == 'h' && batchData[0][4] == 'o', 1);
    ExitProcess(failures);
}
