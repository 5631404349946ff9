// The device interface over OpenGL 3.3 core: objects and the device itself. Only the files of this
// folder include it.
#pragma once

#include <SDL.h>
#include <epoxy/gl.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "graphics/Graphics_DeviceApi.h"

namespace gldevice {

class GLDevice;
class GLTexture;

// The most the viewport of fixed-function triangles is enlarged by (GLDevice::ApplyViewport).
constexpr int32_t GUARD_BAND_MAX_FACTOR = 8;

// True while an OpenGL context of the device is current; objects released after it is gone only
// drop their memory.
extern bool g_ContextAlive;

// How a Direct3D format is held in OpenGL.
struct GLFormat {
    GLenum internalFormat = 0;
    GLenum format = 0;
    GLenum type = 0;
    bool compressed = false;
    bool depth = false;
    bool stencil = false;
    GLint swizzle[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA};
    // The internal format a texture of it is made with, when not internalFormat: an unsized one
    // lets the driver keep the bytes in the order they are sent (GL_FindFormat).
    GLenum textureFormat = 0;
    GLenum TextureInternalFormat() const { return textureFormat != 0 ? textureFormat : internalFormat; }
};
bool GL_FindFormat(int32_t d3dFormat, GLFormat* out);

class GLSurface : public D3DSurface {
  public:
    enum Kind { TEXTURE_LEVEL, RENDERBUFFER, SYSTEM_LEVEL };

    GLSurface(GLDevice* device, Kind kind, int32_t width, int32_t height, int32_t format);
    D3DResult GetDesc(D3DSurfaceDesc* desc) override;
    D3DResult LockRect(D3DLockedRect* locked, const D3DRect* rect, uint32_t flags) override;
    D3DResult UnlockRect() override;

    // Attaches the surface to the bound draw or read framebuffer at its colour or depth point.
    void Attach(GLenum framebuffer) const;
    bool IsDepth() const { return m_Depth; }

    GLDevice* m_Device;
    Kind m_Kind;
    int32_t m_Width;
    int32_t m_Height;
    int32_t m_Format;
    int32_t m_Samples = 0;
    bool m_Lockable = false;
    bool m_Depth = false;
    bool m_Stencil = false;
    uint32_t m_Usage = 0;
    int32_t m_Pool = D3DPOOL_DEFAULT;
    GLuint m_Renderbuffer = 0;
    GLuint m_StorageTexture = 0; // RENDERBUFFER: a single-sampled colour target is held in a texture
    GLTexture* m_Texture = nullptr; // TEXTURE_LEVEL and SYSTEM_LEVEL: the owner, referenced
    int32_t m_Level = 0;
    std::vector<uint8_t> m_LockBuffer;

  protected:
    ~GLSurface() override;
};

class GLTexture : public D3DTexture {
  public:
    GLTexture(GLDevice* device, int32_t width, int32_t height, int32_t levels, uint32_t usage, int32_t format,
              int32_t pool);
    int32_t GetLevelCount() override { return m_Levels; }
    D3DResult GetLevelDesc(int32_t level, D3DSurfaceDesc* desc) override;
    D3DResult GetSurfaceLevel(int32_t level, D3DSurface** surface) override;
    D3DResult LockRect(int32_t level, D3DLockedRect* locked, const D3DRect* rect, uint32_t flags) override;
    D3DResult UnlockRect(int32_t level) override;
    D3DResult AddDirtyRect(const D3DRect*) override { return D3D_OK; }
    void PreLoad() override {}
    uint32_t SetPriority(uint32_t priority) override;

    bool CreateStorage();
    int32_t LevelWidth(int32_t level) const;
    int32_t LevelHeight(int32_t level) const;
    size_t LevelBytes(int32_t level) const;
    // Sends a level's pixels (top row first, tightly packed) to OpenGL.
    void UploadLevel(int32_t level, const uint8_t* pixels);
    // Whether every texel of level 0 in [x0, x1) x [y0, y1) is known to have full alpha: always for
    // a format read without alpha, else as the level's last upload left it, and never once the
    // level has been drawn into (ForgetOpacity).
    bool TexelsOpaque(int32_t x0, int32_t y0, int32_t x1, int32_t y1) const;
    void ForgetOpacity() { m_Opaque.clear(); }

