// The code tree that the parser builds from resolved tokens: checked and folded by Check_Tree, then
// walked by the tree executor or translated by the bytecode generator. Nodes are stored by value; a
// node's children are one contiguous block of nodes that only it owns.
#pragma once

#include <cstdint>

#include "code/Code_Value.h"

// Node kinds. Where a kind shares its number with a token (Code_Lexer.h), the node is that token's
// construct.
enum : int32_t {
    NODE_EMPTY_PROGRAM = -2,
    NODE_NONE = -1,          // holds nothing (an empty statement)
    NODE_CONSTANT = 5,       // value
    NODE_CALL = 6,           // id: callable; children: arguments (at most 16)
    NODE_VARIABLE = 7,       // id: variable; children: owner, then 0 to 2 indices
    NODE_FIXED_VARIABLE = 8, // id: variable; scope: constant owner; no children (made by the checks)
    NODE_IF = 13,            // condition, then, optional else
    NODE_WHILE = 16,         // condition, body
    NODE_DO = 17,            // body, condition
    NODE_FOR = 18,           // initial statement, condition, step statement, body
    NODE_REPEAT = 20,        // count, body
    NODE_EXIT = 21,
    NODE_BREAK = 22,
    NODE_CONTINUE = 23,
    NODE_WITH = 24,   // instance, body
    NODE_RETURN = 25, // value
    NODE_SWITCH = 26, // selector, then the statements of the body (case and default among them)
    NODE_CASE = 27,   // label expression
    NODE_DEFAULT = 28,
    NODE_VAR = 29,           // one constant node per name; its id holds the variable id
    NODE_GLOBALVAR = 30,     // as NODE_VAR
    NODE_CONSTANT_CASE = 31, // a case whose label folded to a constant (made by the checks)
    NODE_ASSIGN = 101,       // id: assignment token; children: target variable, value
    NODE_BLOCK = 1000,       // statements
    NODE_UNARY = 1010,       // id: operator token; operand
    NODE_BINARY = 1011,      // id: operator token; left, right
};

// The owner a variable gets when the source names none; the checks turn it into SCOPE_LOCAL for
// names declared with var.
constexpr int32_t SCOPE_UNNAMED = -6;
constexpr int32_t SCOPE_LOCAL = -7;

struct CodeNode {
    int32_t kind;
    int32_t id;    // operator token, callable id or variable id
    int32_t scope; // NODE_FIXED_VARIABLE: the constant owner
    ScriptValue value;
    int32_t childCount;
    int32_t childCapacity;
    CodeNode* children;
    int32_t position; // source position of the token that starts the node
};

// Kind NODE_NONE, no value, no children, the position.
void Node_Init(CodeNode* node, int32_t position);
// A deep copy into an uninitialised destination (values copied with Value_Copy).
void Node_Copy(CodeNode* destination, const CodeNode* source);
// Frees the values of the whole subtree and every children block once; the node keeps its kind
// and position but has no children afterwards. Works without recursion, however deep the tree.
void Node_Free(CodeNode* node);

// Appends a child initialised at the position and returns it. The pointer stays valid until the
// next child is added to the same node.
CodeNode* Node_AddChild(CodeNode* node, int32_t position);
// Frees the node's children and leaves it without any.
void Node_FreeChildren(CodeNode* node);

// Makes the node a constant holding a real.
void Node_SetReal(CodeNode* node, double real);

// The number of nodes on the longest path from the node down to a leaf (1 for a leaf), computed
// without recursion; stops counting at `limit` + 1 and returns the position of the first node
// found that deep in `deepPosition`.
int32_t Node_Height(const CodeNode* node, int32_t limit, int32_t* deepPosition);

// How deep a tree the compiler hands on: the checks, the generator and the tree executor walk it
// recursively.
constexpr int32_t CODE_TREE_HEIGHT_LIMIT = 2000;
