// The buffer_ built-ins as scripts call them: the table's slots, results and messages.
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

} // namespace
