// The first compile phase: script source text to an array of tokens. The token numbers are the
// operator and keyword codes of the whole script engine: the code tree, the value operators and the
// bytecode generator all select by them.
#pragma once

#include <cstdint>

class CCode;

enum : int32_t {
    TOKEN_END = -2,     // end of the text
    TOKEN_UNKNOWN = -1, // a character that starts no token
    TOKEN_IDENTIFIER = 0,
    TOKEN_NUMBER = 1, // decimal, or hexadecimal after '$' (the '$' kept in the text)
    TOKEN_STRING = 2,

    // Added by name resolution; the parser and the tree use them as node kinds too.
    TOKEN_CONSTANT = 5,
    TOKEN_FUNCTION = 6,
    TOKEN_VARIABLE = 7,

    TOKEN_BEGIN = 11,     // { begin
    TOKEN_END_BLOCK = 12, // } end
    TOKEN_IF = 13,
    TOKEN_THEN = 14,
    TOKEN_ELSE = 15,
    TOKEN_WHILE = 16,
    TOKEN_DO = 17,
    TOKEN_FOR = 18,
    TOKEN_UNTIL = 19,
    TOKEN_REPEAT = 20,
    TOKEN_EXIT = 21,
    TOKEN_BREAK = 22,
    TOKEN_CONTINUE = 23,
    TOKEN_WITH = 24,
    TOKEN_RETURN = 25,
    TOKEN_SWITCH = 26,
    TOKEN_CASE = 27,
    TOKEN_DEFAULT = 28,
    TOKEN_VAR = 29,
    TOKEN_GLOBALVAR = 30,

    TOKEN_ASSIGN = 101, // = :=
    TOKEN_ASSIGN_PLUS = 102,
    TOKEN_ASSIGN_MINUS = 103,
    TOKEN_ASSIGN_TIMES = 104,
    TOKEN_ASSIGN_DIVIDE = 105,
    TOKEN_OPEN = 106,
    TOKEN_CLOSE = 107,
    TOKEN_SEMICOLON = 108,
    TOKEN_COMMA = 109,
    TOKEN_OPEN_INDEX = 110,
    TOKEN_CLOSE_INDEX = 111,
    TOKEN_DOT = 112,
    TOKEN_COLON = 113,
    TOKEN_ASSIGN_OR = 114,
    TOKEN_ASSIGN_AND = 115,
    TOKEN_ASSIGN_XOR = 116,

    TOKEN_AND = 201, // && and
    TOKEN_OR = 202,  // || or
    TOKEN_NOT = 203, // ! not
    TOKEN_LESS = 204,
    TOKEN_LESS_EQUAL = 205,
    TOKEN_EQUAL = 206,
    TOKEN_NOT_EQUAL = 207, // != <>
    TOKEN_GREATER_EQUAL = 208,
    TOKEN_GREATER = 209,
    TOKEN_PLUS = 210,
    TOKEN_MINUS = 211,
    TOKEN_TIMES = 212,
    TOKEN_DIVIDE = 213,
    TOKEN_DIV = 214,
    TOKEN_MOD = 215, // % mod
    TOKEN_XOR = 216, // ^^ xor
    TOKEN_BIT_OR = 217,
    TOKEN_BIT_AND = 218,
    TOKEN_BIT_XOR = 219,
    TOKEN_BIT_NOT = 220,
    TOKEN_SHIFT_LEFT = 221,
    TOKEN_SHIFT_RIGHT = 222,
};

struct Token {
    int32_t kind = TOKEN_END;
    char* text = nullptr; // own NUL-terminated copy (memory manager), or null
    int32_t position = 0; // byte offset of the first character (of a string: after the quote)
};

// Grown through the memory manager; ends with exactly one end token after a successful run.
struct TokenArray {
    int32_t count = 0;
    int32_t capacity = 0;
    Token* tokens = nullptr;
};

// Tokenises the code object's text into the (empty) array. A code object without text gives an
// empty array and true. False after "Unexpected symbol." was reported.
bool Lexer_Tokenise(CCode* code, TokenArray* tokens);

// Reads the next token at the scanner position of the last Lexer_Tokenise.
void Lexer_NextToken(Token* token);

void Token_Free(Token* token);
void TokenArray_Free(TokenArray* tokens);
