// Malformed copies of games that hold every kind of chunk a reader reads, through both passes as
// start-up runs them: each is refused, and what the player reads before the chunk's "Malformed
// Chunk" line names the entry, where it lies and what lies outside the chunk or the file.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

#include "GameFileTestSupport.h"
#include "fuzz/GameFile_FuzzSupport.h"
#include "code/Code_Error.h"
#include "gamebuild/GameBuild_Manifest.h"
#include "gamefile/GameFile_Header.h"
#include "run/Run_Globals.h"

namespace {

using Bytes = std::vector<uint8_t>;

const char* const EVERY_KIND = R"({
  "header": {"roomOrder": [0]},
  "sprites": [{"name": "spr", "frames": [{"width": 2, "height": 2, "fill": "0xFF00FF00"}]}],
  "sounds": [{"name": "snd", "fileName": "snd.wav", "tone": {"milliseconds": 5}}],
  "backgrounds": [{"name": "bg", "picture": {"width": 2, "height": 2, "fill": "0xFFFF0000"}}],
  "fonts": [{"name": "fnt", "first": 65, "last": 65,
             "picture": {"width": 4, "height": 4, "fill": "0xFFFFFFFF"},
             "glyphs": [{"char": "A", "w": 4, "h": 4, "shift": 4}]}],
  "paths": [{"name": "pth", "points": [[0, 0, 100], [8, 0, 100]]}],
  "scripts": [{"name": "scr", "source": "return 1;"}],
  "timelines": [{"name": "tl", "moments": [{"time": 0, "source": "x = 1;"}]}],
  "objects": [{"name": "obj", "events": [{"type": "create", "source": "x = 1;"}]}],
  "rooms": [{"name": "rm", "instances": [{"object": 0}]}],
  "extensions": [{"name": "Ext", "folder": "Ext",
                  "files": [{"name": "ext.dll", "functions": [{"name": "ext_fn", "id": 1}]}]}]
})";

// The manifest of a game in one of these forms.
std::string Manifest(const std::string& form)
{
    if (form == "compiled") return std::string(R"({"codeForm": "compiled", )") + (EVERY_KIND + 1);
    if (form == "shaders")
        return R"({"shaders": [{"name": "sh", "sources": [null, null, null, null, "vertex", "fragment"]}]})";
    return EVERY_KIND;
}

const Bytes& Game(const std::string& form)
{
    static std::map<std::string, Bytes> built;
    if (built.count(form) == 0) {
        gamebuild::GameDesc game;
        std::string errors;
        EXPECT_TRUE(gamebuild::ReadManifest(Manifest(form), ".", game, errors)) << errors;
        built[form] = BuildBytes(game);
    }
    return built[form];
}

std::string N(uint64_t number) { return std::to_string(number); }

// Where things are in a built file.
uint32_t Body(const Bytes& bytes, const char* tag) { return uint32_t(FindChunk(bytes, tag) + 8); }
uint32_t Length(const Bytes& bytes, const char* tag) { return ReadWord(bytes, FindChunk(bytes, tag) + 4); }

// The refusals of the chunk's count table and of its first entry.
EntryRefusal Table(const Bytes& bytes, const char* tag)
{
    return EntryRefusal(tag, "the count table", Body(bytes, tag), bytes.size());
}
EntryRefusal First(const Bytes& bytes, const char* tag, const std::string& entry)
{
    return EntryRefusal(tag, entry, ChunkRecord(bytes, tag, 0), bytes.size());
}

// A count word raised so that the pointer list runs out of the chunk.
std::string RaiseCount(Bytes& bytes, const char* tag, uint32_t count)
{
    uint32_t body = Body(bytes, tag);
    WriteWord(bytes, body, count);
    return Table(bytes, tag).Line("the pointer list of its " + N(count) + " entries at file offset " + N(body + 4) +
                                  " (" + N(uint64_t{count} * 4) + " bytes) runs past the end of its chunk (" +
                                  N(Length(bytes, tag)) + " bytes at file offset " + N(body) + ")");
}

// Word `word` of the chunk's first record set to `value`.
void SetWord(Bytes& bytes, const char* tag, uint32_t word, uint32_t value)
{
    WriteWord(bytes, ChunkRecord(bytes, tag, 0) + 4 * word, value);
}

struct Refusal {
    const char* what;
    const char* form;
    const char* tag;
    // Makes the copy malformed; gives the line it must be refused with.
    std::function<std::string(Bytes&)> patch;
};

