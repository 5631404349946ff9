// The sprite's frames: its life cycle, textures and own page entries, and every way frames are made
// (decoded images, strips, screen and surface grabs, other sprites, the texture pages read back).
#include <algorithm>
#include <cstring>

#include "base/Base_Console.h"
#include "code/Code_Error.h"
#include "graphics/Graphics_Bitmap32.h"
#include "graphics/Graphics_DeviceStates.h"
#include "graphics/Graphics_Image.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Graphics_TexturePage.h"
#include "platform/Platform_Bitmap.h"
#include "platform/Platform_MemoryManager.h"
#include "sprite/Sprite_Class.h"
#include "support/Support_SaveArea.h"

namespace {

// A picture of a platform image: its own alpha kept untouched, or made opaque with the background
// removed and the edges smoothed as asked.
CBitmap32* PictureOf(IBitmap* image, bool removeBackground, bool smooth, bool keepAlpha)
{
    auto* picture = new CBitmap32();
    if (keepAlpha) picture->ConstructFromTBitmap(image, false, false, true);
    else picture->ConstructFromTBitmap(image, removeBackground, smooth, false);
    return picture;
}

// A coordinate of the box kept on the image's pixels along an axis `size` long (0 when it has none,
// as for a size the file gives below zero).
int32_t OnImage(int32_t coordinate, int32_t size)
{
    return std::clamp(coordinate, 0, size > 0 ? size - 1 : 0);
}

} // namespace

CSprite::~CSprite()
{
    Clear();
}

void CSprite::FreeBitmaps()
{
    for (CBitmap32* bitmap : m_Bitmaps)
        delete bitmap;
    m_Bitmaps.clear();
}

void CSprite::FreeOwnEntries()
{
    for (TPageEntry* entry : m_OwnEntries) {
        TPage_ReleaseOwn(entry);
        delete entry;
    }
    m_OwnEntries.clear();
    m_OwnsEntries = 0;
}

void CSprite::Clear()
{
    FreeOwnEntries();
    FreeBitmaps();
    FreeTextures();
    m_Textures.clear();
    FreeMasks();
    m_FileEntries.clear();
    m_BBoxMode = BBOX_AUTOMATIC;
    m_BBox = SpriteBox();
    m_FrameCount = 0;
    m_Width = 1;
    m_Height = 1;
    m_XOrigin = 0;
    m_YOrigin = 0;
    m_Radius = 0;
    m_Precise = 1;
    m_Transparent = 1;
    m_Smooth = 0;
    m_Preload = 1;
    m_pName = nullptr;
    m_Index = 0;
}

void CSprite::FreeTextures()
{
    for (int32_t& texture : m_Textures) {
        if (texture >= 0) Texture_Free(texture);
        texture = -1;
    }
}

void CSprite::CreateTextures()
{
    FreeTextures();
    m_Textures.clear();
    if (!KeepsOwnFrames()) return;
    for (const CBitmap32* bitmap : m_Bitmaps) {
        int32_t texture = Texture_CreateFromBitmap(bitmap);
        if (m_Preload != 0 && texture >= 0) Texture_Preload(texture);
        m_Textures.push_back(texture);
    }
}

void CSprite::InitLocalTPE()
{
    if (!KeepsOwnFrames()) return;
    FreeOwnEntries();
    for (size_t i = 0; i < m_Bitmaps.size(); ++i) {
        auto w = int16_t(m_Bitmaps[i] != nullptr ? m_Bitmaps[i]->GetWidth() : 0);
        auto h = int16_t(m_Bitmaps[i] != nullptr ? m_Bitmaps[i]->GetHeight() : 0);
        auto texture = int16_t(i < m_Textures.size() ? m_Textures[i] : -1);
        auto* entry = new TPageEntry{0, 0, w, h, 0, 0, w, h, w, h, texture};
        TPage_RegisterOwn(entry);
        m_OwnEntries.push_back(entry);
    }
    m_OwnsEntries = 1;
}

void CSprite::Rebuild()
{
    CreateTextures();
    InitLocalTPE();
    ComputeBoundingBox();
    CreateMask();
}

int32_t CSprite::WrapFrame(int32_t frame) const
{
    int32_t index = frame % m_FrameCount;
    return index < 0 ? index + m_FrameCount : index;
}

// The look-up by offset is a hash search, paid once a frame per table generation rather than per
// draw. Each kept entry carries its offset, so frames given new offsets look up again.
TPageEntry* CSprite::FileEntry(size_t frame) const
{
    uint32_t generation = TexturePage_Generation();
    if (generation == m_EntriesOf && frame < m_FoundEntries.size()) {
        const FoundEntry& found = m_FoundEntries[frame];
        if (found.entry != nullptr && found.offset == m_FileEntries[frame]) return found.entry;
    }
    return LookUpEntry(frame, generation);
}

