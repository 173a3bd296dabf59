// The layer's own message box: its controls, layout and picture, and the plain SDL window it runs in.
#include "dialog.h"

#include "platform_hooks.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cmath>

namespace dialog {

namespace {

// Sizes in pixels.
constexpr float kTextPx = 17.0f;
constexpr float kButtonPx = 15.0f;
constexpr int kPad = 18;
constexpr int kMark = 32; // the round mark left of the text
constexpr int kMarkGap = 14;
constexpr float kWrapWidth = 420.0f;
constexpr int kRowGap = 22; // between the text and the buttons
constexpr int kButtonH = 30;
constexpr int kButtonMinW = 88;
constexpr int kButtonGap = 10;
constexpr int kTick = 15;
constexpr int kTickGap = 8;
constexpr int kMinWidth = 300;

// Colours, 0xRRGGBB.
constexpr uint32_t kFace = 0xF0F0F0;
constexpr uint32_t kInk = 0x1C1C1C;
constexpr uint32_t kButtonFace = 0xFDFDFD;
constexpr uint32_t kButtonHover = 0xE8F0FC;
constexpr uint32_t kButtonDown = 0xD4DDEA;
constexpr uint32_t kBorder = 0x9A9A9A;
constexpr uint32_t kFocus = 0x2A6AD0;
constexpr uint32_t kErrorMark = 0xC8372D;
constexpr uint32_t kQuestionMark = 0x2A6AD0;
constexpr uint32_t kWhite = 0xFFFFFF;

constexpr char32_t kSpace = U' ';

// Scripts written without spaces (CJK and the like) may break between any two characters.
bool IsWide(char32_t c) {
    return c >= 0x2E80;
}

void TrimSpaces(std::u32string& s) {
    while (!s.empty() && s.back() == kSpace)
        s.pop_back();
    size_t lead = 0;
    while (lead < s.size() && s[lead] == kSpace)
        ++lead;
    s.erase(0, lead);
}

// The text in lines no wider than width: its own line breaks, then breaks at spaces or beside wide
// characters, else inside a word that is too long.
std::vector<std::u32string> Wrap(const Font& font, const std::u32string& text, float px, float width) {
    std::vector<std::u32string> lines;
    std::u32string line;
    size_t breakAt = 0; // where line may be cut; 0 none
    for (char32_t c : text) {
        if (c == U'\r') continue;
        if (c == U'\n') {
            lines.push_back(line);
            line.clear();
            breakAt = 0;
            continue;
        }
        if (IsWide(c) && !line.empty()) breakAt = line.size();
        line.push_back(c);
        if (c == kSpace || IsWide(c)) breakAt = line.size();
        if (line.size() > 1 && font.Width(line, px) > width) {
            const size_t cut = breakAt > 0 && breakAt < line.size() ? breakAt : line.size() - 1;
            std::u32string head = line.substr(0, cut);
            line.erase(0, cut);
            TrimSpaces(head);
            TrimSpaces(line);
            lines.push_back(head);
            breakAt = 0;
        }
    }
    lines.push_back(line);
    return lines;
}

// A filled disc, its edge smoothed.
void Disc(Canvas& canvas, float cx, float cy, float r, uint32_t rgb) {
    for (int y = (int)(cy - r) - 1; y <= (int)(cy + r) + 1; ++y)
        for (int x = (int)(cx - r) - 1; x <= (int)(cx + r) + 1; ++x) {
            const float d = std::hypot(static_cast<float>(x) + 0.5f - cx, static_cast<float>(y) + 0.5f - cy);
            canvas.Blend(x, y, rgb, (int)std::lround(std::clamp(r - d + 0.5f, 0.0f, 1.0f) * 255));
        }
}

void DrawCentred(Canvas& canvas, const Font& font, const std::u32string& text, int x, int y, int w, int h,
                 float px, uint32_t rgb) {
    const float capTop = font.Ascent(px) * 0.72f; // about the height of a capital
    font.Draw(canvas, text, static_cast<float>(x) + (static_cast<float>(w) - font.Width(text, px)) / 2,
              static_cast<float>(y) + (static_cast<float>(h) + capTop) / 2, px, rgb);
}

} // namespace

const Labels& EnglishLabels() {
    static const Labels labels = {"Yes", "No", "OK", "Don't ask again"};
    return labels;
}

const Labels& JapaneseLabels() {
    static const Labels labels = {"はい", "いいえ", "OK", "次回から確認しない"};
    return labels;
}

Box::Box(const Spec& spec, const Labels& labels, const Font& font) : m_Spec(spec), m_Font(font) {
    m_Caption = Utf8Decode(spec.caption);
    m_Lines = Wrap(font, Utf8Decode(spec.text), kTextPx, kWrapWidth);
    float textW = 0;
    for (const std::u32string& l : m_Lines)
        textW = std::max(textW, font.Width(l, kTextPx));
    const int lineH = (int)std::ceil(font.LineHeight(kTextPx));
    const int textH = std::max(kMark, lineH * (int)m_Lines.size());
    m_TextX = kPad + kMark + kMarkGap;
    m_TextY = kPad + std::max(0, (kMark - lineH * (int)m_Lines.size()) / 2);

    // The controls, in focus order.
    if (spec.yesNo) {
        Control tick;
        tick.label = Utf8Decode(labels.dontAsk);
        tick.w = kTick + kTickGap + (int)std::ceil(font.Width(tick.label, kButtonPx)) + 4;
        tick.h = kButtonH;
        m_Controls.push_back(tick);
        for (const auto& b : {std::make_pair(labels.yes, IDYES), std::make_pair(labels.no, IDNO)}) {
            Control c;
            c.label = Utf8Decode(b.first);
            c.answer = b.second;
            m_Controls.push_back(c);
        }
        m_Default = spec.defaultNo ? 2 : 1;
    } else {
        Control ok;
        ok.label = Utf8Decode(labels.ok);
        ok.answer = IDOK;
        m_Controls.push_back(ok);
        m_Default = 0;
    }
    int buttonsW = 0, leftW = 0;
    for (Control& c : m_Controls) {
        if (c.answer == 0) {
            leftW = c.w + 24;
            continue;
        }
        c.w = std::max(kButtonMinW, (int)std::ceil(font.Width(c.label, kButtonPx)) + 28);
        c.h = kButtonH;
        buttonsW += c.w + (buttonsW ? kButtonGap : 0);
    }
    m_W = std::max({kMinWidth, m_TextX + (int)std::ceil(textW) + kPad, kPad + leftW + buttonsW + kPad});
    const int rowY = kPad + textH + kRowGap;
    m_H = rowY + kButtonH + kPad;
    int x = m_W - kPad - buttonsW;
    for (Control& c : m_Controls) {
        c.y = rowY;
        if (c.answer == 0) {
            c.x = kPad;
            continue;
        }
        c.x = x;
        x += c.w + kButtonGap;
    }
    m_Focus = m_Default;
}

int Box::Activate(int index) {
    if (index < 0 || index >= (int)m_Controls.size()) return 0;
    if (m_Controls[index].answer) return m_Controls[index].answer;
    m_Ticked = !m_Ticked;
    return 0;
}

int Box::Press(Key key) {
    const int n = (int)m_Controls.size();
    switch (key) {
    case Key::Enter:
        return Activate(m_Controls[m_Focus].answer ? m_Focus : m_Default);
    case Key::Space:
        return Activate(m_Focus);
    case Key::Escape:
        return CloseAnswer();
    case Key::Tab:
    case Key::Right:
        m_Focus = (m_Focus + 1) % n;
        return 0;
    case Key::BackTab:
    case Key::Left:
        m_Focus = (m_Focus + n - 1) % n;
        return 0;
    case Key::Yes:
        return m_Spec.yesNo ? IDYES : 0;
    case Key::No:
        return m_Spec.yesNo ? IDNO : 0;
    }
    return 0;
}

int Box::ControlAt(int x, int y) const {
    for (size_t i = 0; i < m_Controls.size(); ++i)
        if (m_Controls[i].Hit(x, y)) return (int)i;
    return -1;
}

void Box::MouseMove(int x, int y) {
    m_Hover = ControlAt(x, y);
}

void Box::MouseDown(int x, int y) {
    m_Pressed = ControlAt(x, y);
    if (m_Pressed >= 0) m_Focus = m_Pressed;
}

int Box::MouseUp(int x, int y) {
    const int pressed = m_Pressed;
    m_Pressed = -1;
    return pressed >= 0 && pressed == ControlAt(x, y) ? Activate(pressed) : 0;
}

void Box::Paint(Canvas& canvas) const {
    canvas.Fill(0, 0, canvas.w, canvas.h, kFace);
    Disc(canvas, kPad + kMark / 2.0f, kPad + kMark / 2.0f, kMark / 2.0f,
         m_Spec.error ? kErrorMark : kQuestionMark);
    DrawCentred(canvas, m_Font, m_Spec.error ? U"!" : U"?", kPad, kPad, kMark, kMark, 22.0f, kWhite);
    const float lineH = std::ceil(m_Font.LineHeight(kTextPx));
    for (size_t i = 0; i < m_Lines.size(); ++i)
        m_Font.Draw(canvas, m_Lines[i], (float)m_TextX,
                    static_cast<float>(m_TextY) + m_Font.Ascent(kTextPx) + static_cast<float>(i) * lineH,
                    kTextPx, kInk);
    for (size_t i = 0; i < m_Controls.size(); ++i) {
        const Control& c = m_Controls[i];
        const bool focused = (int)i == m_Focus;
        if (c.answer == 0) { // the tick box and its words
            const int ty = c.y + (c.h - kTick) / 2;
            canvas.Fill(c.x, ty, kTick, kTick, kWhite);
            canvas.Frame(c.x, ty, kTick, kTick, 1, focused ? kFocus : 0x6A6A6A);
            if (m_Ticked) canvas.Fill(c.x + 3, ty + 3, kTick - 6, kTick - 6, kFocus);
            const int labelX = c.x + kTick + kTickGap;
            m_Font.Draw(canvas, c.label, (float)labelX,
                        static_cast<float>(c.y) +
                            (static_cast<float>(c.h) + m_Font.Ascent(kButtonPx) * 0.72f) / 2,
                        kButtonPx, kInk);
            if (focused) canvas.Frame(labelX - 3, c.y + 3, c.w - kTick - kTickGap + 2, c.h - 6, 1, kFocus);
            continue;
        }
        const uint32_t face = (int)i == m_Pressed ? kButtonDown
                              : (int)i == m_Hover ? kButtonHover
                                                  : kButtonFace;
        canvas.Fill(c.x, c.y, c.w, c.h, face);
        canvas.Frame(c.x, c.y, c.w, c.h, focused ? 2 : 1, focused ? kFocus : kBorder);
        DrawCentred(canvas, m_Font, c.label, c.x, c.y, c.w, c.h, kButtonPx, kInk);
    }
}

namespace {

// The canvas into the window; false when the window has no surface to draw on.
bool Present(SDL_Window* window, Canvas& canvas) {
    SDL_Surface* target = SDL_GetWindowSurface(window);
    if (!target) return false;
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(canvas.px.data(), canvas.w, canvas.h, 32,
                                                             canvas.w * 4, SDL_PIXELFORMAT_RGB888);
    if (!source) return false;
    const bool ok = SDL_BlitSurface(source, nullptr, target, nullptr) == 0;
    SDL_FreeSurface(source);
    return ok && SDL_UpdateWindowSurface(window) == 0;
}

// The keys a box answers to; Tab with Shift goes backwards.
const struct {
    SDL_Keycode sym;
    Key key;
} kBoxKeys[] = {{SDLK_RETURN, Key::Enter}, {SDLK_KP_ENTER, Key::Enter}, {SDLK_ESCAPE, Key::Escape},
                {SDLK_TAB, Key::Tab},      {SDLK_LEFT, Key::Left},      {SDLK_RIGHT, Key::Right},
                {SDLK_SPACE, Key::Space},  {SDLK_y, Key::Yes},          {SDLK_n, Key::No}};

bool KeyOf(const SDL_KeyboardEvent& e, Key& key) {
    for (const auto& k : kBoxKeys)
        if (e.keysym.sym == k.sym) {
            key = k.key == Key::Tab && (e.keysym.mod & KMOD_SHIFT) ? Key::BackTab : k.key;
            return true;
        }
    return false;
}

// One event for the box; its answer, 0 while it stays open.
int Handle(Box& box, const SDL_Event& ev, Uint32 windowId, bool& dirty) {
    switch (ev.type) {
    case SDL_QUIT:
        return box.CloseAnswer();
    case SDL_WINDOWEVENT:
        if (ev.window.windowID != windowId) return 0;
        if (ev.window.event == SDL_WINDOWEVENT_CLOSE) return box.CloseAnswer();
        dirty = true; // shown, exposed, resized
        return 0;
    case SDL_KEYDOWN: {
        Key key;
        if (ev.key.windowID != windowId || !KeyOf(ev.key, key)) return 0;
        dirty = true;
        return box.Press(key);
    }
    case SDL_MOUSEMOTION:
        if (ev.motion.windowID != windowId) return 0;
        box.MouseMove(ev.motion.x, ev.motion.y);
        dirty = true;
        return 0;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (ev.button.windowID != windowId || ev.button.button != SDL_BUTTON_LEFT) return 0;
        dirty = true;
        if (ev.type == SDL_MOUSEBUTTONDOWN) {
            box.MouseDown(ev.button.x, ev.button.y);
            return 0;
        }
        return box.MouseUp(ev.button.x, ev.button.y);
    default:
        return 0;
    }
}

} // namespace

int Show(const Spec& spec, const Labels& labels, const Font& font, bool* ticked) {
    Box box(spec, labels, font);
    SDL_Window* window =
        SDL_CreateWindow(spec.caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, box.Width(),
                         box.Height(), SDL_WINDOW_HIDDEN);
    if (!window) return kCannotShow;
    SDL_ShowWindow(window);
    SDL_RaiseWindow(window);
    const Uint32 id = SDL_GetWindowID(window);
    Canvas canvas(box.Width(), box.Height(), kFace);
    int answer = 0;
    bool dirty = true;
    while (answer == 0) {
        if (PlatformSignalled()) {
            answer = box.CloseAnswer();
            break;
        }
        if (dirty) {
            box.Paint(canvas);
            if (!Present(window, canvas)) break; // nothing to show it on
            dirty = false;
        }
        SDL_Event ev;
        if (!SDL_WaitEventTimeout(&ev, 100)) continue; // a tenth of a second: a signal is seen soon
        do
            answer = Handle(box, ev, id, dirty);
        while (answer == 0 && SDL_PollEvent(&ev));
    }
    SDL_DestroyWindow(window);
    // Nothing of the box (its keys, its closing, the quit that closing the last window makes) reaches the
    // game's window.
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    if (ticked) *ticked = answer != kCannotShow && box.Ticked();
    return answer;
}

} // namespace dialog
