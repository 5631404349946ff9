// The buffer_ and vertex_ built-ins as scripts call them: the table's slots, results and messages,
// and the vertex builder without a device.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "../TestSupport_Builtins.h"
#include "buffer/Buffer_IBuffer.h"
#include "buffer/Buffer_Table.h"
#include "buffer/Buffer_Vertex.h"
#include "code/Code_Error.h"
#include "gamefile/GameFile_Options.h"
#include "graphics/Graphics_VertexFormat.h"
#include "run/Run_Globals.h"

using namespace testsupport;

namespace {

// Calls run in order on one table; each answers a real, or a text, and may report a message.
struct Call {
    const char* name;
    std::vector<TestArg> args;
    double real;
    const char* text = "";
    const char* message = "";
};

TEST(BufferFunctions, CallsInOrder)
{
    RegisterBuiltins();
    Buffer_DeleteAll();
    g_GameOptions.showErrors = false;
    const Call calls[] = {
        {"buffer_create", {4, eBuffer_Grow, 4}, 0},
        {"buffer_create", {2, 77, 1}, 1}, // an unknown kind, fixed
        {"buffer_create", {0, 0, 1}, -1, "", "buffer_create: Illegal size"},
        {"buffer_create", {3e9, 0, 1}, -1, "", "buffer_create: Illegal size"},
        {"buffer_create", {8, 0, 2048}, -1, "", "buffer_create: Illegal alignment size"},
        {"buffer_create", {"8", 0, 1}, -1, "", "buffer_create: Illegal argument type"},
        {"buffer_write", {0, eBuffer_String, "hi"}, 0}, {"buffer_write", {0, eBuffer_S32, -9}, 0},
        {"buffer_write", {5, 1, 1}, -1, "", "Illegal Buffer Index"},
        {"buffer_read", {0, eBuffer_U8}, -3}, {"buffer_peek", {0, 4.9, eBuffer_S32}, -9},
        {"buffer_poke", {0, 0, eBuffer_U8, 'H'}, 0}, {"buffer_poke", {0, 0, 1, "x"}, 0, "", "Illegal argument type"},
        {"buffer_fill", {0, 4, eBuffer_U8, 0, 4}, 0}, {"buffer_base64_decode", {"SGk="}, 2},
        {"buffer_copy", {2, 0, 2, 0, 6}, 0}, {"buffer_base64_encode", {0, 0, -1}, 0, "SGkAAAAASGk="},
        {"buffer_copy", {0, 0, 1, 0, 0}, 0, "", "Source and Destination buffers can't be the same"},
        {"buffer_copy", {9, 0, 1, 0, 0}, 0, "", "Illegal Source Buffer Index"},
        {"buffer_write", {1, eBuffer_S32, 1}, -2}, // a fixed buffer of two bytes
        {"buffer_load", {"no such file.bin"}, -1, "", "Cannot load buffer file"},
        {"buffer_create", {1, 0, 1}, 3}, // the failed load took no slot
        // A wrap buffer holding "abc\0": the digests' region from 3 runs across the end ("\0ab"),
        // base64's stops there; an empty region has the digest of nothing.
        {"buffer_create", {4, eBuffer_Wrap, 1}, 4}, {"buffer_write", {4, eBuffer_String, "abc"}, 0},
        {"buffer_md5", {4, 3, 3}, 0, "1219a5ffd3f440e80e30ccf668deb6e7"},
        {"buffer_sha1", {4, 3, 3}, 0, "3035052221020b96969503071bc9feef66cd45de"},
        {"buffer_base64_encode", {4, 3, 3}, 0, "AA=="}, {"buffer_md5", {4, 2, 0}, 0, "d41d8cd98f00b204e9800998ecf8427e"},
        {"buffer_get_surface", {0, 0, 0, 0, 0}, -1, "", "Error in buffer_get_surface(): Not yet implemented."},
        {"buffer_set_surface", {0, 0, 0, 0, 0}, -1, "", "Error in buffer_set_surface(): Not yet implemented."},
    };
    for (const Call& c : calls) {
        g_ErrorLast.clear();
        BuiltinResult result = CallBuiltin(c.name, c.args);
        EXPECT_EQ(c.text, result.IsText() ? result.text : "") << c.name;
        EXPECT_EQ(c.real, result.IsText() ? 0 : result.real) << c.name;
        EXPECT_EQ(c.message[0] == '\0', g_ErrorLast.empty()) << c.name;
        EXPECT_NE(std::string::npos, g_ErrorLast.find(c.message)) << g_ErrorLast;
    }
    // The 33rd buffer without deletions takes index 32, in 64 slots.
    for (int32_t i = 5; i < 32; ++i) CallBuiltin("buffer_create", {1, 0, 1});
    EXPECT_EQ(32, Buffer_SlotCount());
    EXPECT_EQ(32, CallReal("buffer_create", {1, 0, 1}));
    EXPECT_EQ(64, Buffer_SlotCount());
    Buffer_DeleteAll();
    g_GameOptions.showErrors = true;
}

// The vertex buffer builder without a device: vertices laid out by the format, growth, the writers
// matched by element type, and every misuse ending the game.
class VertexBuilder : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterBuiltins();
        VertexBuilder_DeleteAll();
        VertexFormat_FreeAll();
        g_GameOptions.showErrors = false;
        g_ErrorLast.clear();
        // A 2D position and a colour: stride 12, the colour at 8.
        m_Coloured = Format({{VERTEX_TYPE_FLOAT2, VERTEX_USAGE_POSITION}, {VERTEX_TYPE_COLOUR, VERTEX_USAGE_COLOUR}});
    }
    void TearDown() override
    {
        VertexBuilder_DeleteAll();
        VertexFormat_FreeAll();
        g_GameOptions.showErrors = true;
    }
    static int32_t Format(const std::vector<std::pair<int32_t, int32_t>>& elements)
    {
        auto* format = new VertexFormat();
        uint32_t bit = 1;
        for (const auto& [type, usage] : elements) {
            VertexFormat_AddElement(format, type, usage, bit);
            bit <<= 1;
        }
        return VertexFormat_Add(format);
    }
    int32_t m_Coloured = 0;
};

