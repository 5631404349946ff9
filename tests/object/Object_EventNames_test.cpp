// The names of events in code names and error messages.
#include <gtest/gtest.h>

#include <string>

#include "object/Object_Table.h"
#include "run/Run_EventNames.h"

namespace {

const char* Key(int32_t type, int32_t) { return Event_GetKeyName(type); }
const char* Mouse(int32_t type, int32_t) { return Event_GetMouseName(type); }
const char* Other(int32_t type, int32_t) { return Event_GetOtherName(type); }
const char* Async(int32_t type, int32_t) { return Event_GetAsyncName(type); }

TEST(EventNames, NamesOfEventsAndTheirSubtypes)
{
    Object_ResetTable();
    Object_Add();
    const struct {
        const char* (*name)(int32_t, int32_t);
        int32_t type, subtype;
        const char* expected;
    } names[] = {
        {Key, 100, 0, "Keypad-4"}, {Key, 0, 0, "<no key>"}, {Key, 91, 0, "<unknown>"},
        {Mouse, 43, 0, "Joystick 2 Button 8"}, {Other, 47, 0, "Outside View 7"}, {Async, 64, 0, "<unknown>"},
        // Short names, for the names of compiled code.
        {Event_GetShortName, 2, 11, "Alarm 11"}, {Event_GetShortName, 4, 9, "<undefined>"},
        {Event_GetShortName, 10, 37, "release <Left>"}, {Event_GetShortName, 11, 0, "<Unknown Event>"},
        // Long names, for error messages.
        {Event_GetName, 3, 1, " Step Event1"}, {Event_GetName, 5, 65, "Keyboard Event for A-key Key"},
        {Event_GetName, 6, 4, "Mouse Event for Left Pressed"}, {Event_GetName, 7, 60, "Web Event: Image Loaded"},
        {Event_GetName, 10, 115, "Key Release Event for F4 Key"}, {Event_GetName, 100000, 3, "<Unknown Event>"},
    };
    for (const auto& n : names) EXPECT_STREQ(n.expected, n.name(n.type, n.subtype)) << n.type << " " << n.subtype;
    EXPECT_EQ(0u, std::string(Event_GetName(4, 2)).find("Collision Event"));
    Object_ResetTable();
}

} // namespace
