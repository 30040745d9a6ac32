// The ZIP container of HWPX packages. The end record is searched for from
// the end of the file, the central directory is read whole and every entry
// checked against the file (offsets, sizes, overlap, duplicate names)
// before anything else is read; an entry's data is read only when asked
// for, after its local header has been checked against the directory.
// ZIP64 sizes and offsets are read where the 32-bit fields defer to them.
// Multi-disk archives and encrypted entries are refused.
#include "document/zip_archive.h"

#include <algorithm>
#include <numeric>
#include <string>
#include <unordered_map>
#include <utility>

#include "brindle/limits.h"
#include "document/inflate.h"
#include "document/zip_format.h"

namespace brindle {
namespace {

std::string quoted(std::string_view name) {
    std::string text;
    text.reserve(name.size() + 2);
    return text.append("'").append(name).append("'");
}

HwpError damaged(std::string text) { return HwpError::package(std::move(text)); }

// Where the central directory is and how many entries it holds.
struct Directory {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::uint64_t entries = 0;
};

// The ZIP64 values of an entry's extra field, for the fields whose 32-bit
// value defers to them (in the order usize, csize, offset). False when the
// extra field lacks a value it should hold.
bool read_zip64_extra(Bytes extra, ZipArchive::Entry& entry, bool size64, bool compressed64, bool offset64) {
    std::size_t q = 0;
    while (q + 4 <= extra.size()) {
        const std::uint16_t id = read_u16(extra, q);
        const std::size_t length = read_u16(extra, q + 2);
        q += 4;
        if (length > extra.size() - q) return false;
        if (id == zip::ZIP64_EXTRA_ID) {
            const Bytes field = extra.subspan(q, length);
            std::size_t f = 0;
            for (auto [wanted, value] :
                 {std::pair{size64, &entry.size}, std::pair{compressed64, &entry.compressed_size},
                  std::pair{offset64, &entry.local_offset}}) {
                if (!wanted) continue;
                if (f + 8 > field.size()) return false;
                *value = read_u64(field, f);
                f += 8;
            }
            return true;
        }
        q += length;
    }
    return !size64 && !compressed64 && !offset64;
}

}  // namespace

struct ZipArchive::Impl {
    explicit Impl(ByteSource source) : source(std::move(source)) {}

    std::optional<HwpError> open();
    Result<Directory> find_directory();
    std::optional<HwpError> read_directory(const Directory& directory);
    Result<ByteBuffer> read(const Entry& entry);

