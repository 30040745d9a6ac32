// Body sections: "/BodyText/Section{n}", read whole and inflated when the
// document is compressed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "brindle/bytes.h"
#include "brindle/result.h"
#include "document/compound_file.h"
#include "document/inflate.h"

namespace brindle {

// "/BodyText/Section{n}".
std::string section_stream_path(std::int32_t n);

// A section stream read whole, inflated when `compressed` (with
// inflate_raw_fast when `fast`).
Result<ByteBuffer> read_section_stream(CompoundFile& file, std::string_view path, bool compressed, bool fast = false);

// The same with `inflater`'s kept decoder (the full profile's streams).
Result<ByteBuffer> read_section_stream(CompoundFile& file, std::string_view path, bool compressed,
                                       FastInflater& inflater);

}  // namespace brindle
