// The fourth compile phase: one walk over the code tree that marks variables declared with var as
// local, fixes variables with a constant owner, folds operators whose operands are constants and
// marks constant case labels.
#pragma once

#include <cstdint>

#include "code/Code_Tree.h"

class CCode;

// Empties the local names, clears the compile error flag and walks the tree; false after a compile
// error was reported ("Left hand side must be a real value." or an operator's message).
bool Check_Tree(CCode* code, CodeNode* root);

// Whether the code object checked last declared the variable with var (before the point the walk
// has reached).
bool LocalNames_Contains(int32_t id);
