// Converts each document named on the command line the way the modules do
// (the whole Markdown by the exact and by the full profile, then the record
// listing of the first section) and prints one line per document: "ok" with
// the sizes, or the error's message.
// A plain program, so that valgrind can check the core on real files without
// the interpreter in the way; it fails only by crashing or by the checker.
//
//   corpus_check FILE...
#include <cstdio>
#include <new>
#include <string>

#include "brindle/convert.h"
#include "brindle/limits.h"

namespace {

// The outcome of one call, as the module would report it.
template <class Call>
std::string outcome(Call&& call) {
    try {
        auto result = call();
        if (!result) return "error: " + result.error().message();
        return "ok";
    } catch (const brindle::LimitExceeded& limit) {
        return std::string("limit: ") + limit.what();
    } catch (const std::bad_alloc&) {
        return "out of memory";
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE...\n", argv[0]);
        return 2;
    }
    int converted = 0;
    int refused = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string path = argv[i];
        std::size_t text_size = 0;
        std::size_t full_size = 0;
        std::size_t record_count = 0;
        const std::string markdown = outcome([&] {
            auto result = brindle::convert_document(path);
            if (result) text_size = result.value().size();
            return result;
        });
        const std::string full = outcome([&] {
            auto result = brindle::convert_document(path, brindle::Profile::Full);
            if (result) full_size = result.value().size();
            return result;
        });
        const std::string records = outcome([&] {
            auto result = brindle::list_section_records(path);
            if (result) record_count = result.value().size();
            return result;
        });
        if (markdown == "ok") {
            ++converted;
            std::printf("%s: ok, %zu bytes of Markdown", path.c_str(), text_size);
        } else {
            ++refused;
            std::printf("%s: %s", path.c_str(), markdown.c_str());
        }
        if (full == "ok") {
            std::printf("; full: ok, %zu bytes", full_size);
        } else {
            std::printf("; full: %s", full.c_str());
        }
        std::printf("; records: %s", records.c_str());
        if (records == "ok") std::printf(" (%zu)", record_count);
        std::printf("\n");
    }
    std::printf("%d converted, %d raised\n", converted, refused);
    return 0;
}
