// Shared helpers of the device, texture and sprite tests: recording devices, a drawing device on a hidden
// OpenGL window, vertices and pixel reads.
#pragma once

#include "tests/support/ScratchDir.h"
#include "tests/unit/TestDevice.h"

#include <d3d9debug.h>
#include <d3dx9.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

struct TestVertex {
    float x, y, z;
    D3DCOLOR color;
    float u, v;
};
static_assert(sizeof(TestVertex) == 24, "the game's vertex is 24 bytes");

constexpr DWORD kTestFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// A quad as a triangle fan: (x0, y0) top-left to (x1, y1) bottom-right at depth z, clockwise on screen
// when y grows upwards (as in clip space and in a y-up world seen from the front).
inline void MakeQuad(TestVertex q[4], float x0, float y0, float x1, float y1, float z, D3DCOLOR c) {
    q[0] = {x0, y0, z, c, 0.0f, 0.0f};
    q[1] = {x1, y0, z, c, 1.0f, 0.0f};
    q[2] = {x1, y1, z, c, 1.0f, 1.0f};
    q[3] = {x0, y1, z, c, 0.0f, 1.0f};
}

// Fills a texture with one colour (D3DCOLOR).
inline void FillTexture(IDirect3DTexture9* t, D3DCOLOR c) {
    D3DLOCKED_RECT lr;
    ASSERT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
    uint8_t* p = static_cast<uint8_t*>(lr.pBits);
    for (UINT i = 0; i < t->Width() * t->Height(); ++i)
        std::memcpy(p + i * 4, &c, 4);
    t->UnlockRect(0);
}

// A recording device (no window, no GL).
class RecordingDeviceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_TestDevice.reset(new TestDevice(TestDevice::Kind::Recording));
        m_Dev = m_TestDevice->Device();
        ASSERT_NE(m_Dev, nullptr) << m_TestDevice->Why();
        ASSERT_FALSE(d3d9debug::IsDrawing(m_Dev));
    }
    void TearDown() override {
        m_TestDevice.reset();
        m_Dev = nullptr;
    }
    std::unique_ptr<TestDevice> m_TestDevice;
    IDirect3DDevice9* m_Dev = nullptr;
};

// A drawing device on a hidden 640 x 480 OpenGL window, with lighting off and identity transforms, so that
// vertex positions are clip-space positions (x, y in -1..1 with y up, z in 0..1).
class GlDeviceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_TestDevice.reset(new TestDevice(TestDevice::Kind::Drawing));
        m_Dev = m_TestDevice->Device();
        if (!m_Dev) GTEST_SKIP() << m_TestDevice->Why();
        ASSERT_TRUE(d3d9debug::IsDrawing(m_Dev));
        m_Dev->SetRenderState(D3DRS_LIGHTING, FALSE);
        m_Dev->SetFVF(kTestFvf);
    }
    void TearDown() override {
        m_TestDevice.reset();
        m_Dev = nullptr;
    }
    void Read() { ASSERT_TRUE(d3d9debug::ReadBackBuffer(m_Dev, m_Pixels)); }
    // RGBA of pixel (x, y), y counted from the top.
    const uint8_t* Px(int x, int y) const { return &m_Pixels[(size_t(y) * 640 + size_t(x)) * 4]; }
    void ExpectPixel(int x, int y, int r, int g, int b, int tolerance = 2) const {
        const uint8_t* p = Px(x, y);
        EXPECT_NEAR(p[0], r, tolerance) << "red at " << x << "," << y;
        EXPECT_NEAR(p[1], g, tolerance) << "green at " << x << "," << y;
        EXPECT_NEAR(p[2], b, tolerance) << "blue at " << x << "," << y;
    }
    void DrawQuad(const TestVertex q[4]) {
        ASSERT_EQ(m_Dev->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, q, sizeof(TestVertex)), D3D_OK);
    }
    IDirect3DTexture9* SolidTexture(UINT w, UINT h, D3DCOLOR c) {
        IDirect3DTexture9* t = nullptr;
        EXPECT_EQ(m_Dev->CreateTexture(w, h, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
        if (t) FillTexture(t, c);
        return t;
    }

    std::unique_ptr<TestDevice> m_TestDevice;
    IDirect3DDevice9* m_Dev = nullptr;
    std::vector<uint8_t> m_Pixels;
};
