// Headings as a reader finds them. Real documents rarely mark headings with
// outline levels: they type them ("Ⅰ. 사업안내", "1. 입찰참가자격", "가.
// 사업목적", "□ 추진일정"), set them larger or bold, centre a title, or put
// a chapter's title in a one-row banner table. So a paragraph of the body
// is a heading when
//   - it is an outline paragraph, or its style is a heading's ("제목",
//     "개요 N", "Heading N"), as it always was;
//   - it opens with a typed hierarchy marker of a kind the document uses
//     for titles: a line with the form of a title (short, one line, no
//     sentence ending, not a "label : value" field, not a table-of-contents
//     entry, caption or attachment label) in most of its uses, and set
//     apart from the body text (larger or bold in most of its uses, or
//     heading a stretch of text) — chapter, part and section markers,
//     Roman numerals and decimal numbers (1.2, 1.2.3) need the form alone;
//     a paragraph of any other marker counts when it is itself prominent;
//   - its whole text is a short prominent line (much larger than the body
//     text, or larger or bold and centred): the document's first one or two
//     such lines are its title;
//   - it is a banner table: one row of a marker or number and a short title.
// A marker alone never makes a heading: a field line, a sentence after a
// marker, a table-of-contents entry or a caption stays a paragraph, and a
// line with nothing but headings after it heads nothing. A kind is judged
// over the whole document, and again over each part attached under a title
// of its own, which may use the markers its own way. The body text's size
// is the size most of the body's characters have.
//
// Levels follow the document's own nesting: the title is level 1, and each
// kind of marker takes its level from the order in which the kinds first
// appear under their parent (a kind met again closes the kinds opened after
// it), decimal numbers by their parts; outline levels and typed "#" marks
// keep their own depth, below the title when there is one.
#include "model/headings.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "model/markdown_escape.h"
#include "simd.h"
#include "text.h"

#if BRINDLE_SSE2
#include <emmintrin.h>
#endif

