// Converts each document named on the command line the way the modules do
// (the whole Markdown, by the exact and by the full profile, then the record
// listing of the first section) and prints one line per document: "ok" with
// the sizes, or the error's message. With --alternate each document is
// converted by one profile only, exact and full in turn, which halves the
// time under a slow checker while both profiles still see half the files.
// A plain program, so that valgrind can check the core on real files without
// the interpreter in the way; it fails only by crashing or by the checker.
//
//   corpus_check [--alternate] FILE...
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

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

// "exact: ok, 123 bytes" or "full: error: ...".
std::string convert(const std::string& path, brindle::Profile profile) {
    std::size_t size = 0;
    const std::string result = outcome([&] {
        auto markdown = brindle::convert_any(path, profile);
        if (markdown) size = markdown.value().size();
        return markdown;
    });
    const char* name = profile == brindle::Profile::Full ? "full" : "exact";
    return std::string(name) + ": " + (result == "ok" ? "ok, " + std::to_string(size) + " bytes" : result);
}

}  // namespace

int main(int argc, char** argv) {
    int first = 1;
    const bool alternate = argc > 1 && std::strcmp(argv[1], "--alternate") == 0;
    if (alternate) ++first;
    if (argc <= first) {
        std::fprintf(stderr, "usage: %s [--alternate] FILE...\n", argv[0]);
        return 2;
    }
    int converted = 0;
    int refused = 0;
    for (int i = first; i < argc; ++i) {
        const std::string path = argv[i];
        std::vector<brindle::Profile> profiles = {brindle::Profile::Exact, brindle::Profile::Full};
        if (alternate) profiles = {(i - first) % 2 == 0 ? brindle::Profile::Exact : brindle::Profile::Full};
        std::string line = path + ":";
        bool ok = true;
        for (const brindle::Profile profile : profiles) {
            const std::string result = convert(path, profile);
            ok = ok && result.find(": ok, ") != std::string::npos;
            line += " " + result + ";";
        }
        std::size_t record_count = 0;
        const std::string records = outcome([&] {
            auto result = brindle::list_records_any(path);
            if (result) record_count = result.value().size();
            return result;
        });
        ok ? ++converted : ++refused;
        std::printf("%s records: %s", line.c_str(), records.c_str());
        if (records == "ok") std::printf(" (%zu)", record_count);
        std::printf("\n");
    }
    std::printf("%d converted, %d raised\n", converted, refused);
    return 0;
}
