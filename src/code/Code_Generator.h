// The bytecode generator: one walk over a checked code tree that writes the instruction words the
// interpreter runs. It models the interpreter's value stack by data type only, which decides the
// typed form of every instruction and where conversions go; forward branches wait on labels.
#pragma once

#include <cstdint>
#include <vector>

#include "code/Code_Emitter.h"

class CCode;
struct CodeNode;

// The code buffer of generated code. Its string pushes index a table of texts that it owns, copied
// from the tree's constants, so the words stay runnable for as long as the buffer lives.
class VMGeneratedCode : public VMWriteBuffer {
  public:
    explicit VMGeneratedCode(int32_t capacity);
    ~VMGeneratedCode() override;

    // A copy of the text joins the table (null counts as the empty text); its index comes back.
    uint32_t AddString(const char* text);
    uint32_t StringCount() const { return m_Table.count; }

  private:
    std::vector<char*> m_Texts;
    VMStringTable m_Table;
};

// Translates a checked code tree into bytecode: a program as a program, an expression as an
// expression whose value is left on the stack as a variable. Hands over the code words and the
// companion (debug) buffer, both finished; the caller owns them. The companion stays empty. False,
// after "Code is too long.", when a branch cannot reach its target (the words then run nothing).
bool Code_Generate(CCode* code, const CodeNode* root, bool asExpression, VMWriteBuffer** words,
                   VMWriteBuffer** companion);
