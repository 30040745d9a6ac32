// Measures, over a set of documents, the floor no converter can beat
// (open the container, validate the header, read and inflate every
// section with libgsf and zlib) against the whole conversion, both in
// this one process.   bench_floor ROUNDS FILE...
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "brindle/convert.h"
#include "brindle/document.h"
#include "brindle/limits.h"

namespace {

using Clock = std::chrono::steady_clock;

// Open, validate and inflate every section; returns the inflated bytes.
std::size_t read_all_sections(const std::string& path) {
    brindle::Result<brindle::OpenDocument> document = brindle::open_document(path);
    if (!document) return 0;
    auto& [file, compressed] = document.value();
    std::size_t total = 0;
    for (std::int32_t n = 0;; ++n) {
        brindle::Result<brindle::ByteBuffer> bytes =
            brindle::read_section_stream(file, brindle::section_stream_path(n), compressed);
        if (!bytes) break;
        total += bytes.value().size();
    }
    return total;
}

std::size_t convert(const std::string& path) {
    try {
        brindle::Result<std::string> markdown = brindle::convert_document(path);
        return markdown ? markdown.value().size() : 0;
    } catch (const brindle::LimitExceeded&) {
        return 0;
    }
}

template <class F>
double seconds_for(int rounds, const std::vector<std::string>& files, F&& work, std::size_t& bytes) {
    const auto start = Clock::now();
    for (int r = 0; r < rounds; ++r) {
        bytes = 0;
        for (const std::string& file : files) bytes += work(file);
    }
    return std::chrono::duration<double>(Clock::now() - start).count() / rounds;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_floor ROUNDS FILE...\n");
        return 2;
    }
    const int rounds = std::max(1, std::atoi(argv[1]));
    const std::vector<std::string> files(argv + 2, argv + argc);
    std::size_t inflated = 0, markdown = 0;
    seconds_for(1, files, read_all_sections, inflated);  // warm the page cache
    const double floor = seconds_for(rounds, files, read_all_sections, inflated);
    const double whole = seconds_for(rounds, files, convert, markdown);
    std::printf("documents            %zu\n", files.size());
    std::printf("inflated sections    %.1f MB\n", inflated / 1e6);
    std::printf("markdown out         %.1f MB\n", markdown / 1e6);
    std::printf("floor (open+inflate) %.3f s\n", floor);
    std::printf("whole conversion     %.3f s\n", whole);
    std::printf("conversion proper    %.3f s  (%.2f x the floor)\n", whole - floor, (whole - floor) / floor);
    return 0;
}
