// Headings found in a document's blocks from what its reader sees: outline
// levels and heading styles, typed hierarchy markers with the form of a
// title, prominence against the body text, banner tables and the title.
#pragma once

#include "model/content_block.h"
#include "model/definitions.h"

namespace brindle {

// Mark the body's paragraphs that title what follows them with their
// level (Paragraph::heading), and write a banner table (a one-row table of
// a marker and a title) as the heading it shows.
void detect_headings(BlockList& blocks, const Definitions& definitions);

}  // namespace brindle
