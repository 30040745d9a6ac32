// The compound-file container: the header, the FAT (through the DIFAT),
// the directory and, on first use, the mini FAT and the mini stream. Only
// what a stream read needs is ever read, and every sector number, chain,
// size and count is checked before it is used, so the time and memory of a
// call stay in proportion to the file whatever its tables claim.
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "document/allocation_table.h"
#include "document/cfb_format.h"
#include "document/cfb_header.h"
#include "document/compound_file.h"
#include "document/directory.h"

namespace brindle {
namespace {

using cfb::AllocationTable;
using cfb::Directory;

std::string quoted(std::string_view path) {
    std::string text;
    text.reserve(path.size() + 2);
    text.append("'").append(path).append("'");
    return text;
}

// A stretch of the file that lands at `at` in a stream's buffer.
struct Piece {
    std::uint64_t offset;
    std::size_t at;
    std::size_t length;
};

// Appends a piece, merging it with the previous one when the two are
// adjacent in the file and in the buffer: a stream stored in consecutive
// sectors is then one read.
void add_piece(std::vector<Piece>& pieces, std::uint64_t offset, std::size_t at, std::size_t length) {
    if (!pieces.empty()) {
        Piece& last = pieces.back();
        if (last.offset + last.length == offset && last.at + last.length == at) {
            last.length += length;
            return;
        }
    }
    pieces.push_back(Piece{offset, at, length});
}

// An allocation table from the bytes of its sectors: one u32 per sector.
AllocationTable table_from(const ByteBuffer& bytes) {
    std::vector<std::uint32_t> next(bytes.size() / 4);
    for (std::size_t i = 0; i < next.size(); ++i) next[i] = read_u32(bytes, 4 * i);
    return AllocationTable(std::move(next));
}

}  // namespace

struct CompoundFile::Impl {
    ByteSource source;
    cfb::Header header;
    std::uint64_t sector_count = 0;  // sectors that start within the file
    AllocationTable fat;
    std::optional<Directory> directory;

    // The mini stream's sectors and its allocation table, loaded on the
    // first read of a small stream; a failure to load them is kept and
    // answers every later small read.
    bool mini_loaded = false;
    std::optional<HwpError> mini_error;
    AllocationTable mini_fat;
    std::vector<std::uint32_t> mini_stream_sectors;
    std::uint64_t mini_stream_size = 0;

    explicit Impl(ByteSource s) : source(std::move(s)) {}

    std::size_t sector_size() const { return header.sector_size(); }
    std::uint64_t sector_offset(std::uint32_t sector) const {
        return (std::uint64_t{sector} + 1) << header.sector_shift;
    }

