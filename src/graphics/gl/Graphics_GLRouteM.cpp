// The route of a draw to the driver (DrawRoute). With no depth-stencil surface attached, the driver
// draws a batch's screen-aligned rectangles whole: far quicker for sprites, tiles and text, but a
// rectangle's values are interpolated from one corner, where each of its two triangles took its own
// first vertex, so the two differ in their last bits. A draw is left to that path only when no such
// difference can change a pixel: every quad one colour, and its texture drawn one texel to a pixel
// with every sample well inside a texel (point filtering) or on a texel's centre (linear). Other
// draws are kept to triangles by their program; draws whose pictures the detached surface could
// change in another way (game shaders, screen-space vertices, geometry the driver would clip: it
// clips at twice the clip volume without the surface and at the volume with it) keep the surface
// attached.
#include <immintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "graphics/gl/Graphics_GLDeviceM.h"

namespace gldevice {

namespace {

constexpr uint32_t QUAD_VERTICES = 6;
// How far inside the clip volume every vertex must lie (of its half-width), so that the driver's
// clipper, which cuts at the volume with the surface and at twice it without, cuts nothing.
constexpr double CLIP_MARGIN = 1e-4;
// A point-filtered sample at least this far (in texels) from a texel's edge picks the same texel
// whatever the last bits of its coordinate; a filtered one at most this far from a texel's centre
// gives the texel's own colour.
constexpr double EDGE_MARGIN = 2e-3;
constexpr double CENTRE_MARGIN = 1e-3;
// How far one texel to a pixel may be off, in texels over a quad.
constexpr double SCALE_MARGIN = 1e-3;

// Byte offsets of the fixed-function inputs a quad's pixels depend on; -1 when absent.
struct Layout {
    int32_t position = -1, colour = -1, texCoord = -1;
    bool known = true; // no input of another kind the program reads
};

// The inputs read here must lie within a vertex of `stride` bytes.
Layout LayoutOf(const GLVertexDeclaration& declaration, uint32_t stride)
{
    Layout layout;
    for (const D3DVertexElement& e : declaration.m_Elements) {
        if (e.stream != 0 || e.type == D3DDECLTYPE_UNUSED) continue;
        auto fits = [&](uint32_t bytes) { return e.offset + bytes <= stride; };
        if (e.usage == D3DDECLUSAGE_POSITION && e.usageIndex == 0 && e.type == D3DDECLTYPE_FLOAT3 && fits(12))
            layout.position = e.offset;
        else if (e.usage == D3DDECLUSAGE_COLOR && e.usageIndex == 0 && e.type == D3DDECLTYPE_D3DCOLOR && fits(4))
            layout.colour = e.offset;
        else if (e.usage == D3DDECLUSAGE_TEXCOORD && e.usageIndex == 0 && e.type == D3DDECLTYPE_FLOAT2 && fits(8))
            layout.texCoord = e.offset;
        else if (e.usage == D3DDECLUSAGE_POSITION || e.usage == D3DDECLUSAGE_POSITIONT ||
                 e.usage == D3DDECLUSAGE_COLOR || e.usage == D3DDECLUSAGE_TEXCOORD)
            layout.known = false;
    }
    layout.known = layout.known && layout.position >= 0;
    return layout;
}

float FloatAt(const uint8_t* vertex, int32_t offset, int32_t index = 0)
{
    float value;
    std::memcpy(&value, vertex + offset + index * 4, 4);
    return value;
}

uint32_t WordAt(const uint8_t* vertex, int32_t offset)
{
    uint32_t value;
    std::memcpy(&value, vertex + offset, 4);
    return value;
}

// A position's x, y and z in the first three of four lanes (the fourth 0), taken four at a time.
typedef float Lanes __attribute__((vector_size(16)));

Lanes PositionAt(const uint8_t* vertex, int32_t position)
{
    Lanes p = {0.0f, 0.0f, 0.0f, 0.0f};
    std::memcpy(&p, vertex + position, 12);
    return p;
}

// The same as one 16-byte load, for a vertex that holds four more bytes past its position: the
// fourth lane is then whatever follows, which no caller looks at.
Lanes WidePositionAt(const uint8_t* vertex, int32_t position)
{
    Lanes p;
    std::memcpy(&p, vertex + position, 16);
    return p;
}

// What one pass over a run of vertices finds: the box of their positions (lanes 0-2), whether every
// coordinate is finite, and the AND of their colour words (all ones without a colour).
struct RunBox {
    Lanes low, high;
    bool finite;
    uint32_t colours;
};

template <Lanes (*LOAD)(const uint8_t*, int32_t)>
RunBox BoxOfRun(const uint8_t* vertices, uint32_t stride, uint32_t count, int32_t position, int32_t colour)
{
    // Two vertices a turn, each into its own lanes, which meet at the end. A not-a-number among
    // the coordinates may leave the box wrong, but then the spread is not 0 and the box unused.
    Lanes low[2], high[2], spread[2] = {{0.0f, 0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f, 0.0f}};
    low[0] = low[1] = high[0] = high[1] = LOAD(vertices, position);
    // Without a colour the first word is read and ignored, so that the loop keeps one shape.
    int32_t colourAt = std::max(colour, 0);
    uint32_t colours[2] = {0xFFFFFFFFu, 0xFFFFFFFFu};
    auto take = [&](int lane, const uint8_t* vertex) {
        Lanes p = LOAD(vertex, position);
        low[lane] = _mm_min_ps(low[lane], p);
        high[lane] = _mm_max_ps(high[lane], p);
        spread[lane] += p - p; // stays 0 while every coordinate is finite
        colours[lane] &= WordAt(vertex, colourAt);
    };
    uint32_t v = 0;
    for (; v + 2 <= count; v += 2) {
        const uint8_t* vertex = vertices + size_t(v) * stride;
        take(0, vertex);
        take(1, vertex + stride);
    }
    if (v < count) take(0, vertices + size_t(v) * stride);
    Lanes all = spread[0] + spread[1];
    bool finite = all[0] == 0.0f && all[1] == 0.0f && all[2] == 0.0f;
    uint32_t both = colours[0] & colours[1];
    return RunBox{_mm_min_ps(low[0], low[1]), _mm_max_ps(high[0], high[1]), finite,
                  colour >= 0 ? both : 0xFFFFFFFFu};
}

RunBox BoxOfRun(const uint8_t* vertices, uint32_t stride, uint32_t count, int32_t position, int32_t colour)
{
    return uint32_t(position) + 16 <= stride ? BoxOfRun<WidePositionAt>(vertices, stride, count, position, colour)
                                             : BoxOfRun<PositionAt>(vertices, stride, count, position, colour);
}

// Whether two vertices hold the same bits in every input read here: a quad's repeated corners
// (a list repeats two of its four) then give the same answers without being placed again.
bool SameInputs(const uint8_t* a, const uint8_t* b, const Layout& layout)
{
    auto same = [&](int32_t offset, int32_t words) {
        for (int32_t k = 0; offset >= 0 && k < words; ++k)
            if (WordAt(a, offset + 4 * k) != WordAt(b, offset + 4 * k)) return false;
        return true;
    };
    return same(layout.position, 3) && same(layout.colour, 1) && same(layout.texCoord, 2);
}

// Distance from the nearest whole number.
double OffWhole(double value)
{
    return std::fabs(value - std::round(value));
}

// Where vertices land: clip coordinates as the fixed-function program makes them for w = 1, and
// window pixels (the top row first, as targets are kept).
struct Placement {
    const float* m;
    double fixX, fixY, halfWidth, halfHeight, left, top;