// The float and byte writers take the first unwritten element of their type whatever its usage.
// Vertices of each kind are drawn and probed on the OpenGL device.
TEST_F(VertexBuilder, WritersTakeTheFirstUnwrittenElementOfTheirType)
{
    int32_t b = static_cast<int32_t>(CallReal("vertex_create_buffer_ext", {10}));
    EXPECT_EQ(VERTEX_BUILDER_MIN_CAPACITY, VertexBuilder_Get(b)->capacity);
    CallReal("vertex_begin", {b, Format({{VERTEX_TYPE_UBYTE4, 14}, {VERTEX_TYPE_FLOAT1, 12}, {VERTEX_TYPE_FLOAT4, 5},
                                         {VERTEX_TYPE_FLOAT1, 12}})});
    CallReal("vertex_float4", {b, 1, 2, 3, 4});
    CallReal("vertex_float1", {b, 5});
    CallReal("vertex_ubyte4", {b, 1, 258, -1, 3.9});
    CallReal("vertex_float1", {b, 9});
    EXPECT_EQ("", g_ErrorLast);
    float floats[7];
    std::memcpy(floats, VertexBuilder_Get(b)->data, sizeof floats);
    EXPECT_EQ(0, std::memcmp(floats, "\x01\x02\xFF\x03", 4));
    EXPECT_EQ((std::vector<float>{5, 1, 2, 3, 4, 9}), std::vector<float>(floats + 1, floats + 7));
}

// Each misuse in a process of its own: the report must end the game.
TEST_F(VertexBuilder, EveryMisuseIsFatal)
{
    using Step = std::pair<const char*, std::vector<TestArg>>;
    // The calls after buffer 0 is begun with the coloured format (buffer 1 is not), and the report.
    const std::pair<std::vector<Step>, const char*> cases[] = {
        {{{"vertex_position", {0, 1, 1}}, {"vertex_position", {0, 1, 1}}},
         "VERTEX BUILDER: element already written, must write the whole vertex first\n\n"},
        {{{"vertex_normal", {0, 1, 1, 1}}}, "VERTEX BUILDER: Vertex format does not contain selected type.\n\n"},
        {{{"vertex_position", {0, "1", 1}}}, "VERTEX BUILDER: Illegal argument type"},
        {{{"vertex_position", {7, 1, 1}}}, "VERTEX BUILDER: Illegal vertex buffer specified."},
        {{{"vertex_colour", {1, 1, 1}}}, "VERTEX BUILDER: Must use vertex_begin() before writing to buffer"},
        {{{"vertex_position", {0, 1, 1}}, {"vertex_end", {0}}}, "vertex_end: Must finish writing vertex before end."},
        {{{"vertex_end", {"0"}}}, "vertex_end: Illegal argument type"}, {{{"vertex_end", {5}}}, "vertex_end: Illegal vertex buffer specified."},
        {{{"vertex_submit", {0, 4, -1}}}, "vertex_submit: Must finish with vertex_end() before submitting."},
        {{{"vertex_end", {0}}, {"vertex_submit", {0, 6, -1}}}, "vertex_submit: Primitive type error."},
        {{{"vertex_submit", {8, 4, -1}}}, "vertex_submit: Illegal vertex buffer specified."},
        {{{"vertex_begin", {0, 12345}}}, "vertex_create_buffer: Illegal vertex format specified"},
        {{{"vertex_begin", {9, 0}}}, "vertex_begin: Illegal vertex buffer specified."},
        {{{"vertex_delete_buffer", {9}}}, "vertex_delete_buffer: Invalid vertex buffer specified"},
        {{{"vertex_delete_buffer", {"0"}}}, "vertex_delete_buffer: Illegal argument type"},
        {{{"vertex_create_buffer_ext", {"1"}}}, "vertex_create_buffer: Illegal argument type"},
    };
    for (const auto& [steps, message] : cases) {
        EXPECT_EXIT(
            {
                CallReal("vertex_create_buffer", {});
                CallReal("vertex_create_buffer", {});
                CallReal("vertex_begin", {0, m_Coloured});
                for (const auto& [name, args] : steps) CallBuiltin(name, args);
                bool ended = g_ErrorQuitting && g_RunRequest == RUN_REQUEST_FATAL;
                // Without exit handlers, which would count the buffers the child leaves as leaks.
                std::_Exit(ended && g_ErrorLast.find(message) != std::string::npos ? 0 : 1);
            },
            ::testing::ExitedWithCode(0), "")
            << message;
    }
}

} // namespace
