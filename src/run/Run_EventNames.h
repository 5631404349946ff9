// The names of events: short names for the names of compiled event code ("Object.%s.%s.%d") and
// long names for run-time error messages. Each result lies in a static area that the next call of
// the same routine overwrites.
#pragma once

#include <cstdint>

// Long name, as error messages show it ("Alarm Event for alarm 3", " Step Event1", ...).
const char* Event_GetName(int32_t type, int32_t subtype);
// Short name, as code names use it ("Create", "BeginStep", "press A-key", ...).
const char* Event_GetShortName(int32_t type, int32_t subtype);

// "Begin" for 1, "End" for 2, "" otherwise.
const char* Event_GetStepName(int32_t subtype);
// Key codes: "<no key>", "A-key", "Keypad-4", "F4", ... and "<unknown>".
const char* Event_GetKeyName(int32_t code);
const char* Event_GetMouseName(int32_t subtype);
const char* Event_GetOtherName(int32_t subtype);
const char* Event_GetAsyncName(int32_t subtype);
