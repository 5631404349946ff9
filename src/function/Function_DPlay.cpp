// The mplay_ built-ins over the multiplayer layer, which has no sessions on this platform. Arguments
// are read without checking their kinds; none of the routines has an effect beyond its result.
#include "dplay/DPlay_Functions.h"
#include "function/Function_Args.h"
#include "function/Function_Registry.h"

namespace {

#define MPLAY_ROUTINE(name) void name(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)

// Operations that would need a session answer 0.
MPLAY_ROUTINE(Builtin_MplayZero) { Result_Real(result, 0); }
// Those whose result the script engine prepared stay as it is.
MPLAY_ROUTINE(Builtin_MplayUnchanged) { (void)result; }
MPLAY_ROUTINE(Builtin_MplayEmptyText) { Result_Text(result, ""); }
MPLAY_ROUTINE(Builtin_MplayConnectStatus) { Result_Real(result, g_DPlaySession.connectStatus); }
MPLAY_ROUTINE(Builtin_MplaySessionStatus) { Result_Real(result, g_DPlaySession.sessionStatus); }
MPLAY_ROUTINE(Builtin_MplayMessageId) { Result_Real(result, g_DPlaySession.messageId); }
MPLAY_ROUTINE(Builtin_MplayMessageValue) { Result_Real(result, g_DPlaySession.messageValue); }
MPLAY_ROUTINE(Builtin_MplayMessagePlayer) { Result_Real(result, g_DPlaySession.messagePlayer); }

MPLAY_ROUTINE(Builtin_MplayMessageName)
{
    const char* name = DPlay_PlayerName(g_DPlaySession.messagePlayer);
    Result_Text(result, name != nullptr ? name : "(unknown)");
}

const FunctionRow MPLAY_FUNCTIONS[] = {
    {"mplay_init_ipx", Builtin_MplayZero, 0},
    {"mplay_init_tcpip", Builtin_MplayZero, 1},
    {"mplay_init_modem", Builtin_MplayZero, 2},
    {"mplay_init_serial", Builtin_MplayZero, 5},
    {"mplay_connect_status", Builtin_MplayConnectStatus, 0},
    {"mplay_end", Builtin_MplayUnchanged, 0},
    {"mplay_session_mode", Builtin_MplayUnchanged, 1},
    {"mplay_session_create", Builtin_MplayZero, 3},
    {"mplay_session_find", Builtin_MplayZero, 0},
    {"mplay_session_name", Builtin_MplayEmptyText, 1},
    {"mplay_session_join", Builtin_MplayZero, 2},
    {"mplay_session_status", Builtin_MplaySessionStatus, 0},
    {"mplay_session_end", Builtin_MplayUnchanged, 0},
    {"mplay_player_find", Builtin_MplayZero, 0},
    {"mplay_player_name", Builtin_MplayEmptyText, 1},
    {"mplay_player_id", Builtin_MplayZero, 1},
    {"mplay_data_write", Builtin_MplayZero, 2},
    {"mplay_data_read", Builtin_MplayZero, 1},
    {"mplay_data_mode", Builtin_MplayUnchanged, 1},
    {"mplay_message_send", Builtin_MplayZero, 3},
    {"mplay_message_send_guaranteed", Builtin_MplayZero, 3},
    {"mplay_message_receive", Builtin_MplayZero, 1},
    {"mplay_message_id", Builtin_MplayMessageId, 0},
    {"mplay_message_value", Builtin_MplayMessageValue, 0},
    {"mplay_message_player", Builtin_MplayMessagePlayer, 0},
    {"mplay_message_name", Builtin_MplayMessageName, 0},
    {"mplay_message_count", Builtin_MplayZero, 1},
    {"mplay_message_clear", Builtin_MplayUnchanged, 1},
    {"mplay_ipaddress", Builtin_MplayEmptyText, 0},
};

} // namespace

void InitMPlayFunctions()
{
    Function_AddRows(MPLAY_FUNCTIONS);
}
