// The data-structure family: stacks, queues, lists, maps and priority queues here, grids in
// Function_DataStructureGrid.cpp. Each routine checks the structure's index, then calls its class.
#include "function/Function_DataStructure.h"

#include "datastructure/DataStructure_List.h"
#include "datastructure/DataStructure_Map.h"
#include "datastructure/DataStructure_Priority.h"
#include "datastructure/DataStructure_Stack.h"
#include "datastructure/DataStructure_Tables.h"
#include "function/Function_Args.h"
#include "function/Function_DataStructureCommon.h"
#include "function/Function_Families.h"
#include "function/Function_ListLeaves.h"
#include "function/Function_Registry.h"

namespace {

// ---- stacks ---------------------------------------------------------------------------------------

DS_BUILTIN(Builtin_DsSetPrecision)
{
    DS_SetPrecision(Arg_Real(args[0]));
}

DS_BUILTIN(Builtin_DsStackCreate)
{
    Result_Real(result, DS_NewStack());
}

DS_BUILTIN(Builtin_DsStackDestroy)
{
    DS_Destroy(g_DSStacks, args[0], false);
}

DS_BUILTIN(Builtin_DsStackClear)
{
    if (CDS_Stack* stack = DS_Find(g_DSStacks, args[0])) stack->Clear();
}

DS_BUILTIN(Builtin_DsStackCopy)
{
    DS_CopyStructure(g_DSStacks, args);
}

DS_BUILTIN(Builtin_DsStackSize)
{
    if (CDS_Stack* stack = DS_Find(g_DSStacks, args[0])) Result_Real(result, stack->Size());
}

DS_BUILTIN(Builtin_DsStackEmpty)
{
    if (CDS_Stack* stack = DS_Find(g_DSStacks, args[0])) Result_Bool(result, stack->Empty());
}

DS_BUILTIN(Builtin_DsStackPush)
{
    if (CDS_Stack* stack = DS_Find(g_DSStacks, args[0])) stack->Push(&args[1]);
}

DS_BUILTIN(Builtin_DsStackPop)
{
    if (CDS_Stack* stack = DS_Find(g_DSStacks, args[0])) DS_CopyOut(result, stack->Pop());
}

DS_BUILTIN(Builtin_DsStackTop)
{
    if (CDS_Stack* stack = DS_Find(g_DSStacks, args[0])) DS_CopyOut(result, stack->Top());
}

DS_BUILTIN(Builtin_DsStackWrite)
{
    DS_WriteText(g_DSStacks, result, args);
}

DS_BUILTIN(Builtin_DsStackRead)
{
    DS_ReadText(g_DSStacks, args);
}

// ---- queues ---------------------------------------------------------------------------------------

DS_BUILTIN(Builtin_DsQueueDestroy)
{
    DS_Destroy(g_DSQueues, args[0], false);
}

DS_BUILTIN(Builtin_DsQueueCopy)
{
    DS_CopyStructure(g_DSQueues, args);
}

DS_BUILTIN(Builtin_DsQueueEmpty)
{
    if (CDS_Queue* queue = DS_Find(g_DSQueues, args[0])) Result_Bool(result, queue->Empty());
}

DS_BUILTIN(Builtin_DsQueueHead)
{
    if (CDS_Queue* queue = DS_Find(g_DSQueues, args[0])) DS_CopyOut(result, queue->Head());
}

DS_BUILTIN(Builtin_DsQueueTail)
{
    if (CDS_Queue* queue = DS_Find(g_DSQueues, args[0])) DS_CopyOut(result, queue->Tail());
}

DS_BUILTIN(Builtin_DsQueueWrite)
{
    DS_WriteText(g_DSQueues, result, args);
}

DS_BUILTIN(Builtin_DsQueueRead)
{
    DS_ReadText(g_DSQueues, args);
}

// ---- lists ----------------------------------------------------------------------------------------

DS_BUILTIN(Builtin_DsListDestroy)
{
    DS_Destroy(g_DSLists, args[0], true);
}

DS_BUILTIN(Builtin_DsListClear)
{
    if (CDS_List* list = DS_Find(g_DSLists, args[0])) list->Clear();
}

DS_BUILTIN(Builtin_DsListCopy)
{
    DS_CopyStructure(g_DSLists, args);
}

DS_BUILTIN(Builtin_DsListSize)
{
    if (CDS_List* list = DS_Find(g_DSLists, args[0])) Result_Real(result, list->Size());
}

DS_BUILTIN(Builtin_DsListEmpty)
{
    if (CDS_List* list = DS_Find(g_DSLists, args[0])) Result_Bool(result, list->Empty());
}

DS_BUILTIN(Builtin_DsListAdd)
{
    if (CDS_List* list = DS_Find(g_DSLists, args[0])) list->Add(&args[1]);
}

DS_BUILTIN(Builtin_DsListInsert)
{
    if (CDS_List* list = DS_Find(g_DSLists, args[0])) list->Insert(Arg_Int(args[1]), &args[2]);
}

DS_BUILTIN(Builtin_DsListReplace)
{
    if (CDS_List* list = DS_Find(g_DSLists, args[0])) list->Replace(Arg_Int(args[1]), &args[2]);
}

DS_BUILTIN(Builtin_DsListDelete)
{
    if (CDS_List* list = DS_Find(g_DSLists, args[0])) list->Delete(Arg_Int(args[1]));
}

DS_BUILTIN(Builtin_DsListFindIndex)
{
    if (CDS_List* list = DS_Find(g_DSLists, args[0])) Result_Real(result, list->Find(&args[1]));
}

DS_BUILTIN(Builtin_DsListFindValue)
{
    if (CDS_List* list = DS_Find(g_DSLists, args[0])) DS_CopyOut(result, list->GetValue(Arg_Int(args[1])));
}

// The leaf form of the list's size, which a step calls on reals: a missing list (an error to report)
// is the routine's. Read and replace are Function_ListLeaves.h's.
inline CDS_List* LeafList(const double* top)
{
    return g_DSLists.Get(Real_Int(Leaf_Argument(top, 0)));
}

bool Leaf_DsListSize(CInstance*, CInstance*, const double* top, double* result)
{
    CDS_List* list = LeafList(top);
    if (list == nullptr) return false;
    *result = list->Size();
    return true;
}

DS_BUILTIN(Builtin_DsListSort)
{
    if (CDS_List* list = DS_Find(g_DSLists, args[0])) list->Sort(Arg_Flag(args[1]));
}

DS_BUILTIN(Builtin_DsListShuffle)
{
    if (CDS_List* list = DS_Find(g_DSLists, args[0])) list->Shuffle();
}

DS_BUILTIN(Builtin_DsListWrite)
{
    DS_WriteText(g_DSLists, result, args);
}

DS_BUILTIN(Builtin_DsListRead)
{
    DS_ReadText(g_DSLists, args);
}

// ---- maps -----------------------------------------------------------------------------------------

DS_BUILTIN(Builtin_DsMapDestroy)
{
    DS_Destroy(g_DSMaps, args[0], true);
}

DS_BUILTIN(Builtin_DsMapCopy)
{
    DS_CopyStructure(g_DSMaps, args);
}

DS_BUILTIN(Builtin_DsMapSize)
{
    if (CDS_Map* map = DS_Find(g_DSMaps, args[0])) Result_Real(result, map->Size());
}

DS_BUILTIN(Builtin_DsMapEmpty)
{
    if (CDS_Map* map = DS_Find(g_DSMaps, args[0])) Result_Bool(result, map->Empty());
}

DS_BUILTIN(Builtin_DsMapReplace)
{
    if (CDS_Map* map = DS_Find(g_DSMaps, args[0])) Result_Bool(result, map->Replace(&args[1], &args[2]));
}

DS_BUILTIN(Builtin_DsMapDelete)
{
    if (CDS_Map* map = DS_Find(g_DSMaps, args[0])) map->Delete(&args[1]);
}

DS_BUILTIN(Builtin_DsMapFindValue)
{
    CDS_Map* map = DS_Find(g_DSMaps, args[0]);
    if (CDS_MapNode* node = map != nullptr ? map->Find(&args[1]) : nullptr) DS_CopyOut(result, &node->value);
}

void CopyKey(ScriptValue* result, const CDS_MapNode* node)
{
    if (node != nullptr) DS_CopyOut(result, &node->key);
}

DS_BUILTIN(Builtin_DsMapFindPrevious)
{
    if (CDS_Map* map = DS_Find(g_DSMaps, args[0])) CopyKey(result, map->FindPrevious(&args[1]));
}

DS_BUILTIN(Builtin_DsMapFindNext)
{
    if (CDS_Map* map = DS_Find(g_DSMaps, args[0])) CopyKey(result, map->FindNext(&args[1]));
}

DS_BUILTIN(Builtin_DsMapFindFirst)
{
    if (CDS_Map* map = DS_Find(g_DSMaps, args[0])) CopyKey(result, map->FindFirst());
}

DS_BUILTIN(Builtin_DsMapFindLast)
{
    if (CDS_Map* map = DS_Find(g_DSMaps, args[0])) CopyKey(result, map->FindLast());
}

DS_BUILTIN(Builtin_DsMapWrite)
{
    DS_WriteText(g_DSMaps, result, args);
}

DS_BUILTIN(Builtin_DsMapRead)
{
    DS_ReadText(g_DSMaps, args);
}

// ---- priority queues ------------------------------------------------------------------------------

DS_BUILTIN(Builtin_DsPriorityCreate)
{
    Result_Real(result, DS_NewPriority());
}

DS_BUILTIN(Builtin_DsPriorityDestroy)
{
    DS_Destroy(g_DSPriorities, args[0], false);
}

DS_BUILTIN(Builtin_DsPriorityClear)
{
    if (CDS_Priority* queue = DS_Find(g_DSPriorities, args[0])) queue->Clear();
}

DS_BUILTIN(Builtin_DsPriorityCopy)
{
    DS_CopyStructure(g_DSPriorities, args);
}

DS_BUILTIN(Builtin_DsPrioritySize)
{
    if (CDS_Priority* queue = DS_Find(g_DSPriorities, args[0])) Result_Real(result, queue->Size());
}

DS_BUILTIN(Builtin_DsPriorityEmpty)
{
    if (CDS_Priority* queue = DS_Find(g_DSPriorities, args[0])) Result_Bool(result, queue->Empty());
}

DS_BUILTIN(Builtin_DsPriorityAdd)
{
    if (CDS_Priority* queue = DS_Find(g_DSPriorities, args[0])) queue->Add(&args[1], &args[2]);
}

DS_BUILTIN(Builtin_DsPriorityChangePriority)
{
    if (CDS_Priority* queue = DS_Find(g_DSPriorities, args[0])) queue->ChangePriority(&args[1], &args[2]);
}

DS_BUILTIN(Builtin_DsPriorityFindPriority)
{
    if (CDS_Priority* queue = DS_Find(g_DSPriorities, args[0])) DS_CopyOut(result, queue->FindPriority(&args[1]));
}

DS_BUILTIN(Builtin_DsPriorityDeleteValue)
{
    if (CDS_Priority* queue = DS_Find(g_DSPriorities, args[0])) queue->DeleteValue(&args[1]);
}

DS_BUILTIN(Builtin_DsPriorityDeleteMin)
{
    if (CDS_Priority* queue = DS_Find(g_DSPriorities, args[0])) queue->DeleteMin(result);
}

DS_BUILTIN(Builtin_DsPriorityFindMin)
{
    if (CDS_Priority* queue = DS_Find(g_DSPriorities, args[0])) DS_CopyOut(result, queue->FindMin());
}

DS_BUILTIN(Builtin_DsPriorityDeleteMax)
{
    if (CDS_Priority* queue = DS_Find(g_DSPriorities, args[0])) queue->DeleteMax(result);
}

DS_BUILTIN(Builtin_DsPriorityFindMax)
{
    if (CDS_Priority* queue = DS_Find(g_DSPriorities, args[0])) DS_CopyOut(result, queue->FindMax());
}

DS_BUILTIN(Builtin_DsPriorityWrite)
{
    DS_WriteText(g_DSPriorities, result, args);
}

DS_BUILTIN(Builtin_DsPriorityRead)
{
    DS_ReadText(g_DSPriorities, args);
}

} // namespace

