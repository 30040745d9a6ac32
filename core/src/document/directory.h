// The compound file's directory: 128-byte entries linked into one tree of
// siblings per storage. Paths are looked up a component at a time; each
// storage's children are gathered once, on first use, into an index keyed
// by the name as the format compares names (case-insensitively), so that a
// storage of 100 000 streams costs one pass, not one per lookup.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

#include "brindle/bytes.h"
#include "brindle/result.h"

namespace brindle::cfb {

struct Entry {
    std::uint8_t type = 0;
    std::uint32_t left = 0, right = 0, child = 0;
    std::uint32_t start = 0;
    std::uint64_t size = 0;
};

// A name as the format compares names: UTF-16 code units, upper-cased.
using NameKey = std::u16string;

// The upper case the format compares names by, for one UTF-16 unit.
char16_t upper_case(char16_t unit);

// `name` (UTF-8) as a key, or nothing when it is not well-formed UTF-8.
std::optional<NameKey> key_of(std::string_view name);

class Directory {
public:
    // `bytes` is the directory stream; version 3 files use only the low 32
    // bits of a stream's size.
    Directory(ByteBuffer bytes, bool low_size_only);

    std::size_t size() const { return bytes_.size() / 128; }
    Entry entry(std::uint32_t index) const;

    // The stream at an absolute path ("/BodyText/Section0"), or the error
    // saying why there is none.
    Result<std::uint32_t> find_stream(std::string_view path);

    // The absolute paths of every stream reachable from the root, storages
    // depth first; storages whose trees are damaged are passed over.
    std::vector<std::string> stream_paths();

private:
    using ChildIndex = std::unordered_map<NameKey, std::uint32_t>;
    // A storage's children, gathered on first use; `prefix` is the storage's
    // path, for error texts.
    const std::variant<ChildIndex, HwpError>& children(std::uint32_t storage, std::string_view prefix);
    std::variant<ChildIndex, HwpError> gather(std::uint32_t storage, std::string_view prefix);
    NameKey name_key(std::uint32_t index) const;
    std::string name(std::uint32_t index) const;  // as UTF-8

    ByteBuffer bytes_;
    bool low_size_only_;
    std::unordered_map<std::uint32_t, std::variant<ChildIndex, HwpError>> indexes_;
    // For each entry, 1 + the storage whose tree reached it (0: not yet):
    // an entry reached twice means the links loop or are shared.
    std::vector<std::uint32_t> reached_;
};

}  // namespace brindle::cfb
