// Escaping of the document's text for the full profile: what a CommonMark
// (GFM) renderer would read as syntax gets a backslash, and nothing else
// does; link targets from '%hlk' commands and their destinations.
#include <gtest/gtest.h>

#include <string>

#include "hwp/format.h"
#include "hwp/paragraph_controls.h"
#include "model/markdown_escape.h"
#include "test_support.h"

namespace brindle {
namespace {

using test::ByteWriter;

TEST(AppendMarkdownText, InlineSyntaxOnly) {
    const EscapeRules body, tildes{.tildes = true}, pipes{.pipes = true}, link{.link = true};
    // clang-format off
    const struct {
        const char* text;
        EscapeRules rules;
        const char* out;
    } cases[] = {
        {"a\nb", body, "a\nb"}, {"a\nb", {TextContext::Heading}, "a b"}, {"a\nb", {TextContext::Cell}, "a\nb"},
        {"\\ ` *", body, "\\\\ \\` \\*"},
        {"snake_case 한_글 _a a_ (a_)", body, "snake_case 한_글 \\_a a\\_ (a\\_)"},
        {"a_", {.after = 'b'}, "a_"}, {"a_", {.after = UNKNOWN_NEXT}, "a\\_"},
        {"~ a", body, "~ a"}, {"~a~", tildes, "\\~a\\~"}, {"a|b", body, "a|b"}, {"a|b", pipes, "a\\|b"},
        {"<b> </a> <!-- <? < b a<1", body, "\\<b> \\</a> \\<!-- \\<? < b a<1"},
        {"&amp; &#123; AT&T &amp & b", body, "\\&amp; \\&#123; AT&T &amp & b"},
        {"[^1] [a] [a](b) [a][b] [a]: ![a] wow! C# :)", body, "\\[^1] [a] [a\\](b) [a\\][b] [a\\]: \\![a] wow! C# :)"},
        {"[x] !", link, "\\[x\\] !"},
        {"a]", {.after = '('}, "a\\]"}, {"a!", {.after = '['}, "a\\!"}, {"a[", {.after = UNKNOWN_NEXT}, "a\\["},
    };
    // clang-format on
    for (const auto& c : cases) {
        std::string out = "x";
        append_markdown_text(out, c.text, c.rules);
        EXPECT_EQ(out, std::string("x") + c.out) << c.text;
    }
}

TEST(AppendMarkdownText, SyntaxIsFoundAtEveryPlaceOfALongText) {
    // The scan takes the bytes eight at a time: a "*" at any place before,
    // inside or after such a group is escaped, and only there.
    for (std::size_t k = 0; k < 20; ++k) {
        std::string text(20, 'a');
        text[k] = '*';
        std::string out;
        append_markdown_text(out, text, EscapeRules{});
        EXPECT_EQ(out, text.substr(0, k) + "\\" + text.substr(k)) << k;
    }
}

TEST(AppendMarkdownText, SyntaxIsFoundAmongHangulAtEveryPlace) {
    // Bytes of Hangul and spaces are passed sixteen at a time, the text's last
    // bytes in a group that overlaps the one before: a "*" at any
    // place, and a "`" after it, near or far, are escaped, and only there.
    std::string text;
    for (int k = 0; k < 8; ++k) text += k % 3 == 2 ? "a " : "한글 ";
    for (std::size_t first = 0; first <= text.size(); ++first) {
        if (first < text.size() && (static_cast<unsigned char>(text[first]) & 0xC0) == 0x80) continue;
        for (const std::size_t gap : {std::size_t{0}, std::size_t{1}, std::size_t{7}, std::size_t{16}}) {
            std::string marked = text;
            marked.insert(first, "*");
            std::string expected = text;
            expected.insert(first, "\\*");
            std::size_t second = first + 1 + gap;
            while (second < marked.size() && (static_cast<unsigned char>(marked[second]) & 0xC0) == 0x80) ++second;
            if (second <= marked.size()) {
                marked.insert(second, "`");
                expected.insert(second + 1, "\\`");
            }
            std::string out;
            append_markdown_text(out, marked, EscapeRules{});
            EXPECT_EQ(out, expected) << first << " " << gap;
        }
    }
}

TEST(AppendMarkdownText, InertTextIsWrittenAsItIs) {
    // A text is inert only without any byte that escaping or a line
    // break could touch, wherever that byte stands; an inert one is its
    // own escaping by every rule.
    const std::string plain = "제1조(목적) 이 법은 3.5%, a-b: c/d 를 정한다.";
    EXPECT_TRUE(is_inert_markdown_text(plain));
    EXPECT_TRUE(is_inert_markdown_text(""));
    for (const EscapeRules rules : {EscapeRules{}, EscapeRules{TextContext::Cell, true, true, true, UNKNOWN_NEXT}}) {
        std::string out;
        append_markdown_text(out, plain, rules);
        EXPECT_EQ(out, plain);
    }
    for (const char c : std::string_view("\n\\`*_~|<&[]!")) {
        EXPECT_FALSE(is_inert_markdown_text(std::string(1, c))) << c;
        for (const std::size_t at : {std::size_t{0}, std::size_t{7}, std::size_t{16}, plain.size()}) {
            std::string text = plain;
            text.insert(at, 1, c);
            EXPECT_FALSE(is_inert_markdown_text(text)) << c << " at " << at;
        }
    }
}

TEST(EscapeLineStarts, BlockOpenersOnEveryLineAndClosingHashes) {
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"# a", "\\# a"}, {"> a", "\\> a"}, {"- a", "\\- a"}, {"+ a", "\\+ a"}, {"===", "\\==="},
        {"  - a", "  \\- a"}, {"a # b - c", "a # b - c"}, {"1. a", "1\\. a"}, {"1) a", "1\\) a"}, {"12.", "12\\."},
        {"1.5 a", "1.5 a"}, {"1.a", "1.a"}, {"123456789. a", "123456789\\. a"},  // nine digits at most
        {"1234567890. a", "1234567890. a"}, {"12345678901. a", "12345678901. a"},
        {"[^1]: a", "[^1]\\: a"}, {"[^1] a", "[^1] a"}, {"a\n# b\n\n1. c\n", "a\n\\# b\n\n1\\. c\n"}, {"", ""},
    };
    // clang-format on
    for (const auto& [text, out] : cases) EXPECT_EQ(escape_line_starts(text), out) << text;
    std::string later = "# a\n# b";
    escape_line_starts(later, 4);
    EXPECT_EQ(later, "# a\n\\# b");

