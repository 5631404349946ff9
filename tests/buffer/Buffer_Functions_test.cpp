// The buffer_ built-ins as scripts call them: the rows, the table's slots, results and messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../TestSupport_Builtins.h"
#include "buffer/Buffer_IBuffer.h"
#include "buffer/Buffer_Table.h"
#include "code/Code_Error.h"
#include "gamefile/GameFile_Options.h"

using namespace testsupport;

namespace {

class BufferFunctions : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterBuiltins();
        Buffer_DeleteAll();
        g_GameOptions.showErrors = false;
    }
    void TearDown() override
    {
        Buffer_DeleteAll();
        g_GameOptions.showErrors = true;
    }
    // Calls with the report cleared; what was reported comes back in `error`.
    BuiltinResult Call(const char* name, const std::vector<TestArg>& args)
    {
        g_ErrorLast.clear();
        BuiltinResult result = CallBuiltin(name, args);
        error = g_ErrorLast;
        return result;
    }
    std::string error;
};

TEST_F(BufferFunctions, RowsCarryTheirCountsInRegistrationOrder)
{
    const std::pair<const char*, int32_t> rows[] = {
        {"buffer_create", 3},        {"buffer_delete", 1},        {"buffer_write", 3},
        {"buffer_read", 2},          {"buffer_peek", 3},          {"buffer_poke", 4},
        {"buffer_seek", 3},          {"buffer_save", 2},          {"buffer_save_ext", 4},
        {"buffer_load", 1},          {"buffer_load_ext", 3},      {"buffer_copy", 5},
        {"buffer_fill", 5},          {"buffer_get_size", 1},      {"buffer_tell", 1},
        {"buffer_resize", 2},        {"buffer_md5", 3},           {"buffer_sha1", 3},
        {"buffer_base64_encode", 3}, {"buffer_base64_decode", 1}, {"buffer_base64_decode_ext", 3},
        {"buffer_sizeof", 1},        {"buffer_get_surface", 5},   {"buffer_set_surface", 5},
    };
    int32_t previous = -1;
    for (const auto& [name, count] : rows) {
        int32_t id = -1;
        ASSERT_TRUE(Code_Function_Find(name, &id)) << name;
        if (previous >= 0) {
            EXPECT_EQ(id, previous + 1) << name;
        }
        EXPECT_EQ(Function_GetArgCount(id), count) << name;
        previous = id;
    }
}

TEST_F(BufferFunctions, NewBuffersTakeTheLowestEmptySlot)
{
    EXPECT_EQ(0, Call("buffer_create", {8, eBuffer_Grow, 1}).real);
    EXPECT_EQ(1, Call("buffer_create", {8, eBuffer_Fast, 1}).real);
    Call("buffer_delete", {0});
    EXPECT_EQ(nullptr, Buffer_Get(0));
    EXPECT_EQ(0, Call("buffer_create", {8, 77, 1}).real);
    EXPECT_EQ(32, Buffer_SlotCount());
    for (int32_t i = 2; i < 32; ++i) Call("buffer_create", {1, 0, 1});
    EXPECT_EQ(32, Call("buffer_create", {1, 0, 1}).real);
    EXPECT_EQ(64, Buffer_SlotCount());
    EXPECT_EQ(33, Buffer_Wrap(nullptr, 0, false));
}

