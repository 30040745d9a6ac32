// The property-set reader on any stream, and the date reader on any text:
// every value well-formed UTF-8 within the bound, every key once, every
// date in the one form given out.
#include "fuzz_support.h"
#include "hwp/summary_information.h"
#include "model/properties.h"

namespace {

void require_date(std::string_view date) {
    // YYYY-MM-DDTHH:MM:SSZ
    if (date.size() != 20 || date[4] != '-' || date[10] != 'T' || date[19] != 'Z') __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const brindle::DocumentProperties properties = brindle::parse_summary_information({data, size});
    for (std::size_t k = 0; k < properties.fields.size(); ++k) {
        const auto& [key, value] = properties.fields[k];
        brindle::fuzz::require_utf8(value);
        if (value.empty() || value.size() > brindle::MAX_PROPERTY_BYTES) __builtin_trap();
        if (key == brindle::property::CREATED || key == brindle::property::MODIFIED) require_date(value);
        for (std::size_t j = 0; j < k; ++j) {
            if (properties.fields[j].first == key) __builtin_trap();
        }
    }
    std::string text;
    brindle::append_valid_utf8(text, std::string_view(reinterpret_cast<const char*>(data), size));
    if (const auto date = brindle::normalize_date(text)) require_date(*date);
    return 0;
}
