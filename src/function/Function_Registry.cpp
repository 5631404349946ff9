#include "function/Function_Registry.h"

#include <cstring>

namespace {

FunctionHeader g_Header = FunctionHeader::Current;

} // namespace

void Function_SetHeaderTag(const char* tag)
{
    bool older = tag != nullptr && (std::strncmp(tag, "GEN7", 4) == 0 || std::strncmp(tag, "GENL", 4) == 0);
    g_Header = older ? FunctionHeader::Older : FunctionHeader::Current;
}

FunctionHeader Function_Header()
{
    return g_Header;
}

int32_t Function_RowCount(const FunctionRow& row)
{
    if (g_Header == FunctionHeader::Current || row.olderCount == FUNCTION_SAME_COUNT) return row.count;
    return row.olderCount;
}

void Function_AddRows(const FunctionRow* rows, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        int32_t arguments = Function_RowCount(rows[i]);
        if (arguments == FUNCTION_NOT_REGISTERED) continue;
        // A leaf and the text forms read the arguments of the current header's count.
        bool current = arguments == rows[i].count;
        Function_Add(rows[i].name, rows[i].routine, arguments, current ? rows[i].leaf : nullptr,
                     current ? rows[i].textForms : nullptr);
    }
}
