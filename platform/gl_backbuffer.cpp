// The GL backend's back buffer: its scale and multisampling, presenting it between black bars, and reading
// it back for screenshots.
#include "gl_renderer.h"

#include "image_io.h"
#include "platform_hooks.h"

#include <epoxy/gl.h>
#include <SDL.h>

#include <cmath>
#include <cstring>

void GlRenderer::ApplySwapInterval() {
    if (!PlatformMode().vsync) {
        SDL_GL_SetSwapInterval(0);
        return;
    }
    // Adaptive where the driver has it: a frame that misses a refresh is shown at once (with a tear)
    // instead of waiting for the next one, so the frame clock's 60 frames a second never drop to 30.
    if (SDL_GL_SetSwapInterval(-1) != 0) SDL_GL_SetSwapInterval(1);
}

float GlRenderer::DrawableScale() const {
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(m_Window, &w, &h);
    return ScreenScale(FitPicture(w, h));
}

int GlRenderer::PixelX(LONG x) const {
    return int(std::lround(double(x) * m_PixelWidth / m_Width));
}

int GlRenderer::PixelY(LONG y) const {
    return int(std::lround(double(y) * m_PixelHeight / m_Height));
}

void GlRenderer::DeleteBackBuffer() {
    if (m_Fbo && m_Fbo != m_ResolveFbo) glDeleteFramebuffers(1, &m_Fbo);
    if (m_ResolveFbo) glDeleteFramebuffers(1, &m_ResolveFbo);
    if (m_ColorRb) glDeleteRenderbuffers(1, &m_ColorRb);
    if (m_DepthRb) glDeleteRenderbuffers(1, &m_DepthRb);
    if (m_ColorTex) glDeleteTextures(1, &m_ColorTex);
    m_Fbo = m_ResolveFbo = m_ColorTex = m_ColorRb = m_DepthRb = 0;
}

bool GlRenderer::AllocateBackBuffer(float scale) {
    DeleteBackBuffer();
    m_Scale = scale;
    m_PixelWidth = UINT(std::lround(m_Width * double(scale)));
    m_PixelHeight = UINT(std::lround(m_Height * double(scale)));
    const GLsizei w = GLsizei(m_PixelWidth), h = GLsizei(m_PixelHeight);

    // The finished picture: a colour texture, drawn into directly unless multisampled.
    glGenTextures(1, &m_ColorTex);
    glBindTexture(GL_TEXTURE_2D, m_ColorTex);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);
    glGenFramebuffers(1, &m_ResolveFbo);
    glBindFramebuffer(GL_FRAMEBUFFER, m_ResolveFbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_ColorTex, 0);
    m_Fbo = m_ResolveFbo;
    if (m_Samples > 0) {
        glGenRenderbuffers(1, &m_ColorRb);
        glBindRenderbuffer(GL_RENDERBUFFER, m_ColorRb);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, m_Samples, GL_RGBA8, w, h);
        glGenFramebuffers(1, &m_Fbo);
        glBindFramebuffer(GL_FRAMEBUFFER, m_Fbo);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_ColorRb);
    }
    if (m_DepthBits) {
        // Nothing uses a stencil.
        glGenRenderbuffers(1, &m_DepthRb);
        glBindRenderbuffer(GL_RENDERBUFFER, m_DepthRb);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, m_Samples,
                                         m_DepthBits == 16 ? GL_DEPTH_COMPONENT16 : GL_DEPTH_COMPONENT24, w,
                                         h);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, m_DepthRb);
    }
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, m_ResolveFbo);
    const bool resolveComplete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;

    // The game draws neither points nor lines; should anything, they keep their size in picture pixels.
    GLfloat lineWidths[2] = {1.0f, 1.0f};
    glGetFloatv(GL_ALIASED_LINE_WIDTH_RANGE, lineWidths);
    glPointSize(scale);
    glLineWidth(scale < lineWidths[1] ? scale : lineWidths[1]);
    m_Cache.drawFbo = kUnknown;
    m_Cache.vpW = -1;
    return complete && resolveComplete;
}

void GlRenderer::BeginFrame() {
    MakeCurrent();
    const float scale = m_Governor.Target(DrawableScale());
    // A size GL refuses keeps the frame at the picture's own size.
    if (scale != m_Scale && !AllocateBackBuffer(scale)) AllocateBackBuffer(kMinRenderScale);
    m_FrameBegun = true;
    m_FrameStart = std::chrono::steady_clock::now();
}

