// The boxes a player reads: their words per locale, and the layer's own box (keys, mouse, picture) without
// a window.
#include "app/UserText.h"
#include "dialog.h"
#include "tests/support/ScopedEnv.h"

#include <gtest/gtest.h>
#include <platform_hooks.h>

#include <cstring>
#include <memory>

namespace {

const LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT);
const LANGID kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

// The user's language with these locale variables (null: unset).
LANGID LanguageWith(const char* all, const char* messages, const char* lang) {
    ScopedEnv a("LC_ALL", all), m("LC_MESSAGES", messages), l("LANG", lang);
    return GetUserDefaultUILanguage();
}

std::unique_ptr<dialog::Font> FontFor(const dialog::Labels& labels, const char* text) {
    std::vector<std::u32string> texts = {dialog::Utf8Decode(text)};
    for (const char* word : {labels.yes, labels.no, labels.ok, labels.dontAsk})
        texts.push_back(dialog::Utf8Decode(word));
    return dialog::FindFont(texts);
}

// Pixels of the canvas darker than the box's face inside a rectangle: ink.
int Ink(const dialog::Canvas& c, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if ((c.px[(size_t)y * c.w + x] & 0xFF) < 0x80) ++n;
    return n;
}

} // namespace

TEST(UserBoxes, TheLocaleChoosesTheWordsAsPosixOrdersTheVariables) {
    EXPECT_EQ(LanguageWith(nullptr, nullptr, nullptr), kEnglish);
    EXPECT_EQ(LanguageWith(nullptr, nullptr, "C.UTF-8"), kEnglish);
    EXPECT_EQ(LanguageWith(nullptr, nullptr, "ja_JP.UTF-8"), kJapanese);
    EXPECT_EQ(LanguageWith(nullptr, "ja_JP.UTF-8", "en_GB.UTF-8"), kJapanese); // LC_MESSAGES before LANG
    EXPECT_EQ(LanguageWith("C", "ja_JP.UTF-8", "ja_JP.UTF-8"), kEnglish);      // LC_ALL before everything
    EXPECT_EQ(LanguageWith("ja_JP.eucJP", nullptr, "en_US.UTF-8"), kJapanese);
    EXPECT_EQ(LanguageWith("", "", "ja"), kJapanese); // empty ones do not count
    EXPECT_EQ(LanguageWith(nullptr, nullptr, "de_DE.UTF-8"), kEnglish);

    const UserBoxText en = UserBoxWords(BOX_FULL_SCREEN, kEnglish);
    EXPECT_STREQ(en.text, "Play in full screen?");
    EXPECT_STREQ(en.caption, "Screen size");
    const UserBoxText ja = UserBoxWords(BOX_FULL_SCREEN, kJapanese);
    EXPECT_STREQ(ja.text, "フルスクリーンにしますか？");
    EXPECT_STREQ(ja.caption, "画面サイズ");
    EXPECT_STREQ(UserBoxWords(BOX_NO_DIRECT3D, kEnglish).text, "Starting the graphics system failed.");
    EXPECT_STREQ(UserBoxWords(BOX_NO_DIRECT3D, kJapanese).text, "Direct3D の作成に失敗しました。");
    EXPECT_STREQ(UserBoxWords(BOX_NO_DEVICE, kEnglish).text,
                 "The graphics device cannot be initialised (OpenGL 3.3 is needed).");
    EXPECT_STREQ(UserBoxWords(BOX_NO_DEVICE, kJapanese).text,
                 "DirectX9が初期化できません。\n未対応のパソコンと思われます。");
    for (UserBox box : {BOX_NO_DIRECT3D, BOX_NO_DEVICE}) {
        EXPECT_STREQ(UserBoxWords(box, kEnglish).caption, "ERROR");
        EXPECT_STREQ(UserBoxWords(box, kJapanese).caption, "ERROR");
    }
}

TEST(UserBoxes, NoOneToAnswerMeansNoAndTheErrorOnOneLine) {
    PlatformRunMode saved = PlatformMode();
    PlatformMode() = PlatformRunMode();
    PlatformMode().unattended = true; // --frames
    {
        ScopedEnv lang("LANG", "ja_JP.UTF-8"), all("LC_ALL", nullptr), messages("LC_MESSAGES", nullptr);
        EXPECT_EQ(ShowUserBox(BOX_FULL_SCREEN, MB_YESNO | MB_DEFBUTTON2), IDNO);
        EXPECT_FALSE(PlatformDontAskAgain());
        testing::internal::CaptureStderr();
        EXPECT_EQ(ShowUserBox(BOX_NO_DEVICE, MB_ICONERROR), IDOK);
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "brinewisp: ERROR: DirectX9が初期化できません。 未対応のパソコンと思われます。\n");
    }
    PlatformMode() = saved;
}

