// 3D drawing: primitives built vertex by vertex into 36-byte vertices (split when long), the
// ready-made shapes, the lights, and 3D models (recorded command lists drawn through the graphics
// recorder, saved to and loaded from a text file).
//
// A texture argument is a texture index in use, -1 for none, or a texture-page entry's handle; an
// unknown handle draws untextured.
#pragma once

#include <cstdint>
#include <string>

#include "graphics/Graphics_Recorder.h"

// Vertices a primitive collects before it is drawn and continued: 999 for a triangle list (whole
// triangles), 1000 for the other kinds 1..6, none for any other kind.
constexpr int32_t PRIMITIVE_3D_LIMIT = 1000;

void GR_3D_PrimitiveBegin(int32_t kind, int32_t texture);
void GR_3D_PrimitiveEnd();
// Without a colour a vertex takes the drawing colour with bit 0 cleared; with one, its own colour
// with the lowest red bit set, so that a recording can tell the two apart.
void GR_3D_Vertex(float x, float y, float z);
void GR_3D_VertexColour(float x, float y, float z, uint32_t colour, double alpha);
void GR_3D_VertexTexture(float x, float y, float z, float u, float v);
void GR_3D_VertexTextureColour(float x, float y, float z, float u, float v, uint32_t colour, double alpha);
void GR_3D_VertexNormal(float x, float y, float z, float nx, float ny, float nz);
void GR_3D_VertexNormalColour(float x, float y, float z, float nx, float ny, float nz, uint32_t colour,
                              double alpha);
void GR_3D_VertexNormalTexture(float x, float y, float z, float nx, float ny, float nz, float u, float v);
void GR_3D_VertexNormalTextureColour(float x, float y, float z, float nx, float ny, float nz, float u, float v,
                                     uint32_t colour, double alpha);

// While set, ended primitives go to the recorder instead of the batch (model drawing only).
void GR_3D_SetRecordingTarget(GraphicsRecorder* recorder);
// Whether a vertex took the drawing colour since the last call (which clears it).
bool GR_3D_TakeDrawColourUsed();

// The shapes, over the box (x1, y1, z1)-(x2, y2, z2); the texture repeats hrepeat by vrepeat times.
struct Box3D {
    float x1, y1, z1, x2, y2, z2;
};
constexpr int32_t SHAPE_STEPS_MIN = 3;
constexpr int32_t SHAPE_STEPS_MAX = 128;
void GR_3D_DrawBlock(const Box3D& box, int32_t texture, float hrepeat, float vrepeat);
void GR_3D_DrawCylinder(const Box3D& box, int32_t texture, float hrepeat, float vrepeat, bool closed,
                        int32_t steps);
void GR_3D_DrawCone(const Box3D& box, int32_t texture, float hrepeat, float vrepeat, bool closed, int32_t steps);
void GR_3D_DrawEllipsoid(const Box3D& box, int32_t texture, float hrepeat, float vrepeat, int32_t steps);
void GR_3D_DrawWall(const Box3D& box, int32_t texture, float hrepeat, float vrepeat);
void GR_3D_DrawFloor(const Box3D& box, int32_t texture, float hrepeat, float vrepeat);

// The eight lights (an index outside 0..7 wraps onto them). Colours have red in the low byte.
constexpr int32_t LIGHT_COUNT = 8;
int32_t GR_3D_LightSlot(int32_t index);
void GR_3D_LightDefineAmbient(uint32_t colour);
void GR_3D_LightDefineDirection(int32_t index, float dx, float dy, float dz, uint32_t colour);
void GR_3D_LightDefinePoint(int32_t index, float x, float y, float z, float range, uint32_t colour);
void GR_3D_LightEnable(int32_t index, bool on);

// ---- models ----

enum : int32_t {
    MODEL_BEGIN = 0,
    MODEL_END = 1,
    MODEL_VERTEX = 2,
    MODEL_VERTEX_COLOUR = 3,
    MODEL_VERTEX_TEXTURE = 4,
    MODEL_VERTEX_TEXTURE_COLOUR = 5,
    MODEL_VERTEX_NORMAL = 6,
    MODEL_VERTEX_NORMAL_COLOUR = 7,
    MODEL_VERTEX_NORMAL_TEXTURE = 8,
    MODEL_VERTEX_NORMAL_TEXTURE_COLOUR = 9,
    MODEL_BLOCK = 10,
    MODEL_CYLINDER = 11,
    MODEL_CONE = 12,
    MODEL_ELLIPSOID = 13,
    MODEL_WALL = 14,
    MODEL_FLOOR = 15,
    MODEL_KINDS = 16,
};
constexpr int32_t MODEL_FIELDS = 10;

