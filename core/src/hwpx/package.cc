// Recognising an HWPX package and finding its parts. The package follows
// OCF: "mimetype" says what it is, META-INF/container.xml names the package
// file (Contents/content.hpf), whose manifest lists the parts and whose
// spine orders them; META-INF/manifest.xml says which parts are encrypted.
#include "hwpx/package.h"
#include "model/properties.h"

#include <algorithm>
#include <unordered_map>

#include "text.h"

namespace brindle::hwpx {

using owpml::Element;
using owpml::Ns;
using owpml::XmlPart;

namespace {

constexpr std::string_view MIMETYPE_PART = "mimetype";
constexpr std::string_view CONTAINER_PART = "META-INF/container.xml";
constexpr std::string_view ENCRYPTION_PART = "META-INF/manifest.xml";
constexpr std::string_view DEFAULT_PACKAGE_FILE = "Contents/content.hpf";
constexpr std::string_view PACKAGE_MEDIA_TYPE = "application/hwpml-package+xml";
constexpr std::string_view DEFAULT_HEADER = "Contents/header.xml";
// Sections a package without a usable manifest is read by: section0,
// section1, ... until one is missing.
constexpr std::string_view SECTION_PREFIX = "Contents/section";

std::string describe_other_zip(const ZipArchive& zip) {
    if (zip.find("[Content_Types].xml") != nullptr) {
        return "an Office Open XML package (such as .docx, .xlsx or .pptx), not an HWPX document";
    }
    return "a ZIP archive that holds neither an HWPX mimetype nor an HWPX manifest";
}

// The name of the package file: Contents/content.hpf, where every writer
// puts it, or else the one the container lists.
std::string package_file(Package& package) {
    if (package.zip.find(DEFAULT_PACKAGE_FILE) != nullptr) return std::string(DEFAULT_PACKAGE_FILE);
    const ZipArchive::Entry* entry = package.zip.find(CONTAINER_PART);
    if (entry == nullptr) return std::string(DEFAULT_PACKAGE_FILE);
    Result<std::unique_ptr<XmlPart>> container = read_part(package, CONTAINER_PART);
    if (!container) return std::string(DEFAULT_PACKAGE_FILE);
    std::string found;
    // container > rootfiles > rootfile (the container's namespace is not one
    // the walk names, so elements are matched by local name here).
    for (Element rootfiles : container.value()->root().children()) {
        if (rootfiles.local() != "rootfiles") continue;
        for (Element rootfile : rootfiles.children()) {
            if (rootfile.local() != "rootfile") continue;
            if (rootfile.attribute("media-type") == PACKAGE_MEDIA_TYPE && found.empty()) {
                found = std::string(rootfile.attribute("full-path"));
            }
        }
    }
    return found.empty() || package.zip.find(found) == nullptr ? std::string(DEFAULT_PACKAGE_FILE) : found;
}

// A manifest item's href as the name of a part: relative to the package's
// root, as the word processor writes them, or else to the package file's
// folder, as OPF defines them.
std::string resolve(const ZipArchive& zip, std::string_view href, std::string_view package_file) {
    if (zip.find(href) != nullptr) return std::string(href);
    const std::size_t slash = package_file.rfind('/');
    if (slash != std::string_view::npos) {
        std::string relative = std::string(package_file.substr(0, slash + 1)) + std::string(href);
        if (zip.find(relative) != nullptr) return relative;
    }
    return std::string(href);  // missing: reading it will say so
}

// The properties of the package file's metadata: dc-like elements
// (opf:title) and opf:meta elements named by their "name".
void read_metadata(Element metadata, DocumentProperties& properties) {
    struct Named {
        std::string_view name;
        std::string_view key;
        bool date;
    };
    static constexpr Named NAMED[] = {
        {"title", property::TITLE, false},          {"subject", property::SUBJECT, false},
        {"creator", property::AUTHOR, false},       {"keyword", property::KEYWORDS, false},
        {"description", property::COMMENTS, false}, {"lastsaveby", property::LAST_SAVED_BY, false},
        {"CreatedDate", property::CREATED, true},   {"ModifiedDate", property::MODIFIED, true},
    };
    for (Element field : metadata.children()) {
        const std::string_view name = field.local() == "meta" ? field.attribute("name") : field.local();
        for (const Named& named : NAMED) {
            if (name != named.name) continue;
            const std::string text = field.text();
            if (!named.date) {
                properties.set(named.key, text);
            } else if (auto date = normalize_date(text)) {
                properties.set(named.key, *date);
            }
        }
    }
}

// Whether a manifest item's media type is XML's; an item that gives none
// may be.
bool xml_media_type(std::string_view type) { return type.empty() || type.find("xml") != std::string_view::npos; }

// "section<digits>", optionally followed by ".xml": what writers call a
// section's item and its part.
bool numbered_section(std::string_view name) {
    if (name.ends_with(".xml")) name.remove_suffix(4);
    if (!name.starts_with("section") || name.size() == 7) return false;
    return std::all_of(name.begin() + 7, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string_view base_name(std::string_view part) {
    const std::size_t slash = part.rfind('/');
    return slash == std::string_view::npos ? part : part.substr(slash + 1);
}

// The header and the sections from the package file's manifest and spine.
bool read_manifest(Package& package, const std::string& file, bool with_properties) {
    if (package.zip.find(file) == nullptr) return false;
    Result<std::unique_ptr<XmlPart>> opf = read_part(package, file);
    if (!opf) return false;
    std::unordered_map<std::string, ManifestItem>& items = package.items;
    std::vector<std::string> spine;
    for (Element block : opf.value()->root().children()) {
        if (block.is(Ns::Opf, "metadata")) {
            if (with_properties) read_metadata(block, package.properties);
        } else if (block.is(Ns::Opf, "manifest")) {
            for (Element item : block.children()) {
                if (!item.is(Ns::Opf, "item")) continue;
                const std::string_view href = item.attribute("href");
                std::string part = resolve(package.zip, href, file);
                const std::string id(item.attribute("id"));
                if (id == "header" || (package.header.empty() && part.ends_with("header.xml"))) package.header = part;
                items.emplace(id, ManifestItem{std::move(part), std::string(href),
                                               std::string(item.attribute("media-type")),
                                               item.attribute("isEmbeded") != "0"});
            }
        } else if (block.is(Ns::Opf, "spine")) {
            for (Element ref : block.children()) {
                if (ref.is(Ns::Opf, "itemref")) spine.emplace_back(ref.attribute("idref"));
            }
        }
    }
    // Every spine entry whatever its "linear" says; the header and the
    // parts that are no XML (scripts) hold no section.
    for (const std::string& id : spine) {
        const auto it = items.find(id);
        if (it == items.end()) {
            package.warnings.push_back(file + ": the spine names item '" + id + "', which the manifest does not list");
            continue;
        }
        const ManifestItem& item = it->second;
        if (item.part == package.header || !xml_media_type(item.media_type)) continue;
        package.sections.push_back(
            SectionPart{item.part, numbered_section(id) || numbered_section(base_name(item.part))});
    }
    return !spine.empty();
}

// Whether META-INF/manifest.xml marks any part as encrypted. A manifest in
// UTF-8 that never names the element marks none, and is not parsed.
bool encrypted(Package& package) {
    constexpr std::string_view ENCRYPTION_DATA = "encryption-data";
    const ZipArchive::Entry* part = package.zip.find(ENCRYPTION_PART);
    if (part == nullptr) return false;
    Result<ByteBuffer> bytes = package.zip.read(*part);
    if (!bytes) return false;
    const ByteBuffer& b = bytes.value();
    const bool utf8 = b.size() >= 2 && b[0] != 0 && b[1] != 0 && b[0] != 0xFF && b[0] != 0xFE;
    const std::string_view text(reinterpret_cast<const char*>(b.data()), b.size());
    if (utf8 && text.find(ENCRYPTION_DATA) == std::string_view::npos) return false;
    Result<std::unique_ptr<XmlPart>> manifest = XmlPart::parse(std::move(bytes).value(), ENCRYPTION_PART);
    if (!manifest) return false;
    for (Element entry : manifest.value()->root().children()) {
        for (Element data : entry.children()) {
            if (data.is(Ns::Manifest, ENCRYPTION_DATA)) return true;
        }
    }
    return false;
}

}  // namespace

Result<std::unique_ptr<XmlPart>> read_part(Package& package, std::string_view name, bool keep_broken) {
    const ZipArchive::Entry* entry = package.zip.find(name);
    if (entry == nullptr) return HwpError::package("the package has no part '" + std::string(name) + "'");
    Result<ByteBuffer> bytes = package.zip.read(*entry);
    if (!bytes) return std::move(bytes).error();
    return XmlPart::parse(std::move(bytes).value(), name, keep_broken);
}

Result<Package> open_package(ByteSource source, bool with_properties) {
    Result<ZipArchive> zip = ZipArchive::open(std::move(source));
    if (!zip) return std::move(zip).error();
    Package package{std::move(zip).value(), {}, {}, {}, {}, {}};

    // The mimetype decides; without one, the manifest where HWPX keeps it.
    if (const ZipArchive::Entry* mimetype = package.zip.find(MIMETYPE_PART)) {
        Result<ByteBuffer> bytes = package.zip.read(*mimetype);
        if (!bytes) return std::move(bytes).error();
        const std::string_view text(reinterpret_cast<const char*>(bytes.value().data()), bytes.value().size());
        const std::string_view type = trim(text);
        if (type != HWPX_MIME_TYPE && type != OWPML_MIME_TYPE) {
            std::string shown(type.substr(0, 80));
            std::replace_if(
                shown.begin(), shown.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, ' ');
            return HwpError::package("a ZIP package of type '" + shown + "'", HwpError::Cause::NotAnHwpDocument);
        }
    } else if (package.zip.find(DEFAULT_PACKAGE_FILE) == nullptr) {
        return HwpError::package(describe_other_zip(package.zip), HwpError::Cause::NotAnHwpDocument);
    }
    if (encrypted(package)) return HwpError::password_protected_package();

    if (!read_manifest(package, package_file(package), with_properties)) {
        // No usable manifest: the parts by the names every writer gives them.
        package.header = std::string(DEFAULT_HEADER);
        package.sections.clear();
        for (std::size_t n = 0;; ++n) {
            std::string name = std::string(SECTION_PREFIX) + std::to_string(n) + ".xml";
            if (package.zip.find(name) == nullptr) break;
            package.sections.push_back(SectionPart{std::move(name), true});
        }
    }
    if (package.zip.find(package.header) == nullptr) package.header.clear();
    return package;
}

}  // namespace brindle::hwpx
