// The recording and playback file, and the frame layout: every field little-endian, back to back.
#include "io/IO_Record.h"

#include <cstdio>
#include <cstring>

#include "app/App_CommandLine.h"
#include "io/IO_Main.h"

namespace {

std::FILE* g_File = nullptr;
bool g_Recording = false;

// A cursor over one frame's bytes; each field moves it by its size.
struct FrameCursor {
    uint8_t* bytes;
    size_t at = 0;
};

void PutU16(FrameCursor& c, uint16_t value)
{
    c.bytes[c.at++] = static_cast<uint8_t>(value);
    c.bytes[c.at++] = static_cast<uint8_t>(value >> 8);
}

void PutI32(FrameCursor& c, int32_t value)
{
    uint32_t bits = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        c.bytes[c.at++] = static_cast<uint8_t>(bits >> shift);
}

void PutBytes(FrameCursor& c, const uint8_t* from, size_t count)
{
    std::memcpy(c.bytes + c.at, from, count);
    c.at += count;
}

uint16_t GetU16(FrameCursor& c)
{
    uint16_t value = static_cast<uint16_t>(c.bytes[c.at] | c.bytes[c.at + 1] << 8);
    c.at += 2;
    return value;
}

int32_t GetI32(FrameCursor& c)
{
    uint32_t bits = 0;
    for (int shift = 0; shift < 32; shift += 8)
        bits |= uint32_t(c.bytes[c.at++]) << shift;
    return static_cast<int32_t>(bits);
}

void GetBytes(FrameCursor& c, uint8_t* to, size_t count)
{
    std::memcpy(to, c.bytes + c.at, count);
    c.at += count;
}

} // namespace

void IO_Record_Encode(uint8_t* frame)
{
    FrameCursor c{frame};
    PutU16(c, IO_Step.lastChar);
    for (uint16_t character : IO_Step.text)
        PutU16(c, character);
    PutI32(c, IO_Step.lastKey);
    PutI32(c, IO_Step.currentKey);
    PutBytes(c, IO_Step.keyDown, IO_KEY_COUNT);
    PutBytes(c, IO_Step.keyReleased, IO_KEY_COUNT);
    PutBytes(c, IO_Step.keyPressed, IO_KEY_COUNT);
    for (int32_t button : IO_Step.lastButton)
        PutI32(c, button);
    for (int32_t button : IO_Step.currentButton)
        PutI32(c, button);
    PutBytes(c, IO_Step.buttonDown, sizeof IO_Step.buttonDown);
    PutBytes(c, IO_Step.buttonReleased, sizeof IO_Step.buttonReleased);
    PutBytes(c, IO_Step.buttonPressed, sizeof IO_Step.buttonPressed);
    PutBytes(c, IO_Step.wheelUp, IO_MOUSE_DEVICES);
    PutBytes(c, IO_Step.wheelDown, IO_MOUSE_DEVICES);
    PutI32(c, IO_Step.cursorX);
    PutI32(c, IO_Step.cursorY);
    PutI32(c, IO_Step.mouseX);
    PutI32(c, IO_Step.mouseY);
}

void IO_Record_Decode(const uint8_t* frame)
{
    FrameCursor c{const_cast<uint8_t*>(frame)};
    IO_Step.lastChar = GetU16(c);
    for (uint16_t& character : IO_Step.text)
        character = GetU16(c);
    IO_Step.lastKey = GetI32(c);
    IO_Step.currentKey = GetI32(c);
    GetBytes(c, IO_Step.keyDown, IO_KEY_COUNT);
    GetBytes(c, IO_Step.keyReleased, IO_KEY_COUNT);
    GetBytes(c, IO_Step.keyPressed, IO_KEY_COUNT);
    for (int32_t& button : IO_Step.lastButton)
        button = GetI32(c);
    for (int32_t& button : IO_Step.currentButton)
        button = GetI32(c);
    GetBytes(c, IO_Step.buttonDown, sizeof IO_Step.buttonDown);
    GetBytes(c, IO_Step.buttonReleased, sizeof IO_Step.buttonReleased);
    GetBytes(c, IO_Step.buttonPressed, sizeof IO_Step.buttonPressed);
    GetBytes(c, IO_Step.wheelUp, IO_MOUSE_DEVICES);
    GetBytes(c, IO_Step.wheelDown, IO_MOUSE_DEVICES);
    IO_Step.cursorX = GetI32(c);
    IO_Step.cursorY = GetI32(c);
    IO_Step.mouseX = GetI32(c);
    IO_Step.mouseY = GetI32(c);
    // The room's mouse follows the replayed window position, as the window transfer makes it.
    IO_Step.deviceX[0] = IO_Step.mouseX;
    IO_Step.deviceY[0] = IO_Step.mouseY;
    // The typed text always ends at the last slot, whatever the file held there.
    IO_Step.text[IO_TEXT_SLOTS - 1] = 0;
}

void IO_Record_Open()
{
    if ((g_RecordInput == 0 && g_PlaybackInput == 0) || g_RecordFileName.empty()) return;
    IO_Record_Close();
    if (g_PlaybackInput != 0) g_RecordInput = 0;
    g_Recording = g_RecordInput != 0;
    g_File = std::fopen(g_RecordFileName.c_str(), g_PlaybackInput != 0 ? "rb" : "w+b");
    if (g_File != nullptr) std::setvbuf(g_File, nullptr, _IONBF, 0);
}

void IO_Record_Close()
{
    if (g_File != nullptr) std::fclose(g_File);
    g_File = nullptr;
    g_Recording = false;
}

bool IO_Record_IsRecording()
{
    return g_Recording && g_File != nullptr;
}

bool IO_Record_IsPlayback()
{
    return g_PlaybackInput != 0;
}

void IO_Record_WriteFrame()
{
    if (!IO_Record_IsRecording()) return;
    uint8_t frame[IO_RECORD_FRAME_SIZE];
    IO_Record_Encode(frame);
    std::fwrite(frame, 1, sizeof frame, g_File);
    std::fflush(g_File);
}

void IO_Record_ReadFrame()
{
    if (g_File == nullptr) return;
    uint8_t frame[IO_RECORD_FRAME_SIZE];
    // The state as it stands, so that a frame cut short changes only the bytes it holds.
    IO_Record_Encode(frame);
    size_t read = std::fread(frame, 1, sizeof frame, g_File);
    if (read == 0) return;
    IO_Record_Decode(frame);
}