    ByteSource source;
    std::vector<Entry> entries;
    std::unordered_map<std::string_view, std::size_t> by_name;  // views the entries' names
    std::uint64_t inflated = 0;                                 // bytes handed out so far
    ExactInflater inflater;                                     // set up once for the archive's entries
};

Result<Directory> ZipArchive::Impl::find_directory() {
    const std::uint64_t file_size = source.size();
    if (file_size < zip::EOCD_SIZE) return damaged("the file is too short to hold a ZIP end record");
    // The end record is the last thing in the file but for its comment.
    const std::uint64_t window = std::min<std::uint64_t>(file_size, zip::EOCD_SIZE + zip::EOCD_MAX_COMMENT);
    ByteBuffer tail(static_cast<std::size_t>(window));
    if (auto error = source.read(file_size - window, tail, "the ZIP end record")) return *std::move(error);
    std::size_t at = tail.size() - zip::EOCD_SIZE;
    for (;; --at) {
        if (read_u32(tail, at) == zip::EOCD_SIGNATURE &&
            read_u16(tail, at + zip::EOCD_COMMENT_LENGTH_OFFSET) <= tail.size() - at - zip::EOCD_SIZE) {
            break;
        }
        if (at == 0) return damaged("no ZIP end record");
    }
    const Bytes eocd = Bytes(tail).subspan(at, zip::EOCD_SIZE);
    const std::uint64_t eocd_offset = file_size - window + at;
    if (read_u16(eocd, zip::EOCD_DISK_OFFSET) != 0 || read_u16(eocd, zip::EOCD_CD_DISK_OFFSET) != 0) {
        return damaged("the archive spans several disks");
    }
    Directory directory{read_u32(eocd, zip::EOCD_CD_OFFSET_OFFSET), read_u32(eocd, zip::EOCD_CD_SIZE_OFFSET),
                        read_u16(eocd, zip::EOCD_ENTRIES_OFFSET)};
    const bool zip64 =
        directory.offset == zip::ZIP64_U32 || directory.size == zip::ZIP64_U32 || directory.entries == zip::ZIP64_U16;
    if (zip64 && at >= zip::ZIP64_LOCATOR_SIZE &&
        read_u32(tail, at - zip::ZIP64_LOCATOR_SIZE) == zip::ZIP64_LOCATOR_SIGNATURE) {
        const std::uint64_t record = read_u64(tail, at - zip::ZIP64_LOCATOR_SIZE + zip::ZIP64_LOCATOR_EOCD_OFFSET);
        if (record > eocd_offset || eocd_offset - record < zip::ZIP64_EOCD_SIZE) {
            return damaged("the ZIP64 end record lies past the end record");
        }
        ByteBuffer big(zip::ZIP64_EOCD_SIZE);
        if (auto error = source.read(record, big, "the ZIP64 end record")) return *std::move(error);
        if (read_u32(big, 0) != zip::ZIP64_EOCD_SIGNATURE) return damaged("the ZIP64 end record is missing");
        if (read_u32(big, zip::ZIP64_EOCD_DISK_OFFSET) != 0 || read_u32(big, zip::ZIP64_EOCD_CD_DISK_OFFSET) != 0) {
            return damaged("the archive spans several disks");
        }
        directory = {read_u64(big, zip::ZIP64_EOCD_CD_OFFSET_OFFSET), read_u64(big, zip::ZIP64_EOCD_CD_SIZE_OFFSET),
                     read_u64(big, zip::ZIP64_EOCD_ENTRIES_OFFSET)};
    }
    if (directory.offset > file_size || directory.size > file_size - directory.offset) {
        return damaged("the central directory runs past the end of the file");
    }
    // Each entry takes at least a fixed-size header: a count the directory
    // cannot hold is damage, not a reason to allocate.
    if (directory.entries > directory.size / zip::CENTRAL_SIZE) {
        return damaged("the central directory claims " + std::to_string(directory.entries) +
                       " entries, more than its " + std::to_string(directory.size) + " bytes hold");
    }
    if (directory.entries > MAX_ZIP_ENTRIES) {
        throw LimitExceeded("the package lists " + std::to_string(directory.entries) + " entries; at most " +
                            std::to_string(MAX_ZIP_ENTRIES) + " are supported");
    }
    return directory;
}

std::optional<HwpError> ZipArchive::Impl::read_directory(const Directory& directory) {
    ByteBuffer table(static_cast<std::size_t>(directory.size));
    if (auto error = source.read(directory.offset, table, "the central directory")) return error;
    entries.reserve(static_cast<std::size_t>(directory.entries));
    std::size_t q = 0;
    for (std::uint64_t k = 0; k < directory.entries; ++k) {
        if (table.size() - q < zip::CENTRAL_SIZE || read_u32(table, q) != zip::CENTRAL_SIGNATURE) {
            return damaged("central directory entry " + std::to_string(k) + " is missing or cut short");
        }
        const Bytes header = Bytes(table).subspan(q, zip::CENTRAL_SIZE);
        const std::size_t name_length = read_u16(header, zip::CENTRAL_NAME_LENGTH_OFFSET);
        const std::size_t extra_length = read_u16(header, zip::CENTRAL_EXTRA_LENGTH_OFFSET);
        const std::size_t comment_length = read_u16(header, zip::CENTRAL_COMMENT_LENGTH_OFFSET);
        if (table.size() - q - zip::CENTRAL_SIZE < name_length + extra_length + comment_length) {
            return damaged("central directory entry " + std::to_string(k) + " runs past the directory");
        }
        Entry entry;
        const auto* name = reinterpret_cast<const char*>(table.data() + q + zip::CENTRAL_SIZE);
        entry.name.assign(name, name_length);
        entry.flags = read_u16(header, zip::CENTRAL_FLAGS_OFFSET);
        entry.method = read_u16(header, zip::CENTRAL_METHOD_OFFSET);
        entry.crc32 = read_u32(header, zip::CENTRAL_CRC_OFFSET);
        entry.compressed_size = read_u32(header, zip::CENTRAL_COMPRESSED_OFFSET);
        entry.size = read_u32(header, zip::CENTRAL_SIZE_OFFSET);
        entry.local_offset = read_u32(header, zip::CENTRAL_LOCAL_OFFSET);
        const Bytes extra = Bytes(table).subspan(q + zip::CENTRAL_SIZE + name_length, extra_length);
        if (!read_zip64_extra(extra, entry, entry.size == zip::ZIP64_U32, entry.compressed_size == zip::ZIP64_U32,
                              entry.local_offset == zip::ZIP64_U32)) {
            return damaged("zip entry " + quoted(entry.name) + " lacks the ZIP64 sizes it defers to");
        }
        if (read_u16(header, zip::CENTRAL_DISK_OFFSET) != 0 &&
            read_u16(header, zip::CENTRAL_DISK_OFFSET) != zip::ZIP64_U16) {
            return damaged("zip entry " + quoted(entry.name) + " lies on another disk");
        }
        // An entry's header and data lie before the central directory.
        const std::uint64_t least = zip::LOCAL_SIZE + std::uint64_t{name_length};
        if (entry.local_offset > directory.offset || entry.compressed_size > directory.offset - entry.local_offset ||
            directory.offset - entry.local_offset - entry.compressed_size < least) {
            return damaged("zip entry " + quoted(entry.name) + " runs past the end of the file");
        }
        entries.push_back(std::move(entry));
        q += zip::CENTRAL_SIZE + name_length + extra_length + comment_length;
    }

    // No two entries may share bytes: in offset order, each ends (its local
    // header with the name, then its data) before the next begins.
    std::vector<std::size_t> order(entries.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return entries[a].local_offset < entries[b].local_offset; });
    for (std::size_t i = 0; i < order.size(); ++i) {
        Entry& entry = entries[order[i]];
        entry.limit = i + 1 < order.size() ? entries[order[i + 1]].local_offset : directory.offset;
        const std::uint64_t end = entry.local_offset + zip::LOCAL_SIZE + entry.name.size() + entry.compressed_size;
        if (end > entry.limit) {
            return damaged("zip entries " + quoted(entry.name) + " and " +
                           quoted(i + 1 < order.size() ? entries[order[i + 1]].name : "the central directory") +
                           " overlap");
        }
    }
    by_name.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!by_name.emplace(entries[i].name, i).second) {
            return damaged("zip entry " + quoted(entries[i].name) + " appears twice");
        }
    }
    return std::nullopt;
}

