#include "code/Code_Names.h"

#include <cstring>
#include <string>

#include "code/Code_Constants.h"
#include "code/Code_Error.h"
#include "code/Code_Function.h"
#include "platform/Platform_MemoryManager.h"
#include "variable/Variable_Names.h"

namespace {

int32_t HexDigitValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool ResolveIdentifier(CCode* code, const TokenArray* tokens, int32_t index, ResolvedToken* out)
{
    const Token& token = tokens->tokens[index];
    const char* name = token.text != nullptr ? token.text : "";
    bool called = index + 1 < tokens->count && tokens->tokens[index + 1].kind == TOKEN_OPEN;
    if (called) {
        int32_t id = -1;
        if (Code_Function_Find(name, &id)) {
            out->kind = TOKEN_FUNCTION;
            out->id = id;
            return true;
        }
        out->kind = TOKEN_UNRESOLVED_FUNCTION;
        std::string message = std::string("Unknown function or script: ") + name;
        Code_Report_Error(code, token.position, message.c_str());
        return false;
    }
    // A resource or constant name always wins over a variable of the same name.
    if (Constant_FindValue(name, &out->value)) {
        out->kind = TOKEN_CONSTANT;
        return true;
    }
    out->kind = TOKEN_VARIABLE;
    out->id = Code_Variable_Find(name);
    return true;
}

} // namespace

double Resolve_NumberValue(const char* text)
{
    double value = 0.0;
    double scale = 1.0;
    bool hex = false;
    bool fraction = false;
    for (const char* at = text; at != nullptr && *at != '\0'; ++at) {
        char c = *at;
        if (c == '$') {
            hex = true;
        } else if (hex) {
            int32_t digit = HexDigitValue(c);
            if (digit >= 0) value = value * 16.0 + digit;
        } else if (c == '.') {
            fraction = true;
        } else if (c >= '0' && c <= '9') {
            if (fraction) {
                scale /= 10.0;
                value += (c - '0') * scale;
            } else {
                value = value * 10.0 + (c - '0');
            }
        }
    }
    return value;
}

bool Resolve_Tokens(CCode* code, const TokenArray* tokens, ResolvedArray* resolved)
{
    resolved->count = tokens->count;
    resolved->tokens = nullptr;
    if (tokens->count <= 0) return true;
    resolved->tokens = static_cast<ResolvedToken*>(
        MEM_ALLOC(sizeof(ResolvedToken) * static_cast<size_t>(tokens->count), true));
    for (int32_t i = 0; i < tokens->count; ++i) {
        const Token& token = tokens->tokens[i];
        ResolvedToken* out = &resolved->tokens[i];
        out->position = token.position;
        switch (token.kind) {
        case TOKEN_IDENTIFIER:
            if (!ResolveIdentifier(code, tokens, i, out)) return false;
            break;
        case TOKEN_NUMBER:
            out->kind = TOKEN_CONSTANT;
            Value_SetReal(&out->value, Resolve_NumberValue(token.text));
            break;
        case TOKEN_STRING:
            out->kind = TOKEN_CONSTANT;
            Value_SetText(&out->value, token.text);
            break;
        default:
            out->kind = token.kind;
            break;
        }
    }
    return true;
}

void ResolvedArray_Free(ResolvedArray* resolved)
{
    if (resolved == nullptr) return;
    for (int32_t i = 0; i < resolved->count && resolved->tokens != nullptr; ++i) {
        Value_Free(&resolved->tokens[i].value);
    }
    MemoryManager::Free(resolved->tokens);
    resolved->tokens = nullptr;
    resolved->count = 0;
}
