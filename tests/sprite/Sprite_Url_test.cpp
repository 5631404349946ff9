// Sprites added from an address on a loopback server of the test: the decoder the extension picks,
// failed requests leaving the sprite empty, and the image-loaded event's map.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "../TestSupport_HttpServer.h"
#include "../TestSupport_Requests.h"
#include "gamebuild/GameBuild_Textures.h"
#include "platform/Platform_ScriptHeap.h"
#include "sprite/Sprite_Table.h"

namespace {

// A grey 4 x 2 picture as PNG; a JPEG picture from the image decoder's seeds.
std::string Png()
{
    std::vector<uint8_t> png = gamebuild::EncodePng(gamebuild::PictureDesc{"", 4, 2, std::vector<uint32_t>(8, 0xFF808080u)});
    return std::string(png.begin(), png.end());
}

std::string Jpeg()
{
    std::ifstream in(KELVARO_SOURCE_DIR "/tests/graphics/fuzz/ImageDecode_corpus/jpeg_colour.jpg", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class SpriteUrl : public ::testing::Test {
protected:
    void SetUp() override
    {
        ScriptHeap_Init();
        Sprite_Reset();
    }
    void TearDown() override { Sprite_Reset(); }
};

TEST_F(SpriteUrl, TheExtensionPicksTheDecoderAndFailuresLeaveTheSpriteEmpty)
{
    struct Case {
        const char* path;
        testsupport::HttpReply reply;
        bool loaded;
        const char* httpStatus;
        const char* status;
    };
    const Case cases[] = {
        {"/pic.PNG", {200, Png()}, true, "200", "0"},
        {"/pic", {200, Png()}, true, "200", "0"},
        {"/photo.JPG", {200, Jpeg()}, true, "200", "0"},
        {"/photo.jpeg", {200, Jpeg()}, true, "200", "0"},
        {"/photo.png", {200, Jpeg()}, false, "200", "0"},
        {"/anim.gif", {200, Png()}, true, "200", "0"},
        {"/gone.png", {404, Png()}, false, "404", "0"},
        {"/empty.png", {200, ""}, false, "200", "-1"},
    };
    testsupport::TestHttpServer server;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        server.Route(c.path, c.reply);
        std::string url = server.Url(c.path);
        int32_t index = Sprite_Add(url.c_str(), 2, true, false, false, false, 1, 0);
        ASSERT_GE(index, 0);
        EXPECT_EQ(0, Sprite_Get(index)->GetFrameCount()) << "the sprite is empty until the data arrives";
        auto done = testsupport::FinishAll();
        ASSERT_EQ(1u, done.size());
        EXPECT_EQ(60, done[0].subtype);
        auto& map = done[0].map;
        EXPECT_EQ(4u, map.size());
        EXPECT_EQ(url, map["filename"]);
        EXPECT_EQ(std::to_string(index), map["id"]);
        EXPECT_EQ(c.httpStatus, map["http_status"]);
        EXPECT_EQ(c.status, map["status"]);
        CSprite* sprite = Sprite_Get(index);
        EXPECT_EQ(c.loaded ? 2 : 0, sprite->GetFrameCount());
        EXPECT_EQ(c.loaded ? 1 : 0, sprite->GetXOrigin());
    }
}

// The slot emptied while the request ran: the event still comes, nothing is decoded.
TEST_F(SpriteUrl, ADeletedSpriteIsLeftAlone)
{
    testsupport::TestHttpServer server;
    server.Route("/late.png", {200, Png(), true, 30});
    std::string url = server.Url("/late.png");
    int32_t index = Sprite_Add(url.c_str(), 1, true, false, false, false, 0, 0);
    ASSERT_TRUE(Sprite_Delete(index));
    auto done = testsupport::FinishAll();
    ASSERT_EQ(1u, done.size());
    EXPECT_EQ("200", done[0].map["http_status"]);
    EXPECT_EQ(nullptr, Sprite_Get(index));
}

} // namespace
