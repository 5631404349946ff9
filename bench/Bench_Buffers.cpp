// Typed buffer traffic as saved games, sockets and the debugger make it: 10^7 writes and then 10^7
// reads of unsigned 8-bit, signed 32-bit and 64-bit float values, in a grow buffer that starts small
// and in a fixed buffer of the final size. Prints nanoseconds per value.
//     bench_buffers [count]
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "buffer/Buffer_Standard.h"
#include "platform/Platform_ScriptHeap.h"

namespace {

using Clock = std::chrono::steady_clock;

double NanosecondsPer(Clock::duration d, int64_t count)
{
    return std::chrono::duration<double, std::nano>(d).count() / double(count);
}

// Writes then reads `count` values; the checksum keeps the reads from being optimised away.
void Measure(const char* name, int32_t kind, int32_t type, int32_t bytes, int32_t count)
{
    int32_t size = kind == eBuffer_Grow ? 64 : bytes * count;
    Buffer_Standard buffer(size, kind, 1);
    ScriptValue value{VALUE_REAL, 0, 0.0};
    Clock::time_point start = Clock::now();
    for (int32_t i = 0; i < count; ++i) {
        value.real = double(i & 0x7F);
        if (buffer.Write(type, &value) != 0) {
            std::fprintf(stderr, "%s: write %d failed\n", name, i);
            std::exit(1);
        }
    }
    Clock::time_point written = Clock::now();
    buffer.Seek(0, 0);
    double sum = 0;
    for (int32_t i = 0; i < count; ++i) {
        buffer.Read(type, &value);
        sum += value.real;
    }
    Clock::time_point read = Clock::now();
    std::printf("%-12s %-5s write %6.2f ns  read %6.2f ns  (checksum %.0f)\n", name,
                kind == eBuffer_Grow ? "grow" : "fixed", NanosecondsPer(written - start, count),
                NanosecondsPer(read - written, count), sum);
}

} // namespace

int main(int argc, char** argv)
{
    int32_t count = argc > 1 ? std::atoi(argv[1]) : 10000000;
    ScriptHeap_Init();
    struct Type {
        const char* name;
        int32_t type;
        int32_t bytes;
    };
    const Type types[] = {{"u8", eBuffer_U8, 1}, {"s32", eBuffer_S32, 4}, {"f64", eBuffer_F64, 8}};
    for (const Type& t : types) {
        Measure(t.name, eBuffer_Grow, t.type, t.bytes, count);
        Measure(t.name, eBuffer_Fixed, t.type, t.bytes, count);
    }
    return 0;
}
