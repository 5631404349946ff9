// Drawing a particle system: each particle as a quad of its shape's texture or as a frame of its
// type's sprite, switching additive blending on and off as the types ask.
#include <algorithm>
#include <bit>
#include <cmath>

#include "graphics/Graphics_3D.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_DeviceApi.h"
#include "graphics/Graphics_RenderState.h"
#include "graphics/Graphics_Texture.h"
#include "particle/Particle_System.h"
#include "platform/Platform_EmbeddedImages.h"
#include "sprite/Sprite_Table.h"

namespace {

DeviceTexture* g_ShapeTextures[PT_SHAPE_COUNT] = {};

// Made at start-up; after they were freed, again on the shape's next draw.
DeviceTexture* ShapeTexture(int32_t shape)
{
    DeviceTexture*& texture = g_ShapeTextures[shape];
    if (texture == nullptr) texture = EmbeddedImage_Decode(EMBEDDED_IMAGE_FIRST_SHAPE + shape);
    return texture;
}

// Vertices of a shape quad: two triangles.
constexpr int32_t QUAD_VERTICES = 6;
// Quads asked of the batch at once: a run fills one pooled buffer without growing it.
constexpr int32_t QUADS_PER_REQUEST = VERTEX_BUFFER_MIN_CAPACITY / QUAD_VERTICES;

// The folded wave of the drawn angle and size: ((a + k s) mod 16) / 4, folded above 2, minus 1.
float DrawWave(int64_t phase)
{
    float w = float(phase % 16) * 0.25f;
    if (w > 2.0f) w = 4.0f - w;
    return w - 1.0f;
}

// Shape quads are written straight into room taken from the batch for many particles at once, so a
// particle costs no batch request of its own; the room left unwritten goes back before anything else
// is drawn or a render state changes.
class QuadRun {
  public:
    // Room for one quad of the texture, or null when the batch has none.
    TexturedVertex* Next(DeviceTexture* texture, int32_t quadsWanted)
    {
        if (texture != m_Texture || m_Left == 0) {
            Close();
            int32_t quads = std::clamp(quadsWanted, 1, QUADS_PER_REQUEST);
            m_Next = static_cast<TexturedVertex*>(Graphics::AllocVerts(
                D3DPT_TRIANGLELIST, texture, VERTEX_SIZE_TEXTURED, quads * QUAD_VERTICES));
            if (m_Next == nullptr) return nullptr;
            m_Texture = texture;
            m_Left = quads;
        }
        TexturedVertex* quad = m_Next;
        m_Next += QUAD_VERTICES;
        --m_Left;
        return quad;
    }

    void Close()
    {
        if (m_Left > 0) Graphics::ReturnVerts(m_Left * QUAD_VERTICES);
        m_Texture = nullptr;
        m_Next = nullptr;
        m_Left = 0;
    }

  private:
    DeviceTexture* m_Texture = nullptr;
    TexturedVertex* m_Next = nullptr;
    int32_t m_Left = 0;
};

// What drawing needs of a particle's type, looked up once per run of particles of one type: the
// table of types and sprites does not change while a system is drawn.
struct DrawnType {
    int32_t index = -1;
    const ParticleType* type = nullptr;
    CSprite* sprite = nullptr;      // the type's sprite when it exists
    DeviceTexture* shape = nullptr; // else the shape's texture
    bool drawable = false;

