// The pictures a parsed document carries beside its Markdown. The body
// refers to a picture by the document's own key (the index of an HWP
// binary-data record, the id of an HWPX manifest item); the store reads
// each picture the first time it is shown, names it by what its bytes are,
// and links every later showing to the same file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "brindle/bytes.h"
#include "brindle/parsed_document.h"

namespace brindle {

// What a front end finds behind a key.
struct PictureData {
    enum class Kind : std::uint8_t { Missing, Embedded, Linked };
    Kind kind = Kind::Missing;
    std::string stem;  // Embedded: the document's name for it, without its extension
    ByteBuffer bytes;  // Embedded: as stored, inflated
    std::string path;  // Linked: where the picture is kept outside the document
};

// How an image block shows one picture: a link to its file, or (for a
// picture kept outside the document) the path it is linked to; both empty
// when the document does not hold it.
struct ShownPicture {
    std::string target;
    std::string linked_path;
};

// The extension that matches a picture's bytes ("png", "jpg", "gif",
// "bmp", "wmf", "emf", "tif", "webp"), or "bin" when they are of no kind
// known here.
std::string_view picture_extension(Bytes bytes);

// `stem` reduced to ASCII letters, digits, '-', '_' (one for each run of
// anything else) and inner '.', at most 64 bytes; "picture" when no letter
// or digit is left.
std::string safe_file_stem(std::string_view stem);

// Pictures one document may hand out in all: a document holding more
// keeps placeholders for the rest.
inline constexpr std::uint64_t MAX_DOCUMENT_PICTURE_BYTES = std::uint64_t{512} << 20;

class PictureStore {
public:
    explicit PictureStore(std::string prefix) : prefix_(std::move(prefix)) {}
    virtual ~PictureStore() = default;
    PictureStore(const PictureStore&) = delete;
    PictureStore& operator=(const PictureStore&) = delete;

    // The picture behind `key`, read the first time it is asked for.
    const ShownPicture& show(std::string_view key);

    // The files of every picture shown, in the order first shown.
    std::vector<PictureFile> take_files() { return std::move(files_); }

protected:
    virtual PictureData fetch(std::string_view key) = 0;

private:
    std::string prefix_;
    std::unordered_map<std::string, ShownPicture> shown_;
    std::unordered_set<std::string> names_;
    std::vector<PictureFile> files_;
    std::uint64_t bytes_ = 0;
};

}  // namespace brindle
