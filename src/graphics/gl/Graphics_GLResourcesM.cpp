// Textures, surfaces, vertex buffers and declarations of the OpenGL device.
#include <algorithm>
#include <cstring>

#include "graphics/gl/Graphics_GLDeviceM.h"

namespace gldevice {

bool g_ContextAlive = false;

bool GL_FindFormat(int32_t d3dFormat, GLFormat* out)
{
    GLFormat f;
    switch (d3dFormat) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
        // Textures (render targets included) are made unsized, so that the driver stores the bytes
        // blue first as they come and read back: uploads and read-backs are plain copies, and a
        // software renderer's 2D paths take that order. Eight bits a channel either way.
        f = {GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV};
        f.textureFormat = GL_RGBA;
        if (d3dFormat == D3DFMT_X8R8G8B8) f.swizzle[3] = GL_ONE;
        break;
    case D3DFMT_A4R4G4B4:
        f = {GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV};
        break;
    case D3DFMT_R5G6B5:
        f = {GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5};
        break;
    case D3DFMT_A8:
        // Direct3D samples an alpha-only texture as black with that alpha.
        f = {GL_R8, GL_RED, GL_UNSIGNED_BYTE};
        f.swizzle[0] = f.swizzle[1] = f.swizzle[2] = GL_ZERO;
        f.swizzle[3] = GL_RED;
        break;
    case D3DFMT_R16F:
    case D3DFMT_R32F:
        // One channel: the others read as 1.
        f = d3dFormat == D3DFMT_R16F ? GLFormat{GL_R16F, GL_RED, GL_HALF_FLOAT}
                                     : GLFormat{GL_R32F, GL_RED, GL_FLOAT};
        f.swizzle[1] = f.swizzle[2] = f.swizzle[3] = GL_ONE;
        break;
    case D3DFMT_DXT1:
        f = {GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 0, 0, true};
        break;
    case D3DFMT_DXT2:
    case D3DFMT_DXT3:
        f = {GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 0, 0, true};
        break;
    case D3DFMT_DXT4:
    case D3DFMT_DXT5:
        f = {GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 0, 0, true};
        break;
    case D3DFMT_D24S8:
        f = {GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8, false, true, true};
        break;
    case D3DFMT_D16:
        f = {GL_DEPTH_COMPONENT16, GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT, false, true};
        break;
    case D3DFMT_D32:
        f = {GL_DEPTH_COMPONENT32, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, false, true};
        break;
    default:
        return false;
    }
    *out = f;
    return true;
}

// ---- surfaces ----

GLSurface::GLSurface(GLDevice* device, Kind kind, int32_t width, int32_t height, int32_t format)
    : m_Device(device), m_Kind(kind), m_Width(width), m_Height(height), m_Format(format)
{
    GLFormat f;
    if (GL_FindFormat(format, &f)) {
        m_Depth = f.depth;
        m_Stencil = f.stencil;
    }
}

GLSurface::~GLSurface()
{
    if (m_Renderbuffer != 0 && g_ContextAlive) glDeleteRenderbuffers(1, &m_Renderbuffer);
    if (m_StorageTexture != 0 && g_ContextAlive) glDeleteTextures(1, &m_StorageTexture);
    if (m_Texture != nullptr) m_Texture->Release();
}

D3DResult GLSurface::GetDesc(D3DSurfaceDesc* desc)
{
    desc->format = m_Format;
    desc->usage = m_Usage;
    desc->pool = m_Pool;
    desc->multiSample = m_Samples;
    desc->width = m_Width;
    desc->height = m_Height;
    return D3D_OK;
}

void GLSurface::Attach(GLenum framebuffer) const
{
    GLenum point =
        m_Depth ? (m_Stencil ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT) : GL_COLOR_ATTACHMENT0;
    if (m_StorageTexture != 0)
        glFramebufferTexture2D(framebuffer, point, GL_TEXTURE_2D, m_StorageTexture, 0);
    else if (m_Kind == RENDERBUFFER)
        glFramebufferRenderbuffer(framebuffer, point, GL_RENDERBUFFER, m_Renderbuffer);
    else
        glFramebufferTexture2D(framebuffer, point, GL_TEXTURE_2D, m_Texture->m_Name, m_Level);
    // A level drawn into or copied to may lose its full alpha anywhere.
    if (m_Kind == TEXTURE_LEVEL && m_Level == 0 && framebuffer != GL_READ_FRAMEBUFFER) m_Texture->ForgetOpacity();
}

