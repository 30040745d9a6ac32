// The properties a document keeps about itself: title, subject, author,
// keywords, comments, who saved it last, and when it was created and last
// saved. HWP 5.0 keeps them in an OLE property set, HWPX in its package
// file's metadata.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "brindle/bytes.h"

namespace brindle {

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

struct DocumentProperties {
    // (key, value) pairs, each key at most once; a property the document
    // leaves empty or unset is absent.
    std::vector<std::pair<std::string, std::string>> fields;

    // Set `key` to `value` trimmed of white space and NULs, unless that is
    // empty or the key is set already.
    void set(std::string_view key, std::string_view value);
    const std::string* find(std::string_view key) const;
};

// A FILETIME (100-nanosecond ticks since 1601-01-01 UTC) as an ISO 8601
// UTC timestamp; nothing for 0 (unset) or a time past the year 9999.
std::optional<std::string> filetime_to_iso(std::uint64_t ticks);

// A date as HWPX writers store it ("2025-09-17T04:32:50Z", with or without
// the zone or seconds, or "Fri Jul 02 03:36:13 UTC 2010") as an ISO 8601
// UTC timestamp; nothing for what is not a date, or for the Unix epoch,
// which writers store for a date never set.
std::optional<std::string> normalize_date(std::string_view text);

// The properties of a "\005HwpSummaryInformation" stream (an OLE property
// set stream). Never fails: every count and offset is checked, and what
// cannot be read is left out.
DocumentProperties parse_summary_information(Bytes stream);

}  // namespace brindle
