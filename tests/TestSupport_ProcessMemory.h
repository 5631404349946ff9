// The process's memory as the system counts it against its limits, for tests that compare a
// mapping with those counts.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace testsupport {

// A size from /proc/self/status ("VmData:" is what a data limit counts, "VmSize:" what an
// address-space limit does), in bytes; 0 when it cannot be read. Read into a buffer on the stack,
// so that the reading itself maps nothing.
inline size_t ProcessStatusBytes(const char* key)
{
    char status[4096] = {};
    int file = open("/proc/self/status", O_RDONLY);
    if (file < 0) return 0;
    ssize_t length = read(file, status, sizeof status - 1);
    close(file);
    const char* line = length > 0 ? std::strstr(status, key) : nullptr;
    return line != nullptr ? std::strtoul(line + std::strlen(key), nullptr, 10) * 1024 : 0;
}

} // namespace testsupport
