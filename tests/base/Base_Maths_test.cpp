#include "base/Base_Maths.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A row vector times the matrix, as the 3D code applies it to points.
void Transform(const float in[4], const Matrix& m, float out[4])
{
    for (int c = 0; c < 4; ++c) {
        double sum = 0.0;
        for (int r = 0; r < 4; ++r) sum += static_cast<double>(in[r]) * m.m[4 * r + c];
        out[c] = static_cast<float>(sum);
    }
}

Matrix Sample()
{
    Matrix m;
    for (int i = 0; i < 16; ++i) m.m[i] = static_cast<float>(i * 1.5 - 7.0);
    return m;
}

void ExpectMatrixEq(const Matrix& a, const Matrix& b)
{
    for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(a.m[i], b.m[i]) << "entry " << i;
}

TEST(Vec3, SubDotCross)
{
    Vec3 a{1, 2, 3};
    Vec3 b{4, 6, 8};
    Vec3 d;
    Vec3::Sub(d, b, a);
    EXPECT_EQ(d.x, 3.0f);
    EXPECT_EQ(d.y, 4.0f);
    EXPECT_EQ(d.z, 5.0f);
    EXPECT_EQ(Vec3::Dot(a, b), 40.0);

    Vec3 x{1, 0, 0};
    Vec3 y{0, 1, 0};
    Vec3 z;
    Vec3::Cross(x, z, y);
    EXPECT_EQ(z.x, 0.0f);
    EXPECT_EQ(z.y, 0.0f);
    EXPECT_EQ(z.z, 1.0f);
    // The result may overwrite an operand.
    Vec3::Cross(a, a, b);
    EXPECT_EQ(a.x, 2 * 8 - 3 * 6);
    EXPECT_EQ(a.y, 3 * 4 - 1 * 8);
    EXPECT_EQ(a.z, 1 * 6 - 2 * 4);
}

TEST(Vec3, NormaliseKeepsAZeroVectorZero)
{
    Vec3 v{3, 4, 0};
    Vec3 out;
    Vec3::NormaliseTo(v, out);
    EXPECT_FLOAT_EQ(out.x, 0.6f);
    EXPECT_FLOAT_EQ(out.y, 0.8f);
    EXPECT_EQ(v.x, 3.0f); // the source is untouched
    Vec3::Normalise(v);
    EXPECT_FLOAT_EQ(v.x, 0.6f);

    Vec3 zero{0, 0, 0};
    Vec3::Normalise(zero);
    EXPECT_EQ(zero.x, 0.0f);
    EXPECT_EQ(zero.y, 0.0f);
    EXPECT_EQ(zero.z, 0.0f);
}

TEST(Matrix, MultiplyAndTranspose)
{
    Matrix identity;
    Matrix::Identity(identity);
    Matrix sample = Sample();
    Matrix out;
    Matrix::Multiply(out, identity, sample);
    ExpectMatrixEq(out, sample);
    Matrix::Multiply(out, sample, identity);
    ExpectMatrixEq(out, sample);

    // A translation times a scale: row vectors see the translation applied first.
    Matrix translate;
    Matrix::Identity(translate);
    translate.m[12] = 5.0f;
    Matrix scale;
    Matrix::Identity(scale);
    scale.m[0] = 2.0f;
    Matrix both;
    Matrix::Multiply(both, translate, scale);
    float point[4] = {1, 0, 0, 1};
    float moved[4];
    Transform(point, both, moved);
    EXPECT_EQ(moved[0], 12.0f);

    // An operand may be the result.
    Matrix expected;
    Matrix::Multiply(expected, sample, both);
    Matrix::Multiply(sample, sample, both);
    ExpectMatrixEq(sample, expected);

    Matrix t = Sample();
    Matrix::Transpose(t, t);
    Matrix original = Sample();
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) EXPECT_EQ(t.m[4 * r + c], original.m[4 * c + r]);
    }
}

