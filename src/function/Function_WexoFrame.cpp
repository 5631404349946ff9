// The frame of the platform services: their start-up and registration, the per-step hook, the cache
// saved at exit, the one-step pause flag, the purchase-event and script-callback queues a platform
// fills from its own callbacks, and the operating-system variables and constants.
#include <vector>

#include "base/Base_Console.h"
#include "base/Base_Numbers.h"
#include "code/Code_Constants.h"
#include "code/Code_Error.h"
#include "code/Code_Interpreter.h"
#include "datastructure/DataStructure_Stack.h"
#include "datastructure/DataStructure_Tables.h"
#include "function/Function_Families.h"
#include "function/Function_Wexo.h"
#include "function/Function_WexoPlatform.h"
#include "run/Run_FrameParts.h"
#include "run/Run_Globals.h"
#include "script/Script_Table.h"
#include "variable/Variable_BuiltIn.h"

namespace {

constexpr int32_t EVENT_PURCHASE = 66;

NamedLock g_IapLock("comsiapevents");
NamedLock g_CallbackLock("comskvscallbacks");

struct AsyncState {
    int32_t iapQueue = -1;
    bool iapPending = false;
    int32_t callbackQueue = -1;
    bool pauseRaised = false;
    bool pauseRegistered = false;
};
AsyncState g_Async;

// The value at the queue's head, copied out (the slot is reused), or false when there is none.
bool TakeValue(int32_t index, ScriptValue* value)
{
    CDS_Queue* queue = g_DSQueues.Get(index);
    if (queue == nullptr || queue->Empty()) return false;
    Value_Copy(value, queue->Dequeue());
    return true;
}

void RunCallback(int32_t script)
{
    ScriptValue count = {VALUE_REAL, 0, 0.0};
    TakeValue(g_Async.callbackQueue, &count);
    int32_t wanted = Numbers_TruncToInt32(count.real);
    Value_Free(&count);
    std::vector<ScriptValue> arguments;
    for (int32_t i = 0; i < wanted; ++i) {
        ScriptValue value = {VALUE_REAL, 0, 0.0};
        if (!TakeValue(g_Async.callbackQueue, &value)) break;
        arguments.push_back(value);
    }
    ScriptValue result = {VALUE_REAL, 0, 0.0};
    int32_t callerCount = g_ScriptArgumentCount;
    g_ScriptArgumentCount = static_cast<int32_t>(arguments.size());
    Script_Run(script, nullptr, nullptr, g_ScriptArgumentCount, &result, arguments.data());
    g_ScriptArgumentCount = callerCount;
    Value_Free(&result);
    for (ScriptValue& value : arguments) Value_Free(&value);
    if (g_CodeErrorFlag) {
        Code_Error_FoldFailedLevels();
        Error_Show_Action(g_CodeErrorText.c_str(), false);
        g_CodeErrorFlag = false;
    }
}

bool GV_OsType(CInstance*, int32_t, ScriptValue* out)
{
    // Game files branch on it for the system they were made for.
    Value_SetReal(out, 0.0);
    return true;
}
bool GV_OsDevice(CInstance*, int32_t, ScriptValue* out)
{
    Value_SetReal(out, Platform_GetDeviceType());
    return true;
}
bool GV_OsVersion(CInstance*, int32_t, ScriptValue* out)
{
    Value_SetReal(out, Platform_GetOSVersion());
    return true;
}
bool GV_OsBrowser(CInstance*, int32_t, ScriptValue* out)
{
    Value_SetReal(out, -1.0);
    return true;
}
bool GV_BrowserWidth(CInstance*, int32_t, ScriptValue* out)
{
    Value_SetReal(out, Platform_GetDisplayWidth());
    return true;
}
bool GV_BrowserHeight(CInstance*, int32_t, ScriptValue* out)
{
    Value_SetReal(out, Platform_GetDisplayHeight());
    return true;
}

struct OsConstant {
    const char* name;
    double value;
};

const OsConstant OS_CONSTANTS[] = {
    {"os_unknown", -1}, {"os_win32", 0}, {"os_windows", 0}, {"os_macosx", 1}, {"os_psp", 2}, {"os_ios", 3},
    {"os_android", 4}, {"os_symbian", 5}, {"os_linux", 6}, {"os_winphone", 7}, {"os_tizen", 8},
    {"os_win8native", 9}, {"os_llvm_win32", 65536}, {"os_llvm_macosx", 65537}, {"os_llvm_psp", 65538},
    {"os_llvm_ios", 65539}, {"os_llvm_android", 65540}, {"os_llvm_symbian", 65541}, {"os_llvm_linux", 65542},
    {"os_llvm_winphone", 65543},
    {"device_ios_unknown", -1}, {"device_ios_iphone", 0}, {"device_ios_iphone_retina", 1}, {"device_ios_ipad", 2},
    {"device_ios_ipad_retina", 3}, {"device_ios_iphone5", 4}, {"device_emulator", 256}, {"device_tablet", 2},
    {"browser_not_a_browser", -1}, {"browser_unknown", 0}, {"browser_ie", 1}, {"browser_firefox", 2},
    {"browser_chrome", 3}, {"browser_safari", 4}, {"browser_safari_mobile", 5}, {"browser_opera", 6},
    {"browser_windows_store", 8},
    {"of_challenge_win", 0}, {"of_challenge_lose", 1}, {"of_challenge_tie", 2},
    {"leaderboard_type_number", 0}, {"leaderboard_type_time_mins_secs", 1},
    {"achievement_our_info", 1002}, {"achievement_friends_info", 1003}, {"achievement_leaderboard_info", 1004},
    {"achievement_achievement_info", 1005}, {"achievement_filter_all_players", 0},
    {"achievement_filter_friends_only", 1}, {"achievement_type_achievement_challenge", 0},
    {"achievement_type_achievement_score", 1},
    {"asset_unknown", -1}, {"asset_object", 0}, {"asset_sprite", 1}, {"asset_sound", 2}, {"asset_room", 3},
    {"asset_background", 4}, {"asset_path", 5}, {"asset_script", 6}, {"asset_font", 7}, {"asset_timeline", 8},
};

} // namespace

