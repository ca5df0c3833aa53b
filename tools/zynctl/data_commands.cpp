// data_commands.cpp - an exchange's live data: `get` and `put`, and `watch` from its own file.
#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "arguments.h"
#include "command.h"
#include "exchange_io.h"
#include "failure.h"
#include "json.h"
#include "reading_format.h"
#include "text_output.h"
#include "watch_command.h"

namespace zynctl {

namespace {

void printReading(const std::string& name, uint32_t offset, const ExchangeReading& reading) {
    std::printf("%s: %s bytes from offset %u, status %s\n", name.c_str(), std::to_string(reading.data.size()).c_str(),
                static_cast<unsigned>(offset), statusText(reading.statusClear).c_str());
    std::string words;
    for (uint32_t word : headerWords(reading.header))
        words += " " + hexWord(word);
    std::printf("header:%s\n", words.c_str());
    printHexDump(reading.data.data(), reading.data.size(), offset);
}

// Binary mode, or the C runtime would turn every 0x0a into 0x0d 0x0a on the way out.
void writeRaw(const std::vector<uint8_t>& data) {
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
    if (std::fwrite(data.data(), 1, data.size(), stdout) != data.size() || std::fflush(stdout) != 0)
        throw Failure("zynctl get: cannot write the data to standard output");
}

std::vector<uint8_t> readAll(FILE* file, const std::string& what) {
    std::vector<uint8_t> bytes;
    uint8_t chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        bytes.insert(bytes.end(), chunk, chunk + n);
    if (std::ferror(file)) throw Failure("zynctl put: cannot read " + what);
    if (bytes.size() > std::numeric_limits<uint32_t>::max())
        throw Failure("zynctl put: " + what + " holds more bytes than an exchange can");
    return bytes;
}

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

std::vector<uint8_t> readFile(const std::string& path) {
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) throw Failure("zynctl put: cannot open " + path + ": " + std::strerror(errno));
    return readAll(file.get(), path);
}

std::vector<uint8_t> readStandardInput() {
    _setmode(_fileno(stdin), _O_BINARY);
    return readAll(stdin, "standard input");
}

// One line for an exchange of several: its data in hex, or why the library refused it.
void printBatchLine(const std::string& name, uint32_t offset, const BatchReading& entry, const char* function) {
    if (entry.result != ZYN_OK) {
        std::printf("%s: %d %s\n", name.c_str(), static_cast<int>(entry.result),
                    resultMeaning(function, entry.result).c_str());
        return;
    }
    const ExchangeReading& reading = entry.reading;
    std::printf("%s: %s bytes from offset %u, status %s: %s\n", name.c_str(),
                std::to_string(reading.data.size()).c_str(), static_cast<unsigned>(offset),
                statusText(reading.statusClear).c_str(), hexString(reading.data.data(), reading.data.size()).c_str());
}

// Every exchange in one call: a line each, in text or, with `json`, one JSON object per line
// (JSON Lines), so that one name and several give the same shape. A failed entry has its line
// too, and then ends the command as a refusal of the library would.
void getEach(const std::vector<std::string>& names, uint32_t offset, std::optional<uint32_t> count, bool json) {
    std::vector<ExchangeRange> ranges;
    for (const std::string& name : names)
        ranges.push_back({name, offset, count});
    const char* function = readFunction(ranges.size());
    const std::vector<BatchReading> entries = readEach(ranges);
    int32_t firstFailure = ZYN_OK;
    for (size_t i = 0; i < names.size(); ++i) {
        if (json)
            printJsonLine(readingJson(names[i], offset, entries[i], function));
        else
            printBatchLine(names[i], offset, entries[i], function);
        if (firstFailure == ZYN_OK) firstFailure = entries[i].result;
    }
    requireOk(function, firstFailure);
}

void addGetCommand(CLI::App& app, Action& chosen) {
    struct Arguments {
        std::vector<std::string> names;
        uint32_t offset = 0;
        std::optional<uint32_t> count;
        bool raw = false;
        bool json = false;
    };
    auto args = std::make_shared<Arguments>();
    auto run = [args] {
        const std::string& name = args->names.front();
        if (args->raw)
            writeRaw(readExchange(name, args->offset, args->count).data);
        else if (args->names.size() == 1 && !args->json)
            printReading(name, args->offset, readExchange(name, args->offset, args->count));
        else
            getEach(args->names, args->offset, args->count, args->json);
    };
    auto check = [args] {
        if (args->raw && args->names.size() > 1) throw CLI::ValidationError("--raw", "takes a single NAME");
    };
    CLI::App* get = addCommand(app, chosen, "get",
                               "read exchanges' data with their status and 32-byte page header; several NAMEs are "
                               "read in one call, one line each; --json prints one JSON object per line and "
                               "exchange",
                               run, check);
    addExchangeNames(*get, args->names);
    addUnsigned(*get, "--offset", args->offset, "first data byte (default 0)");
    addUnsigned(*get, "--count", args->count, "bytes to read (default: to the end of the data)");
    CLI::Option* raw = get->add_flag("--raw", args->raw, "write only the data bytes to stdout, for pipes (one NAME)");
    addJsonFlag(*get, args->json)
        ->excludes(raw)
        ->description("print one JSON object per exchange, one per line (JSON Lines)");
}

// ", header word 3 = 0x00000005" for each word a put stores.
std::string wordsText(const WriterWords& words) {
    std::string text;
    if (words.word3) text += ", header word 3 = " + hexWord(*words.word3);
    if (words.word4) text += ", header word 4 = " + hexWord(*words.word4);
    return text;
}

void addPutCommand(CLI::App& app, Action& chosen) {
    struct Arguments {
        std::string name;
        uint32_t offset = 0;
        std::optional<std::vector<uint8_t>> hex;
        std::optional<std::string> file;
        std::optional<std::string> standardInput; // "-"
        WriterWords words;
    };
    auto args = std::make_shared<Arguments>();
    auto run = [args] {
        const std::vector<uint8_t> data = args->hex             ? *args->hex
                                          : args->file          ? readFile(*args->file)
                                          : args->standardInput ? readStandardInput()
                                                                : std::vector<uint8_t>{};
        // A write of no bytes stores only the header words: what --word3 and --word4 ask for, and
        // without them a mistake, most likely an empty file or pipe.
        if (data.empty() && !args->words.any())
            throw UsageFailure("put: " + (args->file ? *args->file : std::string("standard input")) +
                               " holds no bytes: nothing to write (--word3 or --word4 stores header words alone)");
        writeExchange(args->name, args->offset, data, args->words);
        std::printf("%s: wrote %s bytes at offset %u%s\n", args->name.c_str(), std::to_string(data.size()).c_str(),
                    static_cast<unsigned>(args->offset), wordsText(args->words).c_str());
    };
    auto check = [args] {
        const int sources = (args->hex ? 1 : 0) + (args->file ? 1 : 0) + (args->standardInput ? 1 : 0);
        if (sources > 1 || (sources == 0 && !args->words.any()))
            throw CLI::ValidationError("put", "give the data in one way: --hex HEX, --file F or -; or give only "
                                              "--word3 or --word4 to store header words alone");
        if (args->hex && args->hex->empty() && !args->words.any())
            throw CLI::ValidationError("--hex", "gives no bytes: nothing to write");
    };
    CLI::App* put =
        addCommand(app, chosen, "put",
                   "write data into an exchange, or with --word3 and --word4 alone only header words", run, check);
    addExchangeName(*put, args->name);
    put->add_option_function<std::string>(
           "SOURCE",
           [args](const std::string& text) {
               if (text != "-") throw CLI::ValidationError("SOURCE", "only - (standard input) may stand here");
               args->standardInput = text;
           },
           "- to read the data from standard input")
        ->type_name("-");
    addUnsigned(*put, "--offset", args->offset, "first data byte to write (default 0)");
    addHexBytes(*put, "--hex", args->hex, "the data as hex digits, two per byte: 68656c6c6f");
    put->add_option_function<std::string>(
           "--file", [args](const std::string& path) { args->file = path; }, "read the data from file F")
        ->type_name("F");
    addUnsigned(*put, "--word3", args->words.word3, "page header bytes 12-15 to store (default: kept as they are)");
    addUnsigned(*put, "--word4", args->words.word4, "page header bytes 16-19 to store (default: kept as they are)");
}

} // namespace

void addDataCommands(CLI::App& app, Action& chosen) {
    addGetCommand(app, chosen);
    addPutCommand(app, chosen);
    addWatchCommand(app, chosen);
}

} // namespace zynctl
