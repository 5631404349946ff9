// Drawing on the OpenGL device: the device states turned into OpenGL state, the fixed-function
// program for the current states, and the vertex attributes of the layout in use.
#include <algorithm>
#include <cstring>

#include "graphics/gl/Graphics_GLDeviceM.h"

namespace gldevice {

namespace {

// The vertex count from which a draw is flushed (DrawPrimitive).
constexpr uint32_t FLUSH_AFTER_VERTICES = 4096;
// The longest triangle list handed to the driver in one call. The driver takes a draw in runs of
// at most 4,095 vertices and looks for screen-aligned rectangles only in runs whose length is a
// multiple of 6, so lists are cut at the largest such multiple below that: a batch of quads then
// reaches the rectangle path whole.
constexpr GLsizei LONGEST_TRIANGLE_RUN = 4092;

void Multiply(D3DMatrix& out, const D3DMatrix& a, const D3DMatrix& b)
{
    D3DMatrix r;
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += a.m[row * 4 + k] * b.m[k * 4 + col];
            r.m[row * 4 + col] = sum;
        }
    }
    out = r;
}

GLenum Compare(uint32_t function)
{
    static const GLenum TABLE[] = {GL_NEVER,   GL_NEVER,    GL_LESS,   GL_EQUAL, GL_LEQUAL,
                                   GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
    return function >= 1 && function <= 8 ? TABLE[function] : GL_ALWAYS;
}

GLenum BlendFactor(uint32_t factor)
{
    switch (factor) {
    case D3DBLEND_ZERO:
        return GL_ZERO;
    case D3DBLEND_ONE:
        return GL_ONE;
    case D3DBLEND_SRCCOLOR:
    case D3DBLEND_SRCCOLOR2:
        return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
    case D3DBLEND_INVSRCCOLOR2:
        return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
    case D3DBLEND_BOTHSRCALPHA:
        return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
    case D3DBLEND_BOTHINVSRCALPHA:
        return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
        return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
        return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
        return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
        return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT:
        return GL_SRC_ALPHA_SATURATE;
    case D3DBLEND_BLENDFACTOR:
        return GL_CONSTANT_COLOR;
    case D3DBLEND_INVBLENDFACTOR:
        return GL_ONE_MINUS_CONSTANT_COLOR;
    default:
        return GL_ONE;
    }
}

// The pair of factors Direct3D uses: the "both" source factors decide the destination as well.
void BlendPair(uint32_t source, uint32_t destination, GLenum* s, GLenum* d)
{
    *s = BlendFactor(source);
    *d = BlendFactor(destination);
    if (source == D3DBLEND_BOTHSRCALPHA) *d = GL_ONE_MINUS_SRC_ALPHA;
    if (source == D3DBLEND_BOTHINVSRCALPHA) *d = GL_SRC_ALPHA;
}

GLenum BlendOperation(uint32_t op)
{
    switch (op) {
    case D3DBLENDOP_SUBTRACT:
        return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT:
        return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN:
        return GL_MIN;
    case D3DBLENDOP_MAX:
        return GL_MAX;
    default:
        return GL_FUNC_ADD;
    }
}

// Whether a source factor is exactly one, and a destination factor exactly zero, for a fragment
// of full alpha.
bool OneAtFullAlpha(uint32_t factor)
{
    return factor == D3DBLEND_ONE || factor == D3DBLEND_SRCALPHA;
}
bool ZeroAtFullAlpha(uint32_t factor)
{
    return factor == D3DBLEND_ZERO || factor == D3DBLEND_INVSRCALPHA;
}

// Whether the blend states give a fragment of full alpha exactly as it is (source x 1 + target x 0),
// for its colour and its alpha: the same pixels as without blending.
bool KeepsFullAlphaSource(const uint32_t* rs)
{
    auto keeps = [](uint32_t source, uint32_t destination, uint32_t op) {
        if (source == D3DBLEND_BOTHSRCALPHA) destination = D3DBLEND_INVSRCALPHA; // as BlendPair
        return op == D3DBLENDOP_ADD && (OneAtFullAlpha(source) || source == D3DBLEND_BOTHSRCALPHA) &&
               ZeroAtFullAlpha(destination);
    };
    bool colour = keeps(rs[D3DRS_SRCBLEND], rs[D3DRS_DESTBLEND], rs[D3DRS_BLENDOP]);
    if (rs[D3DRS_SEPARATEALPHABLENDENABLE] == 0) return colour;
    return colour && keeps(rs[D3DRS_SRCBLENDALPHA], rs[D3DRS_DESTBLENDALPHA], rs[D3DRS_BLENDOPALPHA]);
}

GLenum StencilOperation(uint32_t op)
{
    static const GLenum TABLE[] = {GL_KEEP, GL_KEEP,   GL_ZERO,      GL_REPLACE,  GL_INCR,
                                   GL_DECR, GL_INVERT, GL_INCR_WRAP, GL_DECR_WRAP};
    return op >= 1 && op <= 8 ? TABLE[op] : GL_KEEP;
}

GLint Address(uint32_t mode)
{
    switch (mode) {
    case D3DTADDRESS_MIRROR:
        return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP:
        return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER:
        return GL_CLAMP_TO_BORDER;
    default:
        return GL_REPEAT;
    }
}

GLint MinFilter(uint32_t min, uint32_t mip)
{
    bool linear = min >= D3DTEXF_LINEAR;
    if (mip == D3DTEXF_NONE) return linear ? GL_LINEAR : GL_NEAREST;
    if (mip == D3DTEXF_POINT) return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
}

GLenum PrimitiveMode(int32_t type)
{
    static const GLenum TABLE[] = {GL_POINTS,    GL_POINTS,         GL_LINES,       GL_LINE_STRIP,
                                   GL_TRIANGLES, GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN};
    return TABLE[type];
}

// The operation of a stage as the program key holds it.
uint32_t KeyOperation(uint32_t op, uint32_t arg1, uint32_t arg2)
{
    uint32_t code = op == D3DTOP_SELECTARG1 ? 1 : op == D3DTOP_SELECTARG2 ? 2 : op == D3DTOP_DISABLE ? 0 : 3;
    return code | (std::min(arg1 & 0xFu, 2u) << 2) | (std::min(arg2 & 0xFu, 2u) << 4);
}

void AttributeFormat(uint8_t type, GLint* size, GLenum* glType, GLboolean* normalised)
{
    *normalised = GL_FALSE;
    *glType = GL_FLOAT;
    switch (type) {
    case D3DDECLTYPE_FLOAT1:
        *size = 1;
        break;
    case D3DDECLTYPE_FLOAT2:
        *size = 2;
        break;
    case D3DDECLTYPE_FLOAT3:
        *size = 3;
        break;
    case D3DDECLTYPE_D3DCOLOR:
        // Bytes blue, green, red, alpha, read as red, green, blue, alpha in 0..1.
        *size = GL_BGRA;
        *glType = GL_UNSIGNED_BYTE;
        *normalised = GL_TRUE;
        break;
    case D3DDECLTYPE_UBYTE4:
        *size = 4;
        *glType = GL_UNSIGNED_BYTE;
        break;
    default:
        *size = 4;
        break;
    }
}

// Draws `count` vertices from the first; triangle lists in runs of at most LONGEST_TRIANGLE_RUN,
// which gives the pixels of one draw since each triangle is drawn on its own and in order.
void DrawInRuns(GLenum mode, GLsizei count)
{
    if (mode != GL_TRIANGLES) {
        glDrawArrays(mode, 0, count);
        return;
    }
    for (GLsizei first = 0; first < count; first += LONGEST_TRIANGLE_RUN)
        glDrawArrays(mode, first, std::min(LONGEST_TRIANGLE_RUN, count - first));
}

} // namespace

