#include "graphics/Graphics_3D.h"

#include <cmath>
#include <cstring>

#include "base/Base_Maths.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_DeviceStates.h"
#include "graphics/Graphics_RenderState.h"

bool g_3DMode = false;
float g_DrawDepth = 0.0f;
bool g_3DOrthographic = false;
bool g_CustomProjection = false;
int32_t g_VerticalSign = 1;

namespace {

Matrix g_TransformStack[TRANSFORM_STACK_SIZE];
int32_t g_TransformTop = -1;

// The ortho projection turns its angle with pi as a 32-bit float.
constexpr double PI_F32 = 3.1415927410125732;

D3DMatrix ToDevice(const Matrix& m)
{
    D3DMatrix out;
    std::memcpy(out.m, m.m, sizeof out.m);
    return out;
}

void SetMatrix(int32_t index, const Matrix& m)
{
    D3DMatrix d = ToDevice(m);
    GR_D3D_SetTransform(index, &d);
}

Matrix World()
{
    D3DMatrix d;
    GR_D3D_GetTransform(MATRIX_WORLD, &d);
    Matrix m;
    std::memcpy(m.m, d.m, sizeof m.m);
    return m;
}

void SetWorld(const Matrix& m)
{
    SetMatrix(MATRIX_WORLD, m);
}

// The new transform applies after those already in the world.
void AddToWorld(const Matrix& m)
{
    Matrix world = World();
    Matrix::Multiply(world, world, m);
    SetWorld(world);
}

Matrix Translation(double x, double y, double z)
{
    Matrix m;
    Matrix::Identity(m);
    m.m[12] = float(x);
    m.m[13] = float(y);
    m.m[14] = float(z);
    return m;
}

Matrix Scaling(double x, double y, double z)
{
    Matrix m;
    Matrix::Identity(m);
    m.m[0] = float(x);
    m.m[5] = float(y);
    m.m[10] = float(z);
    return m;
}

Matrix RotationX(double angle)
{
    Matrix m;
    Matrix::SetRotationX(m, angle);
    return m;
}

Matrix RotationY(double angle)
{
    Matrix m;
    Matrix::SetRotationY(m, angle);
    return m;
}

Matrix RotationZ(double angle)
{
    Matrix m;
    Matrix::SetRotationZ(m, angle);
    return m;
}

// Turns the opposite way to the single-axis rotations.
Matrix RotationAxis(double x, double y, double z, double angle)
{
    Vec3 axis = {float(x), float(y), float(z)};
    Matrix m;
    Matrix::SetRotationAxis(m, axis, -angle);
    return m;
}

void SetView(const Vec3& from, const Vec3& to, const Vec3& up)
{
    Matrix view;
    Matrix::LookAt(view, from, to, up);
    SetMatrix(MATRIX_VIEW, view);
}

// A camera looking straight along z at the centre of the rectangle, its up turned by radians.
void SetCentredView(double x, double y, double w, double h, double eyeZ, double radians)
{
    float cx = float(x + w / 2.0);
    float cy = float(y + h / 2.0);
    SetView(Vec3{cx, cy, float(eyeZ)}, Vec3{cx, cy, 0.0f},
            Vec3{float(std::sin(radians)), float(std::cos(radians)), 0.0f});
}

} // namespace

bool GR_3D_Start(bool on)
{
    if (on == g_3DMode) return true;
    Graphics::Flush();
    g_3DMode = on;
    GR_3D_SetPerspective(on);
    GR_3D_SetHidden(on);
    return true;
}

void GR_3D_SetDepth(float depth)
{
    if (!g_3DMode) {
        g_DrawDepth = 0.0f;
        return;
    }
    if (depth > DRAW_DEPTH_LIMIT) depth = DRAW_DEPTH_LIMIT;
    if (depth < -DRAW_DEPTH_LIMIT) depth = -DRAW_DEPTH_LIMIT;
    g_DrawDepth = depth;
}

void GR_3D_ClearDepth()
{
    GR_D3D_Clear(0, 1.0f, 0, D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL);
}

