// The pictures of an HWPX package: hc:img names a manifest item, whose
// part (BinData/image1.png) holds the picture, or whose href, for an item
// the package does not embed, says where it is kept.
#pragma once

#include "hwpx/package.h"
#include "model/pictures.h"

namespace brindle::hwpx {

// Keys are manifest item ids.
class HwpxPictureStore final : public PictureStore {
public:
    HwpxPictureStore(std::string prefix, Package& package) : PictureStore(std::move(prefix)), package_(package) {}

protected:
    PictureData fetch(std::string_view key) override;

private:
    Package& package_;
};

}  // namespace brindle::hwpx
