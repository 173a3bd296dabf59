// The tests' graphics devices, made over the real device: a recording device (no window, no OpenGL) or a
// drawing device on a hidden OpenGL window. Every test that needs a device of its own makes it here.
#pragma once

#include <d3d9.h>
#include <picture_size.h>

#include <cstring>
#include <string>
#include <vector>

// The bits of a float, as float render states take them.
inline DWORD FloatBits(float f) {
    DWORD d;
    std::memcpy(&d, &f, sizeof d);
    return d;
}

// A back buffer of the picture's size (X8R8G8B8, 16-bit depth), windowed.
D3DPRESENT_PARAMETERS TestPresentParams();

// A device that lives as long as the object, with its Direct3D object and its window.
class TestDevice {
  public:
    enum class Kind { Recording, Drawing };
    // A drawing device's hidden window has this client size; the back buffer always has the picture's.
    explicit TestDevice(Kind kind, int windowWidth = kPictureWidth, int windowHeight = kPictureHeight);
    ~TestDevice();
    TestDevice(const TestDevice&) = delete;
    TestDevice& operator=(const TestDevice&) = delete;

    // Null when the device could not be made (no OpenGL 3.3 window here, for a drawing one); Why() says why.
    IDirect3DDevice9* Device() const { return m_Dev; }
    IDirect3D9* Direct3D() const { return m_D3D; }
    HWND Window() const { return m_Hwnd; }
    const std::string& Why() const { return m_Why; }

    // The render state the game sets at start-up: depth test and write on, alpha blending (source alpha,
    // inverse source alpha), culling of counter-clockwise faces, linear filtering, light 0 white directional
    // towards (1, -1, 1) with ambient 0.5, fog off.
    void SetGameStartState();

  private:
    IDirect3D9* m_D3D = nullptr;
    IDirect3DDevice9* m_Dev = nullptr;
    HWND m_Hwnd = nullptr;
    std::string m_Why;
};

// Clears the back buffer to color and the depth buffer to 1.
void TestDeviceClear(IDirect3DDevice9* device, D3DCOLOR color);
// Linear table fog.
void TestDeviceSetFog(IDirect3DDevice9* device, BOOL enable, D3DCOLOR color, float start, float end);
void TestDeviceSetLight(IDirect3DDevice9* device, DWORD index, const D3DLIGHT9& light, BOOL enable);
void TestDeviceSetCull(IDirect3DDevice9* device, DWORD cullMode);
// The back buffer as RGBA bytes, top row first.
bool TestDeviceReadPixels(IDirect3DDevice9* device, std::vector<unsigned char>* rgba);
