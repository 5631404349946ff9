// The media command interpreter's "cdaudio" device: the disc in the CD drive (Sound_CdDisc) played
// on a stream of its own. It answers in the interface's forms: positions in the chosen time format
// (tmsf "tt:mm:ss:ff", msf "mm:ss:ff" or milliseconds), lengths as "mm:ss:ff" or milliseconds, the
// mode as "playing", "paused", "stopped", "open" or "not ready". Without a disc only the presence
// and mode queries answer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One command split into words, the second being "cdaudio". True on success; otherwise `error` says
// why.
bool MciCdAudio_Command(const std::vector<std::string>& words, std::string& answer, std::string& error);
// Refills the stream and notices a play that reached its end.
void MciCdAudio_Tick(int64_t elapsedMilliseconds);
// Stops, lets the disc go and releases the stream (shut-down).
void MciCdAudio_Release();