std::optional<HwpError> ZipArchive::Impl::open() {
    Result<Directory> directory = find_directory();
    if (!directory) return std::move(directory).error();
    return read_directory(directory.value());
}

Result<ByteBuffer> ZipArchive::Impl::read(const Entry& entry) {
    const std::string what = "zip entry " + quoted(entry.name);
    if (entry.flags & zip::FLAG_ENCRYPTED) return HwpError::password_protected_package();
    if (entry.method != zip::METHOD_STORED && entry.method != zip::METHOD_DEFLATED) {
        return damaged(what + " uses compression method " + std::to_string(entry.method) + ", which is not supported");
    }
    if (entry.size > MAX_PART_SIZE) {
        throw LimitExceeded(what + " holds " + std::to_string(entry.size) + " bytes; at most " +
                            std::to_string(MAX_PART_SIZE >> 20) + " MiB are supported per part");
    }
    if (entry.size > PART_RATIO_FLOOR && entry.size / MAX_COMPRESSION_RATIO > entry.compressed_size) {
        throw LimitExceeded(what + " would inflate " + std::to_string(entry.size) + " bytes from " +
                            std::to_string(entry.compressed_size) + ", more than " +
                            std::to_string(MAX_COMPRESSION_RATIO) + " times its size");
    }
    if (entry.size > MAX_PACKAGE_INFLATED - inflated) {
        throw LimitExceeded("the package's parts inflate to more than " + std::to_string(MAX_PACKAGE_INFLATED >> 20) +
                            " MiB in all");
    }
    if (entry.method == zip::METHOD_STORED && entry.size != entry.compressed_size) {
        return damaged(what + " is stored but its sizes differ");
    }

    // The local header repeats what the directory says (its CRC and sizes
    // may be left for a data descriptor after the data).
    std::uint8_t local[zip::LOCAL_SIZE];
    if (auto error = source.read(entry.local_offset, local, what)) return *std::move(error);
    const Bytes header(local, sizeof local);
    if (read_u32(header, 0) != zip::LOCAL_SIGNATURE)
        return damaged(what + " has no local header where the directory says");
    const std::size_t name_length = read_u16(header, zip::LOCAL_NAME_LENGTH_OFFSET);
    const std::size_t extra_length = read_u16(header, zip::LOCAL_EXTRA_LENGTH_OFFSET);
    const std::uint64_t data = entry.local_offset + zip::LOCAL_SIZE + name_length + extra_length;
    if (data > entry.limit || entry.compressed_size > entry.limit - data) {
        return damaged(what + " runs past the end of its place in the file");
    }
    ByteBuffer name_bytes(name_length);
    if (auto error = source.read(entry.local_offset + zip::LOCAL_SIZE, name_bytes, what)) return *std::move(error);
    const bool same_name = std::equal(name_bytes.begin(), name_bytes.end(), entry.name.begin(), entry.name.end(),
                                      [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); });
    if (!same_name || read_u16(header, zip::LOCAL_METHOD_OFFSET) != entry.method) {
        return damaged(what + " differs from its local header");
    }
    if (!(read_u16(header, zip::LOCAL_FLAGS_OFFSET) & zip::FLAG_DATA_DESCRIPTOR)) {
        const std::uint32_t compressed = read_u32(header, zip::LOCAL_COMPRESSED_OFFSET);
        const std::uint32_t size = read_u32(header, zip::LOCAL_SIZE_OFFSET);
        const bool sizes_agree = (compressed == zip::ZIP64_U32 || compressed == entry.compressed_size) &&
                                 (size == zip::ZIP64_U32 || size == entry.size);
        if (!sizes_agree || read_u32(header, zip::LOCAL_CRC_OFFSET) != entry.crc32) {
            return damaged(what + " differs from its local header");
        }
    }

    ByteBuffer stored(static_cast<std::size_t>(entry.compressed_size));
    if (auto error = source.read(data, stored, what)) return *std::move(error);
    ByteBuffer bytes;
    if (entry.method == zip::METHOD_STORED) {
        bytes = std::move(stored);
    } else {
        Result<ByteBuffer> inflated_bytes = inflater.inflate(stored, static_cast<std::size_t>(entry.size));
        if (!inflated_bytes)
            return damaged(what + " does not inflate to the " + std::to_string(entry.size) + " bytes it declares");
        bytes = std::move(inflated_bytes).value();
    }
    if (crc32_of(bytes) != entry.crc32) return damaged(what + " fails its CRC-32 check");
    inflated += bytes.size();
    return bytes;
}

