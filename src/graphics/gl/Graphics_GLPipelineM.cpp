// The fixed-function pipeline as generated GLSL programs, one per state key: the vertex layout's
// attributes, whether stage 0 has a texture, its colour and alpha operations, flat shading, the
// alpha test, lighting and fog.
#include <cstdio>
#include <string>

#include "base/Base_Console.h"
#include "base/Base_Text.h"
#include "graphics/gl/Graphics_GLDeviceM.h"
#include "platform/Platform_Headroom.h"
#include "platform/Platform_MemoryManager.h"

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

bool Fogged(uint32_t key)
{
    return (key & 3u << KEY_FOG_SHIFT) != 0;
}

// The fog factor (1 clear, 0 all fog) of a distance d, for the key's fog mode.
std::string FogFactor(uint32_t key, const char* d)
{
    std::string x(d);
    switch ((key >> KEY_FOG_SHIFT) & 3u) {
    case D3DFOG_EXP:
        return "clamp(exp(-uFog.z * " + x + "), 0.0, 1.0)";
    case D3DFOG_EXP2:
        return "clamp(exp(-(uFog.z * " + x + ") * (uFog.z * " + x + ")), 0.0, 1.0)";
    default:
        return "(uFog.y != uFog.x ? clamp((uFog.y - " + x + ") / (uFog.y - uFog.x), 0.0, 1.0) : (" + x +
               " < uFog.y ? 1.0 : 0.0))";
    }
}

// Per-vertex lighting in view space: ambient plus, for each light, the diffuse colour (the vertex
// colour, else the material's) x the light's colour x N.L, attenuated; nothing beyond a point
// light's range. Without a normal in the layout the normal is (0, 0, 0).
std::string Lighting(uint32_t key)
{
    std::string s = (key & KEY_HAS_NORMAL) != 0
                        ? "  vec3 n = transpose(inverse(mat3(uWorldView))) * aNormal;\n"
                        : "  vec3 n = vec3(0.0);\n";
    s += (key & KEY_HAS_COLOUR) != 0 ? "  vec4 material = aColour;\n" : "  vec4 material = uMaterialDiffuse;\n";
    s += "  vec3 lit = uAmbient.rgb;\n"
         "  for (int i = 0; i < 8; ++i) {\n"
         "    if (uLightKind[i] == 0) continue;\n"
         "    vec3 l = uLightVector[i].xyz;\n"
         "    float attenuation = 1.0;\n"
         "    if (uLightKind[i] == 1) {\n"
         "      vec3 d = uLightVector[i].xyz - eye.xyz;\n"
         "      float dist = length(d);\n"
         "      if (dist > uLightRange[i].x) continue;\n"
         "      l = dist > 0.0 ? d / dist : vec3(0.0);\n"
         "      float a = uLightRange[i].y + uLightRange[i].z * dist + uLightRange[i].w * dist * dist;\n"
         "      attenuation = a > 0.0 ? 1.0 / a : 1.0;\n"
         "    }\n"
         "    lit += material.rgb * uLightColour[i].rgb * max(dot(n, l), 0.0) * attenuation;\n"
         "  }\n"
         "  vColour = vec4(clamp(lit, 0.0, 1.0), material.a);\n";
    return s;
}