void GLDevice::ApplyRenderStates()
{
    if (!m_RenderStatesDirty) return;
    m_RenderStatesDirty = false;
    const uint32_t* rs = m_RenderStates;
    if (rs[D3DRS_ZENABLE] != 0)
        glEnable(GL_DEPTH_TEST);
    else
        glDisable(GL_DEPTH_TEST);
    glDepthFunc(Compare(rs[D3DRS_ZFUNC]));
    glDepthMask(rs[D3DRS_ZWRITEENABLE] != 0 ? GL_TRUE : GL_FALSE);
    glPolygonMode(GL_FRONT_AND_BACK, rs[D3DRS_FILLMODE] == D3DFILL_POINT       ? GL_POINT
                                     : rs[D3DRS_FILLMODE] == D3DFILL_WIREFRAME ? GL_LINE
                                                                               : GL_FILL);
    // Targets are stored top row first, so a triangle clockwise on screen is counter-clockwise to
    // OpenGL; Direct3D culls by the winding on screen.
    if (rs[D3DRS_CULLMODE] == D3DCULL_CW || rs[D3DRS_CULLMODE] == D3DCULL_CCW) {
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        glFrontFace(rs[D3DRS_CULLMODE] == D3DCULL_CW ? GL_CW : GL_CCW);
    } else {
        glDisable(GL_CULL_FACE);
    }
    if (rs[D3DRS_ALPHABLENDENABLE] != 0) {
        GLenum s, d;
        BlendPair(rs[D3DRS_SRCBLEND], rs[D3DRS_DESTBLEND], &s, &d);
        GLenum sa = s, da = d;
        GLenum opAlpha = BlendOperation(rs[D3DRS_BLENDOP]);
        if (rs[D3DRS_SEPARATEALPHABLENDENABLE] != 0) {
            BlendPair(rs[D3DRS_SRCBLENDALPHA], rs[D3DRS_DESTBLENDALPHA], &sa, &da);
            opAlpha = BlendOperation(rs[D3DRS_BLENDOPALPHA]);
        }
        glBlendFuncSeparate(s, d, sa, da);
        glBlendEquationSeparate(BlendOperation(rs[D3DRS_BLENDOP]), opAlpha);
        uint32_t c = rs[D3DRS_BLENDFACTOR];
        glBlendColor(float((c >> 16) & 0xFF) / 255.0f, float((c >> 8) & 0xFF) / 255.0f,
                     float(c & 0xFF) / 255.0f, float(c >> 24) / 255.0f);
    }
    uint32_t mask = rs[D3DRS_COLORWRITEENABLE];
    glColorMask((mask & 1) != 0, (mask & 2) != 0, (mask & 4) != 0, (mask & 8) != 0);
    if (rs[D3DRS_STENCILENABLE] != 0) {
        glEnable(GL_STENCIL_TEST);
        glStencilFunc(Compare(rs[D3DRS_STENCILFUNC]), GLint(rs[D3DRS_STENCILREF] & 0xFF),
                      rs[D3DRS_STENCILMASK]);
        glStencilOp(StencilOperation(rs[D3DRS_STENCILFAIL]), StencilOperation(rs[D3DRS_STENCILZFAIL]),
                    StencilOperation(rs[D3DRS_STENCILPASS]));
        glStencilMask(rs[D3DRS_STENCILWRITEMASK]);
    } else {
        glDisable(GL_STENCIL_TEST);
    }
}

