// CBackground: one image for room backgrounds and tiles. A background from the game file is one
// texture-page entry of that file and keeps no picture; one made or changed while the game runs
// keeps a CBitmap32 and one texture made from it. Backgrounds build no page entries of their own.
#pragma once

#include <cstdint>

#include "gamefile/GameFile_Textures.h"

class CBitmap32;
class IBitmap;

struct TilePixels;

class CBackground {
public:
    CBackground() = default;
    ~CBackground();
    CBackground(const CBackground&) = delete;
    CBackground& operator=(const CBackground&) = delete;

    int32_t GetWidth() const { return m_Width; }
    int32_t GetHeight() const { return m_Height; }
    uint8_t GetTransparent() const { return m_Transparent; }
    uint8_t GetSmooth() const { return m_Smooth; }
    uint8_t GetPreload() const { return m_Preload; }
    // The page-table handle of the file's entry when there is one, else the texture index.
    int32_t GetTexture() const;
    // The picture it keeps, or null.
    const CBitmap32* GetBitmap() const { return m_pBitmap; }
    // The game file's page entry (resolved when asked: the page table may be read after the
    // backgrounds), or null.
    TPageEntry* GetEntry() const;
    bool HasFileEntry() const { return m_EntryOffset != 0; }

    // ---- life cycle ----
    void Clear();
    void CreateTexture();
    void FreeTexture();

    // ---- the game file: the entry's file offset (0 none) and its whole size ----
    void SetFromFile(uint32_t entryOffset, int32_t width, int32_t height, bool transparent, bool smooth,
                     bool preload);

    // ---- pictures made while the game runs ----
    void CreateFromImage(IBitmap* image, bool removeBackground, bool smooth, bool preload, bool keepAlpha);
    // A PNG from the save area, else the game's folder; false (and unchanged) when it is in
    // neither or does not decode.
    bool CreateFromFile(const char* name, bool removeBackground, bool smooth, bool preload, bool keepAlpha);
    // Sizes below 1 make a picture of 1 but are kept as given.
    void CreateColour(int32_t width, int32_t height, uint32_t colour, bool preload);
    void CreateGradient(int32_t width, int32_t height, uint32_t colour1, uint32_t colour2, int32_t kind,
                        bool preload);
    void SetAlphaFromBackground(const CBackground* source);
    // Without a picture the copy draws through the shared entry.
    void Assign(const CBackground* source);
    // The file entry's picture read back from its page at the whole size; false when it keeps a
    // picture already or the read fails.
    bool LoadBitmapFromTexturePage();

    // ---- drawing: the origin is the top-left corner; angles in degrees, colours BGR ----
    void Draw(float x, float y);
    void DrawExt(float x, float y, float xscale, float yscale, float angle, uint32_t colour, float alpha);
    void DrawStretched(float x, float y, float width, float height, uint32_t colour, float alpha);
    void DrawPart(float left, float top, float width, float height, float x, float y, float xscale, float yscale,
                  uint32_t colour, float alpha);
    void DrawGeneral(float left, float top, float width, float height, float x, float y, float xscale,
                     float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, float alpha);
    // The area is left, top, width, height, as the texture layer's tiling takes it.
    // `pixels`, when known, lets tiles that land on no pixel be left out.
    void DrawTiled(float x, float y, float xscale, float yscale, bool htiled, bool vtiled, float areaLeft,
                   float areaTop, float areaWidth, float areaHeight, uint32_t colour, float alpha,
                   const TilePixels* pixels = nullptr);

private:
    void FreeBitmap();

    int32_t m_Width = 0;
    int32_t m_Height = 0;
    uint8_t m_Transparent = 0;
    uint8_t m_Smooth = 0;
    uint8_t m_Preload = 0;
    int32_t m_Texture = -1;
    CBitmap32* m_pBitmap = nullptr; // owned
    uint32_t m_EntryOffset = 0;     // the game file's page entry; 0 none
};
