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

#include "document/compound_file.h"
#include "gsf_compound_file.h"
#include "hwp/file_header.h"
#include "json_out.h"

namespace {

using brindle::tools::json_error;
using brindle::tools::json_stream;
using brindle::tools::json_string;

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
