// The sprite's bounding box, radius and collision masks.
#include <algorithm>
#include <cmath>

#include "graphics/Graphics_Bitmap32.h"
#include "platform/Platform_MemoryManager.h"
#include "sprite/Sprite_Class.h"

namespace {

// The distance from the origin to a corner, rounded up: squares in whole numbers, the sum and the
// root in single precision.
int32_t CornerDistance(int64_t dx, int64_t dy)
{
    // Squares in double: exact for any frame a picture can have, and no overflow for odd file fields.
    float sum = float(double(dx) * double(dx)) + float(double(dy) * double(dy));
    float distance = std::ceil(std::sqrt(sum));
    return distance < 2147483648.0f ? int32_t(distance) : INT32_MAX;
}

// Each mask byte: 1 where the pixel's alpha, as alpha x 16777216, exceeds the tolerance (unsigned).
void FillPrecise(std::vector<uint8_t>& target, const CBitmap32* frame, int32_t tolerance)
{
    uint32_t* pixels = nullptr;
    uint32_t bytes = 0;
    if (frame == nullptr) return;
    frame->GetPixelBuffer(&bytes, &pixels);
    size_t count = std::min<size_t>(target.size(), bytes / 4);
    for (size_t i = 0; i < count; ++i)
        target[i] = (pixels[i] & 0xFF000000u) > uint32_t(tolerance) ? 1 : 0;
}

} // namespace

void CSprite::ComputeRadius()
{
    int64_t w = m_Width;
    int64_t h = m_Height;
    int64_t ox = m_XOrigin;
    int64_t oy = m_YOrigin;
    m_Radius = std::max({CornerDistance(ox, oy), CornerDistance(w - ox, oy), CornerDistance(ox, h - oy),
                         CornerDistance(w - ox, h - oy)});
}

void CSprite::ComputeBoundingBox()
{
    ComputeRadius();
    if (m_BBoxMode == BBOX_MANUAL) return;
    if (m_FrameCount <= 0) {
        m_BBox = SpriteBox();
        return;
    }
    if (m_BBoxMode == BBOX_FULL || m_Transparent == 0) {
        m_BBox = SpriteBox{0, 0, m_Width - 1, m_Height - 1};
        return;
    }
    // Automatic: the opaque pixels of every picture; a sprite without pictures keeps its box.
    if (m_Bitmaps.empty()) return;
    SpriteBox box{m_Width - 1, m_Height - 1, 0, 0};
    for (const CBitmap32* bitmap : m_Bitmaps) {
        if (bitmap == nullptr) continue;
        BitmapBox* opaque = bitmap->GetOpaqueBounds();
        box.left = std::min(box.left, opaque->left);
        box.top = std::min(box.top, opaque->top);
        box.right = std::max(box.right, opaque->right);
        box.bottom = std::max(box.bottom, opaque->bottom);
        MemoryManager::Free(opaque);
    }
    m_BBox = box;
}

void CSprite::FreeMasks()
{
    m_Masks.clear();
    m_MaskCount = 0;
    m_MasksPresent = 0;
}

void CSprite::SetMasks(std::vector<std::vector<uint8_t>> masks)
{
    FreeMasks();
    if (masks.empty()) return;
    m_Masks = std::move(masks);
    m_MaskCount = static_cast<int32_t>(m_Masks.size());
    m_MasksPresent = 1;
}

const uint8_t* CSprite::GetMask(int32_t index) const
{
    if (index < 0 || index >= m_MaskCount) return nullptr;
    return m_Masks[size_t(index)].data();
}

void CSprite::CreateMask()
{
    FreeMasks();
    if (m_Precise == 0 || m_Transparent == 0 || m_FrameCount < 1 || !KeepsOwnFrames()) return;
    size_t size = size_t(m_Width) * size_t(m_Height);
    m_Masks.assign(size_t(m_FrameCount), std::vector<uint8_t>(size, 0));
    for (int32_t i = 0; i < m_FrameCount; ++i)
        FillPrecise(m_Masks[size_t(i)], GetBitmap(i), 0);
    m_MaskCount = m_FrameCount;
    m_MasksPresent = 1;
}

void CSprite::BuildShapeMask(const std::vector<uint8_t>* other, std::vector<uint8_t>& target,
                             const CBitmap32* frame, int32_t kind, int32_t tolerance) const
{
    std::fill(target.begin(), target.end(), uint8_t(0));
    if (kind == MASK_PRECISE) {
        FillPrecise(target, frame, tolerance);
    } else if (kind == MASK_RECTANGLE || kind == MASK_ELLIPSE || kind == MASK_DIAMOND) {
        int32_t cx = (m_BBox.left + m_BBox.right) / 2;
        int32_t cy = (m_BBox.top + m_BBox.bottom) / 2;
        float rx = float(cx - m_BBox.left) + 0.5f;
        float ry = float(cy - m_BBox.top) + 0.5f;
        // Only pixels inside the frame are written: a manual box past it is clipped.
        int32_t left = std::max(m_BBox.left, 0);
        int32_t top = std::max(m_BBox.top, 0);
        int32_t right = std::min(m_BBox.right, m_Width - 1);
        int32_t bottom = std::min(m_BBox.bottom, m_Height - 1);
        for (int32_t y = top; y <= bottom; ++y) {
            for (int32_t x = left; x <= right; ++x) {
                float dx = float(x - cx) / rx;
                float dy = float(y - cy) / ry;
                bool inside = kind == MASK_RECTANGLE || (kind == MASK_ELLIPSE && dx * dx + dy * dy < 1.0f) ||
                              (kind == MASK_DIAMOND && std::fabs(dx) + std::fabs(dy) < 1.0f);
                if (inside) target[size_t(y) * size_t(m_Width) + size_t(x)] = 1;
            }
        }
    }
    if (other == nullptr) return;
    size_t count = std::min(other->size(), target.size());
    for (size_t i = 0; i < count; ++i)
        if ((*other)[i] != 0) target[i] = 1;
}

void CSprite::SetCollisionMask(bool separate, int32_t mode, const SpriteBox& box, int32_t kind, int32_t tolerance)
{
    FreeMasks();
    if (!KeepsOwnFrames() || m_FrameCount < 1) return;
    size_t size = size_t(m_Width) * size_t(m_Height);
    m_Masks.assign(size_t(m_FrameCount), std::vector<uint8_t>(size, 0));
    m_MaskCount = m_FrameCount;
    if (mode == BBOX_AUTOMATIC || mode == BBOX_FULL) m_BBox = SpriteBox{0, 0, m_Width - 1, m_Height - 1};
    else if (mode == BBOX_MANUAL) m_BBox = box;
    BuildShapeMask(nullptr, m_Masks[0], GetBitmap(0), kind, tolerance);
    for (int32_t i = 1; i < m_FrameCount; ++i)
        BuildShapeMask(separate ? nullptr : &m_Masks[0], m_Masks[size_t(i)], GetBitmap(i), kind, tolerance);
    m_MasksPresent = 1;
}

void CSprite::SetBoundingBox(const SpriteBox& box)
{
    if (m_BBoxMode == BBOX_MANUAL) m_BBox = box;
}

void CSprite::SetBoundingBoxMode(int32_t mode)
{
    if (uint32_t(mode) > uint32_t(BBOX_MANUAL) || mode == m_BBoxMode) return;
    m_BBoxMode = mode;
    ComputeBoundingBox();
}

void CSprite::SetPrecise(bool precise)
{
    uint8_t flag = precise ? 1 : 0;
    if (flag == m_Precise) return;
    m_Precise = flag;
    CreateMask();
}
