// A regular file on a POSIX system: opened by its path's bytes, read with
// pread, so that a source keeps no file position and threads may share it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "brindle/byte_source.h"

namespace brindle {

Result<ByteSource> ByteSource::open_regular_file(std::string_view path) {
    const std::string c_path(path);
    // O_NONBLOCK so that opening a FIFO cannot hang; it has no effect on
    // regular files, the only kind accepted below.
    const int fd = ::open(c_path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return HwpError::io(IoError::from_os(errno));
    ByteSource source(fd, {}, 0);  // closes the descriptor on every error below
    struct stat st {};
    if (::fstat(fd, &st) != 0) return HwpError::io(IoError::from_os(errno));
    if (S_ISDIR(st.st_mode)) return HwpError::io(IoError::from_os(EISDIR));
    // A device or pipe has no size and may never end; a compound file is
    // read at offsets, so only regular files qualify.
    if (!S_ISREG(st.st_mode)) {
        return HwpError::io(IoError::from_text("not a regular file")).with_cause(HwpError::Cause::NotARegularFile);
    }
    source.size_ = static_cast<std::uint64_t>(st.st_size);
    return source;
}

std::optional<HwpError> ByteSource::read_file(std::uint64_t offset, std::span<std::uint8_t> out,
                                              std::string_view what) const {
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t got = ::pread(file_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR) continue;
            return HwpError::io(IoError::from_os(errno));
        }
        if (got == 0) return past_end(what);  // the file shrank since it was opened
        done += static_cast<std::size_t>(got);
    }
    return std::nullopt;
}

void ByteSource::close_file(NativeFile file) { ::close(file); }

}  // namespace brindle
