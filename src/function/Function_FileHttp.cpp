// The File family's HTTP and JSON group: GET and POST requests whose results arrive as the "other"
// event 62 with a map read as async_load, and JSON text to and from maps.
#include <cstring>
#include <string>

#include "datastructure/DataStructure_Json.h"
#include "datastructure/DataStructure_Map.h"
#include "function/Function_Args.h"
#include "function/Function_File.h"
#include "function/Function_Registry.h"
#include "http/Http_Request.h"

namespace {

constexpr int32_t EVENT_HTTP = 62;
// The GET's second argument, which the request layer does not use.
constexpr int32_t UNUSED_ARGUMENT = -1;

// Only these two prefixes, letter case included.
bool IsHttpAddress(const char* url)
{
    return url != nullptr && (std::strncmp(url, "http://", 7) == 0 || std::strncmp(url, "https://", 8) == 0);
}

void Builtin_HttpGet(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, -1);
    const char* url = Arg_Text(args[0]);
    if (!IsHttpAddress(url)) return;
    Result_Real(result, g_HttpRequestCounter);
    HTTP_Get(url, UNUSED_ARGUMENT, Http_AsyncComplete, nullptr, nullptr);
}

void Builtin_HttpPostString(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, -1);
    const char* url = Arg_Text(args[0]);
    if (!IsHttpAddress(url)) return;
    Result_Real(result, g_HttpRequestCounter);
    HTTP_Post(url, Arg_TextOrEmpty(args[1]), Http_AsyncComplete, nullptr, nullptr);
}

void Builtin_JsonEncode(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Text(result, DS_JsonEncode(Arg_Trunc(args[0])).c_str());
}

// A real is decoded as the string of its value with two decimals under "default".
void Builtin_JsonDecode(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (Arg_IsReal(args[0])) {
        std::string text = "{ \"default\" : \"" + Numbers_Format("%.2f", args[0].real) + "\" }";
        Result_Real(result, DS_JsonDecode(text.c_str()));
        return;
    }
    Result_Real(result, DS_JsonDecode(Arg_TextOrEmpty(args[0])));
}

const FunctionRow HTTP_ROWS[] = {
    {"http_get", Builtin_HttpGet, 1},
    {"http_post_string", Builtin_HttpPostString, 2},
    {"json_encode", Builtin_JsonEncode, 1},
    {"json_decode", Builtin_JsonDecode, 1},
};

} // namespace

int32_t Http_AsyncComplete(HTTP_REQ_CONTEXT* request, void*, int32_t* mapId)
{
    // The body as text: it ends at its first zero byte.
    std::string body;
    if (request->m_pData != nullptr) body.assign(reinterpret_cast<const char*>(request->m_pData), size_t(request->m_DataLength));
    const char* none = nullptr;
    *mapId = DS_MapCreate(5, "id", double(request->m_Id), none, "url", 0.0,
                          request->m_pUrl != nullptr ? request->m_pUrl : "", "result", 0.0, body.c_str(), "http_status",
                          double(request->m_HttpStatus), none, "status", request->m_DataLength > 0 ? 0.0 : -1.0, none);
    return EVENT_HTTP;
}

void Function_FileHttp_Register()
{
    Function_AddRows(HTTP_ROWS);
}