void GR_3D_SetProjection(float fromX, float fromY, float fromZ, float toX, float toY, float toZ, float upX,
                         float upY, float upZ)
{
    SetView(Vec3{fromX, fromY, fromZ}, Vec3{toX, toY, toZ}, Vec3{upX, upY, upZ});
    g_CustomProjection = true;
}

void GR_3D_SetProjectionExt(float fromX, float fromY, float fromZ, float toX, float toY, float toZ, float upX,
                            float upY, float upZ, double angle, double aspect, double zNear, double zFar)
{
    GR_3D_SetProjection(fromX, fromY, fromZ, toX, toY, toZ, upX, upY, upZ);
    Matrix projection;
    Matrix::Perspective(projection, angle * MATHS_DEGREES_TO_RADIANS, aspect * g_VerticalSign, zNear, zFar);
    SetMatrix(MATRIX_PROJECTION, projection);
    g_3DOrthographic = false;
}

void GR_3D_SetProjectionOrtho(double x, double y, double w, double h, double angle)
{
    SetCentredView(x, y, w, h, -16000.0, -angle * PI_F32 / 180.0);
    Matrix projection;
    Matrix::Ortho(projection, w, -h * g_VerticalSign, 1.0, 32000.0);
    SetMatrix(MATRIX_PROJECTION, projection);
    g_3DOrthographic = true;
    g_CustomProjection = true;
}

void GR_3D_SetProjectionPerspective(double x, double y, double w, double h, double angle)
{
    SetCentredView(x, y, w, h, -w, -angle * MATHS_DEGREES_TO_RADIANS);
    Matrix projection;
    Matrix::PerspectiveSize(projection, w / w, (h / w) * g_VerticalSign, 1.0, 32000.0);
    SetMatrix(MATRIX_PROJECTION, projection);
    g_3DOrthographic = false;
    g_CustomProjection = true;
}

void GR_3D_TransformSetIdentity()
{
    Matrix m;
    Matrix::Identity(m);
    SetWorld(m);
}

void GR_3D_TransformSetTranslation(double x, double y, double z)
{
    SetWorld(Translation(x, y, z));
}

void GR_3D_TransformSetScaling(double x, double y, double z)
{
    SetWorld(Scaling(x, y, z));
}

void GR_3D_TransformSetRotationX(double angle)
{
    SetWorld(RotationX(angle));
}

void GR_3D_TransformSetRotationY(double angle)
{
    SetWorld(RotationY(angle));
}

void GR_3D_TransformSetRotationZ(double angle)
{
    SetWorld(RotationZ(angle));
}

void GR_3D_TransformSetRotationAxis(double x, double y, double z, double angle)
{
    SetWorld(RotationAxis(x, y, z, angle));
}

void GR_3D_TransformAddTranslation(double x, double y, double z)
{
    AddToWorld(Translation(x, y, z));
}

void GR_3D_TransformAddScaling(double x, double y, double z)
{
    AddToWorld(Scaling(x, y, z));
}

void GR_3D_TransformAddRotationX(double angle)
{
    AddToWorld(RotationX(angle));
}

void GR_3D_TransformAddRotationY(double angle)
{
    AddToWorld(RotationY(angle));
}

void GR_3D_TransformAddRotationZ(double angle)
{
    AddToWorld(RotationZ(angle));
}

void GR_3D_TransformAddRotationAxis(double x, double y, double z, double angle)
{
    AddToWorld(RotationAxis(x, y, z, angle));
}

void GR_3D_TransformStackClear()
{
    g_TransformTop = -1;
}

bool GR_3D_TransformStackEmpty()
{
    return g_TransformTop < 0;
}

bool GR_3D_TransformStackPush()
{
    if (g_TransformTop >= TRANSFORM_STACK_SIZE - 1) return false;
    g_TransformStack[++g_TransformTop] = World();
    return true;
}

bool GR_3D_TransformStackPop()
{
    if (g_TransformTop < 0) return false;
    SetWorld(g_TransformStack[g_TransformTop--]);
    return true;
}

bool GR_3D_TransformStackTop()
{
    if (g_TransformTop < 0) return false;
    SetWorld(g_TransformStack[g_TransformTop]);
    return true;
}

bool GR_3D_TransformStackDiscard()
{
    if (g_TransformTop < 0) return false;
    --g_TransformTop;
    return true;
}
