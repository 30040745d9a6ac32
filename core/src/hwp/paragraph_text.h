// Decoding of HWPTAG_PARA_TEXT payloads (UTF-16LE with embedded control
// codes) into the paragraph text of the document model.
#pragma once

#include <string>

#include "brindle/bytes.h"
#include "brindle/profile.h"
#include "model/paragraph.h"

namespace brindle {

// Body and cell paragraphs: click-here field contents are lifted out. The
// full profile also turns tabs and the special spaces into spaces and line
// breaks into line feeds, and records the controls' anchors. The text is
// written into `buffer`'s memory, whatever it held dropped.
ParagraphText decode_para_text(Bytes payload, Profile profile = Profile::Exact, std::string buffer = {});

// Drawing-object paragraphs: characters only.
std::string decode_plain_para_text(Bytes payload);

}  // namespace brindle
