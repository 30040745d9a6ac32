// Directory entries, name keys and path lookup.
#include "document/directory.h"

#include <algorithm>
#include <string>

#include "document/cfb_format.h"
#include "text.h"

namespace brindle::cfb {
namespace {

bool is_storage(std::uint8_t type) { return type == TYPE_STORAGE || type == TYPE_ROOT; }

std::string quoted(std::string_view before, std::string_view path, std::string_view after) {
    std::string text;
    text.reserve(before.size() + path.size() + after.size());
    text.append(before).append(path).append(after);
    return text;
}

}  // namespace

char16_t upper_case(char16_t u) {
    // Simple upper-case mappings of the scripts stream names are written in;
    // anything else compares as it stands.
    if (u >= u'a' && u <= u'z') return static_cast<char16_t>(u - 0x20);
    if (u < 0x80) return u;
    if ((u >= 0xE0 && u <= 0xFE && u != 0xF7) || (u >= 0x3B1 && u <= 0x3CB && u != 0x3C2) ||
        (u >= 0x430 && u <= 0x44F) || (u >= 0xFF41 && u <= 0xFF5A)) {
        return static_cast<char16_t>(u - 0x20);
    }
    if (u == 0xFF) return 0x178;
    if (u == 0x131) return u'I';
    if (u == 0x17F) return u'S';
    if (u == 0x3C2) return 0x3A3;
    if (u >= 0x450 && u <= 0x45F) return static_cast<char16_t>(u - 0x50);
    // Latin Extended-A: pairs of capital and small letters.
    if ((u >= 0x100 && u <= 0x137) || (u >= 0x14A && u <= 0x177)) return static_cast<char16_t>(u & ~1u);
    if ((u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E)) return (u & 1u) ? u : static_cast<char16_t>(u - 1);
    return u;
}

std::optional<NameKey> key_of(std::string_view name) {
    NameKey key;
    key.reserve(name.size());
    while (!name.empty()) {
        // Stream names are nearly all ASCII: a byte at a time.
        if (const auto byte = static_cast<unsigned char>(name.front()); byte < 0x80) {
            key.push_back(upper_case(byte));
            name.remove_prefix(1);
            continue;
        }
        const Utf8Char c = decode_utf8_char(name);
        if (c.length == 0) return std::nullopt;
        name.remove_prefix(c.length);
        if (c.value >= 0x10000) {
            key.push_back(static_cast<char16_t>(0xD800 + ((c.value - 0x10000) >> 10)));
            key.push_back(static_cast<char16_t>(0xDC00 + ((c.value - 0x10000) & 0x3FF)));
        } else {
            key.push_back(upper_case(static_cast<char16_t>(c.value)));
        }
    }
    return key;
}

Directory::Directory(ByteBuffer bytes, bool low_size_only)
    : bytes_(std::move(bytes)), low_size_only_(low_size_only), reached_(size(), 0) {
    if (!reached_.empty()) reached_[0] = 1;  // the root is no one's child
}

Entry Directory::entry(std::uint32_t index) const {
    const Bytes at = Bytes(bytes_).subspan(std::size_t{index} * ENTRY_SIZE, ENTRY_SIZE);
    Entry e;
    e.type = at[ENTRY_TYPE_OFFSET];
    e.left = read_u32(at, ENTRY_LEFT_OFFSET);
    e.right = read_u32(at, ENTRY_RIGHT_OFFSET);
    e.child = read_u32(at, ENTRY_CHILD_OFFSET);
    e.start = read_u32(at, ENTRY_START_OFFSET);
    const std::uint64_t low = read_u32(at, ENTRY_SIZE_OFFSET);
    e.size = low_size_only_ ? low : low | (std::uint64_t{read_u32(at, ENTRY_SIZE_OFFSET + 4)} << 32);
    return e;
}

namespace {

// The name's UTF-16 units. The length counts bytes with the terminating
// NUL; a length that cannot be right leaves the name to end at its first NUL.
std::u16string name_units(Bytes entry) {
    std::size_t length = read_u16(entry, ENTRY_NAME_LENGTH_OFFSET);
    if (length == 0 || length > ENTRY_NAME_BYTES) length = ENTRY_NAME_BYTES;
    // Counted first, so that the name is made at its length at once.
    std::size_t count = 0;
    while (2 * count + 1 < length && read_u16(entry, 2 * count) != 0) ++count;
    std::u16string units(count, u'\0');
    for (std::size_t k = 0; k < count; ++k) units[k] = static_cast<char16_t>(read_u16(entry, 2 * k));
    return units;
}

}  // namespace

NameKey Directory::name_key(std::uint32_t index) const {
    NameKey key = name_units(Bytes(bytes_).subspan(std::size_t{index} * ENTRY_SIZE, ENTRY_SIZE));
    for (char16_t& unit : key) unit = upper_case(unit);
    return key;
}

std::string Directory::name(std::uint32_t index) const {
    const std::u16string units = name_units(Bytes(bytes_).subspan(std::size_t{index} * ENTRY_SIZE, ENTRY_SIZE));
    Bytes utf16(reinterpret_cast<const std::uint8_t*>(units.data()), units.size() * 2);
    return decode_utf16_strict(utf16).value_or(std::string());
}

std::variant<Directory::ChildIndex, HwpError> Directory::gather(std::uint32_t storage, std::string_view prefix) {
    // In-order walk of the storage's sibling tree with an explicit stack:
    // the tree's depth is the file's to choose. Every entry is reached at
    // most once, over all storages, or the directory is damaged.
    const std::string where = prefix.empty() ? std::string("/") : std::string(prefix);
    ChildIndex index;
    std::vector<std::uint32_t> stack;
    std::uint32_t at = entry(storage).child;
    for (;;) {
        while (at != NO_ENTRY) {
            if (at >= size()) {
                return HwpError::compound_file(quoted("the directory under '", where, "' links to entry ") +
                                               std::to_string(at) + ", past its " + std::to_string(size()) +
                                               " entries");
            }
            if (reached_[at] != 0) {
                return HwpError::compound_file(quoted("the directory under '", where, "' reaches entry ") +
                                               std::to_string(at) + " twice");
            }
            reached_[at] = storage + 1;
            const Entry e = entry(at);
            // An unused or unknown entry holds no name and no valid links:
            // it and what hangs below it are left out.
            if (e.type != TYPE_STORAGE && e.type != TYPE_STREAM) break;
            stack.push_back(at);
            at = e.left;
        }
        if (stack.empty()) break;
        const std::uint32_t node = stack.back();
        stack.pop_back();
        index.try_emplace(name_key(node), node);  // a repeated name: the first in order wins
        at = entry(node).right;
    }
    return index;
}

const std::variant<Directory::ChildIndex, HwpError>& Directory::children(std::uint32_t storage,
                                                                         std::string_view prefix) {
    auto found = indexes_.find(storage);
    if (found == indexes_.end()) found = indexes_.emplace(storage, gather(storage, prefix)).first;
    return found->second;
}

Result<std::uint32_t> Directory::find_stream(std::string_view path) {
    std::uint32_t at = 0;  // the root
    bool any_component = false;
    std::size_t position = 0;
    while (position < path.size()) {
        std::size_t slash = path.find('/', position);
        if (slash == std::string_view::npos) slash = path.size();
        const std::string_view component = path.substr(position, slash - position);
        const std::string_view prefix = path.substr(0, position == 0 ? 0 : position - 1);
        position = slash + 1;
        if (component.empty()) continue;
        any_component = true;
        if (!is_storage(entry(at).type))
            return HwpError::compound_file(quoted("'", path, "': a stream has no children"));
        const auto& index = children(at, prefix);
        if (const HwpError* error = std::get_if<HwpError>(&index)) return *error;
        const std::optional<NameKey> key = key_of(component);
        const ChildIndex& names = std::get<ChildIndex>(index);
        const auto found = key ? names.find(*key) : names.end();
        if (found == names.end()) {
            return HwpError::compound_file(quoted("no stream named '", path, "'"), HwpError::Cause::NoSuchStream);
        }
        at = found->second;
    }
    if (!any_component) return HwpError::compound_file(quoted("invalid stream path '", path, "'"));
    if (is_storage(entry(at).type)) {
        return HwpError::compound_file(quoted("'", path, "' is a storage, not a stream"),
                                       HwpError::Cause::NoSuchStream);
    }
    return at;
}

std::vector<std::string> Directory::stream_paths() {
    std::vector<std::string> paths;
    std::vector<std::pair<std::uint32_t, std::string>> storages{{0, std::string()}};
    while (!storages.empty()) {
        auto [storage, prefix] = std::move(storages.back());
        storages.pop_back();
        const auto& index = children(storage, prefix);
        const ChildIndex* names = std::get_if<ChildIndex>(&index);
        if (names == nullptr) continue;
        // The index is unordered; list each storage's children by entry number.
        std::vector<std::uint32_t> entries;
        for (const auto& [key, at] : *names) entries.push_back(at);
        std::sort(entries.begin(), entries.end());
        for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
            std::string path = prefix + "/" + name(*it);
            if (entry(*it).type == TYPE_STORAGE) {
                storages.emplace_back(*it, std::move(path));
            } else {
                paths.push_back(std::move(path));
            }
        }
    }
    return paths;
}

}  // namespace brindle::cfb
