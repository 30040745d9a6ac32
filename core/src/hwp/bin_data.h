// The pictures of an HWP 5.0 document, read from its "/BinData" streams as
// the body shows them.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <unordered_map>

#include "document/compound_file.h"
#include "model/definitions.h"
#include "model/pictures.h"

namespace brindle {

// Keys are the decimal binary-data item of a picture record.
class HwpPictureStore final : public PictureStore {
public:
    HwpPictureStore(std::string prefix, CompoundFile& file, bool compressed, std::span<const BinaryItem> items)
        : PictureStore(std::move(prefix)), file_(file), compressed_(compressed), items_(items) {}

protected:
    PictureData fetch(std::string_view key) override;

private:
    CompoundFile& file_;
    bool compressed_;
    std::span<const BinaryItem> items_;
    // The "/BinData" streams by their name up to the extension's dot
    // ("/BinData/BIN0001."), indexed on the first stream not found by its
    // item's own name; once, however many pictures miss.
    std::optional<std::unordered_map<std::string, std::string>> by_stem_;
};

}  // namespace brindle
