// The translated form against the word interpreter, its reference: each program of the input
// (Code_ProgramBuilder.h, with counting loops and the sequences the translation joins) runs once
// through each from the same state, and through the translated form once more from a run prepared
// as the step walk prepares a handler's; then, from inside a run of an outer program, through the word
// loop and the prepared run (made outside it, at another depth) as an event performed from running code
// runs its handler's; everything the runs leave must be the same: the result,
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
    // Each form: its name, translated, prepared, nested; each is held against the word loop at its
    // own nesting (a nested run's error names the outer level too).
    struct Form {
        const char* name;
        bool translated, prepared, nested;
        int32_t reference;
    };
    const Form forms[] = {{"word loop", false, false, false, 0},
                          {"translated", true, false, false, 0},
                          {"prepared", true, true, false, 0},
                          {"nested word loop", false, false, true, 3},
                          {"nested prepared", true, true, true, 3}};
    constexpr int32_t FORMS = sizeof forms / sizeof forms[0];
    bool translate = g_VMTranslate;
    for (bool report : {true, false}) {
        Outcome outcomes[FORMS];
        for (int32_t form = 0; form < FORMS; ++form) {
            g_VMTranslate = forms[form].translated;
            console->text.clear();
            programfuzz::RunOnce(*setup, data, size, true, &outcomes[form], forms[form].prepared, report,
                                 forms[form].nested);
            outcomes[form].text += console->text;
        }
        g_VMTranslate = translate;
        for (int32_t form = 1; form < FORMS; ++form) {
            const Outcome& reference = outcomes[forms[form].reference];
            if (form == forms[form].reference || reference.text == outcomes[form].text) continue;
            std::fprintf(stderr, "%s:\n%s\n%s:\n%s\n", forms[forms[form].reference].name, reference.text.c_str(),
                         forms[form].name, outcomes[form].text.c_str());
            __builtin_trap();
        }
    }
    return 0;
}
