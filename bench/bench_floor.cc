// Measures, over a set of documents and in this one process, the whole
// conversion (by the exact profile, and then the full one beside it)
// against the floors no converter built on them can beat:
//   reference: open the container with libgsf, validate the header, read
//              and inflate every section with zlib, all as the project
//              first did it;
//   ours:      the same with the project's own reader (and zlib);
//   libdeflate: our reader with libdeflate's inflate, which the conversion
//              cannot use (it accepts streams zlib rejects) but which shows
//              what a faster inflate would leave.
//   bench_floor ROUNDS FILE...
#include <libdeflate.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "brindle/convert.h"
#include "brindle/document.h"
#include "brindle/limits.h"
#include "gsf_compound_file.h"
#include "reference_inflate.h"

namespace {

using Clock = std::chrono::steady_clock;

// Reads sections 0, 1, ... until one fails; returns the inflated bytes.
template <class File, class Inflate>
std::size_t read_sections(File& file, bool compressed, Inflate&& inflate) {
    std::size_t total = 0;
    for (std::int32_t n = 0;; ++n) {
        brindle::Result<brindle::ByteBuffer> stored = file.read_stream(brindle::section_stream_path(n));
        if (!stored) break;
        if (!compressed) {
            total += stored.value().size();
            continue;
        }
        auto inflated = inflate(stored.value());
        if (!inflated) break;
        total += inflated.value().size();
    }
    return total;
}

std::size_t reference_floor(const std::string& path) {
    try {
        brindle::Result<brindle::oracle::GsfCompoundFile> file = brindle::oracle::GsfCompoundFile::open(path);
        if (!file) return 0;
        brindle::Result<brindle::ByteBuffer> header = file.value().read_stream("/FileHeader");
        if (!header) return 0;
        brindle::Result<brindle::FileProperties> properties = brindle::parse_file_header(header.value());
        if (!properties) return 0;
        return read_sections(file.value(), properties.value().compressed,
                             [](brindle::Bytes b) { return brindle::oracle::reference_inflate_raw(b); });
    } catch (const brindle::LimitExceeded&) {
        return 0;
    }
}

std::size_t our_floor(const std::string& path) {
    try {
        brindle::Result<brindle::OpenDocument> document = brindle::open_document(path);
        if (!document) return 0;
        return read_sections(document.value().file, document.value().compressed,
                             [](brindle::Bytes b) { return brindle::inflate_raw(b); });
    } catch (const brindle::LimitExceeded&) {
        return 0;
    }
}

// Whole-buffer libdeflate, the output grown fourfold until it fits.
brindle::Result<brindle::ByteBuffer> inflate_libdeflate(libdeflate_decompressor* d, brindle::Bytes in) {
    brindle::ByteBuffer out(std::max<std::size_t>(in.size() * 8, 4096));
    for (;;) {
        std::size_t produced = 0;
        const libdeflate_result r =
            libdeflate_deflate_decompress(d, in.data(), in.size(), out.data(), out.size(), &produced);
        if (r == LIBDEFLATE_SUCCESS) {
            out.resize(produced);
            return out;
        }
        if (r != LIBDEFLATE_INSUFFICIENT_SPACE || out.size() >= brindle::MAX_SECTION_SIZE) {
            return brindle::HwpError::parse("corrupt deflate stream");
        }
        out.resize(out.size() * 4);
    }
}

std::size_t libdeflate_floor(const std::string& path) {
    static libdeflate_decompressor* const decompressor = libdeflate_alloc_decompressor();
    brindle::Result<brindle::OpenDocument> document = brindle::open_document(path);
    if (!document) return 0;
    return read_sections(document.value().file, document.value().compressed,
                         [](brindle::Bytes b) { return inflate_libdeflate(decompressor, b); });
}

template <brindle::Profile profile>
std::size_t convert(const std::string& path) {
    try {
        brindle::Result<std::string> markdown = brindle::convert_document(path, profile);
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
    std::size_t reference_bytes = 0, our_bytes = 0, libdeflate_bytes = 0, markdown = 0, full_markdown = 0;
    seconds_for(1, files, our_floor, our_bytes);  // warm the page cache
    // Interleaved rounds, so that a busy moment of the machine falls on all alike.
    double reference = 0, ours = 0, fast = 0, whole = 0, full = 0;
    for (int r = 0; r < rounds; ++r) {
        reference += seconds_for(1, files, reference_floor, reference_bytes);
        ours += seconds_for(1, files, our_floor, our_bytes);
        fast += seconds_for(1, files, libdeflate_floor, libdeflate_bytes);
        whole += seconds_for(1, files, convert<brindle::Profile::Exact>, markdown);
        full += seconds_for(1, files, convert<brindle::Profile::Full>, full_markdown);
    }
    reference /= rounds, ours /= rounds, fast /= rounds, whole /= rounds, full /= rounds;
    std::printf("documents                       %zu\n", files.size());
    std::printf("inflated sections               %.1f MB (reference %.1f MB, libdeflate %.1f MB)\n", our_bytes / 1e6,
                reference_bytes / 1e6, libdeflate_bytes / 1e6);
    std::printf("markdown out                    %.1f MB\n", markdown / 1e6);
    std::printf("reference floor (libgsf+zlib)   %.4f s\n", reference);
    std::printf("our floor (reader+zlib)         %.4f s  (%.2f x the reference)\n", ours, ours / reference);
    std::printf("reader+libdeflate floor         %.4f s  (%.2f x the reference)\n", fast, fast / reference);
    std::printf("whole conversion                %.4f s  (%.2f x the reference floor, %.2f x ours)\n", whole,
                whole / reference, whole / ours);
    std::printf("conversion proper               %.4f s  (%.2f x our floor)\n", whole - ours, (whole - ours) / ours);
    std::printf("full profile, whole conversion  %.4f s  (%.2f x the exact profile; %.1f MB of Markdown)\n", full,
                full / whole, full_markdown / 1e6);
    return 0;
}
