// OWPML XML: names resolved by namespace URI whatever the prefix
// (declared on the root or further in, shadowed, or the default namespace),
// both generations of URIs, and what a part may not hold.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "owpml/xml.h"

namespace brindle::owpml {
namespace {

std::unique_ptr<XmlPart> parse(std::string_view text) {
    Result<std::unique_ptr<XmlPart>> part = XmlPart::parse(ByteBuffer(text.begin(), text.end()), "test.xml");
    if (!part) return nullptr;
    return std::move(part).value();
}

std::vector<std::string> names(Element e) {
    std::vector<std::string> out;
    for (Element child : e.children()) {
        out.push_back(std::string(child.ns() == Ns::Paragraph ? "hp:"
                                  : child.ns() == Ns::Other   ? "?:"
                                                              : "x:") +
                      std::string(child.local()));
    }
    return out;
}

TEST(HwpxXml, NamesAreResolvedByNamespaceNotPrefix) {
    const auto part = parse(
        R"(<s:sec xmlns:s="http://www.owpml.org/owpml/2024/section" xmlns:a="http://www.hancom.co.kr/hwpml/2011/paragraph">)"
        R"(<a:p/><b:p xmlns:b="http://www.hancom.co.kr/hwpml/2011/paragraph"/>)"
        R"(<a:p xmlns:a="urn:other"/><p xmlns="http://www.owpml.org/owpml/2024/paragraph"/><c:p/></s:sec>)");
    ASSERT_TRUE(part);
    const Element root = part->root();
    EXPECT_TRUE(root.is(Ns::Section, "sec"));
    // The shadowing declaration, the default namespace, and an undeclared prefix.
    EXPECT_EQ(names(root), (std::vector<std::string>{"hp:p", "hp:p", "?:p", "hp:p", "?:p"}));
}

TEST(HwpxXml, ChildrenPickedByLocalNameAreResolvedAsAnyOther) {
    // Unprefixed, in another namespace, a longer name, and the same name twice.
    const auto part =
        parse(R"(<a:tc xmlns:a="http://www.hancom.co.kr/hwpml/2011/paragraph"><a:cellSz/><a:subList n="1"/>)"
              R"(<subList n="2"/><b:cellSpan xmlns:b="urn:other" n="3"/><a:subListX/><a:cellSpan n="4"/>)"
              R"(<a:subList n="5"/></a:tc>)");
    ASSERT_TRUE(part);
    constexpr std::string_view NAMES[] = {"subList", "cellSpan"};
    std::vector<std::string> seen;
    part->root().each_child_named(NAMES, [&](std::size_t k, Element e) {
        seen.push_back(std::to_string(k) + (e.ns() == Ns::Paragraph ? "hp" : "?") + std::string(e.attribute("n")));
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"0hp1", "0?2", "1?3", "1hp4", "0hp5"}));
}

TEST(HwpxXml, UrisOfBothGenerations) {
    EXPECT_EQ(namespace_of("http://www.hancom.co.kr/hwpml/2011/paragraph"), Ns::Paragraph);
    EXPECT_EQ(namespace_of("http://www.hancom.co.kr/hwpml/2016/paragraph"), Ns::Paragraph);
    EXPECT_EQ(namespace_of("http://www.owpml.org/owpml/2024/head"), Ns::Head);
    EXPECT_EQ(namespace_of("http://www.hancom.co.kr/hwpml/2011/core"), Ns::Core);
    EXPECT_EQ(namespace_of("http://www.idpf.org/2007/opf/"), Ns::Opf);
    EXPECT_EQ(namespace_of("http://www.hancom.co.kr/hwpml/2011/history"), Ns::Other);
    EXPECT_EQ(namespace_of("http://example.com/hwpml/2011/paragraph"), Ns::Other);
}

TEST(HwpxXml, WhatAPartMayNotHold) {
    EXPECT_FALSE(parse(R"(<!DOCTYPE a [<!ENTITY x "y">]><a>&x;</a>)"));
    EXPECT_FALSE(parse("<a><b></a>"));
    EXPECT_FALSE(parse(""));
    // Predefined entities, character references and CDATA are text.
    const auto part = parse("<a b=\"&quot;1&quot;\">&lt;&#xAC00;<![CDATA[&x;]]></a>");
    ASSERT_TRUE(part);
    EXPECT_EQ(part->root().text(), "<\xEA\xB0\x80&x;");
    EXPECT_EQ(part->root().attribute("b"), "\"1\"");
    EXPECT_EQ(part->root().number("b", 7), 7u);
}

TEST(HwpxXml, DepthIsBounded) {
    std::string deep;
    for (std::size_t i = 0; i < MAX_XML_DEPTH + 10; ++i) deep += "<a>";
    for (std::size_t i = 0; i < MAX_XML_DEPTH + 10; ++i) deep += "</a>";
    const auto part = parse(deep);
    ASSERT_TRUE(part);
    std::size_t depth = 0;
    for (Element e = part->root(); e; ++depth) {
        Element next;
        for (Element child : e.children()) next = child;
        e = next;
    }
    EXPECT_EQ(depth, MAX_XML_DEPTH + 1);  // the root and MAX_XML_DEPTH levels below it
}

}  // namespace
}  // namespace brindle::owpml
