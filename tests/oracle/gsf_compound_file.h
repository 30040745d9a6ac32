// The libgsf-based compound-file reader, for tests and benchmarks only.
#pragma once

#include <memory>
#include <string_view>

#include "brindle/bytes.h"
#include "brindle/result.h"

namespace brindle::oracle {

class GsfCompoundFile {
public:
    // Open the file at `path`: Io error when the file cannot be opened,
    // CompoundFile error (libgsf's description) when libgsf refuses it.
    static Result<GsfCompoundFile> open(std::string_view path);

    GsfCompoundFile(GsfCompoundFile&&) noexcept;
    GsfCompoundFile& operator=(GsfCompoundFile&&) noexcept;
    ~GsfCompoundFile();

    // A stream by absolute path, read whole.
    Result<ByteBuffer> read_stream(std::string_view path);

    struct Impl;

private:
    explicit GsfCompoundFile(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace brindle::oracle