    GLDevice* m_Device;
    GLuint m_Name = 0;
    int32_t m_Width;
    int32_t m_Height;
    int32_t m_Levels;
    uint32_t m_Usage;
    int32_t m_Format;
    int32_t m_Pool;
    uint32_t m_Priority = 0;
    GLFormat m_GL;
    std::vector<std::vector<uint8_t>> m_System; // system-memory levels
    // A bit a texel of level 0 (rows of m_OpaqueRowWords words), set where alpha is full; empty
    // when nothing is known.
    std::vector<uint64_t> m_Opaque;
    size_t m_OpaqueRowWords = 0;
    int32_t m_LockedLevel = -1;
    std::vector<uint8_t> m_LockScratch;

  protected:
    ~GLTexture() override;

  private:
    void NoteOpacity(const uint8_t* pixels);
};

class GLVertexBuffer : public D3DVertexBuffer {
  public:
    GLVertexBuffer(uint32_t length, uint32_t usage);
    D3DResult Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) override;
    D3DResult Unlock() override { return D3D_OK; }
    // Makes bytes [first, last) current on the OpenGL buffer before a draw reads them.
    void Upload(uint32_t first, uint32_t last);

    GLuint m_Name = 0;
    uint32_t m_Length;
    uint32_t m_Usage;
    std::vector<uint8_t> m_Data;
    uint32_t m_DirtyFirst = 0; // written since the last upload: [first, last)
    uint32_t m_DirtyLast = 0;
    bool m_Orphan = false;

  protected:
    ~GLVertexBuffer() override;
};

class GLVertexDeclaration : public D3DVertexDeclaration {
  public:
    explicit GLVertexDeclaration(const D3DVertexElement* elements);
    std::vector<D3DVertexElement> m_Elements;
    uint32_t m_Signature = 0; // the attributes present, for the program key
};

// A game shader's program and where the device's own uniforms live in it.
class GLShaderProgram : public D3DShaderProgram {
  public:
    GLuint m_Name = 0;
    GLint m_PixelFix = -1;
    GLint m_AlphaTest = -1;

  protected:
    ~GLShaderProgram() override;
};

// A fixed-function program and where its uniforms live.
struct GLProgram {
    GLuint name = 0;
    GLint worldViewProjection = -1;
    GLint pixelFix = -1;
    GLint alphaTest = -1;
    GLint viewportSize = -1;
    GLint guardScale = -1;
    // Lighting and fog.
    GLint worldView = -1;
    GLint ambient = -1;
    GLint materialDiffuse = -1;
    GLint lightKind = -1;
    GLint lightColour = -1;
    GLint lightVector = -1;
    GLint lightRange = -1;
    GLint fog = -1;
    GLint fogColour = -1;
};

// How a draw reaches the driver (GLDevice::ChooseRoute). Without a depth-stencil surface attached
// the driver draws a batch's screen-aligned rectangles whole rather than as two triangles.
enum class DrawRoute {
    RECTANGLES, // no depth-stencil surface: rectangles may be drawn whole (points and lines as ever)
    TRIANGLES,  // no depth-stencil surface, and a program that keeps the driver to triangles
    WITH_DEPTH, // the depth-stencil surface attached, as every draw once was
};

class GLDevice : public D3DDevice {
  public:
    GLDevice(SDL_Window* window, bool ownWindow, SDL_GLContext context);
    bool Start(D3DPresentParameters* parameters);

