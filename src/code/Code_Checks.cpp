#include "code/Code_Checks.h"

#include <unordered_set>

#include "base/Base_Numbers.h"
#include "code/Code_Error.h"
#include "code/Code_Operators.h"

namespace {

// The names declared with var, as a set for the lookups that every variable node makes.
std::unordered_set<int32_t> g_LocalNameSet;

bool IsConstant(const CodeNode& node)
{
    return node.kind == NODE_CONSTANT;
}

bool IsRealConstant(const CodeNode& node, double real)
{
    return IsConstant(node) && Value_GetKind(&node.value) == VALUE_REAL && node.value.real == real;
}

void DeclareLocals(const CodeNode* node)
{
    for (int32_t i = 0; i < node->childCount; ++i) {
        g_LocalNameSet.insert(node->children[i].id);
    }
}

bool FixVariable(CCode* code, CodeNode* node)
{
    CodeNode* owner = &node->children[0];
    if (IsRealConstant(*owner, SCOPE_UNNAMED) && LocalNames_Contains(node->id))
        Value_SetReal(&owner->value, SCOPE_LOCAL);
    if (!IsConstant(*owner) || node->childCount >= 2) return true;
    if (Value_GetKind(&owner->value) == VALUE_STRING) {
        Code_Report_Error(code, owner->position, "Left hand side must be a real value.");
        return false;
    }
    node->scope = Numbers_RoundToInt32(owner->value.real);
    node->kind = NODE_FIXED_VARIABLE;
    Node_FreeChildren(node);
    return true;
}

// The node takes the value and drops its children.
void BecomeConstant(CodeNode* node, ScriptValue* value)
{
    Node_FreeChildren(node);
    Value_Free(&node->value);
    node->value = *value; // the node now owns the value's text
    *value = ScriptValue{};
    node->kind = NODE_CONSTANT;
}

bool FoldUnary(CCode* code, CodeNode* node)
{
    ScriptValue value{};
    Value_Copy(&value, &node->children[0].value);
    if (!Operator_Unary(code, node->children[0].position, node->id, &value)) {
        Value_Free(&value);
        return false;
    }
    BecomeConstant(node, &value);
    return true;
}

bool FoldBinary(CCode* code, CodeNode* node)
{
    ScriptValue left{};
    ScriptValue right{};
    Value_Copy(&left, &node->children[0].value);
    Value_Copy(&right, &node->children[1].value);
    bool folded = Operator_Binary(code, node->children[1].position, node->id, &left, &right);
    Value_Free(&right);
    if (folded) BecomeConstant(node, &left);
    Value_Free(&left);
    return folded;
}

bool ApplyRules(CCode* code, CodeNode* node)
{
    switch (node->kind) {
    case NODE_VAR:
        DeclareLocals(node);
        return true;
    case NODE_VARIABLE:
        return node->childCount == 0 || FixVariable(code, node);
    case NODE_UNARY:
        if (node->childCount == 1 && IsConstant(node->children[0])) return FoldUnary(code, node);
        return true;
    case NODE_BINARY:
        if (node->childCount == 2 && IsConstant(node->children[0]) && IsConstant(node->children[1]))
            return FoldBinary(code, node);
        return true;
    case NODE_CASE:
        if (node->childCount >= 1 && IsConstant(node->children[0])) node->kind = NODE_CONSTANT_CASE;
        return true;
    default:
        return true;
    }
}

// Children first, in order, then the node itself. The parser bounds the tree's height.
bool Walk(CCode* code, CodeNode* node)
{
    for (int32_t i = 0; i < node->childCount; ++i)
        if (!Walk(code, &node->children[i])) return false;
    return ApplyRules(code, node);
}

} // namespace

bool LocalNames_Contains(int32_t id)
{
    return g_LocalNameSet.count(id) != 0;
}

bool Check_Tree(CCode* code, CodeNode* root)
{
    g_LocalNameSet.clear();
    g_CodeErrorFlag = false;
    return Walk(code, root);
}
