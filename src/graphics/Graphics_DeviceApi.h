// The device interface the graphics layer draws through: the operations of a Direct3D 9 device,
// with Direct3D's numbers for formats, states and primitive types, so that the drawing code keeps
// the system's own state numbers and conventions. The OpenGL back end (graphics/gl/) implements it;
// tests put a recording device in its place.
//
// Conventions every implementation keeps: pixel centres lie on whole coordinates; row 0 of every
// target, texture and read-back is the top row; clip depth runs from 0 to w; a clear touches only
// the viewport; setting render target 0 resets the viewport to the whole target; flat shading takes
// the first vertex of a triangle; the blend factors apply to alpha as well; colours are
// 0xAARRGGBB words (bytes blue, green, red, alpha in memory).
#pragma once

#include <cstdint>

using D3DResult = int32_t;

enum : int32_t {
    D3D_OK = 0,
    D3DERR_FAIL = int32_t(0x80004005u),
    D3DERR_OUTOFVIDEOMEMORY = int32_t(0x8876017Cu),
    D3DERR_DEVICELOST = int32_t(0x88760868u),
    D3DERR_DEVICENOTRESET = int32_t(0x88760869u),
    D3DERR_NOTAVAILABLE = int32_t(0x8876086Au),
    D3DERR_INVALIDCALL = int32_t(0x8876086Cu),
};

constexpr int32_t D3D_FOURCC(char a, char b, char c, char d)
{
    return int32_t(uint32_t(uint8_t(a)) | (uint32_t(uint8_t(b)) << 8) | (uint32_t(uint8_t(c)) << 16) |
                   (uint32_t(uint8_t(d)) << 24));
}

enum D3DFormat : int32_t {
    D3DFMT_UNKNOWN = 0,
    D3DFMT_A8R8G8B8 = 21,
    D3DFMT_X8R8G8B8 = 22,
    D3DFMT_R5G6B5 = 23,
    D3DFMT_A4R4G4B4 = 26,
    D3DFMT_A8 = 28,
    D3DFMT_D32 = 71,
    D3DFMT_D24S8 = 75,
    D3DFMT_D16 = 80,
    D3DFMT_R16F = 111,
    D3DFMT_R32F = 114,
    D3DFMT_DXT1 = D3D_FOURCC('D', 'X', 'T', '1'),
    D3DFMT_DXT2 = D3D_FOURCC('D', 'X', 'T', '2'),
    D3DFMT_DXT3 = D3D_FOURCC('D', 'X', 'T', '3'),
    D3DFMT_DXT4 = D3D_FOURCC('D', 'X', 'T', '4'),
    D3DFMT_DXT5 = D3D_FOURCC('D', 'X', 'T', '5'),
};

enum : int32_t { D3DPOOL_DEFAULT = 0, D3DPOOL_MANAGED = 1, D3DPOOL_SYSTEMMEM = 2 };

enum : uint32_t {
    D3DUSAGE_RENDERTARGET = 0x1,
    D3DUSAGE_DEPTHSTENCIL = 0x2,
    D3DUSAGE_WRITEONLY = 0x8,
    D3DUSAGE_DYNAMIC = 0x200,
};

enum : uint32_t { D3DLOCK_READONLY = 0x10, D3DLOCK_NOOVERWRITE = 0x1000, D3DLOCK_DISCARD = 0x2000 };

enum : int32_t {
    D3DPT_POINTLIST = 1,
    D3DPT_LINELIST = 2,
    D3DPT_LINESTRIP = 3,
    D3DPT_TRIANGLELIST = 4,
    D3DPT_TRIANGLESTRIP = 5,
    D3DPT_TRIANGLEFAN = 6,
};

// The vertices a draw of `primitives` primitives of the type reads.
inline uint32_t D3D_PrimitiveVertices(int32_t type, uint32_t primitives)
{
    switch (type) {
    case D3DPT_POINTLIST: return primitives;
    case D3DPT_LINELIST: return primitives * 2;
    case D3DPT_LINESTRIP: return primitives + 1;
    case D3DPT_TRIANGLELIST: return primitives * 3;
    default: return primitives + 2;
    }
}

