// Finishing asynchronous requests in tests as the frame's asynchronous stage does: poll, hand each
// finished record to its completion, keep a copy of the map it made, destroy the map, clean up and
// delete the record.
#pragma once

#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "base/Base_Numbers.h"
#include "datastructure/DataStructure_Map.h"
#include "datastructure/DataStructure_Tables.h"
#include "http/Http_Request.h"

namespace testsupport {

struct FinishedRequest {
    int32_t id = 0;
    int32_t subtype = 0;
    std::map<std::string, std::string> map; // reals as the script would print them
};

inline std::map<std::string, std::string> CopyMap(int32_t index)
{
    std::map<std::string, std::string> copy;
    CDS_Map* map = g_DSMaps.Get(index);
    for (CDS_MapNode* node = map != nullptr ? map->FindFirst() : nullptr; node != nullptr;
         node = map->FindNext(&node->key)) {
        const char* key = Value_GetText(&node->key);
        const char* text = Value_GetText(&node->value);
        copy[key != nullptr ? key : "?"] = text != nullptr ? text : Numbers_RealToText(node->value.real);
    }
    return copy;
}

// The finished records of the list, oldest first as polling would meet them in one frame.
inline std::vector<FinishedRequest> FinishReady()
{
    std::vector<FinishedRequest> done;
    HTTP_PollRequests();
    for (HTTP_REQ_CONTEXT** link = &g_pHttpRequests; *link != nullptr;) {
        HTTP_REQ_CONTEXT* request = *link;
        if (request->m_Active == 0 || request->m_State != HTTP_STATE_FINISHED) {
            link = &request->m_pNext;
            continue;
        }
        *link = request->m_pNext;
        FinishedRequest finished;
        finished.id = request->m_Id;
        int32_t mapId = -1;
        if (request->m_pCompletion != nullptr) finished.subtype = request->m_pCompletion(request, request->m_pUser, &mapId);
        finished.map = CopyMap(mapId);
        if (mapId >= 0) CDS_Map_Destroy(mapId);
        if (request->m_pCleanup != nullptr) request->m_pCleanup(request);
        delete request;
        done.push_back(finished);
    }
    return done;
}

// Polls until the list is empty or the time is up; the requests in the order they finished.
inline std::vector<FinishedRequest> FinishAll(double seconds = 20)
{
    std::vector<FinishedRequest> all;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (g_pHttpRequests != nullptr && std::chrono::steady_clock::now() < deadline) {
        for (FinishedRequest& f : FinishReady()) all.push_back(f);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return all;
}

} // namespace testsupport