const Refusal REFUSALS[] = {
    {"sprite count raised", "", "SPRT", [](Bytes& b) { return RaiseCount(b, "SPRT", 65536); }},
    {"an object's record pointer past the end", "", "OBJT",
     [](Bytes& b) {
         uint32_t pointer = Body(b, "OBJT") + 4, to = uint32_t(b.size()) + 16;
         WriteWord(b, pointer, to);
         return Table(b, "OBJT").Line("entry 0 (its pointer at file offset " + N(pointer) + ") points to file offset " +
                                      N(to) + ", outside the file (" + N(b.size()) + " bytes)");
     }},
    {"a room's instance list count raised", "", "ROOM",
     [](Bytes& b) {
         uint32_t list = ReadWord(b, ChunkRecord(b, "ROOM", 0) + 4 * 12);
         WriteWord(b, list, 0x01000000);
         return First(b, "ROOM", "room 0")
             .Within("its instance list", list)
             .Past("the pointer list of its 16777216 entries", list + 4, 67108864);
     }},
    {"a moment's event outside the file", "", "TMLN",
     [](Bytes& b) {
         SetWord(b, "TMLN", 3, uint32_t(b.size()) + 4);
         return First(b, "TMLN", "time line 0").Outside("its event", b.size() + 4);
     }},
    {"an audio image longer than the file", "", "AUDO",
     [](Bytes& b) {
         SetWord(b, "AUDO", 0, 0x7FFFFFFF);
         return First(b, "AUDO", "audio entry 0").Past("its image", ChunkRecord(b, "AUDO", 0) + 4, 0x7FFFFFFF);
     }},
    {"a sound's file name outside the file", "", "SOND",
     [](Bytes& b) {
         SetWord(b, "SOND", 3, uint32_t(b.size()) + 1);
         return First(b, "SOND", "sound 0").Outside("its file name", b.size() + 1);
     }},
    {"a background's page entry cut by the end", "", "BGND",
     [](Bytes& b) {
         SetWord(b, "BGND", 4, uint32_t(b.size()) - 4);
         return First(b, "BGND", "background 0").Past("its page entry", b.size() - 4, 22);
     }},
    {"a path's point count raised", "", "PATH",
     [](Bytes& b) {
         SetWord(b, "PATH", 4, 0x10000000);
         return First(b, "PATH", "path 0")
             .Past("its list of 268435456 points", ChunkRecord(b, "PATH", 0) + 20, 3221225472);
     }},
    {"a texture page cut by the end", "", "TPAG",
     [](Bytes& b) {
         uint32_t at = uint32_t(b.size()) - 10;
         WriteWord(b, Body(b, "TPAG") + 4, at);
         return EntryRefusal("TPAG", "page entry 0", at, b.size()).Past("its record", at, 22);
     }},
    {"a script's text outside the file", "", "SCPT",
     [](Bytes& b) {
         SetWord(b, "SCPT", 1, 0xFFFFFFFF);
         return First(b, "SCPT", "script 0").Outside("its text", 0xFFFFFFFF);
     }},
    {"a texture's image outside the file", "", "TXTR",
     [](Bytes& b) {
         SetWord(b, "TXTR", 1, uint32_t(b.size()) + 100);
         return First(b, "TXTR", "texture 0").Outside("its image", b.size() + 100);
     }},
    {"a glyph cut by the end", "", "FONT",
     [](Bytes& b) {
         SetWord(b, "FONT", 11, uint32_t(b.size()) - 2);
         return First(b, "FONT", "font 0").Past("its glyph 0", b.size() - 2, 14);
     }},
    {"an extension file outside the file", "", "EXTN",
     [](Bytes& b) {
         uint32_t at = uint32_t(b.size()) + 8;
         SetWord(b, "EXTN", 3, at);
         return EntryRefusal("EXTN", "package 0 file 0", at, b.size()).Outside("its record", at);
     }},
    {"shader count raised", "shaders", "SHDR", [](Bytes& b) { return RaiseCount(b, "SHDR", 300); }},
    {"bytecode past its chunk", "compiled", "CODE",
     [](Bytes& b) {
         uint32_t entry = ChunkRecord(b, "CODE", 0);
         WriteWord(b, entry + 4, 0x100000);
         return First(b, "CODE", "entry 0")
             .Line("its bytecode at file offset " + N(entry + 8) + " (1048576 bytes) runs past the end of its chunk (" +
                   N(Length(b, "CODE")) + " bytes at file offset " + N(Body(b, "CODE")) + ")");
     }},
};

class Refusals : public testing::Test {
  protected:
    void SetUp() override
    {
        GameHeader_Clear();
        g_GameOptions = GameOptions();
    }
    // The shaders' texts do not compile: a fatal error, which would silence the next test's errors.
    void TearDown() override
    {
        gamefilefuzz::FreeLoadedGame();
        g_ErrorQuitting = false;
        g_RunRequest = RUN_REQUEST_NONE;
    }
    GameFile m_File;
    CapturedLog m_Log;
};

} // namespace

TEST_F(Refusals, EachNamesTheEntryWhereItLiesAndWhatLiesOutside)
{
    for (const std::string form : {"", "shaders", "compiled"}) {
        ASSERT_TRUE(LoadBothPasses(m_File, Game(form))) << form << "\n" << m_Log.Text();
        EXPECT_EQ("", GameFile_LoadFailures());
    }
    for (const Refusal& r : REFUSALS) {
        SCOPED_TRACE(r.what);
        Bytes bytes = Game(r.form);
        ASSERT_NE(0u, FindChunk(bytes, r.tag));
        std::string line = r.patch(bytes);
        m_Log.Clear();
        EXPECT_FALSE(LoadBothPasses(m_File, bytes));
        const std::string& failures = GameFile_LoadFailures();
        EXPECT_TRUE(testsupport::HasLine(failures, line)) << line << "\n" << failures;
        EXPECT_TRUE(
            testsupport::HasLine(failures, std::string("Malformed Chunk ") + r.tag + " (file offset *"));
        EXPECT_TRUE(testsupport::EveryRefusalHasAReason(failures)) << failures;
    }
}
