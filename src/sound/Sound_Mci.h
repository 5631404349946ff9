// The media control interface: a small interpreter of the string commands the music player and the
// CD layer send. An "mpegvideo" device (opened under an alias) decodes an MP3 file with libmpg123 onto
// a two-buffer OpenAL stream; "cdaudio" is the CD drive (Sound_MciCdAudio.h). Any other command fails
// with an error text of our own and an empty answer.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

// Sends one command; the answer (cut to the area, "" when there is none) goes to `answer`. True on
// success; on failure Mci_ErrorText() tells why.
bool Mci_SendString(const char* command, char* answer, size_t answerSize);
const char* Mci_ErrorText();

// Tests put a device of their own in place of the interpreter: it gets each command and fills the
// answer and, on failure, the error text. An empty function restores the interpreter.
using MciDevice = std::function<bool(const std::string& command, std::string& answer, std::string& error)>;
void Mci_SetDevice(MciDevice device);

// The frame tick of the open MP3 devices and the CD drive (refills their streams), and their release
// at shut-down.
void Mci_Tick(int64_t elapsedMilliseconds);
void Mci_CloseAll();