    std::optional<HwpError> open();
    Result<ByteBuffer> read_table_sectors(const std::vector<std::uint32_t>& sectors, std::uint8_t fill,
                                          std::string_view what) const;
    std::optional<HwpError> load_mini_stream();
    Result<ByteBuffer> read_stream(std::string_view path);
};

// Whole sectors of the file's own tables (FAT, DIFAT, mini FAT, directory).
// A last sector that the end of the file cuts short is completed with
// `fill` (free sectors, empty entries). A read the system refuses while the
// container is being opened is a failure of the container.
Result<ByteBuffer> CompoundFile::Impl::read_table_sectors(const std::vector<std::uint32_t>& sectors, std::uint8_t fill,
                                                          std::string_view what) const {
    const std::size_t size = sector_size();
    ByteBuffer bytes(sectors.size() * size, fill);
    std::vector<Piece> pieces;
    for (std::size_t i = 0; i < sectors.size(); ++i) {
        if (sectors[i] >= sector_count) {
            return HwpError::compound_file(std::string(what) + " sector " + std::to_string(sectors[i]) +
                                           " lies past the end of the file");
        }
        const std::uint64_t offset = sector_offset(sectors[i]);
        add_piece(pieces, offset, i * size,
                  static_cast<std::size_t>(std::min<std::uint64_t>(size, source.size() - offset)));
    }
    for (const Piece& piece : pieces) {
        if (auto error = source.read(piece.offset, std::span(bytes).subspan(piece.at, piece.length), what)) {
            return HwpError::compound_file("cannot read " + std::string(what) + ": " + error->message());
        }
    }
    return bytes;
}

std::optional<HwpError> CompoundFile::Impl::open() {
    std::uint8_t head[cfb::HEADER_SIZE];
    const std::size_t head_size = static_cast<std::size_t>(std::min<std::uint64_t>(source.size(), sizeof head));
    if (auto error = source.read(0, std::span(head, head_size), "the header")) {
        return HwpError::compound_file("cannot read the header: " + error->message());
    }
    Result<cfb::Header> parsed = cfb::parse_header(Bytes(head, head_size), source.size());
    if (!parsed) return std::move(parsed).error();
    header = parsed.value();
    const std::size_t size = sector_size();
    sector_count = source.size() > size ? (source.size() - size + size - 1) / size : 0;

    // The FAT's sectors: the header lists the first 109, the DIFAT chain
    // the rest, 127 to a sector (of 512 bytes) with the next one's number
    // last. Each lies in the file, so the count is bounded by its size.
    if (header.fat_sectors > sector_count) {
        return HwpError::compound_file("the header lists " + std::to_string(header.fat_sectors) +
                                       " FAT sectors; the file holds " + std::to_string(sector_count) + " sectors");
    }
    std::vector<std::uint32_t> fat_sectors(header.difat.begin(),
                                           header.difat.begin() +
                                               std::min<std::size_t>(header.fat_sectors, cfb::HEADER_DIFAT_SLOTS));
    const std::size_t per_difat_sector = size / 4 - 1;
    std::vector<bool> difat_seen;
    for (std::uint32_t next = header.first_difat_sector; fat_sectors.size() < header.fat_sectors;) {
        if (next >= sector_count) {
            return HwpError::compound_file(next > cfb::MAX_REGULAR_SECTOR
                                               ? "the DIFAT ends after " + std::to_string(fat_sectors.size()) + " of " +
                                                     std::to_string(header.fat_sectors) + " FAT sectors"
                                               : "DIFAT sector " + std::to_string(next) +
                                                     " lies past the end of the file");
        }
        if (difat_seen.empty()) difat_seen.resize(static_cast<std::size_t>(sector_count));
        if (difat_seen[next]) return HwpError::compound_file("the DIFAT chain loops");
        difat_seen[next] = true;
        Result<ByteBuffer> difat = read_table_sectors({next}, 0xFF, "DIFAT");
        if (!difat) return std::move(difat).error();
        const std::size_t take = std::min<std::size_t>(per_difat_sector, header.fat_sectors - fat_sectors.size());
        for (std::size_t i = 0; i < take; ++i) fat_sectors.push_back(read_u32(difat.value(), 4 * i));
        next = read_u32(difat.value(), 4 * per_difat_sector);
    }
    Result<ByteBuffer> fat_bytes = read_table_sectors(fat_sectors, 0xFF, "FAT");
    if (!fat_bytes) return std::move(fat_bytes).error();
    fat = table_from(fat_bytes.value());

    Result<std::vector<std::uint32_t>> directory_chain =
        fat.chain_to_end(header.first_directory_sector, "the directory");
    if (!directory_chain) return std::move(directory_chain).error();
    Result<ByteBuffer> directory_bytes = read_table_sectors(directory_chain.value(), 0, "directory");
    if (!directory_bytes) return std::move(directory_bytes).error();
    directory.emplace(std::move(directory_bytes).value(), header.major_version == 3);
    if (directory->size() == 0 || directory->entry(0).type != cfb::TYPE_ROOT) {
        return HwpError::compound_file("the directory has no root entry");
    }
    return std::nullopt;
}

std::optional<HwpError> CompoundFile::Impl::load_mini_stream() {
    if (mini_loaded) return mini_error;
    mini_loaded = true;
    // The mini stream is the root entry's stream, in regular sectors.
    const cfb::Entry root = directory->entry(0);
    if (root.size > source.size()) {
        mini_error = HwpError::compound_file("the mini stream claims " + std::to_string(root.size) +
                                             " bytes, more than the file holds");
        return mini_error;
    }
    mini_stream_size = root.size;
    const std::uint64_t count = (root.size + sector_size() - 1) / sector_size();
    Result<std::vector<std::uint32_t>> sectors = fat.chain(root.start, count, "the mini stream");
    if (!sectors) return mini_error = std::move(sectors).error();
    mini_stream_sectors = std::move(sectors).value();

    Result<std::vector<std::uint32_t>> table_chain = fat.chain_to_end(header.first_mini_fat_sector, "the mini FAT");
    if (!table_chain) return mini_error = std::move(table_chain).error();
    Result<ByteBuffer> table = read_table_sectors(table_chain.value(), 0xFF, "mini FAT");
    if (!table) return mini_error = std::move(table).error();
    mini_fat = table_from(table.value());
    return std::nullopt;
}

Result<ByteBuffer> CompoundFile::Impl::read_stream(std::string_view path) {
    Result<std::uint32_t> found = directory->find_stream(path);
    if (!found) return std::move(found).error();
    const cfb::Entry entry = directory->entry(found.value());
    const std::string what = quoted(path);
    if (entry.size > source.size()) {
        return HwpError::compound_file(what + " claims " + std::to_string(entry.size) +
                                       " bytes, more than the file holds");
    }
    const std::size_t size = static_cast<std::size_t>(entry.size);
    if (size == 0) return ByteBuffer{};

    std::vector<Piece> pieces;
    if (entry.size < cfb::MINI_STREAM_CUTOFF) {
        if (auto error = load_mini_stream()) return *error;
        constexpr std::size_t mini_size = std::size_t{1} << cfb::MINI_SECTOR_SHIFT;
        Result<std::vector<std::uint32_t>> chain =
            mini_fat.chain(entry.start, (size + mini_size - 1) / mini_size, what);
        if (!chain) return std::move(chain).error();
        for (std::size_t i = 0; i < chain.value().size(); ++i) {
            const std::uint64_t at = std::uint64_t{chain.value()[i]} << cfb::MINI_SECTOR_SHIFT;
            const std::size_t length = std::min(mini_size, size - i * mini_size);
            if (at + length > mini_stream_size) {
                return HwpError::compound_file(what + " lies past the end of the mini stream");
            }
            const std::uint32_t sector = mini_stream_sectors[static_cast<std::size_t>(at >> header.sector_shift)];
            add_piece(pieces, sector_offset(sector) + (at & (sector_size() - 1)), i * mini_size, length);
        }
    } else {
        Result<std::vector<std::uint32_t>> chain =
            fat.chain(entry.start, (size + sector_size() - 1) / sector_size(), what);
        if (!chain) return std::move(chain).error();
        for (std::size_t i = 0; i < chain.value().size(); ++i) {
            add_piece(pieces, sector_offset(chain.value()[i]), i * sector_size(),
                      std::min(sector_size(), size - i * sector_size()));
        }
    }
    ByteBuffer bytes(size);
    for (const Piece& piece : pieces) {
        if (auto error = source.read(piece.offset, std::span(bytes).subspan(piece.at, piece.length), what)) {
            return *error;
        }
    }
    return bytes;
}

CompoundFile::CompoundFile(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
CompoundFile::CompoundFile(CompoundFile&&) noexcept = default;
CompoundFile& CompoundFile::operator=(CompoundFile&&) noexcept = default;
CompoundFile::~CompoundFile() = default;

Result<ByteBuffer> CompoundFile::read_stream(std::string_view path) { return impl_->read_stream(path); }

bool CompoundFile::has_stream(std::string_view path) { return impl_->directory->find_stream(path).ok(); }

std::vector<std::string> CompoundFile::stream_paths() { return impl_->directory->stream_paths(); }

Result<CompoundFile> open_compound_file(ByteSource source) {
    auto impl = std::make_unique<CompoundFile::Impl>(std::move(source));
    if (auto error = impl->open()) return *std::move(error);
    return CompoundFile(std::move(impl));
}

}  // namespace brindle
