// The pictures of an HWP 5.0 document: a picture record names a
// binary-data item (the 1-based index of a BIN_DATA record of "/DocInfo"),
// whose storage id and extension name its stream, "/BinData/BIN0001.jpg",
// deflated when the item or, by default, the document says so.
#include "hwp/bin_data.h"

#include <charconv>

#include "brindle/limits.h"
#include "hwp/format.h"
#include "hwp/section_stream.h"

namespace brindle {
namespace {

std::string storage_stem(std::uint16_t storage_id) {
    static constexpr char HEX[] = "0123456789ABCDEF";
    std::string stem = "BIN";
    for (int shift = 12; shift >= 0; shift -= 4) stem.push_back(HEX[(storage_id >> shift) & 0xF]);
    return stem;
}

}  // namespace

PictureData HwpPictureStore::fetch(std::string_view key) {
    std::size_t index = 0;
    const auto [end, ec] = std::from_chars(key.data(), key.data() + key.size(), index);
    if (ec != std::errc() || end != key.data() + key.size() || index == 0 || index > items_.size()) return {};
    const BinaryItem& item = items_[index - 1];
    PictureData data;
    if (item.kind == BinaryItem::Kind::Link) {
        if (!item.path.empty()) {
            data.kind = PictureData::Kind::Linked;
            data.path = item.path;
        }
        return data;
    }
    // A stored item is an OLE object or a chart: no picture.
    if (item.kind != BinaryItem::Kind::Embedding) return data;

    data.stem = storage_stem(item.storage_id);
    const std::string prefix = std::string(BIN_DATA_STORAGE) + data.stem + ".";
    std::string path = prefix + item.extension;
    if (!file_.has_stream(path)) {
        // An extension the record and the stream spell differently: the
        // stream of that storage id whatever its extension.
        if (!by_stem_) {
            by_stem_.emplace();
            for (std::string& stream : file_.stream_paths()) {
                if (stream.compare(0, BIN_DATA_STORAGE.size(), BIN_DATA_STORAGE) != 0) continue;
                const std::size_t dot = stream.find('.', BIN_DATA_STORAGE.size());
                if (dot != std::string::npos && dot + 1 < stream.size()) {
                    by_stem_->emplace(stream.substr(0, dot + 1), std::move(stream));
                }
            }
        }
        const auto found = by_stem_->find(prefix);
        if (found == by_stem_->end()) return data;
        path = found->second;
    }
    const bool deflated = item.compression == BinaryItem::Compression::Deflated ||
                          (item.compression == BinaryItem::Compression::AsDocument && compressed_);
    try {
        Result<ByteBuffer> bytes = read_section_stream(file_, path, deflated, true);
        if (!bytes) return data;
        data.bytes = std::move(bytes).value();
    } catch (const LimitExceeded&) {
        return data;  // a stream that inflates past the bound is no picture of ours
    }
    data.kind = PictureData::Kind::Embedded;
    return data;
}

}  // namespace brindle
