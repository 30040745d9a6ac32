// A document parsed whole, as the layers above the core receive it: its
// Markdown, the files of its pictures, the properties it keeps about
// itself, its form fields and the damage read past.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "brindle/bytes.h"
#include "brindle/convert.h"

namespace brindle {

// A picture's file: its name is unique in the document and safe as a file
// name in any folder ("BIN0001.png", "image1.jpg").
struct PictureFile {
    std::string name;
    ByteBuffer bytes;
};

// A click-here form field as data: its name, its guide text, and what
// fills it (none while it shows only its guide, or nothing).
struct FormField {
    std::string name;
    std::string guide;
    std::optional<std::string> value;
};

// The keys a property is given under, in the order they are listed.
namespace property {
inline constexpr std::string_view TITLE = "title";
inline constexpr std::string_view SUBJECT = "subject";
inline constexpr std::string_view AUTHOR = "author";
inline constexpr std::string_view KEYWORDS = "keywords";
inline constexpr std::string_view COMMENTS = "comments";
inline constexpr std::string_view LAST_SAVED_BY = "last_saved_by";
inline constexpr std::string_view CREATED = "created";    // "YYYY-MM-DDTHH:MM:SSZ" (UTC)
inline constexpr std::string_view MODIFIED = "modified";  // the same
}  // namespace property

// Strings are cut to this many bytes (at a character's start): real ones
// are a line or two, and the cut bounds what a crafted set can add.
inline constexpr std::size_t MAX_PROPERTY_BYTES = 4096;

// The properties a document keeps about itself: title, subject, author,
// keywords, comments, who saved it last, and when it was created and last
// saved.
struct DocumentProperties {
    // (key, value) pairs, each key at most once; a property the document
    // leaves empty or unset is absent.
    std::vector<std::pair<std::string, std::string>> fields;

    // Set `key` to `value` trimmed of white space and NULs, unless that is
    // empty or the key is set already.
    void set(std::string_view key, std::string_view value);
    const std::string* find(std::string_view key) const;
};

// A heading of the document's outline: its level (1 to 6), its text as the
// reader sees it (no Markdown marks or escapes), and the byte offset in the
// Markdown of the line that writes it.
struct OutlineEntry {
    std::uint8_t level = 1;
    std::string text;
    std::size_t offset = 0;
};

// Where a page of the document's last layout begins in the Markdown: the
// page's number (from 1) and the byte offset of the first block that starts
// on it (of its "<!-- page N -->" marker when the text is marked). A page
// on which no block starts has none; a document that stores no layout has
// none at all.
struct PageStart {
    std::uint32_t page = 1;
    std::size_t offset = 0;
};

struct ParsedDocument {
    // The full profile links each picture the document holds as
    // "![caption](<image_prefix><name>)"; the exact profile's text is the
    // conversion's, and hands no picture out.
    std::string markdown;
    std::vector<PictureFile> images;
    DocumentProperties properties;
    DocumentFormat format = DocumentFormat::Hwp;
    std::vector<std::string> warnings;  // damage read past: the part or stream, where, and what
    std::vector<FormField> fields;      // the click-here fields, in document order
    std::vector<OutlineEntry> outline;  // full profile: the headings, in document order
    std::vector<PageStart> pages;       // full profile: the pages, in order
};

}  // namespace brindle
