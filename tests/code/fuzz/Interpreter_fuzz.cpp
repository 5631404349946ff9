// The interpreter over programs built from the input (Code_ProgramBuilder.h). Breakpoints and a
// break request may stand in the code. Every run must stay inside its stack, leave no value behind
// unreleased and end; errors stop it quietly.
#include <cstdint>

#include "Code_ProgramBuilder.h"

using programfuzz::Setup;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Setup* setup = nullptr;
    if (setup == nullptr) {
        setup = new Setup();
        Setup::s_Setup = setup;
    }
    if (size < 2) return 0;
    programfuzz::RunOnce(*setup, data, size, false, nullptr);
    return 0;
}
