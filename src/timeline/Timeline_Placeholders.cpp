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

// PLACEHOLDER for the time lines issue: the table holds no time line.
CTimeLine* TimeLine_Get(int32_t)
{
    return nullptr;
}

// PLACEHOLDER for the time lines issue: a time line without moments.
int32_t CTimeLine::GetMomentCount() const
{
    return 0;
}
int32_t CTimeLine::GetMoment(int32_t) const
{
    return 0;
}
CEvent* CTimeLine::GetEvent(int32_t) const
{
    return nullptr;
}
