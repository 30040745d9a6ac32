// Measures, in this one process, the conversion of HWPX packages against the
// floor of the same approach (open the package, inflate the header and
// every section part with libdeflate, parse each with pugixml, nothing
// else), and against the conversion of the same documents saved as HWP 5.0.
//
//   bench_hwpx ROUNDS HWPX... -- HWP...
#include <pugixml.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "brindle/byte_source.h"
#include "brindle/convert.h"
#include "brindle/limits.h"
#include "document/zip_archive.h"

namespace {

using Clock = std::chrono::steady_clock;

// The floor: every XML part under Contents/ (the header and the sections)
// read and parsed; with `sections_only`, the sections alone, which is all
// the exact profile reads.
template <bool sections_only>
std::size_t floor_of(const std::string& path) {
    brindle::Result<brindle::ByteSource> source = brindle::ByteSource::open_file(path);
    if (!source) return 0;
    brindle::Result<brindle::ZipArchive> archive = brindle::ZipArchive::open(std::move(source).value());
    if (!archive) return 0;
    std::size_t bytes = 0;
    for (const brindle::ZipArchive::Entry& entry : archive.value().entries()) {
        const std::string& name = entry.name;
        if (name.rfind("Contents/", 0) != 0 || !name.ends_with(".xml")) continue;
        if (sections_only && name.rfind("Contents/section", 0) != 0) continue;
        brindle::Result<brindle::ByteBuffer> part = archive.value().read(entry);
        if (!part) continue;
        pugi::xml_document document;
        document.load_buffer_inplace(part.value().data(), part.value().size(),
                                     pugi::parse_cdata | pugi::parse_escapes | pugi::parse_ws_pcdata);
        bytes += part.value().size();
    }
    return bytes;
}

template <brindle::Profile profile>
std::size_t convert(const std::string& path) {
    try {
        brindle::Result<std::string> markdown = brindle::convert_any(path, profile);
        return markdown ? markdown.value().size() : 0;
    } catch (const brindle::LimitExceeded&) {
        return 0;
    }
}

template <class F>
double seconds_for(const std::vector<std::string>& files, F&& work, std::size_t& bytes) {
    const auto start = Clock::now();
    bytes = 0;
    for (const std::string& file : files) bytes += work(file);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_hwpx ROUNDS HWPX... -- HWP...\n");
        return 2;
    }
    const int rounds = std::max(1, std::atoi(argv[1]));
    std::vector<std::string> hwpx, hwp;
    bool originals = false;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) {
            originals = true;
            continue;
        }
        (originals ? hwp : hwpx).push_back(argv[i]);
    }
    std::size_t parts = 0, exact_out = 0, full_out = 0, hwp_out = 0, hwp_full_out = 0;
    seconds_for(hwpx, floor_of<false>, parts);  // warm the page cache
    std::size_t section_parts = 0;
    double floor = 0, section_floor = 0, exact = 0, full = 0, hwp_exact = 0, hwp_full = 0;
    for (int r = 0; r < rounds; ++r) {  // interleaved, so a busy moment falls on all alike
        floor += seconds_for(hwpx, floor_of<false>, parts);
        section_floor += seconds_for(hwpx, floor_of<true>, section_parts);
        exact += seconds_for(hwpx, convert<brindle::Profile::Exact>, exact_out);
        full += seconds_for(hwpx, convert<brindle::Profile::Full>, full_out);
        hwp_exact += seconds_for(hwp, convert<brindle::Profile::Exact>, hwp_out);
        hwp_full += seconds_for(hwp, convert<brindle::Profile::Full>, hwp_full_out);
    }
    floor /= rounds, section_floor /= rounds, exact /= rounds, full /= rounds, hwp_exact /= rounds, hwp_full /= rounds;
    std::printf("HWPX packages                   %zu (%.1f MB of XML parts)\n", hwpx.size(), parts / 1e6);
    std::printf("floor, sections only            %.4f s  (open, inflate, parse %.1f MB)\n", section_floor,
                section_parts / 1e6);
    std::printf("floor, header and sections      %.4f s\n", floor);
    std::printf("HWPX, exact profile             %.4f s  (%.2f x the sections' floor; %.0f documents/s)\n", exact,
                exact / section_floor, hwpx.size() / exact);
    std::printf("HWPX, full profile              %.4f s  (%.2f x the floor of the parts it reads; %.0f documents/s)\n",
                full, full / floor, hwpx.size() / full);
    if (!hwp.empty()) {
        std::printf("HWP 5.0 twins, exact / full     %.4f / %.4f s  (HWPX takes %.2f / %.2f x their time)\n", hwp_exact,
                    hwp_full, exact / hwp_exact, full / hwp_full);
    }
    return 0;
}
