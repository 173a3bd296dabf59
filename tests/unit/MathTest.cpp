#include <d3dx9math.h>

#include <cmath>
#include <gtest/gtest.h>

namespace {
void ExpectNear(const D3DXVECTOR3& v, float x, float y, float z) {
    EXPECT_NEAR(v.x, x, 1e-4f);
    EXPECT_NEAR(v.y, y, 1e-4f);
    EXPECT_NEAR(v.z, z, 1e-4f);
}
} // namespace

TEST(Math, HeadingFacesSinCos) {
    // heading a faces (sin a, 0, cos a): (0,0,1) rotated by RotationY(a) as a direction
    D3DXMATRIX r;
    D3DXMatrixRotationY(&r, 30.0f * 0.017453292f);
    D3DXVECTOR3 f(0, 0, 1), out;
    D3DXVec3TransformNormal(&out, &f, &r);
    ExpectNear(out, 0.5f, 0.0f, 0.8660254f);
}

TEST(Math, TitleCameraEye) {
    // RotationX(60 deg) x Translation(0,0,-100) applied to (0,0,-50) gives (0, 43.30127, -125)
    D3DXMATRIX rx, t, m;
    D3DXMatrixRotationX(&rx, 1.0471976f);
    D3DXMatrixTranslation(&t, 0, 0, -100);
    D3DXMatrixMultiply(&m, &rx, &t);
    D3DXVECTOR3 p(0, 0, -50), eye;
    D3DXVec3TransformCoord(&eye, &p, &m);
    ExpectNear(eye, 0.0f, 43.30127f, -125.0f);
}

TEST(Math, MultiplyAppliesLeftFirst) {
    // scale then translate: (1,0,0) -> (2,0,0) -> (2,5,0)
    D3DXMATRIX s, t;
    D3DXMatrixScaling(&s, 2, 2, 2);
    D3DXMatrixTranslation(&t, 0, 5, 0);
    D3DXMATRIX st = s * t, ts = t * s;
    D3DXVECTOR3 p(1, 0, 0), a, b;
    D3DXVec3TransformCoord(&a, &p, &st);
    D3DXVec3TransformCoord(&b, &p, &ts);
    ExpectNear(a, 2, 5, 0);
    ExpectNear(b, 2, 10, 0);
}

TEST(Math, LookAtMapsEyeToOriginAndTargetToPlusZ) {
    D3DXVECTOR3 eye(0, 40, -10), at(0, 3, 0), up(0, 1, 0), e, a;
    D3DXMATRIX v;
    D3DXMatrixLookAtLH(&v, &eye, &at, &up);
    D3DXVec3TransformCoord(&e, &eye, &v);
    D3DXVec3TransformCoord(&a, &at, &v);
    ExpectNear(e, 0, 0, 0);
    float dist = std::sqrt(37.0f * 37.0f + 10.0f * 10.0f);
    ExpectNear(a, 0, 0, dist);
    // x axis stays world x for a camera looking down +z
    EXPECT_NEAR(v._11, 1.0f, 1e-6f);
}

TEST(Math, PerspectiveFovLHHandComputed) {
    D3DXMATRIX p;
    D3DXMatrixPerspectiveFovLH(&p, 1.5707964f, 1.3333334f, 1.0f, 1000.0f);
    EXPECT_NEAR(p._22, 1.0f, 1e-6f);
    EXPECT_NEAR(p._11, 0.75f, 1e-6f);
    EXPECT_NEAR(p._33, 1000.0f / 999.0f, 1e-6f);
    EXPECT_NEAR(p._43, -1000.0f / 999.0f, 1e-6f);
    EXPECT_EQ(p._34, 1.0f);
    EXPECT_EQ(p._44, 0.0f);
    // a point on the near plane maps to depth 0, on the far plane to depth 1
    D3DXVECTOR3 n(0, 0, 1), f(0, 0, 1000), rn, rf;
    D3DXVec3TransformCoord(&rn, &n, &p);
    D3DXVec3TransformCoord(&rf, &f, &p);
    EXPECT_NEAR(rn.z, 0.0f, 1e-6f);
    EXPECT_NEAR(rf.z, 1.0f, 1e-5f);
}

TEST(Math, InverseOfProductAndSingular) {
    D3DXMATRIX r, t, m, inv, id;
    D3DXMatrixRotationZ(&r, 0.7f);
    D3DXMatrixTranslation(&t, 3, -2, 9);
    m = r * t;
    ASSERT_NE(D3DXMatrixInverse(&inv, nullptr, &m), nullptr);
    id = m * inv;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_NEAR(id.m[i][j], i == j ? 1.0f : 0.0f, 1e-5f);
    D3DXMATRIX zero;
    D3DXMatrixScaling(&zero, 1, 0, 1);
    D3DXMATRIX keep = inv;
    EXPECT_EQ(D3DXMatrixInverse(&keep, nullptr, &zero), nullptr);
    EXPECT_TRUE(keep == inv);
}

TEST(Picking, IntersectTriBothFacesAndBehind) {
    D3DXVECTOR3 a(0, 0, 5), b(1, 0, 5), c(0, 1, 5);
    D3DXVECTOR3 o(0.25f, 0.25f, 0), d(0, 0, 1);
    float u = -1, v = -1, t = -1;
    ASSERT_TRUE(D3DXIntersectTri(&a, &b, &c, &o, &d, &u, &v, &t));
    EXPECT_NEAR(t, 5.0f, 1e-5f);
    EXPECT_NEAR(u, 0.25f, 1e-5f);
    EXPECT_NEAR(v, 0.25f, 1e-5f);
    // the other face of the same triangle counts too
    EXPECT_TRUE(D3DXIntersectTri(&a, &c, &b, &o, &d, &u, &v, &t));
    // a triangle behind the origin does not
    D3DXVECTOR3 back(0, 0, -1);
    EXPECT_FALSE(D3DXIntersectTri(&a, &b, &c, &o, &back, &u, &v, &t));
    // outside the triangle
    D3DXVECTOR3 miss(0.75f, 0.75f, 0);
    EXPECT_FALSE(D3DXIntersectTri(&a, &b, &c, &miss, &d, &u, &v, &t));
}

TEST(Picking, UnprojectScreenCentreAndCorner) {
    D3DXVECTOR3 eye(0, 0, -10), at(0, 0, 0), up(0, 1, 0);
    D3DXMATRIX view, proj;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&proj, 1.5707964f, 1.3333334f, 1.0f, 1000.0f);
    D3DVIEWPORT9 vp = {0, 0, 640, 480, 0.0f, 1.0f};
    D3DXVECTOR3 s(320, 240, 0), n, f;
    D3DXVec3Unproject(&n, &s, &vp, &proj, &view, nullptr);
    ExpectNear(n, 0, 0, -9); // the near plane lies 1 in front of the eye
    s.z = 1.0f;
    D3DXVec3Unproject(&f, &s, &vp, &proj, &view, nullptr);
    EXPECT_NEAR(f.z, 990.0f, 0.05f);
    // top-left corner at the near plane: tan(45 deg) = 1 high, 4/3 wide
    D3DXVECTOR3 tl(0, 0, 0);
    D3DXVec3Unproject(&n, &tl, &vp, &proj, &view, nullptr);
    ExpectNear(n, -1.3333334f, 1.0f, -9.0f);
    // a world matrix moves the result into object space
    D3DXMATRIX world;
    D3DXMatrixTranslation(&world, 5, 0, 0);
    D3DXVec3Unproject(&n, &s, &vp, &proj, &view, &world);
    EXPECT_NEAR(n.x, -5.0f, 0.01f);
}