void GLDevice::ApplyBlend()
{
    const uint32_t* rs = m_RenderStates;
    bool blend = rs[D3DRS_ALPHABLENDENABLE] != 0 && !(m_OpaqueDraw && KeepsFullAlphaSource(rs));
    if (blend == m_BlendOn) return;
    m_BlendOn = blend;
    if (blend)
        glEnable(GL_BLEND);
    else
        glDisable(GL_BLEND);
}

void GLDevice::ApplySamplers()
{
    for (int32_t i = 0; m_SamplersDirty != 0 && i < D3D_SAMPLER_COUNT; ++i) {
        if ((m_SamplersDirty & (1u << i)) == 0) continue;
        m_SamplersDirty &= ~(1u << i);
        const uint32_t* s = m_SamplerStates[i];
        GLuint sampler = m_Samplers[i];
        glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER,
                            s[D3DSAMP_MAGFILTER] >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST);
        glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER,
                            MinFilter(s[D3DSAMP_MINFILTER], s[D3DSAMP_MIPFILTER]));
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, Address(s[D3DSAMP_ADDRESSU]));
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, Address(s[D3DSAMP_ADDRESSV]));
        uint32_t c = s[D3DSAMP_BORDERCOLOR];
        float border[4] = {float((c >> 16) & 0xFF) / 255.0f, float((c >> 8) & 0xFF) / 255.0f,
                           float(c & 0xFF) / 255.0f, float(c >> 24) / 255.0f};
        glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, border);
    }
}

