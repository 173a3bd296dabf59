// The affine transforms.
#include "tools/assetgen/maths.h"

namespace assetgen {

Xf Xf::Scale(float x, float y, float z) {
    Xf r;
    r.m[0][0] = x, r.m[1][1] = y, r.m[2][2] = z;
    return r;
}

Xf Xf::RotX(float a) {
    Xf r;
    float c = std::cos(a), s = std::sin(a);
    r.m[1][1] = c, r.m[1][2] = -s;
    r.m[2][1] = s, r.m[2][2] = c;
    return r;
}

Xf Xf::RotY(float a) {
    Xf r;
    float c = std::cos(a), s = std::sin(a);
    r.m[0][0] = c, r.m[0][2] = s;
    r.m[2][0] = -s, r.m[2][2] = c;
    return r;
}

Xf Xf::RotZ(float a) {
    Xf r;
    float c = std::cos(a), s = std::sin(a);
    r.m[0][0] = c, r.m[0][1] = -s;
    r.m[1][0] = s, r.m[1][1] = c;
    return r;
}

Xf Xf::Move(Vec3 v) {
    Xf r;
    r.t = v;
    return r;
}

Xf Xf::Basis(Vec3 ax, Vec3 ay, Vec3 az, Vec3 o) {
    Xf r;
    r.m[0][0] = ax.x, r.m[1][0] = ax.y, r.m[2][0] = ax.z;
    r.m[0][1] = ay.x, r.m[1][1] = ay.y, r.m[2][1] = ay.z;
    r.m[0][2] = az.x, r.m[1][2] = az.y, r.m[2][2] = az.z;
    r.t = o;
    return r;
}

Xf Xf::AlongY(Vec3 d, Vec3 o) {
    Vec3 ay = Normalize(d);
    Vec3 ref = std::fabs(ay.z) < 0.9f ? Vec3(0, 0, 1) : Vec3(1, 0, 0);
    Vec3 ax = Normalize(Cross(ay, ref));
    Vec3 az = Cross(ax, ay);
    return Basis(ax, ay, az, o);
}

Xf Xf::Then(const Xf& n) const {
    Xf r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            float s = 0;
            for (int k = 0; k < 3; ++k)
                s += n.m[i][k] * m[k][j];
            r.m[i][j] = s;
        }
    r.t = n.Point(t);
    return r;
}

Vec3 Xf::Point(Vec3 p) const {
    return Dir(p) + t;
}

Vec3 Xf::Dir(Vec3 d) const {
    return {m[0][0] * d.x + m[0][1] * d.y + m[0][2] * d.z, m[1][0] * d.x + m[1][1] * d.y + m[1][2] * d.z,
            m[2][0] * d.x + m[2][1] * d.y + m[2][2] * d.z};
}

float Xf::Det() const {
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
           m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

} // namespace assetgen