D3DResult GLSurface::LockRect(D3DLockedRect* locked, const D3DRect* rect, uint32_t flags)
{
    if (m_Kind == SYSTEM_LEVEL || (m_Kind == TEXTURE_LEVEL && m_Texture->m_Pool != D3DPOOL_DEFAULT))
        return m_Texture->LockRect(m_Level, locked, rect, flags);
    if (!m_Lockable || m_Depth || m_Samples > 0 || !g_ContextAlive) return D3DERR_INVALIDCALL;
    // A lockable target is read back whole; rows come top first because targets are kept so.
    m_LockBuffer.assign(size_t(m_Width) * m_Height * 4, 0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_Device->ReadFramebuffer());
    Attach(GL_READ_FRAMEBUFFER);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, m_Width, m_Height, GL_BGRA, GL_UNSIGNED_BYTE, m_LockBuffer.data());
    int32_t x = rect != nullptr ? rect->left : 0;
    int32_t y = rect != nullptr ? rect->top : 0;
    locked->pitch = m_Width * 4;
    locked->bits = m_LockBuffer.data() + (size_t(y) * m_Width + x) * 4;
    return glGetError() == GL_NO_ERROR ? D3D_OK : D3DERR_INVALIDCALL;
}

D3DResult GLSurface::UnlockRect()
{
    if (m_Kind == SYSTEM_LEVEL || (m_Kind == TEXTURE_LEVEL && m_Texture->m_Pool != D3DPOOL_DEFAULT))
        return m_Texture->UnlockRect(m_Level);
    m_LockBuffer.clear();
    m_LockBuffer.shrink_to_fit();
    return D3D_OK;
}

// ---- textures ----

GLTexture::GLTexture(GLDevice* device, int32_t width, int32_t height, int32_t levels, uint32_t usage,
                     int32_t format, int32_t pool)
    : m_Device(device), m_Width(width), m_Height(height), m_Levels(levels), m_Usage(usage), m_Format(format),
      m_Pool(pool)
{
}

GLTexture::~GLTexture()
{
    if (m_Name != 0 && g_ContextAlive) glDeleteTextures(1, &m_Name);
}

int32_t GLTexture::LevelWidth(int32_t level) const
{
    return std::max(1, m_Width >> level);
}
int32_t GLTexture::LevelHeight(int32_t level) const
{
    return std::max(1, m_Height >> level);
}

size_t GLTexture::LevelBytes(int32_t level) const
{
    return size_t(D3D_FormatPitch(m_Format, LevelWidth(level))) *
           size_t(D3D_FormatRows(m_Format, LevelHeight(level)));
}

bool GLTexture::CreateStorage()
{
    if (!GL_FindFormat(m_Format, &m_GL)) return false;
    if (m_Pool == D3DPOOL_SYSTEMMEM) {
        m_System.resize(size_t(m_Levels));
        for (int32_t level = 0; level < m_Levels; ++level)
            m_System[size_t(level)].assign(LevelBytes(level), 0);
        return true;
    }
    glGetError();
    glGenTextures(1, &m_Name);
    glBindTexture(GL_TEXTURE_2D, m_Name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, m_Levels - 1);
    glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, m_GL.swizzle);
    for (int32_t level = 0; level < m_Levels; ++level) {
        // New textures start cleared, so that nothing of an earlier use shows through.
        std::vector<uint8_t> zero(LevelBytes(level), 0);
        if (m_GL.compressed)
            glCompressedTexImage2D(GL_TEXTURE_2D, level, m_GL.internalFormat, LevelWidth(level),
                                   LevelHeight(level), 0, GLsizei(zero.size()), zero.data());
        else
            glTexImage2D(GL_TEXTURE_2D, level, GLint(m_GL.TextureInternalFormat()), LevelWidth(level),
                         LevelHeight(level), 0, m_GL.format, m_GL.type, m_GL.depth ? nullptr : zero.data());
    }
    m_Device->TexturesChanged();
    return glGetError() == GL_NO_ERROR;
}