std::string VertexSource(uint32_t key)
{
    const char* interpolation = (key & KEY_FLAT) != 0 ? "flat " : "";
    bool lighting = (key & KEY_LIGHTING) != 0;
    std::string s = "#version 330 core\n"
                    "layout(location = 0) in vec4 aPosition;\n"
                    "layout(location = 1) in vec3 aNormal;\n"
                    "layout(location = 2) in vec4 aColour;\n"
                    "layout(location = 4) in vec2 aTexCoord;\n"
                    "uniform mat4 uWorldViewProjection;\n"
                    "uniform mat4 uWorldView;\n"
                    "uniform vec2 uPixelFix;\n"
                    "uniform vec4 uViewport;\n"
                    "uniform float uGuardScale;\n"
                    "uniform vec4 uAmbient;\n"
                    "uniform vec4 uMaterialDiffuse;\n"
                    "uniform int uLightKind[8];\n"
                    "uniform vec4 uLightColour[8];\n"
                    "uniform vec4 uLightVector[8];\n"
                    "uniform vec4 uLightRange[8];\n"
                    "uniform vec4 uFog;\n";
    s += std::string(interpolation) + "out vec4 vColour;\nout vec2 vTexCoord;\nout float vFog;\n";
    if ((key & KEY_KEEP_TRIANGLES) != 0) s += "flat out float vOne;\n";
    s += "void main() {\n";
    // One, read from the vertex (three-component positions get w = 1) so that the compiler cannot
    // drop the input as a constant.
    if ((key & KEY_KEEP_TRIANGLES) != 0) s += "  vOne = aPosition.w;\n";
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
    if (lighting || Fogged(key)) s += "  vec4 eye = uWorldView * vec4(aPosition.xyz, 1.0);\n";
    // Depth 0..w becomes -w..w; the picture is stored with its top row first; the viewport may be
    // doubled about its centre (GLDevice::ApplyViewport).
    s += "  p.xy *= uGuardScale;\n"
         "  p.z = 2.0 * p.z - p.w;\n"
         "  p.y = -p.y;\n"
         "  gl_Position = p;\n";
    if (lighting)
        s += Lighting(key);
    else
        s += (key & (KEY_HAS_COLOUR | KEY_WHITE)) == KEY_HAS_COLOUR ? "  vColour = aColour;\n" : "  vColour = vec4(1.0);\n";
    s += (key & KEY_HAS_TEXCOORD) != 0 ? "  vTexCoord = aTexCoord;\n" : "  vTexCoord = vec2(0.0);\n";
    // Table fog passes the eye depth on; vertex fog its factor, on depth or (range fog) distance.
    if ((key & KEY_FOG_TABLE) != 0)
        s += "  vFog = eye.z;\n";
    else if (Fogged(key))
        s += "  vFog = " + FogFactor(key, (key & KEY_FOG_RANGE) != 0 ? "length(eye.xyz)" : "eye.z") + ";\n";
    else
        s += "  vFog = 1.0;\n";
    s += "}\n";
    return s;
}

std::string FragmentSource(uint32_t key)
{
    const char* interpolation = (key & KEY_FLAT) != 0 ? "flat " : "";
    std::string s = "#version 330 core\n";
    // All white: the colour is the constant, not an input the driver interpolates for every pixel.
    s += (key & KEY_WHITE) != 0 ? "const vec4 vColour = vec4(1.0);\n" : std::string(interpolation) + "in vec4 vColour;\n";
    s += "in vec2 vTexCoord;\nin float vFog;\n";
    if ((key & KEY_KEEP_TRIANGLES) != 0) s += "flat in float vOne;\n";
    s += "uniform sampler2D uTexture0;\n"
         "uniform ivec2 uAlphaTest;\n"
         "uniform vec4 uFog;\n"
         "uniform vec4 uFogColour;\n"
         "uniform float uZero = 0.0;\n"
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
    if ((key & KEY_FOG_TABLE) != 0)
        s += "  c.rgb = mix(uFogColour.rgb, c.rgb, " + FogFactor(key, "vFog") + ");\n";
    else if (Fogged(key))
        s += "  c.rgb = mix(uFogColour.rgb, c.rgb, vFog);\n";
    // Times exactly one: the same colour, from a program the driver draws as triangles only. Plus a
    // zero it cannot see through: a software renderer shades the whole tiles of programs made of
    // nothing but texture reads and products with 8-bit arithmetic of its own, which rounds unlike
    // its other pixels and loses flat inputs; an addition keeps every program of the device off it
    // (the present's copy of the picture is the one draw left to it, as an exact copy).
    s += (key & KEY_KEEP_TRIANGLES) != 0 ? "  fragColour = c * vOne + uZero;\n}\n" : "  fragColour = c + uZero;\n}\n";
    return s;
}

