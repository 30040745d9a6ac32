// Byte ranges from a file (pread, so a source keeps no file position) or
// from memory. A file is read rather than mapped: a mapped file that another
// process truncates kills the reader with SIGBUS, a short pread is an error.
#include "brindle/byte_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

namespace brindle {
namespace {

HwpError past_end(std::string_view what) {
    std::string text;
    text.append(what).append(" lies past the end of the file");
    return HwpError::io(IoError::from_text(std::move(text)));
}

}  // namespace

Result<ByteSource> ByteSource::open_file(std::string_view path) {
    // The C library would silently cut the path at a NUL and open another
    // file; refuse it as the invalid argument it is.
    if (path.find('\0') != std::string_view::npos) return HwpError::io(IoError::from_os(EINVAL));
    const std::string c_path(path);
    // O_NONBLOCK so that opening a FIFO cannot hang; it has no effect on
    // regular files, the only kind accepted below.
    const int fd = ::open(c_path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return HwpError::io(IoError::from_os(errno));
    ByteSource source(fd, {}, 0);  // closes the descriptor on every return below
    struct stat st {};
    if (::fstat(fd, &st) != 0) return HwpError::io(IoError::from_os(errno));
    if (S_ISDIR(st.st_mode)) return HwpError::io(IoError::from_os(EISDIR));
    // A device or pipe has no size and may never end; a compound file is
    // read at offsets, so only regular files qualify.
    if (!S_ISREG(st.st_mode)) {
        return HwpError::io(IoError::from_text("not a regular file")).with_cause(HwpError::Cause::NotARegularFile);
    }
    source.size_ = static_cast<std::uint64_t>(st.st_size);
    if (source.size_ <= WHOLE_FILE_READ) {
        ByteBuffer whole(static_cast<std::size_t>(source.size_));
        if (auto error = source.read(0, whole, "the file")) return *std::move(error);
        ByteSource in_memory(-1, {}, whole.size());
        in_memory.owned_ = std::move(whole);
        in_memory.memory_ = in_memory.owned_;
        return in_memory;
    }
    return source;
}

// A moved vector keeps its heap block, so a view of `owned_` stays valid.
ByteSource::ByteSource(ByteSource&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), memory_(other.memory_), owned_(std::move(other.owned_)), size_(other.size_) {}

ByteSource& ByteSource::operator=(ByteSource&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        memory_ = other.memory_;
        owned_ = std::move(other.owned_);
        size_ = other.size_;
    }
    return *this;
}

ByteSource::~ByteSource() {
    if (fd_ >= 0) ::close(fd_);
}

std::optional<HwpError> ByteSource::read(std::uint64_t offset, std::span<std::uint8_t> out,
                                         std::string_view what) const {
    if (offset > size_ || out.size() > size_ - offset) return past_end(what);
    if (fd_ < 0) {
        if (!out.empty()) std::memcpy(out.data(), memory_.data() + offset, out.size());
        return std::nullopt;
    }
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t got = ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR) continue;
            return HwpError::io(IoError::from_os(errno));
        }
        if (got == 0) return past_end(what);  // the file shrank since it was opened
        done += static_cast<std::size_t>(got);
    }
    return std::nullopt;
}

}  // namespace brindle