bool Leaf_DsListFindValue(CInstance*, CInstance*, const double* top, double* result)
{
    return DS_ListReadReal(Leaf_Argument(top, 0), Leaf_Argument(top, 1), result);
}

bool Leaf_DsListReplace(CInstance*, CInstance*, const double* top, double* result)
{
    if (!DS_ListReplaceReal(Leaf_Argument(top, 0), Leaf_Argument(top, 1), Leaf_Argument(top, 2))) return false;
    *result = 0.0;
    return true;
}

// ---- the routines other areas call ----------------------------------------------------------------

DS_BUILTIN(Builtin_DsMapCreate)
{
    int32_t buckets = argc == 1 ? Arg_Int(args[0]) : CDS_Map::DEFAULT_BUCKETS;
    Result_Real(result, g_DSMaps.Add(new CDS_Map(buckets)));
}

DS_BUILTIN(Builtin_DsMapClear)
{
    if (CDS_Map* map = DS_Find(g_DSMaps, args[0])) map->Clear();
}

DS_BUILTIN(Builtin_DsMapAdd)
{
    if (CDS_Map* map = DS_Find(g_DSMaps, args[0])) Result_Bool(result, map->Add(&args[1], &args[2]));
}

DS_BUILTIN(Builtin_DsMapExists)
{
    if (CDS_Map* map = DS_Find(g_DSMaps, args[0])) Result_Bool(result, map->Exists(&args[1]));
}

