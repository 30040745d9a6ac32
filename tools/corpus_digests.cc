// Prints, for each document of a list, the SHA-256 of what the modules
// return for it, or the error they raise: the Markdown of the exact and the
// full profile (as brindle.convert gives it) and, for an HWP 5.0 file, the
// compatibility module's Markdown and record listing (its repr, as
// tests/data/corpus_digests.tsv digests it). scripts/cross.sh runs it on
// Linux and, cross-compiled, under Wine, and compares the two.
//
//   corpus_digests LIST OUT
//
// LIST holds one document per line, "name<TAB>path" in UTF-8: the name is
// what OUT calls it, the path what is opened (a copy under another name, a
// long path). OUT gets one line per document:
//   name<TAB>exact<TAB>full<TAB>markdown<TAB>records
// each "ok <sha256>", "error <message>", "limit <what>" or "memory"; "-"
// where the compatibility module has no answer (HWPX, HWPML).
#include <cstdio>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "brindle/convert.h"
#include "brindle/limits.h"
#include "sha256.h"

namespace {

using brindle::tools::sha256_hex;

template <class Call, class Text>
std::string outcome(Call&& call, Text&& text_of) {
    try {
        auto result = call();
        if (!result) return "error " + result.error().message();
        return "ok " + sha256_hex(text_of(result.value()));
    } catch (const brindle::LimitExceeded& limit) {
        return std::string("limit ") + limit.what();
    } catch (const std::bad_alloc&) {
        return "memory";
    }
}

// Python's repr of the listing: "[(66, 0, 18), (67, 1, 24)]".
std::string records_repr(const std::vector<brindle::RecordInfo>& records) {
    std::string text = "[";
    for (const brindle::RecordInfo& record : records) {
        if (text.size() > 1) text += ", ";
        text += "(" + std::to_string(record.tag_id) + ", " + std::to_string(record.level) + ", " +
                std::to_string(record.size) + ")";
    }
    return text + "]";
}

bool is_hwp(const std::string& path) { return path.size() > 4 && path.ends_with(".hwp"); }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s LIST OUT\n", argv[0]);
        return 2;
    }
    std::ifstream list(argv[1], std::ios::binary);
    std::ofstream out(argv[2], std::ios::binary);
    if (!list || !out) {
        std::fprintf(stderr, "corpus_digests: cannot open %s or %s\n", argv[1], argv[2]);
        return 2;
    }
    const auto same = [](const std::string& text) -> const std::string& { return text; };
    std::string line;
    int documents = 0;
    while (std::getline(list, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t tab = line.find('\t');
        if (line.empty() || tab == std::string::npos) continue;
        const std::string name = line.substr(0, tab);
        const std::string path = line.substr(tab + 1);
        out << name;
        for (const brindle::Profile profile : {brindle::Profile::Exact, brindle::Profile::Full}) {
            out << '\t' << outcome([&] { return brindle::convert_any(path, profile); }, same);
        }
        if (is_hwp(path)) {
            out << '\t' << outcome([&] { return brindle::convert_document(path); }, same);
            out << '\t' << outcome([&] { return brindle::list_section_records(path); }, records_repr);
        } else {
            out << "\t-\t-";
        }
        out << '\n';
        ++documents;
    }
    out.flush();
    if (!out) {
        std::fprintf(stderr, "corpus_digests: cannot write %s\n", argv[2]);
        return 1;
    }
    std::fprintf(stderr, "corpus_digests: %d documents\n", documents);
    return 0;
}