namespace brindle {
namespace {

constexpr std::size_t MAX_LEVEL = 6;

// A title is short: longer lines are text, however they are set.
constexpr std::size_t MAX_TITLE_CHARS = 60;
constexpr std::size_t MAX_PLAIN_TITLE_CHARS = 40;
// A bracketed label before a title ("<1단계>").
constexpr std::size_t MAX_BRACKET_CHARS = 12;
// Enough of a paragraph's start to tell its marker.
constexpr std::size_t MARKER_CHARS = 16;
static_assert(MARKER_CHARS <= MAX_TITLE_CHARS);
// A field's label before its colon.
constexpr std::size_t MAX_FIELD_LABEL_CHARS = 30;
// The document's title is among its first blocks, before its text.
constexpr std::size_t TITLE_WINDOW = 12;
constexpr std::size_t MAX_TITLE_LINES = 2;
// A line met this many times is a label, not a heading.
constexpr std::size_t MAX_REPEATS = 3;

// Sizes against the body text's, in percent: set apart, and much larger.
constexpr std::int64_t PROMINENT_PERCENT = 110;
constexpr std::int64_t LARGE_PERCENT = 130;

// A kind of marker is used for titles when at least this share of its
// paragraphs (in percent) have a title's form, and of those either this
// share are prominent or each heads this many characters of text.
constexpr std::size_t TITLE_SHARE = 60;
constexpr std::size_t STRONG_TITLE_SHARE = 50;
constexpr std::size_t PROMINENT_SHARE = 50;
constexpr std::size_t BULLET_PROMINENT_SHARE = 60;
constexpr std::size_t CONTENT_PER_TITLE = 80;
// A part of a document tells how it uses a kind from this many lines of it.
constexpr std::size_t MIN_PART_LINES = 4;

enum class Marker : std::uint8_t {
    None,
    Hash,           // "#" typed as in Markdown
    Roman,          // Ⅰ. II.
    Part,           // 제1편, 제1부
    Chapter,        // 제1장
    Section,        // 제1절
    Article,        // 제1조
    Number,         // 1.
    Decimal,        // 1.2 1.2.3: nested by their parts, below "1."
    HangulDot,      // 가.
    DigitParen,     // 1)
    HangulParen,    // 가)
    ParenDigit,     // (1)
    ParenHangul,    // (가)
    Circled,        // ①
    CircledHangul,  // ㉮ ㉠
    Square,         // □ ■
    Circle,         // ○ ●
    Diamond,        // ◇ ◆
    Dash,           // - –
    MiddleDot,      // · •
    Angle,          // < 유의사항 >
    Bracketed,      // <1단계> 제목, [1단계] 제목
};
constexpr std::size_t MARKER_KINDS = static_cast<std::size_t>(Marker::Bracketed) + 1;

// A marker's kind, and for decimal numbers and "#" marks their depth.
struct Mark {
    Marker kind = Marker::None;
    std::uint8_t depth = 0;
};

bool is_space(char32_t c) { return c == ' ' || c == '\t' || c == 0x3000 || c == 0xA0; }
bool is_digit(char32_t c) { return (c >= '0' && c <= '9') || (c >= 0xFF10 && c <= 0xFF19); }
// Whether `c` is one of a literal's characters: the literal's length is
// known when this is compiled, and the loop over it unrolled.
template <std::size_t N>
constexpr bool in(const char32_t (&set)[N], char32_t c) {
    for (std::size_t k = 0; k + 1 < N; ++k) {
        if (set[k] == c) return true;
    }
    return false;
}

// The ordinal syllables of Korean lists: 가 나 다 ... 하.
constexpr char32_t HANGUL_ORDINALS[] = U"가나다라마바사아자차카타파하";

bool is_syllable(char32_t c) { return c >= 0xAC00 && c <= 0xD7A3; }  // a Hangul syllable
bool is_latin(char32_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Most paragraphs open with a word, and no marker: a syllable no list
// counts by, or a Latin letter no Roman numeral starts with.
bool opens_with_word(char32_t c) {
    return (is_syllable(c) && c != U'제' && !in(HANGUL_ORDINALS, c)) ||
           (is_latin(c) && c != 'I' && c != 'V' && c != 'X');
}

// A few characters gathered to compare with a word, in room of their own:
// add refuses what would not fit, and then no word of interest matches.
class ShortWord {
public:
    bool add(char32_t c) {
        if (size_ == chars_.size()) return false;
        chars_[size_++] = c;
        return true;
    }
    bool is(std::u32string_view word) const { return std::u32string_view(chars_.data(), size_) == word; }
    std::size_t size() const { return size_; }

private:
    std::array<char32_t, 16> chars_{};
    std::size_t size_ = 0;
};

class Line {
public:
    explicit Line(std::u32string_view text) : s_(text) {}

    std::size_t size() const { return s_.size(); }

    Mark mark() const {
        if (s_.empty()) return {};
        const char32_t c = s_[0];
        if (opens_with_word(c)) return {};
        if (c == '#') {
            std::size_t n = 0;
            while (n < s_.size() && s_[n] == '#') ++n;
            // As Markdown reads them: a space after the marks, then text.
            if (n <= MAX_LEVEL && n < s_.size() && is_space(s_[n]) && rest_after(n)) {
                return {Marker::Hash, static_cast<std::uint8_t>(n)};
            }
            return {};
        }
        if (c >= 0x2160 && c <= 0x216B) return rest_after(skip_one(1, U".)")) ? Mark{Marker::Roman} : Mark{};
        if (c == 'I' || c == 'V' || c == 'X') {
            std::size_t n = 0;
            while (n < s_.size() && n < 4 && in(U"IVX", s_[n])) ++n;
            if (n < s_.size() && s_[n] == '.' && rest_after(n + 1)) return {Marker::Roman};
        }
        if (c == U'제') {
            std::size_t at = skip_spaces(1);
            const std::size_t digits = at;
            while (at < s_.size() && is_digit(s_[at])) ++at;
            if (at > digits) {
                at = skip_spaces(at);
                if (at < s_.size()) {
                    switch (s_[at]) {
                        case U'편':
                        case U'부': return {Marker::Part};
                        case U'장': return {Marker::Chapter};
                        case U'절': return {Marker::Section};
                        case U'조': return {Marker::Article};
                        default: break;
                    }
                }
            }
            return {};
        }
        if (is_digit(c)) return digits_mark();
        if (in(HANGUL_ORDINALS, c) && s_.size() > 1) {
            if ((s_[1] == '.' || s_[1] == 0xFF0E) && rest_after(2)) return {Marker::HangulDot};
            if (s_[1] == ')' && rest_after(2)) return {Marker::HangulParen};
            return {};
        }
        if ((c == '(' || c == 0xFF08) && s_.size() > 2) {
            std::size_t at = 1;
            while (at < s_.size() && at < 3 && is_digit(s_[at])) ++at;
            const bool digits = at > 1;
            if (!digits && in(HANGUL_ORDINALS, s_[1])) at = 2;
            if (at > 1 && at < s_.size() && (s_[at] == ')' || s_[at] == 0xFF09) && rest_after(at + 1)) {
                return {digits ? Marker::ParenDigit : Marker::ParenHangul};
            }
            return {};
        }
        if (c >= 0x2460 && c <= 0x2473) return rest_after(1) ? Mark{Marker::Circled} : Mark{};
        if ((c >= 0x3260 && c <= 0x327B)) return rest_after(1) ? Mark{Marker::CircledHangul} : Mark{};
        if (in(U"□■◻◼▣▢", c)) return rest_after(1) ? Mark{Marker::Square} : Mark{};
        if (in(U"○●◯❍◦", c)) return rest_after(1) ? Mark{Marker::Circle} : Mark{};
        if (in(U"◇◆◈", c)) return rest_after(1) ? Mark{Marker::Diamond} : Mark{};
        if (in(U"-–—", c)) return rest_after(1) ? Mark{Marker::Dash} : Mark{};
        if (in(U"·•∙ㆍ", c)) return rest_after(1) ? Mark{Marker::MiddleDot} : Mark{};
        if (in(U"<〈《＜", c) && s_.size() >= 3 && in(U">〉》＞", s_.back()) && s_.size() <= 42) {
            const std::u32string_view inner = s_.substr(1, s_.size() - 2);
            if (std::none_of(inner.begin(), inner.end(), [](char32_t k) { return in(U">〉》＞<〈《＜", k); })) {
                return {Marker::Angle};
            }
        }
        // A short bracketed label, then text.
        if (const std::size_t open = std::u32string_view(U"<〈《＜[【「『").find(c);
            open != std::u32string_view::npos) {
            const char32_t close = U">〉》＞]】」』"[open];
            const std::size_t end = s_.find(close, 1);
            if (end != std::u32string_view::npos && end <= MAX_BRACKET_CHARS && rest_after(end + 1))
                return {Marker::Bracketed};
        }
        return {};
    }

    // What keeps a line from being a title, whatever it looks like.
    bool never_title() const {
        return s_.empty() || s_.size() > MAX_TITLE_CHARS || in(U"※*▶▷►→:：", s_[0]) || caption() ||
               attachment_label() || contents_entry() || date() || addressed() || label() || aside() || signature() ||
               !has_letter();
    }

    // A title names something: a line of signs and numbers alone (".  .",
    // "▼", "0000") names nothing.
    bool has_letter() const {
        return std::any_of(s_.begin(), s_.end(), [](char32_t c) {
            return is_syllable(c) || is_latin(c) || (c >= 0x3131 && c <= 0x318E) || (c >= 0x4E00 && c <= 0x9FFF) ||
                   (c >= 0x3040 && c <= 0x30FF) || (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7) ||
                   (c >= 0x370 && c <= 0x4FF);
        });
    }

    // "목 차", "－ 차례 －", "CONTENTS": the heading of a table of contents.
    bool contents_heading() const {
        ShortWord letters;
        for (const char32_t c : s_) {
            // Letters, spaces and dashes left out; most titles are told by their first letter.
            if (is_syllable(c)) {
                if (!letters.add(c) || (letters.size() == 1 && c != U'목' && c != U'차')) return false;
            } else if (is_latin(c)) {
                const char32_t lower = c | 0x20;
                if (!letters.add(lower) || (letters.size() == 1 && lower != 'c' && lower != 't')) return false;
            } else if (c > 0x7F ? !in(U"－–—<>〈〉《》＜＞[]【】「」()（）·ㆍ", c) && !is_space(c)
                                : (c >= '0' && c <= '9')) {
                return false;  // a number or another sign: an entry, not the heading
            }
        }
        return letters.is(U"목차") || letters.is(U"차례") || letters.is(U"contents") || letters.is(U"tableofcontents");
    }

    // "label : value": a colon with text on both sides, the label short.
    bool field() const {
        std::size_t colon = 0;
        while (colon < s_.size() && colon <= MAX_FIELD_LABEL_CHARS && s_[colon] != ':' && s_[colon] != 0xFF1A) ++colon;
        if (colon == s_.size() || colon == 0 || colon > MAX_FIELD_LABEL_CHARS) return false;
        for (std::size_t k = colon + 1; k < s_.size(); ++k) {
            if (!is_space(s_[k])) return true;
        }
        return false;
    }

    // A field's label whose value stands elsewhere: "공 고 명 :".
    bool label() const {
        std::size_t end = s_.size();
        while (end > 0 && is_space(s_[end - 1])) --end;
        return end > 0 && (s_[end - 1] == ':' || s_[end - 1] == 0xFF1A);
    }

    // A sentence's ending: a final "다", a question mark, or a nominal or
    // polite ending ("함", "음", "임", "됨", "것", "시오", "니다", "세요")
    // with or without its period; "요" alone ends titles ("사업 개요") as
    // often as sentences.
    bool sentence() const {
        std::size_t end = s_.size();
        bool period = false;
        if (end > 0 && (s_[end - 1] == '.' || s_[end - 1] == 0x3002)) {
            --end;
            period = true;
        }
        if (end == 0) return false;
        const char32_t last = s_[end - 1];
        if (in(U"다함음임됨것?？", last)) return true;
        const char32_t before = end >= 2 ? s_[end - 2] : 0;
        if (last == U'오' && before == U'시') return true;
        if (last == U'요' && (period || in(U"세어아해네", before))) return true;
        return period && in(U"까람지", last);
    }

private:
    std::size_t skip_spaces(std::size_t at) const {
        while (at < s_.size() && is_space(s_[at])) ++at;
        return at;
    }
    // Past `at`, and past one of `optional` there.
    template <std::size_t N>
    std::size_t skip_one(std::size_t at, const char32_t (&optional)[N]) const {
        return at < s_.size() && in(optional, s_[at]) ? at + 1 : at;
    }
    // Text stands after the marker ending at `at`.
    bool rest_after(std::size_t at) const { return skip_spaces(at) < s_.size(); }

    Mark digits_mark() const {
        // "1." "1)" "1.2" "1.2.3", or spaced as some writers space them,
        // "1 . 2"; then a space or text.
        std::size_t at = 0, parts = 0, after = 0;
        while (true) {
            const std::size_t start = at;
            while (at < s_.size() && at - start < 3 && is_digit(s_[at])) ++at;
            if (at == start) break;
            ++parts;
            after = at;
            const std::size_t dot = skip_spaces(at);
            if (dot >= s_.size() || (s_[dot] != '.' && s_[dot] != 0xFF0E)) break;
            after = dot + 1;
            // The next part: right after the dot, or spaced as the dot is.
            const std::size_t next = dot > at ? skip_spaces(dot + 1) : dot + 1;
            if (next < s_.size() && is_digit(s_[next]) &&
                (next + 1 >= s_.size() || !is_digit(s_[next + 1]) || next + 2 >= s_.size() ||
                 !is_digit(s_[next + 2]))) {
                at = next;
                continue;
            }
            break;
        }
        if (parts == 0 || after >= s_.size()) return {};
        if (parts == 1 && after == at) {
            // "1)" is a marker; "2025년" is digits, no marker.
            return s_[at] == ')' && rest_after(at + 1) ? Mark{Marker::DigitParen} : Mark{};
        }
        // "1.5배" is a number, not a marker.
        if (parts == 1 && is_digit(s_[after])) return {};
        if (!rest_after(after)) return {};
        return {parts == 1 ? Marker::Number : Marker::Decimal,
                static_cast<std::uint8_t>(std::min<std::size_t>(parts, 9))};
    }

    // "표 1", "<그림 2>", "[표 3]": a caption.
    bool caption() const {
        std::size_t at = in(U"<[(〈【", s_[0]) ? 1 : 0;
        at = skip_spaces(at);
        if (at >= s_.size() || !in(U"표그사도TF", s_[at])) return false;
        for (const std::u32string_view word : {U"표", U"그림", U"사진", U"도표", U"Table", U"Figure"}) {
            if (s_.compare(at, word.size(), word) == 0) {
                const std::size_t next = skip_spaces(at + word.size());
                return next < s_.size() && is_digit(s_[next]);
            }
        }
        return false;
    }

    // "[붙임 1]", "<서식 2>", "【별지 서식】": the label of an attachment or
    // form; or a form's heading line, which names it after the rule that
    // sets it: "■ 소득세법 시행규칙 [별지 제1호서식]".
    bool attachment_label() const {
        const auto names = [&](std::size_t open, std::initializer_list<std::u32string_view> words) {
            const std::size_t at = skip_spaces(open + 1);
            return at + 1 < s_.size() && std::any_of(words.begin(), words.end(), [&](std::u32string_view word) {
                       return s_[at] == word[0] && s_[at + 1] == word[1];
                   });
        };
        if (in(U"[【(<〈《＜", s_[0]) && names(0, {U"붙임", U"별지", U"별첨", U"서식", U"별표", U"참고", U"첨부"})) {
            // In angle brackets the label alone; with a title after it
            // ("<별첨 1> 과업설명서") it heads what follows, as "<1단계> …" does.
            return in(U"[【(", s_[0]) || in(U">〉》＞", s_.back());
        }
        // Further on, only a form's number in square brackets: after a
        // marker ("가. [별지 1] 표지", an item of a list of forms), or where
        // the line ends ("… [별지 제1호서식]", "… [별표 2] <개정 2020. 3. 13.>").
        // "동의서(서식)" is a form's title, "… [참고 2]" a reference.
        const auto form_at = [&](std::size_t open) {
            return in(U"[【", s_[open]) && names(open, {U"별지", U"별표", U"서식"});
        };
        for (std::size_t open = 1; open < std::min<std::size_t>(s_.size(), 5); ++open) {
            if (form_at(open)) return true;
        }
        if (!in(U"]】>", s_.back())) return false;
        for (std::size_t open = s_.size() - 1; open >= 5; --open) {
            if (in(U"[【", s_[open])) return form_at(open);
        }
        return false;
    }

    // A line wholly in parentheses: an aside ("(부가가치세 포함)"), not a
    // title of what follows.
    bool aside() const {
        if (s_.size() < 3 || (s_[0] != '(' && s_[0] != 0xFF08)) return false;
        std::size_t depth = 0;
        for (std::size_t k = 0; k < s_.size(); ++k) {
            if (s_[k] == '(' || s_[k] == 0xFF08) {
                ++depth;
            } else if ((s_[k] == ')' || s_[k] == 0xFF09) && depth > 0 && --depth == 0) {
                return k + 1 == s_.size();
            }
        }
        return false;
    }

    // A line to sign or seal: "대표 홍길동 (인)", "신청인 (서명 또는 인)".
    bool signature() const {
        if (s_.back() != ')' && s_.back() != 0xFF09) return false;
        std::size_t open = s_.size() - 1;
        while (open > 0 && s_[open] != '(' && s_[open] != 0xFF08) --open;
        ShortWord inner;
        for (std::size_t k = open + 1; k + 1 < s_.size(); ++k) {
            if (!is_space(s_[k]) && !inner.add(s_[k])) return false;
        }
        return inner.is(U"인") || inner.is(U"印") || inner.is(U"서명") || inner.is(U"날인") ||
               inner.is(U"서명또는인") || inner.is(U"서명또는날인");
    }

    // A table-of-contents entry: a page number at the end, after a leader
    // (dots, an ellipsis) or a gap of spaces.
    bool contents_entry() const {
        std::size_t end = s_.size();
        while (end > 0 && is_digit(s_[end - 1])) --end;
        if (end == s_.size() || s_.size() - end > 3 || end < 2) return false;
        const char32_t before = s_[end - 1], earlier = s_[end - 2];
        return in(U".…·ㆍ", before) || (is_space(before) && (is_space(earlier) || in(U".…·ㆍ", earlier)));
    }

    // A date alone: "2025. 3. 31.", "2025년 3월 31일", "2025.  6.", or the
    // blanks of one to fill in: "년    월    일".
    bool date() const {
        if (!is_digit(s_[0]) && s_[0] != '(' && s_[0] != U'년') return false;
        bool digit = false, unit = false;
        std::size_t names = 0;  // 년, 월, 일
        for (const char32_t c : s_) {
            if (is_digit(c)) {
                digit = true;
            } else if (in(U".년월일/-()", c)) {
                unit = unit || (c != '(' && c != ')');
                names += in(U"년월일", c);
            } else if (!is_space(c)) {
                return false;
            }
        }
        return (digit && unit) || names >= 2;
    }

    // A letter's addressee: "... 귀하", "... 귀중".
    bool addressed() const {
        return s_.size() >= 2 && s_[s_.size() - 2] == U'귀' && (s_.back() == U'하' || s_.back() == U'중');
    }

    std::u32string_view s_;
};

// ASCII punctuation, which a backslash before it escapes.
bool is_ascii_punctuation(char c) {
    return (c >= '!' && c <= '/') || (c >= ':' && c <= '@') || (c >= '[' && c <= '`') || (c >= '{' && c <= '~');
}

// The first characters of Markdown text as the reader sees them (its
// escapes taken out), decoded into room of its own: all of a title's,
// whose end is then known to be the text's. The text is the walk's, UTF-8
// by construction: a lead byte says how many bytes follow it.
class Decoded {
public:
    explicit Decoded(std::string_view text) {
        const auto* p = reinterpret_cast<const unsigned char*>(text.data());
        const auto* const end = p + text.size();
        while (p < end && size_ < chars_.size()) {
            const unsigned char lead = *p;
            if (lead < 0x80) {
                if (lead == '\\' && end - p > 1 && is_ascii_punctuation(static_cast<char>(p[1]))) ++p;
                chars_[size_++] = *p++;
                continue;
            }
            // Hangul and most CJK punctuation take three bytes: decoded
            // without the general loop.
            if ((lead & 0xF0) == 0xE0) {
                if (end - p < 3) break;
                chars_[size_++] = (char32_t{lead & 0x0Fu} << 12) | (char32_t{p[1] & 0x3Fu} << 6) | (p[2] & 0x3Fu);
                p += 3;
                continue;
            }
            const int length = lead >= 0xF0 ? 4 : 2;
            if (end - p < length) break;
            char32_t c = lead & (0x7F >> length);
            for (int k = 1; k < length; ++k) c = (c << 6) | (p[k] & 0x3F);
            chars_[size_++] = c;
            p += length;
        }
        whole_ = p == end;
    }
    std::u32string_view view() const { return {chars_.data(), size_}; }
    // The text was decoded to its end.
    bool whole() const { return whole_; }

private:
    std::array<char32_t, MAX_TITLE_CHARS> chars_;
    std::size_t size_ = 0;
    bool whole_ = false;
};

// The characters of UTF-8 text: its bytes but the continuation bytes
// (10xxxxxx), counted sixteen bytes at a time where the machine has SSE2
// and eight at a time otherwise, since every paragraph's text is counted.
std::size_t characters(std::string_view text) {
    std::size_t continuation = 0, at = 0;
#if BRINDLE_SSE2
    // As signed bytes the continuation bytes are those below -64: each
    // block's are counted in its byte lanes, summed before a lane can wrap.
    const __m128i below = _mm_set1_epi8(-64);
    while (at + 16 <= text.size()) {
        __m128i lanes = _mm_setzero_si128();
        for (std::size_t blocks = 0; blocks < 255 && at + 16 <= text.size(); ++blocks, at += 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
            lanes = _mm_sub_epi8(lanes, _mm_cmplt_epi8(bytes, below));
        }
        const __m128i sums = _mm_sad_epu8(lanes, _mm_setzero_si128());
        continuation += static_cast<std::size_t>(_mm_cvtsi128_si32(sums) + _mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
    }
#endif
    constexpr std::uint64_t HIGH = 0x8080808080808080, SECOND = 0x4040404040404040, ONES = 0x0101010101010101;
    for (; at + 8 <= text.size(); at += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + at, sizeof word);
        // A one in each continuation byte, summed into the top byte.
        const std::uint64_t ones = ((word & HIGH) & ~((word & SECOND) << 1)) >> 7;
        continuation += static_cast<std::size_t>((ones * ONES) >> 56);
    }
    for (; at < text.size(); ++at) continuation += (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80;
    return text.size() - continuation;
}

// Whether UTF-8 text holds a colon, ASCII or full-width: a field has one,
// and most lines are told from fields by their bytes, without a look at
// their characters.
bool has_colon(std::string_view text) {
    return text.find(':') != std::string_view::npos || text.find("\uFF1A") != std::string_view::npos;
}

// A fence of code typed as Markdown, its backticks escaped or not. Most
// paragraphs are told by their first byte.
bool opens_fence(std::string_view text) {
    return !text.empty() && (text[0] == '\\' || text[0] == '`') &&
           (text.starts_with("\\`\\`\\`") || text.starts_with("```"));
}

// What the detection knows of one paragraph of the body.
struct Candidate {
    std::size_t block = 0;
    std::size_t place = 0;  // its block's place among those a reader sees (page marks not counted)
    std::string_view text;  // trimmed
    bool one_line = false;  // short enough for a title, on one line
    Mark mark;
    bool title_form = false;  // a title's form: one short line, no sentence, no field
    bool prominent = false;   // larger or bold against the body text
    bool large = false;
    bool centred = false;
    bool heading_style = false;
    bool short_line = false;
    bool listed = false;    // next to a paragraph of its marker's kind: an item of a list
    bool field = false;     // "label : value", or a label alone: data, neither title nor text
    bool contents = false;  // the heading of a table of contents: never the document's title

    std::size_t characters = 0;
    const CharacterShape* shape = nullptr;  // the shape most of its characters have
};

// A style whose name says title or heading.
bool heading_style_name(std::string_view name) {
    for (const std::string_view prefix :
         {"제목", "개요", "장 제목", "절 제목", "Heading", "heading", "Title", "title"}) {
        if (name.substr(0, prefix.size()) == prefix) return true;
    }
    return false;
}

// The body text: the size most of its characters have, and whether most
// of them are bold.
struct BodyText {
    std::int32_t height = 0;
    bool bold = false;
};

// The body text of `paragraphs`, by the character shapes their blocks name.
BodyText body_text(const std::vector<Candidate>& paragraphs) {
    std::vector<std::pair<std::int32_t, std::size_t>> by_height;  // a document sets few sizes
    std::size_t all = 0, bold = 0;
    for (const Candidate& c : paragraphs) {
        if (c.shape == nullptr) continue;
        const auto known =
            std::find_if(by_height.begin(), by_height.end(), [&](const auto& h) { return h.first == c.shape->height; });
        if (known == by_height.end()) {
            by_height.emplace_back(c.shape->height, c.characters);
        } else {
            known->second += c.characters;
        }
        all += c.characters;
        if (c.shape->bold) bold += c.characters;
    }
    BodyText body;
    std::size_t most = 0;
    for (const auto& [height, count] : by_height) {
        if (count > most || (count == most && height < body.height)) {
            most = count;
            body.height = height;
        }
    }
    body.bold = all > 0 && 2 * bold > all;
    return body;
}

// The paragraphs standing in page headers and footers.
std::vector<bool> in_margins(const BlockList& blocks) {
    std::vector<bool> margin(blocks.size(), false);
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        if (const auto* m = std::get_if<HeaderFooter>(&blocks[i])) {
            const std::size_t end = std::min(blocks.size(), i + 1 + m->block_count);
            std::fill(margin.begin() + static_cast<std::ptrdiff_t>(i + 1),
                      margin.begin() + static_cast<std::ptrdiff_t>(end), true);
        }
    }
    return margin;
}

// A banner table's heading text: one row of a marker or number ("Ⅰ", "1",
// "II.") and a short title, joined by a space.
std::optional<std::string> banner(const Table& table) {
    if (table.rows.size() != 1) return std::nullopt;
    std::array<std::string_view, 2> cells;
    std::size_t filled = 0;
    for (const TableCell& cell : table.rows[0]) {
        const std::string_view text = trim(cell.text);
        if (text.empty()) continue;
        if (filled == cells.size() || text.find("<br>") != std::string_view::npos) return std::nullopt;
        cells[filled++] = text;
    }
    // A number of up to four characters, a title of a plain title's length.
    if (filled != 2 || cells[0].size() > 4 * 4 || cells[1].size() > 4 * MAX_PLAIN_TITLE_CHARS) return std::nullopt;
    const Decoded number_chars(cells[0]), title_chars(cells[1]);
    const std::u32string_view number = number_chars.view(), title = title_chars.view();
    if (number.empty() || number.size() > 4 || title.empty() || title.size() > MAX_PLAIN_TITLE_CHARS ||
        !title_chars.whole()) {
        return std::nullopt;
    }
    std::size_t end = number.size();
    if (number[end - 1] == '.') --end;
    if (end == 0) return std::nullopt;
    const bool roman = std::all_of(number.begin(), number.begin() + static_cast<std::ptrdiff_t>(end),
                                   [](char32_t c) { return (c >= 0x2160 && c <= 0x216B) || in(U"IVX", c); });
    const bool digits =
        end <= 2 && std::all_of(number.begin(), number.begin() + static_cast<std::ptrdiff_t>(end), is_digit);
    if (!roman && !digits) return std::nullopt;
    std::string text(cells[0]);
    text.push_back(' ');
    text.append(cells[1]);
    return text;
}

struct KindUse {
    std::size_t count = 0, titles = 0, prominent = 0, content = 0;
};

bool strong(Marker kind) {
    switch (kind) {
        case Marker::Roman:
        case Marker::Part:
        case Marker::Chapter:
        case Marker::Section:
        case Marker::Angle:
        case Marker::Decimal: return true;
        default: return false;
    }
}

bool bullet(Marker kind) {
    return kind == Marker::Dash || kind == Marker::MiddleDot || kind == Marker::Circle || kind == Marker::Diamond;
}

// A field's line, which is data: neither a title nor an item of a list.
// Bullets stand for titles only when set apart, and count their fields.
bool data_line(const Candidate& c) { return c.field && !bullet(c.mark.kind); }

// How a stretch of paragraphs uses each kind of marker: whether for
// titles, and on how many of its lines (fields aside).
struct KindTitles {
    std::array<bool, MARKER_KINDS> titles{};
    std::array<std::size_t, MARKER_KINDS> lines{};
};

// The kinds `paragraphs` use for titles.
KindTitles title_kinds(std::span<const Candidate> paragraphs) {
    std::array<KindUse, MARKER_KINDS> uses{};
    // The text each marked paragraph heads: up to the next paragraph of its
    // kind, from the characters before each paragraph.
    std::vector<std::size_t> before(paragraphs.size() + 1, 0);
    for (std::size_t k = 0; k < paragraphs.size(); ++k) before[k + 1] = before[k] + paragraphs[k].characters;
    std::array<std::size_t, MARKER_KINDS> next_of_kind;
    next_of_kind.fill(paragraphs.size());
    for (std::size_t k = paragraphs.size(); k-- > 0;) {
        const Candidate& p = paragraphs[k];
        if (p.mark.kind == Marker::None) continue;
        std::size_t& next = next_of_kind[static_cast<std::size_t>(p.mark.kind)];
        // A field's line says nothing of what the kind's other lines are.
        if (data_line(p)) continue;
        KindUse& use = uses[static_cast<std::size_t>(p.mark.kind)];
        ++use.count;
        use.titles += p.title_form;
        use.prominent += p.prominent;
        use.content += before[next] - before[k + 1];
        next = k;
    }
    KindTitles out;
    for (std::size_t kind = 0; kind < MARKER_KINDS; ++kind) {
        const KindUse& use = uses[kind];
        out.lines[kind] = use.count;
        if (use.count == 0) continue;

        const Marker marker = static_cast<Marker>(kind);
        const std::size_t title_share = 100 * use.titles / use.count, prominent_share = 100 * use.prominent / use.count;
        if (bullet(marker)) {
            out.titles[kind] = prominent_share >= BULLET_PROMINENT_SHARE && title_share >= TITLE_SHARE;
        } else if (strong(marker)) {
            out.titles[kind] = title_share >= STRONG_TITLE_SHARE;
        } else {
            out.titles[kind] = title_share >= TITLE_SHARE &&
                               (prominent_share >= PROMINENT_SHARE || use.content >= CONTENT_PER_TITLE * use.count);
        }
    }
    return out;
}

// A part's title: a short plain line set apart (much larger, or larger and
// centred), such as an attached form's or regulation's name.
bool part_title(const Candidate& c) {
    return c.mark.kind == Marker::None && c.title_form && c.characters <= MAX_PLAIN_TITLE_CHARS &&
           (c.large || (c.prominent && c.centred));
}

// Whether each paragraph's kind is used for titles. A document joins parts
// of its own (a notice, then the forms and rules attached to it), each
// using the markers its own way: a kind the whole document does not use
// for titles still titles a part that uses it so, often enough to tell.
std::vector<bool> kinds_for_titles(const std::vector<Candidate>& paragraphs) {
    const KindTitles whole = title_kinds(paragraphs);
    std::vector<bool> titled(paragraphs.size(), false);
    std::size_t start = 0;
    while (start < paragraphs.size()) {
        std::size_t end = start + 1;
        while (end < paragraphs.size() && !part_title(paragraphs[end])) ++end;
        const KindTitles part = title_kinds(std::span(paragraphs).subspan(start, end - start));
        for (std::size_t k = start; k < end; ++k) {
            const auto kind = static_cast<std::size_t>(paragraphs[k].mark.kind);
            titled[k] = whole.titles[kind] || (part.lines[kind] >= MIN_PART_LINES && part.titles[kind]);
        }
        start = end;
    }
    return titled;
}

// What makes a paragraph a heading, for its level: a marker's kind (with
// the depth of a decimal number), or else what it is otherwise.
enum class Unmarked : std::uint8_t { Marked, Plain, Style, RomanBanner, NumberBanner };
struct Rank {
    Marker kind = Marker::None;
    std::uint8_t depth = 0;
    Unmarked other = Unmarked::Marked;
    bool operator==(const Rank&) const = default;
};

}  // namespace

void detect_headings(BlockList& blocks, const Definitions& definitions) {
    const std::vector<bool> margin = in_margins(blocks);

    // The body's paragraphs as the rules see them.
    std::vector<Candidate> paragraphs;
    paragraphs.reserve(blocks.size());
    std::vector<std::int8_t> heading_styles(definitions.styles.size(), -1);  // by style: unknown yet, no, yes
    // What a paragraph's shapes and style say of it.
    const auto looked_up = [&](Candidate c, const Paragraph& p) {
        if (p.look.character_shape < definitions.character_shapes.size()) {
            c.shape = &definitions.character_shapes[p.look.character_shape];
        }
        if (p.look.paragraph_shape < definitions.paragraph_shapes.size()) {
            c.centred = definitions.paragraph_shapes[p.look.paragraph_shape].alignment == Alignment::Center;
        }
        if (p.look.style < definitions.styles.size()) {
            std::int8_t& known = heading_styles[p.look.style];
            if (known < 0) known = heading_style_name(definitions.styles[p.look.style].name) ? 1 : 0;
            c.heading_style = known == 1;
        }
        return c;
    };
    bool code = false;      // inside a fence of code typed as Markdown
    std::size_t marks = 0;  // page marks so far
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        marks += std::holds_alternative<NewPage>(blocks[i]);
        const auto* p = std::get_if<Paragraph>(&blocks[i]);
        if (p == nullptr || p->origin == Origin::Other || margin[i]) continue;
        const std::string_view text = trim(p->text);
        if (opens_fence(text)) {
            code = !code;
            continue;
        }
        if (code) continue;
        Candidate c;
        c.block = i;
        c.place = i - marks;
        c.text = text;
        c.characters = characters(text);
        // A title is one short line; any paragraph's start tells its marker.
        c.one_line = c.characters <= MAX_TITLE_CHARS + 8 && text.find('\n') == std::string_view::npos;
        paragraphs.push_back(looked_up(c, *p));
    }
    // Prominence against the body text.
    const BodyText body = body_text(paragraphs);
    for (Candidate& c : paragraphs) {
        if (c.shape == nullptr || body.height <= 0) continue;
        c.prominent = std::int64_t{c.shape->height} * 100 >= std::int64_t{body.height} * PROMINENT_PERCENT ||
                      (c.shape->bold && !body.bold);
        c.large = std::int64_t{c.shape->height} * 100 >= std::int64_t{body.height} * LARGE_PERCENT;
    }
    // Markers and the form of titles. A paragraph that opens with a word has
    // no marker: its form matters only when it is a short line set apart or
    // in a heading's style.
    for (Candidate& c : paragraphs) {
        if (opens_with_word(decode_utf8_char(c.text).value) &&
            !(c.one_line && (c.large || (c.prominent && c.centred) || c.heading_style))) {
            continue;
        }
        const Decoded decoded(c.one_line ? c.text : c.text.substr(0, 4 * MARKER_CHARS));
        const Line line(decoded.view());
        c.mark = line.mark();
        c.short_line = c.one_line && decoded.whole() && line.size() > 0;
        c.field = c.short_line && has_colon(c.text) && (line.field() || line.label());
        c.title_form = c.short_line && !line.never_title() && !c.field && !line.sentence();
        c.contents = c.title_form && line.contents_heading();
    }
    // Items of a list stand one after another; a heading has its text (or
    // a table, or a heading of another kind) between it and the next of
    // its kind. Chapters, Roman numerals and decimal numbers are not list
    // items: a run of them is a draft's sections, still empty. A field is
    // data, not an item beside a title.
    for (std::size_t k = 1; k < paragraphs.size(); ++k) {
        Candidate& before = paragraphs[k - 1];
        Candidate& c = paragraphs[k];
        if (c.mark.kind != Marker::None && c.mark.kind == before.mark.kind && c.mark.depth == before.mark.depth &&
            c.place == before.place + 1 && !data_line(c) && !data_line(before)) {
            before.listed = c.listed = true;
        }
    }
    const std::vector<bool> kind_titled = kinds_for_titles(paragraphs);

