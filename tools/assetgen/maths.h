// The generator's small maths: constants, easing, 3D vectors and affine transforms. The meshes, the pictures
// and the preview all use these.
//
// Coordinates are Direct3D's: left-handed, y up, z forward.
#pragma once

#include <cmath>

namespace assetgen {

constexpr float kPi = 3.14159265358979f;

inline float Clamp01(float v) {
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}
// 0 below e0, 1 above e1, a smooth S between.
inline float Smoothstep(float e0, float e1, float x) {
    float t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}
inline float Deg(float d) {
    return d * kPi / 180.0f;
}

struct Vec3 {
    float x = 0, y = 0, z = 0;
    Vec3() = default;
    Vec3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
};

struct Vec2 {
    float u = 0, v = 0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator-(Vec3 a) {
    return {-a.x, -a.y, -a.z};
}
inline Vec3 operator*(Vec3 a, float s) {
    return {a.x * s, a.y * s, a.z * s};
}
inline Vec3 operator*(float s, Vec3 a) {
    return a * s;
}
inline float Dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 Cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float Length(Vec3 a) {
    return std::sqrt(Dot(a, a));
}
inline Vec3 Normalize(Vec3 a) {
    float l = Length(a);
    return l > 1e-12f ? a * (1.0f / l) : Vec3(0, 1, 0);
}
inline Vec3 Lerp(Vec3 a, Vec3 b, float t) {
    return a + (b - a) * t;
}

// Affine transform p' = M p + t (column vectors). Rotations turn like D3DX's: RotY(a) takes +z to
// (sin a, 0, cos a), RotX(a) takes +z to (0, -sin a, cos a), RotZ(a) takes +x to (cos a, sin a, 0).
struct Xf {
    float m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    Vec3 t;

    static Xf Scale(float x, float y, float z);
    static Xf RotX(float rad);
    static Xf RotY(float rad);
    static Xf RotZ(float rad);
    static Xf Move(Vec3 v);
    static Xf Move(float x, float y, float z) { return Move(Vec3(x, y, z)); }
    // A frame whose local x, y, z axes go to the given vectors and whose origin goes to o.
    static Xf Basis(Vec3 ax, Vec3 ay, Vec3 az, Vec3 o);
    // Local +y turned to the direction d (the other axes chosen smoothly), origin at o.
    static Xf AlongY(Vec3 d, Vec3 o);

    Xf Then(const Xf& next) const; // this one first, then next
    Vec3 Point(Vec3 p) const;
    Vec3 Dir(Vec3 d) const;
    float Det() const;
};

} // namespace assetgen
