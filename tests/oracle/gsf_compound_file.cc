// A compound-file reader built on libgsf's MS-OLE reader, kept as an
// oracle: the differential tests compare the project's own reader with it,
// and the benchmark measures the floor it sets. It opens a container from a
// file, opens a stream by its absolute path and reads it whole.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-input.h>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "gsf_compound_file.h"

namespace brindle::oracle {
namespace {

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <class T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

struct GErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
using GErrorPtr = std::unique_ptr<GError, GErrorFree>;

std::string describe(const GErrorPtr& error, const char* fallback) {
    return error && error->message ? std::string(error->message) : std::string(fallback);
}

// A file descriptor closed on scope exit unless released to a FILE*.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

void discard_log_message(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

// libgsf reports damaged containers on stderr through GLib's log before it
// fails (or, for some damage, carries on). A damaged document is an
// ordinary input here, answered by an error value or less text, so those
// diagnostics are dropped. Only libgsf's own log domains are touched.
void silence_reader_diagnostics() {
    static std::once_flag once;
    std::call_once(once, [] {
        const auto levels = static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK | G_LOG_FLAG_RECURSION);
        for (const char* domain : {"libgsf", "libgsf:msole"}) {
            g_log_set_handler(domain, levels, discard_log_message, nullptr);
        }
    });
}

// A description naming a stream path: before + path + after.
std::string about(std::string_view path, std::string_view before, std::string_view after) {
    std::string text;
    text.reserve(before.size() + path.size() + after.size());
    text.append(before).append(path).append(after);
    return text;
}

// libgsf answers "no child" both for a missing name and for an entry whose
// sector chain is broken; the directory tells the two apart.
bool has_child(GsfInfile* storage, const std::string& name) {
    const int count = gsf_infile_num_children(storage);
    for (int i = 0; i < count; ++i) {
        const char* child = gsf_infile_name_by_index(storage, i);
        if (child != nullptr && name == child) return true;
    }
    return false;
}

}  // namespace

struct GsfCompoundFile::Impl {
    GObjectPtr<GsfInfile> root;
    std::uint64_t file_size = 0;  // no stream can be larger than the file holding it
};

GsfCompoundFile::GsfCompoundFile(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
GsfCompoundFile::GsfCompoundFile(GsfCompoundFile&&) noexcept = default;
GsfCompoundFile& GsfCompoundFile::operator=(GsfCompoundFile&&) noexcept = default;
GsfCompoundFile::~GsfCompoundFile() = default;

Result<GsfCompoundFile> GsfCompoundFile::open(std::string_view path) {
    // The C library would silently cut the path at a NUL and open another
    // file; refuse it as the invalid argument it is.
    if (path.find('\0') != std::string_view::npos) return HwpError::io(IoError::from_os(EINVAL));
    silence_reader_diagnostics();
    const std::string c_path(path);

    // O_NONBLOCK so that opening a FIFO cannot hang; it has no effect on
    // regular files, the only kind accepted below.
    FileDescriptor fd(::open(c_path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0) return HwpError::io(IoError::from_os(errno));
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return HwpError::io(IoError::from_os(errno));
    if (S_ISDIR(st.st_mode)) return HwpError::io(IoError::from_os(EISDIR));
    // A device or pipe has no size and may never end; a compound file is
    // read by seeking, so only regular files qualify.
    if (!S_ISREG(st.st_mode)) return HwpError::io(IoError::from_text("not a regular file"));

    std::FILE* file = ::fdopen(fd.get(), "rb");
    if (file == nullptr) return HwpError::io(IoError::from_os(errno));
    fd.release();  // now owned by `file`, and below by the GsfInput
    GObjectPtr<GsfInput> input(gsf_input_stdio_new_FILE(c_path.c_str(), file, FALSE));
    if (!input) {
        std::fclose(file);
        return HwpError::io(IoError::from_text("cannot read the file"));
    }

    GError* raw_error = nullptr;
    GObjectPtr<GsfInfile> root(gsf_infile_msole_new(input.get(), &raw_error));
    GErrorPtr error(raw_error);
    if (!root) return HwpError::compound_file(describe(error, "not a compound file"));

    auto impl = std::make_unique<GsfCompoundFile::Impl>();
    impl->root = std::move(root);
    impl->file_size = static_cast<std::uint64_t>(st.st_size);
    return GsfCompoundFile(std::move(impl));
}

Result<ByteBuffer> GsfCompoundFile::read_stream(std::string_view path) {
    // Walk the path from the root storage, one component at a time. `entry`
    // owns the entry reached so far; a child keeps its own container alive.
    GObjectPtr<GsfInput> entry;
    GsfInfile* storage = impl_->root.get();
    std::string_view rest = path;
    bool any_component = false;
    while (!rest.empty()) {
        const std::size_t slash = rest.find('/');
        const std::string_view component = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash + 1);
        if (component.empty()) continue;
        if (storage == nullptr) {
            return HwpError::compound_file(about(path, "'", "': a stream has no children"));
        }
        any_component = true;
        const std::string name(component);
        GObjectPtr<GsfInput> child(gsf_infile_child_by_name(storage, name.c_str()));
        if (!child) {
            return HwpError::compound_file(has_child(storage, name) ? about(path, "'", "' is damaged")
                                                                    : about(path, "no stream named '", "'"));
        }
        entry = std::move(child);
        // Storages have a child count (possibly 0); streams report -1.
        storage = GSF_IS_INFILE(entry.get()) && gsf_infile_num_children(GSF_INFILE(entry.get())) >= 0
                      ? GSF_INFILE(entry.get())
                      : nullptr;
    }
    if (!any_component) return HwpError::compound_file(about(path, "invalid stream path '", "'"));
    if (storage != nullptr) {
        return HwpError::compound_file(about(path, "'", "' is a storage, not a stream"));
    }

    const gsf_off_t size = gsf_input_size(entry.get());
    if (size < 0 || static_cast<std::uint64_t>(size) > impl_->file_size) {
        return HwpError::io(IoError::from_text(about(path, "stream '", "' is larger than the file")));
    }
    ByteBuffer bytes(static_cast<std::size_t>(size));
    if (!bytes.empty() && gsf_input_read(entry.get(), bytes.size(), bytes.data()) == nullptr) {
        return HwpError::io(IoError::from_text(about(path, "failed to read stream '", "'")));
    }
    return bytes;
}

}  // namespace brindle::oracle