    void Clip(const uint8_t* vertex, int32_t position, double* x, double* y) const
    {
        ClipOf(FloatAt(vertex, position, 0), FloatAt(vertex, position, 1), FloatAt(vertex, position, 2), x, y);
    }
    void ClipOf(double px, double py, double pz, double* x, double* y) const
    {
        *x = px * m[0] + py * m[4] + pz * m[8] + m[12] + fixX;
        *y = px * m[1] + py * m[5] + pz * m[9] + m[13] - fixY;
    }
    // Whether every vertex of a run lies within `reach` on both axes (as Clip places it), judged
    // from the box of their positions; false also when the box cannot tell. Each product of two
    // floats is exact in a double and each rounded sum keeps the order of its terms, so a clip
    // coordinate never falls as a position coordinate moves the way its factor's sign says: the
    // box's corners chosen by those signs bound every vertex.
    bool BoxInside(const RunBox& box, double reach) const
    {
        for (int i : {0, 1, 4, 5, 8, 9})
            if (!std::isfinite(m[i])) return false;
        if (!box.finite) return false; // not a number or infinite: no box holds them
        // The corner where a coordinate is greatest (`up`) or least along the factors m[k], m[k+4], m[k+8].
        auto corner = [&](int k, bool up, int axis) {
            return double((m[k + 4 * axis] >= 0.0f) == up ? box.high[axis] : box.low[axis]);
        };
        double x[2], y[2], ignored;
        for (bool up : {false, true}) {
            ClipOf(corner(0, up, 0), corner(0, up, 1), corner(0, up, 2), &x[up], &ignored);
            ClipOf(corner(1, up, 0), corner(1, up, 1), corner(1, up, 2), &ignored, &y[up]);
        }
        return std::fabs(x[0]) <= reach && std::fabs(x[1]) <= reach && std::fabs(y[0]) <= reach &&
               std::fabs(y[1]) <= reach;
    }
    void Window(double clipX, double clipY, double* x, double* y) const
    {
        *x = left + (clipX + 1.0) * halfWidth;
        *y = top + (1.0 - clipY) * halfHeight;
    }
};

// Whether a texture coordinate that follows a window coordinate one texel to a pixel over the quad
// (d(texel) = +-d(pixel) from its first vertex) is sampled where the last bits cannot matter.
bool OneToOne(const double window[QUAD_VERTICES], const double texel[QUAD_VERTICES], bool linear)
{
    double sign = 1.0;
    for (uint32_t i = 1; i < QUAD_VERTICES; ++i)
        if (std::fabs(window[i] - window[0]) > 0.5) sign = (texel[i] - texel[0]) * (window[i] - window[0]) < 0 ? -1 : 1;
    for (uint32_t i = 1; i < QUAD_VERTICES; ++i)
        if (std::fabs((texel[i] - texel[0]) - sign * (window[i] - window[0])) > SCALE_MARGIN) return false;
    // The coordinate at a pixel's centre (window n + 0.5), up to a whole number of texels.
    double sample = texel[0] + sign * (0.5 - window[0]);
    return linear ? OffWhole(sample - 0.5) <= CENTRE_MARGIN : OffWhole(sample) >= EDGE_MARGIN;
}

// The texels a one-to-one quad samples, at most: from the first below its least coordinate to the
// last below its greatest (no sample lies on a texel's edge), [first, end) on each axis.
struct TexelRect {
    int32_t x0, y0, x1, y1;
    bool operator==(const TexelRect&) const = default;
};

TexelRect TexelsOf(const double tu[QUAD_VERTICES], const double tv[QUAD_VERTICES])
{
    auto [uLow, uHigh] = std::minmax_element(tu, tu + QUAD_VERTICES);
    auto [vLow, vHigh] = std::minmax_element(tv, tv + QUAD_VERTICES);
    // Anything outside the largest texture (or not a number) becomes -1, which no texture holds.
    auto whole = [](double value) { return value >= 0.0 && value <= 1e9 ? int32_t(value) : -1; };
    return {whole(std::floor(*uLow)), whole(std::floor(*vLow)), whole(std::ceil(*uHigh)), whole(std::ceil(*vHigh))};
}

} // namespace

DrawRoute GLDevice::ChooseRoute(int32_t type, const uint8_t* vertices, uint32_t stride, uint32_t count)
{
    m_OpaqueDraw = m_WhiteDraw = false;
    if (DepthInUse()) return DrawRoute::WITH_DEPTH; // attached whatever the route
    if (m_ShaderProgram != nullptr || m_Declaration == nullptr) return DrawRoute::WITH_DEPTH;
    uint32_t key = ProgramKey();
    Layout layout = LayoutOf(*m_Declaration, stride);
    const float* m = WorldViewProjection().m;
    if ((key & KEY_TRANSFORMED) != 0 || !layout.known || m[3] != 0.0f || m[7] != 0.0f || m[11] != 0.0f ||
        m[15] != 1.0f)
        return DrawRoute::WITH_DEPTH;
    const D3DViewport& v = m_Viewport;
    Placement place{m,           1.0 / v.width, 1.0 / v.height, v.width / 2.0, v.height / 2.0, double(v.x),
                    double(v.y)};
    bool triangles = type >= D3DPT_TRIANGLELIST;
    double reach = (1.0 - CLIP_MARGIN) * GuardBandFactor(triangles);
    // Only lists of whole quads of axis-aligned placement may become rectangles; lighting and fog
    // vary the colour. Each vertex is placed once, for the clip test and for its quad's texel test.
    bool quads = type == D3DPT_TRIANGLELIST && count % QUAD_VERTICES == 0 && m[1] == 0.0f && m[4] == 0.0f &&
                 (key & (KEY_LIGHTING | 3u << KEY_FOG_SHIFT)) == 0;
    bool textured = (key & KEY_TEXTURED) != 0 && layout.texCoord >= 0;
    const uint32_t* sampler = m_SamplerStates[0];
    bool linear = sampler[D3DSAMP_MAGFILTER] >= D3DTEXF_LINEAR;
    if (textured && (linear != (sampler[D3DSAMP_MINFILTER] >= D3DTEXF_LINEAR) ||
                     sampler[D3DSAMP_MIPFILTER] != D3DTEXF_NONE))
        quads = false;
    double texWidth = textured ? m_Textures[0]->m_Width : 0.0, texHeight = textured ? m_Textures[0]->m_Height : 0.0;
    // Whether every fragment gets full alpha: each quad's one colour has it, and so has every texel
    // it samples (the stage's operations give full alpha from full alpha).
    bool opaque = quads && (textured || (key & KEY_TEXTURED) == 0);
    TexelRect checked = {1, 1, 0, 0}; // the texels last found opaque (none yet): a sprite's quads share them
    // Unlit vertices all of colour 0xFFFFFFFF interpolate to exactly 1 everywhere.
    bool white = layout.colour >= 0 && (key & KEY_LIGHTING) == 0;
    bool boxTried = false;
    for (uint32_t first = 0; first < count; first += QUAD_VERTICES) {
        const uint8_t* quad = vertices + size_t(first) * stride;
        // Once no quad can become a rectangle, only the clip and the colour are asked of the rest:
        // the box of their positions answers the first at once, when every one lies well inside.
        if (!quads && !boxTried) {
            boxTried = true;
            RunBox box = BoxOfRun(quad, stride, count - first, layout.position, layout.colour);
            if (place.BoxInside(box, reach)) {
                white = white && box.colours == 0xFFFFFFFFu;
                break;
            }
        }
        uint32_t inQuad = std::min(QUAD_VERTICES, count - first);
        double wx[QUAD_VERTICES], wy[QUAD_VERTICES], tu[QUAD_VERTICES], tv[QUAD_VERTICES];
        for (uint32_t i = 0; i < inQuad; ++i) {
            const uint8_t* vertex = quad + size_t(i) * stride;
            uint32_t earlier = i;
            if (i > 0 && SameInputs(vertex, vertex - stride, layout))
                earlier = i - 1;
            else if (i > 1 && SameInputs(vertex, quad, layout))
                earlier = 0;
            if (earlier != i) {
                if (quads && textured)
                    wx[i] = wx[earlier], wy[i] = wy[earlier], tu[i] = tu[earlier], tv[i] = tv[earlier];
                continue;
            }
            double x, y;
            place.Clip(vertex, layout.position, &x, &y);
            if (!(std::fabs(x) <= reach && std::fabs(y) <= reach)) return DrawRoute::WITH_DEPTH;
            if (white && WordAt(vertex, layout.colour) != 0xFFFFFFFFu) white = false;
            if (!quads) continue;
            if (layout.colour >= 0 && WordAt(vertex, layout.colour) != WordAt(quad, layout.colour)) quads = false;
            if (!textured) continue;
            place.Window(x, y, &wx[i], &wy[i]);
            tu[i] = FloatAt(vertex, layout.texCoord, 0) * texWidth;
            tv[i] = FloatAt(vertex, layout.texCoord, 1) * texHeight;
        }
        if (quads && textured && !(OneToOne(wx, tu, linear) && OneToOne(wy, tv, linear))) quads = false;
        if (!opaque || !quads) continue;
        if (layout.colour >= 0 && WordAt(quad, layout.colour) >> 24 != 0xFFu) opaque = false;
        if (!textured || !opaque) continue;
        TexelRect texels = TexelsOf(tu, tv);
        if (texels == checked) continue;
        opaque = m_Textures[0]->TexelsOpaque(texels.x0, texels.y0, texels.x1, texels.y1);
        checked = texels;
    }
    m_WhiteDraw = white;
    if (!triangles) return DrawRoute::RECTANGLES; // points and lines are never drawn as rectangles
    m_OpaqueDraw = quads && opaque;
    return quads ? DrawRoute::RECTANGLES : DrawRoute::TRIANGLES;
}

} // namespace gldevice
