// Reads the same streams of the same files with the project's compound-file
// reader and with libgsf's, for the differential tests. Each input line is
// a file and the stream paths to read, tab-separated; each output line is a
// JSON object giving, for both readers, whether the container opened and,
// per path, the stream's size and CRC-32 or the error.
//
//   cfb_compare < requests      (FILE \t PATH \t PATH ...)
#include <zlib.h>

#include <iostream>
#include <string>
#include <vector>

#include "brindle/document.h"
#include "gsf_compound_file.h"

namespace {

std::string json_string(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(c);
        } else if (u < 0x20) {
            static const char* hex = "0123456789abcdef";
            out += "\\u00";
            out.push_back(hex[u >> 4]);
            out.push_back(hex[u & 15]);
        } else {
            out.push_back(c);
        }
    }
    return out + "\"";
}

std::string kind_name(brindle::HwpError::Kind kind) {
    switch (kind) {
        case brindle::HwpError::Kind::Io: return "Io";
        case brindle::HwpError::Kind::InvalidSignature: return "InvalidSignature";
        case brindle::HwpError::Kind::PasswordProtected: return "PasswordProtected";
        case brindle::HwpError::Kind::CompoundFile: return "CompoundFile";
        case brindle::HwpError::Kind::Parse: return "Parse";
        case brindle::HwpError::Kind::DistributionProtected: return "DistributionProtected";
    }
    return "?";
}

// {"kind": ..., "message": ...}
std::string json_error(const brindle::HwpError& error) {
    return "{\"kind\":" + json_string(kind_name(error.kind())) + ",\"message\":" + json_string(error.message()) + "}";
}

// [size, crc32] or an error object.
std::string json_stream(const brindle::Result<brindle::ByteBuffer>& stream) {
    if (!stream.ok()) return json_error(const_cast<brindle::Result<brindle::ByteBuffer>&>(stream).error());
    const brindle::ByteBuffer& bytes = stream.value();
    uLong crc = crc32(0L, Z_NULL, 0);
    std::size_t done = 0;
    while (done < bytes.size()) {  // crc32 takes at most UINT_MAX bytes at once
        const std::size_t chunk = std::min<std::size_t>(bytes.size() - done, 1u << 30);
        crc = crc32(crc, bytes.data() + done, static_cast<uInt>(chunk));
        done += chunk;
    }
    return "[" + std::to_string(bytes.size()) + "," + std::to_string(crc) + "]";
}

// {"open": null or error, "streams": {path: stream}, "listing": [...]}
template <class File>
std::string read_with(brindle::Result<File> file, const std::vector<std::string>& paths, bool list) {
    if (!file.ok()) return "{\"open\":" + json_error(file.error()) + "}";
    std::string out = "{\"open\":null,\"streams\":{";
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (i) out += ",";
        out += json_string(paths[i]) + ":" + json_stream(file.value().read_stream(paths[i]));
    }
    out += "}";
    if constexpr (requires(File f) { f.stream_paths(); }) {
        if (list) {
            out += ",\"listing\":[";
            const std::vector<std::string> listing = file.value().stream_paths();
            for (std::size_t i = 0; i < listing.size(); ++i) out += (i ? "," : "") + json_string(listing[i]);
            out += "]";
        }
    }
    return out + "}";
}

std::vector<std::string> split_tabs(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

}  // namespace

int main() {
    std::string line;
    while (std::getline(std::cin, line)) {
        if (line.empty()) continue;
        std::vector<std::string> fields = split_tabs(line);
        const std::string file = fields.front();
        const std::vector<std::string> paths(fields.begin() + 1, fields.end());
        std::cout << "{\"file\":" << json_string(file)
                  << ",\"ours\":" << read_with(brindle::open_hwp_file(file), paths, true)
                  << ",\"gsf\":" << read_with(brindle::oracle::GsfCompoundFile::open(file), paths, false) << "}\n";
    }
    return 0;
}
