#include "hwpml/bin_data.h"

#include <array>
#include <charconv>
#include <cstdio>

#include "brindle/limits.h"
#include "document/inflate.h"
#include "hwpml/translate.h"

namespace brindle::hwpml {
namespace {

constexpr std::array<std::int8_t, 256> base64_values() {
    std::array<std::int8_t, 256> values{};
    values.fill(-1);
    constexpr std::string_view ALPHABET = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t i = 0; i < ALPHABET.size(); ++i)
        values[static_cast<unsigned char>(ALPHABET[i])] = static_cast<std::int8_t>(i);
    return values;
}
constexpr std::array<std::int8_t, 256> BASE64 = base64_values();

}  // namespace

std::optional<ByteBuffer> decode_base64(std::string_view text, std::size_t most) {
    if (text.size() / 4 * 3 > most + most / 2 + 64) return std::nullopt;  // far past the bound, however spaced
    ByteBuffer out;
    out.reserve(text.size() / 4 * 3);
    std::uint32_t bits = 0;
    int count = 0;
    bool ended = false;
    for (const char c : text) {
        if (c == ' ' || c == '\n' || c == '\r' || c == '\t') continue;
        if (c == '=') {
            ended = true;
            continue;
        }
        const std::int8_t value = BASE64[static_cast<unsigned char>(c)];
        if (value < 0 || ended) return std::nullopt;
        bits = bits << 6 | static_cast<std::uint32_t>(value);
        if (++count == 4) {
            out.push_back(static_cast<std::uint8_t>(bits >> 16));
            out.push_back(static_cast<std::uint8_t>(bits >> 8));
            out.push_back(static_cast<std::uint8_t>(bits));
            bits = 0;
            count = 0;
        }
    }
    if (count == 1) return std::nullopt;
    if (count >= 2) out.push_back(static_cast<std::uint8_t>(bits >> (count == 2 ? 4 : 10)));
    if (count == 3) out.push_back(static_cast<std::uint8_t>(bits >> 2));
    if (out.size() > most) return std::nullopt;
    return out;
}

PictureData HwpmlPictureStore::fetch(std::string_view key) {
    PictureData data;
    std::uint32_t number = 0;
    const auto [end, error] = std::from_chars(key.data(), key.data() + key.size(), number);
    if (error != std::errc() || end != key.data() + key.size() || number == 0 ||
        number > definitions_.binary_items.size()) {
        return data;
    }
    const BinaryItem& item = definitions_.binary_items[number - 1];
    if (item.kind == BinaryItem::Kind::Link) {
        if (!item.path.empty()) {
            data.kind = PictureData::Kind::Linked;
            data.path = item.path;
        }
        return data;
    }
    if (!stored_) {
        stored_.emplace();
        const owpml::Element storage = tail_ ? tail_.child(TRANSLATED, "BINDATASTORAGE") : owpml::Element();
        if (storage) {
            for (owpml::Element stored : storage.children()) {
                if (stored.is(TRANSLATED, "BINDATA")) stored_->emplace(stored.number("Id"), stored);
            }
        }
    }
    const auto found = stored_->find(item.storage_id);
    if (found == stored_->end()) return data;
    const owpml::Element stored = found->second;
    if (!stored.attribute("Encoding").empty() && stored.attribute("Encoding") != "Base64") return data;
    // The text is one node, or a few where a writer split it.
    std::string text;
    std::optional<ByteBuffer> bytes;
    stored.each_node([&](std::string_view t) { text += t; }, [](const owpml::Element&) {});
    bytes = decode_base64(text, MAX_SECTION_SIZE);
    if (!bytes) return data;
    if (stored.attribute("Compress") == "true") {
        try {
            Result<ByteBuffer> inflated = inflate_raw(*bytes);
            if (!inflated) return data;
            bytes = std::move(inflated).value();
        } catch (const LimitExceeded&) {
            return data;  // a picture that inflates past the bound is no picture of ours
        }
    }
    char stem[16];
    std::snprintf(stem, sizeof stem, "BIN%04X", static_cast<unsigned>(item.storage_id));
    data.stem = stem;
    data.bytes = std::move(*bytes);
    data.kind = PictureData::Kind::Embedded;
    return data;
}

}  // namespace brindle::hwpml
