// HWPML's HEAD: the definitions the body refers to (MAPPINGTABLE: fonts,
// border fills, character and paragraph shapes, numberings, bullets,
// styles, binary items), the notes' first numbers (DOCSETTING) and the
// document's summary (DOCSUMMARY), read into the same model the other
// formats fill. A definition's place in its list is its id, as in HWPX.
#pragma once

#include "brindle/parsed_document.h"
#include "model/definitions.h"
#include "owpml/xml.h"

namespace brindle::hwpml {

// Never fails: what is missing or unreadable keeps its default.
Definitions read_definitions(owpml::Element head);

// The summary's title, subject, author, keywords, comments and date.
DocumentProperties read_summary(owpml::Element head);

}  // namespace brindle::hwpml
