// HWPML's body in OWPML's vocabulary. The two formats hold the same
// document model under different names: HWPML's P, TEXT and CHAR are
// OWPML's hp:p, hp:run and hp:t, its TABLE, ROW and CELL hp:tbl, hp:tr and
// hp:tc, its PARALIST hp:subList. A few things stand differently: a cell's
// address and span are attributes, not child elements; an object's size,
// position and caption sit inside a SHAPEOBJECT (a shape's text inside a
// DRAWINGOBJECT); fields, notes, headers and numbers stand in the run
// without OWPML's hp:ctrl around them; values are spelled in mixed case
// ("Clickhere", "CircledDigit", "true"). The parsed tree is rewritten in
// place, once, so that the OWPML walk reads it as it reads an HWPX section
// and the two front ends share every rule after it. (A cell keeps its
// address and span as attributes, which the walk reads too.)
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "brindle/error.h"
#include "owpml/xml.h"

namespace brindle::hwpml {

// A value as OWPML spells it: "CircledDigit" -> "CIRCLED_DIGIT", "Both" ->
// "BOTH"; HWPML's one field type written as one word ("Clickhere") is
// OWPML's two.
std::string owpml_spelling(std::string_view value);

// Every element of a parsed file, once translated, is in this namespace:
// the root declares OWPML's paragraph namespace as its default. HWPML's
// own elements keep their capitalised names.
inline constexpr owpml::Ns TRANSLATED = owpml::Ns::Paragraph;

// Rewrite the body under the parsed file's root (HWPML > BODY > SECTION...)
// as OWPML: each SECTION becomes a "sec" holding "p" paragraphs. Elements nested deeper than the walks look are left as
// they are. An element with more than MAX_HWPML_ATTRIBUTES attributes is a
// damaged document.
std::optional<HwpError> translate_body(owpml::XmlPart& part);

}  // namespace brindle::hwpml