void GLDevice::ApplyTextures()
{
    for (int32_t i = 0; m_TexturesDirty != 0 && i < D3D_SAMPLER_COUNT; ++i) {
        if ((m_TexturesDirty & (1u << i)) == 0) continue;
        m_TexturesDirty &= ~(1u << i);
        glActiveTexture(GL_TEXTURE0 + GLenum(i));
        glBindTexture(GL_TEXTURE_2D, m_Textures[i] != nullptr ? m_Textures[i]->m_Name : 0);
    }
    glActiveTexture(GL_TEXTURE0);
}

uint32_t GLDevice::ProgramKey() const
{
    uint32_t key = m_Declaration != nullptr ? m_Declaration->m_Signature : 0;
    if (m_Textures[0] != nullptr) key |= KEY_TEXTURED;
    if (m_RenderStates[D3DRS_SHADEMODE] == D3DSHADE_FLAT) key |= KEY_FLAT;
    if (m_RenderStates[D3DRS_ALPHATESTENABLE] != 0) key |= KEY_ALPHA_TEST;
    if (m_Route == DrawRoute::TRIANGLES) key |= KEY_KEEP_TRIANGLES;
    if (m_WhiteDraw) key |= KEY_WHITE;
    bool transformed = (key & KEY_TRANSFORMED) != 0;
    if (m_RenderStates[D3DRS_LIGHTING] != 0 && !transformed) key |= KEY_LIGHTING;
    key |= GL_FogKey(m_RenderStates, transformed);
    key |= KeyOperation(m_StageStates[D3DTSS_COLOROP], m_StageStates[D3DTSS_COLORARG1],
                        m_StageStates[D3DTSS_COLORARG2])
           << KEY_COLOUR_OP_SHIFT;
    key |= KeyOperation(m_StageStates[D3DTSS_ALPHAOP], m_StageStates[D3DTSS_ALPHAARG1],
                        m_StageStates[D3DTSS_ALPHAARG2])
           << KEY_ALPHA_OP_SHIFT;
    return key;
}

const GLProgram* GLDevice::ProgramFor(uint32_t key)
{
    auto found = m_Programs.find(key);
    if (found != m_Programs.end()) return found->second.name != 0 ? &found->second : nullptr;
    GLProgram program;
    GL_BuildProgram(key, &program);
    auto inserted = m_Programs.emplace(key, program).first;
    m_CurrentProgram = nullptr;
    return program.name != 0 ? &inserted->second : nullptr;
}

const D3DMatrix& GLDevice::WorldViewProjection()
{
    if (m_TransformsDirty) {
        D3DMatrix worldView;
        Multiply(worldView, m_World, m_View);
        Multiply(m_WorldViewProjection, worldView, m_Projection);
        m_TransformsDirty = false;
    }
    return m_WorldViewProjection;
}

void GLDevice::UploadTransforms(const GLProgram& program)
{
    // The row-major matrix read as column-major is its transpose: M^T * v is the row product v * M.
    glUniformMatrix4fv(program.worldViewProjection, 1, GL_FALSE, WorldViewProjection().m);
    glUniform2f(program.pixelFix, 1.0f / float(m_Viewport.width), 1.0f / float(m_Viewport.height));
    glUniform4f(program.viewportSize, float(m_Viewport.x), float(m_Viewport.y), float(m_Viewport.width),
                float(m_Viewport.height));
    glUniform1f(program.guardScale, m_GuardScale);
    glUniform2i(program.alphaTest, GLint(m_RenderStates[D3DRS_ALPHAFUNC]),
                GLint(m_RenderStates[D3DRS_ALPHAREF] & 0xFF));
}

