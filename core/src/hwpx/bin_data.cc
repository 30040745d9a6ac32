#include "hwpx/bin_data.h"

#include "brindle/limits.h"

namespace brindle::hwpx {

PictureData HwpxPictureStore::fetch(std::string_view key) {
    PictureData data;
    const auto it = package_.items.find(std::string(key));
    if (it == package_.items.end()) return data;
    const ManifestItem& item = it->second;
    if (const ZipArchive::Entry* entry = package_.zip.find(item.part)) {
        try {
            Result<ByteBuffer> bytes = package_.zip.read(*entry);
            if (!bytes) return data;
            data.bytes = std::move(bytes).value();
        } catch (const LimitExceeded&) {
            return data;  // a part past the bounds is no picture of ours
        }
        // The part's own name, without its folder or extension.
        std::string_view stem = item.part;
        stem = stem.substr(stem.find_last_of("/\\") + 1);
        stem = stem.substr(0, stem.rfind('.'));
        data.stem = std::string(stem.empty() ? key : stem);
        data.kind = PictureData::Kind::Embedded;
    } else if (!item.embedded && !item.href.empty()) {
        data.kind = PictureData::Kind::Linked;
        data.path = item.href;
    }
    return data;
}

}  // namespace brindle::hwpx
