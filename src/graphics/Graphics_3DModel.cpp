// The 3D model table: models as lists of recorded drawing commands, replayed once per texture
// into a graphics recorder and drawn from it.
#include <vector>

#include "base/Base_Numbers.h"
#include "graphics/Graphics_3DDraw.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Graphics_TexturePage.h"

namespace {

constexpr size_t MODEL_TABLE_STEP = 16;
constexpr size_t MODEL_FIRST_CAPACITY = 32;

struct Recording {
    int32_t texture; // as the draw named it
    GraphicsRecorder* recorder;
};

struct Model {
    std::vector<ModelCommand> commands;
    std::vector<Recording> recordings;
};

std::vector<Model*> g_Models;

// Bit n set: field n is a whole number.
const uint16_t INT_FIELDS[MODEL_KINDS] = {0, 0, 0, 1u << 3, 0, 1u << 5, 0, 1u << 6, 0, 1u << 8,
                                          0, 3u << 8, 3u << 8, 1u << 8, 0, 0};

Model* Find(int32_t index)
{
    if (index < 0 || size_t(index) >= g_Models.size()) return nullptr;
    return g_Models[size_t(index)];
}

void DropRecordings(Model* m)
{
    for (Recording& r : m->recordings)
        GraphicsRecorder_Destroy(r.recorder);
    m->recordings.clear();
}

void Add(int32_t index, int32_t kind, std::initializer_list<float> floats)
{
    ModelCommand c;
    c.kind = kind;
    int32_t n = 0;
    for (float f : floats)
        c.field[n++].f = f;
    GR_3D_ModelAdd(index, c);
}

// Commands whose fields are given in order, whole numbers among them set afterwards.
void AddVertex(int32_t index, int32_t kind, std::initializer_list<float> floats, int32_t colour, float alpha)
{
    ModelCommand c;
    c.kind = kind;
    int32_t n = 0;
    for (float f : floats)
        c.field[n++].f = f;
    c.field[n].i = colour;
    c.field[n + 1].f = alpha;
    GR_3D_ModelAdd(index, c);
}

void AddShape(int32_t index, int32_t kind, const Box3D& b, float h, float v, std::initializer_list<int32_t> ints)
{
    ModelCommand c;
    c.kind = kind;
    const float floats[] = {b.x1, b.y1, b.z1, b.x2, b.y2, b.z2, h, v};
    for (int32_t n = 0; n < 8; ++n)
        c.field[n].f = floats[n];
    int32_t n = 8;
    for (int32_t i : ints)
        c.field[n++].i = i;
    GR_3D_ModelAdd(index, c);
}

Box3D BoxOf(const ModelField* f)
{
    return Box3D{f[0].f, f[1].f, f[2].f, f[3].f, f[4].f, f[5].f};
}

uint32_t Colour(const ModelField& f)
{
    return uint32_t(f.i);
}

// One command through the drawing calls; unknown kinds draw nothing.
void Replay(const ModelCommand& c, int32_t texture)
{
    const ModelField* f = c.field;
    switch (c.kind) {
    case MODEL_BEGIN: GR_3D_PrimitiveBegin(Numbers_RoundToInt32(f[0].f), texture); break;
    case MODEL_END: GR_3D_PrimitiveEnd(); break;
    case MODEL_VERTEX: GR_3D_Vertex(f[0].f, f[1].f, f[2].f); break;
    case MODEL_VERTEX_COLOUR: GR_3D_VertexColour(f[0].f, f[1].f, f[2].f, Colour(f[3]), f[4].f); break;
    case MODEL_VERTEX_TEXTURE: GR_3D_VertexTexture(f[0].f, f[1].f, f[2].f, f[3].f, f[4].f); break;
    case MODEL_VERTEX_TEXTURE_COLOUR:
        GR_3D_VertexTextureColour(f[0].f, f[1].f, f[2].f, f[3].f, f[4].f, Colour(f[5]), f[6].f);
        break;
    case MODEL_VERTEX_NORMAL: GR_3D_VertexNormal(f[0].f, f[1].f, f[2].f, f[3].f, f[4].f, f[5].f); break;
    case MODEL_VERTEX_NORMAL_COLOUR:
        GR_3D_VertexNormalColour(f[0].f, f[1].f, f[2].f, f[3].f, f[4].f, f[5].f, Colour(f[6]), f[7].f);
        break;
    case MODEL_VERTEX_NORMAL_TEXTURE:
        GR_3D_VertexNormalTexture(f[0].f, f[1].f, f[2].f, f[3].f, f[4].f, f[5].f, f[6].f, f[7].f);
        break;
    case MODEL_VERTEX_NORMAL_TEXTURE_COLOUR:
        GR_3D_VertexNormalTextureColour(f[0].f, f[1].f, f[2].f, f[3].f, f[4].f, f[5].f, f[6].f, f[7].f,
                                        Colour(f[8]), f[9].f);
        break;
    case MODEL_BLOCK: GR_3D_DrawBlock(BoxOf(f), texture, f[6].f, f[7].f); break;
    // The closed flag is a byte to the shapes.
    case MODEL_CYLINDER:
        GR_3D_DrawCylinder(BoxOf(f), texture, f[6].f, f[7].f, uint8_t(f[8].i) != 0, f[9].i);
        break;
    case MODEL_CONE: GR_3D_DrawCone(BoxOf(f), texture, f[6].f, f[7].f, uint8_t(f[8].i) != 0, f[9].i); break;
    case MODEL_ELLIPSOID: GR_3D_DrawEllipsoid(BoxOf(f), texture, f[6].f, f[7].f, f[8].i); break;
    case MODEL_WALL: GR_3D_DrawWall(BoxOf(f), texture, f[6].f, f[7].f); break;
    case MODEL_FLOOR: GR_3D_DrawFloor(BoxOf(f), texture, f[6].f, f[7].f); break;
    default: break;
    }
}

// The texture index a draw's texture stands for: itself, a page entry's texture, or none.
int32_t TextureIndexOf(int32_t texture)
{
    if (Texture_Exists(texture)) return texture;
    const TPageEntry* entry = texture != -1 ? TPage_FromHandle(texture) : nullptr;
    return entry != nullptr && Texture_Exists(entry->texture) ? entry->texture : -1;
}

GraphicsRecorder* Record(Model* m, int32_t texture)
{
    uint32_t drawColour = GR_Draw_GetVertexColour() & ~1u;
    GraphicsRecorder* recorder = GraphicsRecorder_Create(TextureIndexOf(texture), drawColour);
    m->recordings.push_back(Recording{texture, recorder});
    GR_3D_SetRecordingTarget(recorder);
    GR_3D_TakeDrawColourUsed();
    for (const ModelCommand& c : m->commands)
        Replay(c, texture);
    if (!GR_3D_TakeDrawColourUsed()) recorder->marker = 0;
    GR_3D_SetRecordingTarget(nullptr);
    return recorder;
}

} // namespace

