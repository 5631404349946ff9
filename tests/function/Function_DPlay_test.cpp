#include <gtest/gtest.h>

#include "../TestSupport_Builtins.h"
#include "code/Code_Value.h"

using testsupport::CallBuiltin;

namespace {

// Calls with a result the engine prepared as the real 7, to tell "unchanged" from 0.
testsupport::BuiltinResult CallPrepared(const char* name, std::vector<testsupport::TestArg> args)
{
    testsupport::RegisterBuiltins();
    int32_t id = -1;
    FunctionEntry* row = Code_Function_Find(name, &id) ? Function_Get(id) : nullptr;
    testsupport::BuiltinResult answer;
    if (row == nullptr) {
        ADD_FAILURE() << name << " is not registered";
        return answer;
    }
    EXPECT_EQ(row->argCount, static_cast<int32_t>(args.size())) << name;
    std::vector<ScriptValue> values(args.size(), ScriptValue{VALUE_REAL, 0, 0.0});
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i].isText) Value_SetText(&values[i], args[i].text.c_str());
        else values[i].real = args[i].real;
    }
    ScriptValue result = {VALUE_REAL, 0, 7.0};
    row->routine(&result, nullptr, nullptr, static_cast<int32_t>(args.size()), values.data());
    answer.kind = Value_GetKind(&result);
    answer.real = result.real;
    if (const char* text = Value_GetText(&result)) answer.text = text;
    Value_Free(&result);
    for (ScriptValue& value : values) Value_Free(&value);
    return answer;
}

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
        testsupport::BuiltinResult result = CallPrepared(c.name, c.args);
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