    const std::pair<std::string, const char*> headings[] = {
        {"Title #", "Title \\#"}, {"a\t##", "a\t\\##"}, {"#", "\\#"}, {"C#", "C#"}, {"a # b", "a # b"}, {"", ""},
    };
    for (auto [heading, out] : headings) {
        escape_heading_end(heading);
        EXPECT_EQ(heading, out);
    }
}

TEST(HyperlinkTarget, CommandToDestination) {
    // '%hlk' header: id, attributes, one byte, the command's length in units, the command.
    const auto target = [](std::u16string_view command, std::size_t declared) {
        const auto units = static_cast<std::uint16_t>(declared);
        return read_link_target(ByteWriter().u32(CTRL_HYPERLINK).u32(0).u8(0).u16(units).utf16(command).take());
    };
    EXPECT_EQ(target(u"http\\://a.com;1;0;0;", 20), "http://a.com");
    EXPECT_EQ(target(u"a\\;b;1;", 7), "a;b");
    EXPECT_EQ(target(u"ends\\", 5), "ends\\");
    EXPECT_EQ(target(u"a\xD800;", 3), "");  // an unpaired surrogate: no target
    EXPECT_EQ(target(u"abc;", 2), "ab");    // only the declared units...
    EXPECT_EQ(target(u"abc", 40), "abc");   // ... that are there

    // clang-format off
    const std::pair<const char*, const char*> destinations[] = {
        {"http://a.com/?q=1&r=2", "http://a.com/?q=1&r=2"}, {"f(x)\\y", "f\\(x\\)\\\\y"},
        {"a b", "<a b>"}, {"a(b c)\\", "<a(b c)\\\\>"}, {"a<b", "<a\\<b>"},
        {"a\tb\x7f", "a%09b%7F"}, {"a b\n", "<a b%0A>"},  // no line may break it
    };
    // clang-format on
    for (const auto& [link, out] : destinations) {
        std::string destination;
        append_link_destination(destination, link);
        EXPECT_EQ(destination, out) << link;
    }
}

}  // namespace
}  // namespace brindle
