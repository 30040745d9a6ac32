// "\005HwpSummaryInformation": the properties an HWP 5.0 document keeps
// about itself, an OLE property set.
#pragma once

#include "brindle/bytes.h"
#include "brindle/parsed_document.h"

namespace brindle {

// The properties of a "\005HwpSummaryInformation" stream (an OLE property
// set stream). Never fails: every count and offset is checked, and what
// cannot be read is left out.
DocumentProperties parse_summary_information(Bytes stream);

}  // namespace brindle
