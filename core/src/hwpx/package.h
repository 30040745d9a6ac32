// An HWPX package: the ZIP archive recognised as one by its content, the
// parts its manifest names (the header, the sections in reading order) and
// the check that its parts are not encrypted.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "brindle/byte_source.h"
#include "brindle/parsed_document.h"
#include "brindle/result.h"
#include "document/zip_archive.h"
#include "owpml/xml.h"

namespace brindle::hwpx {

inline constexpr std::string_view HWPX_MIME_TYPE = "application/hwp+zip";
// The standard's name for the same package, which writers other than the
// word processor give it.
inline constexpr std::string_view OWPML_MIME_TYPE = "application/owpml";

// A manifest item: the part it names (resolved against the package) and
// whether the package says it holds it (a picture may be linked instead).
struct ManifestItem {
    std::string part;
    std::string href;  // as written
    std::string media_type;
    bool embedded = true;
};

// A part the spine puts in reading order that may hold a section: `named`
// when the package calls it one (an item "section<n>", a part
// ".../section<n>.xml"), so that damage to it is damage to the document.
struct SectionPart {
    std::string part;
    bool named = true;
};

struct Package {
    ZipArchive zip;
    std::string header;                                   // the header part's name; empty when there is none
    std::vector<SectionPart> sections;                    // in reading order
    std::vector<std::string> warnings;                    // what the manifest and spine get wrong
    std::unordered_map<std::string, ManifestItem> items;  // by id
    DocumentProperties properties;                        // the package file's metadata
};

// Open `source` as an HWPX package. A ZIP archive that is no HWPX document
// (another mimetype, neither mimetype nor manifest) is a Package error of
// cause NotAnHwpDocument; encrypted parts are PasswordProtected. The
// package file's metadata is read into `properties` only `with_properties`:
// a conversion to Markdown alone never shows it.
Result<Package> open_package(ByteSource source, bool with_properties = true);

// A part read and parsed; a missing, damaged or malformed part is an error
// (with `keep_broken`, one cut short is kept as owpml::XmlPart::parse keeps it).
Result<std::unique_ptr<owpml::XmlPart>> read_part(Package& package, std::string_view name, bool keep_broken = false);

}  // namespace brindle::hwpx