TEST(Matrix, RotationsTurnRowVectors)
{
    Matrix m;
    Matrix::SetRotationZ(m, 90.0);
    float point[4] = {1, 0, 0, 1};
    float out[4];
    Transform(point, m, out);
    EXPECT_NEAR(out[0], 0.0f, 1e-6);
    EXPECT_FLOAT_EQ(out[1], -1.0f);
    EXPECT_EQ(out[2], 0.0f);
    EXPECT_EQ(out[3], 1.0f);

    Matrix::SetRotationX(m, 90.0);
    float up[4] = {0, 1, 0, 1};
    Transform(up, m, out);
    EXPECT_NEAR(out[1], 0.0f, 1e-6);
    EXPECT_FLOAT_EQ(out[2], -1.0f);

    Matrix::SetRotationY(m, 90.0);
    Transform(point, m, out);
    EXPECT_NEAR(out[0], 0.0f, 1e-6);
    EXPECT_FLOAT_EQ(out[2], 1.0f);
}

TEST(Matrix, AxisRotationNormalisesTheCallersAxis)
{
    Vec3 axis{0, 0, 2};
    Matrix m;
    Matrix::SetRotationAxis(m, axis, 90.0);
    EXPECT_EQ(axis.z, 1.0f);
    // About +z the axis form turns the other way from SetRotationZ.
    Matrix z;
    Matrix::SetRotationZ(z, -90.0);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(m.m[i], z.m[i], 1e-6) << "entry " << i;

    Vec3 diagonal{1, 1, 1};
    Matrix::SetRotationAxis(m, diagonal, 120.0); // cycles the axes
    float point[4] = {1, 0, 0, 1};
    float out[4];
    Transform(point, m, out);
    EXPECT_NEAR(out[0], 0.0f, 1e-6);
    EXPECT_NEAR(out[1], 1.0f, 1e-6);
    EXPECT_NEAR(out[2], 0.0f, 1e-6);
}

TEST(Matrix, Projections)
{
    Matrix m;
    Matrix::Perspective(m, M_PI / 2, 1.0, 1.0, 101.0);
    EXPECT_EQ(m.m[0], 1.0f);
    EXPECT_EQ(m.m[5], 1.0f);
    EXPECT_EQ(m.m[10], 1.01f);
    EXPECT_EQ(m.m[11], 1.0f);
    EXPECT_EQ(m.m[14], -1.01f);
    EXPECT_EQ(m.m[15], 0.0f);
    Matrix::Perspective(m, M_PI / 2, 2.0, 1.0, 101.0);
    EXPECT_EQ(m.m[0], 0.5f);

    Matrix::PerspectiveSize(m, 2.0, 4.0, 1.0, 11.0);
    EXPECT_EQ(m.m[0], 1.0f);
    EXPECT_EQ(m.m[5], 0.5f);
    EXPECT_EQ(m.m[10], 1.1f);
    EXPECT_EQ(m.m[14], -1.1f);

    Matrix::Ortho(m, 200.0, 100.0, 2.0, 12.0);
    EXPECT_EQ(m.m[0], 0.01f);
    EXPECT_EQ(m.m[5], 0.02f);
    EXPECT_EQ(m.m[10], 0.1f);
    EXPECT_EQ(m.m[14], -0.2f);
    EXPECT_EQ(m.m[15], 1.0f);
    EXPECT_EQ(m.m[11], 0.0f);
}

TEST(Matrix, LookAtPutsTheEyeAtTheOrigin)
{
    Vec3 eye{10, 0, 0};
    Vec3 at{0, 0, 0};
    Vec3 up{0, 2, 0};
    Matrix m;
    Matrix::LookAt(m, eye, at, up);
    float e[4] = {10, 0, 0, 1};
    float out[4];
    Transform(e, m, out);
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_EQ(out[1], 0.0f);
    EXPECT_EQ(out[2], 0.0f);
    float target[4] = {0, 0, 0, 1};
    Transform(target, m, out);
    EXPECT_EQ(out[2], 10.0f); // straight ahead, at its distance
    float above[4] = {0, 3, 0, 1};
    Transform(above, m, out);
    EXPECT_EQ(out[1], 3.0f); // up stays up

    // Eye on the target: no direction, but no NaN either.
    Matrix::LookAt(m, at, at, up);
    for (float entry : m.m) EXPECT_FALSE(std::isnan(entry));
}

} // namespace
