// The present's copy of the frame's picture into the window, drawn as one textured rectangle when
// it can be. A software renderer makes an equal-sized blit a copy on the presenting thread, while it
// shares a drawn rectangle out to its rendering threads, which copy it row by row as a graphics card
// would. The device's own programs are kept off that 8-bit rectangle shading (FragmentSource), so
// this copy is the only rectangle it shades.
#include "graphics/gl/Graphics_GLDeviceM.h"

namespace gldevice {

namespace {

// Two triangles over the whole window, made from the vertex numbers alone, with the picture's top
// row (texture row 0) at the window's top.
const char* const PICTURE_VERTEX = "#version 330 core\n"
                                   "out vec2 kv_Texel;\n"
                                   "void main()\n"
                                   "{\n"
                                   "    const vec2 corners[6] = vec2[6](vec2(0.0, 0.0), vec2(1.0, 0.0), vec2(0.0, 1.0),\n"
                                   "                                    vec2(0.0, 1.0), vec2(1.0, 0.0), vec2(1.0, 1.0));\n"
                                   "    vec2 corner = corners[gl_VertexID];\n"
                                   "    kv_Texel = vec2(corner.x, 1.0 - corner.y);\n"
                                   "    gl_Position = vec4(corner * 2.0 - 1.0, 0.0, 1.0);\n"
                                   "}\n";
// Each window pixel's centre falls on its texel's centre, which a nearest sampler takes as it is.
const char* const PICTURE_FRAGMENT = "#version 330 core\n"
                                     "uniform sampler2D kv_Picture;\n"
                                     "in vec2 kv_Texel;\n"
                                     "out vec4 kv_Colour;\n"
                                     "void main()\n"
                                     "{\n"
                                     "    kv_Colour = texture(kv_Picture, kv_Texel);\n"
                                     "}\n";

// Whether the window's framebuffer has a depth or stencil buffer: with one the renderer shades the
// rectangle as slowly as any triangle, and the blit is kept.
bool WindowHasDepthOrStencil()
{
    GLint depth = GL_NONE;
    GLint stencil = GL_NONE;
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, GL_DEPTH, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &depth);
    glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, GL_STENCIL, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE,
                                          &stencil);
    return depth != GL_NONE || stencil != GL_NONE;
}

} // namespace

void GLDevice::MakePictureProgram()
{
    m_PictureTried = true;
    if (WindowHasDepthOrStencil()) return;
    m_PictureProgram = GL_LinkProgram(PICTURE_VERTEX, PICTURE_FRAGMENT, nullptr);
    if (m_PictureProgram == 0) return;
    glGenVertexArrays(1, &m_PictureVertexArray);
    glGenSamplers(1, &m_PictureSampler);
    glSamplerParameteri(m_PictureSampler, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glSamplerParameteri(m_PictureSampler, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glSamplerParameteri(m_PictureSampler, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glSamplerParameteri(m_PictureSampler, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glUseProgram(m_PictureProgram);
    glUniform1i(glGetUniformLocation(m_PictureProgram, "kv_Picture"), 0);
    m_CurrentProgram = nullptr;
}

void GLDevice::ReleasePictureProgram()
{
    if (m_PictureProgram != 0) glDeleteProgram(m_PictureProgram);
    if (m_PictureVertexArray != 0) glDeleteVertexArrays(1, &m_PictureVertexArray);
    if (m_PictureSampler != 0) glDeleteSamplers(1, &m_PictureSampler);
    m_PictureProgram = m_PictureVertexArray = m_PictureSampler = 0;
}

bool GLDevice::DrawPicture(const GLSurface* source, int32_t width, int32_t height)
{
    GLuint texture = source->m_StorageTexture;
    if (texture == 0 && source->m_Kind == GLSurface::TEXTURE_LEVEL && source->m_Level == 0)
        texture = source->m_Texture->m_Name;
    if (texture == 0 || source->m_Samples > 0) return false;
    if (!m_PictureTried) MakePictureProgram();
    if (m_PictureProgram == 0) return false;
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glViewport(0, 0, width, height);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glUseProgram(m_PictureProgram);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBindSampler(0, m_PictureSampler);
    glBindVertexArray(m_PictureVertexArray);
    glDrawArrays(GL_TRIANGLES, 0, 6);
    // What was changed here is applied again before the next draw.
    glBindSampler(0, m_Samplers[0]);
    glBindVertexArray(m_VertexArray);
    m_CurrentProgram = nullptr;
    m_RenderStatesDirty = true;
    m_BlendOn = false;
    m_TexturesDirty |= 1u;
    m_ViewportMode = -1;
    m_TargetsDirty = true;
    return true;
}

} // namespace gldevice
