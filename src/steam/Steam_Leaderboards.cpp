// Steam leaderboards: the name table, the queue of requests waiting for a lookup, the handlers of
// Steam's answers and the download's result map.
#include "steam/Steam_Leaderboards.h"

#include <algorithm>
#include <cstring>

#include "base/Base_Console.h"
#include "base/Base_Numbers.h"
#include "datastructure/DataStructure_Map.h"
#include "http/Http_Request.h"
#include "steam/Steam_Layer.h"

namespace {

constexpr int32_t TABLE_ROWS = 32;
constexpr int32_t MAX_NAMES = TABLE_ROWS - 1;
constexpr size_t NAME_SIZE = 128;

struct LeaderboardTableEntry {
    SteamLeaderboard_t handle;
    char name[NAME_SIZE];
    uint8_t found;
    uint8_t createRequested;
};
LeaderboardTableEntry g_Table[TABLE_ROWS];
int32_t g_Count = 0;

struct PendingLeaderboardRequest {
    char name[NAME_SIZE];
    uint8_t upload;
    int32_t kind;
    int32_t score;
    int32_t start;
    int32_t end;
    HTTP_REQ_CONTEXT* request;
    PendingLeaderboardRequest* next;
};
PendingLeaderboardRequest* g_pPending = nullptr; // newest first

struct LeaderboardDownloadResult {
    SteamLeaderboard_t handle;
    char name[NAME_SIZE];
    int32_t count;
    LeaderboardEntry_t entries[LEADERBOARD_MAX_ENTRIES];
};

enum class Lookup { Found, Waiting, Failed };

// Names are refused before they reach the table, so every stored name is terminated.
void CopyName(char* destination, const char* name)
{
    std::strncpy(destination, name, NAME_SIZE - 1);
    destination[NAME_SIZE - 1] = 0;
}

int32_t FindRow(const char* name)
{
    for (int32_t i = 0; i < g_Count; ++i)
        if (std::strncmp(g_Table[i].name, name, NAME_SIZE) == 0) return i;
    return -1;
}

int32_t AddRow(const char* name, bool create)
{
    LeaderboardTableEntry& row = g_Table[g_Count];
    row = {};
    CopyName(row.name, name);
    row.createRequested = create ? 1 : 0;
    return g_Count++;
}

void DropRow(int32_t index)
{
    if (g_Count > 1) g_Table[index] = g_Table[g_Count - 1];
    --g_Count;
}

bool LoggedOn()
{
    ISteamUser* user = Steam_User();
    return user != nullptr && user->BLoggedOn();
}

// A name that cannot be kept terminated, or a new name when the table is full.
bool NameRefused(const char* name)
{
    if (std::strlen(name) >= NAME_SIZE) {
        MainConsole->Output("Leaderboard name too long: %.40s...\n", name);
        return true;
    }
    if (FindRow(name) < 0 && g_Count >= MAX_NAMES) {
        MainConsole->Output("Too many leaderboards, cannot add \"%s\"\n", name);
        return true;
    }
    return false;
}

void FinishFailed(HTTP_REQ_CONTEXT* request)
{
    request->m_State = HTTP_STATE_FINISHED;
    request->m_HttpStatus = -1;
}

HTTP_REQ_CONTEXT* RequestById(int32_t id)
{
    for (HTTP_REQ_CONTEXT* request = g_pHttpRequests; request != nullptr; request = request->m_pNext)
        if (request->m_Id == id) return request;
    return nullptr;
}

const char* BoardName(SteamLeaderboard_t handle)
{
    ISteamUserStats* stats = Steam_UserStats();
    const char* name = stats != nullptr ? stats->GetLeaderboardName(handle) : nullptr;
    return name != nullptr ? name : "";
}

class CLeaderboardFindHandler {
  public:
    CLeaderboardFindHandler(const char* name, bool create, int32_t sort, int32_t display)
        : m_Create(create), m_Sort(sort), m_Display(display)
    {
        CopyName(m_Name, name);
    }
    void OnFindResult(LeaderboardFindResult_t* record, bool ioFailure);
    // Asks Steam again for this name; false when Steam refused at once.
    bool Lookup()
    {
        ISteamUserStats* stats = Steam_UserStats();
        if (stats == nullptr) return false;
        SteamAPICall_t call = m_Create ? stats->FindOrCreateLeaderboard(m_Name, ELeaderboardSortMethod(m_Sort),
                                                                        ELeaderboardDisplayType(m_Display))
                                       : stats->FindLeaderboard(m_Name);
        if (call == k_uAPICallInvalid) return false;
        m_Call.Set(call, this, &CLeaderboardFindHandler::OnFindResult);
        return true;
    }

