// The pictures of an HWPML document. IMAGE names a binary item by its
// place in HEAD's BINDATALIST (from 1); an embedded item names, by its
// BinData number, a BINDATA element of TAIL's BINDATASTORAGE, whose text
// is the picture in base64, deflated when it says Compress="true"; a
// linked item names a path outside the document.
#pragma once

#include <optional>
#include <unordered_map>

#include "model/definitions.h"
#include "model/pictures.h"
#include "owpml/xml.h"

namespace brindle::hwpml {

// Keys are binary items' numbers, as IMAGE's BinItem writes them.
class HwpmlPictureStore final : public PictureStore {
public:
    HwpmlPictureStore(std::string prefix, const Definitions& definitions, owpml::Element tail)
        : PictureStore(std::move(prefix)), definitions_(definitions), tail_(tail) {}

protected:
    PictureData fetch(std::string_view key) override;

private:
    const Definitions& definitions_;
    owpml::Element tail_;
    std::optional<std::unordered_map<std::uint32_t, owpml::Element>> stored_;  // BINDATA by Id, found on first use
};

// Base64 text to bytes, white space passed over; nothing for text that is
// not base64 or would decode past `most` bytes.
std::optional<ByteBuffer> decode_base64(std::string_view text, std::size_t most);

}  // namespace brindle::hwpml
