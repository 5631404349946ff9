// Game shaders on the OpenGL device: programs linked from the translator's GLSL, the two constant
// blocks as uniform buffers (vertex at point 0, fragment at point 1), and the uniforms the
// translator adds for the device's own rules (the half-pixel fix and the alpha test).
#include "graphics/Graphics_ShaderTranslate.h"
#include "graphics/gl/Graphics_GLDeviceM.h"

namespace gldevice {

GLShaderProgram::~GLShaderProgram()
{
    if (m_Name != 0 && g_ContextAlive) glDeleteProgram(m_Name);
}

D3DResult GLDevice::CreateShaderProgram(const char* vertexSource, const char* fragmentSource,
                                        const D3DShaderSampler* samplers, int32_t samplerCount,
                                        D3DShaderProgram** program, D3DShaderError* error)
{
    *program = nullptr;
    if (vertexSource == nullptr || fragmentSource == nullptr) return D3DERR_INVALIDCALL;
    GLuint name = GL_LinkProgram(vertexSource, fragmentSource, error);
    if (name == 0) return D3DERR_INVALIDCALL;
    auto* made = new GLShaderProgram();
    made->m_Name = name;
    made->m_PixelFix = glGetUniformLocation(name, "kv_PixelFix");
    made->m_AlphaTest = glGetUniformLocation(name, "kv_AlphaTest");
    const char* blocks[2] = {SHADER_VERTEX_BLOCK, SHADER_FRAGMENT_BLOCK};
    for (GLuint point = 0; point < 2; ++point) {
        GLuint index = glGetUniformBlockIndex(name, blocks[point]);
        if (index != GL_INVALID_INDEX) glUniformBlockBinding(name, index, point);
    }
    glUseProgram(name);
    for (int32_t i = 0; i < samplerCount; ++i)
        glUniform1i(glGetUniformLocation(name, samplers[i].name), samplers[i].stage);
    glUseProgram(0);
    m_CurrentProgram = nullptr;
    *program = made;
    return D3D_OK;
}

D3DResult GLDevice::SetShaderProgram(D3DShaderProgram* program)
{
    Assign<GLShaderProgram>(m_ShaderProgram, static_cast<GLShaderProgram*>(program));
    m_CurrentProgram = nullptr;
    return D3D_OK;
}

D3DResult GLDevice::SetShaderConstants(int32_t stage, const void* data, uint32_t size)
{
    if (stage < 0 || stage > 1 || (data == nullptr && size != 0)) return D3DERR_INVALIDCALL;
    const auto* bytes = static_cast<const uint8_t*>(data);
    m_ShaderConstants[stage].assign(bytes, bytes + size);
    m_ShaderConstantsDirty[stage] = true;
    return D3D_OK;
}

void GLDevice::UseShaderProgram()
{
    glUseProgram(m_ShaderProgram->m_Name);
    m_CurrentProgram = nullptr;
    glUniform2f(m_ShaderProgram->m_PixelFix, 1.0f / float(m_Viewport.width), 1.0f / float(m_Viewport.height));
    // Without the test every fragment passes (comparison "always").
    bool test = m_RenderStates[D3DRS_ALPHATESTENABLE] != 0;
    glUniform2i(m_ShaderProgram->m_AlphaTest, test ? GLint(m_RenderStates[D3DRS_ALPHAFUNC]) : GLint(D3DCMP_ALWAYS),
                GLint(m_RenderStates[D3DRS_ALPHAREF] & 0xFF));
    for (GLuint point = 0; point < 2; ++point) {
        if (m_ShaderBuffers[point] == 0) glGenBuffers(1, &m_ShaderBuffers[point]);
        glBindBufferBase(GL_UNIFORM_BUFFER, point, m_ShaderBuffers[point]);
        if (!m_ShaderConstantsDirty[point]) continue;
        m_ShaderConstantsDirty[point] = false;
        const std::vector<uint8_t>& block = m_ShaderConstants[point];
        // An empty buffer cannot be bound as a block; 16 bytes stand in for a stage without constants.
        static const uint8_t EMPTY[16] = {};
        glBindBuffer(GL_UNIFORM_BUFFER, m_ShaderBuffers[point]);
        glBufferData(GL_UNIFORM_BUFFER, block.empty() ? sizeof EMPTY : GLsizeiptr(block.size()),
                     block.empty() ? EMPTY : block.data(), GL_DYNAMIC_DRAW);
    }
}

void GLDevice::ReleaseShaderObjects()
{
    Assign<GLShaderProgram>(m_ShaderProgram, nullptr);
    glDeleteBuffers(2, m_ShaderBuffers);
    m_ShaderBuffers[0] = m_ShaderBuffers[1] = 0;
}

} // namespace gldevice
