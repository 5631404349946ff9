#include "code/Code_Parser.h"

#include "code/Code_Checks.h"
#include "code/Code_Error.h"
#include "code/Code_Function.h"
#include "code/Code_Lexer.h"

namespace {

constexpr int32_t MAX_CALL_ARGUMENTS = 16;
constexpr int32_t MAX_ARRAY_INDICES = 2;
constexpr int32_t FIRST_USER_VARIABLE = 100000;
constexpr const char* NESTING_MESSAGE = "Code is nested too deeply.";

struct Parser {
    CCode* code;
    const ResolvedArray* tokens;
    int32_t depth = 0;
    bool failed = false;
};

const ResolvedToken END_TOKEN = {TOKEN_END, 0, {}, 0};

// Past the last token every read sees the end token.
const ResolvedToken& TokenAt(const Parser& p, int32_t index)
{
    if (index >= 0 && index < p.tokens->count) return p.tokens->tokens[index];
    return END_TOKEN;
}

int32_t KindAt(const Parser& p, int32_t index)
{
    return TokenAt(p, index).kind;
}

int32_t PositionAt(const Parser& p, int32_t index)
{
    if (index >= 0 && index < p.tokens->count) return p.tokens->tokens[index].position;
    return p.tokens->count > 0 ? p.tokens->tokens[p.tokens->count - 1].position : 0;
}

void ReportAt(Parser& p, int32_t position, const char* message)
{
    if (p.failed) return;
    p.failed = true;
    Code_Report_Error(p.code, position, message);
}

int32_t Report(Parser& p, int32_t index, const char* message)
{
    ReportAt(p, PositionAt(p, index), message);
    return index;
}

// One level of nesting for as long as it lives.
class Nesting {
  public:
    Nesting(Parser& p, int32_t index) : m_Parser(p)
    {
        if (++p.depth > PARSE_NESTING_LIMIT) Report(p, index, NESTING_MESSAGE);
    }
    ~Nesting() { --m_Parser.depth; }
    bool Ok() const { return !m_Parser.failed; }

