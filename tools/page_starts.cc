// Parses each document named on the command line by the full profile and
// prints one JSON line per document: where its pages begin in the Markdown
// ({"path", "pages": [[number, offset], ...]}), with --markers the Markdown
// marked "<!-- page N -->" and with --markdown that Markdown itself, or the
// error. bench/pages.py and tests/python/test_pages.py read it until the
// package hands the pages out.
//
//   page_starts [--markers] [--markdown] FILE...
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "brindle/limits.h"
#include "brindle/parse.h"
#include "json_out.h"

namespace {

std::string describe(const std::string& path, bool markers, bool markdown) {
    brindle::ParseOptions options;
    options.page_markers = markers;
    std::string line = "{\"path\":" + brindle::tools::json_string(path);
    try {
        auto parsed = brindle::parse_any(path, brindle::Profile::Full, options);
        if (!parsed) return line + ",\"error\":" + brindle::tools::json_error(parsed.error()) + "}";
        const brindle::ParsedDocument& document = parsed.value();
        line += ",\"format\":";
        line += document.format == brindle::DocumentFormat::Hwpx ? "\"hwpx\"" : "\"hwp\"";
        line += ",\"pages\":[";
        for (std::size_t k = 0; k < document.pages.size(); ++k) {
            if (k > 0) line += ",";
            line += "[" + std::to_string(document.pages[k].page) + "," + std::to_string(document.pages[k].offset) + "]";
        }
        line += "]";
        if (markdown) line += ",\"markdown\":" + brindle::tools::json_string(document.markdown);
        return line + "}";
    } catch (const brindle::LimitExceeded& limit) {
        return line + ",\"error\":{\"kind\":\"Limit\",\"message\":" + brindle::tools::json_string(limit.what()) + "}}";
    } catch (const std::bad_alloc&) {
        return line + ",\"error\":{\"kind\":\"Memory\",\"message\":\"out of memory\"}}";
    }
}

}  // namespace

int main(int argc, char** argv) {
    bool markers = false;
    bool markdown = false;
    int first = 1;
    for (; first < argc && argv[first][0] == '-'; ++first) {
        if (std::strcmp(argv[first], "--markers") == 0) {
            markers = true;
        } else if (std::strcmp(argv[first], "--markdown") == 0) {
            markdown = true;
        } else {
            break;
        }
    }
    if (first >= argc) {
        std::fprintf(stderr, "usage: %s [--markers] [--markdown] FILE...\n", argv[0]);
        return 2;
    }
    for (int i = first; i < argc; ++i) std::printf("%s\n", describe(argv[i], markers, markdown).c_str());
    return 0;
}
