// The device over OpenGL 3.3 core: targets, states, clear, draws and presentation, keeping the
// conventions listed in Graphics_DeviceApi.h. Every target (the back buffer included) is stored top
// row first, so read-backs and render-target textures have Direct3D's layout; the picture is turned
// the right way up once, when it is presented.
#include <algorithm>
#include <cstring>

#include "base/Base_Console.h"
#include "graphics/gl/Graphics_GLDeviceM.h"
#include "platform/sdl/Platform_WindowFrameM.h"

namespace gldevice {

int32_t g_MaxSamples = 0;

namespace {

void Identity(D3DMatrix& m)
{
    std::memset(m.m, 0, sizeof(m.m));
    m.m[0] = m.m[5] = m.m[10] = m.m[15] = 1.0f;
}

uint32_t FloatBits(float f)
{
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return bits;
}

// The vertex elements of a flexible vertex format, offsets as Direct3D lays them out.
std::vector<D3DVertexElement> FVFElements(uint32_t fvf)
{
    std::vector<D3DVertexElement> out;
    uint16_t offset = 0;
    auto add = [&](uint8_t type, uint8_t usage, uint8_t index, uint16_t size) {
        out.push_back({0, offset, type, D3DDECLMETHOD_DEFAULT, usage, index});
        offset = uint16_t(offset + size);
    };
    uint32_t position = fvf & 0x400Eu;
    if (position == D3DFVF_XYZ) add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0, 12);
    if (position == D3DFVF_XYZW) add(D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_POSITION, 0, 16);
    if (position == D3DFVF_XYZRHW) add(D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_POSITIONT, 0, 16);
    if ((fvf & D3DFVF_NORMAL) != 0) add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL, 0, 12);
    if ((fvf & 0x20u) != 0) add(D3DDECLTYPE_FLOAT1, D3DDECLUSAGE_PSIZE, 0, 4);
    if ((fvf & D3DFVF_DIFFUSE) != 0) add(D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0, 4);
    if ((fvf & D3DFVF_SPECULAR) != 0) add(D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 1, 4);
    uint32_t pairs = (fvf >> 8) & 0xFu;
    for (uint32_t i = 0; i < pairs && i < 8; ++i)
        add(D3DDECLTYPE_FLOAT2, D3DDECLUSAGE_TEXCOORD, uint8_t(i), 8);
    out.push_back(D3DDECL_END);
    return out;
}

// A render-buffer surface (colour target or depth-stencil) with storage for the samples asked for
// (fewer than 2 means none); OUTOFVIDEOMEMORY when the driver refuses the storage.
D3DResult MakeRenderbufferSurface(GLDevice* device, int32_t width, int32_t height, int32_t format,
                                  const GLFormat& f, int32_t multiSample, uint32_t usage, bool lockable,
                                  D3DSurface** surface)
{
    int32_t samples = multiSample >= 2 ? multiSample : 0;
    glGetError();
    auto* s = new GLSurface(device, GLSurface::RENDERBUFFER, width, height, format);
    s->m_Samples = samples;
    s->m_Lockable = lockable;
    s->m_Usage = usage;
    if (samples == 0 && !f.depth) {
        // Held in a texture rather than a render buffer, which takes only sized formats: the texture
        // keeps the byte order of the format's textures (GL_FindFormat).
        glGenTextures(1, &s->m_StorageTexture);
        glBindTexture(GL_TEXTURE_2D, s->m_StorageTexture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        glTexImage2D(GL_TEXTURE_2D, 0, GLint(f.TextureInternalFormat()), width, height, 0, f.format, f.type,
                     nullptr);
        device->TexturesChanged();
    } else {
        glGenRenderbuffers(1, &s->m_Renderbuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, s->m_Renderbuffer);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, f.internalFormat, width, height);
    }
    if (glGetError() != GL_NO_ERROR) {
        s->Release();
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    *surface = s;
    return D3D_OK;
}

} // namespace

GLDevice::GLDevice(SDL_Window* window, bool ownWindow, SDL_GLContext context)
    : m_Window(window), m_OwnWindow(ownWindow), m_Context(context)
{
    Identity(m_World);
    Identity(m_View);
    Identity(m_Projection);
    Identity(m_WorldViewProjection);
}