    // The headings in order, each with its rank; then their levels.
    struct Found {
        std::size_t block;
        enum class What : std::uint8_t { Title, Outline, Hash, Ranked } what;
        std::uint8_t depth;  // outline level, "#" count
        Rank rank;
        std::optional<std::string> banner_text;
    };
    std::vector<Found> found;
    std::size_t next = 0;  // the next paragraph of `paragraphs`
    bool title_open = true;
    std::size_t title_lines = 0;
    std::size_t page_marks = 0;  // NewPage blocks so far: no place among the blocks a reader sees
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        if (std::holds_alternative<NewPage>(blocks[i])) {
            ++page_marks;
            continue;
        }
        if (const auto* table = std::get_if<Table>(&blocks[i]); table != nullptr && !margin[i]) {
            if (std::optional<std::string> text = banner(*table)) {
                const Decoded number_chars(text->substr(0, text->find(' ')));
                const std::u32string_view number = number_chars.view();
                const bool roman = !number.empty() && !is_digit(number[0]);
                found.push_back({i, Found::What::Ranked, 0,
                                 Rank{Marker::None, 0, roman ? Unmarked::RomanBanner : Unmarked::NumberBanner},
                                 std::move(text)});
                title_open = false;
            }
            continue;
        }
        if (next >= paragraphs.size() || paragraphs[next].block != i) continue;
        const Candidate& c = paragraphs[next++];
        const Paragraph& p = std::get<Paragraph>(blocks[i]);
        if (p.head.kind == HeadKind::Outline) {
            found.push_back({i, Found::What::Outline, p.head.level, {}, std::nullopt});
            title_open = false;
            continue;
        }
        // Text before a title closes the stretch in which it may stand.
        if (!c.title_form && c.characters > MAX_TITLE_CHARS) title_open = false;
        // A list item keeps its number or bullet.
        if (p.head.kind == HeadKind::Bullet || p.head.kind == HeadKind::Number) continue;
        // A "#" typed before a line is a heading as its writer meant it,
        // a sentence or not.
        if (c.mark.kind == Marker::Hash && c.characters <= 4 * MAX_TITLE_CHARS) {
            found.push_back({i, Found::What::Hash, c.mark.depth, {}, std::nullopt});
            title_open = false;
            continue;
        }
        if (!c.title_form) continue;
        if (c.heading_style) {
            found.push_back({i, Found::What::Ranked, 0, Rank{Marker::None, 0, Unmarked::Style}, std::nullopt});
            title_open = false;
            continue;
        }
        if (c.mark.kind == Marker::None) {
            if ((c.large || (c.prominent && c.centred)) && c.characters <= MAX_PLAIN_TITLE_CHARS) {
                if (title_open && !c.contents && title_lines < MAX_TITLE_LINES && i - page_marks < TITLE_WINDOW) {
                    found.push_back({i, Found::What::Title, 0, {}, std::nullopt});
                    ++title_lines;
                } else {
                    found.push_back({i, Found::What::Ranked, 0, Rank{Marker::None, 0, Unmarked::Plain}, std::nullopt});
                    title_open = false;
                }
            }
            continue;
        }
        // Items set apart one after another may be titles of empty sections;
        // bullets so set are a list in bold, each a field or a phrase.
        if (c.listed && (!c.prominent || bullet(c.mark.kind)) && !strong(c.mark.kind)) continue;
        const bool kind_titles = kind_titled[next - 1];
        if (kind_titles || (c.prominent && !bullet(c.mark.kind) && c.mark.kind != Marker::Article)) {
            if (c.mark.kind == Marker::Article && !kind_titles) continue;
            const std::uint8_t depth =
                c.mark.kind == Marker::Number || c.mark.kind == Marker::Decimal ? c.mark.depth : 0;
            found.push_back({i, Found::What::Ranked, 0, Rank{c.mark.kind, depth, Unmarked::Marked}, std::nullopt});
            title_open = false;
        }
    }

