// Gathers seed inputs for the fuzz targets from HWP documents: the stored
// and inflated section streams and the payloads of interesting records.
//   seed_tool OUT_DIR FILE...   writes OUT_DIR/<target>/<n>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "document/compound_file.h"
#include "document/inflate.h"
#include "hwp/file_header.h"
#include "hwp/format.h"
#include "hwp/record.h"
#include "hwp/section_stream.h"

namespace fs = std::filesystem;

namespace {

class SeedWriter {
public:
    explicit SeedWriter(fs::path root) : root_(std::move(root)) {}
    void write(const std::string& target, brindle::Bytes bytes) {
        if (bytes.size() > (1u << 20)) return;  // keep seeds small enough to mutate quickly
        const fs::path dir = root_ / target;
        fs::create_directories(dir);
        std::ofstream out(dir / std::to_string(count_++), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

private:
    fs::path root_;
    std::size_t count_ = 0;
};

// The full walk's input: [u32 length][DocInfo][section].
brindle::ByteBuffer walk_input(brindle::Bytes doc_info, brindle::Bytes section) {
    brindle::ByteBuffer out;
    const auto length = static_cast<std::uint32_t>(doc_info.size());
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(length >> shift));
    out.insert(out.end(), doc_info.begin(), doc_info.end());
    out.insert(out.end(), section.begin(), section.end());
    return out;
}

void gather(const std::string& path, SeedWriter& seeds) {
    brindle::Result<brindle::OpenDocument> document = brindle::open_document(path);
    if (!document) return;
    auto& [file, compressed, distribution] = document.value();
    (void)distribution;
    brindle::Result<brindle::ByteBuffer> doc_info = brindle::read_section_stream(file, "/DocInfo", compressed);
    const brindle::ByteBuffer tables = doc_info ? std::move(doc_info).value() : brindle::ByteBuffer();
    seeds.write("doc_info", tables);
    if (brindle::Result<brindle::ByteBuffer> summary = file.read_stream(brindle::SUMMARY_INFORMATION_PATH)) {
        seeds.write("properties", summary.value());
    }
    for (std::int32_t n = 0; n < 64; ++n) {
        brindle::Result<brindle::ByteBuffer> stored = file.read_stream(brindle::section_stream_path(n));
        if (!stored) break;
        brindle::ByteBuffer section = std::move(stored).value();
        if (compressed) {
            seeds.write("inflate", section);
            brindle::Result<brindle::ByteBuffer> inflated = brindle::inflate_raw(section);
            if (!inflated) break;
            section = std::move(inflated).value();
        }
        for (const char* target : {"records", "walk", "table"}) seeds.write(target, section);
        seeds.write("full_walk", walk_input(tables, section));
        for (const brindle::HwpRecord& r : brindle::parse_records(section)) {
            if (r.tag_id == brindle::HWPTAG_PARA_TEXT && r.size() > 16) seeds.write("para_text", r.bytes());
            if ((r.tag_id == brindle::HWPTAG_CTRL_HEADER && brindle::control_id(r) == brindle::CTRL_CLICK_HERE) ||
                r.tag_id == brindle::HWPTAG_CTRL_DATA) {
                seeds.write("click_here", r.bytes());
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: seed_tool OUT_DIR FILE...\n";
        return 2;
    }
    SeedWriter seeds(argv[1]);
    for (int i = 2; i < argc; ++i) {
        gather(argv[i], seeds);
        std::ifstream in(argv[i], std::ios::binary);
        const std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const brindle::Bytes bytes(reinterpret_cast<const std::uint8_t*>(whole.data()), whole.size());
        for (const char* target : {"document", "container", "full_document"}) seeds.write(target, bytes);
    }
    return 0;
}
