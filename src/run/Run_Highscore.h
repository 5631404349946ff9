// The highscore table: ten places of a name and a value, place 1 the best, kept in "hiscore.dat"
// in the save area. Read at start-up, written at shut-down when it changed.
#pragma once

#include <cstdint>
#include <string>

constexpr int32_t SCORE_PLACES = 10;
// Longest name the file may hold; a longer one ends the reading.
constexpr uint32_t SCORE_NAME_LIMIT = 256;

// The text empty places get at the next clear; "<nobody>" at first.
void Score_SetNoName(const char* text);
// Every place gets the no-name text and the value 0.
void Score_Clear();
// Inserts the entry after every one of equal or greater value; nothing when it would be
// eleventh. `name` may be null (a place without name).
void Score_Add(const char* name, int32_t value);
// Places 1 to 10; 0 and null outside.
int32_t Score_GetValue(int32_t place);
const char* Score_GetName(int32_t place);
// The 0-based place of the last entry added, -1 before any.
int32_t Score_LastPlace();
// The table as it stands shows nothing: there is no highscore window.
void Score_Show(int32_t place);

// Reads "hiscore.dat"; true when the table was replaced from it.
bool Score_Load();
// Writes "hiscore.dat" when the table changed since the last load or save.
void Score_Save();

// The file's bytes for the table, and the table read from such bytes (true when they were taken).
std::string Score_Encode();
bool Score_Decode(const uint8_t* bytes, int32_t size);