// Keeps the first failure's stage and message for the caller that asked for them.
void Report(D3DShaderError* error, int32_t stage, const char* log)
{
    if (error == nullptr || error->stage >= 0) return;
    error->stage = stage;
    std::snprintf(error->message, sizeof(error->message), "%s", log);
}

GLuint Compile(GLenum kind, const std::string& source, D3DShaderError* error)
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
        // The driver's log may quote bytes of the game's shader source.
        MainConsole->Output("OpenGL: shader failed to compile: %s\n", Text_PrintableLines(log).c_str());
        Report(error, kind == GL_VERTEX_SHADER ? 0 : 1, log);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

// The driver compiles a program at its link and at its first drawing, and its compiler ends the
// process when refused memory. Without room a game shader, made as the game loads, fails as one that
// does not compile, with the reason; a program of the device's own, made as the game plays, ends the
// game as memory exhausted.
bool RoomToCompile(D3DShaderError* error)
{
    static bool s_CompiledBefore = false;
    std::string lacking = Headroom_Lacking("a shader program", Headroom_ShaderProgram(!s_CompiledBefore));
    if (lacking.empty()) {
        s_CompiledBefore = true;
        return true;
    }
    if (error == nullptr) MemoryManager::OutOfMemory();
    MainConsole->Output("OpenGL: %s\n", lacking.c_str());
    Report(error, 0, lacking.c_str());
    return false;
}

} // namespace

GLuint GL_LinkProgram(const std::string& vertexSource, const std::string& fragmentSource, D3DShaderError* error)
{
    if (!RoomToCompile(error)) return 0;
    GLuint vertex = Compile(GL_VERTEX_SHADER, vertexSource, error);
    GLuint fragment = Compile(GL_FRAGMENT_SHADER, fragmentSource, error);
    if (vertex == 0 || fragment == 0) {
        if (vertex != 0) glDeleteShader(vertex);
        if (fragment != 0) glDeleteShader(fragment);
        return 0;
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
        MainConsole->Output("OpenGL: program failed to link: %s\n", Text_PrintableLines(log).c_str());
        Report(error, 1, log);
        glDeleteProgram(name);
        return 0;
    }
    return name;
}

bool GL_BuildProgram(uint32_t key, GLProgram* program)
{
    GLuint name = GL_LinkProgram(VertexSource(key), FragmentSource(key));
    if (name == 0) return false;
    program->name = name;
    program->worldViewProjection = glGetUniformLocation(name, "uWorldViewProjection");
    program->pixelFix = glGetUniformLocation(name, "uPixelFix");
    program->alphaTest = glGetUniformLocation(name, "uAlphaTest");
    program->viewportSize = glGetUniformLocation(name, "uViewport");
    program->guardScale = glGetUniformLocation(name, "uGuardScale");
    program->worldView = glGetUniformLocation(name, "uWorldView");
    program->ambient = glGetUniformLocation(name, "uAmbient");
    program->materialDiffuse = glGetUniformLocation(name, "uMaterialDiffuse");
    program->lightKind = glGetUniformLocation(name, "uLightKind");
    program->lightColour = glGetUniformLocation(name, "uLightColour");
    program->lightVector = glGetUniformLocation(name, "uLightVector");
    program->lightRange = glGetUniformLocation(name, "uLightRange");
    program->fog = glGetUniformLocation(name, "uFog");
    program->fogColour = glGetUniformLocation(name, "uFogColour");
    glUseProgram(name);
    glUniform1i(glGetUniformLocation(name, "uTexture0"), 0);
    return true;
}

GLint GL_AttributeLocation(uint8_t usage, uint8_t usageIndex)
{
    return D3D_AttributeLocation(usage, usageIndex);
}

} // namespace gldevice