    D3DResult TestCooperativeLevel() override { return D3D_OK; }
    D3DResult Reset(D3DPresentParameters* parameters) override;
    D3DResult BeginScene() override;
    D3DResult EndScene() override;
    D3DResult Present() override;
    D3DResult PresentFrom(D3DSurface* source) override;
    D3DResult PresentLater(D3DSurface* source) override;
    void FinishPresent() override
    {
        if (m_WaitingPicture != nullptr) ShowWaitingPicture();
    }
    D3DResult PresentColour(uint32_t colour) override;
    D3DResult GetDeviceCaps(D3DCaps* caps) override;
    D3DResult GetBackBuffer(D3DSurface** surface) override;
    D3DResult Clear(uint32_t flags, uint32_t colour, float z, uint32_t stencil) override;
    D3DResult SetViewport(const D3DViewport* viewport) override;
    D3DResult GetViewport(D3DViewport* viewport) override;
    D3DResult SetTransform(int32_t kind, const D3DMatrix* matrix) override;
    D3DResult SetRenderState(int32_t state, uint32_t value) override;
    D3DResult GetRenderState(int32_t state, uint32_t* value) override;
    D3DResult SetSamplerState(int32_t sampler, int32_t type, uint32_t value) override;
    D3DResult SetTextureStageState(int32_t stage, int32_t type, uint32_t value) override;
    D3DResult SetTexture(int32_t stage, D3DTexture* texture) override;
    D3DResult SetLight(int32_t index, const D3DLight* light) override;
    D3DResult LightEnable(int32_t index, bool on) override;
    D3DResult SetMaterial(const D3DMaterial* material) override;
    D3DResult CreateTexture(int32_t width, int32_t height, int32_t levels, uint32_t usage, int32_t format,
                            int32_t pool, D3DTexture** texture) override;
    D3DResult CreateRenderTarget(int32_t width, int32_t height, int32_t format, int32_t multiSample,
                                 bool lockable, D3DSurface** surface) override;
    D3DResult CreateDepthStencilSurface(int32_t width, int32_t height, int32_t format, int32_t multiSample,
                                        bool discard, D3DSurface** surface) override;
    D3DResult UpdateTexture(D3DTexture* source, D3DTexture* destination) override;
    D3DResult StretchRect(D3DSurface* source, const D3DRect* sourceRect, D3DSurface* destination,
                          const D3DRect* destinationRect, uint32_t filter) override;
    D3DResult GetRenderTarget(int32_t index, D3DSurface** surface) override;
    D3DResult SetRenderTarget(int32_t index, D3DSurface* surface) override;
    D3DResult GetDepthStencilSurface(D3DSurface** surface) override;
    D3DResult SetDepthStencilSurface(D3DSurface* surface) override;
    D3DResult CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, int32_t pool,
                                 D3DVertexBuffer** buffer) override;
    D3DResult CreateVertexDeclaration(const D3DVertexElement* elements,
                                      D3DVertexDeclaration** declaration) override;
    D3DResult SetFVF(uint32_t fvf) override;
    D3DResult SetVertexDeclaration(D3DVertexDeclaration* declaration) override;
    D3DResult SetStreamSource(int32_t stream, D3DVertexBuffer* buffer, uint32_t offset,
                              uint32_t stride) override;
    D3DResult DrawPrimitive(int32_t type, uint32_t startVertex, uint32_t primitiveCount) override;
    D3DResult DrawPrimitiveUP(int32_t type, uint32_t primitiveCount, const void* vertices,
                              uint32_t stride) override;
    D3DResult CreateShaderProgram(const char* vertexSource, const char* fragmentSource,
                                  const D3DShaderSampler* samplers, int32_t samplerCount,
                                  D3DShaderProgram** program, D3DShaderError* error) override;
    D3DResult SetShaderProgram(D3DShaderProgram* program) override;
    D3DResult SetShaderConstants(int32_t stage, const void* data, uint32_t size) override;

    // Helpers for the objects: the scratch framebuffers of copies and read-backs.
    GLuint ReadFramebuffer() const { return m_ReadFramebuffer; }
    GLuint CopyFramebuffer() const { return m_CopyFramebuffer; }
    void TargetsChanged() { m_TargetsDirty = true; }
    // An object bound a texture of its own: the stage bindings are made again before the next draw.
    void TexturesChanged() { m_TexturesDirty = 0xFFFFu; }
    int32_t MaxSamples() const { return m_MaxSamples; }

  protected:
    ~GLDevice() override;

  private:
    bool MakeBackBuffer(const D3DPresentParameters& parameters);
    void ReleaseBackBuffer();
    // Whether `source` can be shown as the back buffer would be: same size, format and sampling.
    bool ShowableAsBackBuffer(const GLSurface* source) const;
    // Shows `source` (the back buffer, or a surface of its size) in the window.
    D3DResult PresentPicture(const GLSurface* source);
    void ShowWaitingPicture();
    // Shows what the window's framebuffer holds; DEVICELOST when OpenGL reported an error.
    D3DResult SwapWindow();
    // Draws a single-sampled picture of the window's size into the window, top row at the top
    // (Graphics_GLPictureM.cpp); false when it cannot be drawn so and must be blitted.
    bool DrawPicture(const GLSurface* source, int32_t width, int32_t height);
    // Made at the first present that draws, so that a start that presents nothing compiles nothing
    // (a driver short of memory crashed in its compiler); nothing is made when the window cannot take
    // the drawing or the program does not link, and the picture is blitted.
    void MakePictureProgram();
    void ReleasePictureProgram();
    void ApplyWindowMode(const D3DPresentParameters& parameters);
    void SetDefaultStates();
    // Binds the drawing framebuffer with the current target, and the depth-stencil surface only
    // when `depth` asks for it (DepthInUse): the driver shades screen-aligned rectangles on a faster
    // path only into a framebuffer without one. Detaching keeps the surface's contents.
    void BindTargets(bool depth);
    bool DepthInUse() const;
    void ApplyRenderStates();
    // Blending on or off for the draw being made: off when it is on in the states but the draw's
    // every fragment has full alpha and the factors then keep the source as it is (m_OpaqueDraw).
    void ApplyBlend();
    void ApplySamplers();
    void ApplyTextures();
    bool PrepareDraw(GLuint buffer, uint32_t stride, uint32_t startByte, bool triangles);
    // The route of a draw of `count` vertices of the current layout (Graphics_GLRouteM.cpp).
    DrawRoute ChooseRoute(int32_t type, const uint8_t* vertices, uint32_t stride, uint32_t count);
    const D3DMatrix& WorldViewProjection();
    // The enlargement ApplyViewport gives the viewport for fixed-function triangles (guardBand) or not.
    int32_t GuardBandFactor(bool guardBand) const;
    const GLProgram* ProgramFor(uint32_t key);
    uint32_t ProgramKey() const;
    void UploadTransforms(const GLProgram& program);
    void UploadLighting(const GLProgram& program, uint32_t key);
    void SetViewportToTarget();
    // The viewport as OpenGL gets it: the device's, or for triangles of the fixed-function programs
    // twice its size about the same centre with the scissor at the device's viewport, so that
    // geometry a little outside is cut by the scissor rather than the driver's clipper.
    void ApplyViewport(bool guardBand);
    // The game shader's program with its uniforms and constant blocks (Graphics_GLShaderM.cpp).
    void UseShaderProgram();
    void ReleaseShaderObjects();

    SDL_Window* m_Window;
    bool m_OwnWindow;
    SDL_GLContext m_Context;
    D3DPresentParameters m_Parameters;
    int32_t m_MaxSamples = 0;
    int32_t m_MaxTextureSize = 4096;

    GLSurface* m_BackBuffer = nullptr;
    GLSurface* m_AutoDepth = nullptr;
    GLSurface* m_Target = nullptr;
    GLSurface* m_DepthTarget = nullptr;
    bool m_TargetsDirty = true;
    bool m_DepthAttached = false; // the depth-stencil surface is attached to the drawing framebuffer
    DrawRoute m_Route = DrawRoute::WITH_DEPTH; // of the draw being made
    bool m_OpaqueDraw = false; // every fragment of the draw being made has full alpha (ChooseRoute)
    bool m_WhiteDraw = false;  // every vertex colour of the draw being made is opaque white (ChooseRoute)
    bool m_BlendOn = false;    // GL_BLEND as last applied
    GLuint m_DrawFramebuffer = 0;
    GLuint m_ReadFramebuffer = 0;
    GLuint m_CopyFramebuffer = 0;
    GLuint m_ResolveRenderbuffer = 0;
    // The picture PresentLater left for the window, held until it is shown (FinishPresent). Every
    // call that could change it, or the window's picture, shows it first.
    GLSurface* m_WaitingPicture = nullptr;
    GLuint m_PictureProgram = 0; // DrawPicture's objects, made at the first present that draws
    GLuint m_PictureVertexArray = 0;
    GLuint m_PictureSampler = 0;
    bool m_PictureTried = false;
    int32_t m_ResolveWidth = 0;
    int32_t m_ResolveHeight = 0;

    D3DViewport m_Viewport = {0, 0, 0, 0, 0.0f, 1.0f};
    int32_t m_ViewportMode = -1; // as applied: -1 unknown, else the viewport's enlargement factor
    float m_GuardScale = 1.0f;   // clip-space x and y factor of the applied mode
    GLint m_MaxViewport[2] = {0, 0};
    uint32_t m_RenderStates[D3D_RENDER_STATE_COUNT] = {};
    bool m_RenderStatesDirty = true;
    uint32_t m_SamplerStates[D3D_SAMPLER_COUNT][D3D_SAMPLER_STATE_COUNT] = {};
    uint32_t m_SamplersDirty = 0xFFFFu;
    GLuint m_Samplers[D3D_SAMPLER_COUNT] = {};
    uint32_t m_StageStates[D3D_STAGE_STATE_COUNT] = {};
    GLTexture* m_Textures[D3D_SAMPLER_COUNT] = {};
    uint32_t m_TexturesDirty = 0xFFFFu;

    D3DMatrix m_World;
    D3DMatrix m_View;
    D3DMatrix m_Projection;
    D3DMatrix m_WorldViewProjection;
    bool m_TransformsDirty = true;

    D3DLight m_Lights[D3D_LIGHT_COUNT] = {};
    bool m_LightOn[D3D_LIGHT_COUNT] = {};
    bool m_LightSet[D3D_LIGHT_COUNT] = {};
    D3DMaterial m_Material;

    uint32_t m_FVF = 0;
    GLVertexDeclaration* m_Declaration = nullptr;
    std::map<uint32_t, GLVertexDeclaration*> m_FVFDeclarations;
    GLVertexBuffer* m_Stream = nullptr;
    uint32_t m_StreamOffset = 0;
    uint32_t m_StreamStride = 0;
    GLuint m_VertexArray = 0;
    GLuint m_ScratchBuffer = 0;
    uint32_t m_ScratchSize = 0;

    GLShaderProgram* m_ShaderProgram = nullptr;
    std::vector<uint8_t> m_ShaderConstants[2];
    bool m_ShaderConstantsDirty[2] = {false, false};
    GLuint m_ShaderBuffers[2] = {0, 0};

    std::map<uint32_t, GLProgram> m_Programs;
    const GLProgram* m_CurrentProgram = nullptr;
    bool m_InScene = false;
};