    // A label the document repeats ("<보기>" before each question's choices,
    // "□ 업체명:" on each form) heads no part of it.
    {
        const auto text_of = [&](const Found& f) -> std::string_view {
            return f.banner_text ? std::string_view(*f.banner_text) : trim(std::get<Paragraph>(blocks[f.block]).text);
        };
        // The texts sorted, each one's uses side by side: a document has
        // few headings, and no table of them is worth its making.
        std::vector<std::string_view> texts;
        for (const Found& f : found) {
            if (f.what == Found::What::Ranked) texts.push_back(text_of(f));
        }
        std::sort(texts.begin(), texts.end());
        const auto repeated = [&](std::string_view text) {
            const auto [first, last] = std::equal_range(texts.begin(), texts.end(), text);
            return static_cast<std::size_t>(last - first) >= MAX_REPEATS;
        };
        std::erase_if(found, [&](const Found& f) { return f.what == Found::What::Ranked && repeated(text_of(f)); });
    }
    // A heading heads what follows it: a line with nothing but headings after
    // it (an official's name under a notice, a section never written) is
    // none. Headings the writer marked (outline levels, "#") stay.
    {
        std::size_t last_content = blocks.size();  // the last block of the body that is no heading found
        std::size_t next_found = found.size();
        for (std::size_t i = blocks.size(); i-- > 0 && last_content == blocks.size();) {
            while (next_found > 0 && found[next_found - 1].block > i) --next_found;
            if (next_found > 0 && found[next_found - 1].block == i) continue;
            if (margin[i] || std::holds_alternative<NewPage>(blocks[i]) ||
                std::holds_alternative<HeaderFooter>(blocks[i]))
                continue;
            if (const auto* p = std::get_if<Paragraph>(&blocks[i]); p != nullptr && p->origin == Origin::Other)
                continue;
            last_content = i;
        }
        std::erase_if(found, [&](const Found& f) {
            return (f.what == Found::What::Ranked || f.what == Found::What::Title) &&
                   (last_content == blocks.size() || f.block > last_content);
        });
    }
    const bool titled =
        std::any_of(found.begin(), found.end(), [](const Found& f) { return f.what == Found::What::Title; });
    std::vector<Rank> open;  // the ranks open, outermost first
    // The level each rank last had: a kind met again after a stretch under
    // another parent goes back to it when the nesting allows.
    std::vector<std::pair<Rank, std::size_t>> known;
    for (Found& f : found) {
        std::size_t level = 1;
        switch (f.what) {
            case Found::What::Title: level = 1; break;
            case Found::What::Outline: level = f.depth + (titled ? 2 : 1); break;
            case Found::What::Hash: level = f.depth + (titled ? 1 : 0); break;
            case Found::What::Ranked: {
                const auto same = std::find(open.begin(), open.end(), f.rank);
                const auto before =
                    std::find_if(known.begin(), known.end(), [&](const auto& k) { return k.first == f.rank; });
                if (same != open.end()) {
                    open.erase(same + 1, open.end());
                } else if (before != known.end() && before->second >= 2 && before->second <= open.size() + 1) {
                    open.resize(before->second - 2);
                    open.push_back(f.rank);
                } else {
                    // Numbers nest by their parts: 2.2 stands above 2.1.1, and
                    // 3. above both.
                    const auto numbered = [](const Rank& r) {
                        return r.kind == Marker::Number || r.kind == Marker::Decimal;
                    };
                    if (numbered(f.rank)) {
                        while (!open.empty() && numbered(open.back()) && open.back().depth >= f.rank.depth)
                            open.pop_back();
                    }
                    open.push_back(f.rank);
                }
                level = open.size() + 1;
                if (before != known.end()) {
                    before->second = level;
                } else {
                    known.emplace_back(f.rank, level);
                }
                break;
            }
        }
        level = std::clamp<std::size_t>(level, 1, MAX_LEVEL);
        if (f.banner_text) {
            Paragraph heading(std::move(*f.banner_text));
            heading.origin = Origin::Body;
            heading.heading = static_cast<std::uint8_t>(level);
            blocks[f.block] = std::move(heading);
        } else {
            std::get<Paragraph>(blocks[f.block]).heading = static_cast<std::uint8_t>(level);
        }
    }
}

}  // namespace brindle
