// The background's life cycle and every way its picture is made: decoded files, platform images,
// a colour, a gradient, another background, and the file's page read back.
#include "background/Background_Class.h"

#include "base/Base_Console.h"
#include "graphics/Graphics_Bitmap32.h"
#include "graphics/Graphics_Image.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Graphics_TexturePage.h"
#include "platform/Platform_Bitmap.h"
#include "platform/Platform_MemoryManager.h"
#include "support/Support_SaveArea.h"

CBackground::~CBackground()
{
    Clear();
}

int32_t CBackground::GetTexture() const
{
    if (m_EntryOffset != 0) return TPage_Handle(GetEntry());
    return m_Texture;
}

TPageEntry* CBackground::GetEntry() const
{
    return m_EntryOffset != 0 ? TexturePage_AtOffset(m_EntryOffset) : nullptr;
}

void CBackground::FreeBitmap()
{
    delete m_pBitmap;
    m_pBitmap = nullptr;
}

void CBackground::Clear()
{
    FreeBitmap();
    FreeTexture();
    m_Width = 0;
    m_Height = 0;
    m_Transparent = 0;
    m_Smooth = 0;
    m_Preload = 0;
    m_EntryOffset = 0;
}

void CBackground::FreeTexture()
{
    if (m_Texture >= 0) Texture_Free(m_Texture);
    m_Texture = -1;
}

void CBackground::CreateTexture()
{
    FreeTexture();
    if (m_pBitmap == nullptr) return;
    m_Texture = Texture_CreateFromBitmap(m_pBitmap);
    if (m_Preload != 0 && m_Texture >= 0) Texture_Preload(m_Texture);
}

void CBackground::SetFromFile(uint32_t entryOffset, int32_t width, int32_t height, bool transparent, bool smooth,
                              bool preload)
{
    Clear();
    m_EntryOffset = entryOffset;
    m_Width = width;
    m_Height = height;
    m_Transparent = transparent ? 1 : 0;
    m_Smooth = smooth ? 1 : 0;
    m_Preload = preload ? 1 : 0;
}

void CBackground::CreateFromImage(IBitmap* image, bool removeBackground, bool smooth, bool preload, bool keepAlpha)
{
    Clear();
    m_Transparent = removeBackground ? 1 : 0;
    m_Smooth = smooth ? 1 : 0;
    m_Preload = preload ? 1 : 0;
    m_Width = image->GetWidth();
    m_Height = image->GetHeight();
    m_pBitmap = new CBitmap32();
    // Kept alpha takes the pixels as they are; otherwise they become opaque and are cleaned up.
    if (keepAlpha) m_pBitmap->ConstructFromTBitmap(image, false, false, true);
    else m_pBitmap->ConstructFromTBitmap(image, removeBackground, smooth, false);
    CreateTexture();
}

bool CBackground::CreateFromFile(const char* name, bool removeBackground, bool smooth, bool preload,
                                 bool keepAlpha)
{
    int32_t size = 0;
    uint8_t* data = LoadSave_ReadSaveAreaFile(name, &size);
    if (data == nullptr) data = LoadSave_ReadBundleFile(name, &size);
    if (data == nullptr) return false;
    int32_t width = 0;
    int32_t height = 0;
    uint8_t* pixels = GR_Image_LoadPNG(data, size, &width, &height, false);
    BitmapLoader* loader =
        pixels != nullptr ? BitmapLoader_Create(reinterpret_cast<const uint32_t*>(pixels), width, height) : nullptr;
    IBitmap* image = loader != nullptr ? loader->GetFrame(0) : nullptr;
    if (image != nullptr) CreateFromImage(image, removeBackground, smooth, preload, keepAlpha);
    delete image;
    delete loader;
    if (pixels != nullptr) GR_Image_FreePNG();
    MemoryManager::Free(data);
    return image != nullptr;
}

void CBackground::CreateColour(int32_t width, int32_t height, uint32_t colour, bool preload)
{
    Clear();
    m_Width = width;
    m_Height = height;
    m_Preload = preload ? 1 : 0;
    m_pBitmap = new CBitmap32();
    m_pBitmap->ConstructFilled(width, height, colour);
    CreateTexture();
}

void CBackground::CreateGradient(int32_t width, int32_t height, uint32_t colour1, uint32_t colour2, int32_t kind,
                                 bool preload)
{
    Clear();
    m_Width = width;
    m_Height = height;
    m_Preload = preload ? 1 : 0;
    m_pBitmap = new CBitmap32();
    m_pBitmap->ConstructGradient(width, height, colour1, colour2, kind);
    CreateTexture();
}

void CBackground::SetAlphaFromBackground(const CBackground* source)
{
    if (m_pBitmap == nullptr || source->m_pBitmap == nullptr) {
        MainConsole->Output("Both bitmaps need to be duplicated first\n");
        return;
    }
    m_pBitmap->SetAlphaFromBitmap(source->m_pBitmap);
    CreateTexture();
}

void CBackground::Assign(const CBackground* source)
{
    if (source == this) return;
    Clear();
    m_Width = source->m_Width;
    m_Height = source->m_Height;
    m_Transparent = source->m_Transparent;
    m_Smooth = source->m_Smooth;
    m_Preload = source->m_Preload;
    m_EntryOffset = source->m_EntryOffset;
    if (source->m_pBitmap != nullptr) m_pBitmap = new CBitmap32(*source->m_pBitmap);
    CreateTexture();
}

bool CBackground::LoadBitmapFromTexturePage()
{
    if (m_pBitmap != nullptr) return false;
    const TPageEntry* entry = GetEntry();
    CBitmap32* picture = entry != nullptr ? TPage_ReadPicture(*entry) : nullptr;
    if (picture == nullptr || !picture->IsValid()) {
        delete picture;
        return false;
    }
    m_pBitmap = picture;
    m_EntryOffset = 0;
    CreateTexture();
    return true;
}