DS_BUILTIN(Builtin_DsListCreate)
{
    Result_Real(result, DS_NewList());
}

DS_BUILTIN(Builtin_DsQueueCreate)
{
    Result_Real(result, DS_NewQueue());
}

DS_BUILTIN(Builtin_DsQueueEnqueue)
{
    if (CDS_Queue* queue = DS_Find(g_DSQueues, args[0])) queue->Enqueue(&args[1]);
}

DS_BUILTIN(Builtin_DsQueueDequeue)
{
    if (CDS_Queue* queue = DS_Find(g_DSQueues, args[0])) DS_CopyOut(result, queue->Dequeue());
}

DS_BUILTIN(Builtin_DsQueueSize)
{
    if (CDS_Queue* queue = DS_Find(g_DSQueues, args[0])) Result_Real(result, queue->Size());
}

DS_BUILTIN(Builtin_DsQueueClear)
{
    if (CDS_Queue* queue = DS_Find(g_DSQueues, args[0])) queue->Clear();
}

namespace {

const FunctionRow DATA_STRUCTURE_ROWS[] = {
    {"ds_set_precision", Builtin_DsSetPrecision, 1},
    {"ds_stack_create", Builtin_DsStackCreate, 0},
    {"ds_stack_destroy", Builtin_DsStackDestroy, 1},
    {"ds_stack_clear", Builtin_DsStackClear, 1},
    {"ds_stack_copy", Builtin_DsStackCopy, 2},
    {"ds_stack_size", Builtin_DsStackSize, 1},
    {"ds_stack_empty", Builtin_DsStackEmpty, 1},
    {"ds_stack_push", Builtin_DsStackPush, 2},
    {"ds_stack_pop", Builtin_DsStackPop, 1},
    {"ds_stack_top", Builtin_DsStackTop, 1},
    {"ds_stack_write", Builtin_DsStackWrite, 1},
    {"ds_stack_read", Builtin_DsStackRead, 2},
    {"ds_queue_create", Builtin_DsQueueCreate, 0},
    {"ds_queue_destroy", Builtin_DsQueueDestroy, 1},
    {"ds_queue_clear", Builtin_DsQueueClear, 1},
    {"ds_queue_copy", Builtin_DsQueueCopy, 2},
    {"ds_queue_size", Builtin_DsQueueSize, 1},
    {"ds_queue_empty", Builtin_DsQueueEmpty, 1},
    {"ds_queue_enqueue", Builtin_DsQueueEnqueue, 2},
    {"ds_queue_dequeue", Builtin_DsQueueDequeue, 1},
    {"ds_queue_head", Builtin_DsQueueHead, 1},
    {"ds_queue_tail", Builtin_DsQueueTail, 1},
    {"ds_queue_write", Builtin_DsQueueWrite, 1},
    {"ds_queue_read", Builtin_DsQueueRead, 2},
    {"ds_list_create", Builtin_DsListCreate, 0},
    {"ds_list_destroy", Builtin_DsListDestroy, 1},
    {"ds_list_clear", Builtin_DsListClear, 1},
    {"ds_list_copy", Builtin_DsListCopy, 2},
    {"ds_list_size", Builtin_DsListSize, 1, FUNCTION_SAME_COUNT, Leaf_DsListSize},
    {"ds_list_empty", Builtin_DsListEmpty, 1},
    {"ds_list_add", Builtin_DsListAdd, 2},
    {"ds_list_insert", Builtin_DsListInsert, 3},
    {"ds_list_replace", Builtin_DsListReplace, 3, FUNCTION_SAME_COUNT, Leaf_DsListReplace},
    {"ds_list_delete", Builtin_DsListDelete, 2},
    {"ds_list_find_index", Builtin_DsListFindIndex, 2},
    {"ds_list_find_value", Builtin_DsListFindValue, 2, FUNCTION_SAME_COUNT, Leaf_DsListFindValue},
    {"ds_list_sort", Builtin_DsListSort, 2},
    {"ds_list_shuffle", Builtin_DsListShuffle, 1},
    {"ds_list_write", Builtin_DsListWrite, 1},
    {"ds_list_read", Builtin_DsListRead, 2},
    {"ds_map_create", Builtin_DsMapCreate, 0},
    {"ds_map_destroy", Builtin_DsMapDestroy, 1},
    {"ds_map_clear", Builtin_DsMapClear, 1},
    {"ds_map_copy", Builtin_DsMapCopy, 2},
    {"ds_map_size", Builtin_DsMapSize, 1},
    {"ds_map_empty", Builtin_DsMapEmpty, 1},
    {"ds_map_add", Builtin_DsMapAdd, 3},
    {"ds_map_replace", Builtin_DsMapReplace, 3},
    {"ds_map_delete", Builtin_DsMapDelete, 2},
    {"ds_map_exists", Builtin_DsMapExists, 2},
    {"ds_map_find_value", Builtin_DsMapFindValue, 2},
    {"ds_map_find_previous", Builtin_DsMapFindPrevious, 2},
    {"ds_map_find_next", Builtin_DsMapFindNext, 2},
    {"ds_map_find_first", Builtin_DsMapFindFirst, 1},
    {"ds_map_find_last", Builtin_DsMapFindLast, 1},
    {"ds_map_write", Builtin_DsMapWrite, 1},
    {"ds_map_read", Builtin_DsMapRead, 2},
    {"ds_priority_create", Builtin_DsPriorityCreate, 0},
    {"ds_priority_destroy", Builtin_DsPriorityDestroy, 1},
    {"ds_priority_clear", Builtin_DsPriorityClear, 1},
    {"ds_priority_copy", Builtin_DsPriorityCopy, 2},
    {"ds_priority_size", Builtin_DsPrioritySize, 1},
    {"ds_priority_empty", Builtin_DsPriorityEmpty, 1},
    {"ds_priority_add", Builtin_DsPriorityAdd, 3},
    {"ds_priority_change_priority", Builtin_DsPriorityChangePriority, 3},
    {"ds_priority_find_priority", Builtin_DsPriorityFindPriority, 2},
    {"ds_priority_delete_value", Builtin_DsPriorityDeleteValue, 2},
    {"ds_priority_delete_min", Builtin_DsPriorityDeleteMin, 1},
    {"ds_priority_find_min", Builtin_DsPriorityFindMin, 1},
    {"ds_priority_delete_max", Builtin_DsPriorityDeleteMax, 1},
    {"ds_priority_find_max", Builtin_DsPriorityFindMax, 1},
    {"ds_priority_write", Builtin_DsPriorityWrite, 1},
    {"ds_priority_read", Builtin_DsPriorityRead, 2},
};

} // namespace

void InitDataStructureFunctions()
{
    Function_AddRows(DATA_STRUCTURE_ROWS);
    Function_DataStructureGrid_Register();
}
