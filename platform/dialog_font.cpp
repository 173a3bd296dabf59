// The box's pixels and its font: UTF-8 text, a pixel buffer, and TrueType glyphs rasterised by
// stb_truetype (compiled here as static functions) from a font file of the system.
#include "dialog.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#endif
#define STBTT_STATIC
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb_truetype.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace dialog {

namespace {

namespace fs = std::filesystem;

// Font files larger than this are not fonts a box needs.
constexpr off_t kMaxFontBytes = 64L << 20;
// How many font files the search under the font folders opens at most.
constexpr size_t kMaxScannedFonts = 400;

const char* const kUsualFonts[] = {
    // Latin, Greek, Cyrillic.
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/dejavu-sans-fonts/DejaVuSans.ttf",
    "/usr/share/fonts/TTF/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
    "/usr/share/fonts/liberation-sans/LiberationSans-Regular.ttf",
    "/usr/share/fonts/truetype/noto/NotoSans-Regular.ttf",
    "/usr/share/fonts/noto/NotoSans-Regular.ttf",
    // Japanese (they carry Latin letters too).
    "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf",
    "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf",
    "/usr/share/fonts/ipa-gothic/ipag.ttf",
    "/usr/share/fonts/truetype/fonts-japanese-gothic.ttf",
    "/usr/share/fonts/truetype/vlgothic/VL-PGothic-Regular.ttf",
    "/usr/share/fonts/truetype/vlgothic/VL-Gothic-Regular.ttf",
    "/usr/share/fonts/vl-gothic-fonts/VL-PGothic-Regular.ttf",
    "/usr/share/fonts/truetype/takao-gothic/TakaoPGothic.ttf",
    "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
    "/usr/share/fonts/noto-cjk/NotoSansCJK-Regular.ttc",
    "/usr/share/fonts/google-noto-cjk/NotoSansCJK-Regular.ttc",
    "/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf",
};

bool IsLineBreak(char32_t c) {
    return c == U'\n' || c == U'\r';
}

// Plain upright faces first, bold, italic and monospaced ones last.
int FaceRank(const std::string& name) {
    int rank = 0;
    for (const char* word : {"Bold", "Italic", "Oblique", "Mono", "Light", "Thin", "Black", "Condensed"})
        if (name.find(word) != std::string::npos) rank += 2;
    if (name.find("Sans") == std::string::npos) rank += 1;
    return rank;
}

bool FontFileName(const fs::path& p) {
    std::string ext = p.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return (char)std::tolower(c); });
    return ext == ".ttf" || ext == ".otf" || ext == ".ttc";
}

// The font files under the system's and the user's font folders, plainest faces first.
std::vector<std::string> FontFilesOnTheSystem() {
    std::vector<fs::path> roots = {"/usr/share/fonts", "/usr/local/share/fonts"};
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (dataHome && *dataHome)
        roots.push_back(fs::path(dataHome) / "fonts");
    else if (home && *home)
        roots.push_back(fs::path(home) / ".local/share/fonts");
    if (home && *home) roots.push_back(fs::path(home) / ".fonts");
    std::vector<std::string> files;
    for (const fs::path& root : roots) {
        std::error_code ec;
        fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec), end;
        for (; !ec && it != end && files.size() < kMaxScannedFonts; it.increment(ec))
            if (FontFileName(it->path())) files.push_back(it->path().string());
    }
    std::stable_sort(files.begin(), files.end(), [](const std::string& a, const std::string& b) {
        return FaceRank(fs::path(a).filename().string()) < FaceRank(fs::path(b).filename().string());
    });
    return files;
}

bool CoversAll(const Font& font, const std::vector<std::u32string>& texts) {
    for (const std::u32string& t : texts)
        if (!font.Covers(t)) return false;
    return true;
}

} // namespace

std::u32string Utf8Decode(const std::string& text) {
    std::u32string out;
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        const unsigned char b = s[i];
        int more = b < 0x80 ? 0 : (b >> 5) == 0x6 ? 1 : (b >> 4) == 0xE ? 2 : (b >> 3) == 0x1E ? 3 : -1;
        char32_t cp = more == 0 ? b : more == 1 ? (b & 0x1F) : more == 2 ? (b & 0x0F) : (b & 0x07);
        bool ok = more >= 0 && i + more < n;
        for (int k = 1; ok && k <= more; ++k) {
            ok = (s[i + k] & 0xC0) == 0x80;
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        if (ok && more > 0) {
            static const char32_t kSmallest[4] = {0, 0x80, 0x800, 0x10000};
            ok = cp >= kSmallest[more] && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
        }
        out.push_back(ok ? cp : U'\uFFFD');
        i += ok ? more + 1 : 1;
    }
    return out;
}

void Canvas::Fill(int x, int y, int width, int height, uint32_t rgb) {
    const int x0 = std::max(x, 0), y0 = std::max(y, 0);
    const int x1 = std::min(x + width, w), y1 = std::min(y + height, h);
    for (int yy = y0; yy < y1; ++yy)
        std::fill(px.begin() + static_cast<std::ptrdiff_t>((size_t)yy * w) + x0,
                  px.begin() + static_cast<std::ptrdiff_t>((size_t)yy * w) + std::max(x0, x1), rgb);
}

