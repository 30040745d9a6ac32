// Measures the two XML parsers the HWPX reader could be built on, over the
// header and section parts of HWPX packages: pugixml (a DOM, parsed in
// place) and expat (events, with namespace processing; here building the
// small tree a reader walks, elements with their names and attributes and
// the text between them). Each parser's time per pass over every part, and
// its peak memory on the largest part, in a child process of its own.
//
//   xml_parsers ROUNDS FILE...            (both parsers, side by side)
//   xml_parsers --peak pugixml|expat FILE (peak bytes for the largest part)
#include <expat.h>
#include <pugixml.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "brindle/byte_source.h"
#include "document/zip_archive.h"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<brindle::ByteBuffer> load_parts(const std::vector<std::string>& files) {
    std::vector<brindle::ByteBuffer> parts;
    for (const std::string& file : files) {
        brindle::Result<brindle::ByteSource> source = brindle::ByteSource::open_file(file);
        if (!source) continue;
        brindle::Result<brindle::ZipArchive> archive = brindle::ZipArchive::open(std::move(source).value());
        if (!archive) continue;
        for (const brindle::ZipArchive::Entry& entry : archive.value().entries()) {
            const std::string& name = entry.name;
            if (name.find("Contents") != 0 || name.size() < 4 || name.compare(name.size() - 4, 4, ".xml") != 0)
                continue;
            brindle::Result<brindle::ByteBuffer> bytes = archive.value().read(entry);
            if (bytes) parts.push_back(std::move(bytes).value());
        }
    }
    return parts;
}

// pugixml: parsed in place from a copy (the buffer becomes the tree's
// strings), white space kept as the text of runs needs it.
std::size_t parse_pugixml(const brindle::ByteBuffer& part) {
    pugi::xml_document document;
    const unsigned options = pugi::parse_default | pugi::parse_ws_pcdata;
    if (!document.load_buffer(part.data(), part.size(), options, pugi::encoding_auto)) return 0;
    std::size_t elements = 0;
    struct Counter : pugi::xml_tree_walker {
        std::size_t* count;
        bool for_each(pugi::xml_node& node) override {
            *count += node.type() == pugi::node_element;
            return true;
        }
    } counter;
    counter.count = &elements;
    document.traverse(counter);
    return elements;
}

// expat: namespace URIs resolved by the parser ("uri|local"); the tree kept
// as flat arrays: a node per element (name, attribute range, parent) and
// the text appended to one buffer.
struct Tree {
    struct Node {
        std::uint32_t name, first_attribute, attributes, parent;
    };
    std::vector<Node> nodes;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> attributes;  // name, value offsets in `strings`
    std::string strings;
    std::string text;
    std::vector<std::uint32_t> open;
};

std::uint32_t intern(Tree& tree, const char* s) {
    const auto at = static_cast<std::uint32_t>(tree.strings.size());
    tree.strings.append(s).push_back('\0');
    return at;
}

void XMLCALL start(void* data, const XML_Char* name, const XML_Char** attributes) {
    Tree& tree = *static_cast<Tree*>(data);
    Tree::Node node{intern(tree, name), static_cast<std::uint32_t>(tree.attributes.size()), 0,
                    tree.open.empty() ? 0u : tree.open.back()};
    for (const XML_Char** a = attributes; *a; a += 2) {
        tree.attributes.emplace_back(intern(tree, a[0]), intern(tree, a[1]));
        ++node.attributes;
    }
    tree.open.push_back(static_cast<std::uint32_t>(tree.nodes.size()));
    tree.nodes.push_back(node);
}
void XMLCALL end(void* data, const XML_Char*) { static_cast<Tree*>(data)->open.pop_back(); }
void XMLCALL characters(void* data, const XML_Char* s, int length) {
    static_cast<Tree*>(data)->text.append(s, static_cast<std::size_t>(length));
}

