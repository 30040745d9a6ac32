// Where a compound file's bytes come from: a regular file read with pread,
// or a buffer already in memory that the caller keeps alive. Either way the
// reader asks for byte ranges and gets them whole or an error.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "brindle/bytes.h"
#include "brindle/result.h"

namespace brindle {

class ByteSource {
public:
    static constexpr std::uint64_t WHOLE_FILE_READ = 64 * 1024;

    // The regular file at `path` (UTF-8, used unchanged), opened read-only.
    // A missing file, a directory, a device or pipe, or a path holding a
    // NUL is an Io error. A file of at most WHOLE_FILE_READ bytes is read
    // at once: one read costs less than the several a container needs.
    static Result<ByteSource> open_file(std::string_view path);

    // A view of `memory`, which must outlive the source and stay unchanged.
    static ByteSource view(Bytes memory) { return ByteSource(-1, memory, memory.size()); }

    ByteSource(ByteSource&& other) noexcept;
    ByteSource& operator=(ByteSource&& other) noexcept;
    ByteSource(const ByteSource&) = delete;
    ByteSource& operator=(const ByteSource&) = delete;
    ~ByteSource();

    // The size the file had when opened, or the buffer's.
    std::uint64_t size() const { return size_; }

    // Fill `out` with the bytes from `offset` on. A range past the end, or a
    // read the system refuses or cuts short, is an Io error naming `what`.
    std::optional<HwpError> read(std::uint64_t offset, std::span<std::uint8_t> out, std::string_view what) const;

private:
    ByteSource(int fd, Bytes memory, std::uint64_t size) : fd_(fd), memory_(memory), size_(size) {}

    int fd_ = -1;  // owned when >= 0; otherwise the bytes are `memory_`
    Bytes memory_;
    ByteBuffer owned_;  // a small file read whole; `memory_` views it
    std::uint64_t size_ = 0;
};

}  // namespace brindle
