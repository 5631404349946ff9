// Walks a value and every array nested in it, in row order and element order, for the writers of
// its text and byte forms. Nesting is followed with an explicit stack: a script can nest arrays far
// deeper than the native stack would allow recursion.
#pragma once

#include <cstdint>
#include <vector>

#include "code/Code_Value.h"

// The visitor receives, for a value that is not an array, Scalar(value); for an array value,
// ArrayBegin(value, array) (array may be null), then per row RowBegin(row) ... RowEnd(row, cut) with
// Element(column) before each element's own calls, then ArrayEnd(array, cut). Rows past maxRows and
// elements past maxColumns are skipped; `cut` says that some were.
template <typename Visitor>
void Value_Walk(const ScriptValue* value, Visitor& visitor, int32_t maxRows = INT32_MAX,
                int32_t maxColumns = INT32_MAX)
{
    struct Frame {
        const ValueArray* array;
        int32_t row;
        int32_t column; // -1 before the row has begun
    };
    std::vector<Frame> stack;
    auto enter = [&](const ScriptValue* item) {
        if (Value_GetKind(item) != VALUE_ARRAY) {
            visitor.Scalar(item);
            return;
        }
        const ValueArray* array = Value_GetArray(item);
        visitor.ArrayBegin(item, array);
        stack.push_back({array, 0, -1});
    };

    enter(value);
    while (!stack.empty()) {
        Frame& frame = stack.back();
        int32_t rowCount = frame.array != nullptr ? frame.array->rowCount : 0;
        if (frame.column < 0) {
            if (frame.row >= rowCount || frame.row >= maxRows) {
                const ValueArray* array = frame.array;
                stack.pop_back();
                visitor.ArrayEnd(array, rowCount > maxRows);
                continue;
            }
            visitor.RowBegin(frame.array->rows[frame.row]);
            frame.column = 0;
        }
        const ValueArrayRow& row = frame.array->rows[frame.row];
        if (frame.column >= row.length || frame.column >= maxColumns) {
            visitor.RowEnd(row, row.length > maxColumns);
            ++frame.row;
            frame.column = -1;
            continue;
        }
        int32_t column = frame.column++;
        visitor.Element(column);
        enter(&row.elements[column]); // may grow the stack: `frame` is not used after this
    }
}