void Canvas::Frame(int x, int y, int width, int height, int thick, uint32_t rgb) {
    Fill(x, y, width, thick, rgb);
    Fill(x, y + height - thick, width, thick, rgb);
    Fill(x, y, thick, height, rgb);
    Fill(x + width - thick, y, thick, height, rgb);
}

void Canvas::Blend(int x, int y, uint32_t rgb, int coverage) {
    if (x < 0 || y < 0 || x >= w || y >= h || coverage <= 0) return;
    coverage = std::min(coverage, 255);
    uint32_t& p = px[(size_t)y * w + x];
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int under = static_cast<int>((p >> shift) & 0xFF),
                  over = static_cast<int>((rgb >> shift) & 0xFF);
        out |= (uint32_t)((under * (255 - coverage) + over * coverage + 127) / 255) << shift;
    }
    p = out;
}

struct Font::Impl {
    void* map = nullptr;
    size_t size = 0;
    stbtt_fontinfo info{};
    ~Impl() {
        if (map) munmap(map, size);
    }
};

std::unique_ptr<Font> Font::Open(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    void* map = MAP_FAILED;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 12 && st.st_size <= kMaxFontBytes)
        map = mmap(nullptr, (size_t)st.st_size, PROT_READ, MAP_PRIVATE, fd, 0);
    close(fd);
    if (map == MAP_FAILED) return nullptr;
    std::unique_ptr<Impl> impl(new Impl);
    impl->map = map;
    impl->size = (size_t)st.st_size;
    const auto* data = static_cast<const unsigned char*>(map);
    const int offset = stbtt_GetFontOffsetForIndex(data, 0);
    if (offset < 0 || !stbtt_InitFont(&impl->info, data, offset)) return nullptr;
    return std::unique_ptr<Font>(new Font(impl.release(), path));
}

Font::~Font() {
    delete m_Impl;
}

bool Font::Covers(const std::u32string& text) const {
    for (char32_t c : text)
        if (!IsLineBreak(c) && stbtt_FindGlyphIndex(&m_Impl->info, (int)c) == 0) return false;
    return true;
}

float Font::Width(const std::u32string& line, float px) const {
    const float scale = stbtt_ScaleForPixelHeight(&m_Impl->info, px);
    float w = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        int advance = 0, bearing = 0;
        stbtt_GetCodepointHMetrics(&m_Impl->info, (int)line[i], &advance, &bearing);
        w += static_cast<float>(advance) * scale;
        if (i + 1 < line.size())
            w += static_cast<float>(
                     stbtt_GetCodepointKernAdvance(&m_Impl->info, (int)line[i], (int)line[i + 1])) *
                 scale;
    }
    return w;
}

float Font::Ascent(float px) const {
    int ascent = 0, descent = 0, gap = 0;
    stbtt_GetFontVMetrics(&m_Impl->info, &ascent, &descent, &gap);
    return static_cast<float>(ascent) * stbtt_ScaleForPixelHeight(&m_Impl->info, px);
}

float Font::LineHeight(float px) const {
    int ascent = 0, descent = 0, gap = 0;
    stbtt_GetFontVMetrics(&m_Impl->info, &ascent, &descent, &gap);
    return static_cast<float>(ascent - descent + gap) * stbtt_ScaleForPixelHeight(&m_Impl->info, px);
}

void Font::Draw(Canvas& canvas, const std::u32string& line, float x, float y, float px, uint32_t rgb) const {
    const stbtt_fontinfo* info = &m_Impl->info;
    const float scale = stbtt_ScaleForPixelHeight(info, px);
    const int baseline = (int)std::floor(y);
    std::vector<unsigned char> glyph;
    float pen = x;
    for (size_t i = 0; i < line.size(); ++i) {
        const int cp = (int)line[i];
        const int left = (int)std::floor(pen);
        const float shift = pen - static_cast<float>(left);
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        stbtt_GetCodepointBitmapBoxSubpixel(info, cp, scale, scale, shift, 0, &x0, &y0, &x1, &y1);
        const int gw = x1 - x0, gh = y1 - y0;
        if (gw > 0 && gh > 0) {
            glyph.assign((size_t)gw * gh, 0);
            stbtt_MakeCodepointBitmapSubpixel(info, glyph.data(), gw, gh, gw, scale, scale, shift, 0, cp);
            for (int gy = 0; gy < gh; ++gy)
                for (int gx = 0; gx < gw; ++gx)
                    canvas.Blend(left + x0 + gx, baseline + y0 + gy, rgb, glyph[(size_t)gy * gw + gx]);
        }
        int advance = 0, bearing = 0;
        stbtt_GetCodepointHMetrics(info, cp, &advance, &bearing);
        pen += static_cast<float>(advance) * scale;
        if (i + 1 < line.size())
            pen += static_cast<float>(stbtt_GetCodepointKernAdvance(info, cp, (int)line[i + 1])) * scale;
    }
}

std::unique_ptr<Font> FindFont(const std::vector<std::u32string>& texts) {
    for (const char* path : kUsualFonts) {
        std::unique_ptr<Font> font = Font::Open(path);
        if (font && CoversAll(*font, texts)) return font;
    }
    for (const std::string& path : FontFilesOnTheSystem()) {
        std::unique_ptr<Font> font = Font::Open(path);
        if (font && CoversAll(*font, texts)) return font;
    }
    return nullptr;
}

} // namespace dialog