void GLTexture::UploadLevel(int32_t level, const uint8_t* pixels)
{
    if (m_Name == 0 || m_GL.depth || !g_ContextAlive) return;
    m_Device->FinishPresent(); // the level may be the picture waiting for the window
    glBindTexture(GL_TEXTURE_2D, m_Name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    if (m_GL.compressed)
        glCompressedTexSubImage2D(GL_TEXTURE_2D, level, 0, 0, LevelWidth(level), LevelHeight(level),
                                  m_GL.internalFormat, GLsizei(LevelBytes(level)), pixels);
    else
        glTexSubImage2D(GL_TEXTURE_2D, level, 0, 0, LevelWidth(level), LevelHeight(level), m_GL.format,
                        m_GL.type, pixels);
    if (level == 0) NoteOpacity(pixels);
    m_Device->TexturesChanged();
}

void GLTexture::NoteOpacity(const uint8_t* pixels)
{
    m_Opaque.clear();
    // Only 32-bit texels with alpha in their high byte are looked at; other formats with alpha are
    // never taken for opaque.
    if (m_Format != D3DFMT_A8R8G8B8 || m_GL.swizzle[3] != GL_ALPHA) return;
    m_OpaqueRowWords = (size_t(m_Width) + 63) / 64;
    m_Opaque.assign(m_OpaqueRowWords * size_t(m_Height), 0);
    for (int32_t y = 0; y < m_Height; ++y) {
        const uint8_t* alpha = pixels + size_t(y) * size_t(m_Width) * 4 + 3;
        uint64_t* row = &m_Opaque[size_t(y) * m_OpaqueRowWords];
        for (int32_t x = 0; x < m_Width; ++x)
            if (alpha[size_t(x) * 4] == 0xFF) row[x / 64] |= uint64_t(1) << (x % 64);
    }
}

bool GLTexture::TexelsOpaque(int32_t x0, int32_t y0, int32_t x1, int32_t y1) const
{
    if (x0 < 0 || y0 < 0 || x1 > m_Width || y1 > m_Height || x0 >= x1 || y0 >= y1) return false;
    if (m_GL.swizzle[3] == GL_ONE) return true; // read without alpha: always full
    if (m_Opaque.empty()) return false;
    size_t first = size_t(x0) / 64, last = size_t(x1 - 1) / 64;
    uint64_t firstMask = ~uint64_t(0) << (x0 % 64);
    uint64_t lastMask = ~uint64_t(0) >> (63 - (x1 - 1) % 64);
    for (int32_t y = y0; y < y1; ++y) {
        const uint64_t* row = &m_Opaque[size_t(y) * m_OpaqueRowWords];
        for (size_t w = first; w <= last; ++w) {
            uint64_t mask = (w == first ? firstMask : ~uint64_t(0)) & (w == last ? lastMask : ~uint64_t(0));
            if ((row[w] & mask) != mask) return false;
        }
    }
    return true;
}

D3DResult GLTexture::GetLevelDesc(int32_t level, D3DSurfaceDesc* desc)
{
    if (level < 0 || level >= m_Levels) return D3DERR_INVALIDCALL;
    desc->format = m_Format;
    desc->usage = m_Usage;
    desc->pool = m_Pool;
    desc->multiSample = 0;
    desc->width = LevelWidth(level);
    desc->height = LevelHeight(level);
    return D3D_OK;
}

D3DResult GLTexture::GetSurfaceLevel(int32_t level, D3DSurface** surface)
{
    if (level < 0 || level >= m_Levels || surface == nullptr) return D3DERR_INVALIDCALL;
    auto* s = new GLSurface(m_Device,
                            m_Pool == D3DPOOL_SYSTEMMEM ? GLSurface::SYSTEM_LEVEL : GLSurface::TEXTURE_LEVEL,
                            LevelWidth(level), LevelHeight(level), m_Format);
    s->m_Texture = this;
    AddRef();
    s->m_Level = level;
    s->m_Usage = m_Usage;
    s->m_Pool = m_Pool;
    *surface = s;
    return D3D_OK;
}

D3DResult GLTexture::LockRect(int32_t level, D3DLockedRect* locked, const D3DRect* rect, uint32_t)
{
    if (level < 0 || level >= m_Levels || m_LockedLevel >= 0 || m_GL.depth) return D3DERR_INVALIDCALL;
    uint8_t* base;
    if (m_Pool == D3DPOOL_SYSTEMMEM) {
        base = m_System[size_t(level)].data();
    } else {
        // A device texture is written through a scratch copy sent whole at the unlock.
        m_LockScratch.assign(LevelBytes(level), 0);
        base = m_LockScratch.data();
    }
    int32_t pitch = D3D_FormatPitch(m_Format, LevelWidth(level));
    int32_t x = rect != nullptr ? rect->left : 0;
    int32_t y = rect != nullptr ? rect->top : 0;
    int32_t blockRows = m_GL.compressed ? 4 : 1;
    locked->pitch = pitch;
    locked->bits = base + size_t(y / blockRows) * size_t(pitch) + size_t(D3D_FormatPitch(m_Format, x));
    m_LockedLevel = level;
    return D3D_OK;
}

D3DResult GLTexture::UnlockRect(int32_t level)
{
    if (level != m_LockedLevel) return D3DERR_INVALIDCALL;
    m_LockedLevel = -1;
    if (m_Pool != D3DPOOL_SYSTEMMEM) {
        UploadLevel(level, m_LockScratch.data());
        m_LockScratch.clear();
        m_LockScratch.shrink_to_fit();
    }
    return D3D_OK;
}

uint32_t GLTexture::SetPriority(uint32_t priority)
{
    uint32_t previous = m_Priority;
    m_Priority = priority;
    return previous;
}

// ---- vertex buffers ----

GLVertexBuffer::GLVertexBuffer(uint32_t length, uint32_t usage)
    : m_Length(length), m_Usage(usage), m_Data(length, 0)
{
    glGenBuffers(1, &m_Name);
    glBindBuffer(GL_ARRAY_BUFFER, m_Name);
    glBufferData(GL_ARRAY_BUFFER, length, nullptr,
                 (usage & D3DUSAGE_DYNAMIC) != 0 ? GL_STREAM_DRAW : GL_STATIC_DRAW);
}

GLVertexBuffer::~GLVertexBuffer()
{
    if (m_Name != 0 && g_ContextAlive) glDeleteBuffers(1, &m_Name);
}

D3DResult GLVertexBuffer::Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags)
{
    if (offset > m_Length || data == nullptr) return D3DERR_INVALIDCALL;
    if (size == 0 || size > m_Length - offset) size = m_Length - offset;
    // The bytes stay here until a draw reads them; only the range written is sent.
    if ((flags & D3DLOCK_DISCARD) != 0) {
        m_Orphan = true;
        m_DirtyFirst = offset;
        m_DirtyLast = offset + size;
    } else if (m_DirtyFirst >= m_DirtyLast) {
        m_DirtyFirst = offset;
        m_DirtyLast = offset + size;
    } else {
        m_DirtyFirst = std::min(m_DirtyFirst, offset);
        m_DirtyLast = std::max(m_DirtyLast, offset + size);
    }
    *data = m_Data.data() + offset;
    return D3D_OK;
}