enum : int32_t { D3DTS_VIEW = 2, D3DTS_PROJECTION = 3, D3DTS_WORLD = 256 };

// Render states, by their Direct3D numbers (the device keeps 0..210).
enum : int32_t {
    D3DRS_ZENABLE = 7,
    D3DRS_FILLMODE = 8,
    D3DRS_SHADEMODE = 9,
    D3DRS_ZWRITEENABLE = 14,
    D3DRS_ALPHATESTENABLE = 15,
    D3DRS_LASTPIXEL = 16,
    D3DRS_SRCBLEND = 19,
    D3DRS_DESTBLEND = 20,
    D3DRS_CULLMODE = 22,
    D3DRS_ZFUNC = 23,
    D3DRS_ALPHAREF = 24,
    D3DRS_ALPHAFUNC = 25,
    D3DRS_DITHERENABLE = 26,
    D3DRS_ALPHABLENDENABLE = 27,
    D3DRS_FOGENABLE = 28,
    D3DRS_SPECULARENABLE = 29,
    D3DRS_FOGCOLOR = 34,
    D3DRS_FOGTABLEMODE = 35,
    D3DRS_FOGSTART = 36,
    D3DRS_FOGEND = 37,
    D3DRS_FOGDENSITY = 38,
    D3DRS_RANGEFOGENABLE = 48,
    D3DRS_STENCILENABLE = 52,
    D3DRS_STENCILFAIL = 53,
    D3DRS_STENCILZFAIL = 54,
    D3DRS_STENCILPASS = 55,
    D3DRS_STENCILFUNC = 56,
    D3DRS_STENCILREF = 57,
    D3DRS_STENCILMASK = 58,
    D3DRS_STENCILWRITEMASK = 59,
    D3DRS_TEXTUREFACTOR = 60,
    D3DRS_LIGHTING = 137,
    D3DRS_AMBIENT = 139,
    D3DRS_FOGVERTEXMODE = 140,
    D3DRS_COLORVERTEX = 141,
    D3DRS_NORMALIZENORMALS = 143,
    D3DRS_COLORWRITEENABLE = 168,
    D3DRS_BLENDOP = 171,
    D3DRS_SCISSORTESTENABLE = 174,
    D3DRS_BLENDFACTOR = 193,
    D3DRS_SEPARATEALPHABLENDENABLE = 206,
    D3DRS_SRCBLENDALPHA = 207,
    D3DRS_DESTBLENDALPHA = 208,
    D3DRS_BLENDOPALPHA = 209,
};
constexpr int32_t D3D_RENDER_STATE_COUNT = 211;

