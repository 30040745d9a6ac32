// A regular file on Windows: opened by its UTF-16 name, whatever the
// process's code page, as an absolute "\\?\" path so that a name longer
// than MAX_PATH opens too; read with ReadFile at explicit offsets, so that
// threads may share the handle. Windows' error codes become the errno
// values Python's open() reports for them.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string>

#include "brindle/byte_source.h"
#include "text.h"

namespace brindle {
namespace {

// UTF-8 to UTF-16, lone surrogates included (Python's file-system encoding
// on Windows is UTF-8 with "surrogatepass", and a Windows name may hold
// one); nothing for bytes that are not UTF-8 so extended.
std::optional<std::wstring> utf16_of(std::string_view utf8) {
    std::wstring out;
    out.reserve(utf8.size());
    while (!utf8.empty()) {
        Utf8Char c = decode_utf8_char(utf8);
        if (c.length == 0) {
            // An encoded surrogate, ED A0..BF xx: the one form added to UTF-8.
            const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(utf8[i]); };
            if (utf8.size() < 3 || byte(0) != 0xED || byte(1) < 0xA0 || byte(1) > 0xBF || (byte(2) & 0xC0) != 0x80) {
                return std::nullopt;
            }
            c = {0xD000u | ((byte(1) & 0x3Fu) << 6) | (byte(2) & 0x3Fu), 3};
        }
        if (c.value < 0x10000) {
            out.push_back(static_cast<wchar_t>(c.value));
        } else {
            out.push_back(static_cast<wchar_t>(0xD800 + ((c.value - 0x10000) >> 10)));
            out.push_back(static_cast<wchar_t>(0xDC00 + ((c.value - 0x10000) & 0x3FF)));
        }
        utf8.remove_prefix(c.length);
    }
    return out;
}

// The absolute form CreateFileW takes past MAX_PATH: "\\?\C:\..." or
// "\\?\UNC\server\share\...". A device ("\\.\NUL") or a path already so
// written is left as it is.
std::optional<std::wstring> extended_path(const std::wstring& path) {
    const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return std::nullopt;
    std::wstring full(needed, L'\0');
    const DWORD written = ::GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (written == 0 || written >= needed) return std::nullopt;
    full.resize(written);
    if (full.starts_with(L"\\\\?\\") || full.starts_with(L"\\\\.\\")) return full;
    if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

// Windows' error code as the errno value CPython gives it (its table in
// PC/errmap.h, for the codes a read-only open or a read can meet).
int errno_of(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_BAD_PATHNAME: return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_CURRENT_DIRECTORY:
        case ERROR_NETWORK_ACCESS_DENIED: return EACCES;
        case ERROR_TOO_MANY_OPEN_FILES: return EMFILE;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY: return ENOMEM;
        case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
        case ERROR_INVALID_HANDLE: return EBADF;
        default: return EINVAL;
    }
}

HwpError system_error(DWORD error) { return HwpError::io(IoError::from_os(errno_of(error))); }

bool is_directory(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

Result<ByteSource> ByteSource::open_regular_file(std::string_view path) {
    const std::optional<std::wstring> wide = utf16_of(path);
    if (!wide) return HwpError::io(IoError::from_os(EINVAL));
    if (wide->empty()) return HwpError::io(IoError::from_os(ENOENT));  // as open("") says
    const std::optional<std::wstring> full = extended_path(*wide);
    if (!full) return system_error(::GetLastError());
    // Others may read, write, rename or delete the file meanwhile, as they
    // may on POSIX systems; a file shrunk under us is a short read below.
    HANDLE file = ::CreateFileW(full->c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // A directory cannot be opened this way and says "access denied";
        // it is said as on POSIX systems.
        if (error == ERROR_ACCESS_DENIED && is_directory(*full)) return HwpError::io(IoError::from_os(EISDIR));
        return system_error(error);
    }
    ByteSource source(file, {}, 0);  // closes the handle on every error below
    // A console, pipe or device has no size and may never end; a compound
    // file is read at offsets, so only files on disk qualify.
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        return HwpError::io(IoError::from_text("not a regular file")).with_cause(HwpError::Cause::NotARegularFile);
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (!::GetFileInformationByHandle(file, &information)) return system_error(::GetLastError());
    if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return HwpError::io(IoError::from_os(EISDIR));
    source.size_ = (static_cast<std::uint64_t>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
    return source;
}

std::optional<HwpError> ByteSource::read_file(std::uint64_t offset, std::span<std::uint8_t> out,
                                              std::string_view what) const {
    std::size_t done = 0;
    while (done < out.size()) {
        const std::uint64_t at = offset + done;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(out.size() - done, 1u << 30));
        OVERLAPPED position{};
        position.Offset = static_cast<DWORD>(at);
        position.OffsetHigh = static_cast<DWORD>(at >> 32);
        DWORD got = 0;
        if (!::ReadFile(file_, out.data() + done, chunk, &got, &position)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_HANDLE_EOF) return past_end(what);
            return system_error(error);
        }
        if (got == 0) return past_end(what);  // the file shrank since it was opened
        done += got;
    }
    return std::nullopt;
}

void ByteSource::close_file(NativeFile file) { ::CloseHandle(file); }

}  // namespace brindle