bool ZipArchive::looks_like_zip(Bytes head) {
    if (head.size() < 4) return false;
    const std::uint32_t signature = read_u32(head, 0);
    return signature == zip::LOCAL_SIGNATURE || signature == zip::EOCD_SIGNATURE;
}

Result<ZipArchive> ZipArchive::open(ByteSource source) {
    auto impl = std::make_unique<Impl>(std::move(source));
    if (auto error = impl->open()) return *std::move(error);
    return ZipArchive(std::move(impl));
}

ZipArchive::ZipArchive(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
ZipArchive::ZipArchive(ZipArchive&&) noexcept = default;
ZipArchive& ZipArchive::operator=(ZipArchive&&) noexcept = default;
ZipArchive::~ZipArchive() = default;

std::span<const ZipArchive::Entry> ZipArchive::entries() const { return impl_->entries; }

const ZipArchive::Entry* ZipArchive::find(std::string_view name) const {
    if (const auto it = impl_->by_name.find(name); it != impl_->by_name.end()) return &impl_->entries[it->second];
    if (name.find('/') == std::string_view::npos) return nullptr;
    std::string backslashed(name);
    std::replace(backslashed.begin(), backslashed.end(), '/', '\\');
    const auto it = impl_->by_name.find(backslashed);
    return it == impl_->by_name.end() ? nullptr : &impl_->entries[it->second];
}

Result<ByteBuffer> ZipArchive::read(const Entry& entry) { return impl_->read(entry); }

}  // namespace brindle
