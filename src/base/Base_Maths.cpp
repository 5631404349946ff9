#include "base/Base_Maths.h"

#include <cmath>

void Vec3::Sub(Vec3& out, const Vec3& a, const Vec3& b)
{
    out.x = a.x - b.x;
    out.y = a.y - b.y;
    out.z = a.z - b.z;
}

double Vec3::Dot(const Vec3& a, const Vec3& b)
{
    return static_cast<double>(a.x) * b.x + static_cast<double>(a.y) * b.y + static_cast<double>(a.z) * b.z;
}

void Vec3::NormaliseTo(const Vec3& v, Vec3& out)
{
    double length = std::sqrt(Dot(v, v));
    // 1/0 would turn every component into NaN and, through LookAt, blank the whole view.
    if (length == 0.0) {
        out = v;
        return;
    }
    double scale = 1.0 / length;
    out.x = static_cast<float>(v.x * scale);
    out.y = static_cast<float>(v.y * scale);
    out.z = static_cast<float>(v.z * scale);
}

void Vec3::Normalise(Vec3& v) { NormaliseTo(v, v); }

void Vec3::Cross(const Vec3& a, Vec3& out, const Vec3& b)
{
    double x = static_cast<double>(a.y) * b.z - static_cast<double>(a.z) * b.y;
    double y = static_cast<double>(a.z) * b.x - static_cast<double>(a.x) * b.z;
    double z = static_cast<double>(a.x) * b.y - static_cast<double>(a.y) * b.x;
    out.x = static_cast<float>(x);
    out.y = static_cast<float>(y);
    out.z = static_cast<float>(z);
}

void Matrix::Identity(Matrix& out)
{
    for (int i = 0; i < 16; ++i) out.m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

void Matrix::Multiply(Matrix& out, const Matrix& a, const Matrix& b)
{
    float result[16];
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) sum += static_cast<double>(a.m[4 * r + k]) * b.m[4 * k + c];
            result[4 * r + c] = static_cast<float>(sum);
        }
    }
    for (int i = 0; i < 16; ++i) out.m[i] = result[i];
}

void Matrix::Transpose(Matrix& out, const Matrix& source)
{
    float result[16];
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) result[4 * c + r] = source.m[4 * r + c];
    }
    for (int i = 0; i < 16; ++i) out.m[i] = result[i];
}

namespace {

struct SineCosine {
    double s;
    double c;
};

SineCosine OfDegrees(double degrees)
{
    double radians = degrees * MATHS_DEGREES_TO_RADIANS;
    return {std::sin(radians), std::cos(radians)};
}

void Clear(Matrix& out)
{
    for (float& entry : out.m) entry = 0.0f;
}

} // namespace

void Matrix::SetRotationX(Matrix& out, double degrees)
{
    SineCosine a = OfDegrees(degrees);
    Identity(out);
    out.m[5] = static_cast<float>(a.c);
    out.m[6] = static_cast<float>(-a.s);
    out.m[9] = static_cast<float>(a.s);
    out.m[10] = static_cast<float>(a.c);
}

void Matrix::SetRotationY(Matrix& out, double degrees)
{
    SineCosine a = OfDegrees(degrees);
    Identity(out);
    out.m[0] = static_cast<float>(a.c);
    out.m[2] = static_cast<float>(a.s);
    out.m[8] = static_cast<float>(-a.s);
    out.m[10] = static_cast<float>(a.c);
}

void Matrix::SetRotationZ(Matrix& out, double degrees)
{
    SineCosine a = OfDegrees(degrees);
    Identity(out);
    out.m[0] = static_cast<float>(a.c);
    out.m[1] = static_cast<float>(-a.s);
    out.m[4] = static_cast<float>(a.s);
    out.m[5] = static_cast<float>(a.c);
}

void Matrix::SetRotationAxis(Matrix& out, Vec3& axis, double degrees)
{
    Vec3::Normalise(axis);
    SineCosine a = OfDegrees(degrees);
    double s = a.s;
    double c = a.c;
    double t = 1.0 - c;
    double x = axis.x;
    double y = axis.y;
    double z = axis.z;
    Clear(out);
    out.m[0] = static_cast<float>(t * x * x + c);
    out.m[1] = static_cast<float>(t * x * y + s * z);
    out.m[2] = static_cast<float>(t * x * z - s * y);
    out.m[4] = static_cast<float>(t * x * y - s * z);
    out.m[5] = static_cast<float>(t * y * y + c);
    out.m[6] = static_cast<float>(t * y * z + s * x);
    out.m[8] = static_cast<float>(t * x * z + s * y);
    out.m[9] = static_cast<float>(t * y * z - s * x);
    out.m[10] = static_cast<float>(t * z * z + c);
    out.m[15] = 1.0f;
}

namespace {

// The depth rows shared by both perspective forms.
void SetPerspectiveDepth(Matrix& out, double zNear, double zFar)
{
    double range = zFar - zNear;
    out.m[10] = static_cast<float>(zFar / range);
    out.m[11] = 1.0f;
    out.m[14] = static_cast<float>(-zNear * zFar / range);
}

} // namespace

void Matrix::Perspective(Matrix& out, double fovRadians, double aspect, double zNear, double zFar)
{
    double h = 1.0 / std::tan(fovRadians / 2.0);
    Clear(out);
    out.m[0] = static_cast<float>(h / aspect);
    out.m[5] = static_cast<float>(h);
    SetPerspectiveDepth(out, zNear, zFar);
}

void Matrix::PerspectiveSize(Matrix& out, double width, double height, double zNear, double zFar)
{
    Clear(out);
    out.m[0] = static_cast<float>(2.0 * zNear / width);
    out.m[5] = static_cast<float>(2.0 * zNear / height);
    SetPerspectiveDepth(out, zNear, zFar);
}

void Matrix::Ortho(Matrix& out, double width, double height, double zNear, double zFar)
{
    Clear(out);
    out.m[0] = static_cast<float>(2.0 / width);
    out.m[5] = static_cast<float>(2.0 / height);
    out.m[10] = static_cast<float>(1.0 / (zFar - zNear));
    out.m[14] = static_cast<float>(zNear / (zNear - zFar));
    out.m[15] = 1.0f;
}

void Matrix::LookAt(Matrix& out, const Vec3& eye, const Vec3& at, const Vec3& up)
{
    Vec3 z;
    Vec3::Sub(z, at, eye);
    Vec3::Normalise(z);
    Vec3 upUnit;
    Vec3::NormaliseTo(up, upUnit);
    Vec3 x;
    Vec3::Cross(upUnit, x, z);
    Vec3::Normalise(x);
    Vec3 y;
    Vec3::Cross(z, y, x);

    out.m[0] = x.x;
    out.m[1] = y.x;
    out.m[2] = z.x;
    out.m[3] = 0.0f;
    out.m[4] = x.y;
    out.m[5] = y.y;
    out.m[6] = z.y;
    out.m[7] = 0.0f;
    out.m[8] = x.z;
    out.m[9] = y.z;
    out.m[10] = z.z;
    out.m[11] = 0.0f;
    out.m[12] = static_cast<float>(-Vec3::Dot(x, eye));
    out.m[13] = static_cast<float>(-Vec3::Dot(y, eye));
    out.m[14] = static_cast<float>(-Vec3::Dot(z, eye));
    out.m[15] = 1.0f;
}
