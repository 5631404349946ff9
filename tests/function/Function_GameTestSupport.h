// The Game family's tests play small games built with the builder: the family is registered before
// their code compiles, and the routines are called by script name with the instances as self and
// other.
#pragma once

#include <string>
#include <vector>

#include "../TestSupport_Builtins.h"
#include "../run/RunFrameTestSupport.h"

namespace gametest {

using namespace frametest;

// The real a routine answered, called with self and other.
inline double Call(const char* name, const std::vector<testsupport::TestArg>& args, CInstance* self = nullptr,
                   CInstance* other = nullptr)
{
    return testsupport::CallBuiltin(name, args, self, other).real;
}

class GameFamilyTest : public FrameTest {
  protected:
    void SetUp() override
    {
        testsupport::RegisterBuiltins();
        FrameTest::SetUp();
    }

    // One room of the given size with the objects and placed instances, then `moreRooms` empty
    // rooms, played in index order.
    void PlayRooms(std::vector<gamebuild::ObjectDesc> objects,
                   std::vector<gamebuild::RoomInstanceDesc> placed, int32_t moreRooms = 0,
                   int32_t width = 640, int32_t height = 480)
    {
        gamebuild::GameDesc game = OneRoomGame(std::move(objects), std::move(placed));
        game.rooms[0].width = width;
        game.rooms[0].height = height;
        for (int32_t i = 1; i <= moreRooms; ++i) {
            game.rooms.push_back(Room("room_" + std::to_string(i)));
            game.header.roomOrder.push_back(i);
        }
        ASSERT_TRUE(Play(game)) << m_Log.Text();
        TakeNotes();
    }

    static CInstance* ById(int32_t id) { return Instance_FindById(id); }
};

} // namespace gametest
