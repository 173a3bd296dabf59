// TEST-ONLY stand-in for the graphics device: implements platform/effect_bridge.h and tests/unit/TestDevice.h
// over a hidden SDL window with a GL 3.3 core context and a 640 x 480 framebuffer of its own.
// Delete this file when the real device is merged: the device implements the bridge, and TestDevice.h is
// re-implemented over the device.
#include "platform/effect_bridge.h"
#include "tests/unit/TestDevice.h"

#include <SDL2/SDL.h>
#include <epoxy/gl.h>

#include <cstdlib>
#include <cstring>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

struct IDirect3DDevice9 {
    bool gl = false;
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    GLuint fbo = 0, color = 0, depth = 0;
    BridgeFixedState state{};
};

struct IDirect3DTexture9 {
    int refs = 1;
    IDirect3DDevice9* device = nullptr;
    GLuint name = 0;
};

namespace {
const int kWidth = 640, kHeight = 480;

void MakeCurrent(IDirect3DDevice9* d) {
    SDL_GL_MakeCurrent(d->window, d->context);
    glBindFramebuffer(GL_FRAMEBUFFER, d->fbo);
    glViewport(0, 0, kWidth, kHeight);
}

BridgeFixedState StartState() {
    BridgeFixedState s{};
    s.FogTableMode = D3DFOG_NONE;
    s.FogEnd = 1.0f;
    s.FogDensity = 1.0f;
    s.ZEnable = TRUE;
    s.ZWriteEnable = TRUE;
    s.AlphaBlendEnable = TRUE;
    s.SrcBlend = D3DBLEND_SRCALPHA;
    s.DestBlend = D3DBLEND_INVSRCALPHA;
    s.CullMode = D3DCULL_CCW;
    D3DLIGHT9& l = s.Lights[0];
    l.Type = D3DLIGHT_DIRECTIONAL;
    l.Diffuse = {1, 1, 1, 1};
    l.Specular = {1, 1, 1, 1};
    l.Ambient = {0.5f, 0.5f, 0.5f, 0.5f};
    l.Direction = {1.0f, -1.0f, 1.0f};
    s.LightEnabled[0] = TRUE;
    s.Lights[1].Type = D3DLIGHT_POINT;
    return s;
}
} // namespace

// ---- the bridge ----

bool BridgeHasGL(IDirect3DDevice9* device) {
    return device && device->gl;
}

void BridgeBeginExternalDraw(IDirect3DDevice9* device) {
    if (BridgeHasGL(device)) MakeCurrent(device);
}

BridgeFixedState BridgeQueryState(IDirect3DDevice9* device) {
    return device ? device->state : StartState();
}

unsigned BridgeTextureName(IDirect3DTexture9* texture) {
    return texture ? texture->name : 0;
}

IDirect3DTexture9* BridgeCreateTextureFromFile(IDirect3DDevice9* device, const char* path) {
    if (!path) return nullptr;
    int w = 0, h = 0, n = 0;
    unsigned char* pixels = stbi_load(path, &w, &h, &n, 4);
    if (!pixels) return nullptr;
    auto* t = new IDirect3DTexture9;
    t->device = device;
    if (BridgeHasGL(device)) {
        MakeCurrent(device);
        glGenTextures(1, &t->name);
        glBindTexture(GL_TEXTURE_2D, t->name);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
        glGenerateMipmap(GL_TEXTURE_2D);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    stbi_image_free(pixels);
    return t;
}

void BridgeAddRefTexture(IDirect3DTexture9* texture) {
    if (texture) texture->refs++;
}

void BridgeReleaseTexture(IDirect3DTexture9* texture) {
    if (!texture || --texture->refs > 0) return;
    if (texture->name && BridgeHasGL(texture->device)) {
        MakeCurrent(texture->device);
        glDeleteTextures(1, &texture->name);
    }
    delete texture;
}

// ---- the test device ----

IDirect3DDevice9* TestDeviceCreate(bool withGL) {
    auto* d = new IDirect3DDevice9;
    d->state = StartState();
    if (!withGL) return d;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    // Mesa's shader cache skips compiling, and so drops the warnings, of shaders it has seen before.
    setenv("MESA_SHADER_CACHE_DISABLE", "true", 0);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        delete d;
        return nullptr;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    d->window = SDL_CreateWindow("tests", 0, 0, kWidth, kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (d->window) d->context = SDL_GL_CreateContext(d->window);
    if (!d->context) {
        if (d->window) SDL_DestroyWindow(d->window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        delete d;
        return nullptr;
    }
    d->gl = true;
    SDL_GL_MakeCurrent(d->window, d->context);
    glGenFramebuffers(1, &d->fbo);
    glGenRenderbuffers(1, &d->color);
    glGenRenderbuffers(1, &d->depth);
    glBindRenderbuffer(GL_RENDERBUFFER, d->color);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, kWidth, kHeight);
    glBindRenderbuffer(GL_RENDERBUFFER, d->depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, kWidth, kHeight);
    glBindFramebuffer(GL_FRAMEBUFFER, d->fbo);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, d->color);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, d->depth);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        TestDeviceDestroy(d);
        return nullptr;
    }
    return d;
}

void TestDeviceDestroy(IDirect3DDevice9* d) {
    if (!d) return;
    if (d->gl) {
        MakeCurrent(d);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &d->fbo);
        glDeleteRenderbuffers(1, &d->color);
        glDeleteRenderbuffers(1, &d->depth);
        SDL_GL_MakeCurrent(d->window, nullptr);
        SDL_GL_DeleteContext(d->context);
        SDL_DestroyWindow(d->window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    delete d;
}

void TestDeviceClear(IDirect3DDevice9* d, D3DCOLOR c) {
    if (!BridgeHasGL(d)) return;
    MakeCurrent(d);
    glDepthMask(GL_TRUE);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(((c >> 16) & 0xFF) / 255.0f, ((c >> 8) & 0xFF) / 255.0f, (c & 0xFF) / 255.0f,
                 ((c >> 24) & 0xFF) / 255.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void TestDeviceSetFog(IDirect3DDevice9* d, BOOL enable, D3DCOLOR color, float start, float end) {
    d->state.FogEnable = enable;
    d->state.FogColor = color;
    d->state.FogTableMode = D3DFOG_LINEAR;
    d->state.FogStart = start;
    d->state.FogEnd = end;
}

void TestDeviceSetLight(IDirect3DDevice9* d, DWORD index, const D3DLIGHT9& light, BOOL enable) {
    if (index > 1) return;
    d->state.Lights[index] = light;
    d->state.LightEnabled[index] = enable;
}

void TestDeviceSetCull(IDirect3DDevice9* d, DWORD cullMode) {
    d->state.CullMode = cullMode;
}

bool TestDeviceReadPixels(IDirect3DDevice9* d, std::vector<unsigned char>* rgba) {
    if (!BridgeHasGL(d)) return false;
    MakeCurrent(d);
    std::vector<unsigned char> rows((size_t)kWidth * kHeight * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
    rgba->resize(rows.size());
    size_t stride = (size_t)kWidth * 4;
    for (int y = 0; y < kHeight; ++y) // GL rows run bottom-up
        std::memcpy(&(*rgba)[(size_t)y * stride], &rows[(size_t)(kHeight - 1 - y) * stride], stride);
    return true;
}
