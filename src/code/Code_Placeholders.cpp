// PLACEHOLDERS: each definition here stands in for an issue that has not landed and is replaced by it.
#include "code/Code_Placeholders.h"

#include "code/Code_Error.h"
#include "code/Code_Execute.h"
#include "code/Code_Tree.h"

// PLACEHOLDER for the tree-walking executor issue: an executor that knows no node kind answers every
// statement and expression as one it does not know.
int32_t Code_Exec_Statement(Code_Exec_Context* context, const CodeNode* node, ScriptValue*)
{
    Code_Report_Error(context->code, node->position, "Statement expected.");
    return EXEC_ERROR;
}

int32_t Code_Exec_Expression(Code_Exec_Context* context, const CodeNode* node, ScriptValue*)
{
    Code_Report_Error(context->code, node->position, "(Sub-)expression expected.");
    return EXEC_ERROR;
}