GLDevice::~GLDevice()
{
    // A picture still waiting is shown only by a present already made: the end of a game whose
    // first frame never reached the window compiles nothing for it.
    if (m_PictureTried) {
        FinishPresent();
    } else if (m_WaitingPicture != nullptr) {
        m_WaitingPicture->Release();
        m_WaitingPicture = nullptr;
    }
    Assign<GLSurface>(m_Target, nullptr);
    Assign<GLSurface>(m_DepthTarget, nullptr);
    for (GLTexture*& texture : m_Textures)
        Assign<GLTexture>(texture, nullptr);
    Assign<GLVertexBuffer>(m_Stream, nullptr);
    Assign<GLVertexDeclaration>(m_Declaration, nullptr);
    for (auto& entry : m_FVFDeclarations)
        entry.second->Release();
    ReleaseBackBuffer();
    for (auto& entry : m_Programs)
        glDeleteProgram(entry.second.name);
    ReleaseShaderObjects();
    glDeleteSamplers(D3D_SAMPLER_COUNT, m_Samplers);
    GLuint framebuffers[] = {m_DrawFramebuffer, m_ReadFramebuffer, m_CopyFramebuffer};
    glDeleteFramebuffers(3, framebuffers);
    if (m_ResolveRenderbuffer != 0) glDeleteRenderbuffers(1, &m_ResolveRenderbuffer);
    ReleasePictureProgram();
    glDeleteVertexArrays(1, &m_VertexArray);
    glDeleteBuffers(1, &m_ScratchBuffer);
    g_ContextAlive = false;
    SDL_GL_MakeCurrent(m_Window, nullptr);
    SDL_GL_DeleteContext(m_Context);
    if (m_OwnWindow) SDL_DestroyWindow(m_Window);
}

bool GLDevice::Start(D3DPresentParameters* parameters)
{
    glGetIntegerv(GL_MAX_SAMPLES, &m_MaxSamples);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &m_MaxTextureSize);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, m_MaxViewport);
    g_MaxSamples = m_MaxSamples;
    GLuint framebuffers[3];
    glGenFramebuffers(3, framebuffers);
    m_DrawFramebuffer = framebuffers[0];
    m_ReadFramebuffer = framebuffers[1];
    m_CopyFramebuffer = framebuffers[2];
    glGenVertexArrays(1, &m_VertexArray);
    glBindVertexArray(m_VertexArray);
    glGenBuffers(1, &m_ScratchBuffer);
    glGenSamplers(D3D_SAMPLER_COUNT, m_Samplers);
    for (int32_t i = 0; i < D3D_SAMPLER_COUNT; ++i)
        glBindSampler(GLuint(i), m_Samplers[i]);
    // Flat shading takes the first vertex of a triangle, as Direct3D does.
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (!MakeBackBuffer(*parameters)) return false;
    ApplyWindowMode(*parameters);
    SetDefaultStates();
    return glGetError() == GL_NO_ERROR;
}

bool GLDevice::MakeBackBuffer(const D3DPresentParameters& p)
{
    m_Parameters = p;
    int32_t width = p.backBufferWidth;
    int32_t height = p.backBufferHeight;
    if (width <= 0 || height <= 0) SDL_GL_GetDrawableSize(m_Window, &width, &height);
    m_Parameters.backBufferWidth = width;
    m_Parameters.backBufferHeight = height;
    int32_t samples = p.multiSampleType >= 2 && p.multiSampleType <= m_MaxSamples ? p.multiSampleType : 0;
    D3DSurface* colour = nullptr;
    if (CreateRenderTarget(width, height, D3DFMT_A8R8G8B8, samples, false, &colour) != D3D_OK) return false;
    m_BackBuffer = static_cast<GLSurface*>(colour);
    if (p.enableAutoDepthStencil) {
        D3DSurface* depth = nullptr;
        if (CreateDepthStencilSurface(width, height, p.autoDepthStencilFormat, samples, true, &depth) !=
            D3D_OK) {
            ReleaseBackBuffer();
            return false;
        }
        m_AutoDepth = static_cast<GLSurface*>(depth);
    }
    SDL_GL_SetSwapInterval(p.presentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : 1);
    return true;
}

void GLDevice::ReleaseBackBuffer()
{
    Assign<GLSurface>(m_BackBuffer, nullptr);
    Assign<GLSurface>(m_AutoDepth, nullptr);
}

