// 3D mode, the drawing depth of 2D vertices, the camera (view and projection) and the world
// transform with its stack of saved matrices. Matrices are row-major with points as row vectors on
// the left, so a transform "added" to the world applies after the ones already there.
#pragma once

#include <cstdint>

// Off at start. The render-state cache reads it for the projection and hidden surfaces.
extern bool g_3DMode;
// A projection of the game's own is in force: set by the projection setters and by making a surface
// the drawing target, cleared when the screen is the target again. Sprites are not culled by the
// view while it is set.
extern bool g_CustomProjection;
// The z of every 2D vertex: 0 outside 3D mode, -16000 .. 16000 in it.
extern float g_DrawDepth;
// Set by the orthographic projection, cleared by the perspective ones.
extern bool g_3DOrthographic;
// The projection setters multiply the vertical size by it.
extern int32_t g_VerticalSign;

constexpr int32_t TRANSFORM_STACK_SIZE = 51;
constexpr float DRAW_DEPTH_LIMIT = 16000.0f;

// Switches 3D mode; a change flushes the batch and sets perspective and hidden surfaces to match.
bool GR_3D_Start(bool on);
void GR_3D_SetDepth(float depth);
// Clears the depth and stencil buffers.
void GR_3D_ClearDepth();

// The view only: from a point towards another with an up vector.
void GR_3D_SetProjection(float fromX, float fromY, float fromZ, float toX, float toY, float toZ, float upX,
                         float upY, float upZ);
// The view as above and a perspective projection (field of view in degrees).
void GR_3D_SetProjectionExt(float fromX, float fromY, float fromZ, float toX, float toY, float toZ, float upX,
                            float upY, float upZ, double angle, double aspect, double zNear, double zFar);
// A 2D camera over the rectangle, turned by the angle (degrees).
void GR_3D_SetProjectionOrtho(double x, double y, double w, double h, double angle);
void GR_3D_SetProjectionPerspective(double x, double y, double w, double h, double angle);

// The world transform: the set forms replace it, the add forms apply after it. Angles in degrees.
void GR_3D_TransformSetIdentity();
void GR_3D_TransformSetTranslation(double x, double y, double z);
void GR_3D_TransformSetScaling(double x, double y, double z);
void GR_3D_TransformSetRotationX(double angle);
void GR_3D_TransformSetRotationY(double angle);
void GR_3D_TransformSetRotationZ(double angle);
void GR_3D_TransformSetRotationAxis(double x, double y, double z, double angle);
void GR_3D_TransformAddTranslation(double x, double y, double z);
void GR_3D_TransformAddScaling(double x, double y, double z);
void GR_3D_TransformAddRotationX(double angle);
void GR_3D_TransformAddRotationY(double angle);
void GR_3D_TransformAddRotationZ(double angle);
void GR_3D_TransformAddRotationAxis(double x, double y, double z, double angle);

// The stack of saved world matrices (at most TRANSFORM_STACK_SIZE); false on overflow or when empty.
void GR_3D_TransformStackClear();
bool GR_3D_TransformStackEmpty();
bool GR_3D_TransformStackPush();
bool GR_3D_TransformStackPop();
bool GR_3D_TransformStackTop();
bool GR_3D_TransformStackDiscard();
