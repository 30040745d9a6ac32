// Measures, over a set of documents and in this one process, the whole
// conversion (by the exact profile, and then the full one beside it)
// against the floors no converter built on them can beat:
//   reference: open the container with libgsf, validate the header, read
//              and inflate every section with zlib, all as the project
//              first did it;
//   ours:      the same with the project's own reader (and zlib-ng, which
//              gives zlib's verdicts);
//   libdeflate: our reader with libdeflate's inflate, which the exact
//              profile cannot use (it accepts streams zlib rejects) but
//              which shows what a faster inflate would leave.
// Then the inflaters alone on every compressed section, held in memory:
// zlib and zlib-ng driven as the reader drives them, and libdeflate.
//   bench_floor ROUNDS FILE...
#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "brindle/convert.h"
#include "brindle/limits.h"
#include "document/compound_file.h"
#include "document/inflate.h"
#include "gsf_compound_file.h"
#include "hwp/file_header.h"
#include "hwp/record.h"
#include "hwp/section_stream.h"
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

// The reader's inflate_raw over zlib itself: the whole input, Z_FINISH,
// room from 8x the input, doubled.
std::size_t inflate_zlib(brindle::Bytes in) {
    brindle::ByteBuffer out;
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return 0;
    out.resize(std::max<std::size_t>(in.size() * 8, 4096));
    z.next_in = const_cast<Bytef*>(in.data());
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    while (inflate(&z, Z_FINISH) == Z_BUF_ERROR && z.avail_out == 0 && out.size() < brindle::MAX_SECTION_SIZE) {
        const std::size_t produced = out.size();
        out.resize(out.size() * 2);
        z.next_out = out.data() + produced;
        z.avail_out = static_cast<uInt>(out.size() - produced);
    }
    const std::size_t produced = z.total_out;
    inflateEnd(&z);
    return produced;
}

// Every compressed section of the documents, as stored.
std::vector<brindle::ByteBuffer> compressed_sections(const std::vector<std::string>& files) {
    std::vector<brindle::ByteBuffer> sections;
    for (const std::string& path : files) {
        brindle::Result<brindle::OpenDocument> document = brindle::open_document(path);
        if (!document || !document.value().compressed) continue;
        for (std::int32_t n = 0;; ++n) {
            brindle::Result<brindle::ByteBuffer> stored =
                document.value().file.read_stream(brindle::section_stream_path(n));
            if (!stored) break;
            sections.push_back(std::move(stored).value());
        }
    }
    return sections;
}

void inflaters_alone(int rounds, const std::vector<std::string>& files) {
    const std::vector<brindle::ByteBuffer> sections = compressed_sections(files);
    libdeflate_decompressor* const decompressor = libdeflate_alloc_decompressor();
    const auto zlib_ng = [](brindle::Bytes b) {
        try {
            brindle::Result<brindle::ByteBuffer> out = brindle::inflate_raw(b);
            return out ? out.value().size() : 0;
        } catch (const brindle::LimitExceeded&) {
            return std::size_t{0};
        }
    };
    const auto libdeflate = [&](brindle::Bytes b) {
        brindle::Result<brindle::ByteBuffer> out = inflate_libdeflate(decompressor, b);
        return out ? out.value().size() : 0;
    };
    const auto time_all = [&](auto&& inflate, std::size_t& bytes) {
        const auto start = Clock::now();
        bytes = 0;
        for (const brindle::ByteBuffer& section : sections) bytes += inflate(section);
        return std::chrono::duration<double>(Clock::now() - start).count();
    };
    std::size_t zlib_bytes = 0, ng_bytes = 0, libdeflate_bytes = 0;
    double zlib_seconds = 0, ng_seconds = 0, libdeflate_seconds = 0;
    for (int r = 0; r < rounds; ++r) {  // paired rounds
        zlib_seconds += time_all(inflate_zlib, zlib_bytes);
        ng_seconds += time_all(zlib_ng, ng_bytes);
        libdeflate_seconds += time_all(libdeflate, libdeflate_bytes);
    }
    libdeflate_free_decompressor(decompressor);
    std::printf("inflaters alone, %zu compressed sections in memory (%.1f MB out):\n", sections.size(), ng_bytes / 1e6);
    std::printf("  zlib                          %.4f s\n", zlib_seconds / rounds);
    std::printf("  zlib-ng                       %.4f s  (%.2f x zlib)%s\n", ng_seconds / rounds,
                ng_seconds / zlib_seconds, ng_bytes == zlib_bytes ? "" : "  OUTPUT DIFFERS");
    std::printf("  libdeflate                    %.4f s  (%.2f x zlib)\n", libdeflate_seconds / rounds,
                libdeflate_seconds / zlib_seconds);
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
    std::printf("our floor (reader+zlib-ng)      %.4f s  (%.2f x the reference)\n", ours, ours / reference);
    std::printf("reader+libdeflate floor         %.4f s  (%.2f x the reference)\n", fast, fast / reference);
    std::printf("whole conversion                %.4f s  (%.2f x the reference floor, %.2f x ours)\n", whole,
                whole / reference, whole / ours);
    std::printf("conversion proper               %.4f s  (%.2f x our floor)\n", whole - ours, (whole - ours) / ours);
    std::printf("full profile, whole conversion  %.4f s  (%.2f x the exact profile; %.1f MB of Markdown)\n", full,
                full / whole, full_markdown / 1e6);
    inflaters_alone(rounds, files);
    return 0;
}
