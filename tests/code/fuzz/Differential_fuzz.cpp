// The translated form against the word interpreter, its reference: each program of the input
// (Code_ProgramBuilder.h, with counting loops and the sequences the translation joins) runs once
// through each from the same state, and through the translated form once more from a run prepared
// as the step walk prepares a handler's; everything the runs leave must be the same: the result,
// the error text, the stack bytes left, the branches taken, every variable and the console. Each
// program is run with the report of its variables at its end and without, where a program of register
// sequences ends within one.
#include <cstdint>

#include "Code_ProgramBuilder.h"
#include "code/Code_Translate.h"

using programfuzz::Outcome;
using programfuzz::Setup;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Setup* setup = nullptr;
    static testsupport::RecordingConsole* console = nullptr;
    if (setup == nullptr) {
        setup = new Setup();
        Setup::s_Setup = setup;
        console = new testsupport::RecordingConsole();
        MainConsole = console;
        ScriptConsole = console;
    }
    if (size < 2) return 0;
    const char* const forms[] = {"word loop", "translated", "prepared"};
    bool translate = g_VMTranslate;
    for (bool report : {true, false}) {
        Outcome outcomes[3];
        for (int32_t form = 0; form < 3; ++form) {
            g_VMTranslate = form != 0;
            console->text.clear();
            programfuzz::RunOnce(*setup, data, size, true, &outcomes[form], form == 2, report);
            outcomes[form].text += console->text;
        }
        g_VMTranslate = translate;
        for (int32_t form = 1; form < 3; ++form) {
            if (outcomes[0].text == outcomes[form].text) continue;
            std::fprintf(stderr, "word loop:\n%s\n%s:\n%s\n", outcomes[0].text.c_str(), forms[form],
                         outcomes[form].text.c_str());
            __builtin_trap();
        }
    }
    return 0;
}
