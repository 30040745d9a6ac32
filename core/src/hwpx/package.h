// An HWPX package: the ZIP archive recognised as one by its content, the
// parts its manifest names (the header, the sections in reading order) and
// the check that its parts are not encrypted.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "brindle/byte_source.h"
#include "brindle/properties.h"
#include "brindle/result.h"
#include "brindle/zip_archive.h"
#include "xml.h"

namespace brindle::hwpx {

inline constexpr std::string_view HWPX_MIME_TYPE = "application/hwp+zip";

// A manifest item: the part it names (resolved against the package) and
// whether the package says it holds it (a picture may be linked instead).
struct ManifestItem {
    std::string part;
    std::string href;  // as written
    bool embedded = true;
};

struct Package {
    ZipArchive zip;
    std::string header;                 // the header part's name; empty when there is none
    std::vector<std::string> sections;  // the section parts, in reading order
    std::unordered_map<std::string, ManifestItem> items;  // by id
    DocumentProperties properties;      // the package file's metadata
};

// Open `source` as an HWPX package. A ZIP archive that is no HWPX document
// (another mimetype, neither mimetype nor manifest) is a Package error of
// cause NotAnHwpDocument; encrypted parts are PasswordProtected.
Result<Package> open_package(ByteSource source);

// A part read and parsed; a missing, damaged or malformed part is an error.
Result<std::unique_ptr<XmlPart>> read_part(Package& package, std::string_view name);

}  // namespace brindle::hwpx