    void For(int32_t typeIndex)
    {
        if (typeIndex == index) return;
        index = typeIndex;
        type = ParticleType_Record(typeIndex);
        sprite = type != nullptr && Sprite_Exists(type->sprite) ? Sprite_Get(type->sprite) : nullptr;
        bool validShape = type != nullptr && type->shape >= 0 && type->shape < PT_SHAPE_COUNT;
        shape = sprite == nullptr && validShape ? ShapeTexture(type->shape) : nullptr;
        drawable = sprite != nullptr ? sprite->GetFrameCount() > 0 : validShape;
    }
};

// The vertex colour of the last particle drawn: particles born together come in runs of one colour
// and alpha.
struct VertexColourMemo {
    uint32_t colour = 0, alphaBits = 0, vertexColour = 0;
    bool kept = false;
    uint32_t Of(uint32_t particleColour, float alpha)
    {
        uint32_t bits = std::bit_cast<uint32_t>(alpha);
        if (!kept || colour != particleColour || alphaBits != bits) {
            colour = particleColour;
            alphaBits = bits;
            vertexColour = GR_MakeVertexColour(particleColour, alpha);
            kept = true;
        }
        return vertexColour;
    }
};

// The quad of a shape particle, centred on its whole position and turned by the angle: two
// triangles, each vertex stored straight into the batch's room.
void WriteShape(TexturedVertex* v, const ParticleSystem& system, const ParticleType& t, const Particle& p,
                float angle, float size, uint32_t colour)
{
    float cx = std::trunc(p.x + system.x), cy = std::trunc(p.y + system.y);
    float rx = 32.0f * t.xScale * size, ry = 32.0f * t.yScale * size;
    bool turned = std::fabs(angle) >= 0.01f;
    float radians = angle * PARTICLE_PI / 180.0f;
    float s = turned ? std::sin(radians) : 0.0f, c = turned ? std::cos(radians) : 1.0f;
    // Corners anticlockwise on a screen whose y grows downwards: (-rx, -ry), (rx, -ry), (rx, ry), (-rx, ry).
    float x0 = cx + c * -rx + s * -ry, y0 = cy - s * -rx + c * -ry;
    float x1 = cx + c * rx + s * -ry, y1 = cy - s * rx + c * -ry;
    float x2 = cx + c * rx + s * ry, y2 = cy - s * rx + c * ry;
    float x3 = cx + c * -rx + s * ry, y3 = cy - s * -rx + c * ry;
    float z = g_DrawDepth;
    v[0] = {x0, y0, z, colour, 0.0f, 0.0f};
    v[1] = {x1, y1, z, colour, 1.0f, 0.0f};
    v[2] = {x2, y2, z, colour, 1.0f, 1.0f};
    v[3] = {x2, y2, z, colour, 1.0f, 1.0f};
    v[4] = {x3, y3, z, colour, 0.0f, 1.0f};
    v[5] = {x0, y0, z, colour, 0.0f, 0.0f};
}

// The sprite frame of a particle: fixed, spread over the life, or advancing each step.
int32_t SpriteFrame(const ParticleType& t, const Particle& p, int32_t frames)
{
    if (!t.animate) return p.frameOffset;
    if (t.stretch) return int32_t(int64_t(p.age) * frames / p.life) + p.frameOffset;
    return p.frameOffset + p.age;
}

struct DrawState {
    DrawnType look;
    QuadRun quads;
    VertexColourMemo colours;
    bool additiveOn = false;
};

// Draws one particle, unless it has no life left or nothing to draw with; `later` particles follow.
void DrawParticle(const ParticleSystem& system, const Particle& p, int32_t later, DrawState* state)
{
    state->look.For(p.type);
    const DrawnType& look = state->look;
    if (!look.drawable || p.life <= 0) return;
    const ParticleType& t = *look.type;
    int64_t age = p.age, seed = p.seed;
    float angle =
        p.angle + (t.relative ? p.direction : 0.0f) + t.orientationWiggle * DrawWave(age + 2 * seed);
    float size = p.size + t.sizeWiggle * DrawWave(age + seed);
    if (bool(t.additive) != state->additiveOn) {
        state->quads.Close();
        state->additiveOn = t.additive;
        GR_Draw_SetBlendMode(state->additiveOn ? 1 : 0);
    }
    if (look.sprite != nullptr) {
        state->quads.Close();
        look.sprite->Draw(SpriteFrame(t, p, look.sprite->GetFrameCount()), p.x + system.x, p.y + system.y,
                          t.xScale * size, t.yScale * size, angle, p.colour, p.alpha);
    } else if (look.shape != nullptr) {
        if (TexturedVertex* v = state->quads.Next(look.shape, later + 1))
            WriteShape(v, system, t, p, angle, size, state->colours.Of(p.colour, p.alpha));
    }
}

} // namespace

void ParticleSystem_Draw(int32_t index)
{
    ParticleSystem* system = ParticleSystem_Get(index);
    if (system == nullptr) return;
    bool interpolation = GR_Texture_GetInterpolation();
    DrawState state;
    int32_t count = system->count;
    for (int32_t n = 0; n < count; ++n) {
        int32_t i = system->oldToNew ? n : count - 1 - n;
        DrawParticle(*system, system->Live()[i], count - 1 - n, &state);
    }
    state.quads.Close();
    if (state.additiveOn) GR_Draw_SetBlendMode(0);
    GR_Texture_SetInterpolation(interpolation);
}

void Particle_CreateShapeTextures()
{
    for (int32_t shape = 0; shape < PT_SHAPE_COUNT; ++shape) ShapeTexture(shape);
}

void Particle_FreeShapeImages()
{
    for (DeviceTexture*& texture : g_ShapeTextures) {
        if (texture != nullptr) GR_Texture_Free(texture);
        texture = nullptr;
    }
}