TEST(OwnBox, KeysAndTheMouseAnswerAsOnTheDesktop) {
    const std::unique_ptr<dialog::Font> font = FontFor(dialog::EnglishLabels(), "Play in full screen?");
    if (!font) GTEST_SKIP() << "no TrueType font with Latin letters on this system";
    dialog::Spec question;
    question.text = "Play in full screen?";
    question.caption = "Screen size";
    question.yesNo = true;
    question.defaultNo = true;

    // Controls: 0 the tick box, 1 Yes, 2 No; No, the default, has the focus.
    dialog::Box box(question, dialog::EnglishLabels(), *font);
    EXPECT_EQ(box.Focus(), 2);
    EXPECT_EQ(box.Press(dialog::Key::Enter), IDNO);
    EXPECT_EQ(box.Press(dialog::Key::Escape), IDNO);
    EXPECT_EQ(box.CloseAnswer(), IDNO);
    EXPECT_EQ(box.Press(dialog::Key::Yes), IDYES);
    EXPECT_EQ(box.Press(dialog::Key::No), IDNO);
    EXPECT_EQ(box.Press(dialog::Key::Tab), 0); // round to the tick box
    EXPECT_EQ(box.Focus(), 0);
    EXPECT_EQ(box.Press(dialog::Key::Space), 0);
    EXPECT_TRUE(box.Ticked());
    EXPECT_EQ(box.Press(dialog::Key::Enter), IDNO); // from the tick box Enter presses the default button
    EXPECT_EQ(box.Press(dialog::Key::Right), 0);
    EXPECT_EQ(box.Focus(), 1);
    EXPECT_EQ(box.Press(dialog::Key::Enter), IDYES);
    EXPECT_EQ(box.Press(dialog::Key::BackTab), 0);
    EXPECT_EQ(box.Press(dialog::Key::Space), 0);
    EXPECT_FALSE(box.Ticked());

    // The picture: a box wide enough for its words, ink where the text and the buttons are.
    dialog::Canvas canvas(box.Width(), box.Height(), 0);
    box.Paint(canvas);
    EXPECT_GE(box.Width(), 300);
    EXPECT_GT(Ink(canvas, 60, 0, box.Width(), box.Height() / 2), 100); // "Play in full screen?"
    EXPECT_EQ(Ink(canvas, 0, 0, 4, box.Height()), 0);                  // the margin stays clear

    // A click on the middle of a button answers; pressing on one and letting go elsewhere does not.
    const int rowY = box.Height() - 18 - 15; // the middle of the buttons' row
    const int noX = box.Width() - 18 - 20;   // inside No, the rightmost button
    box.MouseDown(noX, rowY);
    EXPECT_EQ(box.MouseUp(4, 4), 0);
    box.MouseDown(noX, rowY);
    EXPECT_EQ(box.MouseUp(noX, rowY), IDNO);
    box.MouseDown(18 + 4, rowY); // the tick box
    EXPECT_EQ(box.MouseUp(18 + 4, rowY), 0);
    EXPECT_TRUE(box.Ticked());

    dialog::Spec error;
    error.text = "The graphics device cannot be initialised (OpenGL 3.3 is needed).";
    error.caption = "ERROR";
    error.error = true;
    dialog::Box ok(error, dialog::EnglishLabels(), *font);
    EXPECT_EQ(ok.Focus(), 0);
    EXPECT_EQ(ok.Press(dialog::Key::Yes), 0); // Y and N answer only questions
    EXPECT_EQ(ok.Press(dialog::Key::Escape), IDOK);
    EXPECT_EQ(ok.Press(dialog::Key::Enter), IDOK);
}

TEST(OwnBox, JapaneseIsDrawnWithAJapaneseFont) {
    const char* text = "DirectX9が初期化できません。\n未対応のパソコンと思われます。";
    const std::unique_ptr<dialog::Font> font = FontFor(dialog::JapaneseLabels(), text);
    if (!font) GTEST_SKIP() << "no Japanese font on this system (fonts-ipafont-gothic, fonts-noto-cjk ...)";
    EXPECT_TRUE(font->Covers(dialog::Utf8Decode("画面サイズ")));
    dialog::Spec spec;
    spec.text = text;
    spec.caption = "ERROR";
    spec.error = true;
    dialog::Box box(spec, dialog::JapaneseLabels(), *font);
    dialog::Canvas canvas(box.Width(), box.Height(), 0);
    box.Paint(canvas);
    // Two lines of text, each with ink.
    const int lineH = (int)font->LineHeight(17.0f);
    EXPECT_GT(Ink(canvas, 60, 18, box.Width(), 18 + lineH), 100);
    EXPECT_GT(Ink(canvas, 60, 18 + lineH, box.Width(), 18 + 2 * lineH), 100);
}

TEST(OwnBox, Utf8DecodesAndRefusesBrokenBytes) {
    EXPECT_EQ(dialog::Utf8Decode("a\xC3\xA9"), U"a\u00E9");
    EXPECT_EQ(dialog::Utf8Decode("\xE7\x94\xBB"), U"\u753B");
    EXPECT_EQ(dialog::Utf8Decode("\xF0\x9F\x90\x99"), U"\U0001F419");
    EXPECT_EQ(dialog::Utf8Decode("\xFF"
                                 "b"),
              U"\uFFFDb");
    EXPECT_EQ(dialog::Utf8Decode("\xC0\xAF"), U"\uFFFD\uFFFD"); // an overlong slash
    EXPECT_EQ(dialog::Utf8Decode("\xE7\x94"), U"\uFFFD\uFFFD"); // cut short
}
