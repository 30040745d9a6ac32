// The ZIP reader alone: arbitrary bytes opened as an archive and every
// entry it lists read (inflated, CRC-checked) from memory.
#include "brindle/byte_source.h"
#include "brindle/limits.h"
#include "document/zip_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        brindle::Result<brindle::ZipArchive> archive =
            brindle::ZipArchive::open(brindle::ByteSource::view(brindle::Bytes(data, size)));
        if (!archive) return 0;
        for (const brindle::ZipArchive::Entry& entry : archive.value().entries()) {
            brindle::Result<brindle::ByteBuffer> bytes = archive.value().read(entry);
            if (bytes && bytes.value().size() != entry.size) __builtin_trap();
            (void)archive.value().find(entry.name);
        }
    } catch (const brindle::LimitExceeded&) {
    }
    return 0;
}