    char m_Name[NAME_SIZE];
    CCallResult<CLeaderboardFindHandler, LeaderboardFindResult_t> m_Call;
    bool m_Create;
    int32_t m_Sort;
    int32_t m_Display;
};

class CLeaderboardUploadHandler {
  public:
    void OnScoreUploaded(LeaderboardScoreUploaded_t* record, bool ioFailure);
    CCallResult<CLeaderboardUploadHandler, LeaderboardScoreUploaded_t> m_Call;
};

class CLeaderboardDownloadHandler {
  public:
    explicit CLeaderboardDownloadHandler(int32_t id) : m_RequestId(id) {}
    void OnScoresDownloaded(LeaderboardScoresDownloaded_t* record, bool ioFailure);
    int32_t m_RequestId;
    CCallResult<CLeaderboardDownloadHandler, LeaderboardScoresDownloaded_t> m_Call;
};

// Starts a lookup with a handler of its own; false when Steam refused it at once.
bool StartLookup(const char* name, bool create, int32_t sort, int32_t display)
{
    auto* handler = new CLeaderboardFindHandler(name, create, sort, display);
    if (handler->Lookup()) return true;
    delete handler;
    return false;
}

// Uploads go to Steam keeping the better score; false when Steam refused the call at once.
bool UploadCall(CLeaderboardUploadHandler* handler, SteamLeaderboard_t board, int32_t score)
{
    ISteamUserStats* stats = Steam_UserStats();
    SteamAPICall_t call = stats != nullptr ? stats->UploadLeaderboardScore(board, k_ELeaderboardUploadScoreMethodKeepBest,
                                                                           score, nullptr, 0)
                                           : k_uAPICallInvalid;
    if (call == k_uAPICallInvalid) return false;
    handler->m_Call.Set(call, handler, &CLeaderboardUploadHandler::OnScoreUploaded);
    return true;
}

void SendUpload(SteamLeaderboard_t board, int32_t score)
{
    auto* handler = new CLeaderboardUploadHandler();
    if (!UploadCall(handler, board, score)) delete handler;
}

void SendDownload(SteamLeaderboard_t board, HTTP_REQ_CONTEXT* request, int32_t kind, int32_t start, int32_t end)
{
    ISteamUserStats* stats = Steam_UserStats();
    SteamAPICall_t call = stats != nullptr ? stats->DownloadLeaderboardEntries(board, ELeaderboardDataRequest(kind), start, end)
                                           : k_uAPICallInvalid;
    if (call == k_uAPICallInvalid) return FinishFailed(request);
    auto* handler = new CLeaderboardDownloadHandler(request->m_Id);
    handler->m_Call.Set(call, handler, &CLeaderboardDownloadHandler::OnScoresDownloaded);
}

Lookup Find(const char* name, SteamLeaderboard_t* handle)
{
    int32_t row = FindRow(name);
    if (row >= 0) {
        *handle = g_Table[row].handle;
        return g_Table[row].found ? Lookup::Found : Lookup::Waiting;
    }
    row = AddRow(name, false);
    if (StartLookup(name, false, 0, 0)) return Lookup::Waiting;
    DropRow(row);
    return Lookup::Failed;
}

void FindOrCreate(const char* name, int32_t sort, int32_t display)
{
    int32_t row = FindRow(name);
    if (row >= 0) {
        if (g_Table[row].found || g_Table[row].createRequested) return;
        g_Table[row].createRequested = 1;
        // Refused at once: a plain lookup is still under way, and a later create may try again.
        if (!StartLookup(name, true, sort, display)) g_Table[row].createRequested = 0;
        return;
    }
    row = AddRow(name, true);
    if (!StartLookup(name, true, sort, display)) DropRow(row);
}

void Queue(const char* name, bool upload, int32_t kind, int32_t score, int32_t start, int32_t end,
           HTTP_REQ_CONTEXT* request)
{
    auto* record = new PendingLeaderboardRequest();
    CopyName(record->name, name);
    record->upload = upload ? 1 : 0;
    record->kind = kind;
    record->score = score;
    record->start = start;
    record->end = end;
    record->request = request;
    record->next = g_pPending;
    g_pPending = record;
}

bool GetFoundHandle(const char* name, SteamLeaderboard_t* handle)
{
    int32_t row = FindRow(name);
    if (row < 0 || !g_Table[row].found) return false;
    *handle = g_Table[row].handle;
    return true;
}

void SendPending(const PendingLeaderboardRequest& record, SteamLeaderboard_t handle)
{
    const char* name = BoardName(handle);
    if (record.upload) {
        MainConsole->Output("Sending queued LB post: %s, %d \n", name, record.score);
        SendUpload(handle, record.score);
        return;
    }
    MainConsole->Output("Sending queued LB get: %s, %d, %d, %d, %d \n", name, record.request->m_Id, record.kind,
                        record.start, record.end);
    SendDownload(handle, record.request, record.kind, record.start, record.end);
}

// Sends every queued request whose leaderboard is found, newest first.
void FlushPending()
{
    for (PendingLeaderboardRequest** link = &g_pPending; *link != nullptr;) {
        PendingLeaderboardRequest* record = *link;
        SteamLeaderboard_t handle = 0;
        if (!GetFoundHandle(record->name, &handle)) {
            link = &record->next;
            continue;
        }
        *link = record->next;
        SendPending(*record, handle);
        delete record;
    }
}

// Drops the name's queued requests: uploads silently, downloads finishing as failed.
void CancelPending(const char* name)
{
    for (PendingLeaderboardRequest** link = &g_pPending; *link != nullptr;) {
        PendingLeaderboardRequest* record = *link;
        if (std::strncmp(record->name, name, NAME_SIZE) != 0) {
            link = &record->next;
            continue;
        }
        if (record->request != nullptr) FinishFailed(record->request);
        *link = record->next;
        delete record;
    }
}

void FailLookup(const char* name)
{
    MainConsole->Output("Failed to find leaderboard \"%s\"\n", name);
    CancelPending(name);
    int32_t row = FindRow(name);
    if (row >= 0) DropRow(row);
}

// True when the handler is finished with.
bool OnFindResult(const LeaderboardFindResult_t& record, bool ioFailure, CLeaderboardFindHandler* handler)
{
    int32_t row = FindRow(handler->m_Name);
    if (row < 0) {
        MainConsole->Output("ERROR: failed to find entry for leaderboard: %s\n", handler->m_Name);
        return true;
    }
    if (ioFailure) {
        MainConsole->Output("IO Error finding leaderboard \"%s\" - retrying\n", handler->m_Name);
        if (handler->Lookup()) return false;
        FailLookup(handler->m_Name);
        return true;
    }
    if (record.m_bLeaderboardFound == 0) {
        FailLookup(handler->m_Name);
        return true;
    }
    MainConsole->Output("found leaderboard: %s\n", handler->m_Name);
    g_Table[row].found = 1;
    g_Table[row].handle = record.m_hSteamLeaderboard;
    FlushPending();
    return true;
}

void CLeaderboardFindHandler::OnFindResult(LeaderboardFindResult_t* record, bool ioFailure)
{
    if (::OnFindResult(*record, ioFailure, this)) delete this;
}

void CLeaderboardUploadHandler::OnScoreUploaded(LeaderboardScoreUploaded_t* record, bool ioFailure)
{
    const char* name = BoardName(record->m_hSteamLeaderboard);
    if (!ioFailure && record->m_bSuccess != 0) {
        MainConsole->Output("uploaded score %d to lb %s\n", record->m_nScore, name);
        delete this;
        return;
    }
    if (ioFailure) MainConsole->Output("IO Error uploading score %d to \"%s\"\n", record->m_nScore, name);
    else MainConsole->Output("Failed to upload score %d to \"%s\"\n", record->m_nScore, name);
    MainConsole->Output("Retrying upload...\n");
    if (!UploadCall(this, record->m_hSteamLeaderboard, record->m_nScore)) delete this;
}

void FillResult(HTTP_REQ_CONTEXT* request, const LeaderboardScoresDownloaded_t& record)
{
    auto* result = reinterpret_cast<LeaderboardDownloadResult*>(request->m_pData);
    result->handle = record.m_hSteamLeaderboard;
    CopyName(result->name, BoardName(record.m_hSteamLeaderboard));
    result->count = std::clamp(record.m_cEntryCount, 0, LEADERBOARD_MAX_ENTRIES);
    MainConsole->Output("got scores for lb:%s %d entries\n", result->name, result->count);
    ISteamUserStats* stats = Steam_UserStats();
    for (int32_t i = 0; i < result->count; ++i) {
        result->entries[i] = {};
        if (stats != nullptr)
            stats->GetDownloadedLeaderboardEntry(record.m_hSteamLeaderboardEntries, i, &result->entries[i], nullptr, 0);
    }
}

void CLeaderboardDownloadHandler::OnScoresDownloaded(LeaderboardScoresDownloaded_t* record, bool ioFailure)
{
    HTTP_REQ_CONTEXT* request = RequestById(m_RequestId);
    if (request == nullptr) {
        MainConsole->Output("ERROR: failed to identify context for leaderboard download result\n");
    } else if (ioFailure || request->m_pData == nullptr) {
        FinishFailed(request);
        MainConsole->Output("Download leaderboard scores: IO Failure\n");
    } else {
        request->m_State = HTTP_STATE_FINISHED;
        request->m_HttpStatus = 1;
        FillResult(request, *record);
    }
    delete this;
}

double StartDownload(const char* name, int32_t kind, int32_t start, int32_t end)
{
    if (!LoggedOn()) {
        MainConsole->Output("Download scores failed: must be logged on\n");
        return -1;
    }
    if (NameRefused(name)) return -1;
    auto* request = new HTTP_REQ_CONTEXT(nullptr, sizeof(LeaderboardDownloadResult), Leaderboard_DownloadComplete,
                                         nullptr, nullptr);
    int32_t id = request->m_Id;
    SteamLeaderboard_t handle = 0;
    switch (Find(name, &handle)) {
    case Lookup::Found: SendDownload(handle, request, kind, start, end); break;
    case Lookup::Waiting: Queue(name, false, kind, 0, start, end, request); break;
    case Lookup::Failed: FinishFailed(request); break;
    }
    return id;
}

std::string EntriesText(const LeaderboardDownloadResult& result)
{
    std::string text = "{\n\"entries\": [\n";
    ISteamFriends* friends = Steam_Friends();
    for (int32_t i = 0; i < result.count; ++i) {
        const LeaderboardEntry_t& entry = result.entries[i];
        const char* persona = friends != nullptr ? friends->GetFriendPersonaName(entry.m_steamIDUser) : nullptr;
        text += "{ \"name\":\"";
        Leaderboard_EscapeText(&text, persona != nullptr ? persona : "");
        text += "\" , \"score\":" + Numbers_Format("%.0f", entry.m_nScore);
        text += " , \"rank\":" + Numbers_Format("%.0f", entry.m_nGlobalRank) + " }";
        text += i + 1 < result.count ? ",\n" : "\n";
    }
    return text + "]}";
}

} // namespace