enum : uint32_t { D3DZB_FALSE = 0, D3DZB_TRUE = 1 };
enum : uint32_t { D3DFILL_POINT = 1, D3DFILL_WIREFRAME = 2, D3DFILL_SOLID = 3 };
enum : uint32_t { D3DSHADE_FLAT = 1, D3DSHADE_GOURAUD = 2 };
enum : uint32_t { D3DCULL_NONE = 1, D3DCULL_CW = 2, D3DCULL_CCW = 3 };
enum : uint32_t {
    D3DCMP_NEVER = 1,
    D3DCMP_LESS = 2,
    D3DCMP_EQUAL = 3,
    D3DCMP_LESSEQUAL = 4,
    D3DCMP_GREATER = 5,
    D3DCMP_NOTEQUAL = 6,
    D3DCMP_GREATEREQUAL = 7,
    D3DCMP_ALWAYS = 8,
};
enum : uint32_t {
    D3DBLEND_ZERO = 1,
    D3DBLEND_ONE = 2,
    D3DBLEND_SRCCOLOR = 3,
    D3DBLEND_INVSRCCOLOR = 4,
    D3DBLEND_SRCALPHA = 5,
    D3DBLEND_INVSRCALPHA = 6,
    D3DBLEND_DESTALPHA = 7,
    D3DBLEND_INVDESTALPHA = 8,
    D3DBLEND_DESTCOLOR = 9,
    D3DBLEND_INVDESTCOLOR = 10,
    D3DBLEND_SRCALPHASAT = 11,
    D3DBLEND_BOTHSRCALPHA = 12,
    D3DBLEND_BOTHINVSRCALPHA = 13,
    D3DBLEND_BLENDFACTOR = 14,
    D3DBLEND_INVBLENDFACTOR = 15,
    D3DBLEND_SRCCOLOR2 = 16,
    D3DBLEND_INVSRCCOLOR2 = 17,
};
enum : uint32_t {
    D3DBLENDOP_ADD = 1,
    D3DBLENDOP_SUBTRACT = 2,
    D3DBLENDOP_REVSUBTRACT = 3,
    D3DBLENDOP_MIN = 4,
    D3DBLENDOP_MAX = 5,
};
enum : uint32_t { D3DFOG_NONE = 0, D3DFOG_EXP = 1, D3DFOG_EXP2 = 2, D3DFOG_LINEAR = 3 };
enum : uint32_t { D3DSTENCILOP_KEEP = 1 };

// Sampler states (below 17) and their values.
enum : int32_t {
    D3DSAMP_ADDRESSU = 1,
    D3DSAMP_ADDRESSV = 2,
    D3DSAMP_ADDRESSW = 3,
    D3DSAMP_BORDERCOLOR = 4,
    D3DSAMP_MAGFILTER = 5,
    D3DSAMP_MINFILTER = 6,
    D3DSAMP_MIPFILTER = 7,
};
constexpr int32_t D3D_SAMPLER_STATE_COUNT = 17;
constexpr int32_t D3D_SAMPLER_COUNT = 16;
enum : uint32_t { D3DTEXF_NONE = 0, D3DTEXF_POINT = 1, D3DTEXF_LINEAR = 2 };
enum : uint32_t {
    D3DTADDRESS_WRAP = 1,
    D3DTADDRESS_MIRROR = 2,
    D3DTADDRESS_CLAMP = 3,
    D3DTADDRESS_BORDER = 4
};

// Texture-stage states of the fixed-function pipeline.
enum : int32_t {
    D3DTSS_COLOROP = 1,
    D3DTSS_COLORARG1 = 2,
    D3DTSS_COLORARG2 = 3,
    D3DTSS_ALPHAOP = 4,
    D3DTSS_ALPHAARG1 = 5,
    D3DTSS_ALPHAARG2 = 6,
};
constexpr int32_t D3D_STAGE_STATE_COUNT = 7;
enum : uint32_t { D3DTOP_DISABLE = 1, D3DTOP_SELECTARG1 = 2, D3DTOP_SELECTARG2 = 3, D3DTOP_MODULATE = 4 };
enum : uint32_t { D3DTA_DIFFUSE = 0, D3DTA_CURRENT = 1, D3DTA_TEXTURE = 2 };

enum : uint32_t { D3DCLEAR_TARGET = 1, D3DCLEAR_ZBUFFER = 2, D3DCLEAR_STENCIL = 4 };

enum : int32_t { D3DSWAPEFFECT_DISCARD = 1, D3DSWAPEFFECT_FLIP = 2, D3DSWAPEFFECT_COPY = 3 };
enum : uint32_t {
    D3DPRESENT_INTERVAL_DEFAULT = 0,
    D3DPRESENT_INTERVAL_ONE = 1,
    D3DPRESENT_INTERVAL_IMMEDIATE = 0x80000000u
};

enum : uint32_t {
    D3DCREATE_FPU_PRESERVE = 0x2,
    D3DCREATE_SOFTWARE_VERTEXPROCESSING = 0x20,
    D3DCREATE_HARDWARE_VERTEXPROCESSING = 0x40,
};

