// The C streams the game's file functions hold open (text and binary files, the implicit file).
// Where a termination request is not answered in time, the deadline's watchdog flushes them from its
// own thread while the game thread may be blocked anywhere, so that what the game wrote is kept.
#pragma once

#include <cstdio>

// fopen, the stream kept in the list while it is open; null where fopen fails.
std::FILE* GameStreams_Open(const char* path, const char* how);

// Takes the stream out of the list, then fcloses it; null is ignored.
void GameStreams_Close(std::FILE* stream);

// Flushes each listed stream that writes to a regular file and whose lock is free, without waiting
// on a lock: what the watchdog runs. The stream another thread is using is left as it is.
void GameStreams_FlushWithoutWaiting();
