// Lights, the material and fog on the OpenGL device: kept as set, and handed to the fixed-function
// programs in view space at each draw.
#include <cmath>
#include <cstring>

#include "graphics/gl/Graphics_GLDeviceM.h"

namespace gldevice {

namespace {

// Program light kinds: 0 off, else the Direct3D type.
constexpr GLint LIGHT_OFF = 0;

void MultiplyRows(D3DMatrix& out, const D3DMatrix& a, const D3DMatrix& b)
{
    D3DMatrix r;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += a.m[row * 4 + k] * b.m[k * 4 + col];
            r.m[row * 4 + col] = sum;
        }
    out = r;
}

// A row vector through the matrix (w 1 for a point, 0 for a direction).
D3DVector Transform(const D3DVector& v, const D3DMatrix& m, float w)
{
    return D3DVector{v.x * m.m[0] + v.y * m.m[4] + v.z * m.m[8] + w * m.m[12],
                     v.x * m.m[1] + v.y * m.m[5] + v.z * m.m[9] + w * m.m[13],
                     v.x * m.m[2] + v.y * m.m[6] + v.z * m.m[10] + w * m.m[14]};
}

float Channel(uint32_t colour, int shift)
{
    return float((colour >> shift) & 0xFFu) / 255.0f;
}

float FloatOf(uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace

uint32_t GL_FogKey(const uint32_t* rs, bool transformed)
{
    if (rs[D3DRS_FOGENABLE] == 0 || transformed) return 0;
    uint32_t table = rs[D3DRS_FOGTABLEMODE] & 3u, vertex = rs[D3DRS_FOGVERTEXMODE] & 3u;
    if (table != D3DFOG_NONE) return table << KEY_FOG_SHIFT | KEY_FOG_TABLE;
    if (vertex == D3DFOG_NONE) return 0;
    return vertex << KEY_FOG_SHIFT | (rs[D3DRS_RANGEFOGENABLE] != 0 ? KEY_FOG_RANGE : 0u);
}

D3DResult GLDevice::SetLight(int32_t index, const D3DLight* light)
{
    if (index < 0 || index >= D3D_LIGHT_COUNT || light == nullptr) return D3DERR_INVALIDCALL;
    m_Lights[index] = *light;
    m_LightSet[index] = true;
    return D3D_OK;
}

D3DResult GLDevice::LightEnable(int32_t index, bool on)
{
    if (index < 0 || index >= D3D_LIGHT_COUNT) return D3DERR_INVALIDCALL;
    // As Direct3D: a light switched on before it was set is white, shining along +z.
    if (!m_LightSet[index]) {
        D3DLight white;
        white.type = D3DLIGHT_DIRECTIONAL;
        white.diffuse = D3DColourValue{1.0f, 1.0f, 1.0f, 0.0f};
        white.direction = D3DVector{0.0f, 0.0f, 1.0f};
        m_Lights[index] = white;
        m_LightSet[index] = true;
    }
    m_LightOn[index] = on;
    return D3D_OK;
}

D3DResult GLDevice::SetMaterial(const D3DMaterial* material)
{
    if (material == nullptr) return D3DERR_INVALIDCALL;
    m_Material = *material;
    return D3D_OK;
}

void GLDevice::UploadLighting(const GLProgram& program, uint32_t key)
{
    if ((key & (KEY_LIGHTING | 3u << KEY_FOG_SHIFT)) == 0) return;
    D3DMatrix worldView;
    MultiplyRows(worldView, m_World, m_View);
    glUniformMatrix4fv(program.worldView, 1, GL_FALSE, worldView.m);
    if ((key & 3u << KEY_FOG_SHIFT) != 0) {
        const uint32_t* rs = m_RenderStates;
        glUniform4f(program.fog, FloatOf(rs[D3DRS_FOGSTART]), FloatOf(rs[D3DRS_FOGEND]), FloatOf(rs[D3DRS_FOGDENSITY]),
                    0.0f);
        uint32_t c = rs[D3DRS_FOGCOLOR];
        glUniform4f(program.fogColour, Channel(c, 16), Channel(c, 8), Channel(c, 0), 1.0f);
    }
    if ((key & KEY_LIGHTING) == 0) return;
    // Ambient: the material's ambient colour times the ambient state, plus its emission.
    uint32_t a = m_RenderStates[D3DRS_AMBIENT];
    const D3DMaterial& mat = m_Material;
    glUniform4f(program.ambient, mat.ambient.r * Channel(a, 16) + mat.emissive.r,
                mat.ambient.g * Channel(a, 8) + mat.emissive.g, mat.ambient.b * Channel(a, 0) + mat.emissive.b, 0.0f);
    glUniform4f(program.materialDiffuse, mat.diffuse.r, mat.diffuse.g, mat.diffuse.b, mat.diffuse.a);
    GLint kinds[D3D_LIGHT_COUNT];
    float colours[D3D_LIGHT_COUNT * 4], vectors[D3D_LIGHT_COUNT * 4], ranges[D3D_LIGHT_COUNT * 4];
    for (int32_t i = 0; i < D3D_LIGHT_COUNT; ++i) {
        const D3DLight& l = m_Lights[i];
        bool used = m_LightOn[i] && (l.type == D3DLIGHT_POINT || l.type == D3DLIGHT_DIRECTIONAL);
        kinds[i] = used ? l.type : LIGHT_OFF;
        D3DVector v = {0.0f, 0.0f, 0.0f};
        if (l.type == D3DLIGHT_DIRECTIONAL) {
            // Towards the light, unit length; a zero direction lights nothing.
            D3DVector d = Transform(l.direction, m_View, 0.0f);
            float length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
            if (length > 0.0f && std::isfinite(length)) v = D3DVector{-d.x / length, -d.y / length, -d.z / length};
        } else {
            v = Transform(l.position, m_View, 1.0f);
        }
        const float colour[4] = {l.diffuse.r, l.diffuse.g, l.diffuse.b, l.diffuse.a};
        const float vector[4] = {v.x, v.y, v.z, 0.0f};
        const float range[4] = {l.range, l.attenuation0, l.attenuation1, l.attenuation2};
        std::memcpy(colours + i * 4, colour, sizeof colour);
        std::memcpy(vectors + i * 4, vector, sizeof vector);
        std::memcpy(ranges + i * 4, range, sizeof range);
    }
    glUniform1iv(program.lightKind, D3D_LIGHT_COUNT, kinds);
    glUniform4fv(program.lightColour, D3D_LIGHT_COUNT, colours);
    glUniform4fv(program.lightVector, D3D_LIGHT_COUNT, vectors);
    glUniform4fv(program.lightRange, D3D_LIGHT_COUNT, ranges);
}

} // namespace gldevice