// Flexible vertex format bits.
enum : uint32_t {
    D3DFVF_XYZ = 0x2,
    D3DFVF_XYZRHW = 0x4,
    D3DFVF_XYZW = 0x4002,
    D3DFVF_NORMAL = 0x10,
    D3DFVF_DIFFUSE = 0x40,
    D3DFVF_SPECULAR = 0x80,
    D3DFVF_TEX1 = 0x100,
};

// Vertex declarations.
enum : uint8_t {
    D3DDECLTYPE_FLOAT1 = 0,
    D3DDECLTYPE_FLOAT2 = 1,
    D3DDECLTYPE_FLOAT3 = 2,
    D3DDECLTYPE_FLOAT4 = 3,
    D3DDECLTYPE_D3DCOLOR = 4,
    D3DDECLTYPE_UBYTE4 = 5,
    D3DDECLTYPE_UNUSED = 17,
};
enum : uint8_t {
    D3DDECLUSAGE_POSITION = 0,
    D3DDECLUSAGE_BLENDWEIGHT = 1,
    D3DDECLUSAGE_BLENDINDICES = 2,
    D3DDECLUSAGE_NORMAL = 3,
    D3DDECLUSAGE_PSIZE = 4,
    D3DDECLUSAGE_TEXCOORD = 5,
    D3DDECLUSAGE_TANGENT = 6,
    D3DDECLUSAGE_BINORMAL = 7,
    D3DDECLUSAGE_TESSFACTOR = 8,
    D3DDECLUSAGE_POSITIONT = 9,
    D3DDECLUSAGE_COLOR = 10,
    D3DDECLUSAGE_FOG = 11,
    D3DDECLUSAGE_DEPTH = 12,
    D3DDECLUSAGE_SAMPLE = 13,
};
constexpr uint8_t D3DDECLMETHOD_DEFAULT = 0;

enum : uint32_t { D3DPRASTERCAPS_FOGVERTEX = 0x80, D3DPRASTERCAPS_FOGTABLE = 0x100 };
enum : uint32_t { D3DDEVCAPS_HWTRANSFORMANDLIGHT = 0x10000 };
enum : int32_t { D3DDEVTYPE_HAL = 1 };

struct D3DMatrix {
    float m[16]; // row-major, points as row vectors on the left
};

struct D3DColourValue {
    float r, g, b, a;
};

struct D3DVector {
    float x, y, z;
};

enum : int32_t { D3DLIGHT_POINT = 1, D3DLIGHT_SPOT = 2, D3DLIGHT_DIRECTIONAL = 3 };
constexpr int32_t D3D_LIGHT_COUNT = 8;

// Lights are given in world space. Attenuation is 1 / (a0 + a1 d + a2 d^2), nothing beyond the range.
struct D3DLight {
    int32_t type = D3DLIGHT_POINT;
    D3DColourValue diffuse = {}, specular = {}, ambient = {};
    D3DVector position = {}, direction = {};
    float range = 0.0f, falloff = 0.0f;
    float attenuation0 = 0.0f, attenuation1 = 0.0f, attenuation2 = 0.0f;
    float theta = 0.0f, phi = 0.0f;
};

struct D3DMaterial {
    D3DColourValue diffuse = {}, ambient = {}, specular = {}, emissive = {};
    float power = 0.0f;
};

struct D3DRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

struct D3DViewport {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
    float minZ;
    float maxZ;
};

struct D3DLockedRect {
    int32_t pitch = 0;
    void* bits = nullptr;
};

struct D3DSurfaceDesc {
    int32_t format = D3DFMT_UNKNOWN;
    uint32_t usage = 0;
    int32_t pool = D3DPOOL_DEFAULT;
    int32_t multiSample = 0;
    int32_t width = 0;
    int32_t height = 0;
};

struct D3DVertexElement {
    uint16_t stream;
    uint16_t offset;
    uint8_t type;
    uint8_t method;
    uint8_t usage;
    uint8_t usageIndex;
};
constexpr D3DVertexElement D3DDECL_END = {0xFF, 0, D3DDECLTYPE_UNUSED, 0, 0, 0};