TPageEntry* CSprite::LookUpEntry(size_t frame, uint32_t generation) const
{
    if (generation != m_EntriesOf || m_FoundEntries.size() != m_FileEntries.size()) {
        m_FoundEntries.assign(m_FileEntries.size(), FoundEntry{});
        m_EntriesOf = generation;
    }
    FoundEntry& found = m_FoundEntries[frame];
    found.offset = m_FileEntries[frame];
    found.entry = TexturePage_AtOffset(found.offset);
    return found.entry;
}

TPageEntry* CSprite::GetEntry(int32_t frame) const
{
    if (frame < 0) return nullptr;
    if (!KeepsOwnFrames()) return size_t(frame) < m_FileEntries.size() ? FileEntry(size_t(frame)) : nullptr;
    return size_t(frame) < m_OwnEntries.size() ? m_OwnEntries[size_t(frame)] : nullptr;
}

const CBitmap32* CSprite::GetBitmap(int32_t frame) const
{
    return frame >= 0 && size_t(frame) < m_Bitmaps.size() ? m_Bitmaps[size_t(frame)] : nullptr;
}

int32_t CSprite::GetTexture(int32_t frame)
{
    if (m_FrameCount <= 0) return -1;
    frame = WrapFrame(frame);
    if (!KeepsOwnFrames() || !m_OwnEntries.empty()) return TPage_Handle(GetEntry(frame));
    return size_t(frame) < m_Textures.size() ? m_Textures[size_t(frame)] : -1;
}

SpriteBox CSprite::GetFrameBounds(int32_t frame)
{
    if (frame < 0 || frame >= m_FrameCount) return SpriteBox();
    if (const TPageEntry* entry = GetEntry(frame))
        return SpriteBox{entry->xOffset, entry->yOffset, entry->xOffset + entry->width, entry->yOffset + entry->height};
    const CBitmap32* bitmap = GetBitmap(frame);
    if (bitmap == nullptr) return SpriteBox();
    BitmapBox* opaque = bitmap->GetOpaqueBounds();
    SpriteBox box{opaque->left, opaque->top, opaque->right, opaque->bottom};
    MemoryManager::Free(opaque);
    return box;
}

IBitmap* CSprite::CreateFrameImage(int32_t frame) const
{
    const CBitmap32* bitmap = GetBitmap(frame);
    return bitmap != nullptr ? bitmap->CreateTBitmap32() : nullptr;
}

void CSprite::SetFileFrames(const std::vector<uint32_t>& offsets)
{
    m_FileEntries = offsets;
    m_OwnsEntries = 0;
}

void CSprite::SetFileFields(int32_t width, int32_t height, const SpriteBox& box, bool transparent, bool smooth,
                            bool preload, int32_t mode, bool precise, int32_t xorigin, int32_t yorigin)
{
    m_Width = width;
    m_Height = height;
    // A box past the image adds only pixels that no picture or mask holds, yet every collision test
    // walks them: one edge word far out of range made a single test take seconds.
    m_BBox = SpriteBox{OnImage(box.left, width), OnImage(box.top, height), OnImage(box.right, width),
                       OnImage(box.bottom, height)};
    m_Transparent = transparent ? 1 : 0;
    m_Smooth = smooth ? 1 : 0;
    m_Preload = preload ? 1 : 0;
    m_BBoxMode = mode;
    m_Precise = precise ? 1 : 0;
    m_XOrigin = xorigin;
    m_YOrigin = yorigin;
    m_FrameCount = static_cast<int32_t>(m_FileEntries.size());
    ComputeRadius();
}

void CSprite::CutStrip(const CBitmap32& strip)
{
    for (int32_t i = 0; i < m_FrameCount; ++i) {
        auto* frame = new CBitmap32();
        frame->ConstructFromPart(&strip, i * m_Width, 0, m_Width, m_Height);
        m_Bitmaps.push_back(frame);
    }
}

void CSprite::LoadStrip(IBitmapLoader* loader, bool removeBackground, bool smooth, int32_t frames, bool keepAlpha)
{
    MainConsole->Output("calling pLoader->Create\n");
    IBitmap* image = loader != nullptr ? loader->GetFrame(0) : nullptr;
    MainConsole->Output("calling Clear()\n");
    Clear();
    m_Transparent = removeBackground ? 1 : 0;
    m_Smooth = smooth ? 1 : 0;
    if (image == nullptr) {
        MainConsole->Output("CSprite::LoadStrip :: Unable to load sprite data\n");
        return;
    }
    MainConsole->Output("About to get widths and heights\n");
    m_FrameCount = std::max(frames, 1);
    m_Width = image->GetWidth() / m_FrameCount;
    m_Height = image->GetHeight();
    MainConsole->Output("TBitmap has w=%d, h=%d\n", image->GetWidth(), image->GetHeight());
    CBitmap32* strip = PictureOf(image, removeBackground, smooth, keepAlpha);
    delete image;
    CutStrip(*strip);
    delete strip;
}