bool Model_FieldIsInt(int32_t kind, int32_t n)
{
    if (kind < 0 || kind >= MODEL_KINDS || n < 0 || n >= MODEL_FIELDS) return false;
    return (INT_FIELDS[kind] >> n & 1u) != 0;
}

int32_t GR_3D_ModelCreate()
{
    for (size_t i = 0; i < g_Models.size(); ++i) {
        if (g_Models[i] != nullptr) continue;
        g_Models[i] = new Model();
        return int32_t(i);
    }
    if (g_Models.size() == g_Models.capacity()) g_Models.reserve(g_Models.size() + MODEL_TABLE_STEP);
    g_Models.push_back(new Model());
    return int32_t(g_Models.size() - 1);
}

void GR_3D_ModelDestroy(int32_t index)
{
    Model* m = Find(index);
    if (m == nullptr) return;
    DropRecordings(m);
    delete m;
    g_Models[size_t(index)] = nullptr;
}

void GR_3D_ModelClear(int32_t index)
{
    Model* m = Find(index);
    if (m == nullptr) return;
    DropRecordings(m);
    m->commands.clear();
}

bool GR_3D_ModelExists(int32_t index)
{
    return Find(index) != nullptr;
}

int32_t GR_3D_ModelCommandCount(int32_t index)
{
    Model* m = Find(index);
    return m != nullptr ? int32_t(m->commands.size()) : 0;
}

const ModelCommand* GR_3D_ModelCommand(int32_t index, int32_t n)
{
    Model* m = Find(index);
    if (m == nullptr || n < 0 || size_t(n) >= m->commands.size()) return nullptr;
    return &m->commands[size_t(n)];
}

int32_t GR_3D_ModelRecordingCount(int32_t index)
{
    Model* m = Find(index);
    return m != nullptr ? int32_t(m->recordings.size()) : 0;
}

GraphicsRecorder* GR_3D_ModelRecording(int32_t index, int32_t n)
{
    Model* m = Find(index);
    if (m == nullptr || n < 0 || size_t(n) >= m->recordings.size()) return nullptr;
    return m->recordings[size_t(n)].recorder;
}

void GR_3D_ModelFreeAll()
{
    for (size_t i = 0; i < g_Models.size(); ++i)
        GR_3D_ModelDestroy(int32_t(i));
    g_Models.clear();
    g_Models.shrink_to_fit();
}

