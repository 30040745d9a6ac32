// Both paragraph-text decoders, then rendering with made-up fields: the
// output must always be valid UTF-8.
#include "fuzz_support.h"
#include "hwp/click_here.h"
#include "hwp/paragraph_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const brindle::Bytes bytes{data, size};
    brindle::ParagraphText para = brindle::decode_para_text(bytes);
    const std::string plain = brindle::decode_plain_para_text(bytes);
    std::vector<brindle::ClickHereField> fields(para.field_texts.size() / 2, {"name", "guide", false});
    const std::string rendered = brindle::render_paragraph(para.text, para.field_texts, fields);
    brindle::fuzz::require_utf8(para.text);
    brindle::fuzz::require_utf8(plain);
    brindle::fuzz::require_utf8(rendered);
    for (const std::string& text : para.field_texts) brindle::fuzz::require_utf8(text);
    return 0;
}
