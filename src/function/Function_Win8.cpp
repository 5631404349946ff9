// The tablet-platform functions: every name is registered for one routine that only says the
// feature is missing here.
#include "base/Base_Console.h"
#include "function/Function_Families.h"
#include "function/Function_Registry.h"

namespace {

void Builtin_Win8LivetileTileNotification(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    MainConsole->Output("Windows8 functionality not supported\n");
}

const FunctionRow WIN8_ROWS[] = {
    {"win8_livetile_tile_notification", Builtin_Win8LivetileTileNotification, 4},
    {"win8_livetile_tile_clear", Builtin_Win8LivetileTileNotification, 0},
    {"win8_livetile_badge_notification", Builtin_Win8LivetileTileNotification, 1},
    {"win8_livetile_badge_clear", Builtin_Win8LivetileTileNotification, 0},
    {"win8_livetile_queue_enable", Builtin_Win8LivetileTileNotification, 1},
    {"win8_appbar_enable", Builtin_Win8LivetileTileNotification, 1},
    {"win8_appbar_add_element", Builtin_Win8LivetileTileNotification, 6},
    {"win8_appbar_remove_element", Builtin_Win8LivetileTileNotification, 1},
    {"win8_share_image", Builtin_Win8LivetileTileNotification, 3},
    {"win8_share_screenshot", Builtin_Win8LivetileTileNotification, 2},
    {"win8_share_file", Builtin_Win8LivetileTileNotification, 3},
    {"win8_share_url", Builtin_Win8LivetileTileNotification, 3},
    {"win8_share_text", Builtin_Win8LivetileTileNotification, 3},
    {"win8_settingscharm_add_entry", Builtin_Win8LivetileTileNotification, 2},
    {"win8_settingscharm_add_html_entry", Builtin_Win8LivetileTileNotification, 3},
    {"win8_settingscharm_remove_entry", Builtin_Win8LivetileTileNotification, 1},
    {"win8_search_enable", Builtin_Win8LivetileTileNotification, 1},
    {"win8_search_disable", Builtin_Win8LivetileTileNotification, 0},
    {"win8_search_add_suggestions", Builtin_Win8LivetileTileNotification, 1},
    {"win8_device_touchscreen_available", Builtin_Win8LivetileTileNotification, 0},
    {"win8_secondarytile_pin", Builtin_Win8LivetileTileNotification, 8},
    {"win8_secondarytile_delete", Builtin_Win8LivetileTileNotification, 1},
    {"win8_secondarytile_badge_notification", Builtin_Win8LivetileTileNotification, 2},
    {"win8_livetile_notification_begin", Builtin_Win8LivetileTileNotification, 1},
    {"win8_livetile_notification_secondary_begin", Builtin_Win8LivetileTileNotification, 2},
    {"win8_livetile_notification_expiry", Builtin_Win8LivetileTileNotification, 1},
    {"win8_livetile_notification_tag", Builtin_Win8LivetileTileNotification, 1},
    {"win8_livetile_notification_text_add", Builtin_Win8LivetileTileNotification, 1},
    {"win8_livetile_notification_image_add", Builtin_Win8LivetileTileNotification, 1},
    {"win8_livetile_notification_end", Builtin_Win8LivetileTileNotification, 0},
};

} // namespace

void Function_Win8_Init()
{
    Function_AddRows(WIN8_ROWS);
}
