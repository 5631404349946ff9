// Shared by the compiler's tests: a fixture that compiles source text through the four phases with
// resource tables, scripts and built-in functions of its own, and a compact text form of code trees
// so that tests can state the whole tree they expect.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "code/Code_Constants.h"
#include "code/Code_Error.h"
#include "code/Code_Function.h"
#include "code/Code_Lexer.h"
#include "code/Code_Object.h"
#include "code/Code_Parser.h"
#include "code/Code_Tree.h"
#include "variable/Variable_BuiltIn.h"
#include "variable/Variable_Names.h"

namespace compiler_test {

// Resource tables by kind, in the order of g_ConstantResourceLookups.
enum ResourceKind { RES_OBJECT, RES_SPRITE, RES_SOUND, RES_AUDIO, RES_BACKGROUND, RES_PATH, RES_FONT, RES_TIMELINE,
                    RES_SCRIPT, RES_ROOM };

inline std::map<std::string, int32_t>& Resources(int kind)
{
    static std::map<std::string, int32_t> tables[CONSTANT_RESOURCE_KINDS];
    return tables[kind];
}

template <int Kind> int32_t FindResource(const char* name)
{
    auto found = Resources(Kind).find(name);
    return found == Resources(Kind).end() ? -1 : found->second;
}

inline int32_t NoExtension(const char*) { return -1; }
inline int32_t NoExtensionArgs(int32_t) { return -100; }
inline void NoRoutine(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*) {}

inline int32_t FunctionId(const char* name)
{
    int32_t id = -1;
    Code_Function_Find(name, &id);
    return id;
}

inline std::string Repeat(const std::string& piece, int count)
{
    std::string out;
    out.reserve(piece.size() * static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) out += piece;
    return out;
}

inline const char* OperatorText(int32_t op)
{
    static const std::map<int32_t, const char*> texts = {
        {TOKEN_ASSIGN, "="},       {TOKEN_ASSIGN_PLUS, "+="},   {TOKEN_ASSIGN_MINUS, "-="}, {TOKEN_ASSIGN_TIMES, "*="},
        {TOKEN_ASSIGN_DIVIDE, "/="}, {TOKEN_ASSIGN_OR, "|="},   {TOKEN_ASSIGN_AND, "&="},   {TOKEN_ASSIGN_XOR, "^="},
        {TOKEN_AND, "&&"},         {TOKEN_OR, "||"},            {TOKEN_NOT, "!"},           {TOKEN_LESS, "<"},
        {TOKEN_LESS_EQUAL, "<="},  {TOKEN_EQUAL, "=="},         {TOKEN_NOT_EQUAL, "!="},    {TOKEN_GREATER_EQUAL, ">="},
        {TOKEN_GREATER, ">"},      {TOKEN_PLUS, "+"},           {TOKEN_MINUS, "-"},         {TOKEN_TIMES, "*"},
        {TOKEN_DIVIDE, "/"},       {TOKEN_DIV, "div"},          {TOKEN_MOD, "mod"},         {TOKEN_XOR, "^^"},
        {TOKEN_BIT_OR, "|"},       {TOKEN_BIT_AND, "&"},        {TOKEN_BIT_XOR, "^"},       {TOKEN_BIT_NOT, "~"},
        {TOKEN_SHIFT_LEFT, "<<"},  {TOKEN_SHIFT_RIGHT, ">>"},
    };
    auto found = texts.find(op);
    return found != texts.end() ? found->second : "?";
}

inline std::string ValueText(const ScriptValue& value)
{
    if (Value_GetKind(&value) == VALUE_STRING) {
        const char* text = Value_GetText(&value);
        return std::string("'") + (text != nullptr ? text : "") + "'";
    }
    char number[64];
    std::snprintf(number, sizeof number, "%.17g", value.real);
    return number;
}

inline std::string CallableName(int32_t id)
{
    if (id >= CALLABLE_SCRIPT_BASE && id < CALLABLE_EXTENSION_BASE)
        for (const auto& [name, index] : Resources(RES_SCRIPT))
            if (index + CALLABLE_SCRIPT_BASE == id) return name;
    if (const FunctionEntry* entry = Function_Get(id)) return entry->name;
    return "#" + std::to_string(id);
}

// The tree as nested lists: "(= (var x -6) 14)", "(if c t e)", "x@-7" for a variable with a
// constant owner, "nop" for an empty statement.
inline std::string Dump(const CodeNode& node)
{
    std::string children;
    for (int32_t i = 0; i < node.childCount; ++i) children += " " + Dump(node.children[i]);
    auto list = [&](const std::string& head) { return "(" + head + children + ")"; };
    static const std::map<int32_t, const char*> heads = {
        {NODE_BLOCK, "block"}, {NODE_IF, "if"},         {NODE_WHILE, "while"},   {NODE_DO, "do"},
        {NODE_FOR, "for"},     {NODE_REPEAT, "repeat"}, {NODE_WITH, "with"},     {NODE_RETURN, "return"},
        {NODE_SWITCH, "switch"}, {NODE_CASE, "case"},   {NODE_CONSTANT_CASE, "case!"}};
    static const std::map<int32_t, const char*> leaves = {
        {NODE_EMPTY_PROGRAM, "empty"}, {NODE_NONE, "nop"},         {NODE_EXIT, "exit"},
        {NODE_BREAK, "break"},         {NODE_CONTINUE, "continue"}, {NODE_DEFAULT, "default"}};
    if (heads.count(node.kind) != 0) return list(heads.at(node.kind));
    if (leaves.count(node.kind) != 0) return leaves.at(node.kind);
    switch (node.kind) {
    case NODE_CONSTANT: return ValueText(node.value);
    case NODE_CALL: return list("call " + CallableName(node.id));
    case NODE_VARIABLE: return list(std::string("var ") + Code_Variable_Find_Name(node.id));
    case NODE_FIXED_VARIABLE: return std::string(Code_Variable_Find_Name(node.id)) + "@" + std::to_string(node.scope);
    case NODE_ASSIGN: return list(std::string("assign") + OperatorText(node.id));
    case NODE_UNARY:
    case NODE_BINARY: return list(OperatorText(node.id));
    case NODE_VAR:
    case NODE_GLOBALVAR: {
        std::string names = node.kind == NODE_VAR ? "(var-decl" : "(globalvar";
        for (int32_t i = 0; i < node.childCount; ++i)
            names += std::string(" ") + Code_Variable_Find_Name(node.children[i].id);
        return names + ")";
    }
    default: return "?" + std::to_string(node.kind);
    }
}

class CompilerTest : public testing::Test {
  protected:
    void SetUp() override
    {
        if (Constant_Count() == 0) Constant_Init();
        // A built-in variable to declare and read; the real rows come with the built-in variables.
        if (Variable_BuiltIn_Find("x") < 0) Variable_BuiltIn_Add("x", nullptr, nullptr, true);
        // Other tests may empty the function table: the rows these tests call are made again.
        Register("test_none", 0);
        Register("test_one", 1);
        Register("test_two", 2);
        Register("test_any", FUNCTION_ARGS_ANY);
        for (auto& lookup : g_ConstantResourceLookups) m_SavedResources.push_back(lookup);
        static int32_t (*const fakes[CONSTANT_RESOURCE_KINDS])(const char*) = {
            FindResource<0>, FindResource<1>, FindResource<2>, FindResource<3>, FindResource<4>,
            FindResource<5>, FindResource<6>, FindResource<7>, FindResource<8>, FindResource<9>};
        for (int32_t i = 0; i < CONSTANT_RESOURCE_KINDS; ++i) {
            g_ConstantResourceLookups[i].find = fakes[i];
            Resources(i).clear();
        }
        m_SavedCallables = g_CallableLookup;
        g_CallableLookup = {FindResource<RES_SCRIPT>, NoExtension, NoExtensionArgs};
        g_CodeErrorFlag = false;
        g_CodeErrorText.clear();
    }

