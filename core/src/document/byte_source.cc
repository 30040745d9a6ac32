// Byte ranges from a file or from memory. A file is read rather than
// mapped: a mapped file that another process truncates kills the reader
// (SIGBUS, or an access violation), where a short read is an error. The
// platform's file calls are in byte_source_posix.cc and byte_source_win32.cc.
#include "brindle/byte_source.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

namespace brindle {

HwpError ByteSource::past_end(std::string_view what) {
    std::string text;
    text.append(what).append(" lies past the end of the file");
    return HwpError::io(IoError::from_text(std::move(text)));
}

Result<ByteSource> ByteSource::open_file(std::string_view path) {
    // The C library would silently cut the path at a NUL and open another
    // file; refuse it as the invalid argument it is.
    if (path.find('\0') != std::string_view::npos) return HwpError::io(IoError::from_os(EINVAL));
    Result<ByteSource> opened = open_regular_file(path);
    if (!opened) return opened;
    ByteSource& source = opened.value();
    if (source.size_ > WHOLE_FILE_READ) return opened;
    ByteBuffer whole(static_cast<std::size_t>(source.size_));
    if (auto error = source.read(0, whole, "the file")) return *std::move(error);
    ByteSource in_memory(NO_FILE, {}, whole.size());  // `source` closes the file on return
    in_memory.owned_ = std::move(whole);
    in_memory.memory_ = in_memory.owned_;
    return in_memory;
}

// A moved vector keeps its heap block, so a view of `owned_` stays valid.
ByteSource::ByteSource(ByteSource&& other) noexcept
    : file_(std::exchange(other.file_, NO_FILE)),
      memory_(other.memory_),
      owned_(std::move(other.owned_)),
      size_(other.size_) {}

ByteSource& ByteSource::operator=(ByteSource&& other) noexcept {
    if (this != &other) {
        if (file_ != NO_FILE) close_file(file_);
        file_ = std::exchange(other.file_, NO_FILE);
        memory_ = other.memory_;
        owned_ = std::move(other.owned_);
        size_ = other.size_;
    }
    return *this;
}

ByteSource::~ByteSource() {
    if (file_ != NO_FILE) close_file(file_);
}

std::optional<HwpError> ByteSource::read(std::uint64_t offset, std::span<std::uint8_t> out,
                                         std::string_view what) const {
    if (offset > size_ || out.size() > size_ - offset) return past_end(what);
    if (file_ == NO_FILE) {
        if (!out.empty()) std::memcpy(out.data(), memory_.data() + offset, out.size());
        return std::nullopt;
    }
    return read_file(offset, out, what);
}

}  // namespace brindle
