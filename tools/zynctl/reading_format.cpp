// reading_format.cpp - the words and the JSON object of one exchange's reading.
#include "reading_format.h"

#include "failure.h"
#include "text_output.h"

namespace zynctl {

std::string statusText(bool clear) { return clear ? "clear" : "set"; }

Json::Object readingJson(const std::string& name, uint32_t offset, const BatchReading& entry, const char* function) {
    Json::Object object{{"name", name}, {"offset", offset}};
    if (entry.result == ZYN_OK) {
        const ExchangeReading& reading = entry.reading;
        Json::Array words;
        for (uint32_t word : headerWords(reading.header))
            words.emplace_back(word);
        object.emplace_back("count", reading.data.size());
        object.emplace_back("statusClear", reading.statusClear);
        object.emplace_back("header", std::move(words));
        object.emplace_back("data", hexString(reading.data.data(), reading.data.size()));
    }
    object.emplace_back("result", entry.result);
    if (entry.result != ZYN_OK) object.emplace_back("error", resultMeaning(function, entry.result));
    return object;
}

} // namespace zynctl
