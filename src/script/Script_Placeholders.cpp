// Nothing stands in for the scripts area any more: the script table is Script_Table.cpp.
#include "script/Script_Placeholders.h"
