// The world's small arithmetic: headings in degrees, horizontal distances, matrices by value.
#pragma once

#include <d3dx9math.h>

#include <cmath>

constexpr float kDegToRad = 0.017453292f; // every heading in degrees becomes radians with this
constexpr float kRadToDeg = 57.295776f;

// Heading a (degrees about the vertical axis) faces (sin a, 0, cos a).
inline D3DXVECTOR3 HeadingVector(float degrees) {
    const float r = degrees * kDegToRad;
    return D3DXVECTOR3(std::sin(r), 0.0f, std::cos(r));
}

// Range and hit tests are horizontal: the squared x-z distance, compared strictly with a squared threshold.
inline float FlatDistanceSq(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    const float dx = a.x - b.x, dz = a.z - b.z;
    return dx * dx + dz * dz;
}

inline D3DXMATRIX MatIdentity() {
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    return m;
}
inline D3DXMATRIX MatTranslation(float x, float y, float z) {
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, x, y, z);
    return m;
}
inline D3DXMATRIX MatTranslation(const D3DXVECTOR3& p) {
    return MatTranslation(p.x, p.y, p.z);
}
inline D3DXMATRIX MatScaling(float x, float y, float z) {
    D3DXMATRIX m;
    D3DXMatrixScaling(&m, x, y, z);
    return m;
}
inline D3DXMATRIX MatScaling(const D3DXVECTOR3& s) {
    return MatScaling(s.x, s.y, s.z);
}
inline D3DXMATRIX MatRotationX(float degrees) {
    D3DXMATRIX m;
    D3DXMatrixRotationX(&m, degrees * kDegToRad);
    return m;
}
inline D3DXMATRIX MatRotationY(float degrees) {
    D3DXMATRIX m;
    D3DXMatrixRotationY(&m, degrees * kDegToRad);
    return m;
}
