// Input recording and playback: with "-record" each frame's step state is appended to the file as
// one 2939-byte little-endian frame; with "-playback" each frame's step state is read from such a
// file in place of the devices ("-playback" wins when both are given).
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t IO_RECORD_FRAME_SIZE = 2939;

// Opens the file the command line named (start-up). A file that cannot be opened is silent: nothing
// is recorded or replayed, but playback still keeps the devices from being read.
void IO_Record_Open();
void IO_Record_Close();
bool IO_Record_IsRecording();
bool IO_Record_IsPlayback();
// Writes the step state as one frame and flushes the file.
void IO_Record_WriteFrame();
// Reads the next frame into the step state; at the end of the file nothing changes, and a frame cut
// short fills only the bytes it has.
void IO_Record_ReadFrame();

// One frame as bytes, and back: the step state's recorded fields, field by field. Decoding reads
// exactly IO_RECORD_FRAME_SIZE bytes.
void IO_Record_Encode(uint8_t* frame);
void IO_Record_Decode(const uint8_t* frame);
