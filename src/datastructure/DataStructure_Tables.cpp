#include "datastructure/DataStructure_Tables.h"

#include "datastructure/DataStructure_Grid.h"
#include "datastructure/DataStructure_List.h"
#include "datastructure/DataStructure_Map.h"
#include "datastructure/DataStructure_Priority.h"
#include "datastructure/DataStructure_Stack.h"

DS_Table<CDS_Stack> g_DSStacks;
DS_Table<CDS_Queue> g_DSQueues;
DS_Table<CDS_List> g_DSLists;
DS_Table<CDS_Map> g_DSMaps;
DS_Table<CDS_Priority> g_DSPriorities;
DS_Table<CDS_Grid> g_DSGrids;

int32_t DS_NewStack()
{
    return g_DSStacks.Add(new CDS_Stack());
}

int32_t DS_NewQueue()
{
    return g_DSQueues.Add(new CDS_Queue());
}

int32_t DS_NewList()
{
    return g_DSLists.Add(new CDS_List());
}

int32_t DS_NewMap()
{
    return g_DSMaps.Add(new CDS_Map());
}

int32_t DS_NewPriority()
{
    return g_DSPriorities.Add(new CDS_Priority());
}

int32_t DS_NewGrid(int32_t width, int32_t height)
{
    return g_DSGrids.Add(new CDS_Grid(width, height));
}

void DS_FreeAll()
{
    g_DSStacks.DeleteAll();
    g_DSQueues.DeleteAll();
    g_DSLists.DeleteAll();
    g_DSMaps.DeleteAll();
    g_DSPriorities.DeleteAll();
    g_DSGrids.DeleteAll();
}