void GLDevice::ApplyWindowMode(const D3DPresentParameters& p)
{
    if (m_OwnWindow) return;
    bool fullscreen = (SDL_GetWindowFlags(m_Window) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
    if (fullscreen == !p.windowed) return;
    PlatformSdl_SetFullscreen(m_Window, p.windowed ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
}

// Direct3D's documented start values: a device and every reset begin from them.
void GLDevice::SetDefaultStates()
{
    uint32_t* rs = m_RenderStates;
    std::memset(rs, 0, sizeof(m_RenderStates));
    rs[D3DRS_ZENABLE] = m_Parameters.enableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
    rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
    rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    rs[D3DRS_ZWRITEENABLE] = 1;
    rs[D3DRS_LASTPIXEL] = 1;
    rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    rs[D3DRS_CULLMODE] = D3DCULL_CCW;
    rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_FOGEND] = FloatBits(1.0f);
    rs[D3DRS_FOGDENSITY] = FloatBits(1.0f);
    rs[D3DRS_STENCILFAIL] = rs[D3DRS_STENCILZFAIL] = rs[D3DRS_STENCILPASS] = D3DSTENCILOP_KEEP;
    rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_STENCILMASK] = rs[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFFu;
    rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFFu;
    rs[D3DRS_LIGHTING] = 1;
    rs[D3DRS_COLORVERTEX] = 1;
    rs[D3DRS_COLORWRITEENABLE] = 0xF;
    rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
    rs[D3DRS_BLENDFACTOR] = 0xFFFFFFFFu;
    rs[D3DRS_SRCBLENDALPHA] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLENDALPHA] = D3DBLEND_ZERO;
    rs[D3DRS_BLENDOPALPHA] = D3DBLENDOP_ADD;
    m_RenderStatesDirty = true;

    for (auto& sampler : m_SamplerStates) {
        std::memset(sampler, 0, sizeof(sampler));
        sampler[D3DSAMP_ADDRESSU] = sampler[D3DSAMP_ADDRESSV] = sampler[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
        sampler[D3DSAMP_MAGFILTER] = sampler[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
    }
    m_SamplersDirty = 0xFFFFu;
    m_StageStates[D3DTSS_COLOROP] = D3DTOP_MODULATE;
    m_StageStates[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    m_StageStates[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    m_StageStates[D3DTSS_ALPHAOP] = D3DTOP_SELECTARG1;
    m_StageStates[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    m_StageStates[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    for (GLTexture*& texture : m_Textures)
        Assign<GLTexture>(texture, nullptr);
    m_TexturesDirty = 0xFFFFu;
    Identity(m_World);
    Identity(m_View);
    Identity(m_Projection);
    for (int32_t i = 0; i < D3D_LIGHT_COUNT; ++i)
        m_Lights[i] = D3DLight{}, m_LightOn[i] = m_LightSet[i] = false;
    m_Material = D3DMaterial{};
    m_TransformsDirty = true;
    Assign<GLVertexBuffer>(m_Stream, nullptr);
    Assign<GLVertexDeclaration>(m_Declaration, nullptr);
    m_FVF = 0;
    Assign<GLSurface>(m_DepthTarget, m_AutoDepth);
    SetRenderTarget(0, m_BackBuffer);
}

D3DResult GLDevice::Reset(D3DPresentParameters* parameters)
{
    FinishPresent();
    if (parameters == nullptr) return D3DERR_INVALIDCALL;
    Assign<GLSurface>(m_Target, nullptr);
    Assign<GLSurface>(m_DepthTarget, nullptr);
    ReleaseBackBuffer();
    if (!MakeBackBuffer(*parameters)) return D3DERR_NOTAVAILABLE;
    ApplyWindowMode(*parameters);
    SetDefaultStates();
    return D3D_OK;
}

D3DResult GLDevice::BeginScene()
{
    if (m_InScene) return D3DERR_INVALIDCALL;
    m_InScene = true;
    return D3D_OK;
}

D3DResult GLDevice::EndScene()
{
    if (!m_InScene) return D3DERR_INVALIDCALL;
    m_InScene = false;
    return D3D_OK;
}

D3DResult GLDevice::Present()
{
    if (m_BackBuffer == nullptr) return D3DERR_INVALIDCALL;
    return PresentPicture(m_BackBuffer);
}

bool GLDevice::ShowableAsBackBuffer(const GLSurface* from) const
{
    // Only a surface the back buffer would hold as an exact copy: same size, format and sampling.
    return m_BackBuffer != nullptr && from != nullptr && from->m_Kind != GLSurface::SYSTEM_LEVEL &&
           !from->IsDepth() && from->m_Samples == 0 && m_BackBuffer->m_Samples == 0 &&
           from->m_Width == m_BackBuffer->m_Width && from->m_Height == m_BackBuffer->m_Height &&
           from->m_Format == m_BackBuffer->m_Format;
}

D3DResult GLDevice::PresentFrom(D3DSurface* source)
{
    auto* from = static_cast<const GLSurface*>(source);
    if (!ShowableAsBackBuffer(from)) return D3DERR_INVALIDCALL;
    return PresentPicture(from);
}

D3DResult GLDevice::PresentLater(D3DSurface* source)
{
    GLSurface* picture = source != nullptr ? static_cast<GLSurface*>(source) : m_BackBuffer;
    if (picture == nullptr || (source != nullptr && !ShowableAsBackBuffer(picture))) return D3DERR_INVALIDCALL;
    FinishPresent();
    // The frame's drawing goes to the driver now; the copy, which must wait for it, comes later.
    glFlush();
    picture->AddRef();
    m_WaitingPicture = picture;
    return glGetError() == GL_NO_ERROR ? D3D_OK : D3DERR_DEVICELOST;
}

void GLDevice::ShowWaitingPicture()
{
    GLSurface* picture = m_WaitingPicture;
    m_WaitingPicture = nullptr;
    PresentPicture(picture);
    picture->Release();
}

D3DResult GLDevice::PresentPicture(const GLSurface* source)
{
    FinishPresent();
    int32_t width = source->m_Width;
    int32_t height = source->m_Height;
    int32_t drawableWidth = width;
    int32_t drawableHeight = height;
    SDL_GL_GetDrawableSize(m_Window, &drawableWidth, &drawableHeight);
    bool stretched = drawableWidth != width || drawableHeight != height;
    if (!stretched && DrawPicture(source, width, height)) return SwapWindow();
    glDisable(GL_SCISSOR_TEST); // left on by guard-band draws; the copies below take whole pictures
    if (source->m_Samples > 0) {
        // A multisampled picture is resolved at its own size before it is turned and stretched.
        if (m_ResolveRenderbuffer == 0 || m_ResolveWidth != width || m_ResolveHeight != height) {
            if (m_ResolveRenderbuffer == 0) glGenRenderbuffers(1, &m_ResolveRenderbuffer);
            glBindRenderbuffer(GL_RENDERBUFFER, m_ResolveRenderbuffer);
            glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
            m_ResolveWidth = width;
            m_ResolveHeight = height;
        }
        glBindFramebuffer(GL_READ_FRAMEBUFFER, m_ReadFramebuffer);
        source->Attach(GL_READ_FRAMEBUFFER);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_CopyFramebuffer);
        glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                  m_ResolveRenderbuffer);
        glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, 0);
        glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, m_CopyFramebuffer);
    } else {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, m_ReadFramebuffer);
        source->Attach(GL_READ_FRAMEBUFFER);
    }
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    // A scissor over the whole window cuts nothing, but it sends the copy down the driver's drawing
    // path, as StretchRect does for surface copies: a software driver then holds the frame at the
    // present less often while its threads finish the frame's drawing.
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, drawableWidth, drawableHeight);
    // The window shows the whole back buffer, stretched to its client area, top row at the top.
    glBlitFramebuffer(0, 0, width, height, 0, drawableHeight, drawableWidth, 0, GL_COLOR_BUFFER_BIT,
                      stretched ? GL_LINEAR : GL_NEAREST);
    glDisable(GL_SCISSOR_TEST);
    return SwapWindow();
}

