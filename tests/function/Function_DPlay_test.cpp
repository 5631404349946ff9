#include <gtest/gtest.h>

#include "../TestSupport_Builtins.h"

using testsupport::CallBuiltin;

namespace {

TEST(FunctionDPlay, EveryMultiplayerCallAnswersAsWithoutASession)
{
    struct Case {
        const char* name;
        std::vector<testsupport::TestArg> args;
        const char* text; // null: a real result
        double real;
    };
    const Case cases[] = {
        {"mplay_init_ipx", {}, nullptr, 0},
        {"mplay_init_tcpip", {"127.0.0.1"}, nullptr, 0},
        {"mplay_init_modem", {"", ""}, nullptr, 0},
        {"mplay_init_serial", {1, 2, 3, 4, 5}, nullptr, 0},
        {"mplay_connect_status", {}, nullptr, 0},
        {"mplay_end", {}, nullptr, 7},
        {"mplay_session_mode", {1}, nullptr, 7},
        {"mplay_session_create", {"s", 4, "me"}, nullptr, 0},
        {"mplay_session_find", {}, nullptr, 0},
        {"mplay_session_name", {0}, "", 0},
        {"mplay_session_join", {0, "me"}, nullptr, 0},
        {"mplay_session_status", {}, nullptr, 0},
        {"mplay_session_end", {}, nullptr, 7},
        {"mplay_player_find", {}, nullptr, 0},
        {"mplay_player_name", {0}, "", 0},
        {"mplay_player_id", {0}, nullptr, 0},
        {"mplay_data_write", {5, "x"}, nullptr, 0},
        {"mplay_data_read", {5}, nullptr, 0},
        {"mplay_data_mode", {1}, nullptr, 7},
        {"mplay_message_send", {0, 1, "hi"}, nullptr, 0},
        {"mplay_message_send_guaranteed", {"bob", 1, 2}, nullptr, 0},
        {"mplay_message_receive", {"bob"}, nullptr, 0},
        {"mplay_message_id", {}, nullptr, 0},
        {"mplay_message_value", {}, nullptr, 0},
        {"mplay_message_player", {}, nullptr, 0},
        {"mplay_message_name", {}, "(unknown)", 0},
        {"mplay_message_count", {0}, nullptr, 0},
        {"mplay_message_clear", {0}, nullptr, 7},
        {"mplay_ipaddress", {}, "", 0},
    };
    EXPECT_EQ(sizeof cases / sizeof cases[0], 29u);
    for (const Case& c : cases) {
        // The engine prepares the real 7, so an unchanged result shows.
        testsupport::BuiltinResult result = CallBuiltin(c.name, c.args, nullptr, nullptr, 7);
        if (c.text != nullptr) {
            EXPECT_EQ(result.kind, VALUE_STRING) << c.name;
            EXPECT_EQ(result.text, c.text) << c.name;
        } else {
            EXPECT_EQ(result.kind, VALUE_REAL) << c.name;
            EXPECT_EQ(result.real, c.real) << c.name;
        }
    }
}

} // namespace