class GLInterface : public D3DInterface {
  public:
    GLInterface();
    int32_t GetAdapterCount() override;
    D3DResult GetAdapterDisplayMode(int32_t adapter, D3DDisplayMode* mode) override;
    int32_t GetAdapterModeCount(int32_t adapter) override;
    D3DResult EnumAdapterModes(int32_t adapter, int32_t index, D3DDisplayMode* mode) override;
    D3DResult GetAdapterIdentifier(int32_t adapter, D3DAdapterIdentifier* identifier) override;
    D3DResult GetDeviceCaps(int32_t adapter, D3DCaps* caps) override;
    D3DResult CheckDeviceMultiSampleType(int32_t adapter, int32_t format, bool windowed,
                                         int32_t multiSample) override;
    D3DResult CreateDevice(int32_t adapter, void* window, uint32_t behaviour,
                           D3DPresentParameters* parameters, D3DDevice** device) override;

    bool m_StartedVideo = false;

  protected:
    ~GLInterface() override;
};

// Holds a reference in a slot: the new object gains one, the old one loses one.
template <typename T> void Assign(T*& slot, T* object)
{
    if (object != nullptr) object->AddRef();
    if (slot != nullptr) slot->Release();
    slot = object;
}

// The most samples any device made so far supports (0 before the first device).
extern int32_t g_MaxSamples;

