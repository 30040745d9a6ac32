// HWPX documents (the ZIP package of OWPML XML parts) and the conversion of
// a document in either format, told apart by its content.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "brindle/byte_source.h"
#include "brindle/convert.h"
#include "brindle/profile.h"
#include "brindle/result.h"

namespace brindle {

// The Markdown of the HWPX package in `source`, by the same rules as an HWP
// 5.0 document's.
// Damage read past goes to `warnings` when given.
Result<std::string> convert_hwpx(ByteSource source, Profile profile, std::vector<std::string>* warnings = nullptr);

// The format a document's first bytes say it is in.
enum class DocumentFormat { Hwp, Hwpx, Unknown };
DocumentFormat sniff_format(const ByteSource& source);

// The Markdown of a document of either format: a compound file is HWP 5.0,
// a ZIP archive HWPX; anything else fails as a compound file that cannot
// be opened.
Result<std::string> convert_any(ByteSource source, Profile profile, std::vector<std::string>* warnings = nullptr);
Result<std::string> convert_any(std::string_view path, Profile profile, std::vector<std::string>* warnings = nullptr);

// The record listing of an HWP 5.0 document; an HWPX document has none.
Result<std::vector<RecordInfo>> list_records_any(ByteSource source);
Result<std::vector<RecordInfo>> list_records_any(std::string_view path);

}  // namespace brindle