void CSprite::LoadFromLoader(IBitmapLoader* loader, bool removeBackground, bool smooth)
{
    Clear();
    m_Transparent = removeBackground ? 1 : 0;
    m_Smooth = smooth ? 1 : 0;
    m_FrameCount = std::max(loader->GetFrameCount(), 0);
    for (int32_t i = 0; i < m_FrameCount; ++i) {
        IBitmap* image = loader->GetFrame(i);
        m_Bitmaps.push_back(PictureOf(image, removeBackground, smooth, false));
        delete image;
    }
    if (!m_Bitmaps.empty()) {
        m_Width = m_Bitmaps[0]->GetWidth();
        m_Height = m_Bitmaps[0]->GetHeight();
    }
}

void CSprite::LoadFromImage(const uint32_t* pixels, int32_t width, int32_t height, int32_t frames, bool precise,
                            bool removeBackground, bool smooth, int32_t xorigin, int32_t yorigin, bool keepAlpha)
{
    BitmapLoader* loader = BitmapLoader_Create(pixels, width, height);
    if (loader != nullptr && loader->GetOption()) LoadFromLoader(loader, removeBackground, smooth);
    else LoadStrip(loader, removeBackground, smooth, frames, keepAlpha);
    delete loader;
    m_XOrigin = xorigin;
    m_YOrigin = yorigin;
    m_BBoxMode = BBOX_AUTOMATIC;
    m_Preload = 1;
    m_Precise = precise ? 1 : 0;
    Rebuild();
}

bool CSprite::LoadFromPNG(const uint8_t* data, int32_t size, int32_t frames, bool precise, bool removeBackground,
                          bool smooth, int32_t xorigin, int32_t yorigin, bool keepAlpha)
{
    int32_t width = 0;
    int32_t height = 0;
    uint8_t* pixels = GR_Image_LoadPNG(data, size, &width, &height, false);
    if (pixels == nullptr) return false;
    LoadFromImage(reinterpret_cast<const uint32_t*>(pixels), width, height, frames, precise, removeBackground,
                  smooth, xorigin, yorigin, keepAlpha);
    GR_Image_FreePNG();
    return true;
}

#define SPRITE_LOAD_DECODED(Method, decoder)                                                                  \
    bool CSprite::Method(const uint8_t* data, int32_t size, int32_t frames, bool precise,                      \
                         bool removeBackground, bool smooth, int32_t xorigin, int32_t yorigin, bool keepAlpha) \
    {                                                                                                          \
        int32_t width = 0;                                                                                     \
        int32_t height = 0;                                                                                    \
        uint8_t* pixels = decoder(data, size, &width, &height);                                                \
        if (pixels == nullptr) return false;                                                                   \
        LoadFromImage(reinterpret_cast<const uint32_t*>(pixels), width, height, frames, precise,              \
                      removeBackground, smooth, xorigin, yorigin, keepAlpha);                                  \
        MemoryManager::Free(pixels);                                                                           \
        return true;                                                                                           \
    }
SPRITE_LOAD_DECODED(LoadFromJPEG, JPEG_Decode)
SPRITE_LOAD_DECODED(LoadFromGIF, GIF_Decode)
#undef SPRITE_LOAD_DECODED

bool CSprite::LoadFromFile(const char* name, int32_t frames, bool precise, bool removeBackground, bool smooth,
                           bool, int32_t xorigin, int32_t yorigin, bool keepAlpha)
{
    int32_t size = 0;
    uint8_t* data = LoadSave_ReadSaveAreaFile(name, &size);
    if (data == nullptr) data = LoadSave_ReadBundleFile(name, &size);
    if (data == nullptr) return false;
    bool loaded = LoadFromPNG(data, size, frames, precise, removeBackground, smooth, xorigin, yorigin, keepAlpha);
    MemoryManager::Free(data);
    return loaded;
}

