// Nothing stands in for the objects area any more: the object table (Object_Table.cpp) and the event
// object lists (Object_Lists.cpp) are built.
#include "object/Object_Placeholders.h"
