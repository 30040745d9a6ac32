// Converts the same documents on several threads at once, by both profiles,
// and checks every result against a conversion of each on its own: the core
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
#include "brindle/hwpx.h"
#include "brindle/limits.h"

namespace {

// The Markdown, or the error's message, or the bound that was reached.
std::string outcome(const std::string& path, brindle::Profile profile) {
    try {
        brindle::Result<std::string> markdown = brindle::convert_any(path, profile);
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
    constexpr brindle::Profile profiles[] = {brindle::Profile::Exact, brindle::Profile::Full};
    std::vector<std::string> expected;
    for (const std::string& file : files) {
        for (const brindle::Profile profile : profiles) expected.push_back(outcome(file, profile));
    }

    std::vector<int> mismatches(static_cast<std::size_t>(threads), 0);
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) {
        pool.emplace_back([&, t] {
            // Each thread starts at another document, so that different
            // documents are in flight together.
            for (std::size_t k = 0; k < files.size(); ++k) {
                const std::size_t i = (k + static_cast<std::size_t>(t) * files.size() / threads) % files.size();
                for (std::size_t p = 0; p < 2; ++p) {
                    if (outcome(files[i], profiles[p]) != expected[2 * i + p]) ++mismatches[static_cast<std::size_t>(t)];
                }
            }
        });
    }
    for (std::thread& thread : pool) thread.join();
    int total = 0;
    for (int m : mismatches) total += m;
    std::printf("threads_check: %zu documents by both profiles on %d threads, %d mismatches\n", files.size(), threads,
                total);
    return total == 0 ? 0 : 1;
}
