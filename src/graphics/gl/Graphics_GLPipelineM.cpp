// The fixed-function pipeline as generated GLSL programs, one per state key: the vertex layout's
// attributes, whether stage 0 has a texture, its colour and alpha operations, flat shading and the
// alpha test.
#include <string>

#include "base/Base_Console.h"
#include "graphics/gl/Graphics_GLDeviceM.h"

namespace gldevice {

namespace {

// Operation codes in the key: 0 disable, 1 first argument, 2 second argument, 3 product.
uint32_t KeyOp(uint32_t key, uint32_t shift)
{
    return (key >> shift) & 3u;
}
uint32_t KeyArg1(uint32_t key, uint32_t shift)
{
    return (key >> (shift + 2)) & 3u;
}
uint32_t KeyArg2(uint32_t key, uint32_t shift)
{
    return (key >> (shift + 4)) & 3u;
}

// A stage argument: the texture (white without one), the diffuse colour or the current colour,
// which on stage 0 is the diffuse colour too.
const char* Argument(uint32_t argument)
{
    return argument == 2 ? "tex" : "vColour";
}

std::string Operation(uint32_t key, uint32_t shift, const char* swizzle)
{
    std::string a = std::string(Argument(KeyArg1(key, shift))) + swizzle;
    std::string b = std::string(Argument(KeyArg2(key, shift))) + swizzle;
    switch (KeyOp(key, shift)) {
    case 1:
        return a;
    case 2:
        return b;
    case 3:
        return a + " * " + b;
    default:
        return std::string("vColour") + swizzle; // a disabled stage passes the diffuse colour
    }
}

std::string VertexSource(uint32_t key)
{
    const char* interpolation = (key & KEY_FLAT) != 0 ? "flat " : "";
    std::string s = "#version 330 core\n"
                    "layout(location = 0) in vec4 aPosition;\n"
                    "layout(location = 2) in vec4 aColour;\n"
                    "layout(location = 4) in vec2 aTexCoord;\n"
                    "uniform mat4 uWorldViewProjection;\n"
                    "uniform vec2 uPixelFix;\n"
                    "uniform vec4 uViewport;\n";
    s += std::string(interpolation) + "out vec4 vColour;\nout vec2 vTexCoord;\n";
    s += "void main() {\n";
    if ((key & KEY_TRANSFORMED) != 0) {
        // Screen coordinates: pixel centres on whole numbers, y down, z as given.
        s += "  vec2 ndc = vec2((aPosition.x + 0.5 - uViewport.x) * 2.0 / uViewport.z - 1.0,\n"
             "                  1.0 - (aPosition.y + 0.5 - uViewport.y) * 2.0 / uViewport.w);\n"
             "  vec4 p = vec4(ndc, aPosition.z, 1.0);\n";
    } else {
        s += "  vec4 p = uWorldViewProjection * vec4(aPosition.xyz, 1.0);\n"
             "  p.x += p.w * uPixelFix.x;\n"
             "  p.y -= p.w * uPixelFix.y;\n";
    }
    // Depth 0..w becomes -w..w; the picture is stored with its top row first.
    s += "  p.z = 2.0 * p.z - p.w;\n"
         "  p.y = -p.y;\n"
         "  gl_Position = p;\n";
    s += (key & KEY_HAS_COLOUR) != 0 ? "  vColour = aColour;\n" : "  vColour = vec4(1.0);\n";
    s += (key & KEY_HAS_TEXCOORD) != 0 ? "  vTexCoord = aTexCoord;\n" : "  vTexCoord = vec2(0.0);\n";
    s += "}\n";
    return s;
}

std::string FragmentSource(uint32_t key)
{
    const char* interpolation = (key & KEY_FLAT) != 0 ? "flat " : "";
    std::string s = "#version 330 core\n";
    s += std::string(interpolation) + "in vec4 vColour;\nin vec2 vTexCoord;\n";
    s += "uniform sampler2D uTexture0;\n"
         "uniform ivec2 uAlphaTest;\n"
         "out vec4 fragColour;\n"
         "void main() {\n";
    s += (key & KEY_TEXTURED) != 0 ? "  vec4 tex = texture(uTexture0, vTexCoord);\n"
                                   : "  vec4 tex = vec4(1.0);\n";
    s += "  vec4 c = vec4(" + Operation(key, KEY_COLOUR_OP_SHIFT, ".rgb") + ", " +
         Operation(key, KEY_ALPHA_OP_SHIFT, ".a") + ");\n";
    if ((key & KEY_ALPHA_TEST) != 0) {
        // The test compares 8-bit alpha with the 8-bit reference, as the comparison function says.
        s += "  int a = int(floor(clamp(c.a, 0.0, 1.0) * 255.0 + 0.5));\n"
             "  int r = uAlphaTest.y;\n"
             "  bool pass = true;\n"
             "  switch (uAlphaTest.x) {\n"
             "  case 1: pass = false; break;\n"
             "  case 2: pass = a < r; break;\n"
             "  case 3: pass = a == r; break;\n"
             "  case 4: pass = a <= r; break;\n"
             "  case 5: pass = a > r; break;\n"
             "  case 6: pass = a != r; break;\n"
             "  case 7: pass = a >= r; break;\n"
             "  default: break;\n"
             "  }\n"
             "  if (!pass) discard;\n";
    }
    s += "  fragColour = c;\n}\n";
    return s;
}

GLuint Compile(GLenum kind, const std::string& source)
{
    GLuint shader = glCreateShader(kind);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok == 0) {
        char log[1024] = {};
        glGetShaderInfoLog(shader, sizeof(log), nullptr, log);
        MainConsole->Output("OpenGL: shader failed to compile: %s\n", log);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

} // namespace

bool GL_BuildProgram(uint32_t key, GLProgram* program)
{
    GLuint vertex = Compile(GL_VERTEX_SHADER, VertexSource(key));
    GLuint fragment = Compile(GL_FRAGMENT_SHADER, FragmentSource(key));
    if (vertex == 0 || fragment == 0) {
        if (vertex != 0) glDeleteShader(vertex);
        if (fragment != 0) glDeleteShader(fragment);
        return false;
    }
    GLuint name = glCreateProgram();
    glAttachShader(name, vertex);
    glAttachShader(name, fragment);
    glLinkProgram(name);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = 0;
    glGetProgramiv(name, GL_LINK_STATUS, &ok);
    if (ok == 0) {
        char log[1024] = {};
        glGetProgramInfoLog(name, sizeof(log), nullptr, log);
        MainConsole->Output("OpenGL: program failed to link: %s\n", log);
        glDeleteProgram(name);
        return false;
    }
    program->name = name;
    program->worldViewProjection = glGetUniformLocation(name, "uWorldViewProjection");
    program->pixelFix = glGetUniformLocation(name, "uPixelFix");
    program->alphaTest = glGetUniformLocation(name, "uAlphaTest");
    program->viewportSize = glGetUniformLocation(name, "uViewport");
    glUseProgram(name);
    glUniform1i(glGetUniformLocation(name, "uTexture0"), 0);
    return true;
}

GLint GL_AttributeLocation(uint8_t usage, uint8_t usageIndex)
{
    switch (usage) {
    case D3DDECLUSAGE_POSITION:
    case D3DDECLUSAGE_POSITIONT:
        return usageIndex == 0 ? 0 : -1;
    case D3DDECLUSAGE_NORMAL:
        return usageIndex == 0 ? 1 : -1;
    case D3DDECLUSAGE_COLOR:
        return usageIndex < 2 ? 2 + usageIndex : -1;
    case D3DDECLUSAGE_TEXCOORD:
        return usageIndex < 8 ? 4 + usageIndex : -1;
    case D3DDECLUSAGE_BLENDWEIGHT:
        return usageIndex == 0 ? 12 : -1;
    case D3DDECLUSAGE_BLENDINDICES:
        return usageIndex == 0 ? 13 : -1;
    case D3DDECLUSAGE_TANGENT:
        return usageIndex == 0 ? 14 : -1;
    case D3DDECLUSAGE_BINORMAL:
        return usageIndex == 0 ? 15 : -1;
    default:
        return -1;
    }
}

} // namespace gldevice
