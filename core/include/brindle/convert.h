// Conversion of a document to Markdown: an HWP 5.0 file, an HWPX package,
// or either one told apart by its content; and the record listing of an
// HWP 5.0 document's first section, a debugging aid.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "brindle/byte_source.h"
#include "brindle/profile.h"
#include "brindle/result.h"

namespace brindle {

// The format a document's first bytes say it is in.
enum class DocumentFormat { Hwp, Hwpx, Hwpml, Unknown };
DocumentFormat sniff_format(const ByteSource& source);

// The HWP 5.0 document at `path` (or in `source`) as Markdown; damage read
// past goes to `warnings` when given.
Result<std::string> convert_document(std::string_view path, Profile profile = Profile::Exact);
Result<std::string> convert_document(ByteSource source, Profile profile = Profile::Exact,
                                     std::vector<std::string>* warnings = nullptr);

// The Markdown of the HWPX package in `source`, by the same rules as an HWP
// 5.0 document's.
Result<std::string> convert_hwpx(ByteSource source, Profile profile, std::vector<std::string>* warnings = nullptr);

// The Markdown of the HWPML document in `source` (one XML file, the word
// processor's format before HWPX), by the same rules as an HWPX package's.
Result<std::string> convert_hwpml(ByteSource source, Profile profile, std::vector<std::string>* warnings = nullptr);

// The Markdown of a document of either format: a compound file is HWP 5.0,
// a ZIP archive HWPX; anything else fails as a compound file that cannot
// be opened.
Result<std::string> convert_any(ByteSource source, Profile profile, std::vector<std::string>* warnings = nullptr);
Result<std::string> convert_any(std::string_view path, Profile profile, std::vector<std::string>* warnings = nullptr);

struct RecordInfo {
    std::uint16_t tag_id;
    std::uint16_t level;
    std::uint64_t size;
};

// The (tag_id, level, size) of each record of "/BodyText/Section0".
Result<std::vector<RecordInfo>> list_section_records(std::string_view path);
Result<std::vector<RecordInfo>> list_section_records(ByteSource source);

// The record listing of an HWP 5.0 document; an HWPX document has none.
Result<std::vector<RecordInfo>> list_records_any(ByteSource source);
Result<std::vector<RecordInfo>> list_records_any(std::string_view path);

}  // namespace brindle
