#include "sprite/Sprite_Placeholders.h"

// PLACEHOLDER until sprites are loaded: no sprite needs a texture.
void Sprite_InitTextures() {}

// PLACEHOLDER until sprites are loaded: the sprite table is empty.
void Sprite_Shutdown() {}

// PLACEHOLDER until sprites are loaded: no sprite has any name.
int32_t Sprite_Find(const char*)
{
    return -1;
}

// PLACEHOLDER until sprites are loaded: a cleared sprite (see Sprite_Placeholders.h).
CSprite::~CSprite() = default;
int32_t CSprite::GetFrameCount() const { return 0; }
int32_t CSprite::GetWidth() const { return 0; }
int32_t CSprite::GetHeight() const { return 0; }
int32_t CSprite::GetBBoxLeft() const { return 0; }
int32_t CSprite::GetBBoxTop() const { return 0; }
int32_t CSprite::GetBBoxRight() const { return 0; }
int32_t CSprite::GetBBoxBottom() const { return 0; }
int32_t CSprite::GetXOrigin() const { return 0; }
int32_t CSprite::GetYOrigin() const { return 0; }
uint8_t CSprite::GetPrecise() const { return 1; }

// PLACEHOLDER until sprites are loaded: a sprite without masks answers true to the shape tests.
bool CSprite::CollidePoint(int32_t, const InstanceBox&, int32_t, int32_t, float, float, float, int32_t, int32_t)
{
    return true;
}
bool CSprite::CollideRectangle(int32_t, const InstanceBox&, int32_t, int32_t, float, float, float, const InstanceBox&)
{
    return true;
}
bool CSprite::CollideEllipse(int32_t, const InstanceBox&, int32_t, int32_t, float, float, float, const InstanceBox&)
{
    return true;
}
bool CSprite::CollideLine(int32_t, const InstanceBox&, int32_t, int32_t, float, float, float, int32_t, int32_t,
                          int32_t, int32_t)
{
    return true;
}
// PLACEHOLDER until sprites are loaded: a sprite without frames collides with nothing.
bool CSprite::CollideSprite(int32_t, const InstanceBox&, int32_t, int32_t, float, float, float, CSprite*, int32_t,
                            const InstanceBox&, int32_t, int32_t, float, float, float)
{
    return false;
}

// PLACEHOLDER until sprites are loaded: no sprite is loaded.
bool Sprite_Exists(int32_t)
{
    return false;
}
CSprite* Sprite_Get(int32_t)
{
    return nullptr;
}

// PLACEHOLDER until sprites are loaded: no sprite exists, so none is drawn.
void CSprite::Draw(int32_t, float, float, float, float, float, uint32_t, float) {}
// PLACEHOLDER until sprites are loaded.
void CSprite::DrawSimple(int32_t, float, float) {}