  private:
    Parser& m_Parser;
};

int32_t ParseExpression(Parser& p, int32_t i, CodeNode* node);
int32_t ParsePostfix(Parser& p, int32_t i, CodeNode* node);
int32_t ParseStatement(Parser& p, int32_t i, CodeNode* node);

// Operators of each binary level, from the lowest precedence up; 0 ends a list.
const int32_t BINARY_LEVELS[][8] = {
    {TOKEN_AND, TOKEN_OR, TOKEN_XOR, 0},
    {TOKEN_LESS, TOKEN_LESS_EQUAL, TOKEN_EQUAL, TOKEN_NOT_EQUAL, TOKEN_ASSIGN, TOKEN_GREATER,
     TOKEN_GREATER_EQUAL, 0},
    {TOKEN_BIT_OR, TOKEN_BIT_AND, TOKEN_BIT_XOR, 0},
    {TOKEN_SHIFT_LEFT, TOKEN_SHIFT_RIGHT, 0},
    {TOKEN_PLUS, TOKEN_MINUS, 0},
    {TOKEN_TIMES, TOKEN_DIVIDE, TOKEN_DIV, TOKEN_MOD, 0},
};
constexpr int32_t BINARY_LEVEL_COUNT = sizeof BINARY_LEVELS / sizeof BINARY_LEVELS[0];

bool IsLevelOperator(int32_t level, int32_t kind)
{
    for (const int32_t* op = BINARY_LEVELS[level]; *op != 0; ++op)
        if (*op == kind) return true;
    return false;
}

bool IsUnaryOperator(int32_t kind)
{
    return kind == TOKEN_NOT || kind == TOKEN_PLUS || kind == TOKEN_MINUS || kind == TOKEN_BIT_NOT;
}

bool IsAssignmentOperator(int32_t kind)
{
    return (kind >= TOKEN_ASSIGN && kind <= TOKEN_ASSIGN_DIVIDE) ||
           (kind >= TOKEN_ASSIGN_OR && kind <= TOKEN_ASSIGN_XOR);
}

// Consumes the token when it is of the kind; otherwise reports the message there.
int32_t Expect(Parser& p, int32_t i, int32_t kind, const char* message)
{
    if (KindAt(p, i) == kind) return i + 1;
    return Report(p, i, message);
}

int32_t SkipOptional(const Parser& p, int32_t i, int32_t kind)
{
    return KindAt(p, i) == kind ? i + 1 : i;
}

int32_t ParseCall(Parser& p, int32_t i, CodeNode* node)
{
    if (KindAt(p, i) != TOKEN_FUNCTION) return Report(p, i, "Function name expected.");
    const int32_t nameAt = i;
    node->kind = NODE_CALL;
    node->id = TokenAt(p, i).id;
    node->position = PositionAt(p, i);
    i = Expect(p, i + 1, TOKEN_OPEN, "Symbol ( expected.");
    if (p.failed) return i;
    if (KindAt(p, i) != TOKEN_CLOSE) {
        for (;;) {
            if (KindAt(p, i) == TOKEN_END) return Report(p, i, "Symbol ) expected.");
            i = ParseExpression(p, i, Node_AddChild(node, PositionAt(p, i)));
            if (p.failed) return i;
            int32_t next = KindAt(p, i);
            if (next == TOKEN_CLOSE) break;
            if (next == TOKEN_END) return Report(p, i, "Symbol ) expected.");
            if (next != TOKEN_COMMA) return Report(p, i, "Symbol , or ) expected.");
            ++i;
        }
    }
    int32_t expected = Function_GetArgCount(node->id);
    int32_t given = node->childCount;
    if (given > MAX_CALL_ARGUMENTS || (expected >= 0 && expected != given))
        return Report(p, nameAt, "Wrong number of arguments to function or script.");
    return i + 1;
}

// The variable token and its indices; the owner is already the node's first child.
int32_t ParseVariableAfterOwner(Parser& p, int32_t i, CodeNode* node)
{
    node->kind = NODE_VARIABLE;
    if (KindAt(p, i) != TOKEN_VARIABLE) return Report(p, i, "Variable name expected.");
    node->id = TokenAt(p, i).id;
    node->position = PositionAt(p, i);
    ++i;
    if (KindAt(p, i) != TOKEN_OPEN_INDEX) return i;
    ++i;
    for (;;) {
        if (node->childCount - 1 == MAX_ARRAY_INDICES)
            return Report(p, i, "Only 1- and 2-dimensional arrays are supported.");
        if (KindAt(p, i) == TOKEN_END) return Report(p, i, "Symbol ] expected.");
        i = ParseExpression(p, i, Node_AddChild(node, PositionAt(p, i)));
        if (p.failed) return i;
        int32_t next = KindAt(p, i);
        if (next == TOKEN_CLOSE_INDEX) return i + 1;
        if (next == TOKEN_END) return Report(p, i, "Symbol ] expected.");
        if (next != TOKEN_COMMA) return Report(p, i, "Symbol , or ] expected.");
        ++i;
    }
}

int32_t ParseVariable(Parser& p, int32_t i, CodeNode* node)
{
    Node_SetReal(Node_AddChild(node, PositionAt(p, i)), SCOPE_UNNAMED);
    return ParseVariableAfterOwner(p, i, node);
}

int32_t ParsePrimary(Parser& p, int32_t i, CodeNode* node)
{
    const ResolvedToken& token = TokenAt(p, i);
    node->position = PositionAt(p, i);
    switch (token.kind) {
    case TOKEN_CONSTANT:
        node->kind = NODE_CONSTANT;
        Value_Copy(&node->value, &token.value);
        return i + 1;
    case TOKEN_FUNCTION:
        return ParseCall(p, i, node);
    case TOKEN_VARIABLE:
        return ParseVariable(p, i, node);
    case TOKEN_OPEN: {
        i = ParseExpression(p, i + 1, node); // counts the nesting
        if (p.failed) return i;
        return Expect(p, i, TOKEN_CLOSE, "Symbol ) expected.");
    }
    default:
        break;
    }
    if (!IsUnaryOperator(token.kind)) return Report(p, i, "Unexpected symbol in expression.");
    Nesting nesting(p, i);
    if (!nesting.Ok()) return i;
    node->kind = NODE_UNARY;
    node->id = token.kind;
    return ParsePostfix(p, i + 1, Node_AddChild(node, PositionAt(p, i + 1)));
}

// A primary followed by ". variable" any number of times: each makes the expression so far the
// owner of the variable that follows.
int32_t ParsePostfix(Parser& p, int32_t i, CodeNode* node)
{
    i = ParsePrimary(p, i, node);
    while (!p.failed && KindAt(p, i) == TOKEN_DOT) {
        CodeNode owner = *node;
        Node_Init(node, PositionAt(p, i + 1));
        *Node_AddChild(node, owner.position) = owner;
        i = ParseVariableAfterOwner(p, i + 1, node);
    }
    return i;
}

int32_t ParseBinaryLevel(Parser& p, int32_t i, CodeNode* node, int32_t level)
{
    if (level == BINARY_LEVEL_COUNT) return ParsePostfix(p, i, node);
    i = ParseBinaryLevel(p, i, node, level + 1);
    while (!p.failed && IsLevelOperator(level, KindAt(p, i))) {
        CodeNode left = *node;
        Node_Init(node, left.position);
        node->kind = NODE_BINARY;
        node->id = KindAt(p, i);
        *Node_AddChild(node, left.position) = left;
        ++i;
        i = ParseBinaryLevel(p, i, Node_AddChild(node, PositionAt(p, i)), level + 1);
    }
    return i;
}

int32_t ParseExpression(Parser& p, int32_t i, CodeNode* node)
{
    Nesting nesting(p, i);
    if (!nesting.Ok()) return i;
    return ParseBinaryLevel(p, i, node, 0);
}

// Statements until the closing brace, which is consumed.
int32_t ParseStatementsUntilClose(Parser& p, int32_t i, CodeNode* node)
{
    while (KindAt(p, i) != TOKEN_END_BLOCK) {
        if (KindAt(p, i) == TOKEN_END) return Report(p, i, "Symbol  } expected.");
        i = ParseStatement(p, i, Node_AddChild(node, PositionAt(p, i)));
        if (p.failed) return i;
    }
    return i + 1;
}

int32_t ParseDeclaration(Parser& p, int32_t i, CodeNode* node)
{
    node->kind = KindAt(p, i);
    ++i;
    while (KindAt(p, i) == TOKEN_VARIABLE) {
        int32_t id = TokenAt(p, i).id;
        if (id < FIRST_USER_VARIABLE) return Report(p, i, "Cannot redeclare a builtin variable.");
        CodeNode* name = Node_AddChild(node, PositionAt(p, i));
        Node_SetReal(name, id);
        name->id = id;
        i = SkipOptional(p, i + 1, TOKEN_COMMA);
    }
    return i;
}

int32_t ParseAssignment(Parser& p, int32_t i, CodeNode* node)
{
    const int32_t start = i;
    CodeNode* target = Node_AddChild(node, PositionAt(p, i));
    i = ParsePostfix(p, i, target);
    if (p.failed) return i;
    if (target->kind != NODE_VARIABLE) return Report(p, start, "Variable name expected.");
    if (!IsAssignmentOperator(KindAt(p, i))) return Report(p, i, "Assignment operator expected.");
    node->kind = NODE_ASSIGN;
    node->id = KindAt(p, i);
    return ParseExpression(p, i + 1, Node_AddChild(node, PositionAt(p, i + 1)));
}

// A statement whose children are: an expression, then a statement (while, with, repeat), with an
// optional keyword between them.
int32_t ParseHeadAndBody(Parser& p, int32_t i, CodeNode* node, int32_t optionalKeyword)
{
    node->kind = KindAt(p, i);
    i = ParseExpression(p, i + 1, Node_AddChild(node, PositionAt(p, i + 1)));
    if (p.failed) return i;
    if (optionalKeyword != 0) i = SkipOptional(p, i, optionalKeyword);
    return ParseStatement(p, i, Node_AddChild(node, PositionAt(p, i)));
}

int32_t ParseIf(Parser& p, int32_t i, CodeNode* node)
{
    i = ParseHeadAndBody(p, i, node, TOKEN_THEN);
    if (p.failed || KindAt(p, i) != TOKEN_ELSE) return i;
    return ParseStatement(p, i + 1, Node_AddChild(node, PositionAt(p, i + 1)));
}

int32_t ParseDo(Parser& p, int32_t i, CodeNode* node)
{
    node->kind = NODE_DO;
    i = ParseStatement(p, i + 1, Node_AddChild(node, PositionAt(p, i + 1)));
    if (p.failed) return i;
    i = Expect(p, i, TOKEN_UNTIL, "Keyword until expected.");
    if (p.failed) return i;
    return ParseExpression(p, i, Node_AddChild(node, PositionAt(p, i)));
}

int32_t ParseFor(Parser& p, int32_t i, CodeNode* node)
{
    node->kind = NODE_FOR;
    i = Expect(p, i + 1, TOKEN_OPEN, "Symbol ( expected.");
    if (p.failed) return i;
    i = ParseStatement(p, i, Node_AddChild(node, PositionAt(p, i)));
    if (p.failed) return i;
    i = SkipOptional(p, i, TOKEN_SEMICOLON);
    i = ParseExpression(p, i, Node_AddChild(node, PositionAt(p, i)));
    if (p.failed) return i;
    i = SkipOptional(p, i, TOKEN_SEMICOLON);
    i = ParseStatement(p, i, Node_AddChild(node, PositionAt(p, i)));
    if (p.failed) return i;
    i = Expect(p, i, TOKEN_CLOSE, "Symbol ) expected.");
    if (p.failed) return i;
    return ParseStatement(p, i, Node_AddChild(node, PositionAt(p, i)));
}

int32_t ParseSwitch(Parser& p, int32_t i, CodeNode* node)
{
    node->kind = NODE_SWITCH;
    i = ParseExpression(p, i + 1, Node_AddChild(node, PositionAt(p, i + 1)));
    if (p.failed) return i;
    i = Expect(p, i, TOKEN_BEGIN, "Symbol {  expected.");
    if (p.failed) return i;
    return ParseStatementsUntilClose(p, i, node);
}

int32_t ParseCase(Parser& p, int32_t i, CodeNode* node)
{
    node->kind = NODE_CASE;
    i = ParseExpression(p, i + 1, Node_AddChild(node, PositionAt(p, i + 1)));
    if (p.failed) return i;
    return Expect(p, i, TOKEN_COLON, "Symbol : expected.");
}

int32_t ParseStatementBody(Parser& p, int32_t i, CodeNode* node)
{
    int32_t kind = KindAt(p, i);
    switch (kind) {
    case TOKEN_END:
        return Report(p, i, "Unexpected end of code reached.");
    case TOKEN_FUNCTION:
        return ParseCall(p, i, node);
    case TOKEN_BEGIN:
        node->kind = NODE_BLOCK;
        return ParseStatementsUntilClose(p, i + 1, node);
    case TOKEN_IF:
        return ParseIf(p, i, node);
    case TOKEN_WHILE:
        return ParseHeadAndBody(p, i, node, TOKEN_DO);
    case TOKEN_WITH:
        return ParseHeadAndBody(p, i, node, TOKEN_DO);
    case TOKEN_REPEAT:
        return ParseHeadAndBody(p, i, node, 0);
    case TOKEN_DO:
        return ParseDo(p, i, node);
    case TOKEN_FOR:
        return ParseFor(p, i, node);
    case TOKEN_EXIT:
    case TOKEN_BREAK:
    case TOKEN_CONTINUE:
        node->kind = kind;
        return i + 1;
    case TOKEN_RETURN:
        node->kind = NODE_RETURN;
        return ParseExpression(p, i + 1, Node_AddChild(node, PositionAt(p, i + 1)));
    case TOKEN_SWITCH:
        return ParseSwitch(p, i, node);
    case TOKEN_CASE:
        return ParseCase(p, i, node);
    case TOKEN_DEFAULT:
        node->kind = NODE_DEFAULT;
        return Expect(p, i + 1, TOKEN_COLON, "Symbol : expected.");
    case TOKEN_VAR:
    case TOKEN_GLOBALVAR:
        return ParseDeclaration(p, i, node);
    case TOKEN_SEMICOLON:
        return i + 1; // an empty statement holds nothing
    default:
        return ParseAssignment(p, i, node);
    }
}

// Any number of ";" may follow a statement; none is required.
int32_t ParseStatement(Parser& p, int32_t i, CodeNode* node)
{
    Nesting nesting(p, i);
    if (!nesting.Ok()) return i;
    node->position = PositionAt(p, i);
    i = ParseStatementBody(p, i, node);
    while (!p.failed && KindAt(p, i) == TOKEN_SEMICOLON)
        ++i;
    return i;
}

// Later phases walk the tree recursively: a tree deeper than they can follow is refused here. A long
// chain of one operator nests without nesting the parser, so the tree itself is measured.
void CheckHeight(Parser& p, const CodeNode* root)
{
    int32_t deepAt = 0;
    if (Node_Height(root, CODE_TREE_HEIGHT_LIMIT, &deepAt) > CODE_TREE_HEIGHT_LIMIT)
        ReportAt(p, deepAt, NESTING_MESSAGE);
}

} // namespace

