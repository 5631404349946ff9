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

// Calls run in order on one table; each answers a real or a text and may report a message.
struct Call {
    const char* name;
    std::vector<TestArg> args;
    double real;
    const char* text = nullptr; // the expected text of a string result
    const char* message = "";   // part of what is reported, "" for nothing
};

TEST(BufferFunctions, CallsInOrder)
{
    RegisterBuiltins();
    Buffer_DeleteAll();
    g_GameOptions.showErrors = false;
    const Call calls[] = {
        {"buffer_create", {4, eBuffer_Grow, 4}, 0},
        {"buffer_create", {8, eBuffer_Fast, 1}, 1},
        {"buffer_delete", {1}, 0},
        {"buffer_create", {2, 77, 1}, 1}, // an unknown kind, fixed
        {"buffer_create", {0, 0, 1}, -1, nullptr, "buffer_create: Illegal size"},
        {"buffer_create", {3e9, 0, 1}, -1, nullptr, "buffer_create: Illegal size"},
        {"buffer_create", {8, 0, 2048}, -1, nullptr, "buffer_create: Illegal alignment size"},
        {"buffer_create", {8, 0, 0.5}, -1, nullptr, "buffer_create: Illegal alignment size"},
        {"buffer_create", {"8", 0, 1}, -1, nullptr, "buffer_create: Illegal argument type"},
        {"buffer_write", {0, eBuffer_String, "hi"}, 0},
        {"buffer_write", {0, eBuffer_S32, -9}, 0},
        {"buffer_write", {0, eBuffer_F16, 1}, -1},
        {"buffer_write", {5, 1, 1}, -1, nullptr, "Illegal Buffer Index"},
        {"buffer_tell", {0}, 8},
        {"buffer_get_size", {0}, 8},
        {"buffer_seek", {0, 0, 0}, 0},
        {"buffer_read", {0, eBuffer_String}, 0, "hi"},
        {"buffer_read", {0, eBuffer_S32}, -9},
        {"buffer_read", {0, eBuffer_U8}, -3},
        {"buffer_peek", {0, 4.9, eBuffer_S32}, -9},
        {"buffer_poke", {0, 0, eBuffer_U8, 'H'}, 0},
        {"buffer_poke", {0, 0, 1, "x"}, 0, nullptr, "Illegal argument type"},
        {"buffer_fill", {0, 4, eBuffer_U8, 0, 4}, 0},
        {"buffer_base64_encode", {0, 0, -1}, 0, "SGkAAAAAAAA="},
        {"buffer_base64_decode", {"SGk="}, 2},
        {"buffer_get_size", {2}, 7}, // the whole cleared block
        {"buffer_copy", {2, 0, 2, 0, 6}, 0},
        {"buffer_base64_encode", {0, 0, -1}, 0, "SGkAAAAASGk="},
        {"buffer_copy", {0, 0, 1, 0, 0}, 0, nullptr, "Source and Destination buffers can't be the same"},
        {"buffer_copy", {0, 0, 1, 9, 0}, 0, nullptr, "Illegal Source Buffer Index"},
        {"buffer_copy", {9, 0, 1, 0, 0}, 0, nullptr, "Illegal Source Buffer Index"},
        {"buffer_base64_decode_ext", {0, "YWJj", 0}, 0},
        {"buffer_resize", {0, 3}, 0},
        {"buffer_md5", {0, 0, -1}, 0, "900150983cd24fb0d6963f7d28e17f72"},
        {"buffer_sha1", {0, 0, -1}, 0, "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {"buffer_md5", {7, 0, -1}, 0, "", "Illegal Buffer Index"},
        {"buffer_write", {1, eBuffer_S32, 1}, -2},
        {"buffer_create", {1, eBuffer_Fast, 1}, 3},
        {"buffer_write", {3, eBuffer_S32, 1}, -4},
        {"buffer_read", {3, eBuffer_U8}, 0},
        {"buffer_read", {3, eBuffer_U8}, 0}, // past the end of a fast buffer
        {"buffer_load", {"no such file.bin"}, -1, nullptr, "Cannot load buffer file"},
        {"buffer_create", {1, 0, 1}, 4}, // the failed load took no slot
        {"buffer_delete", {9}, 0, nullptr, "Illegal Buffer Index"},
        {"buffer_sizeof", {9}, 8},
        {"buffer_sizeof", {11}, 0},
        {"buffer_get_surface", {0, 0, 0, 0, 0}, -1, nullptr, "Error in buffer_get_surface(): Not yet implemented."},
        {"buffer_set_surface", {0, 0, 0, 0, 0}, -1, nullptr, "Error in buffer_set_surface(): Not yet implemented."},
    };
    for (const Call& c : calls) {
        SCOPED_TRACE(testing::Message() << c.name << " answering " << c.real << " " << (c.text ? c.text : ""));
        g_ErrorLast.clear();
        BuiltinResult result = CallBuiltin(c.name, c.args);
        EXPECT_EQ(c.text != nullptr, result.IsText());
        if (c.text != nullptr) {
            EXPECT_EQ(c.text, result.text);
        } else {
            EXPECT_EQ(c.real, result.real);
        }
        EXPECT_EQ(c.message[0] == '\0', g_ErrorLast.empty());
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
    template <typename T>
    static T At(const VertexBuilderBuffer* b, uint32_t offset)
    {
        T value;
        std::memcpy(&value, b->data + offset, sizeof value);
        return value;
    }
    int32_t m_Coloured = 0;
};

TEST_F(VertexBuilder, ElementsGoWhereTheFormatPutsThemInEitherOrderAndTheBufferGrows)
{
    int32_t b = static_cast<int32_t>(CallReal("vertex_create_buffer_ext", {10}));
    EXPECT_EQ(VERTEX_BUILDER_MIN_CAPACITY, VertexBuilder_Get(b)->capacity);
    int32_t negative = static_cast<int32_t>(CallReal("vertex_create_buffer_ext", {-5}));
    EXPECT_EQ(VERTEX_BUILDER_MIN_CAPACITY, VertexBuilder_Get(negative)->capacity);
    CallReal("vertex_begin", {b, m_Coloured});
    CallReal("vertex_colour", {b, 0x0000FF, 0.5});
    CallReal("vertex_position", {b, 1.5, -2});
    CallReal("vertex_float2", {b, 3, 4});
    CallReal("vertex_rgba", {b, -1});
    for (int32_t i = 2; i < 30; ++i) {
        CallReal("vertex_position", {b, i, -i});
        CallReal("vertex_rgba", {b, i});
    }
    CallReal("vertex_end", {b});
    EXPECT_EQ("", g_ErrorLast);
    const VertexBuilderBuffer* buffer = VertexBuilder_Get(b);
    // Grown once, by half plus a vertex.
    EXPECT_EQ((std::vector<uint32_t>{30, 360, 256 + 128 + 12}),
              (std::vector<uint32_t>{buffer->vertexCount, buffer->writeOffset, buffer->capacity}));
    // Red at half alpha, as ARGB.
    EXPECT_EQ((std::vector<uint32_t>{0x7FFF0000u, 0xFFFFFFFFu, 29}),
              (std::vector<uint32_t>{At<uint32_t>(buffer, 8), At<uint32_t>(buffer, 20), At<uint32_t>(buffer, 29 * 12 + 8)}));
    EXPECT_EQ((std::vector<float>{1.5f, -2, 3, -29}), (std::vector<float>{At<float>(buffer, 0), At<float>(buffer, 4),
                                                                        At<float>(buffer, 12), At<float>(buffer, 29 * 12 + 4)}));
    EXPECT_EQ(VertexFormat_Get(m_Coloured), buffer->finished);
    EXPECT_TRUE(VertexBuilder_Delete(negative));
    EXPECT_EQ(negative, CallReal("vertex_create_buffer", {}));
}

TEST_F(VertexBuilder, FloatAndByteWritersTakeTheFirstElementOfTheirTypeWhateverItsUsage)
{
    int32_t format = Format({{VERTEX_TYPE_UBYTE4, 14},
                             {VERTEX_TYPE_FLOAT1, 12},
                             {VERTEX_TYPE_FLOAT3, VERTEX_USAGE_NORMAL},
                             {VERTEX_TYPE_FLOAT4, 5},
                             {VERTEX_TYPE_FLOAT1, 12}});
    int32_t b = static_cast<int32_t>(CallReal("vertex_create_buffer", {}));
    CallReal("vertex_begin", {b, format});
    CallReal("vertex_float4", {b, 1, 2, 3, 4});
    CallReal("vertex_float1", {b, 5});
    CallReal("vertex_ubyte4", {b, 1, 258, -1, 3.9});
    CallReal("vertex_float3", {b, 6, 7, 8});
    CallReal("vertex_float1", {b, 9});
    EXPECT_EQ("", g_ErrorLast);
    const VertexBuilderBuffer* buffer = VertexBuilder_Get(b);
    EXPECT_EQ(1u, buffer->vertexCount);
    EXPECT_EQ(0x03FF0201u, At<uint32_t>(buffer, 0));
    EXPECT_EQ((std::vector<float>{5, 8, 4, 9}), (std::vector<float>{At<float>(buffer, 4), At<float>(buffer, 16),
                                                                  At<float>(buffer, 32), At<float>(buffer, 36)}));
}

// Each misuse in a process of its own: the report must end the game.
TEST_F(VertexBuilder, EveryMisuseIsFatal)
{
    struct Step {
        const char* name;
        std::vector<TestArg> args;
    };
    const struct {
        std::vector<Step> steps; // buffer 0 is begun with the coloured format, buffer 1 is not
        const char* message;
    } cases[] = {
        {{{"vertex_position", {0, 1, 1}}, {"vertex_position", {0, 1, 1}}},
         "VERTEX BUILDER: element already written, must write the whole vertex first\n\n"},
        {{{"vertex_normal", {0, 1, 1, 1}}}, "VERTEX BUILDER: Vertex format does not contain selected type.\n\n"},
        {{{"vertex_float4", {0, 1, 1, 1, 1}}}, "VERTEX BUILDER: Vertex format does not contain selected type.\n\n"},
        {{{"vertex_position", {0, "1", 1}}}, "VERTEX BUILDER: Illegal argument type"},
        {{{"vertex_position", {7, 1, 1}}}, "VERTEX BUILDER: Illegal vertex buffer given."},
        {{{"vertex_colour", {1, 1, 1}}}, "VERTEX BUILDER: Must use vertex_begin() before writing to buffer"},
        {{{"vertex_position", {0, 1, 1}}, {"vertex_end", {0}}}, "vertex_end: Must finish writing vertex before end."},
        {{{"vertex_end", {"0"}}}, "vertex_end: Illegal argument type"},
        {{{"vertex_end", {5}}}, "vertex_end: Illegal vertex buffer given."},
        {{{"vertex_submit", {0, 4, -1}}}, "vertex_submit: Must finish with vertex_end() before submitting."},
        {{{"vertex_end", {0}}, {"vertex_submit", {0, 6, -1}}}, "vertex_submit: Primitive type error."},
        {{{"vertex_submit", {8, 4, -1}}}, "vertex_submit: Illegal vertex buffer given."},
        {{{"vertex_begin", {0, 12345}}}, "vertex_create_buffer: Illegal vertex format given"},
        {{{"vertex_begin", {9, 0}}}, "vertex_begin: Illegal vertex buffer given."},
        {{{"vertex_delete_buffer", {9}}}, "vertex_delete_buffer: Invalid vertex buffer given"},
        {{{"vertex_delete_buffer", {"0"}}}, "vertex_delete_buffer: Illegal argument type"},
        {{{"vertex_create_buffer_ext", {"1"}}}, "vertex_create_buffer: Illegal argument type"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_EXIT(
            {
                CallReal("vertex_create_buffer", {});
                CallReal("vertex_create_buffer", {});
                CallReal("vertex_begin", {0, m_Coloured});
                for (const Step& step : c.steps) CallBuiltin(step.name, step.args);
                bool ended = g_ErrorQuitting && g_RunRequest == RUN_REQUEST_FATAL;
                // Without exit handlers, which would count the buffers the child leaves as leaks.
                std::_Exit(ended && g_ErrorLast.find(c.message) != std::string::npos ? 0 : 1);
            },
            ::testing::ExitedWithCode(0), "");
    }
}

} // namespace
