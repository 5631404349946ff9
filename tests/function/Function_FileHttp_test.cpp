// http_get, http_post_string, json_decode and json_encode through the function table.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "../TestSupport_Builtins.h"
#include "../TestSupport_HttpServer.h"
#include "../TestSupport_Requests.h"
#include "datastructure/DataStructure_List.h"

using testsupport::CallReal;
using testsupport::CallText;
using testsupport::TestArg;

namespace {

std::string Describe(const ScriptValue& value);

// A map as "key=value" in key order; strings quoted, nested structures described in place.
std::string DescribeMap(int32_t index)
{
    CDS_Map* map = g_DSMaps.Get(index);
    if (map == nullptr) return "no map";
    std::map<std::string, std::string> entries;
    for (CDS_MapNode* node = map->FindFirst(); node != nullptr; node = map->FindNext(&node->key))
        entries[Value_GetText(&node->key) ? Value_GetText(&node->key) : Numbers_RealToText(node->key.real)] =
            Describe(node->value);
    std::string text = "{";
    for (auto& [key, value] : entries) text += (text.size() > 1 ? "," : "") + key + "=" + value;
    return text + "}";
}

std::string DescribeList(int32_t index)
{
    CDS_List* list = g_DSLists.Get(index);
    if (list == nullptr) return "no list";
    std::string text = "[";
    for (int32_t i = 0; i < list->Size(); ++i) text += (i > 0 ? "," : "") + Describe(*list->GetValue(i));
    return text + "]";
}

std::string Describe(const ScriptValue& value)
{
    if (value.kind == DS_MARK_MAP) return "map" + DescribeMap(int32_t(value.real));
    if (value.kind == DS_MARK_LIST) return "list" + DescribeList(int32_t(value.real));
    if (const char* text = Value_GetText(&value)) return "\"" + std::string(text) + "\"";
    return Numbers_RealToText(value.real);
}

// Destroys the map and everything it owns.
void Drop(int32_t index)
{
    if (index >= 0) CDS_Map_Destroy(index);
}

TEST(JsonBuiltins, DecodeMakesMapsAndOwnedStructures)
{
    const std::pair<TestArg, const char*> cases[] = { // null: -1
        {"42", "{default=\"42\"}"}, {42, "{default=\"42.00\"}"}, {2.125, "{default=\"2.13\"}"},
        {"hello", "{default=\"hello\"}"}, {"", "{default=\"\"}"}, {"{", "{default=\"{\"}"},
        {"  [1, \"a\", null, [2], {\"k\": true}]  ", "{default=list[1,\"a\",0,list[2],map{k=1}]}"},
        {"[]", "{default=list[]}"}, {"{ not json }", "{default=\"{ not json }\"}"}, {"say \"hi\"", nullptr},
        {"{ \"a\" : null, \"b\" : 1 }", "{b=1}"}, {"{\"a\": 1, \"a\": 2}", "{a=2}"},
        {"{\"big\": 4294967296123, \"neg\": -3000000000, \"huge\": 18446744073709551615}",
         "{big=4294967296123.00,huge=18446744073709552000.00,neg=-3000000000.00}"},
        {"{\"t\": true, \"f\": false, \"d\": 2.5, \"o\": {\"x\": \"y\", \"l\": [\"z\"]}}",
         "{d=2.50,f=0,o=map{l=list[\"z\"],x=\"y\"},t=1}"},
    };
    for (const auto& [input, expected] : cases) {
        SCOPED_TRACE(input.isText ? input.text : std::to_string(input.real));
        auto index = int32_t(CallReal("json_decode", {input}));
        if (expected == nullptr) {
            EXPECT_EQ(-1, index);
            continue;
        }
        EXPECT_EQ(expected, DescribeMap(index));
        Drop(index);
    }
}

TEST(JsonBuiltins, EncodeWritesEntriesWithNestedStructuresAsTheirIndices)
{
    auto nested = int32_t(CallReal("json_decode", {"{\"s\": \"text\", \"r\": 2.5, \"m\": {\"x\": 1}, \"l\": [1]}"}));
    CDS_Map* map = g_DSMaps.Get(nested);
    ScriptValue key = {VALUE_REAL, 0, 0.0};
    Value_SetText(&key, "m");
    std::string mapIndex = Numbers_RealToText(map->Find(&key)->value.real);
    Value_SetText(&key, "l");
    std::string listIndex = Numbers_RealToText(map->Find(&key)->value.real);
    Value_Free(&key);

    auto reals = int32_t(CallReal("ds_map_create", {}));
    CallReal("ds_map_add", {reals, 1.9, "one"});
    CallReal("ds_map_add", {reals, -2.7, 7});
    // Each encoded text decoded again.
    for (auto [map, expected] : {std::pair<int32_t, std::string>{nested, "{l=" + listIndex + ",m=" + mapIndex +
                                                                              ",r=2.50,s=\"text\"}"},
                                 {reals, "{-2=7,1=\"one\"}"}}) {
        std::string text = CallText("json_encode", {map});
        auto again = int32_t(CallReal("json_decode", {text.c_str()}));
        EXPECT_EQ(expected, DescribeMap(again)) << text;
        Drop(again);
    }
    for (TestArg missing : {TestArg(-1), TestArg(99999)})
        EXPECT_EQ("", CallText("json_encode", {missing}));
    Drop(nested);
    Drop(reals);
}

// Ids are the counter's values, consecutive within one step; a refused address makes no request.
TEST(HttpBuiltins, RequestsAnswerTheIdsTheirEventsCarry)
{
    testsupport::TestHttpServer server;
    server.Route("/echo", {200, "", true, 0, true});
    int32_t before = g_HttpRequestCounter;
    for (TestArg refused : {TestArg("ftp://127.0.0.1/"), TestArg("HTTP://127.0.0.1/"), TestArg("Https://x/"), TestArg(3)})
        EXPECT_EQ(-1, CallReal("http_get", {refused}));
    EXPECT_EQ(-1, CallReal("http_post_string", {"ftp://127.0.0.1/", "x"}));
    EXPECT_EQ(nullptr, g_pHttpRequests);
    std::string echo = server.Url("/echo");
    std::vector<double> ids = {CallReal("http_get", {echo.c_str()}), CallReal("http_get", {echo.c_str()}),
                               CallReal("http_post_string", {echo.c_str(), "name=value"})};
    EXPECT_EQ((std::vector<double>{double(before), before + 1.0, before + 2.0}), ids);
    std::map<std::string, std::string> results;
    for (auto& f : testsupport::FinishAll()) results[f.map["id"]] = f.map["url"] + " " + f.map["result"];
    EXPECT_EQ((std::map<std::string, std::string>{{std::to_string(before), echo + " "},
                                                  {std::to_string(before + 1), echo + " "},
                                                  {std::to_string(before + 2), echo + " name=value"}}),
              results);
}

} // namespace
