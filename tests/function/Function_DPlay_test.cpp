// The legacy multiplayer built-ins answer as they would without a session.
#include "Function_TestCases.h"

namespace {

TEST(FunctionDPlay, EveryMultiplayerCallAnswersAsWithoutASession)
{
    // 7: the result left as the engine prepared it.
    const functiontest::Case cases[] = {
        {"mplay_init_ipx", {}, 0}, {"mplay_init_tcpip", {"127.0.0.1"}, 0}, {"mplay_init_modem", {"", ""}, 0},
        {"mplay_init_serial", {1, 2, 3, 4, 5}, 0}, {"mplay_connect_status", {}, 0}, {"mplay_end", {}, 7},
        {"mplay_session_mode", {1}, 7}, {"mplay_session_create", {"s", 4, "me"}, 0}, {"mplay_session_find", {}, 0},
        {"mplay_session_name", {0}, ""}, {"mplay_session_join", {0, "me"}, 0}, {"mplay_session_status", {}, 0},
        {"mplay_session_end", {}, 7}, {"mplay_player_find", {}, 0}, {"mplay_player_name", {0}, ""},
        {"mplay_player_id", {0}, 0}, {"mplay_data_write", {5, "x"}, 0}, {"mplay_data_read", {5}, 0},
        {"mplay_data_mode", {1}, 7}, {"mplay_message_send", {0, 1, "hi"}, 0},
        {"mplay_message_send_guaranteed", {"bob", 1, 2}, 0}, {"mplay_message_receive", {"bob"}, 0},
        {"mplay_message_id", {}, 0}, {"mplay_message_value", {}, 0}, {"mplay_message_player", {}, 0},
        {"mplay_message_name", {}, "(unknown)"}, {"mplay_message_count", {0}, 0}, {"mplay_message_clear", {0}, 7},
        {"mplay_ipaddress", {}, ""},
    };
    for (const functiontest::Case& c : cases) {
        testsupport::BuiltinResult result = testsupport::CallBuiltin(c.name, c.args, nullptr, nullptr, 7);
        EXPECT_EQ(result.kind, c.expected.isText ? VALUE_STRING : VALUE_REAL) << c.name;
        EXPECT_EQ(result.text, c.expected.text) << c.name;
        if (!c.expected.isText) {
            EXPECT_EQ(result.real, c.expected.real) << c.name;
        }
    }
}

} // namespace