D3DResult GLDevice::PresentColour(uint32_t colour)
{
    FinishPresent();
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(float((colour >> 16) & 0xFF) / 255.0f, float((colour >> 8) & 0xFF) / 255.0f,
                 float(colour & 0xFF) / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    // The colour mask and the scissor are set again at the next draw.
    m_RenderStatesDirty = true;
    m_ViewportMode = -1;
    return SwapWindow();
}

D3DResult GLDevice::SwapWindow()
{
    SDL_GL_SwapWindow(m_Window);
    m_TargetsDirty = true;
    return glGetError() == GL_NO_ERROR ? D3D_OK : D3DERR_DEVICELOST;
}

D3DResult GLDevice::GetDeviceCaps(D3DCaps* caps)
{
    caps->deviceType = D3DDEVTYPE_HAL;
    caps->devCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
    caps->rasterCaps = D3DPRASTERCAPS_FOGTABLE | D3DPRASTERCAPS_FOGVERTEX;
    caps->maxTextureWidth = caps->maxTextureHeight = m_MaxTextureSize;
    caps->numberOfAdaptersInGroup = 1;
    caps->masterAdapterOrdinal = 0;
    return D3D_OK;
}

D3DResult GLDevice::GetBackBuffer(D3DSurface** surface)
{
    if (m_BackBuffer == nullptr || surface == nullptr) return D3DERR_INVALIDCALL;
    m_BackBuffer->AddRef();
    *surface = m_BackBuffer;
    return D3D_OK;
}

bool GLDevice::DepthInUse() const
{
    // Without the depth test no depth is read or written, and without the stencil test no stencil.
    return m_RenderStates[D3DRS_ZENABLE] != 0 || m_RenderStates[D3DRS_STENCILENABLE] != 0;
}

void GLDevice::BindTargets(bool depth)
{
    glBindFramebuffer(GL_FRAMEBUFFER, m_DrawFramebuffer);
    // A depth surface of another sample count cannot be used with the target: drawing goes on
    // without depth rather than not at all.
    bool attachDepth = depth && m_DepthTarget != nullptr && m_Target != nullptr &&
                       m_DepthTarget->m_Samples == m_Target->m_Samples;
    if (!m_TargetsDirty && attachDepth == m_DepthAttached) return;
    if (m_TargetsDirty) {
        m_TargetsDirty = false;
        if (m_Target != nullptr) m_Target->Attach(GL_DRAW_FRAMEBUFFER);
        GLenum buffer = GL_COLOR_ATTACHMENT0;
        glDrawBuffers(1, &buffer);
        m_ViewportMode = -1;
        glDepthRange(m_Viewport.minZ, m_Viewport.maxZ);
    }
    glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, 0);
    if (attachDepth) m_DepthTarget->Attach(GL_DRAW_FRAMEBUFFER);
    m_DepthAttached = attachDepth;
}

