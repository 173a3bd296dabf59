// The picture's place in a window and the back buffer's scale.
#include "screen_scale.h"

#include "picture_size.h"

#include <algorithm>
#include <cstring>

PictureRect FitPicture(int width, int height) {
    PictureRect r;
    if (width <= 0 || height <= 0) return r;
    // Whole pixels, rounded to the nearest: 4:3 seldom divides the area exactly.
    if ((long long)width * kPictureHeight >= (long long)height * kPictureWidth) {
        r.h = height;
        r.w = int(((long long)height * kPictureWidth * 2 + kPictureHeight) /
                  static_cast<long long>(2 * kPictureHeight));
    } else {
        r.w = width;
        r.h = int(((long long)width * kPictureHeight * 2 + kPictureWidth) /
                  static_cast<long long>(2 * kPictureWidth));
    }
    r.x = (width - r.w) / 2;
    r.y = (height - r.h) / 2;
    return r;
}

float ScreenScale(const PictureRect& picture) {
    return float(picture.h) / float(kPictureHeight);
}

bool IsSoftwareRenderer(const char* glRenderer) {
    for (const char* name : {"llvmpipe", "softpipe", "swrast"})
        if (glRenderer && std::strstr(glRenderer, name)) return true;
    return false;
}

void RenderScaleGovernor::Configure(int requested, bool software) {
    *this = RenderScaleGovernor();
    m_Requested = requested;
    m_Adaptive = requested == 0 && software;
}

float RenderScaleGovernor::Target(float onScreen) {
    m_OnScreen = std::clamp(onScreen, kMinRenderScale, kMaxRenderScale);
    float scale = m_OnScreen;
    if (m_Requested > 0)
        scale = std::min(float(m_Requested), m_OnScreen);
    else if (m_Adaptive)
        scale = std::min(m_Level, m_OnScreen);
    if (scale != m_Last) m_Work.clear(); // frames of another scale say nothing about this one
    m_Last = scale;
    return scale;
}

void RenderScaleGovernor::AddFrame(double workMs) {
    if (!Measuring()) return;
    m_Work.push_back(workMs);
    if ((int)m_Work.size() < kRenderScaleWindow) return;
    std::nth_element(m_Work.begin(), m_Work.begin() + kRenderScaleWindow / 2, m_Work.end());
    const double median = m_Work[kRenderScaleWindow / 2];
    m_Work.clear();
    m_Level = m_Last; // a level above the on-screen size was never drawn
    if (median > kRenderScaleDownAboveMs && m_Level > kMinRenderScale) {
        m_Ceiling = m_Level;
        m_Level = std::max(kMinRenderScale, m_Level - kRenderScaleStep);
    } else if (median < kRenderScaleUpBelowMs) {
        const float up = std::min(m_Level + kRenderScaleStep, m_OnScreen);
        if (up < m_Ceiling) m_Level = up;
    }
}