bool Parse_Program(CCode* code, const ResolvedArray* tokens, CodeNode* root)
{
    g_CodeErrorFlag = false;
    Parser p{code, tokens};
    Node_Init(root, PositionAt(p, 0));
    if (KindAt(p, 0) == TOKEN_END) {
        root->kind = NODE_EMPTY_PROGRAM;
        return true;
    }
    if (KindAt(p, 0) == TOKEN_BEGIN) {
        int32_t i = ParseStatement(p, 0, root);
        if (!p.failed && KindAt(p, i) != TOKEN_END) Report(p, i, "Program ends before end of the code.");
    } else {
        root->kind = NODE_BLOCK;
        for (int32_t i = 0; !p.failed && KindAt(p, i) != TOKEN_END;)
            i = ParseStatement(p, i, Node_AddChild(root, PositionAt(p, i)));
    }
    if (!p.failed) CheckHeight(p, root);
    return !p.failed;
}

bool Parse_Expression(CCode* code, const ResolvedArray* tokens, CodeNode* root)
{
    g_CodeErrorFlag = false;
    Parser p{code, tokens};
    Node_Init(root, PositionAt(p, 0));
    if (KindAt(p, 0) == TOKEN_END) {
        Node_SetReal(root, 0.0);
        return true;
    }
    ParseExpression(p, 0, root);
    if (!p.failed) CheckHeight(p, root);
    return !p.failed;
}

bool Code_CompileTree(CCode* code, bool asExpression, CodeNode* root)
{
    TokenArray tokens;
    ResolvedArray resolved;
    Node_Init(root, 0);
    g_CodeErrorFlag = false; // each compilation reports its own first error
    bool compiled = Lexer_Tokenise(code, &tokens) && Resolve_Tokens(code, &tokens, &resolved);
    if (compiled) {
        compiled =
            asExpression ? Parse_Expression(code, &resolved, root) : Parse_Program(code, &resolved, root);
        compiled = compiled && Check_Tree(code, root);
    }
    if (!compiled) {
        Node_Free(root);
        Node_Init(root, 0);
    }
    ResolvedArray_Free(&resolved);
    TokenArray_Free(&tokens);
    return compiled;
}