int32_t GLDevice::GuardBandFactor(bool guardBand) const
{
    const D3DViewport& v = m_Viewport;
    int32_t factor = guardBand && v.width % 2 == 0 && v.height % 2 == 0 ? GUARD_BAND_MAX_FACTOR : 1;
    while (factor > 1 && (factor * v.width > m_MaxViewport[0] || factor * v.height > m_MaxViewport[1]))
        factor /= 2;
    return factor;
}

void GLDevice::ApplyViewport(bool guardBand)
{
    const D3DViewport& v = m_Viewport;
    // The viewport grows about its centre by the largest power of two up to 8 that the driver
    // allows, so that what falls well off the picture (particles dropping out of the room) is
    // still inside the clip volume and never sends a batch through the driver's clipper. A clip-space
    // factor of exactly one over a power of two gives the same window coordinates to the last bit,
    // and the centre stays on whole pixels for even sides, so no pixel moves.
    int32_t factor = GuardBandFactor(guardBand);
    if (factor == m_ViewportMode) return;
    m_ViewportMode = factor;
    m_GuardScale = 1.0f / float(factor);
    if (factor > 1) {
        glViewport(v.x - (factor - 1) * v.width / 2, v.y - (factor - 1) * v.height / 2, factor * v.width,
                   factor * v.height);
        glEnable(GL_SCISSOR_TEST);
        glScissor(v.x, v.y, v.width, v.height);
    } else {
        glViewport(v.x, v.y, v.width, v.height);
        glDisable(GL_SCISSOR_TEST);
    }
}

D3DResult GLDevice::Clear(uint32_t flags, uint32_t colour, float z, uint32_t stencil)
{
    FinishPresent();
    if (m_Target == nullptr) return D3DERR_INVALIDCALL;
    BindTargets(DepthInUse() || (flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) != 0);
    // Only the viewport is cleared, whatever the write masks say.
    glEnable(GL_SCISSOR_TEST);
    glScissor(m_Viewport.x, m_Viewport.y, m_Viewport.width, m_Viewport.height);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glStencilMask(0xFFu);
    GLbitfield mask = 0;
    if ((flags & D3DCLEAR_TARGET) != 0) mask |= GL_COLOR_BUFFER_BIT;
    if ((flags & D3DCLEAR_ZBUFFER) != 0) mask |= GL_DEPTH_BUFFER_BIT;
    if ((flags & D3DCLEAR_STENCIL) != 0) mask |= GL_STENCIL_BUFFER_BIT;
    glClearColor(float((colour >> 16) & 0xFF) / 255.0f, float((colour >> 8) & 0xFF) / 255.0f,
                 float(colour & 0xFF) / 255.0f, float(colour >> 24) / 255.0f);
    glClearDepth(z);
    glClearStencil(GLint(stencil & 0xFF));
    glClear(mask);
    glDisable(GL_SCISSOR_TEST);
    m_RenderStatesDirty = true;
    m_ViewportMode = -1;
    return D3D_OK;
}

