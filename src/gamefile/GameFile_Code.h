// The code chunk ("CODE"), the variables chunk ("VARI") and the functions chunk ("FUNC"): the game's
// compiled code entries, and the chains of places in them where each variable's and function's
// identifier is written when the game is loaded.
//
// Every entry is checked before it is registered (the code checker refuses bytecode that would take
// the interpreter outside its code or the string table), every place a chain names must be the
// operand of an instruction inside a registered entry, and the entries a chain wrote into are checked
// again, so linking can never write outside the code or break what was checked. String operands stay
// indices into the string table; the interpreter resolves them when it pushes one.
//
// The readers themselves are declared in GameFile_Services.h: Code_Load and VARI_Load (pre-pass),
// Code_PatchStrings and FUNC_Load (main pass).
#pragma once

#include <cstdint>

// A variable reference chain: the operand's low 29 bits hold the signed distance in bytes to the
// next reference; the top 3 bits belong to the instruction.
constexpr uint32_t LINK_VARIABLE_ID_MASK = 0x1FFFFFFFu;

// The low 29 bits as a signed distance (bit 28 is the sign).
inline int32_t Link_VariableDistance(uint32_t operand)
{
    uint32_t low = operand & LINK_VARIABLE_ID_MASK;
    return static_cast<int32_t>(low << 3) >> 3;
}

// Forgets where Code_Load found the entries' bytecode (the entries themselves are Code_ClearEntries'):
// until the next Code_Load no chain is followed.
void Code_ClearFileRanges();