void GR_3D_ModelAdd(int32_t index, const ModelCommand& command)
{
    Model* m = Find(index);
    if (m == nullptr) return;
    std::vector<ModelCommand>& list = m->commands;
    if (list.size() == list.capacity()) list.reserve(list.empty() ? MODEL_FIRST_CAPACITY : list.size() * 2);
    list.push_back(command);
}

void GR_3D_ModelPrimitiveBegin(int32_t index, int32_t kind)
{
    Add(index, MODEL_BEGIN, {float(kind)});
}

void GR_3D_ModelPrimitiveEnd(int32_t index)
{
    Add(index, MODEL_END, {});
}

void GR_3D_ModelVertex(int32_t index, float x, float y, float z)
{
    Add(index, MODEL_VERTEX, {x, y, z});
}

void GR_3D_ModelVertexColour(int32_t index, float x, float y, float z, int32_t colour, float alpha)
{
    AddVertex(index, MODEL_VERTEX_COLOUR, {x, y, z}, colour, alpha);
}

void GR_3D_ModelVertexTexture(int32_t index, float x, float y, float z, float u, float v)
{
    Add(index, MODEL_VERTEX_TEXTURE, {x, y, z, u, v});
}

void GR_3D_ModelVertexTextureColour(int32_t index, float x, float y, float z, float u, float v, int32_t colour,
                                    float alpha)
{
    AddVertex(index, MODEL_VERTEX_TEXTURE_COLOUR, {x, y, z, u, v}, colour, alpha);
}

void GR_3D_ModelVertexNormal(int32_t index, float x, float y, float z, float nx, float ny, float nz)
{
    Add(index, MODEL_VERTEX_NORMAL, {x, y, z, nx, ny, nz});
}

void GR_3D_ModelVertexNormalColour(int32_t index, float x, float y, float z, float nx, float ny, float nz,
                                   int32_t colour, float alpha)
{
    AddVertex(index, MODEL_VERTEX_NORMAL_COLOUR, {x, y, z, nx, ny, nz}, colour, alpha);
}

void GR_3D_ModelVertexNormalTexture(int32_t index, float x, float y, float z, float nx, float ny, float nz,
                                    float u, float v)
{
    Add(index, MODEL_VERTEX_NORMAL_TEXTURE, {x, y, z, nx, ny, nz, u, v});
}

void GR_3D_ModelVertexNormalTextureColour(int32_t index, float x, float y, float z, float nx, float ny, float nz,
                                          float u, float v, int32_t colour, float alpha)
{
    AddVertex(index, MODEL_VERTEX_NORMAL_TEXTURE_COLOUR, {x, y, z, nx, ny, nz, u, v}, colour, alpha);
}

void GR_3D_ModelBlock(int32_t index, const Box3D& box, float hrepeat, float vrepeat)
{
    AddShape(index, MODEL_BLOCK, box, hrepeat, vrepeat, {});
}

void GR_3D_ModelCylinder(int32_t index, const Box3D& box, float hrepeat, float vrepeat, bool closed,
                         int32_t steps)
{
    AddShape(index, MODEL_CYLINDER, box, hrepeat, vrepeat, {closed ? 1 : 0, steps});
}

void GR_3D_ModelCone(int32_t index, const Box3D& box, float hrepeat, float vrepeat, bool closed, int32_t steps)
{
    AddShape(index, MODEL_CONE, box, hrepeat, vrepeat, {closed ? 1 : 0, steps});
}

void GR_3D_ModelEllipsoid(int32_t index, const Box3D& box, float hrepeat, float vrepeat, int32_t steps)
{
    AddShape(index, MODEL_ELLIPSOID, box, hrepeat, vrepeat, {steps});
}

void GR_3D_ModelWall(int32_t index, const Box3D& box, float hrepeat, float vrepeat)
{
    AddShape(index, MODEL_WALL, box, hrepeat, vrepeat, {});
}

void GR_3D_ModelFloor(int32_t index, const Box3D& box, float hrepeat, float vrepeat)
{
    AddShape(index, MODEL_FLOOR, box, hrepeat, vrepeat, {});
}

void GR_3D_ModelDraw(int32_t index, float x, float y, float z, int32_t texture)
{
    Model* m = Find(index);
    if (m == nullptr) return;
    uint32_t drawColour = GR_Draw_GetVertexColour() & ~1u;
    for (Recording& r : m->recordings) {
        if (r.texture != texture) continue;
        if (r.recorder->marker != 1 && r.recorder->marker != drawColour)
            GraphicsRecorder_Recolour(r.recorder, drawColour);
        GraphicsRecorder_Draw(r.recorder, x, y, z);
        return;
    }
    GraphicsRecorder_Draw(Record(m, texture), x, y, z);
}