struct D3DCaps {
    int32_t deviceType = D3DDEVTYPE_HAL;
    uint32_t devCaps = 0;
    uint32_t rasterCaps = 0;
    int32_t maxTextureWidth = 0;
    int32_t maxTextureHeight = 0;
    int32_t numberOfAdaptersInGroup = 1;
    int32_t masterAdapterOrdinal = 0;
};

struct D3DDisplayMode {
    int32_t width = 0;
    int32_t height = 0;
    int32_t refreshRate = 0;
    int32_t format = D3DFMT_UNKNOWN;
};

struct D3DAdapterIdentifier {
    char driver[512] = {};
    char description[512] = {};
    char deviceName[32] = {};
};

struct D3DPresentParameters {
    int32_t backBufferWidth = 0;
    int32_t backBufferHeight = 0;
    int32_t backBufferFormat = D3DFMT_UNKNOWN;
    int32_t backBufferCount = 0;
    int32_t multiSampleType = 0;
    int32_t swapEffect = 0;
    void* deviceWindow = nullptr;
    bool windowed = true;
    bool enableAutoDepthStencil = false;
    int32_t autoDepthStencilFormat = D3DFMT_UNKNOWN;
    uint32_t presentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
};

// Reference-counted like the objects it stands for: Release at 0 destroys.
class D3DObject {
  public:
    D3DObject() = default;
    D3DObject(const D3DObject&) = delete;
    D3DObject& operator=(const D3DObject&) = delete;
    uint32_t AddRef() { return ++m_References; }
    uint32_t Release()
    {
        uint32_t left = --m_References;
        if (left == 0) delete this;
        return left;
    }

  protected:
    virtual ~D3DObject() = default;

  private:
    uint32_t m_References = 1;
};

class D3DSurface : public D3DObject {
  public:
    virtual D3DResult GetDesc(D3DSurfaceDesc* desc) = 0;
    // Lockable render targets and system-memory levels only.
    virtual D3DResult LockRect(D3DLockedRect* locked, const D3DRect* rect, uint32_t flags) = 0;
    virtual D3DResult UnlockRect() = 0;
};

class D3DTexture : public D3DObject {
  public:
    virtual int32_t GetLevelCount() = 0;
    virtual D3DResult GetLevelDesc(int32_t level, D3DSurfaceDesc* desc) = 0;
    virtual D3DResult GetSurfaceLevel(int32_t level, D3DSurface** surface) = 0;
    virtual D3DResult LockRect(int32_t level, D3DLockedRect* locked, const D3DRect* rect, uint32_t flags) = 0;
    virtual D3DResult UnlockRect(int32_t level) = 0;
    virtual D3DResult AddDirtyRect(const D3DRect* rect) = 0;
    virtual void PreLoad() = 0;
    virtual uint32_t SetPriority(uint32_t priority) = 0;
};

class D3DVertexBuffer : public D3DObject {
  public:
    virtual D3DResult Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) = 0;
    virtual D3DResult Unlock() = 0;
};

class D3DVertexDeclaration : public D3DObject {};

// A game shader's linked program (GLSL from the shader translator).
class D3DShaderProgram : public D3DObject {};

// A sampler of a game shader and the texture stage it reads.
struct D3DShaderSampler {
    const char* name;
    int32_t stage;
};

// Why a device refused a game shader's program: the stage (0 the vertex source, 1 the fragment
// source or the link of the two) and the driver's message.
struct D3DShaderError {
    int32_t stage = -1;
    char message[1024] = {};
};