void InitWexoFunctions()
{
    AchievementQueue_Clear();
    AchievementQueue_Load();
    Platform_AchievementsInit();
    Function_WexoServices_Register();
    Function_WexoPurchases_Register();
    Function_WexoHash_Register();
}

void Wexo_FunctionsStep()
{
    Platform_Step();
    AchievementQueue_Step();
    Wexo_UpdatePauseEvent();
}

void Wexo_FunctionsSaveCache()
{
    AchievementQueue_Save();
    Platform_Exit();
}

void Wexo_OSPauseEventRaised()
{
    MainConsole->Output("OS has raised a pause event\n");
    g_Async.pauseRaised = true;
}

bool Wexo_SetOSPaused(bool paused)
{
    if (paused) {
        g_Async.pauseRaised = true;
    } else {
        g_Async.pauseRegistered = false;
        g_Async.pauseRaised = false;
        g_Paused = 0;
    }
    return false;
}

void Wexo_UpdatePauseEvent()
{
    if (g_Async.pauseRaised) {
        MainConsole->Output("Pause event has been registered for this frame\n");
        g_Async.pauseRegistered = true;
        g_Async.pauseRaised = false;
    } else if (g_Async.pauseRegistered) {
        MainConsole->Output("Pause event has been unregistered\n");
        g_Async.pauseRegistered = false;
    }
}

bool Wexo_IsPaused()
{
    return g_Async.pauseRegistered;
}

void Wexo_ResetAsync()
{
    g_Async = AsyncState();
}

void Wexo_PushIapEvent(int32_t value)
{
    g_IapLock.Lock();
    g_Async.iapPending = true;
    if (g_Async.iapQueue == -1) g_Async.iapQueue = DS_QueueCreate();
    DS_QueueEnqueueArgs(g_Async.iapQueue, 1, static_cast<double>(value), static_cast<const char*>(nullptr));
    g_IapLock.Unlock();
}

void Wexo_PushScriptCallback(int32_t script, int32_t count, const ScriptValue* arguments)
{
    g_CallbackLock.Lock();
    if (g_Async.callbackQueue == -1) g_Async.callbackQueue = DS_QueueCreate();
    int32_t queue = g_Async.callbackQueue;
    const char* none = nullptr;
    DS_QueueEnqueueArgs(queue, 2, static_cast<double>(script), none, static_cast<double>(count), none);
    for (int32_t i = 0; i < count; ++i)
        DS_QueueEnqueueArgs(queue, 1, arguments[i].real, Value_GetText(&arguments[i]));
    g_CallbackLock.Unlock();
}

int32_t Wexo_IapEventQueue()
{
    return g_Async.iapQueue;
}

void Async_ProcessIapEvents()
{
    g_IapLock.Lock();
    if (g_Async.iapPending) {
        frame::Raise(EVENT_OTHER, EVENT_PURCHASE);
        if (g_Async.iapQueue >= 0) DS_QueueClear(g_Async.iapQueue);
        g_Async.iapPending = false;
    }
    g_IapLock.Unlock();
}

void Async_ProcessCallbacks()
{
    g_CallbackLock.Lock();
    ScriptValue first = {VALUE_REAL, 0, 0.0};
    while (g_Async.callbackQueue != -1 && TakeValue(g_Async.callbackQueue, &first)) {
        // A text or a negative number cannot start a callback: it is dropped alone.
        if (Value_GetKind(&first) == VALUE_REAL && first.real >= 0) RunCallback(Numbers_TruncToInt32(first.real));
        Value_Free(&first);
    }
    g_CallbackLock.Unlock();
}

void InitOsVariables()
{
    Variable_BuiltIn_Add("os_type", GV_OsType, nullptr, false);
    Variable_BuiltIn_Add("os_device", GV_OsDevice, nullptr, false);
    Variable_BuiltIn_Add("os_version", GV_OsVersion, nullptr, false);
    Variable_BuiltIn_Add("os_browser", GV_OsBrowser, nullptr, false);
    Variable_BuiltIn_Add("browser_width", GV_BrowserWidth, nullptr, false);
    Variable_BuiltIn_Add("browser_height", GV_BrowserHeight, nullptr, false);
}

void InitOsConstants()
{
    Platform_ConstantsInit();
    for (const OsConstant& constant : OS_CONSTANTS) Constant_AddReal(constant.name, constant.value);
}
