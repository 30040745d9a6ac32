// The dates of the properties a document keeps about itself, as the
// formats store them, made ISO 8601 timestamps. (HWP 5.0 keeps the
// properties in an OLE property set, HWPX in its package file's metadata.)
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brindle {

// A FILETIME (100-nanosecond ticks since 1601-01-01 UTC) as an ISO 8601
// UTC timestamp; nothing for 0 (unset) or a time past the year 9999.
std::optional<std::string> filetime_to_iso(std::uint64_t ticks);

// A date as HWPX writers store it ("2025-09-17T04:32:50Z", with or without
// the zone or seconds, or "Fri Jul 02 03:36:13 UTC 2010") as an ISO 8601
// UTC timestamp; nothing for what is not a date, or for the Unix epoch,
// which writers store for a date never set.
std::optional<std::string> normalize_date(std::string_view text);

}  // namespace brindle
