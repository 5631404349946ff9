// Sprites added from an address on a loopback server: the decoder the extension picks, failed
// requests leaving the sprite empty, and the image-loaded event's map.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "../TestSupport_HttpServer.h"
#include "../TestSupport_Requests.h"
#include "gamebuild/GameBuild_Textures.h"
#include "platform/Platform_ScriptHeap.h"
#include "sprite/Sprite_Table.h"

namespace {

class SpriteUrl : public ::testing::Test {
protected:
    void SetUp() override
    {
        ScriptHeap_Init();
        Sprite_Reset();
        std::vector<uint8_t> png = gamebuild::EncodePng({"", 4, 2, std::vector<uint32_t>(8, 0xFF808080u)});
        m_Png.assign(png.begin(), png.end());
        std::ifstream in(KELVARO_SOURCE_DIR "/tests/graphics/fuzz/ImageDecode_corpus/jpeg_colour.jpg", std::ios::binary);
        m_Jpeg.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void TearDown() override { Sprite_Reset(); }
    std::string m_Png, m_Jpeg;
    testsupport::TestHttpServer m_Server;
};

TEST_F(SpriteUrl, TheExtensionPicksTheDecoderAndFailuresLeaveTheSpriteEmpty)
{
    struct { const char* path; testsupport::HttpReply reply; bool loaded; const char* httpStatus, *status; } cases[] = {
        {"/pic.PNG", {200, m_Png}, true, "200", "0"},        {"/pic", {200, m_Png}, true, "200", "0"},
        {"/photo.JPG", {200, m_Jpeg}, true, "200", "0"},     {"/photo.jpeg", {200, m_Jpeg}, true, "200", "0"},
        {"/photo.png", {200, m_Jpeg}, false, "200", "0"},    {"/anim.gif", {200, m_Png}, true, "200", "0"},
        {"/gone.png", {404, m_Png}, false, "404", "0"},      {"/empty.png", {200, ""}, false, "200", "-1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        m_Server.Route(c.path, c.reply);
        std::string url = m_Server.Url(c.path);
        int32_t index = Sprite_Add(url.c_str(), 2, true, false, false, false, 1, 0);
        ASSERT_GE(index, 0);
        EXPECT_EQ(0, Sprite_Get(index)->GetFrameCount()) << "the sprite is empty until the data arrives";
        auto done = testsupport::FinishAll();
        ASSERT_EQ(1u, done.size());
        EXPECT_EQ(60, done[0].subtype);
        auto& map = done[0].map;
        EXPECT_EQ(4u, map.size());
        EXPECT_EQ((std::vector<std::string>{url, std::to_string(index), c.httpStatus, c.status}),
                  (std::vector<std::string>{map["filename"], map["id"], map["http_status"], map["status"]}));
        EXPECT_EQ(c.loaded ? 2 : 0, Sprite_Get(index)->GetFrameCount());
        EXPECT_EQ(c.loaded ? 1 : 0, Sprite_Get(index)->GetXOrigin());
    }
    // The slot emptied while the request ran: the event still comes, nothing is decoded.
    m_Server.Route("/late.png", {200, m_Png, true, 30});
    std::string url = m_Server.Url("/late.png");
    int32_t index = Sprite_Add(url.c_str(), 1, true, false, false, false, 0, 0);
    ASSERT_TRUE(Sprite_Delete(index));
    auto done = testsupport::FinishAll();
    ASSERT_EQ(1u, done.size());
    EXPECT_EQ("200", done[0].map["http_status"]);
    EXPECT_EQ(nullptr, Sprite_Get(index));
}

} // namespace