class D3DDevice : public D3DObject {
  public:
    virtual D3DResult TestCooperativeLevel() = 0;
    virtual D3DResult Reset(D3DPresentParameters* parameters) = 0;
    virtual D3DResult BeginScene() = 0;
    virtual D3DResult EndScene() = 0;
    // The whole back buffer to the device window.
    virtual D3DResult Present() = 0;
    // Another surface to the device window, as Present shows the back buffer, when it has the back
    // buffer's size and format: the copy into the back buffer is then not needed. The back buffer is
    // left as it was. A device that cannot refuses, and the surface is copied and presented.
    virtual D3DResult PresentFrom(D3DSurface* /*source*/) { return D3DERR_INVALIDCALL; }
    // As PresentFrom (Present for no source), but the copy to the window may wait until the device
    // is next used or FinishPresent is called: a driver drawing on threads of its own then finishes
    // the frame while the caller goes on, instead of holding it at the copy.
    virtual D3DResult PresentLater(D3DSurface* source) { return source != nullptr ? PresentFrom(source) : Present(); }
    // Shows at once a picture PresentLater left waiting.
    virtual void FinishPresent() {}
    // Fills the device window with one colour (A8R8G8B8) and shows it, the back buffer left as it
    // was: a window shown before its first frame would otherwise show what the screen held.
    virtual D3DResult PresentColour(uint32_t /*colour*/) { return D3DERR_NOTAVAILABLE; }
    virtual D3DResult GetDeviceCaps(D3DCaps* caps) = 0;
    virtual D3DResult GetBackBuffer(D3DSurface** surface) = 0;

    virtual D3DResult Clear(uint32_t flags, uint32_t colour, float z, uint32_t stencil) = 0;
    virtual D3DResult SetViewport(const D3DViewport* viewport) = 0;
    virtual D3DResult GetViewport(D3DViewport* viewport) = 0;
    virtual D3DResult SetTransform(int32_t kind, const D3DMatrix* matrix) = 0;
    virtual D3DResult SetRenderState(int32_t state, uint32_t value) = 0;
    virtual D3DResult GetRenderState(int32_t state, uint32_t* value) = 0;
    virtual D3DResult SetSamplerState(int32_t sampler, int32_t type, uint32_t value) = 0;
    virtual D3DResult SetTextureStageState(int32_t stage, int32_t type, uint32_t value) = 0;
    virtual D3DResult SetTexture(int32_t stage, D3DTexture* texture) = 0;
    // Fixed-function lighting: lights 0..7, lit per vertex in view space with the vertex colour as
    // the diffuse material (the material gives the ambient one).
    virtual D3DResult SetLight(int32_t index, const D3DLight* light) = 0;
    virtual D3DResult LightEnable(int32_t index, bool on) = 0;
    virtual D3DResult SetMaterial(const D3DMaterial* material) = 0;

    virtual D3DResult CreateTexture(int32_t width, int32_t height, int32_t levels, uint32_t usage,
                                    int32_t format, int32_t pool, D3DTexture** texture) = 0;
    virtual D3DResult CreateRenderTarget(int32_t width, int32_t height, int32_t format, int32_t multiSample,
                                         bool lockable, D3DSurface** surface) = 0;
    virtual D3DResult CreateDepthStencilSurface(int32_t width, int32_t height, int32_t format,
                                                int32_t multiSample, bool discard, D3DSurface** surface) = 0;
    // From a system-memory texture to a device texture of the same size and format.
    virtual D3DResult UpdateTexture(D3DTexture* source, D3DTexture* destination) = 0;
    // Null rectangles mean whole surfaces; filter D3DTEXF_POINT or D3DTEXF_LINEAR.
    virtual D3DResult StretchRect(D3DSurface* source, const D3DRect* sourceRect, D3DSurface* destination,
                                  const D3DRect* destinationRect, uint32_t filter) = 0;
    virtual D3DResult GetRenderTarget(int32_t index, D3DSurface** surface) = 0;
    virtual D3DResult SetRenderTarget(int32_t index, D3DSurface* surface) = 0;
    virtual D3DResult GetDepthStencilSurface(D3DSurface** surface) = 0;
    virtual D3DResult SetDepthStencilSurface(D3DSurface* surface) = 0;

