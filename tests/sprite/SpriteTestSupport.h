// Sprites made in tests: masks drawn as text ('#' solid), and pictures of 0xAARRGGBB pixels.
#pragma once

#include <string>
#include <vector>

#include "instance/Instance_Class.h"
#include "sprite/Sprite_Class.h"

namespace spritetest {

// A sprite whose frames are page entries (as read from the game file) with these masks.
inline void MakeMaskSprite(CSprite& sprite, int32_t frames, const std::vector<std::vector<std::string>>& masks,
                           int32_t xorigin = 0, int32_t yorigin = 0)
{
    int32_t height = masks.empty() ? 1 : int32_t(masks[0].size());
    int32_t width = masks.empty() ? 1 : int32_t(masks[0][0].size());
    std::vector<std::vector<uint8_t>> bytes;
    for (const auto& rows : masks) {
        bytes.emplace_back();
        for (const std::string& row : rows)
            for (char c : row) bytes.back().push_back(c == '#' ? 1 : 0);
    }
    sprite.Clear();
    sprite.SetFileFrames(std::vector<uint32_t>(size_t(frames), 0));
    sprite.SetFileFields(width, height, SpriteBox{0, 0, width - 1, height - 1}, true, false, true, 0, true, xorigin,
                         yorigin);
    sprite.SetMasks(bytes);
}

// Pixels of a picture drawn as text: '#' opaque red, '+' alpha 1, anything else clear.
inline std::vector<uint32_t> Picture(const std::vector<std::string>& rows)
{
    std::vector<uint32_t> pixels;
    for (const std::string& row : rows)
        for (char c : row) pixels.push_back(c == '#' ? 0xFFFF0000u : c == '+' ? 0x01FF0000u : 0u);
    return pixels;
}

// A sprite that keeps its pictures: the rows cut into `frames` frames side by side.
inline void MakePictureSprite(CSprite& sprite, const std::vector<std::string>& rows, int32_t frames = 1,
                              int32_t xorigin = 0, int32_t yorigin = 0)
{
    std::vector<uint32_t> pixels = Picture(rows);
    sprite.LoadFromImage(pixels.data(), int32_t(rows[0].size()), int32_t(rows.size()), frames, true, true, false,
                         xorigin, yorigin, true);
}

} // namespace spritetest
