// Where a compound file's bytes come from: a regular file read at offsets
// (pread, or ReadFile on Windows), or a buffer already in memory that the
// caller keeps alive. Either way the reader asks for byte ranges and gets
// them whole or an error.
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

    // The regular file at `path`, opened read-only. On POSIX systems the
    // path's bytes are used unchanged; on Windows they are UTF-8 (lone
    // surrogates allowed, as Python's file-system encoding writes them) and
    // the file is opened by its UTF-16 name, as an absolute `\\?\` path so
    // that no code page and no 260-character limit stands in the way.
    // A missing file, a directory, a device or pipe, a locked file or a path
    // holding a NUL is an Io error with the errno value Python's open()
    // reports. A file of at most WHOLE_FILE_READ bytes is read at once: one
    // read costs less than the several a container needs.
    static Result<ByteSource> open_file(std::string_view path);

    // A view of `memory`, which must outlive the source and stay unchanged.
    static ByteSource view(Bytes memory) { return ByteSource(NO_FILE, memory, memory.size()); }

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
#if defined(_WIN32)
    using NativeFile = void*;  // a HANDLE
    static constexpr NativeFile NO_FILE = nullptr;
#else
    using NativeFile = int;  // a descriptor
    static constexpr NativeFile NO_FILE = -1;
#endif

    ByteSource(NativeFile file, Bytes memory, std::uint64_t size) : file_(file), memory_(memory), size_(size) {}

    // The platform's part (byte_source_posix.cc, byte_source_win32.cc): the
    // regular file opened with its size, a read at an offset, the close.
    static Result<ByteSource> open_regular_file(std::string_view path);
    std::optional<HwpError> read_file(std::uint64_t offset, std::span<std::uint8_t> out, std::string_view what) const;
    static void close_file(NativeFile file);
    // The error of a range past the end, or of a file that shrank.
    static HwpError past_end(std::string_view what);

    NativeFile file_ = NO_FILE;  // owned unless NO_FILE; otherwise the bytes are `memory_`
    Bytes memory_;
    ByteBuffer owned_;  // a small file read whole; `memory_` views it
    std::uint64_t size_ = 0;
};

}  // namespace brindle