std::size_t parse_expat(const brindle::ByteBuffer& part) {
    XML_Parser parser = XML_ParserCreateNS(nullptr, '|');
    Tree tree;
    XML_SetUserData(parser, &tree);
    XML_SetElementHandler(parser, start, end);
    XML_SetCharacterDataHandler(parser, characters);
    const bool ok = XML_Parse(parser, reinterpret_cast<const char*>(part.data()), static_cast<int>(part.size()), 1) ==
                    XML_STATUS_OK;
    XML_ParserFree(parser);
    return ok ? tree.nodes.size() : 0;
}

// expat alone: the events counted, nothing kept, for the parser's own speed.
void XMLCALL count_start(void* data, const XML_Char*, const XML_Char**) { ++*static_cast<std::size_t*>(data); }
void XMLCALL ignore_end(void*, const XML_Char*) {}
std::size_t parse_expat_events(const brindle::ByteBuffer& part) {
    XML_Parser parser = XML_ParserCreateNS(nullptr, '|');
    std::size_t elements = 0;
    XML_SetUserData(parser, &elements);
    XML_SetElementHandler(parser, count_start, ignore_end);
    const bool ok = XML_Parse(parser, reinterpret_cast<const char*>(part.data()), static_cast<int>(part.size()), 1) ==
                    XML_STATUS_OK;
    XML_ParserFree(parser);
    return ok ? elements : 0;
}

long peak_kib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], "--peak") == 0) {
        const std::vector<brindle::ByteBuffer> parts = load_parts(std::vector<std::string>(argv + 3, argv + argc));
        if (parts.empty()) return 1;
        const auto largest = std::max_element(parts.begin(), parts.end(),
                                              [](const auto& a, const auto& b) { return a.size() < b.size(); });
        const brindle::ByteBuffer part = *largest;  // alone in memory with what was loaded
        const long before = peak_kib();
        const std::size_t elements = std::strcmp(argv[2], "pugixml") == 0 ? parse_pugixml(part) : parse_expat(part);
        std::printf("%s %zu %ld %zu\n", argv[2], part.size(), peak_kib() - before, elements);
        return 0;
    }
    if (argc < 3) {
        std::fprintf(stderr, "usage: xml_parsers ROUNDS FILE... | --peak pugixml|expat FILE...\n");
        return 2;
    }
    const int rounds = std::max(1, std::atoi(argv[1]));
    const std::vector<brindle::ByteBuffer> parts = load_parts(std::vector<std::string>(argv + 2, argv + argc));
    std::size_t bytes = 0;
    for (const auto& part : parts) bytes += part.size();
    double pugi = 0, expat = 0, events = 0;
    std::size_t pugi_elements = 0, expat_elements = 0, event_elements = 0;
    for (int r = 0; r < rounds; ++r) {  // interleaved, so a busy moment falls on both alike
        auto t0 = Clock::now();
        pugi_elements = 0;
        for (const auto& part : parts) pugi_elements += parse_pugixml(part);
        auto t1 = Clock::now();
        expat_elements = 0;
        for (const auto& part : parts) expat_elements += parse_expat(part);
        auto t2 = Clock::now();
        event_elements = 0;
        for (const auto& part : parts) event_elements += parse_expat_events(part);
        auto t3 = Clock::now();
        pugi += std::chrono::duration<double>(t1 - t0).count();
        expat += std::chrono::duration<double>(t2 - t1).count();
        events += std::chrono::duration<double>(t3 - t2).count();
    }
    pugi /= rounds, expat /= rounds, events /= rounds;
    std::printf("XML parts                       %zu (%.1f MB)\n", parts.size(), bytes / 1e6);
    std::printf("pugixml (DOM)                   %.4f s per pass, %.0f MB/s, %zu elements\n", pugi, bytes / 1e6 / pugi,
                pugi_elements);
    std::printf("expat (events, our tree)        %.4f s per pass, %.0f MB/s, %zu elements (%.2f x pugixml)\n", expat,
                bytes / 1e6 / expat, expat_elements, expat / pugi);
    std::printf("expat (events alone)            %.4f s per pass, %.0f MB/s, %zu elements (%.2f x pugixml)\n", events,
                bytes / 1e6 / events, event_elements, events / pugi);
    return 0;
}
