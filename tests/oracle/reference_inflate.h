// The original zlib inflate, for the benchmark's reference floor only.
#pragma once

#include <cstdint>
#include <vector>

#include "brindle/bytes.h"
#include "brindle/result.h"

namespace brindle::oracle {

Result<std::vector<std::uint8_t>> reference_inflate_raw(Bytes compressed);

}  // namespace brindle::oracle
