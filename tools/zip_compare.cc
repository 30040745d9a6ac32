// Reads every entry of the same ZIP files with the project's ZIP reader and
// with libzip, for the differential tests. Each input line is a file; each
// output line is a JSON object giving, for both readers, whether the
// archive opened and, per entry name, the entry's size and CRC-32 of its
// data or the error.
//
//   zip_compare < files
#include <zip.h>

#include <iostream>
#include <string>
#include <vector>

#include "brindle/byte_source.h"
#include "brindle/limits.h"
#include "document/zip_archive.h"
#include "json_out.h"

namespace {

using brindle::tools::json_error;
using brindle::tools::json_stream;
using brindle::tools::json_string;

std::string ours(const std::string& file) {
    brindle::Result<brindle::ByteSource> source = brindle::ByteSource::open_file(file);
    if (!source) return "{\"open\":" + json_error(source.error()) + "}";
    brindle::Result<brindle::ZipArchive> archive = brindle::ZipArchive::open(std::move(source).value());
    if (!archive) return "{\"open\":" + json_error(archive.error()) + "}";
    std::string out = "{\"open\":null,\"entries\":{";
    bool first = true;
    for (const brindle::ZipArchive::Entry& entry : archive.value().entries()) {
        out += (first ? "" : ",") + json_string(entry.name) + ":";
        first = false;
        try {
            out += json_stream(archive.value().read(entry));
        } catch (const brindle::LimitExceeded& bound) {
            out += "{\"kind\":\"LimitExceeded\",\"message\":" + json_string(bound.what()) + "}";
        }
    }
    return out + "}}";
}

// libzip, with its consistency checks on: the archive as libzip opens it,
// each entry read whole through zip_fread (which checks the CRC at the end).
std::string libzip(const std::string& file) {
    int code = 0;
    zip_t* archive = zip_open(file.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (archive == nullptr) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        std::string out = "{\"open\":{\"message\":" + json_string(zip_error_strerror(&error)) + "}}";
        zip_error_fini(&error);
        return out;
    }
    std::string out = "{\"open\":null,\"entries\":{";
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(archive, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
        out += (i ? "," : "") + json_string(name ? name : "") + ":";
        zip_file_t* entry = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
        if (entry == nullptr) {
            out += "{\"message\":" + json_string(zip_strerror(archive)) + "}";
            continue;
        }
        brindle::ByteBuffer bytes;
        char buffer[1 << 16];
        zip_int64_t n = 0;
        while ((n = zip_fread(entry, buffer, sizeof buffer)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
        if (n < 0) {
            out += "{\"message\":" + json_string(zip_file_strerror(entry)) + "}";
        } else {
            out += json_stream(brindle::Result<brindle::ByteBuffer>(std::move(bytes)));
        }
        zip_fclose(entry);
    }
    zip_discard(archive);
    return out + "}}";
}

}  // namespace

int main() {
    std::string file;
    while (std::getline(std::cin, file)) {
        if (file.empty()) continue;
        std::cout << "{\"file\":" << json_string(file) << ",\"ours\":" << ours(file) << ",\"libzip\":" << libzip(file)
                  << "}\n";
    }
    return 0;
}
