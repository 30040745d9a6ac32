// "/DocInfo": the document's definitions as HWP 5.0 stores them, one record
// per definition, read into the model's Definitions.
#pragma once

#include "brindle/bytes.h"
#include "model/definitions.h"

namespace brindle {

// The definitions of a "/DocInfo" stream (already inflated). Never fails:
// unreadable records keep their index with default contents, and ids past
// the widest the body can name are not stored.
Definitions parse_doc_info(ByteBuffer&& stream);
inline Definitions parse_doc_info(Bytes stream) { return parse_doc_info(ByteBuffer(stream.begin(), stream.end())); }

}  // namespace brindle
