// The names of events in code names and error messages.
#include <gtest/gtest.h>

#include <string>

#include "object/Object_Table.h"
#include "run/Run_EventNames.h"

namespace {

TEST(EventNames, KeyMouseOtherAndAsyncNames)
{
    EXPECT_STREQ("A-key", Event_GetKeyName(65));
    EXPECT_STREQ("7-key", Event_GetKeyName(55));
    EXPECT_STREQ("Keypad-4", Event_GetKeyName(100));
    EXPECT_STREQ("F4", Event_GetKeyName(115));
    EXPECT_STREQ("F12", Event_GetKeyName(123));
    EXPECT_STREQ("Keypad *", Event_GetKeyName(106));
    EXPECT_STREQ("<no key>", Event_GetKeyName(0));
    EXPECT_STREQ("<unknown>", Event_GetKeyName(91));
    EXPECT_STREQ("<unknown>", Event_GetKeyName(-1));

    EXPECT_STREQ("Middle Released", Event_GetMouseName(9));
    EXPECT_STREQ("Joystick 1 Button 1", Event_GetMouseName(21));
    EXPECT_STREQ("Joystick 2 Button 8", Event_GetMouseName(43));
    EXPECT_STREQ("<unknown>", Event_GetMouseName(12));
    EXPECT_STREQ("<unknown>", Event_GetMouseName(13));
    EXPECT_STREQ("Mouse Wheel Down", Event_GetMouseName(61));

    EXPECT_STREQ("User Defined 0", Event_GetOtherName(10));
    EXPECT_STREQ("User Defined 15", Event_GetOtherName(25));
    EXPECT_STREQ("Outside View 7", Event_GetOtherName(47));
    EXPECT_STREQ("Boundary View 0", Event_GetOtherName(50));
    EXPECT_STREQ("<unknown>", Event_GetOtherName(26));
    EXPECT_STREQ("HTTP", Event_GetAsyncName(62));
    EXPECT_STREQ("<unknown>", Event_GetAsyncName(64));
}

TEST(EventNames, ShortNamesForCodeNames)
{
    Object_ResetTable();
    Object_Add();
    EXPECT_STREQ("Create", Event_GetShortName(0, 0));
    EXPECT_STREQ("Alarm 11", Event_GetShortName(2, 11));
    EXPECT_STREQ("Step", Event_GetShortName(3, 0));
    EXPECT_STREQ("BeginStep", Event_GetShortName(3, 1));
    EXPECT_STREQ("EndStep", Event_GetShortName(3, 2));
    EXPECT_STREQ("__newobject0", Event_GetShortName(4, 0));
    EXPECT_STREQ("<undefined>", Event_GetShortName(4, 9));
    EXPECT_STREQ("<Space>", Event_GetShortName(5, 32));
    EXPECT_STREQ("No More Lives", Event_GetShortName(7, 6));
    EXPECT_STREQ("Dialog", Event_GetShortName(7, 63));
    EXPECT_STREQ("press F1", Event_GetShortName(9, 112));
    EXPECT_STREQ("release <Left>", Event_GetShortName(10, 37));
    EXPECT_STREQ("<Unknown Event>", Event_GetShortName(11, 0));
    Object_ResetTable();
}

TEST(EventNames, LongNamesForErrorMessages)
{
    EXPECT_STREQ(" Step Event1", Event_GetName(3, 1));
    EXPECT_STREQ("Alarm Event for alarm 3", Event_GetName(2, 3));
    EXPECT_STREQ("Keyboard Event for A-key Key", Event_GetName(5, 65));
    EXPECT_STREQ("Mouse Event for Left Pressed", Event_GetName(6, 4));
    EXPECT_STREQ("Other Event: Room Start", Event_GetName(7, 4));
    EXPECT_STREQ("Web Event: Image Loaded", Event_GetName(7, 60));
    EXPECT_STREQ("Key Press Event for <Enter> Key", Event_GetName(9, 13));
    EXPECT_STREQ("Key Release Event for F4 Key", Event_GetName(10, 115));
    EXPECT_STREQ("Draw Event", Event_GetName(8, 64));
    EXPECT_STREQ("<Unknown Event>", Event_GetName(11, 0));
    EXPECT_STREQ("<Unknown Event>", Event_GetName(100000, 3));
    EXPECT_EQ(0, std::string(Event_GetName(4, 2)).find("Collision Event"));
}

} // namespace
