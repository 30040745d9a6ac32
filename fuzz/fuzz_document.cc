// The whole path from a compound file's bytes: container, header, section
// streams, inflate, walk and assembly. The bytes are written to a file in
// memory (memfd) because documents are opened by path.
#include <sys/mman.h>
#include <unistd.h>

#include <string>

#include "brindle/convert.h"
#include "brindle/limits.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const int fd = memfd_create("fuzz_document", 0);
    if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) {
        __builtin_trap();
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    try {
        brindle::Result<std::string> markdown = brindle::convert_document(path);
        if (markdown.ok()) brindle::fuzz::require_utf8(markdown.value());
        brindle::Result<std::vector<brindle::RecordInfo>> listing = brindle::list_section_records(path);
        (void)listing.ok();
    } catch (const brindle::LimitExceeded&) {
    }
    return 0;
}