TEST_F(BufferFunctions, ValuesGoThroughTheTable)
{
    int32_t b = static_cast<int32_t>(Call("buffer_create", {4, eBuffer_Grow, 4}).real);
    EXPECT_EQ(0, Call("buffer_write", {b, eBuffer_String, "hi"}).real);
    EXPECT_EQ(0, Call("buffer_write", {b, eBuffer_S32, -9}).real);
    EXPECT_EQ(-1, Call("buffer_write", {b, eBuffer_F16, 1}).real);
    EXPECT_EQ(8, Call("buffer_tell", {b}).real);
    EXPECT_EQ(8, Call("buffer_get_size", {b}).real);
    EXPECT_EQ(0, Call("buffer_seek", {b, 0, 0}).real);
    EXPECT_EQ("hi", Call("buffer_read", {b, eBuffer_String}).text);
    EXPECT_EQ(-9, Call("buffer_read", {b, eBuffer_S32}).real);
    EXPECT_EQ(-3, Call("buffer_read", {b, eBuffer_U8}).real);
    EXPECT_EQ(-9, Call("buffer_peek", {b, 4.9, eBuffer_S32}).real);
    Call("buffer_poke", {b, 0, eBuffer_U8, 'H'});
    Call("buffer_fill", {b, 4, eBuffer_U8, 0, 4});
    EXPECT_EQ("SGkAAAAAAAA=", Call("buffer_base64_encode", {b, 0, -1}).text);
    int32_t copy = static_cast<int32_t>(Call("buffer_base64_decode", {"SGk="}).real);
    EXPECT_EQ(7, Call("buffer_get_size", {copy}).real);
    Call("buffer_copy", {copy, 0, 2, b, 6});
    EXPECT_EQ("SGkAAAAASGk=", Call("buffer_base64_encode", {b, 0, -1}).text);
    Call("buffer_base64_decode_ext", {b, "AA==", 6});
    Call("buffer_resize", {b, 6});
    EXPECT_EQ("SGkAAAAA", Call("buffer_base64_encode", {b, 0, -1}).text);
    EXPECT_EQ("a9993e364706816aba3e25717850c26c9cd0d89d", [&] {
        Call("buffer_resize", {b, 3});
        for (int32_t i = 0; i < 3; ++i) Call("buffer_poke", {b, i, eBuffer_U8, 'a' + i});
        return Call("buffer_sha1", {b, 0, -1}).text;
    }());
    // A fast buffer takes unsigned bytes only and reads 0 past its end.
    int32_t fast = static_cast<int32_t>(Call("buffer_create", {1, eBuffer_Fast, 1}).real);
    EXPECT_EQ(-4, Call("buffer_write", {fast, eBuffer_S32, 1}).real);
    EXPECT_EQ(0, Call("buffer_write", {fast, eBuffer_U8, 5}).real);
    EXPECT_EQ(0, Call("buffer_read", {fast, eBuffer_U8}).real);
    EXPECT_EQ(8, Call("buffer_sizeof", {9}).real);
    EXPECT_EQ(0, Call("buffer_sizeof", {11}).real);
}

TEST_F(BufferFunctions, MisuseIsReportedAndLeavesThePresetResult)
{
    Call("buffer_create", {4, 0, 1});
    Call("buffer_create", {4, 0, 1});
    Call("buffer_delete", {1});
    struct Case {
        const char* name;
        std::vector<TestArg> args;
        const char* message;
        double result;
        bool text = false;
    };
    const Case cases[] = {
        {"buffer_create", {0, 0, 1}, "buffer_create: Illegal size", -1},
        {"buffer_create", {3e9, 0, 1}, "buffer_create: Illegal size", -1},
        {"buffer_create", {8, 0, 2048}, "buffer_create: Illegal alignment size", -1},
        {"buffer_create", {8, 0, 0.5}, "buffer_create: Illegal alignment size", -1},
        {"buffer_create", {"8", 0, 1}, "buffer_create: Illegal argument type", -1},
        {"buffer_write", {1, 1, 1}, "Illegal Buffer Index", -1},
        {"buffer_tell", {-1}, "Illegal Buffer Index", -1},
        {"buffer_delete", {1}, "Illegal Buffer Index", 0},
        {"buffer_poke", {0, 0, 1, "x"}, "Illegal argument type", 0},
        {"buffer_save", {0, 5}, "Illegal argument type", 0},
        {"buffer_md5", {7, 0, -1}, "Illegal Buffer Index", 0, true},
        {"buffer_copy", {0, 0, 1, 0, 0}, "Source and Destination buffers can't be the same", 0},
        {"buffer_copy", {0, 0, 1, 1, 0}, "Illegal Source Buffer Index", 0},
        {"buffer_copy", {1, 0, 1, 0, 0}, "Illegal Source Buffer Index", 0},
        {"buffer_load", {"no such file.bin"}, "Cannot load buffer file", -1},
        {"buffer_get_surface", {0, 0, 0, 0, 0}, "Error in buffer_get_surface(): Not yet implemented.", -1},
        {"buffer_set_surface", {0, 0, 0, 0, 0}, "Error in buffer_set_surface(): Not yet implemented.", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BuiltinResult result = Call(c.name, c.args);
        EXPECT_NE(std::string::npos, error.find(c.message)) << error;
        EXPECT_EQ(c.text, result.IsText());
        if (!c.text) {
            EXPECT_EQ(c.result, result.real);
        }
        EXPECT_EQ("", result.text);
    }
    // The failed load took no slot.
    EXPECT_EQ(1, Call("buffer_create", {4, 0, 1}).real);
}

} // namespace
