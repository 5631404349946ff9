#include "timeline/Timeline_Placeholders.h"

// PLACEHOLDER until time lines are loaded: no time line to compile.
bool TimeLine_Prepare()
{
    return true;
}

// PLACEHOLDER until time lines are loaded: no time line has any name.
int32_t TimeLine_Find(const char*)
{
    return -1;
}

// PLACEHOLDER until time lines are loaded: the table holds no time line.
CTimeLine* TimeLine_Get(int32_t)
{
    return nullptr;
}

// PLACEHOLDER until time lines are loaded: a time line without moments.
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
