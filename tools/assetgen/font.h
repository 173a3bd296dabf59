// TrueType text for the generated pictures (stb_truetype over a font file of the system).
#pragma once

#include <string>
#include <vector>

#include "tools/assetgen/raster.h"

namespace assetgen {

// The bold sans face the pictures use (Debian package fonts-dejavu-core).
extern const char* const kBoldFontPath;

class Font {
  public:
    // Loads a font file; throws std::runtime_error with a clear message (naming the file and the package to
    // install) when it is missing or unreadable.
    explicit Font(const std::string& path);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // Height of a capital letter at a size.
    float CapHeight(float size) const;

    // Adds the coverage of a line of text into a mask. x is the left end of the line, baseline the baseline,
    // in design units; stretchX widens (> 1) or narrows (< 1) the letters; tracking adds space between them.
    void Draw(Mask& mask, const std::string& text, float x, float baseline, float size, float stretchX = 1.0f,
              float tracking = 0.0f) const;
    // The same, centred horizontally on cx with the capitals centred vertically on cy.
    void DrawCentred(Mask& mask, const std::string& text, float cx, float cy, float size,
                     float stretchX = 1.0f, float tracking = 0.0f) const;
    // Width including tracking and stretch.
    float LineWidth(const std::string& text, float size, float stretchX = 1.0f, float tracking = 0.0f) const;

  private:
    struct Impl;
    Impl* m_Impl;
};

} // namespace assetgen