bool GLDevice::PrepareDraw(GLuint buffer, uint32_t stride, uint32_t startByte, bool triangles)
{
    FinishPresent();
    if (m_Target == nullptr || m_Declaration == nullptr) return false;
    BindTargets(m_Route == DrawRoute::WITH_DEPTH); // the route is WITH_DEPTH whenever depth is in use
    // Game shaders place their vertices themselves; points and lines keep the driver's clipping.
    ApplyViewport(triangles && m_ShaderProgram == nullptr);
    ApplyRenderStates();
    ApplyBlend();
    ApplySamplers();
    ApplyTextures();
    if (m_ShaderProgram != nullptr) {
        UseShaderProgram();
    } else {
        uint32_t key = ProgramKey();
        const GLProgram* program = ProgramFor(key);
        if (program == nullptr) return false;
        if (program != m_CurrentProgram) {
            glUseProgram(program->name);
            m_CurrentProgram = program;
        }
        UploadTransforms(*program);
        UploadLighting(*program, key);
    }

    glBindVertexArray(m_VertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    uint32_t enabled = 0;
    for (const D3DVertexElement& e : m_Declaration->m_Elements) {
        GLint location = GL_AttributeLocation(e.usage, e.usageIndex);
        if (location < 0 || e.stream != 0) continue;
        GLint size;
        GLenum type;
        GLboolean normalised;
        AttributeFormat(e.type, &size, &type, &normalised);
        glVertexAttribPointer(GLuint(location), size, type, normalised, GLsizei(stride),
                              // An offset into the bound buffer, passed as OpenGL takes it.
                              reinterpret_cast<const void*>(uintptr_t(startByte) + e.offset));
        enabled |= 1u << location;
    }
    for (GLuint location = 0; location < 16; ++location) {
        if ((enabled & (1u << location)) != 0)
            glEnableVertexAttribArray(location);
        else
            glDisableVertexAttribArray(location);
    }
    return true;
}

D3DResult GLDevice::DrawPrimitive(int32_t type, uint32_t startVertex, uint32_t primitiveCount)
{
    if (type < D3DPT_POINTLIST || type > D3DPT_TRIANGLEFAN || m_Stream == nullptr || m_StreamStride == 0)
        return D3DERR_INVALIDCALL;
    if (primitiveCount == 0) return D3D_OK;
    uint32_t count = D3D_PrimitiveVertices(type, primitiveCount);
    uint64_t first = uint64_t(m_StreamOffset) + uint64_t(startVertex) * m_StreamStride;
    uint64_t last = first + uint64_t(count) * m_StreamStride;
    if (last > m_Stream->m_Length) return D3DERR_INVALIDCALL;
    m_Stream->Upload(uint32_t(first), uint32_t(last));
    m_Route = ChooseRoute(type, m_Stream->m_Data.data() + first, m_StreamStride, count);
    if (!PrepareDraw(m_Stream->m_Name, m_StreamStride, uint32_t(first), type >= D3DPT_TRIANGLELIST))
        return D3DERR_INVALIDCALL;
    DrawInRuns(PrimitiveMode(type), GLsizei(count));
    // A large batch goes to the driver at once: a renderer drawing on threads of its own starts
    // on it while the next batch is built, instead of when the frame's picture is first read.
    if (count >= FLUSH_AFTER_VERTICES) glFlush();
    return D3D_OK;
}

D3DResult GLDevice::DrawPrimitiveUP(int32_t type, uint32_t primitiveCount, const void* vertices,
                                    uint32_t stride)
{
    if (type < D3DPT_POINTLIST || type > D3DPT_TRIANGLEFAN || vertices == nullptr || stride == 0)
        return D3DERR_INVALIDCALL;
    Assign<GLVertexBuffer>(m_Stream, nullptr); // as Direct3D: the stream is unset afterwards
    if (primitiveCount == 0) return D3D_OK;
    uint32_t count = D3D_PrimitiveVertices(type, primitiveCount);
    uint32_t bytes = count * stride;
    glBindBuffer(GL_ARRAY_BUFFER, m_ScratchBuffer);
    if (bytes > m_ScratchSize) m_ScratchSize = bytes;
    glBufferData(GL_ARRAY_BUFFER, m_ScratchSize, nullptr, GL_STREAM_DRAW);
    glBufferSubData(GL_ARRAY_BUFFER, 0, bytes, vertices);
    m_Route = ChooseRoute(type, static_cast<const uint8_t*>(vertices), stride, count);
    if (!PrepareDraw(m_ScratchBuffer, stride, 0, type >= D3DPT_TRIANGLELIST)) return D3DERR_INVALIDCALL;
    DrawInRuns(PrimitiveMode(type), GLsizei(count));
    return D3D_OK;
}

} // namespace gldevice