// The fixed-function programs: the source text for a key, and the key's parts.
enum : uint32_t {
    KEY_HAS_COLOUR = 1u << 0,
    KEY_HAS_TEXCOORD = 1u << 1,
    KEY_TRANSFORMED = 1u << 2,
    KEY_TEXTURED = 1u << 3,
    KEY_FLAT = 1u << 4,
    KEY_ALPHA_TEST = 1u << 5,
    KEY_HAS_NORMAL = 1u << 6,
    KEY_LIGHTING = 1u << 7,  // never for screen-space vertices
    KEY_COLOUR_OP_SHIFT = 8, // 2 bits op, 2 bits arg1, 2 bits arg2
    KEY_ALPHA_OP_SHIFT = 14, // likewise
    KEY_FOG_SHIFT = 20,      // 2 bits: the fog mode (D3DFOG_*), 0 without fog
    KEY_FOG_TABLE = 1u << 22, // per pixel on eye depth, else per vertex
    KEY_FOG_RANGE = 1u << 23, // per-vertex fog on the eye distance
    KEY_KEEP_TRIANGLES = 1u << 24, // a flat input the colour is multiplied by: the driver then draws
                                   // no rectangles whole (DrawRoute::TRIANGLES)
    KEY_WHITE = 1u << 25,          // every vertex colour of the draw is opaque white: the program takes
                                   // the constant instead of interpolating it (m_WhiteDraw)
};
// The fog part of a program key for the device's fog states (screen-space vertices get none).
uint32_t GL_FogKey(const uint32_t* renderStates, bool transformed);
bool GL_BuildProgram(uint32_t key, GLProgram* program);
// Compiles and links a vertex and fragment pair; 0 (and the log on the console) when it fails,
// with the failing stage and the driver's message in `error` when one is given.
GLuint GL_LinkProgram(const std::string& vertexSource, const std::string& fragmentSource,
                      D3DShaderError* error = nullptr);

// Generic vertex attribute locations by declaration usage (and usage index).
GLint GL_AttributeLocation(uint8_t usage, uint8_t usageIndex);

} // namespace gldevice