double Steam_CreateLeaderboard(const char* name, int32_t sort, int32_t display)
{
    if (!LoggedOn()) {
        MainConsole->Output("Create leaderboard failed: must be logged on\n");
        return 0;
    }
    if (NameRefused(name)) return 0;
    FindOrCreate(name, sort, display);
    return 1;
}

double Steam_UploadScore(const char* name, int32_t score)
{
    if (!LoggedOn()) {
        MainConsole->Output("Upload score failed: must be logged on\n");
        return 0;
    }
    if (NameRefused(name)) return 0;
    SteamLeaderboard_t handle = 0;
    Lookup lookup = Find(name, &handle);
    if (lookup == Lookup::Found) SendUpload(handle, score);
    else if (lookup == Lookup::Waiting) Queue(name, true, 0, score, 0, 0, nullptr);
    return 1;
}

double Steam_DownloadScoresAroundUser(const char* name, int32_t start, int32_t end)
{
    return StartDownload(name, k_ELeaderboardDataRequestGlobalAroundUser, start, end);
}

double Steam_DownloadScores(const char* name, int32_t start, int32_t end)
{
    return StartDownload(name, k_ELeaderboardDataRequestGlobal, start, end);
}

double Steam_DownloadFriendsScores(const char* name)
{
    return StartDownload(name, k_ELeaderboardDataRequestFriends, 0, 0);
}

