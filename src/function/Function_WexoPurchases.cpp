// The purchase built-ins and the per-device mouse built-ins of the platform services. There is no
// store here: the purchase functions keep the structures a store would fill (a status map, a product
// list, 16 product-detail maps, a purchased-files map) and answer that nothing is available.
#include "datastructure/DataStructure_Map.h"
#include "datastructure/DataStructure_Tables.h"
#include "function/Function_Args.h"
#include "function/Function_Interaction.h"
#include "function/Function_Registry.h"
#include "function/Function_Wexo.h"
#include "graphics/Graphics_Window.h"

namespace {

constexpr int32_t PRODUCT_DETAIL_MAPS = 16;

struct StoreMaps {
    int32_t status = -1;
    int32_t products = -1;
    int32_t details[PRODUCT_DETAIL_MAPS] = {};
    int32_t files = -1;
};
StoreMaps g_Store;

// The device and button arguments, both rounded; no count or kind is tested.
void MouseButton(ScriptValue* result, int32_t argc, const ScriptValue* args, bool (*test)(int32_t, int32_t))
{
    if (argc >= 2) Result_Bool(result, test(Arg_Int(args[1]), Arg_Int(args[0])));
}

void Builtin_DeviceMouseCheckButton(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    MouseButton(result, argc, args, Builtin_MouseButtonTest);
}

void Builtin_DeviceMouseCheckButtonPressed(ScriptValue* result, CInstance*, CInstance*, int32_t argc,
                                           ScriptValue* args)
{
    MouseButton(result, argc, args, Builtin_MouseButtonPressedTest);
}

void Builtin_DeviceMouseCheckButtonReleased(ScriptValue* result, CInstance*, CInstance*, int32_t argc,
                                            ScriptValue* args)
{
    MouseButton(result, argc, args, Builtin_MouseButtonReleasedTest);
}

void Builtin_DeviceMouseX(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (argc >= 1) Result_Real(result, GR_Window_GetMouseX(Arg_Int(args[0])));
}

void Builtin_DeviceMouseY(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (argc >= 1) Result_Real(result, GR_Window_GetMouseY(Arg_Int(args[0])));
}

void Builtin_IapActivate(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    g_Store.status = DS_NewMap();
    g_Store.products = DS_NewList();
    for (int32_t& map : g_Store.details) map = DS_NewMap();
    g_Store.files = DS_NewMap();
    Result_Real(result, g_Store.files);
}

void Builtin_IapStatus(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    if (CDS_Map* map = g_DSMaps.Get(g_Store.status)) {
        ScriptValue key = {VALUE_REAL, 0, 0.0};
        Value_SetText(&key, "status");
        if (!map->Exists(&key)) DS_MapReplaceEntry(g_Store.status, "status", "Not Available");
        Value_Free(&key);
    }
    Result_Real(result, g_Store.status);
}

void Builtin_IapNothing(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*) {}

void Builtin_IapFilesPurchased(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, g_Store.files);
}

void Builtin_IapStoreStatus(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Text(result, "Not Available");
}

void Builtin_IapProductStatus(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Text(result, "Unavailable");
}

void Builtin_IapEventQueue(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, Wexo_IapEventQueue());
}

const FunctionRow PURCHASE_ROWS[] = {
    {"iap_activate", Builtin_IapActivate, 1},
    {"iap_status", Builtin_IapStatus, 0},
    {"iap_acquire", Builtin_IapNothing, 1},
    {"iap_consume", Builtin_IapNothing, 1},
    {"iap_is_purchased", Builtin_IapNothing, 1},
    {"iap_is_downloaded", Builtin_IapNothing, 1},
    {"iap_files_purchased", Builtin_IapFilesPurchased, 0},
    {"iap_restore_all", Builtin_IapNothing, 0},
    {"iap_store_status", Builtin_IapStoreStatus, 0},
    {"iap_product_status", Builtin_IapProductStatus, 1},
    {"iap_product_details", Builtin_IapNothing, 2},
    {"iap_product_files", Builtin_IapNothing, 2},
    {"device_mouse_check_button", Builtin_DeviceMouseCheckButton, 2},
    {"device_mouse_check_button_pressed", Builtin_DeviceMouseCheckButtonPressed, 2},
    {"device_mouse_check_button_released", Builtin_DeviceMouseCheckButtonReleased, 2},
    {"device_mouse_x", Builtin_DeviceMouseX, 1},
    {"device_mouse_y", Builtin_DeviceMouseY, 1},
    {"Wexo_MouseCheckButton", Builtin_DeviceMouseCheckButton, 2},
    {"Wexo_MouseCheckButtonPressed", Builtin_DeviceMouseCheckButtonPressed, 2},
    {"Wexo_MouseCheckButtonReleased", Builtin_DeviceMouseCheckButtonReleased, 2},
    {"Wexo_MouseX", Builtin_DeviceMouseX, 1},
    {"Wexo_MouseY", Builtin_DeviceMouseY, 1},
    {"iap_event_queue", Builtin_IapEventQueue, 0},
};

} // namespace

void Function_WexoPurchases_Register()
{
    Function_AddRows(PURCHASE_ROWS);
}
