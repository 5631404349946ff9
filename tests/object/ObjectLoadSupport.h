// Games built with the builder and loaded through both chunk passes, for the object and event tests.
#pragma once

#include <gtest/gtest.h>

#include "../gamefile/GameFileTestSupport.h"
#include "ObjectTestSupport.h"
#include "gamefile/GameFile_Header.h"
#include "gamefile/GameFile_Loader.h"
#include "gamefile/GameFile_Options.h"

namespace objecttest {

inline gamebuild::EventDesc SourceEvent(int32_t type, int32_t subtype, const std::string& source)
{
    gamebuild::EventDesc event;
    event.type = type;
    event.subtype = subtype;
    event.code.source = source;
    return event;
}

inline gamebuild::ObjectDesc NamedObject(const std::string& name, int32_t parent = -1)
{
    gamebuild::ObjectDesc object;
    object.name = name;
    object.parent = parent;
    return object;
}

class LoadedGameTest : public ObjectTest {
protected:
    void SetUp() override
    {
        ObjectTest::SetUp();
        GameHeader_Clear();
        g_GameOptions = GameOptions();
        g_GameOptions.showErrors = false;
    }

    // Both chunk passes over the bytes; false when the main pass refused the file.
    bool Load(const std::vector<uint8_t>& bytes)
    {
        m_Log.Clear();
        return LoadBothPasses(m_File, bytes);
    }

    bool Load(const gamebuild::GameDesc& game) { return Load(BuildBytes(game)); }

    // The file offset of object `index`'s record in the built bytes.
    static uint32_t ObjectRecord(const std::vector<uint8_t>& bytes, uint32_t index)
    {
        return ChunkRecord(bytes, "OBJT", index);
    }

    GameFile m_File;
    CapturedLog m_Log;
};

} // namespace objecttest