unsigned GlRenderer::ResolvedFramebuffer() {
    if (m_Fbo != m_ResolveFbo) {
        const GLint w = GLint(m_PixelWidth), h = GLint(m_PixelHeight);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, m_Fbo);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_ResolveFbo);
        glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        m_Cache.drawFbo = kUnknown;
    }
    return m_ResolveFbo;
}

void GlRenderer::Compose(unsigned target, int width, int height) {
    const unsigned picture = ResolvedFramebuffer();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, picture);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, target);
    m_Cache.drawFbo = kUnknown;
    const PictureRect r = FitPicture(width, height);
    // The bars are cleared on their own: the picture covers the rest, and a software renderer pays for
    // every pixel cleared.
    const PictureRect bars[2] = {
        r.x > 0 ? PictureRect{0, 0, r.x, height} : PictureRect{0, 0, width, r.y},
        r.x > 0 ? PictureRect{r.x + r.w, 0, width - r.x - r.w, height}
                : PictureRect{0, r.y + r.h, width, height - r.y - r.h},
    };
    if (r.w != width || r.h != height) {
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        m_Cache.raster.colorWrite = 0xF;
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glEnable(GL_SCISSOR_TEST);
        for (const PictureRect& bar : bars) {
            if (bar.w <= 0 || bar.h <= 0) continue;
            glScissor(bar.x, height - bar.y - bar.h, bar.w, bar.h); // GL counts rows from the bottom
            glClear(GL_COLOR_BUFFER_BIT);
        }
        glDisable(GL_SCISSOR_TEST);
    }
    if (r.w <= 0 || r.h <= 0) return;
    const bool sameSize = UINT(r.w) == m_PixelWidth && UINT(r.h) == m_PixelHeight;
    glBlitFramebuffer(0, 0, GLint(m_PixelWidth), GLint(m_PixelHeight), r.x, height - r.y - r.h, r.x + r.w,
                      height - r.y, GL_COLOR_BUFFER_BIT, sameSize ? GL_NEAREST : GL_LINEAR);
}

void GlRenderer::Present() {
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(m_Window, &w, &h);
    Compose(0, w, h);
    if (m_FrameBegun && m_Governor.Measuring()) {
        // The frame's work ends when the rasteriser is done with it, not when its commands are queued.
        glFinish();
        const auto work = std::chrono::steady_clock::now() - m_FrameStart;
        m_Governor.AddFrame(std::chrono::duration<double, std::milli>(work).count());
    }
    m_FrameBegun = false;
    SDL_GL_SwapWindow(m_Window);
    m_Cache.drawFbo = kUnknown;
}

void GlRenderer::ReadPixels(unsigned framebuffer, int width, int height, std::vector<uint8_t>& rgba) {
    const size_t row = size_t(width) * 4;
    std::vector<uint8_t> bottomUp(row * size_t(height));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    rgba.resize(bottomUp.size());
    for (int y = 0; y < height; ++y)
        std::memcpy(&rgba[size_t(y) * row], &bottomUp[size_t(height - 1 - y) * row], row);
    for (size_t i = 3; i < rgba.size(); i += 4)
        rgba[i] = 0xFF;
}

void GlRenderer::ReadNativeBackBuffer(std::vector<uint8_t>& rgba, int& width, int& height) {
    width = int(m_PixelWidth);
    height = int(m_PixelHeight);
    ReadPixels(ResolvedFramebuffer(), width, height, rgba);
}

void GlRenderer::ReadBackBuffer(std::vector<uint8_t>& rgba) {
    int w = 0, h = 0;
    if (m_PixelWidth == m_Width && m_PixelHeight == m_Height) {
        ReadNativeBackBuffer(rgba, w, h);
        return;
    }
    std::vector<uint8_t> native;
    ReadNativeBackBuffer(native, w, h);
    rgba.resize(size_t(m_Width) * m_Height * 4);
    ResizeImage4(native.data(), w, h, rgba.data(), int(m_Width), int(m_Height));
}

void GlRenderer::ReadWindow(std::vector<uint8_t>& rgba, int& width, int& height) {
    SDL_GL_GetDrawableSize(m_Window, &width, &height);
    rgba.clear();
    if (width <= 0 || height <= 0) return;
    // What presenting puts on the window, drawn again into a framebuffer of the drawable's size: the
    // window's own buffer cannot be read back once swapped.
    GLuint color = 0, fbo = 0;
    glGenRenderbuffers(1, &color);
    glBindRenderbuffer(GL_RENDERBUFFER, color);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color);
    Compose(fbo, width, height);
    ReadPixels(fbo, width, height, rgba);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &fbo);
    glDeleteRenderbuffers(1, &color);
    m_Cache.drawFbo = kUnknown;
}
