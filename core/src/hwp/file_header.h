// An HWP 5.0 document opened: its compound file, and what "/FileHeader"
// says of it once its signature is checked.
#pragma once

#include <string_view>

#include "brindle/byte_source.h"
#include "brindle/bytes.h"
#include "brindle/result.h"
#include "document/compound_file.h"

namespace brindle {

// Open the file at `path` (UTF-8, used unchanged) as a compound file.
Result<CompoundFile> open_hwp_file(std::string_view path);

// What "/FileHeader" says of the document beyond its signature.
struct FileProperties {
    bool compressed = false;    // the sections are raw DEFLATE
    bool distribution = false;  // saved for distribution (see FILE_HEADER_DISTRIBUTION)
};

// Validate "/FileHeader" and return its properties.
Result<FileProperties> read_file_header(CompoundFile& file);

// The validation alone, over the bytes of a "/FileHeader" stream.
Result<FileProperties> parse_file_header(Bytes header);

// A container whose "/FileHeader" has been validated, with the flags telling
// whether its sections are compressed and whether it was saved for
// distribution: where every whole-document operation starts (open_hwp_file,
// then read_file_header).
struct OpenDocument {
    CompoundFile file;
    bool compressed = false;
    bool distribution = false;
};
Result<OpenDocument> open_document(ByteSource source);
Result<OpenDocument> open_document(std::string_view path);

}  // namespace brindle