void Leaderboard_FreePending()
{
    while (g_pPending != nullptr) {
        PendingLeaderboardRequest* record = g_pPending;
        g_pPending = record->next;
        delete record;
    }
}

void Leaderboard_ClearTable()
{
    g_Count = 0;
}

int32_t Leaderboard_DownloadComplete(HTTP_REQ_CONTEXT* request, void*, int32_t* mapId)
{
    const char* none = nullptr;
    double id = request->m_Id;
    if (request->m_HttpStatus < 0 || request->m_pData == nullptr) {
        *mapId = DS_MapCreate(5, "id", id, none, "status", -1.0, none, "lb_name", 0.0, none, "num_entries", 0.0, none,
                              "entries", 0.0, none);
        return EVENT_STEAM_LEADERBOARD;
    }
    auto* result = reinterpret_cast<LeaderboardDownloadResult*>(request->m_pData);
    result->count = std::clamp(result->count, 0, LEADERBOARD_MAX_ENTRIES);
    result->name[NAME_SIZE - 1] = 0;
    std::string text = EntriesText(*result);
    *mapId = DS_MapCreate(5, "id", id, none, "status", 0.0, none, "lb_name", 0.0, static_cast<const char*>(result->name),
                          "num_entries", double(result->count), none, "entries", 0.0, text.c_str());
    return EVENT_STEAM_LEADERBOARD;
}

void Leaderboard_EscapeText(std::string* destination, const char* source)
{
    for (const char* c = source; *c != 0; ++c) {
        if (*c == '"' || *c == '\\') destination->push_back('\\');
        destination->push_back(*c);
    }
}
