#include "platform/Platform_EmbeddedDrawing.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <csetjmp>
#include <cstring>

#include "platform/Platform_EmbeddedImages.h"

namespace {

using Bytes = std::vector<uint8_t>;

void PutWord(Bytes& out, size_t at, uint32_t value) { std::memcpy(out.data() + at, &value, sizeof value); }

void PutBigWord(Bytes& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

// ---- drawing helpers: shapes are functions over [-1, 1] x [-1, 1] giving an alpha from 0 to 1 ----

float Clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

float Smooth(float edge0, float edge1, float v)
{
    float t = Clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

float Square(float v) { return v * v; }

constexpr float PI = 3.14159265358979f;

// Value noise on an integer lattice with a fixed hash, so every start draws the same pictures.
float Lattice(int32_t x, int32_t y, uint32_t seed)
{
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return float(h & 0xFFFFu) / 65535.0f;
}

float ValueNoise(float x, float y, uint32_t seed)
{
    float fx = std::floor(x), fy = std::floor(y);
    auto ix = static_cast<int32_t>(fx), iy = static_cast<int32_t>(fy);
    float tx = Smooth(0.0f, 1.0f, x - fx), ty = Smooth(0.0f, 1.0f, y - fy);
    float top = Lattice(ix, iy, seed) + (Lattice(ix + 1, iy, seed) - Lattice(ix, iy, seed)) * tx;
    float bottom = Lattice(ix, iy + 1, seed) + (Lattice(ix + 1, iy + 1, seed) - Lattice(ix, iy + 1, seed)) * tx;
    return top + (bottom - top) * ty;
}

float Fbm(float x, float y, uint32_t seed)
{
    float sum = 0.0f, amplitude = 1.0f, total = 0.0f, frequency = 1.0f;
    for (uint32_t octave = 0; octave < 4; ++octave) {
        sum += amplitude * ValueNoise(x * frequency, y * frequency, seed + octave);
        total += amplitude;
        amplitude *= 0.5f;
        frequency *= 2.0f;
    }
    return sum / total;
}

float Radius(float x, float y) { return std::sqrt(x * x + y * y); }

float SegmentDistance(float x, float y, float ax, float ay, float bx, float by)
{
    float dx = bx - ax, dy = by - ay;
    float t = Clamp01(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy));
    return Radius(x - ax - t * dx, y - ay - t * dy);
}

// ---- the shapes ----

float ShapeWhite(float, float) { return 1.0f; }

float ShapePixel(float x, float y) { return 1.0f - Smooth(0.10f, 0.16f, Radius(x, y)); }

float ShapeDisk(float x, float y) { return 1.0f - Smooth(0.82f, 0.94f, Radius(x, y)); }

float ShapeSquare(float x, float y) { return 1.0f - Smooth(0.86f, 0.94f, std::fmax(std::fabs(x), std::fabs(y))); }

float ShapeLine(float x, float y)
{
    return (1.0f - Smooth(0.06f, 0.12f, std::fabs(y))) * (1.0f - Smooth(0.80f, 0.96f, std::fabs(x)));
}

// A five-pointed star, one point up: each tenth of the turn is bounded by the straight edge from a
// tip to the inner corner beside it.
float ShapeStar(float x, float y)
{
    const float sector = 2.0f * PI / 5.0f;
    float angle = std::atan2(y, x) + PI / 2.0f;
    angle -= sector * std::floor(angle / sector + 0.5f);
    float r = Radius(x, y);
    float px = r * std::cos(std::fabs(angle)), py = r * std::sin(std::fabs(angle));
    const float tipX = 0.95f, tipY = 0.0f;
    const float innerX = 0.40f * std::cos(sector / 2.0f), innerY = 0.40f * std::sin(sector / 2.0f);
    float ex = innerX - tipX, ey = innerY - tipY;
    // Signed distance from the edge, positive on the centre's side.
    float side = (ex * (py - tipY) - ey * (px - tipX)) / Radius(ex, ey);
    float centreSide = ex * (0.0f - tipY) - ey * (0.0f - tipX);
    if (centreSide < 0.0f) side = -side;
    return Smooth(-0.02f, 0.02f, side);
}

float ShapeCircle(float x, float y) { return 1.0f - Smooth(0.03f, 0.07f, std::fabs(Radius(x, y) - 0.84f)); }

float ShapeRing(float x, float y)
{
    float r = Radius(x, y);
    return std::exp(-Square((r - 0.62f) / 0.16f)) * (1.0f - Smooth(0.90f, 0.98f, r));
}

float ShapeSphere(float x, float y)
{
    float inside = 1.0f - Square(Radius(x, y) / 0.94f);
    return inside > 0.0f ? std::sqrt(inside) : 0.0f;
}

float ShapeFlare(float x, float y)
{
    float r = Radius(x, y);
    float glow = std::exp(-Square(r / 0.18f)) + 0.3f * std::exp(-Square(r / 0.55f));
    float rays = std::exp(-std::fabs(y) / 0.025f) * (1.0f - Smooth(0.0f, 0.95f, std::fabs(x))) +
                 std::exp(-std::fabs(x) / 0.025f) * (1.0f - Smooth(0.0f, 0.95f, std::fabs(y)));
    return Clamp01(glow + 0.9f * rays) * (1.0f - Smooth(0.90f, 1.0f, r));
}

float ShapeSpark(float x, float y)
{
    float r = Radius(x, y);
    float rays = std::pow(std::fabs(std::cos(4.0f * std::atan2(y, x))), 60.0f) * (1.0f - Smooth(0.05f, 0.95f, r));
    return Clamp01(rays + std::exp(-Square(r / 0.10f)));
}

// The noisy shapes fade out towards the rim; where the fade is 0 the noise is not worked out, which
// changes no pixel and spares a quarter of the samples.
float ShapeExplosion(float x, float y)
{
    float r = Radius(x, y);
    float fade = 1.0f - Smooth(0.90f, 0.99f, r);
    if (fade == 0.0f) return 0.0f;
    float edge = 0.62f + 0.6f * (Fbm(x * 2.5f + 5.0f, y * 2.5f + 5.0f, 11) - 0.5f);
    float body = 1.0f - Smooth(edge - 0.12f, edge + 0.05f, r);
    float grain = 0.55f + 0.45f * Fbm(x * 5.0f, y * 5.0f, 12);
    return Clamp01(body * grain) * fade;
}

// Noise leaning towards the centre, so the puffs gather in the middle.
float ShapeCloud(float x, float y)
{
    float r = Radius(x, y);
    float fade = 1.0f - Smooth(0.60f, 0.98f, r);
    if (fade == 0.0f) return 0.0f;
    float density = 0.6f * Fbm(x * 1.8f + 1.0f, y * 1.8f + 3.0f, 21) + 0.4f * (1.0f - r);
    return Smooth(0.38f, 0.62f, density) * fade;
}

float ShapeSmoke(float x, float y)
{
    float r = Radius(x, y);
    float fade = 1.0f - Smooth(0.30f, 0.97f, r);
    if (fade == 0.0f) return 0.0f;
    float density = 0.7f * Fbm(x * 2.2f + 7.0f, y * 2.2f + 2.0f, 31) + 0.3f * (1.0f - r);
    return 0.8f * Smooth(0.30f, 0.70f, density) * fade;
}

struct Stroke {
    float ax, ay, bx, by;
};

constexpr int32_t SNOW_STROKES = 6 * 5;

// Six arms, each with two pairs of side branches; the same for every sample, so worked out once.
std::array<Stroke, SNOW_STROKES> SnowStrokes()
{
    std::array<Stroke, SNOW_STROKES> strokes{};
    size_t n = 0;
    for (int32_t arm = 0; arm < 6; ++arm) {
        float angle = arm * PI / 3.0f;
        float dx = std::cos(angle), dy = std::sin(angle);
        strokes[n++] = {0.0f, 0.0f, 0.88f * dx, 0.88f * dy};
        for (float along : {0.45f, 0.68f}) {
            float bx = along * dx, by = along * dy;
            for (float turn : {-PI / 3.0f, PI / 3.0f}) {
                float length = along < 0.5f ? 0.24f : 0.16f;
                strokes[n++] = {bx, by, bx + length * std::cos(angle + turn), by + length * std::sin(angle + turn)};
            }
        }
    }
    return strokes;
}

// A stroke farther than this from a sample is past the edge's 0.07, where it adds nothing: skipping
// it leaves every pixel as measuring it would.
constexpr float SNOW_REACH = 0.08f;

// A stroke's bounding box grown by the reach.
struct Reach {
    float left, top, right, bottom;
};

std::array<Reach, SNOW_STROKES> SnowReaches(const std::array<Stroke, SNOW_STROKES>& strokes)
{
    std::array<Reach, SNOW_STROKES> reaches{};
    for (size_t i = 0; i < strokes.size(); ++i) {
        const Stroke& s = strokes[i];
        reaches[i] = {std::min(s.ax, s.bx) - SNOW_REACH, std::min(s.ay, s.by) - SNOW_REACH,
                      std::max(s.ax, s.bx) + SNOW_REACH, std::max(s.ay, s.by) + SNOW_REACH};
    }
    return reaches;
}

float ShapeSnow(float x, float y)
{
    static const std::array<Stroke, SNOW_STROKES> strokes = SnowStrokes();
    static const std::array<Reach, SNOW_STROKES> reaches = SnowReaches(strokes);
    float nearest = 2.0f;
    for (size_t i = 0; i < strokes.size(); ++i) {
        const Stroke& s = strokes[i];
        const Reach& r = reaches[i];
        if (x < r.left || x > r.right || y < r.top || y > r.bottom) continue;
        nearest = std::fmin(nearest, SegmentDistance(x, y, s.ax, s.ay, s.bx, s.by));
    }
    return 1.0f - Smooth(0.035f, 0.07f, nearest);
}

using ShapeFunction = float (*)(float, float);

// Image 0, then the particle shapes in the order of their numbers.
const ShapeFunction SHAPES[1 + EMBEDDED_IMAGE_SHAPE_COUNT] = {
    ShapeWhite,  ShapePixel, ShapeDisk,  ShapeSquare,    ShapeLine,  ShapeStar,  ShapeCircle, ShapeRing,
    ShapeSphere, ShapeFlare, ShapeSpark, ShapeExplosion, ShapeCloud, ShapeSmoke, ShapeSnow,
};

// Four by four samples a pixel smooth the edges.
Bytes DrawShape(ShapeFunction shape, int32_t size)
{
    Bytes alpha(size_t(size) * size);
    const int32_t samples = 4;
    for (int32_t py = 0; py < size; ++py)
        for (int32_t px = 0; px < size; ++px) {
            float sum = 0.0f;
            for (int32_t sy = 0; sy < samples; ++sy)
                for (int32_t sx = 0; sx < samples; ++sx) {
                    float x = (px + (sx + 0.5f) / samples) / size * 2.0f - 1.0f;
                    float y = (py + (sy + 0.5f) / samples) / size * 2.0f - 1.0f;
                    sum += Clamp01(shape(x, y));
                }
            alpha[size_t(py) * size + px] = static_cast<uint8_t>(std::lround(sum / (samples * samples) * 255.0f));
        }
    return alpha;
}

// ---- DDS: "DDS ", a 124-byte header, one uncompressed level ----

struct DdsFormat {
    uint32_t flags;
    uint32_t bits;
    uint32_t redMask;
    uint32_t alphaMask;
};

constexpr DdsFormat DDS_A8 = {0x2u /* alpha only */, 8, 0, 0xFFu};
constexpr DdsFormat DDS_A8L8 = {0x20000u | 0x1u /* luminance, alpha */, 16, 0xFFu, 0xFF00u};

Bytes MakeDds(int32_t size, const DdsFormat& format, const Bytes& pixels)
{
    Bytes out(EMBEDDED_DDS_HEADER_SIZE + pixels.size(), 0);
    std::memcpy(out.data(), "DDS ", 4);
    PutWord(out, 4, 124);
    PutWord(out, 8, 0x1u | 0x2u | 0x4u | 0x8u | 0x1000u); // caps, height, width, pitch, pixel format
    PutWord(out, 12, uint32_t(size));
    PutWord(out, 16, uint32_t(size));
    PutWord(out, 20, uint32_t(size) * format.bits / 8);
    PutWord(out, 76, 32);
    PutWord(out, 80, format.flags);
    PutWord(out, 88, format.bits);
    PutWord(out, 92, format.redMask);
    PutWord(out, 104, format.alphaMask);
    PutWord(out, 108, 0x1000u); // a texture
    if (!pixels.empty()) std::memcpy(out.data() + EMBEDDED_DDS_HEADER_SIZE, pixels.data(), pixels.size());
    return out;
}

Bytes MakeOverlayFont()
{
    Bytes coverage(size_t(OVERLAY_TEXTURE_SIZE) * OVERLAY_TEXTURE_SIZE);
    EmbeddedImage_DrawOverlayFont(coverage.data());
    Bytes pixels;
    pixels.reserve(coverage.size() * 2);
    for (uint8_t alpha : coverage) {
        pixels.push_back(255); // white
        pixels.push_back(alpha);
    }
    return MakeDds(OVERLAY_TEXTURE_SIZE, DDS_A8L8, pixels);
}

// ---- the emblem: a rounded badge with a gradient and a white "K" ----

float RoundedBoxCoverage(float x, float y, float inset, float corner, float size)
{
    float half = size / 2.0f - inset;
    float qx = std::fabs(x - size / 2.0f) - (half - corner);
    float qy = std::fabs(y - size / 2.0f) - (half - corner);
    float outside = Radius(std::fmax(qx, 0.0f), std::fmax(qy, 0.0f)) + std::fmin(std::fmax(qx, qy), 0.0f) - corner;
    return Clamp01(0.5f - outside);
}

float LetterCoverage(float x, float y)
{
    float d = SegmentDistance(x, y, 44.0f, 30.0f, 44.0f, 98.0f);
    d = std::fmin(d, SegmentDistance(x, y, 50.0f, 68.0f, 90.0f, 30.0f));
    d = std::fmin(d, SegmentDistance(x, y, 60.0f, 60.0f, 92.0f, 98.0f));
    return Clamp01(7.0f - d);
}

Bytes DrawEmblem()
{
    const int32_t size = EMBEDDED_EMBLEM_SIZE;
    Bytes rgba(size_t(size) * size * 4);
    for (int32_t py = 0; py < size; ++py)
        for (int32_t px = 0; px < size; ++px) {
            float x = px + 0.5f, y = py + 0.5f;
            float badge = RoundedBoxCoverage(x, y, 6.0f, 22.0f, float(size));
            float t = y / size;
            float colour[3] = {40.0f + (30.0f - 40.0f) * t, 170.0f + (60.0f - 170.0f) * t, 190.0f + (140.0f - 190.0f) * t};
            float shadow = 0.45f * LetterCoverage(x - 3.0f, y - 3.0f);
            float letter = LetterCoverage(x, y);
            uint8_t* out = &rgba[(size_t(py) * size + px) * 4];
            for (int32_t c = 0; c < 3; ++c) {
                float value = colour[c] * (1.0f - shadow);
                value = value + (255.0f - value) * letter;
                out[c] = static_cast<uint8_t>(std::lround(Clamp01(value / 255.0f) * 255.0f));
            }
            out[3] = static_cast<uint8_t>(std::lround(badge * 255.0f));
        }
    return rgba;
}

void AppendPng(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

bool EncodePng(const Bytes& rgba, int32_t size, Bytes* out)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, AppendPng, nullptr);
    png_set_IHDR(png, info, uint32_t(size), uint32_t(size), 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    for (int32_t row = 0; row < size; ++row) png_write_row(png, rgba.data() + size_t(row) * size * 4);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

// Pads a PNG to `target` bytes with a private ancillary chunk in front of IEND, which decoders skip.
void PadPng(Bytes& png, size_t target)
{
    const size_t iendSize = 12, chunkOverhead = 12;
    if (png.size() < iendSize || png.size() + chunkOverhead > target) return;
    size_t padding = target - png.size() - chunkOverhead;
    Bytes chunk;
    PutBigWord(chunk, uint32_t(padding));
    const char type[4] = {'k', 'v', 'P', 'd'};
    chunk.insert(chunk.end(), type, type + 4);
    chunk.insert(chunk.end(), padding, 0);
    uLong crc = crc32(0L, chunk.data() + 4, uInt(4 + padding));
    PutBigWord(chunk, uint32_t(crc));
    png.insert(png.end() - iendSize, chunk.begin(), chunk.end());
}

Bytes MakeEmblem()
{
    Bytes png;
    if (!EncodePng(DrawEmblem(), EMBEDDED_EMBLEM_SIZE, &png)) return png;
    PadPng(png, EMBEDDED_EMBLEM_BYTES);
    return png;
}

} // namespace

std::vector<uint8_t> EmbeddedImage_Draw(int32_t index)
{
    if (index < 0 || index >= EMBEDDED_IMAGE_COUNT) return {};
    if (index <= EMBEDDED_IMAGE_SHAPE_COUNT)
        return MakeDds(EMBEDDED_SHAPE_SIZE, DDS_A8, DrawShape(SHAPES[index], EMBEDDED_SHAPE_SIZE));
    if (index == EMBEDDED_IMAGE_OVERLAY_FONT) return MakeOverlayFont();
    return MakeEmblem();
}
