#include "code/Code_Lexer.h"

#include <cstring>

#include "code/Code_Error.h"
#include "code/Code_Object.h"
#include "platform/Platform_MemoryManager.h"

namespace {

// Three spaces follow the text so that looking one or two characters ahead never passes the end.
constexpr int32_t LEXER_PADDING = 3;
// Positions are 32-bit; a longer text cannot be described by them.
constexpr size_t LEXER_MAX_TEXT = 0x7FFFFFFF - 16;

// The scanner: a working copy of the text kept between compilations.
char* g_LexText = nullptr;
size_t g_LexCapacity = 0;
int32_t g_LexSourceLength = 0; // the text without the padding
int32_t g_LexLength = 0;       // the scan length, padding included
int32_t g_LexPosition = 0;

struct KeywordEntry {
    const char* word;
    int32_t kind;
};

// The order words are compared in.
const KeywordEntry KEYWORDS[] = {
    {"var", TOKEN_VAR},         {"if", TOKEN_IF},
    {"end", TOKEN_END_BLOCK},   {"else", TOKEN_ELSE},
    {"while", TOKEN_WHILE},     {"do", TOKEN_DO},
    {"for", TOKEN_FOR},         {"begin", TOKEN_BEGIN},
    {"then", TOKEN_THEN},       {"with", TOKEN_WITH},
    {"until", TOKEN_UNTIL},     {"repeat", TOKEN_REPEAT},
    {"exit", TOKEN_EXIT},       {"return", TOKEN_RETURN},
    {"break", TOKEN_BREAK},     {"continue", TOKEN_CONTINUE},
    {"switch", TOKEN_SWITCH},   {"case", TOKEN_CASE},
    {"default", TOKEN_DEFAULT}, {"and", TOKEN_AND},
    {"or", TOKEN_OR},           {"not", TOKEN_NOT},
    {"div", TOKEN_DIV},         {"mod", TOKEN_MOD},
    {"xor", TOKEN_XOR},         {"globalvar", TOKEN_GLOBALVAR},
};

const KeywordEntry TWO_CHARACTER_TOKENS[] = {
    {":=", TOKEN_ASSIGN},        {"+=", TOKEN_ASSIGN_PLUS},
    {"-=", TOKEN_ASSIGN_MINUS},  {"*=", TOKEN_ASSIGN_TIMES},
    {"/=", TOKEN_ASSIGN_DIVIDE}, {"&&", TOKEN_AND},
    {"&=", TOKEN_ASSIGN_AND},    {"||", TOKEN_OR},
    {"|=", TOKEN_ASSIGN_OR},     {"<=", TOKEN_LESS_EQUAL},
    {"<>", TOKEN_NOT_EQUAL},     {"<<", TOKEN_SHIFT_LEFT},
    {"==", TOKEN_EQUAL},         {"!=", TOKEN_NOT_EQUAL},
    {">=", TOKEN_GREATER_EQUAL}, {">>", TOKEN_SHIFT_RIGHT},
    {"^=", TOKEN_ASSIGN_XOR},    {"^^", TOKEN_XOR},
};

const KeywordEntry ONE_CHARACTER_TOKENS[] = {
    {"{", TOKEN_BEGIN},       {"}", TOKEN_END_BLOCK}, {"=", TOKEN_ASSIGN},  {"(", TOKEN_OPEN},
    {")", TOKEN_CLOSE},       {";", TOKEN_SEMICOLON}, {",", TOKEN_COMMA},   {"[", TOKEN_OPEN_INDEX},
    {"]", TOKEN_CLOSE_INDEX}, {".", TOKEN_DOT},       {":", TOKEN_COLON},   {"!", TOKEN_NOT},
    {"<", TOKEN_LESS},        {">", TOKEN_GREATER},   {"+", TOKEN_PLUS},    {"-", TOKEN_MINUS},
    {"*", TOKEN_TIMES},       {"/", TOKEN_DIVIDE},    {"%", TOKEN_MOD},     {"|", TOKEN_BIT_OR},
    {"&", TOKEN_BIT_AND},     {"^", TOKEN_BIT_XOR},   {"~", TOKEN_BIT_NOT},
};

bool IsLetter(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool IsDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}
bool IsHexDigit(unsigned char c)
{
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

unsigned char At(int32_t position)
{
    return static_cast<unsigned char>(g_LexText[position]);
}

char* CopyText(int32_t start, int32_t length)
{
    char* text = static_cast<char*>(MEM_ALLOC(static_cast<size_t>(length) + 1, false));
    std::memcpy(text, g_LexText + start, static_cast<size_t>(length));
    text[length] = '\0';
    return text;
}

void SetToken(Token* token, int32_t kind, int32_t start, int32_t length)
{
    token->kind = kind;
    token->position = start;
    token->text = CopyText(start, length);
    g_LexPosition = start + length;
}

// Blanks, control characters, bytes of non-ASCII characters and comments.
void SkipBlanksAndComments()
{
    while (g_LexPosition < g_LexLength) {
        unsigned char c = At(g_LexPosition);
        if (c <= 32 || c >= 128) {
            ++g_LexPosition;
        } else if (c == '/' && At(g_LexPosition + 1) == '/') {
            g_LexPosition += 2;
            while (g_LexPosition < g_LexLength && At(g_LexPosition) != '\r' && At(g_LexPosition) != '\n') {
                ++g_LexPosition;
            }
            if (g_LexPosition < g_LexLength) ++g_LexPosition;
        } else if (c == '/' && At(g_LexPosition + 1) == '*') {
            g_LexPosition += 2;
            while (g_LexPosition < g_LexLength &&
                   !(At(g_LexPosition) == '*' && At(g_LexPosition + 1) == '/')) {
                ++g_LexPosition;
            }
            g_LexPosition = g_LexPosition < g_LexLength ? g_LexPosition + 2 : g_LexLength;
        } else {
            return;
        }
    }
}

int32_t KeywordKind(int32_t start, int32_t length)
{
    if (length < 2 || length > 9) return TOKEN_IDENTIFIER;
    for (const KeywordEntry& keyword : KEYWORDS) {
        if (std::strlen(keyword.word) == static_cast<size_t>(length) &&
            std::memcmp(keyword.word, g_LexText + start, static_cast<size_t>(length)) == 0) {
            return keyword.kind;
        }
    }
    return TOKEN_IDENTIFIER;
}

void ReadWord(Token* token, int32_t start)
{
    int32_t end = start;
    while (IsLetter(At(end)) || IsDigit(At(end)))
        ++end;
    SetToken(token, KeywordKind(start, end - start), start, end - start);
}

// Digits with at most one point; a second point starts the next token.
void ReadNumber(Token* token, int32_t start)
{
    int32_t end = start;
    bool point = false;
    while (IsDigit(At(end)) || (At(end) == '.' && !point)) {
        if (At(end) == '.') point = true;
        ++end;
    }
    SetToken(token, TOKEN_NUMBER, start, end - start);
}

void ReadHexNumber(Token* token, int32_t start)
{
    int32_t end = start + 1;
    while (IsHexDigit(At(end)))
        ++end;
    SetToken(token, TOKEN_NUMBER, start, end - start);
}

// No escapes; the other quote may stand inside; an unclosed string takes the rest of the source.
void ReadString(Token* token, int32_t quoteAt)
{
    char quote = g_LexText[quoteAt];
    int32_t start = quoteAt + 1;
    int32_t end = start;
    while (end < g_LexSourceLength && g_LexText[end] != quote)
        ++end;
    token->kind = TOKEN_STRING;
    token->position = start;
    token->text = CopyText(start, end - start);
    g_LexPosition = end < g_LexSourceLength ? end + 1 : g_LexSourceLength;
}

bool ReadOperator(Token* token, int32_t start)
{
    for (const KeywordEntry& entry : TWO_CHARACTER_TOKENS) {
        if (g_LexText[start] == entry.word[0] && g_LexText[start + 1] == entry.word[1]) {
            SetToken(token, entry.kind, start, 2);
            return true;
        }
    }
    for (const KeywordEntry& entry : ONE_CHARACTER_TOKENS) {
        if (g_LexText[start] == entry.word[0]) {
            SetToken(token, entry.kind, start, 1);
            return true;
        }
    }
    return false;
}

void PrepareText(const char* text)
{
    size_t length = std::strlen(text);
    if (length > LEXER_MAX_TEXT) length = LEXER_MAX_TEXT;
    size_t needed = length + LEXER_PADDING + 1;
    if (needed > g_LexCapacity) {
        g_LexText = static_cast<char*>(MEM_REALLOC(g_LexText, needed));
        g_LexCapacity = needed;
    }
    std::memcpy(g_LexText, text, length);
    std::memset(g_LexText + length, ' ', LEXER_PADDING);
    g_LexText[length + LEXER_PADDING] = '\0';
    g_LexSourceLength = static_cast<int32_t>(length);
    g_LexLength = static_cast<int32_t>(length) + LEXER_PADDING;
    g_LexPosition = 0;
}

void Append(TokenArray* tokens, const Token& token)
{
    if (tokens->count == tokens->capacity) {
        int32_t capacity = tokens->capacity < 16 ? 16 : tokens->capacity * 2;
        tokens->tokens =
            static_cast<Token*>(MEM_REALLOC(tokens->tokens, sizeof(Token) * static_cast<size_t>(capacity)));
        tokens->capacity = capacity;
    }
    tokens->tokens[tokens->count++] = token;
}

} // namespace

void Lexer_NextToken(Token* token)
{
    token->kind = TOKEN_UNKNOWN;
    token->text = nullptr;
    SkipBlanksAndComments();
    int32_t start = g_LexPosition;
    token->position = start;
    if (start >= g_LexLength) {
        token->kind = TOKEN_END;
        return;
    }
    unsigned char c = At(start);
    if (IsLetter(c)) {
        ReadWord(token, start);
    } else if (IsDigit(c) || (c == '.' && IsDigit(At(start + 1)))) {
        ReadNumber(token, start);
    } else if (c == '$') {
        ReadHexNumber(token, start);
    } else if (c == '"' || c == '\'') {
        ReadString(token, start);
    } else if (!ReadOperator(token, start)) {
        g_LexPosition = start + 1;
    }
}

bool Lexer_Tokenise(CCode* code, TokenArray* tokens)
{
    const char* text = code != nullptr ? code->m_pText : nullptr;
    if (text == nullptr) return true;
    PrepareText(text);
    for (;;) {
        Token token;
        Lexer_NextToken(&token);
        if (token.kind == TOKEN_UNKNOWN) {
            Code_Report_Error(code, token.position, "Unexpected symbol.");
            return false;
        }
        Append(tokens, token);
        if (token.kind == TOKEN_END) return true;
    }
}

void Token_Free(Token* token)
{
    if (token == nullptr) return;
    MemoryManager::Free(token->text);
    token->text = nullptr;
}

void TokenArray_Free(TokenArray* tokens)
{
    if (tokens == nullptr) return;
    for (int32_t i = 0; i < tokens->count; ++i)
        Token_Free(&tokens->tokens[i]);
    MemoryManager::Free(tokens->tokens);
    tokens->tokens = nullptr;
    tokens->count = 0;
    tokens->capacity = 0;
}
