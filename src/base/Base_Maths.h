// 3-component vectors and 4x4 matrices of 32-bit floats for the 3D transforms and projections.
// Intermediate results are computed in double precision and stored as floats. Matrices are
// row-major with points as row vectors on the left, so the translation is in entries 12 to 14.
#pragma once

struct Vec3 {
    float x;
    float y;
    float z;

    static void Sub(Vec3& out, const Vec3& a, const Vec3& b);
    static double Dot(const Vec3& a, const Vec3& b);
    // Scales to length 1. A zero vector has no direction and stays zero.
    static void Normalise(Vec3& v);
    static void NormaliseTo(const Vec3& v, Vec3& out);
    // out = a x b; out may be either operand.
    static void Cross(const Vec3& a, Vec3& out, const Vec3& b);
};

struct Matrix {
    float m[16];

    static void Identity(Matrix& out);
    // out = a . b; out may be either operand.
    static void Multiply(Matrix& out, const Matrix& a, const Matrix& b);
    static void Transpose(Matrix& out, const Matrix& source);
    static void SetRotationX(Matrix& out, double degrees);
    static void SetRotationY(Matrix& out, double degrees);
    static void SetRotationZ(Matrix& out, double degrees);
    // Normalises the caller's axis in place, then builds the rotation about it.
    static void SetRotationAxis(Matrix& out, Vec3& axis, double degrees);
    static void Perspective(Matrix& out, double fovRadians, double aspect, double zNear, double zFar);
    static void PerspectiveSize(Matrix& out, double width, double height, double zNear, double zFar);
    static void Ortho(Matrix& out, double width, double height, double zNear, double zFar);
    static void LookAt(Matrix& out, const Vec3& eye, const Vec3& at, const Vec3& up);
};

// The degree-to-radian factor of the 3D code: pi / 180 as a 32-bit float.
constexpr double MATHS_DEGREES_TO_RADIANS = 0.01745329238474369;
