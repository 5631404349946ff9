// CSprite: an animated image, a run of equally sized frames with an origin, a bounding box and
// one-byte-per-pixel collision masks. A sprite from the game file draws through the file's
// texture-page entries and keeps no pictures; one made or changed at run time keeps a CBitmap32 per
// frame, makes its own textures and its own page entries (one per texture), and builds its masks
// from the pictures' alpha.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "gamefile/GameFile_Textures.h"

class CBitmap32;
class IBitmap;
class IBitmapLoader;
struct InstanceBox;

enum BoundingBoxMode : int32_t { BBOX_AUTOMATIC = 0, BBOX_FULL = 1, BBOX_MANUAL = 2 };
enum MaskKind : int32_t { MASK_PRECISE = 0, MASK_RECTANGLE = 1, MASK_ELLIPSE = 2, MASK_DIAMOND = 3 };

struct SpriteBox {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

class CSprite {
public:
    CSprite() = default;
    virtual ~CSprite();
    CSprite(const CSprite&) = delete;
    CSprite& operator=(const CSprite&) = delete;

    // ---- life cycle and textures ----
    void Clear();
    void CreateTextures();
    void FreeTextures();
    void InitLocalTPE();
    // The page-entry handle of the frame (entries), else its texture index; -1 without frames.
    int32_t GetTexture(int32_t frame);
    SpriteBox GetFrameBounds(int32_t frame);
    // A new 32-bit platform image of the frame's picture, or null.
    IBitmap* CreateFrameImage(int32_t frame) const;

    // ---- the game file ----
    // Frame words are file offsets of page entries, resolved when drawn (the page table may be
    // read after the sprites). Masks are unpacked by the table's reader.
    void SetFileFrames(const std::vector<uint32_t>& offsets);
    void SetFileFields(int32_t width, int32_t height, const SpriteBox& box, bool transparent, bool smooth,
                       bool preload, int32_t mode, bool precise, int32_t xorigin, int32_t yorigin);
    void SetMasks(std::vector<std::vector<uint8_t>> masks);

    // ---- making frames ----
    void LoadStrip(IBitmapLoader* loader, bool removeBackground, bool smooth, int32_t frames, bool keepAlpha);
    void LoadFromLoader(IBitmapLoader* loader, bool removeBackground, bool smooth);
    void LoadFromImage(const uint32_t* pixels, int32_t width, int32_t height, int32_t frames, bool precise,
                       bool removeBackground, bool smooth, int32_t xorigin, int32_t yorigin, bool keepAlpha);
    bool LoadFromPNG(const uint8_t* data, int32_t size, int32_t frames, bool precise, bool removeBackground,
                     bool smooth, int32_t xorigin, int32_t yorigin, bool keepAlpha);
    bool LoadFromJPEG(const uint8_t* data, int32_t size, int32_t frames, bool precise, bool removeBackground,
                      bool smooth, int32_t xorigin, int32_t yorigin, bool keepAlpha);
    bool LoadFromGIF(const uint8_t* data, int32_t size, int32_t frames, bool precise, bool removeBackground,
                     bool smooth, int32_t xorigin, int32_t yorigin, bool keepAlpha);
    bool LoadFromFile(const char* name, int32_t frames, bool precise, bool removeBackground, bool smooth,
                      bool preload, int32_t xorigin, int32_t yorigin, bool keepAlpha);
    void CreateFromBitmap(IBitmap* image, bool precise, bool removeBackground, bool smooth, bool preload,
                          int32_t xorigin, int32_t yorigin, bool keepAlpha);
    // A sprite that keeps no pictures first reads them back from its pages; unchanged if that fails.
    void AddFrameFromBitmap(IBitmap* image, bool removeBackground, bool smooth, bool keepAlpha);
    void Merge(CSprite* source);
    void SetAlphaFromSprite(CSprite* source);
    void Assign(const CSprite* source);
    bool LoadFramesFromTexturePage();
    // A sprite drawn from the game file's pages takes pictures read back from them and from then
    // on keeps its own frames, textures and entries; false (and unchanged) when a read fails.
    bool OwnFramesFromPages();

    // ---- box and masks ----
    void ComputeBoundingBox();
    void CreateMask();
    void SetCollisionMask(bool separate, int32_t mode, const SpriteBox& box, int32_t kind, int32_t tolerance);
    void BuildShapeMask(const std::vector<uint8_t>* other, std::vector<uint8_t>& target, const CBitmap32* frame,
                        int32_t kind, int32_t tolerance) const;
    void FreeMasks();
    void SetBoundingBox(const SpriteBox& box);
    void SetBoundingBoxMode(int32_t mode);
    void SetPrecise(bool precise);
    void SetOrigin(int32_t x, int32_t y)
    {
        m_XOrigin = x;
        m_YOrigin = y;
    }

    // ---- pixel tests (frame: the truncated image index; x, y the rounded position; degrees) ----
    bool CollideSprite(int32_t frame1, const InstanceBox& box1, int32_t x1, int32_t y1, float xscale1,
                       float yscale1, float angle1, CSprite* other, int32_t frame2, const InstanceBox& box2,
                       int32_t x2, int32_t y2, float xscale2, float yscale2, float angle2);
    bool CollidePoint(int32_t frame, const InstanceBox& box, int32_t x, int32_t y, float xscale, float yscale,
                      float angle, int32_t px, int32_t py);
    bool CollideRectangle(int32_t frame, const InstanceBox& box, int32_t x, int32_t y, float xscale, float yscale,
                          float angle, const InstanceBox& rect);
    bool CollideEllipse(int32_t frame, const InstanceBox& box, int32_t x, int32_t y, float xscale, float yscale,
                        float angle, const InstanceBox& rect);
    bool CollideLine(int32_t frame, const InstanceBox& box, int32_t x, int32_t y, float xscale, float yscale,
                     float angle, int32_t x1, int32_t y1, int32_t x2, int32_t y2);