void CSprite::CreateFromBitmap(IBitmap* image, bool precise, bool removeBackground, bool smooth, bool preload,
                               int32_t xorigin, int32_t yorigin, bool keepAlpha)
{
    Clear();
    CBitmap32* picture = PictureOf(image, removeBackground, smooth, keepAlpha);
    m_Width = picture->GetWidth();
    m_Height = picture->GetHeight();
    m_Bitmaps.push_back(picture);
    m_FrameCount = 1;
    m_Precise = precise ? 1 : 0;
    m_Transparent = removeBackground ? 1 : 0;
    m_Smooth = smooth ? 1 : 0;
    m_Preload = preload ? 1 : 0;
    m_XOrigin = xorigin;
    m_YOrigin = yorigin;
    m_BBoxMode = BBOX_AUTOMATIC;
    MainConsole->Output("Init Texture\n");
    CreateTextures();
    MainConsole->Output("Init local TPE\n");
    InitLocalTPE();
    MainConsole->Output("Compute Bounding Box\n");
    ComputeBoundingBox();
    MainConsole->Output("Create Mask\n");
    CreateMask();
}

bool CSprite::LoadFramesFromTexturePage()
{
    if (!m_Bitmaps.empty()) return true;
    std::vector<CBitmap32*> pictures;
    for (int32_t i = 0; i < m_FrameCount; ++i) {
        const TPageEntry* entry = GetEntry(i);
        CBitmap32* picture = entry != nullptr ? TPage_ReadPicture(*entry) : nullptr;
        if (picture == nullptr || !picture->IsValid()) {
            delete picture;
            for (CBitmap32* made : pictures)
                delete made;
            return false;
        }
        pictures.push_back(picture);
    }
    m_Bitmaps = std::move(pictures);
    return true;
}

bool CSprite::OwnFramesFromPages()
{
    if (KeepsOwnFrames()) return true;
    if (!LoadFramesFromTexturePage()) return false;
    m_FileEntries.clear();
    CreateTextures();
    InitLocalTPE();
    return true;
}

void CSprite::AddFrameFromBitmap(IBitmap* image, bool removeBackground, bool smooth, bool keepAlpha)
{
    // Frames of the game file's pages are read back first; without them nothing is added.
    if (!OwnFramesFromPages()) return;
    CBitmap32* picture = PictureOf(image, removeBackground, smooth, keepAlpha);
    if (m_FrameCount <= 0) {
        m_Width = picture->GetWidth();
        m_Height = picture->GetHeight();
    }
    picture->Stretch(m_Width, m_Height);
    m_Bitmaps.push_back(picture);
    m_FrameCount = static_cast<int32_t>(m_Bitmaps.size());
    FreeOwnEntries();
    Rebuild();
}

void CSprite::Merge(CSprite* source)
{
    if (m_FrameCount <= 0) {
        m_Width = source->m_Width;
        m_Height = source->m_Height;
    }
    if (!KeepsOwnFrames()) {
        Error_Show_Action("sprite_merge() requires the destination sprite to have been duplicated", false);
        return;
    }
    if (!source->KeepsOwnFrames()) {
        Error_Show_Action("sprite_merge() requires the source sprite to have been duplicated", false);
        return;
    }
    // Copies first: the source may be this sprite.
    std::vector<CBitmap32*> copies;
    for (const CBitmap32* bitmap : source->m_Bitmaps) {
        auto* copy = new CBitmap32(*bitmap);
        copy->Stretch(m_Width, m_Height);
        copies.push_back(copy);
    }
    m_Bitmaps.insert(m_Bitmaps.end(), copies.begin(), copies.end());
    m_FrameCount = static_cast<int32_t>(m_Bitmaps.size());
    Rebuild();
}

void CSprite::SetAlphaFromSprite(CSprite* source)
{
    if (source->m_FrameCount <= 0 || source->m_Bitmaps.empty() || m_Bitmaps.empty() || !KeepsOwnFrames() ||
        !source->KeepsOwnFrames())
        return;
    int32_t count = static_cast<int32_t>(source->m_Bitmaps.size());
    for (size_t i = 0; i < m_Bitmaps.size(); ++i)
        m_Bitmaps[i]->SetAlphaFromBitmap(source->m_Bitmaps[i % size_t(count)]);
    CreateTextures();
    InitLocalTPE();
}

void CSprite::Assign(const CSprite* source)
{
    if (source == this) return;
    Clear();
    m_Width = source->m_Width;
    m_Height = source->m_Height;
    m_BBox = source->m_BBox;
    m_Transparent = source->m_Transparent;
    m_Smooth = source->m_Smooth;
    m_Preload = source->m_Preload;
    m_BBoxMode = source->m_BBoxMode;
    m_Precise = source->m_Precise;
    m_XOrigin = source->m_XOrigin;
    m_YOrigin = source->m_YOrigin;
    m_FrameCount = source->m_FrameCount;
    m_Radius = source->m_Radius;
    if (!source->KeepsOwnFrames()) m_FileEntries = source->m_FileEntries;
    for (const CBitmap32* bitmap : source->m_Bitmaps)
        m_Bitmaps.push_back(new CBitmap32(*bitmap));
    CreateTextures();
    if (KeepsOwnFrames()) InitLocalTPE();
    CreateMask();
}
