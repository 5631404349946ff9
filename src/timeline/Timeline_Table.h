// Time lines: lists of moments, each a whole step time with the event that runs when an instance's
// time-line position passes it, read from the game file's time-line chunk ("TMLN"). The frame's
// time-line stage asks for the moments to perform; scripts may clear moments and delete time lines
// (later ones move down), also from inside a moment that is running.
#pragma once

#include <cstdint>
#include <vector>

class CEvent;
class GameFile;

class CTimeLine {
public:
    CTimeLine() = default;
    virtual ~CTimeLine();
    CTimeLine(const CTimeLine&) = delete;
    CTimeLine& operator=(const CTimeLine&) = delete;

    int32_t GetMomentCount() const { return int32_t(m_Times.size()); }
    // The moment's time; 0 outside 0 .. count - 1.
    int32_t GetMoment(int32_t moment) const;
    // The moment's event, or null.
    CEvent* GetEvent(int32_t moment) const;
    // The first moment whose time is at or after the position; the count when there is none.
    int32_t FindMomentAtOrAfter(double position) const;
    // The last moment whose time is at or before the position; -1 when there is none.
    int32_t FindMomentAtOrBefore(double position) const;
    // Removes the moment of exactly that time, with its event; later moments move down.
    void ClearMoment(int32_t time);
    // Adds a moment after the others (the chunk reader, tests); the time line takes the event.
    void AddMoment(int32_t time, CEvent* event);
    // Grows whenever a moment is removed, so that the stage notices a moment that changed its own
    // time line.
    uint32_t GetChangeCount() const { return m_Changes; }

private:
    std::vector<CEvent*> m_Events; // owned; null for a moment without an event
    std::vector<int32_t> m_Times;  // ascending as the file stores them
    uint32_t m_Changes = 0;
};

// Deletes every time line and empties the table (before a game file is read).
void TimeLine_Reset();
// The time-line chunk; false (with a log line) for a record, moment list or event outside the file.
bool TimeLine_Load(GameFile& file, uint32_t body, uint32_t length);
// Compiles the moments' events (source games) as the current event (time line, 100000, time); false
// on the first failure, which the event compiler has reported.
bool TimeLine_Prepare();

int32_t TimeLine_Count();
bool TimeLine_Exists(int32_t index);
// The time line of the index, or null.
CTimeLine* TimeLine_Get(int32_t index);
// "<undefined>" for a bad index or an empty slot.
const char* TimeLine_Name(int32_t index);
// The lowest index of a time line of exactly that name, or -1.
int32_t TimeLine_Find(const char* name);
// Time lines cannot be made while the game runs: always -1.
int32_t TimeLine_Add();
// Removes the time line and its name; later time lines move down by one. False for a bad index or
// an empty slot.
bool TimeLine_Delete(int32_t index);
// Adds a time line at the end (tests); the table takes it.
int32_t TimeLine_Append(CTimeLine* line, const char* name);

// While the time-line stage runs, moments and time lines that scripts remove are kept until it
// ends, since the moment being performed may be one of them. Outside the stage they go at once.
void TimeLine_BeginStage();
void TimeLine_EndStage();