    void TearDown() override
    {
        Node_Free(&m_Root);
        for (int32_t i = 0; i < CONSTANT_RESOURCE_KINDS; ++i) {
            g_ConstantResourceLookups[i] = m_SavedResources[i];
            Resources(i).clear();
        }
        g_CallableLookup = m_SavedCallables;
    }

    static void Register(const char* name, int32_t argCount)
    {
        int32_t id = -1;
        if (!Code_Function_Find(name, &id)) Function_Add(name, NoRoutine, argCount);
    }

    // Compiles the text as a program (or an expression); the tree stays in Root() for the test.
    // Without the checks the phases stop after the parser, and a failed parse leaves its partial
    // tree in Root().
    bool Compile(const std::string& text, bool expression = false)
    {
        Node_Free(&m_Root);
        m_Text = text;
        m_Code = std::make_unique<CCode>(m_Text.c_str(), expression);
        if (m_RunChecks) return Code_CompileTree(m_Code.get(), expression, &m_Root);
        g_CodeErrorFlag = false;
        TokenArray tokens;
        ResolvedArray resolved;
        Node_Init(&m_Root, 0);
        bool parsed = Lexer_Tokenise(m_Code.get(), &tokens) && Resolve_Tokens(m_Code.get(), &tokens, &resolved) &&
                      (expression ? Parse_Expression(m_Code.get(), &resolved, &m_Root)
                                  : Parse_Program(m_Code.get(), &resolved, &m_Root));
        ResolvedArray_Free(&resolved);
        TokenArray_Free(&tokens);
        return parsed;
    }

    // The tree of a program that compiles; a failure shows the error text.
    std::string Tree(const std::string& text, bool expression = false)
    {
        return Compile(text, expression) ? Dump(m_Root) : "FAILED: " + g_CodeErrorText;
    }

    // The error text of a program that fails to compile ("compiled" when it does not fail).
    std::string Failure(const std::string& text, bool expression = false)
    {
        return Compile(text, expression) ? "compiled" : g_CodeErrorText;
    }

    // The error text Code_Report_Error makes for a program, for comparison.
    static std::string ProgramError(int32_t line, const std::string& lineText, int32_t column, const std::string& message)
    {
        return "Error in code at line " + std::to_string(line) + ":\n   " + lineText + "\n\nat position " +
               std::to_string(column) + ": " + message;
    }

    CCode* Code() { return m_Code.get(); }
    CodeNode& Root() { return m_Root; }

    bool m_RunChecks = true;
    CodeNode m_Root{};
    std::string m_Text;
    std::unique_ptr<CCode> m_Code;
    std::vector<ConstantResourceLookup> m_SavedResources;
    CallableLookup m_SavedCallables{};
};

} // namespace compiler_test
