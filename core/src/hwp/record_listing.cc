// The record listing of a document's first section, a debugging aid that
// shares document access with the conversion but converts nothing.
#include "brindle/convert.h"
#include "hwp/file_header.h"
#include "hwp/record.h"
#include "hwp/section_stream.h"

namespace brindle {

Result<std::vector<RecordInfo>> list_section_records(std::string_view path) {
    Result<ByteSource> source = ByteSource::open_file(path);
    if (!source) return std::move(source).error();
    return list_section_records(std::move(source).value());
}

Result<std::vector<RecordInfo>> list_section_records(ByteSource source) {
    Result<OpenDocument> document = open_document(std::move(source));
    if (!document) return std::move(document).error();
    Result<ByteBuffer> bytes =
        read_section_stream(document.value().file, section_stream_path(0), document.value().compressed);
    if (!bytes) return std::move(bytes).error();

    const RecordList records = parse_records(std::move(bytes).value());
    std::vector<RecordInfo> listing;
    listing.reserve(records.size());
    for (const HwpRecord& record : records) {
        listing.push_back(RecordInfo{record.tag_id, record.level, record.size()});
    }
    return listing;
}

}  // namespace brindle
