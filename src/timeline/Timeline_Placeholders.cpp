#include "timeline/Timeline_Placeholders.h"

// PLACEHOLDER for the time lines issue: no time line to compile.
bool TimeLine_Prepare()
{
    return true;
}

// PLACEHOLDER for the time lines issue: no time line has any name.
int32_t TimeLine_Find(const char*)
{
    return -1;
}
