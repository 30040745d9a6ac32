// A ZIP archive read from a ByteSource: the end record found, the central
// directory read and checked whole when it is opened, and entries read by
// name, each checked against its local header and its CRC-32. Names are
// keys, never paths: nothing here touches the file system.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "brindle/byte_source.h"
#include "brindle/bytes.h"
#include "brindle/result.h"

namespace brindle {

class ZipArchive {
public:
    struct Entry {
        std::string name;  // as stored
        std::uint64_t local_offset = 0;
        std::uint64_t compressed_size = 0;
        std::uint64_t size = 0;
        std::uint64_t limit = 0;  // where the next entry (or the directory) begins
        std::uint32_t crc32 = 0;
        std::uint16_t method = 0;
        std::uint16_t flags = 0;
    };

    // Whether `head` (the first bytes of a file) opens a ZIP archive: a local
    // header, or the end record of an empty archive.
    static bool looks_like_zip(Bytes head);

    // Read the end record and the central directory. A file that is no ZIP
    // archive, a directory that runs past the file, entries that overlap
    // one another or a name that appears twice is a Package error; more
    // than MAX_ZIP_ENTRIES entries is LimitExceeded.
    static Result<ZipArchive> open(ByteSource source);

    ZipArchive(ZipArchive&&) noexcept;
    ZipArchive& operator=(ZipArchive&&) noexcept;
    ~ZipArchive();

    std::span<const Entry> entries() const;

    // The entry named `name`, or else one whose name is `name` with "\" for
    // each "/" (as some writers store them); null when there is none.
    const Entry* find(std::string_view name) const;

    // An entry's bytes, inflated when deflated: its local header must agree
    // with the directory, its data lie where the directory says, and its
    // CRC-32 match. Parts past MAX_PART_SIZE, parts that would inflate more
    // than MAX_COMPRESSION_RATIO times, and reads past MAX_PACKAGE_INFLATED
    // for the archive are LimitExceeded.
    Result<ByteBuffer> read(const Entry& entry);

    struct Impl;

private:
    explicit ZipArchive(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace brindle
