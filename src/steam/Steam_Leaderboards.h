// Steam leaderboards by name: a table of the names met and their Steam handles, lookups started on
// first use, uploads and downloads queued while a lookup is under way, and downloaded entries handed
// to scripts as a JSON text in the asynchronous event of subtype 69.
#pragma once

#include <cstdint>
#include <string>

struct HTTP_REQ_CONTEXT;

constexpr int32_t EVENT_STEAM_LEADERBOARD = 69;
constexpr int32_t LEADERBOARD_MAX_ENTRIES = 100;

double Steam_CreateLeaderboard(const char* name, int32_t sort, int32_t display);
double Steam_UploadScore(const char* name, int32_t score);
double Steam_DownloadScoresAroundUser(const char* name, int32_t start, int32_t end);
double Steam_DownloadScores(const char* name, int32_t start, int32_t end);
double Steam_DownloadFriendsScores(const char* name);

// Frees the queue of requests waiting for a lookup (Steam shut-down); their downloads stay pending.
void Leaderboard_FreePending();
// Forgets every name of the table (tests; the table otherwise lives for the whole run).
void Leaderboard_ClearTable();

// A downloaded request's completion: makes the result map and answers the event subtype.
int32_t Leaderboard_DownloadComplete(HTTP_REQ_CONTEXT* request, void* user, int32_t* mapId);
// Appends the text with a backslash before each double quote and backslash.
void Leaderboard_EscapeText(std::string* destination, const char* source);
