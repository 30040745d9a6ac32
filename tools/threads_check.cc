// Converts the same documents on several threads at once, by both profiles
// and parsed whole (pictures and properties), and checks every result
// against a conversion of each on its own: the core
// keeps no shared state, so any difference (or a report from
// ThreadSanitizer, which the test command builds this under) is a fault.
//
//   threads_check THREADS FILE...
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "brindle/convert.h"
#include "brindle/limits.h"
#include "brindle/parse.h"

namespace {

// The ways a document is read: converted by either profile, or parsed.
enum class Mode { Exact, Full, Parse };
constexpr Mode MODES[] = {Mode::Exact, Mode::Full, Mode::Parse};
constexpr std::size_t MODE_COUNT = std::size(MODES);

// A parse as one text: its Markdown, its pictures' names and sizes, its properties.
std::string describe(const brindle::ParsedDocument& parsed) {
    std::string out = parsed.markdown;
    for (const brindle::PictureFile& file : parsed.images)
        out += "\n" + file.name + " " + std::to_string(file.bytes.size());
    for (const auto& [key, value] : parsed.properties.fields) out += "\n" + key + "=" + value;
    return out;
}

// The Markdown, or the error's message, or the bound that was reached.
std::string outcome(const std::string& path, Mode mode) {
    try {
        if (mode == Mode::Parse) {
            brindle::Result<brindle::ParsedDocument> parsed =
                brindle::parse_any(path, brindle::Profile::Full, brindle::ParseOptions{std::string_view("images/")});
            return parsed ? "ok " + describe(parsed.value()) : "error " + parsed.error().message();
        }
        brindle::Result<std::string> markdown =
            brindle::convert_any(path, mode == Mode::Exact ? brindle::Profile::Exact : brindle::Profile::Full);
        return markdown ? "ok " + markdown.value() : "error " + markdown.error().message();
    } catch (const brindle::LimitExceeded& limit) {
        return std::string("limit ") + limit.what();
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s THREADS FILE...\n", argv[0]);
        return 2;
    }
    const int threads = std::max(2, std::atoi(argv[1]));
    const std::vector<std::string> files(argv + 2, argv + argc);
    std::vector<std::string> expected;
    for (const std::string& file : files) {
        for (const Mode mode : MODES) expected.push_back(outcome(file, mode));
    }

    std::vector<int> mismatches(static_cast<std::size_t>(threads), 0);
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) {
        pool.emplace_back([&, t] {
            // Each thread starts at another document, so that different
            // documents are in flight together.
            for (std::size_t k = 0; k < files.size(); ++k) {
                const std::size_t i = (k + static_cast<std::size_t>(t) * files.size() / threads) % files.size();
                for (std::size_t m = 0; m < MODE_COUNT; ++m) {
                    if (outcome(files[i], MODES[m]) != expected[MODE_COUNT * i + m]) {
                        ++mismatches[static_cast<std::size_t>(t)];
                    }
                }
            }
        });
    }
    for (std::thread& thread : pool) thread.join();
    int total = 0;
    for (int m : mismatches) total += m;
    std::printf("threads_check: %zu documents by both profiles and parsed, on %d threads, %d mismatches\n",
                files.size(), threads, total);
    return total == 0 ? 0 : 1;
}