void GLVertexBuffer::Upload(uint32_t first, uint32_t last)
{
    glBindBuffer(GL_ARRAY_BUFFER, m_Name);
    if (m_Orphan) {
        // New storage for what a draw of an earlier frame may still read. Invalidating a mapping
        // asks the same without the software driver's zero-filled reallocation of the buffer.
        if (glMapBufferRange(GL_ARRAY_BUFFER, 0, GLsizeiptr(m_Length), GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_BUFFER_BIT) !=
            nullptr)
            glUnmapBuffer(GL_ARRAY_BUFFER);
        else
            glBufferData(GL_ARRAY_BUFFER, m_Length, nullptr, GL_STREAM_DRAW);
        m_Orphan = false;
    }
    last = std::min(last, m_Length);
    uint32_t from = std::max(first, m_DirtyFirst);
    uint32_t to = std::min(last, m_DirtyLast);
    if (from >= to) return;
    glBufferSubData(GL_ARRAY_BUFFER, from, to - from, m_Data.data() + from);
    // Batches move forward through a buffer: what lies before the end of this draw is sent.
    if (from <= m_DirtyFirst) m_DirtyFirst = to;
    if (m_DirtyFirst >= m_DirtyLast) m_DirtyFirst = m_DirtyLast = 0;
}

// ---- declarations ----

GLVertexDeclaration::GLVertexDeclaration(const D3DVertexElement* elements)
{
    for (const D3DVertexElement* e = elements; e->stream != 0xFF; ++e) {
        m_Elements.push_back(*e);
        if (e->usageIndex != 0) continue;
        if (e->usage == D3DDECLUSAGE_COLOR) m_Signature |= KEY_HAS_COLOUR;
        if (e->usage == D3DDECLUSAGE_NORMAL) m_Signature |= KEY_HAS_NORMAL;
        if (e->usage == D3DDECLUSAGE_TEXCOORD) m_Signature |= KEY_HAS_TEXCOORD;
        if (e->usage == D3DDECLUSAGE_POSITIONT) m_Signature |= KEY_TRANSFORMED;
    }
}

} // namespace gldevice
