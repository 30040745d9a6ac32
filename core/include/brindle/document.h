// Document access: the compound-file container, its "/FileHeader" and the
// body-section streams.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "brindle/byte_source.h"
#include "brindle/bytes.h"
#include "brindle/result.h"

namespace brindle {

// An open compound file (and the file beneath it). Move-only; closing
// happens when it is destroyed.
class CompoundFile {
public:
    CompoundFile(CompoundFile&&) noexcept;
    CompoundFile& operator=(CompoundFile&&) noexcept;
    ~CompoundFile();

    // Open a stream by absolute path ("/BodyText/Section0") and read it
    // whole: CompoundFile error if it is missing or not a stream, Io error
    // if reading fails.
    Result<ByteBuffer> read_stream(std::string_view path);

    // Whether `path` names a stream (no error when it does not).
    bool has_stream(std::string_view path);

    // The absolute path of every stream the directory reaches (storages
    // whose trees are damaged are passed over): for tests and tools.
    std::vector<std::string> stream_paths();

    struct Impl;

private:
    explicit CompoundFile(std::unique_ptr<Impl> impl);
    friend Result<CompoundFile> open_compound_file(ByteSource source);

    std::unique_ptr<Impl> impl_;
};

// Open a compound file: validate its header, read its allocation table and
// directory. Any failure is a CompoundFile error.
Result<CompoundFile> open_compound_file(ByteSource source);

// Open the file at `path` (UTF-8, used unchanged) as a compound file.
Result<CompoundFile> open_hwp_file(std::string_view path);

// What "/FileHeader" says of the document beyond its signature.
struct FileProperties {
    bool compressed = false;    // the sections are raw DEFLATE
    bool distribution = false;  // saved for distribution (see FILE_HEADER_DISTRIBUTION)
};

// Validate "/FileHeader" and return its properties.
Result<FileProperties> read_file_header(CompoundFile& file);

// The validation alone, over the bytes of a "/FileHeader" stream.
Result<FileProperties> parse_file_header(Bytes header);

// A container whose "/FileHeader" has been validated, with the flags telling
// whether its sections are compressed and whether it was saved for
// distribution: where every whole-document operation starts (open_hwp_file,
// then read_file_header).
struct OpenDocument {
    CompoundFile file;
    bool compressed = false;
    bool distribution = false;
};
Result<OpenDocument> open_document(ByteSource source);
Result<OpenDocument> open_document(std::string_view path);

// "/BodyText/Section{n}".
std::string section_stream_path(std::int32_t n);

// A section stream read whole, inflated when `compressed` (with
// inflate_raw_fast when `fast`).
Result<ByteBuffer> read_section_stream(CompoundFile& file, std::string_view path, bool compressed, bool fast = false);

// Raw DEFLATE (no zlib header) to bytes. Input that ends early yields
// what was decoded so far; malformed data is a Parse error.
Result<ByteBuffer> inflate_raw(Bytes compressed);

// The same through libdeflate where it can finish the stream (with zlib for
// the rest), for the full profile: about twice as fast, and identical on
// every stream zlib accepts whole. It also decodes streams zlib rejects
// (reserved symbols), so the exact profile, which gives zlib's answers on
// damaged data, never uses it.
Result<ByteBuffer> inflate_raw_fast(Bytes compressed);

// Raw DEFLATE that must inflate to exactly `size` bytes and end there, as a
// ZIP entry declares: anything else is a Parse error. The output is never
// larger than `size`, so a bomb cannot grow it.
Result<ByteBuffer> inflate_exact(Bytes compressed, std::size_t size);

// inflate_exact by a decoder kept for the entries of one archive: its setup
// costs as much as inflating a small part, and is paid once.
class ExactInflater {
public:
    ExactInflater();
    ExactInflater(ExactInflater&&) noexcept;
    ExactInflater& operator=(ExactInflater&&) noexcept;
    ~ExactInflater();

    Result<ByteBuffer> inflate(Bytes compressed, std::size_t size);

private:
    struct Decoder;
    std::unique_ptr<Decoder> decoder_;  // made for the first stream
};

// The CRC-32 (ISO 3309, as ZIP uses it) of `bytes`.
std::uint32_t crc32_of(Bytes bytes);

}  // namespace brindle