D3DResult GLDevice::SetViewport(const D3DViewport* viewport)
{
    if (viewport == nullptr || viewport->width <= 0 || viewport->height <= 0) return D3DERR_INVALIDCALL;
    m_Viewport = *viewport;
    m_ViewportMode = -1;
    ApplyViewport(false);
    glDepthRange(m_Viewport.minZ, m_Viewport.maxZ);
    return D3D_OK;
}

D3DResult GLDevice::GetViewport(D3DViewport* viewport)
{
    *viewport = m_Viewport;
    return D3D_OK;
}

void GLDevice::SetViewportToTarget()
{
    if (m_Target == nullptr) return;
    D3DViewport whole = {0, 0, m_Target->m_Width, m_Target->m_Height, 0.0f, 1.0f};
    SetViewport(&whole);
}

D3DResult GLDevice::SetTransform(int32_t kind, const D3DMatrix* matrix)
{
    if (matrix == nullptr) return D3DERR_INVALIDCALL;
    switch (kind) {
    case D3DTS_VIEW:
        m_View = *matrix;
        break;
    case D3DTS_PROJECTION:
        m_Projection = *matrix;
        break;
    case D3DTS_WORLD:
        m_World = *matrix;
        break;
    default:
        return D3DERR_INVALIDCALL;
    }
    m_TransformsDirty = true;
    return D3D_OK;
}

D3DResult GLDevice::SetRenderState(int32_t state, uint32_t value)
{
    if (state < 0 || state >= D3D_RENDER_STATE_COUNT) return D3DERR_INVALIDCALL;
    m_RenderStates[state] = value;
    m_RenderStatesDirty = true;
    return D3D_OK;
}

D3DResult GLDevice::GetRenderState(int32_t state, uint32_t* value)
{
    if (state < 0 || state >= D3D_RENDER_STATE_COUNT || value == nullptr) return D3DERR_INVALIDCALL;
    *value = m_RenderStates[state];
    return D3D_OK;
}

D3DResult GLDevice::SetSamplerState(int32_t sampler, int32_t type, uint32_t value)
{
    if (sampler < 0 || sampler >= D3D_SAMPLER_COUNT || type < 0 || type >= D3D_SAMPLER_STATE_COUNT)
        return D3DERR_INVALIDCALL;
    m_SamplerStates[sampler][type] = value;
    m_SamplersDirty |= 1u << sampler;
    return D3D_OK;
}

D3DResult GLDevice::SetTextureStageState(int32_t stage, int32_t type, uint32_t value)
{
    // The fixed-function pipeline here has one stage; later stages keep Direct3D's "disabled".
    if (stage != 0) return D3D_OK;
    if (type < 0 || type >= D3D_STAGE_STATE_COUNT) return D3DERR_INVALIDCALL;
    m_StageStates[type] = value;
    return D3D_OK;
}

