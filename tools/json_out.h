// JSON output shared by the differential tools: strings, errors, and a
// stream or entry read as its size and CRC-32.
#pragma once

#include <zlib.h>

#include <string>
#include <string_view>

#include "brindle/error.h"
#include "brindle/result.h"

namespace brindle::tools {

inline std::string json_string(std::string_view text) {
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

inline std::string kind_name(brindle::HwpError::Kind kind) {
    switch (kind) {
        case brindle::HwpError::Kind::Io: return "Io";
        case brindle::HwpError::Kind::InvalidSignature: return "InvalidSignature";
        case brindle::HwpError::Kind::PasswordProtected: return "PasswordProtected";
        case brindle::HwpError::Kind::CompoundFile: return "CompoundFile";
        case brindle::HwpError::Kind::Parse: return "Parse";
        case brindle::HwpError::Kind::DistributionProtected: return "DistributionProtected";
        case brindle::HwpError::Kind::Package: return "Package";
        case brindle::HwpError::Kind::OtherFormat: return "OtherFormat";
    }
    return "?";
}

// {"kind": ..., "message": ...}
inline std::string json_error(const brindle::HwpError& error) {
    return "{\"kind\":" + json_string(kind_name(error.kind())) + ",\"message\":" + json_string(error.message()) + "}";
}

// [size, crc32] or an error object.
inline std::string json_stream(const brindle::Result<brindle::ByteBuffer>& stream) {
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

}  // namespace brindle::tools
