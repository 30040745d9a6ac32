// Document properties, and the two ways their dates are stored.
#include "brindle/parsed_document.h"
#include "model/properties.h"

#include <array>
#include <charconv>

#include "text.h"

namespace brindle {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date, and back (the
// era-based algorithms, exact over the whole range used here).
std::int64_t days_from_civil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

struct Civil {
    std::int64_t year;
    unsigned month, day;
};

Civil civil_from_days(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2), m, d};
}

unsigned days_in_month(std::int64_t y, unsigned m) {
    static constexpr std::array<unsigned, 12> DAYS = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : DAYS[m - 1];
}

void append_two(std::string& out, unsigned v) {
    out.push_back(static_cast<char>('0' + v / 10));
    out.push_back(static_cast<char>('0' + v % 10));
}

// Seconds since the Unix epoch as "YYYY-MM-DDTHH:MM:SSZ", for years 1601-9999.
std::optional<std::string> iso_from_unix(std::int64_t seconds) {
    const std::int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
    const std::int64_t rest = seconds - days * 86400;
    const Civil date = civil_from_days(days);
    if (date.year < 1601 || date.year > 9999) return std::nullopt;
    std::string out;
    append_decimal(out, static_cast<std::uint64_t>(date.year));
    out.push_back('-');
    append_two(out, date.month);
    out.push_back('-');
    append_two(out, date.day);
    out.push_back('T');
    append_two(out, static_cast<unsigned>(rest / 3600));
    out.push_back(':');
    append_two(out, static_cast<unsigned>(rest / 60 % 60));
    out.push_back(':');
    append_two(out, static_cast<unsigned>(rest % 60));
    out.push_back('Z');
    return out;
}

// A run of exactly `width` digits at `text[at]`, moving `at` past it.
std::optional<unsigned> digits(std::string_view text, std::size_t& at, std::size_t width) {
    if (at + width > text.size()) return std::nullopt;
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data() + at, text.data() + at + width, value);
    if (ec != std::errc() || end != text.data() + at + width) return std::nullopt;
    at += width;
    return value;
}

bool take(std::string_view text, std::size_t& at, char c) {
    if (at >= text.size() || text[at] != c) return false;
    ++at;
    return true;
}

struct Moment {
    std::int64_t year;
    unsigned month, day, hour = 0, minute = 0, second = 0;
    std::int64_t offset_seconds = 0;  // east of UTC
};

std::optional<std::string> iso_from_moment(const Moment& m) {
    if (m.year < 1601 || m.year > 9999 || m.month < 1 || m.month > 12 || m.day < 1 ||
        m.day > days_in_month(m.year, m.month) || m.hour > 23 || m.minute > 59 || m.second > 60) {
        return std::nullopt;
    }
    const std::int64_t seconds = days_from_civil(m.year, m.month, m.day) * 86400 + m.hour * 3600 + m.minute * 60 +
                                 std::min(m.second, 59u) - m.offset_seconds;
    if (seconds == 0) return std::nullopt;  // the epoch: never set
    return iso_from_unix(seconds);
}

// "2025-09-17", "2025-09-17T04:32", "2025-09-17T04:32:50.123Z", "...+09:00".
std::optional<std::string> parse_iso(std::string_view t) {
    std::size_t at = 0;
    const auto year = digits(t, at, 4);
    if (!year || !take(t, at, '-')) return std::nullopt;
    const auto month = digits(t, at, 2);
    if (!month || !take(t, at, '-')) return std::nullopt;
    const auto day = digits(t, at, 2);
    if (!day) return std::nullopt;
    Moment m{*year, *month, *day};
    if (take(t, at, 'T') || take(t, at, ' ')) {
        const auto hour = digits(t, at, 2);
        if (!hour || !take(t, at, ':')) return std::nullopt;
        const auto minute = digits(t, at, 2);
        if (!minute) return std::nullopt;
        m.hour = *hour;
        m.minute = *minute;
        if (take(t, at, ':')) {
            const auto second = digits(t, at, 2);
            if (!second) return std::nullopt;
            m.second = *second;
            if (take(t, at, '.')) {
                while (at < t.size() && t[at] >= '0' && t[at] <= '9') ++at;
            }
        }
        if (take(t, at, 'Z')) {
        } else if (at < t.size() && (t[at] == '+' || t[at] == '-')) {
            const bool east = t[at++] == '+';
            const auto hours = digits(t, at, 2);
            take(t, at, ':');
            const auto minutes = digits(t, at, 2);
            if (!hours || !minutes || *hours > 23 || *minutes > 59) return std::nullopt;
            m.offset_seconds = (east ? 1 : -1) * static_cast<std::int64_t>(*hours * 3600 + *minutes * 60);
        }
    }
    if (at != t.size()) return std::nullopt;
    return iso_from_moment(m);
}

// "Fri Jul 02 03:36:13 UTC 2010": weekday, month, day, time, zone, year.
std::optional<std::string> parse_written_out(std::string_view t) {
    static constexpr std::array<std::string_view, 12> MONTHS = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (t.size() != 28 || t[3] != ' ' || t[7] != ' ' || t[10] != ' ' || t[19] != ' ' || t[23] != ' ') {
        return std::nullopt;
    }
    unsigned month = 0;
    for (unsigned k = 0; k < MONTHS.size(); ++k) {
        if (t.substr(4, 3) == MONTHS[k]) month = k + 1;
    }
    const std::string_view zone = t.substr(20, 3);
    std::int64_t offset = 0;
    if (zone == "KST") {
        offset = 9 * 3600;
    } else if (zone != "UTC" && zone != "GMT") {
        return std::nullopt;
    }
    std::size_t at = 8;
    const auto day = digits(t, at, 2);
    at = 11;
    const auto hour = digits(t, at, 2);
    const bool colon1 = take(t, at, ':');
    const auto minute = digits(t, at, 2);
    const bool colon2 = take(t, at, ':');
    const auto second = digits(t, at, 2);
    at = 24;
    const auto year = digits(t, at, 4);
    if (month == 0 || !day || !hour || !minute || !second || !year || !colon1 || !colon2) return std::nullopt;
    return iso_from_moment(Moment{*year, month, *day, *hour, *minute, *second, offset});
}

}  // namespace

void DocumentProperties::set(std::string_view key, std::string_view value) {
    std::size_t end = value.find('\0');
    if (end != std::string_view::npos) value = value.substr(0, end);
    value = trim(value);
    if (value.empty() || find(key) != nullptr) return;
    if (value.size() > MAX_PROPERTY_BYTES) {
        end = MAX_PROPERTY_BYTES;
        while (end > 0 && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80) --end;
        value = trim(value.substr(0, end));
    }
    fields.emplace_back(key, value);
}

const std::string* DocumentProperties::find(std::string_view key) const {
    for (const auto& [k, v] : fields) {
        if (k == key) return &v;
    }
    return nullptr;
}

std::optional<std::string> filetime_to_iso(std::uint64_t ticks) {
    if (ticks == 0) return std::nullopt;
    constexpr std::int64_t EPOCH_DIFFERENCE = 11644473600;  // seconds from 1601 to 1970
    const auto seconds = static_cast<std::int64_t>(ticks / 10'000'000) - EPOCH_DIFFERENCE;
    if (seconds == 0) return std::nullopt;
    return iso_from_unix(seconds);
}

std::optional<std::string> normalize_date(std::string_view text) {
    text = trim(text);
    if (text.empty()) return std::nullopt;
    if (text[0] >= '0' && text[0] <= '9') return parse_iso(text);
    return parse_written_out(text);
}

}  // namespace brindle
