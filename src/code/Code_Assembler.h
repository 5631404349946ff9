// A small assembler over the emitter, so that tests can write bytecode as readable programs in the
// disassembler's vocabulary:
//
//     ; comments run from ';' to the end of the line
//     start:                      a label (branches name it; forward references are fine)
//     push.v self.x               variable, instance in the word, no index
//     push.v x                    an instance the source did not name (-6)
//     push.v 100005.hp            an instance id (stored as its distance from 100000)
//     push.v stack.x[]            instance and array index taken from the stack
//     push.v global.$100003       a variable by identifier
//     push.e -1 / push.i 70000 / push.l 5000000000 / push.d 0.5 / push.f 0.5 / push.b true
//     push.s "text"               a string of the assembly's own string table (#3: index 3)
//     pop.v.i self.x              destination form first, value type second
//     pop.e.v 0x0104              the stack rotation form, bits 0-15 as given
//     add.i.v / conv.v.b / neg.i  two-type forms name the first type (bits 16-19) first
//     dup.i 1 / popz.v / ret.v / exit.i / break.e 0xFFFF
//     call.i show_message 1       a callable by name (or identifier) and the argument count
//     bf end / b -1 / pushenv done / popenv break
//     .word 0xDEADBEEF            raw words, for malformed code
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "code/Code_Emitter.h"

struct VMAssembly {
    std::unique_ptr<VMWriteBuffer> code; // finished; its string table is `strings`
    std::vector<std::unique_ptr<std::string>> texts;
    std::vector<const char*> textPointers;
    VMStringTable strings;
    std::string error; // "line N: what" when the source was refused

    VMAssembly() = default;
    VMAssembly(const VMAssembly&) = delete;
    VMAssembly& operator=(const VMAssembly&) = delete;

    const uint8_t* Bytes() const { return code != nullptr ? code->m_pWords : nullptr; }
    int32_t Size() const { return code != nullptr ? code->m_Size : 0; }
    uint32_t Word(int32_t index) const { return code->WordAt(index * 4); }
};

// Assembles the source into `out`; false with out.error set when a line cannot be read. Variable
// names get identifiers through the variable name table, callable names through the function
// table.
bool VM_Assemble(const char* source, VMAssembly& out);
