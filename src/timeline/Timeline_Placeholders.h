// Time-line services of game preparation, standing in until time lines are loaded.
#pragma once

#include <cstdint>

// Compiles the actions of every time line; false on the first failure.
bool TimeLine_Prepare();

// The index of the resource of that name, or -1 (name resolution asks it for every word).
int32_t TimeLine_Find(const char* name);

class CEvent;

// A time line: its moments, each a time in steps and the event that runs then.
class CTimeLine {
public:
    int32_t GetMomentCount() const;
    // The moment's time; 0 outside 0 .. count - 1.
    int32_t GetMoment(int32_t moment) const;
    // The moment's event, or null.
    CEvent* GetEvent(int32_t moment) const;
};

// The time line of the index, or null.
CTimeLine* TimeLine_Get(int32_t index);
