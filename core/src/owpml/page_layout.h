// What a body paragraph (hp:p of the section) says of the layout the
// document was last saved with (full profile): its page and column breaks,
// its hp:linesegarray, and among its controls the column definition
// (hp:colPr), the section's page (hp:pagePr with hp:margin) and the
// objects' heights (hp:sz). The pages are counted in the model.
#pragma once

#include "model/pages.h"
#include "owpml/walk.h"
#include "owpml/xml.h"

namespace brindle::owpml {

// The breaks and line segments of paragraph `p`.
void read_paragraph_layout(Element p, ParagraphLayout& layout);

// A control of the paragraph: a column definition opens a column region,
// the section definition gives the section's body height, a table, drawing
// or equation its height.
void read_layout_control(const Control& control, ParagraphLayout& layout, PageMarker& pages);

}  // namespace brindle::owpml