D3DResult GLDevice::SetTexture(int32_t stage, D3DTexture* texture)
{
    if (stage < 0 || stage >= D3D_SAMPLER_COUNT) return D3DERR_INVALIDCALL;
    GLTexture* t = static_cast<GLTexture*>(texture);
    if (t != nullptr && t->m_Pool == D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
    if (t == m_Textures[stage]) return D3D_OK;
    Assign<GLTexture>(m_Textures[stage], t);
    m_TexturesDirty |= 1u << stage;
    return D3D_OK;
}

D3DResult GLDevice::CreateTexture(int32_t width, int32_t height, int32_t levels, uint32_t usage,
                                  int32_t format, int32_t pool, D3DTexture** texture)
{
    if (texture == nullptr || width <= 0 || height <= 0 || width > m_MaxTextureSize ||
        height > m_MaxTextureSize)
        return D3DERR_INVALIDCALL;
    if (levels <= 0) {
        levels = 1;
        while ((width >> levels) > 0 || (height >> levels) > 0)
            ++levels;
    }
    auto* t = new GLTexture(this, width, height, levels, usage, format, pool);
    if (!t->CreateStorage()) {
        t->Release();
        return D3DERR_INVALIDCALL;
    }
    *texture = t;
    return D3D_OK;
}

D3DResult GLDevice::CreateRenderTarget(int32_t width, int32_t height, int32_t format, int32_t multiSample,
                                       bool lockable, D3DSurface** surface)
{
    GLFormat f;
    if (surface == nullptr || width <= 0 || height <= 0 || !GL_FindFormat(format, &f) || f.compressed ||
        f.depth)
        return D3DERR_INVALIDCALL;
    if (multiSample > m_MaxSamples) return D3DERR_NOTAVAILABLE;
    return MakeRenderbufferSurface(this, width, height, format, f, multiSample, D3DUSAGE_RENDERTARGET, lockable,
                                   surface);
}

D3DResult GLDevice::CreateDepthStencilSurface(int32_t width, int32_t height, int32_t format,
                                              int32_t multiSample, bool, D3DSurface** surface)
{
    GLFormat f;
    if (surface == nullptr || width <= 0 || height <= 0 || !GL_FindFormat(format, &f) || !f.depth)
        return D3DERR_INVALIDCALL;
    if (multiSample > m_MaxSamples) return D3DERR_NOTAVAILABLE;
    return MakeRenderbufferSurface(this, width, height, format, f, multiSample, D3DUSAGE_DEPTHSTENCIL, false,
                                   surface);
}

D3DResult GLDevice::UpdateTexture(D3DTexture* source, D3DTexture* destination)
{
    FinishPresent();
    auto* from = static_cast<GLTexture*>(source);
    auto* to = static_cast<GLTexture*>(destination);
    if (from == nullptr || to == nullptr || from->m_Pool != D3DPOOL_SYSTEMMEM ||
        to->m_Pool == D3DPOOL_SYSTEMMEM || from->m_Format != to->m_Format || from->m_Width != to->m_Width ||
        from->m_Height != to->m_Height)
        return D3DERR_INVALIDCALL;
    int32_t levels = std::min(from->m_Levels, to->m_Levels);
    for (int32_t level = 0; level < levels; ++level)
        to->UploadLevel(level, from->m_System[size_t(level)].data());
    return glGetError() == GL_NO_ERROR ? D3D_OK : D3DERR_INVALIDCALL;
}

D3DResult GLDevice::StretchRect(D3DSurface* source, const D3DRect* sourceRect, D3DSurface* destination,
                                const D3DRect* destinationRect, uint32_t filter)
{
    FinishPresent();
    auto* from = static_cast<GLSurface*>(source);
    auto* to = static_cast<GLSurface*>(destination);
    if (from == nullptr || to == nullptr || from == to || from->m_Kind == GLSurface::SYSTEM_LEVEL ||
        to->m_Kind == GLSurface::SYSTEM_LEVEL || from->IsDepth() != to->IsDepth())
        return D3DERR_INVALIDCALL;
    D3DRect s = sourceRect != nullptr ? *sourceRect : D3DRect{0, 0, from->m_Width, from->m_Height};
    D3DRect d = destinationRect != nullptr ? *destinationRect : D3DRect{0, 0, to->m_Width, to->m_Height};
    auto inside = [](const D3DRect& r, const GLSurface* surface) {
        return r.left >= 0 && r.top >= 0 && r.right <= surface->m_Width && r.bottom <= surface->m_Height &&
               r.left < r.right && r.top < r.bottom;
    };
    if (!inside(s, from) || !inside(d, to)) return D3DERR_INVALIDCALL;
    bool sameSize = s.right - s.left == d.right - d.left && s.bottom - s.top == d.bottom - d.top;
    if ((from->m_Samples > 0 && !sameSize) || to->m_Samples > 0) {
        if (to->m_Samples > 0 || from->m_Samples != to->m_Samples) return D3DERR_INVALIDCALL;
    }
    GLbitfield mask = from->IsDepth() ? GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT : GL_COLOR_BUFFER_BIT;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_ReadFramebuffer);
    glFramebufferRenderbuffer(GL_READ_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, 0);
    glFramebufferRenderbuffer(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, 0);
    from->Attach(GL_READ_FRAMEBUFFER);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_CopyFramebuffer);
    glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, 0);
    glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, 0);
    to->Attach(GL_DRAW_FRAMEBUFFER);
    if (!from->IsDepth()) {
        glReadBuffer(GL_COLOR_ATTACHMENT0);
        GLenum buffer = GL_COLOR_ATTACHMENT0;
        glDrawBuffers(1, &buffer);
    }
    if (from->IsDepth() || from->m_Samples > 0) {
        glDisable(GL_SCISSOR_TEST);
    } else {
        // A scissor at the destination cuts nothing, yet it makes the driver copy by drawing, in
        // order with the drawing before it, where a plain copy would first wait for that drawing.
        glEnable(GL_SCISSOR_TEST);
        glScissor(d.left, d.top, d.right - d.left, d.bottom - d.top);
    }
    GLenum glFilter = filter == D3DTEXF_LINEAR && !from->IsDepth() && !sameSize ? GL_LINEAR : GL_NEAREST;
    glBlitFramebuffer(s.left, s.top, s.right, s.bottom, d.left, d.top, d.right, d.bottom, mask, glFilter);
    m_TargetsDirty = true;
    return glGetError() == GL_NO_ERROR ? D3D_OK : D3DERR_INVALIDCALL;
}

