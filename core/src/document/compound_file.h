// A compound file (MS-CFB) read from a ByteSource: its header, allocation
// tables and directory checked when it is opened, and streams read whole by
// their absolute path.
#pragma once

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

}  // namespace brindle