// A field is a float unless the kind's table marks it as a whole number.
union ModelField {
    float f;
    int32_t i;
};
struct ModelCommand {
    int32_t kind = 0;
    ModelField field[MODEL_FIELDS] = {};
};
// Whether field `n` of a kind is a whole number (false for unknown kinds).
bool Model_FieldIsInt(int32_t kind, int32_t n);

int32_t GR_3D_ModelCreate();
void GR_3D_ModelDestroy(int32_t index);
void GR_3D_ModelClear(int32_t index);
bool GR_3D_ModelExists(int32_t index);
int32_t GR_3D_ModelCommandCount(int32_t index);
// The command at `n`, or null.
const ModelCommand* GR_3D_ModelCommand(int32_t index, int32_t n);
int32_t GR_3D_ModelRecordingCount(int32_t index);
// The model's n-th recording (one per texture drawn with), or null.
GraphicsRecorder* GR_3D_ModelRecording(int32_t index, int32_t n);
// Frees every model (game end and tests).
void GR_3D_ModelFreeAll();

// Appends one command with its fields as given (ints where the kind's table says).
void GR_3D_ModelAdd(int32_t index, const ModelCommand& command);
void GR_3D_ModelPrimitiveBegin(int32_t index, int32_t kind);
void GR_3D_ModelPrimitiveEnd(int32_t index);
void GR_3D_ModelVertex(int32_t index, float x, float y, float z);
void GR_3D_ModelVertexColour(int32_t index, float x, float y, float z, int32_t colour, float alpha);
void GR_3D_ModelVertexTexture(int32_t index, float x, float y, float z, float u, float v);
void GR_3D_ModelVertexTextureColour(int32_t index, float x, float y, float z, float u, float v, int32_t colour,
                                    float alpha);
void GR_3D_ModelVertexNormal(int32_t index, float x, float y, float z, float nx, float ny, float nz);
void GR_3D_ModelVertexNormalColour(int32_t index, float x, float y, float z, float nx, float ny, float nz,
                                   int32_t colour, float alpha);
void GR_3D_ModelVertexNormalTexture(int32_t index, float x, float y, float z, float nx, float ny, float nz,
                                    float u, float v);
void GR_3D_ModelVertexNormalTextureColour(int32_t index, float x, float y, float z, float nx, float ny, float nz,
                                          float u, float v, int32_t colour, float alpha);
void GR_3D_ModelBlock(int32_t index, const Box3D& box, float hrepeat, float vrepeat);
void GR_3D_ModelCylinder(int32_t index, const Box3D& box, float hrepeat, float vrepeat, bool closed,
                         int32_t steps);
void GR_3D_ModelCone(int32_t index, const Box3D& box, float hrepeat, float vrepeat, bool closed, int32_t steps);
void GR_3D_ModelEllipsoid(int32_t index, const Box3D& box, float hrepeat, float vrepeat, int32_t steps);
void GR_3D_ModelWall(int32_t index, const Box3D& box, float hrepeat, float vrepeat);
void GR_3D_ModelFloor(int32_t index, const Box3D& box, float hrepeat, float vrepeat);

// Replays the model once per texture into a recording, then draws the recording at (x, y, z).
void GR_3D_ModelDraw(int32_t index, float x, float y, float z, int32_t texture);

// The model file: "100", the count, one line per command (CR LF line ends).
std::string GR_3D_ModelText(int32_t index);
// Reads a model file's bytes into the model (cleared first, and left empty on failure).
bool GR_3D_ModelRead(int32_t index, const uint8_t* data, int64_t size);
// The file name is looked up (and written) through the save area.
bool GR_3D_ModelSave(int32_t index, const char* name);
bool GR_3D_ModelLoad(int32_t index, const char* name);