    // ---- drawing (angles in degrees; colours BGR) ----
    void Draw(int32_t frame, float x, float y, float xscale, float yscale, float angle, uint32_t colour, float alpha);
    void DrawSimple(int32_t frame, float x, float y);
    void DrawStretched(int32_t frame, float x, float y, float width, float height, uint32_t colour, float alpha);
    void DrawPart(int32_t frame, float left, float top, float width, float height, float x, float y, float xscale,
                  float yscale, uint32_t colour, float alpha);
    void DrawGeneral(int32_t frame, float left, float top, float width, float height, float x, float y,
                     float xscale, float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4,
                     float alpha);
    // The area is left, top, width, height, as the texture layer's tiling takes it.
    void DrawTiled(int32_t frame, float x, float y, float xscale, float yscale, bool across, bool down,
                   float areaLeft, float areaTop, float areaWidth, float areaHeight, uint32_t colour, float alpha);
    void DrawPos(int32_t frame, float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                 uint32_t colour, float alpha);

    // ---- fields ----
    int32_t GetFrameCount() const { return m_FrameCount; }
    int32_t GetWidth() const { return m_Width; }
    int32_t GetHeight() const { return m_Height; }
    int32_t GetBBoxLeft() const { return m_BBox.left; }
    int32_t GetBBoxTop() const { return m_BBox.top; }
    int32_t GetBBoxRight() const { return m_BBox.right; }
    int32_t GetBBoxBottom() const { return m_BBox.bottom; }
    int32_t GetBBoxMode() const { return m_BBoxMode; }
    int32_t GetXOrigin() const { return m_XOrigin; }
    int32_t GetYOrigin() const { return m_YOrigin; }
    int32_t GetRadius() const { return m_Radius; }
    uint8_t GetPrecise() const { return m_Precise; }
    uint8_t GetTransparent() const { return m_Transparent; }
    uint8_t GetSmooth() const { return m_Smooth; }
    uint8_t GetPreload() const { return m_Preload; }
    int32_t GetMaskCount() const { return m_MaskCount; }
    const uint8_t* GetMask(int32_t index) const;
    int32_t GetBitmapCount() const { return static_cast<int32_t>(m_Bitmaps.size()); }
    const CBitmap32* GetBitmap(int32_t frame) const;
    // The frames are the game file's page entries.
    bool HasFileEntries() const { return !m_FileEntries.empty(); }
    // The frame's page entry (file or own), or null.
    TPageEntry* GetEntry(int32_t frame) const;
    const char* GetName() const { return m_pName; }
    void SetNameAndIndex(const char* name, int32_t index)
    {
        m_pName = name;
        m_Index = index;
    }

private:
    // The frame index reduced modulo the frame count (a negative remainder moved up).
    int32_t WrapFrame(int32_t frame) const;
    // Whether a frame at (x, y) with this reach lies wholly outside the view.
    static bool Culled(float x, float y, float reachX, float reachY);
    // True when something was drawn; logs the sprite's failure otherwise.
    bool DrawFailed(bool drawn) const;
    void ComputeRadius();
    void FreeBitmaps();
    void FreeOwnEntries();
    // Textures, own entries, box and radius, masks.
    void Rebuild();
    // The pictures cut from one strip picture.
    void CutStrip(const CBitmap32& strip);
    bool KeepsOwnFrames() const { return m_FileEntries.empty() || m_OwnsEntries != 0; }
    // The page entry of a frame named by file offset, kept from the last look-up (FileEntry).
    TPageEntry* FileEntry(std::size_t frame) const;
    TPageEntry* LookUpEntry(std::size_t frame, uint32_t generation) const;

    int32_t m_BBoxMode = BBOX_AUTOMATIC;
    SpriteBox m_BBox;
    int32_t m_FrameCount = 0;
    int32_t m_Width = 1;
    int32_t m_Height = 1;
    int32_t m_XOrigin = 0;
    int32_t m_YOrigin = 0;
    int32_t m_Radius = 0;
    uint8_t m_Precise = 1;
    uint8_t m_MasksPresent = 0;
    uint8_t m_Transparent = 1;
    uint8_t m_Smooth = 0;
    uint8_t m_Preload = 1;
    uint8_t m_OwnsEntries = 0;
    int32_t m_MaskCount = 0;
    std::vector<std::vector<uint8_t>> m_Masks; // width x height bytes each, 1 solid
    std::vector<CBitmap32*> m_Bitmaps;
    std::vector<int32_t> m_Textures;
    std::vector<TPageEntry*> m_OwnEntries;
    std::vector<uint32_t> m_FileEntries; // file offsets of the game file's page entries
    // A frame's entry as last looked up by its offset, under the page table's generation m_EntriesOf.
    struct FoundEntry {
        uint32_t offset = 0;
        TPageEntry* entry = nullptr;
    };
    mutable std::vector<FoundEntry> m_FoundEntries;
    mutable uint32_t m_EntriesOf = 0;
    const char* m_pName = nullptr;       // the table's copy
    int32_t m_Index = 0;
};
