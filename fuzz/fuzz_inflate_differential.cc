// zlib-ng against zlib on arbitrary raw-deflate input: the same answer at
// every call (status, input consumed, output produced), the same bytes and
// the same message, for each way our readers hand out room. Any difference
// traps: the exact profile's verdicts must be zlib's.
#include <cstdio>

#include "inflate_trace.h"

namespace {

void compare(std::span<const std::uint8_t> in, brindle::fuzz::Schedule schedule, std::size_t declared) {
    const brindle::fuzz::InflateTrace zlib = brindle::fuzz::trace_zlib(in, schedule, declared);
    const brindle::fuzz::InflateTrace zlib_ng = brindle::fuzz::trace_zlib_ng(in, schedule, declared);
    if (zlib == zlib_ng) return;
    std::fprintf(stderr,
                 "schedule %d, declared %zu: zlib %zu calls, %zu bytes, '%s'; zlib-ng %zu calls, %zu bytes, '%s'\n",
                 static_cast<int>(schedule), declared, zlib.steps.size(), zlib.output.size(), zlib.message.c_str(),
                 zlib_ng.steps.size(), zlib_ng.output.size(), zlib_ng.message.c_str());
    __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using brindle::fuzz::Schedule;
    const std::span<const std::uint8_t> in(data, size);
    const brindle::fuzz::InflateTrace reference = brindle::fuzz::trace_zlib(in, Schedule::growing, 0);
    compare(in, Schedule::growing, 0);
    // The ZIP reader's declared size: right, one short, one over.
    const std::size_t inflated = reference.output.size();
    for (const std::size_t declared : {inflated, inflated - (inflated > 0), inflated + 1}) {
        compare(in, Schedule::exact, declared);
    }
    if (size <= 64 << 10 && inflated <= 1 << 20) compare(in, Schedule::trickle, 0);
    return 0;
}