    virtual D3DResult CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, int32_t pool,
                                         D3DVertexBuffer** buffer) = 0;
    virtual D3DResult CreateVertexDeclaration(const D3DVertexElement* elements,
                                              D3DVertexDeclaration** declaration) = 0;
    virtual D3DResult SetFVF(uint32_t fvf) = 0;
    virtual D3DResult SetVertexDeclaration(D3DVertexDeclaration* declaration) = 0;
    virtual D3DResult SetStreamSource(int32_t stream, D3DVertexBuffer* buffer, uint32_t offset,
                                      uint32_t stride) = 0;
    virtual D3DResult DrawPrimitive(int32_t type, uint32_t startVertex, uint32_t primitiveCount) = 0;
    virtual D3DResult DrawPrimitiveUP(int32_t type, uint32_t primitiveCount, const void* vertices,
                                      uint32_t stride) = 0;

    // Game shaders. A set program replaces the generated ones until it is set to null; each stage's
    // constant block (0 vertex, 1 fragment) is copied and reaches the program at the next draw.
    // A program the driver refuses answers D3DERR_INVALIDCALL with `error` filled. Devices without
    // shaders (test devices) keep these defaults: D3DERR_NOTAVAILABLE, and no error.
    virtual D3DResult CreateShaderProgram(const char* /*vertexSource*/, const char* /*fragmentSource*/,
                                          const D3DShaderSampler* /*samplers*/, int32_t /*samplerCount*/,
                                          D3DShaderProgram** program, D3DShaderError* /*error*/)
    {
        *program = nullptr;
        return D3DERR_NOTAVAILABLE;
    }
    virtual D3DResult SetShaderProgram(D3DShaderProgram* /*program*/) { return D3D_OK; }
    virtual D3DResult SetShaderConstants(int32_t /*stage*/, const void* /*data*/, uint32_t /*size*/)
    {
        return D3D_OK;
    }
};

class D3DInterface : public D3DObject {
  public:
    virtual int32_t GetAdapterCount() = 0;
    virtual D3DResult GetAdapterDisplayMode(int32_t adapter, D3DDisplayMode* mode) = 0;
    virtual int32_t GetAdapterModeCount(int32_t adapter) = 0;
    virtual D3DResult EnumAdapterModes(int32_t adapter, int32_t index, D3DDisplayMode* mode) = 0;
    virtual D3DResult GetAdapterIdentifier(int32_t adapter, D3DAdapterIdentifier* identifier) = 0;
    virtual D3DResult GetDeviceCaps(int32_t adapter, D3DCaps* caps) = 0;
    virtual D3DResult CheckDeviceMultiSampleType(int32_t adapter, int32_t format, bool windowed,
                                                 int32_t multiSample) = 0;
    virtual D3DResult CreateDevice(int32_t adapter, void* window, uint32_t behaviour,
                                   D3DPresentParameters* parameters, D3DDevice** device) = 0;
};

// The stride of a flexible vertex format: 12 for a position, 16 more for XYZW, 16 for a transformed
// position, 12 for a normal, 4 for a diffuse colour, 8 for one texture pair.
uint32_t D3D_FVFStride(uint32_t fvf);

// Bytes of one row of `width` pixels of a format (compressed formats: a row of 4x4 blocks), and
// the number of such rows in `height` pixels; 0 for a format without pixels in memory.
int32_t D3D_FormatPitch(int32_t format, int32_t width);
int32_t D3D_FormatRows(int32_t format, int32_t height);

// The generic vertex attribute location of a declaration usage and usage index (-1: none), shared
// by the fixed-function programs and the translated game shaders.
int32_t D3D_AttributeLocation(uint8_t usage, uint8_t usageIndex);

// Creates the OpenGL device's interface (graphics/gl/); null when no OpenGL can be had.
D3DInterface* Direct3D_CreateGL();
// Sets the OpenGL attributes the device's window is made with; called after SDL's video starts and
// before the window is made (its framebuffer's depth and stencil are chosen then).
void Direct3D_SetWindowAttributes();
