// The compound-file reader alone: open the bytes as a container and read
// every stream its directory reaches, plus the paths a conversion asks
// for. Every failure must be a CompoundFile or Io error, and no stream can
// be larger than the container holding it.
#include <string>

#include "document/compound_file.h"
#include "hwp/file_header.h"
#include "hwp/section_stream.h"

namespace {

void check(const brindle::Result<brindle::ByteBuffer>& stream, std::size_t size) {
    if (stream.ok()) {
        if (stream.value().size() > size) __builtin_trap();
        return;
    }
    const auto kind = const_cast<brindle::Result<brindle::ByteBuffer>&>(stream).error().kind();
    if (kind != brindle::HwpError::Kind::CompoundFile && kind != brindle::HwpError::Kind::Io) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    brindle::Result<brindle::CompoundFile> file = brindle::open_compound_file(brindle::ByteSource::view({data, size}));
    if (!file) {
        if (file.error().kind() != brindle::HwpError::Kind::CompoundFile) __builtin_trap();
        return 0;
    }
    for (const std::string& path : file.value().stream_paths()) check(file.value().read_stream(path), size);
    for (const char* path : {"/FileHeader", "/BodyText/Section0", "/BodyText/Section1", "/DocInfo", "/", "//x/"}) {
        check(file.value().read_stream(path), size);
    }
    return 0;
}
