// The layer's own message box: drawn with a TrueType font of the system into a pixel buffer and shown in a
// plain SDL window, so that its texts read right whatever the desktop's fonts and locale (the system box of
// SDL cannot show Japanese without CJK X fonts). The model and the painting work without a window (tests).
#pragma once

#include "windows.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace dialog {

// The code points of a UTF-8 text; a byte that starts no valid sequence becomes U+FFFD.
std::u32string Utf8Decode(const std::string& text);

// 0xRRGGBB pixels, top row first.
struct Canvas {
    int w = 0, h = 0;
    std::vector<uint32_t> px;

    Canvas(int width, int height, uint32_t rgb) : w(width), h(height), px((size_t)width * height, rgb) {}
    void Fill(int x, int y, int width, int height, uint32_t rgb);
    // A border `thick` pixels wide inside the rectangle.
    void Frame(int x, int y, int width, int height, int thick, uint32_t rgb);
    // rgb over the pixel with coverage 0 (nothing) to 255 (all).
    void Blend(int x, int y, uint32_t rgb, int coverage);
};

// A TrueType or OpenType font file (the first face of a collection), mapped into memory.
class Font {
  public:
    // Null when the file cannot be read or holds no font.
    static std::unique_ptr<Font> Open(const std::string& path);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // True when every code point of text other than line breaks has a glyph.
    bool Covers(const std::u32string& text) const;
    // Width of a line, and the ascent and line spacing, in pixels at a pixel height.
    float Width(const std::u32string& line, float px) const;
    float Ascent(float px) const;
    float LineHeight(float px) const;
    // One line with its left end at x and its baseline at y.
    void Draw(Canvas& canvas, const std::u32string& line, float x, float y, float px, uint32_t rgb) const;
    const std::string& Path() const { return m_Path; }

  private:
    struct Impl;
    explicit Font(Impl* impl, const std::string& path) : m_Impl(impl), m_Path(path) {}
    Impl* m_Impl;
    std::string m_Path;
};

// The first of the usual fonts of Linux desktops (DejaVu, Liberation, Noto; for Japanese IPA, VL, Takao,
// Noto CJK, Droid), then of every font file under the system's and the user's font folders, that covers
// every one of texts. Null when none does.
std::unique_ptr<Font> FindFont(const std::vector<std::u32string>& texts);

// What a box says and offers.
struct Spec {
    std::string text, caption;
    bool yesNo = false;     // Yes and No with a "Don't ask again" tick box; else OK alone
    bool defaultNo = false; // No is the default button (MB_DEFBUTTON2)
    bool error = false;     // an error box (MB_ICONERROR): a red mark, else a blue one
};

// The words of the buttons and the tick box.
struct Labels {
    const char* yes;
    const char* no;
    const char* ok;
    const char* dontAsk;
};
const Labels& EnglishLabels();
const Labels& JapaneseLabels();

enum class Key { Enter, Escape, Tab, BackTab, Left, Right, Space, Yes, No };

// A box's state, layout and picture. Controls in focus order: the tick box (Yes/No boxes), then the
// buttons left to right; the default button has the focus at first.
class Box {
  public:
    Box(const Spec& spec, const Labels& labels, const Font& font);

    int Width() const { return m_W; }
    int Height() const { return m_H; }
    // The answer a key gives (IDYES, IDNO, IDOK), 0 when the box stays open. Enter presses the focused
    // button (the default button while the tick box has the focus), Escape answers as closing does.
    int Press(Key key);
    // The answer of closing the box: No, or OK.
    int CloseAnswer() const { return m_Spec.yesNo ? IDNO : IDOK; }
    // The mouse: a button is pressed where it went down and answers when it comes up over it; the tick box
    // turns over on a click.
    void MouseMove(int x, int y);
    void MouseDown(int x, int y);
    int MouseUp(int x, int y);
    bool Ticked() const { return m_Ticked; }
    int Focus() const { return m_Focus; }
    void Paint(Canvas& canvas) const;

  private:
    struct Control {
        int x = 0, y = 0, w = 0, h = 0;
        int answer = 0; // IDYES, IDNO, IDOK; 0 for the tick box
        std::u32string label;
        bool Hit(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
    };
    int ControlAt(int x, int y) const;
    int Activate(int index);

    Spec m_Spec;
    const Font& m_Font;
    std::vector<std::u32string> m_Lines; // the text, wrapped
    std::u32string m_Caption;
    std::vector<Control> m_Controls;
    int m_W = 0, m_H = 0;
    int m_TextX = 0, m_TextY = 0;
    int m_Focus = 0, m_Default = 0, m_Hover = -1, m_Pressed = -1;
    bool m_Ticked = false;
};

// What Show gives besides an answer.
constexpr int kCannotShow = 0;

// Shows the box in a window of its own (SDL video must be started) until it is answered, closed, or SIGINT
// or SIGTERM arrives (then as closing it). kCannotShow when the window cannot be made.
int Show(const Spec& spec, const Labels& labels, const Font& font, bool* ticked);

} // namespace dialog
