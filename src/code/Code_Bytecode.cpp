#include "code/Code_Bytecode.h"

int32_t VM_DataTypeSize(uint32_t type)
{
    switch (type & 0xF) {
    case VM_TYPE_DOUBLE:
    case VM_TYPE_LONG:
        return 8;
    case VM_TYPE_FLOAT:
    case VM_TYPE_INT:
    case VM_TYPE_BOOL:
    case VM_TYPE_VARIABLE:
    case VM_TYPE_STRING:
        return 4;
    default:
        return 0;
    }
}

bool VM_IsBranchOpcode(uint8_t opcode)
{
    switch (opcode) {
    case VM_OP_B:
    case VM_OP_BT:
    case VM_OP_BF:
    case VM_OP_PUSHENV:
    case VM_OP_POPENV:
        return true;
    default:
        return false;
    }
}
