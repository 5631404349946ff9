#include "base/Base_Maths.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>

namespace {

// A row vector times the matrix, as the 3D code applies it to points.
std::array<float, 4> Transform(std::array<float, 4> in, const Matrix& m)
{
    std::array<float, 4> out;
    for (int c = 0; c < 4; ++c) {
        double sum = 0.0;
        for (int r = 0; r < 4; ++r) sum += static_cast<double>(in[r]) * m.m[4 * r + c];
        out[c] = static_cast<float>(sum);
    }
    return out;
}

Matrix Sample()
{
    Matrix m;
    for (int i = 0; i < 16; ++i) m.m[i] = static_cast<float>(i * 1.5 - 7.0);
    return m;
}

void ExpectNear(const Matrix& a, const Matrix& b, double tolerance)
{
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(a.m[i], b.m[i], tolerance) << "entry " << i;
}

TEST(Vec3, DotCrossAndNormalise)
{
    Vec3 a{1, 2, 3}, b{4, 6, 8};
    EXPECT_EQ(Vec3::Dot(a, b), 40.0);
    Vec3::Cross(a, a, b); // the result may overwrite an operand
    EXPECT_EQ((std::array<float, 3>{2 * 8 - 3 * 6, 3 * 4 - 1 * 8, 1 * 6 - 2 * 4}),
              (std::array<float, 3>{a.x, a.y, a.z}));

    Vec3 zero{0, 0, 0};
    Vec3::Normalise(zero); // stays zero rather than NaN
    EXPECT_EQ((std::array<float, 3>{0, 0, 0}), (std::array<float, 3>{zero.x, zero.y, zero.z}));
}

TEST(Matrix, MultiplyAndTranspose)
{
    Matrix sample = Sample();
    // A translation times a scale: row vectors see the translation applied first.
    Matrix translate, scale, both;
    Matrix::Identity(translate);
    translate.m[12] = 5.0f;
    Matrix::Identity(scale);
    scale.m[0] = 2.0f;
    Matrix::Multiply(both, translate, scale);
    EXPECT_EQ(Transform({1, 0, 0, 1}, both)[0], 12.0f);

    // An operand may be the result.
    Matrix expected;
    Matrix::Multiply(expected, sample, both);
    Matrix::Multiply(sample, sample, both);
    ExpectNear(sample, expected, 0);

}

TEST(Matrix, RotationsTurnRowVectors)
{
    Vec3 diagonal{1, 1, 1};
    const struct {
        const char* name;
        std::function<void(Matrix&)> make;
        std::array<float, 4> point, expected;
    } cases[] = {
        {"z", [](Matrix& m) { Matrix::SetRotationZ(m, 90.0); }, {1, 0, 0, 1}, {0, -1, 0, 1}},
        {"x", [](Matrix& m) { Matrix::SetRotationX(m, 90.0); }, {0, 1, 0, 1}, {0, 0, -1, 1}},
        // About the diagonal 120 degrees cycles the axes.
        {"axis", [&](Matrix& m) { Matrix::SetRotationAxis(m, diagonal, 120.0); }, {1, 0, 0, 1}, {0, 1, 0, 1}},
    };
    for (const auto& c : cases) {
        Matrix m;
        c.make(m);
        std::array<float, 4> out = Transform(c.point, m);
        for (int i = 0; i < 4; ++i) EXPECT_NEAR(out[i], c.expected[i], 1e-6) << c.name << " " << i;
    }

    Vec3 axis{0, 0, 2};
    Matrix m, z;
    Matrix::SetRotationAxis(m, axis, 90.0);
    EXPECT_EQ(axis.z, 1.0f); // the caller's axis is normalised
    // About +z the axis form turns the other way from SetRotationZ.
    Matrix::SetRotationZ(z, -90.0);
    ExpectNear(m, z, 1e-6);
}

TEST(Matrix, LookAtPutsTheEyeAtTheOrigin)
{
    Vec3 eye{10, 0, 0}, at{0, 0, 0}, up{0, 2, 0};
    Matrix m;
    Matrix::LookAt(m, eye, at, up);
    EXPECT_EQ((std::array<float, 4>{0, 0, 0, 1}), Transform({10, 0, 0, 1}, m));
    EXPECT_EQ(Transform({0, 3, 0, 1}, m)[1], 3.0f); // up stays up

    // Eye on the target: no direction, but no NaN either.
    Matrix::LookAt(m, at, at, up);
    for (float entry : m.m) EXPECT_FALSE(std::isnan(entry));
}

} // namespace