D3DResult GLDevice::GetRenderTarget(int32_t index, D3DSurface** surface)
{
    if (index != 0 || surface == nullptr || m_Target == nullptr) return D3DERR_NOTAVAILABLE;
    m_Target->AddRef();
    *surface = m_Target;
    return D3D_OK;
}

D3DResult GLDevice::SetRenderTarget(int32_t index, D3DSurface* surface)
{
    auto* s = static_cast<GLSurface*>(surface);
    if (index != 0 || s == nullptr || s->IsDepth() || s->m_Kind == GLSurface::SYSTEM_LEVEL)
        return D3DERR_INVALIDCALL;
    Assign<GLSurface>(m_Target, s);
    m_TargetsDirty = true;
    // A new target is drawn whole until a viewport says otherwise.
    SetViewportToTarget();
    return D3D_OK;
}

D3DResult GLDevice::GetDepthStencilSurface(D3DSurface** surface)
{
    if (surface == nullptr || m_DepthTarget == nullptr) return D3DERR_NOTAVAILABLE;
    m_DepthTarget->AddRef();
    *surface = m_DepthTarget;
    return D3D_OK;
}

D3DResult GLDevice::SetDepthStencilSurface(D3DSurface* surface)
{
    auto* s = static_cast<GLSurface*>(surface);
    if (s != nullptr && !s->IsDepth()) return D3DERR_INVALIDCALL;
    Assign<GLSurface>(m_DepthTarget, s);
    m_TargetsDirty = true;
    return D3D_OK;
}

D3DResult GLDevice::CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t, int32_t,
                                       D3DVertexBuffer** buffer)
{
    if (length == 0 || buffer == nullptr) return D3DERR_INVALIDCALL;
    glGetError();
    auto* b = new GLVertexBuffer(length, usage);
    if (glGetError() != GL_NO_ERROR) {
        b->Release();
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    *buffer = b;
    return D3D_OK;
}

D3DResult GLDevice::CreateVertexDeclaration(const D3DVertexElement* elements,
                                            D3DVertexDeclaration** declaration)
{
    if (elements == nullptr || declaration == nullptr) return D3DERR_INVALIDCALL;
    *declaration = new GLVertexDeclaration(elements);
    return D3D_OK;
}

D3DResult GLDevice::SetFVF(uint32_t fvf)
{
    m_FVF = fvf;
    if (fvf == 0) return D3D_OK;
    auto found = m_FVFDeclarations.find(fvf);
    if (found == m_FVFDeclarations.end())
        found = m_FVFDeclarations.emplace(fvf, new GLVertexDeclaration(FVFElements(fvf).data())).first;
    Assign<GLVertexDeclaration>(m_Declaration, found->second);
    return D3D_OK;
}

D3DResult GLDevice::SetVertexDeclaration(D3DVertexDeclaration* declaration)
{
    Assign<GLVertexDeclaration>(m_Declaration, static_cast<GLVertexDeclaration*>(declaration));
    m_FVF = 0;
    return D3D_OK;
}

D3DResult GLDevice::SetStreamSource(int32_t stream, D3DVertexBuffer* buffer, uint32_t offset, uint32_t stride)
{
    if (stream != 0) return D3DERR_INVALIDCALL;
    Assign<GLVertexBuffer>(m_Stream, static_cast<GLVertexBuffer*>(buffer));
    m_StreamOffset = offset;
    m_StreamStride = stride;
    return D3D_OK;
}

} // namespace gldevice
