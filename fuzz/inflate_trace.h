// One raw-deflate stream driven through an inflater the way our reader
// drives it, recording every answer, so that two inflaters that share
// zlib's API can be compared call by call. The driver is a template over
// the API so that zlib and zlib-ng, whose headers cannot meet in one
// translation unit, each get it in a file of their own.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace brindle::fuzz {

// How output room and input are handed out.
enum class Schedule {
    growing,  // all input; room from 8x the input, doubled when used (inflate_raw)
    exact,    // all input; room of a declared size, then one spare byte (inflate_exact)
    trickle,  // input and room in small steps without Z_FINISH (window upkeep)
};

struct InflateStep {
    int status;
    std::size_t total_in;
    std::size_t total_out;
    bool operator==(const InflateStep&) const = default;
};

struct InflateTrace {
    bool initialised = false;
    std::vector<InflateStep> steps;
    std::vector<std::uint8_t> output;
    std::string message;  // the stream's msg after the last call
    bool operator==(const InflateTrace&) const = default;
};

// Output beyond this is not compared (a bomb would only cost time).
inline constexpr std::size_t TRACE_OUTPUT_CAP = std::size_t{16} << 20;

InflateTrace trace_zlib(std::span<const std::uint8_t> in, Schedule schedule, std::size_t declared);
InflateTrace trace_zlib_ng(std::span<const std::uint8_t> in, Schedule schedule, std::size_t declared);

// Api: Stream, init(Stream*), inflate(Stream*, flush), end(Stream*),
// and the constants finish, no_flush, ok, stream_end, buf_error.
template <class Api>
InflateTrace run_trace(std::span<const std::uint8_t> in, Schedule schedule, std::size_t declared) {
    InflateTrace trace;
    typename Api::Stream z{};
    if (Api::init(&z) != Api::ok) return trace;
    trace.initialised = true;
    std::vector<std::uint8_t>& out = trace.output;
    const std::size_t start = std::clamp<std::size_t>(in.size() * 8, 4096, TRACE_OUTPUT_CAP);
    out.resize(schedule == Schedule::exact ? std::min(declared, TRACE_OUTPUT_CAP) + 1 : start);
    // Steps of the trickle: sizes that straddle the inflaters' fast-path
    // thresholds (a few bytes of input, under 258 bytes of room).
    const std::size_t in_step = 1 + in.size() % 13, out_step = 1 + in.size() % 301;
    std::size_t given_in = schedule == Schedule::trickle ? 0 : in.size();
    std::size_t room = schedule == Schedule::exact ? std::min(declared, TRACE_OUTPUT_CAP) : out.size();
    if (schedule == Schedule::trickle) room = 0;
    z.next_in = const_cast<std::uint8_t*>(in.data());
    z.avail_in = static_cast<unsigned>(given_in);
    z.next_out = out.data();
    z.avail_out = static_cast<unsigned>(room);
    for (int calls = 0; calls < 1 << 20; ++calls) {
        if (schedule == Schedule::trickle) {
            const std::size_t more_in = std::min(in_step, in.size() - given_in);
            z.avail_in += static_cast<unsigned>(more_in);
            given_in += more_in;
            const std::size_t more_out = std::min(out_step, out.size() - room);
            z.avail_out += static_cast<unsigned>(more_out);
            room += more_out;
        } else if (schedule == Schedule::exact && z.avail_out == 0 && room < out.size()) {
            z.avail_out = 1;  // the spare byte, which a stream that runs on fills
            room = out.size();
        }
        const int status = Api::inflate(&z, schedule == Schedule::trickle ? Api::no_flush : Api::finish);
        trace.steps.push_back({status, static_cast<std::size_t>(z.total_in), static_cast<std::size_t>(z.total_out)});
        if (status != Api::ok && status != Api::buf_error) break;  // the end, or a verdict
        const bool input_spent = z.avail_in == 0 && given_in == in.size();
        if (z.avail_out != 0 && input_spent) break;  // cut short
        if (z.avail_out == 0 && room == out.size()) {
            if (schedule == Schedule::exact || out.size() >= TRACE_OUTPUT_CAP) break;
            // Doubling moves the buffer: point into the new one. The trickle
            // hands the new room out step by step.
            const std::size_t produced = out.size();
            out.resize(std::min(out.size() * 2, TRACE_OUTPUT_CAP));
            z.next_out = out.data() + produced;
            if (schedule == Schedule::growing) {
                z.avail_out = static_cast<unsigned>(out.size() - produced);
                room = out.size();
            }
        }
    }
    out.resize(static_cast<std::size_t>(z.total_out));
    if (z.msg != nullptr) trace.message = z.msg;
    Api::end(&z);
    return trace;
}

}  // namespace brindle::fuzz
