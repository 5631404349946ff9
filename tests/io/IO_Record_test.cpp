// Recorded frames: the layout of one frame, recording through the frame's update, and playback of
// hand-made and damaged files.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "IOTestSupport.h"
#include "app/App_CommandLine.h"
#include "graphics/Graphics_Window.h"

using namespace iotest;

namespace {

class RecordTest : public InputTest {
  protected:
    void SetUp() override
    {
        InputTest::SetUp();
        m_Path = std::filesystem::temp_directory_path() / ("kelvaro_record_" + std::to_string(getpid()));
        g_RecordFileName = m_Path.string();
    }
    void TearDown() override
    {
        IO_Record_Close();
        g_RecordInput = g_PlaybackInput = 0;
        g_RecordFileName.clear();
        std::filesystem::remove(m_Path);
    }
    void WriteFile(const std::vector<uint8_t>& bytes)
    {
        std::ofstream(m_Path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    std::vector<uint8_t> ReadFile()
    {
        std::ifstream in(m_Path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::filesystem::path m_Path;
};

uint32_t U32At(const std::vector<uint8_t>& frame, size_t at)
{
    return frame[at] | frame[at + 1] << 8 | frame[at + 2] << 16 | uint32_t(frame[at + 3]) << 24;
}

TEST_F(RecordTest, FrameLayout)
{
    IO_Step.lastChar = 0x41;
    IO_Step.text[0] = 0x20AC;
    IO_Step.lastKey = 0x11223344;
    IO_Step.currentKey = -2;
    IO_Step.keyDown[255] = IO_Step.keyReleased[1] = IO_Step.keyPressed[2] = 1;
    IO_Step.lastButton[4] = 3;
    IO_Step.currentButton[0] = 2;
    IO_Step.buttonDown[14] = IO_Step.buttonReleased[0] = IO_Step.buttonPressed[5] = 1;
    IO_Step.wheelUp[4] = IO_Step.wheelDown[0] = 1;
    IO_Step.cursorX = 7;
    IO_Step.cursorY = -7;
    IO_Step.mouseX = 640;
    IO_Step.mouseY = 480;
    std::vector<uint8_t> frame(IO_RECORD_FRAME_SIZE);
    IO_Record_Encode(frame.data());
    // Four bytes read at each offset.
    const std::pair<size_t, uint32_t> fields[] = {
        {0, 0x20AC0041u},         {2052, 0x11223344u}, {2056, 0xFFFFFFFEu},      {2060 + 252, 0x01000000u},
        {2316, 0x00000100u},      {2572, 0x00010000u}, {2828 + 16, 3},           {2848, 2},
        {2868 + 11, 0x01000000u}, {2883, 1},           {2898 + 4, 0x00000100u},  {2913 + 1, 0x01000000u},
        {2918, 1},                {2923, 7},           {2927, 0xFFFFFFF9u},      {2931, 640}, {2935, 480},
    };
    for (const auto& [at, value] : fields) EXPECT_EQ(value, U32At(frame, at)) << "offset " << at;

    IOStepState written = IO_Step;
    IO_Step = IOStepState{};
    IO_Record_Decode(frame.data());
    IO_Step.deviceX[0] = written.deviceX[0];
    IO_Step.deviceY[0] = written.deviceY[0];
    EXPECT_EQ(0, std::memcmp(&written, &IO_Step, sizeof written));
}

TEST_F(RecordTest, PlaybackOfShortAndDamagedFiles)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        bool held;    // key 65 held after the first frame
        int32_t last; // last key after the first frame
    };
    std::vector<uint8_t> held(IO_RECORD_FRAME_SIZE, 0);
    held[2060 + 65] = 1;
    held[2052] = 65;
    held[2931] = 44; // the window mouse x
    std::vector<uint8_t> cut(held.begin(), held.begin() + 2200); // ends inside the held keys
    std::vector<uint8_t> text(IO_RECORD_FRAME_SIZE, 0xFF); // no terminator anywhere
    const Case cases[] = {
        {"an empty file changes nothing", {}, false, 9},
        {"a whole frame", held, true, 65},
        {"a frame cut short fills the bytes it has", cut, true, 65},
        {"a text without its terminator", text, true, -1},
    };
    for (const Case& c : cases) {
        FreshState();
        IO_Step.lastKey = 9;
        WriteFile(c.file);
        g_PlaybackInput = g_RecordInput = 1; // both switches: the file is replayed and not written
        IO_Record_Open();
        EXPECT_FALSE(IO_Record_IsRecording());
        PushKey(true, SDL_SCANCODE_B); // the devices are not read while replaying
        Frame();
        EXPECT_EQ(c.file == text, IO_Key_Down(66)) << c.name; // only the all-0xFF frame holds it
        EXPECT_EQ(c.held, IO_Key_Down(65)) << c.name;
        EXPECT_EQ(c.last, IO_GetLastKey()) << c.name;
        if (c.file == held) {
            EXPECT_EQ(44, GR_Window_MouseGetX()); // the mouse replays too
        }
        EXPECT_LE(std::strlen(IO_GetKeyboardString()), size_t(1024 * 3)) << c.name;
        // Past the end the state stays as the update left it: held keys stay held.
        Frame();
        Frame();
        EXPECT_EQ(c.held, IO_Key_Down(65)) << c.name;
        EXPECT_FALSE(IO_Key_Pressed(65)) << c.name;
        IO_Record_Close();
        EXPECT_EQ(c.file, ReadFile()) << c.name;
    }
    // A file that cannot be opened replays nothing, and the devices stay unread.
    FreshState();
    g_RecordFileName = (m_Path / "missing" / "file").string();
    g_PlaybackInput = 1;
    IO_Record_Open();
    PushKey(true, SDL_SCANCODE_A);
    Frame();
    EXPECT_FALSE(IO_Key_Down(65));
}

} // namespace
