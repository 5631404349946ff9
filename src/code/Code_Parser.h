// The third compile phase: a recursive-descent parser from resolved tokens to the code tree of a
// code object, either as a program (statements) or as one expression.
#pragma once

#include <cstdint>

#include "code/Code_Names.h"
#include "code/Code_Tree.h"

class CCode;

// Both clear the compile error flag first, fill the root (which must hold nothing) and return false
// after a compile error was reported; the caller frees the partly built tree then too.
bool Parse_Program(CCode* code, const ResolvedArray* tokens, CodeNode* root);
bool Parse_Expression(CCode* code, const ResolvedArray* tokens, CodeNode* root);

// The four compile phases in order (lexer, name resolution, parser, tree checks) into the root,
// which must hold nothing; the first phase that fails ends them, and the partly built tree is freed
// again. The tokens are freed in every case.
bool Code_CompileTree(CCode* code, bool asExpression, CodeNode* root);

// How many statements and expressions may enclose one another. The parser and every later walk of
// the tree recurse once per level, so hostile source must not be able to exhaust the stack.
constexpr int32_t PARSE_NESTING_LIMIT = 1000;
