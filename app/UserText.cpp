#include "app/UserText.h"

namespace {

const UserBoxText kEnglish[] = {
    {"Play in full screen?", "Screen size"},
    {"Starting the graphics system failed.", "ERROR"},
    {"The graphics device cannot be initialised (OpenGL 3.3 is needed).", "ERROR"},
};

const UserBoxText kJapanese[] = {
    {"フルスクリーンにしますか？", "画面サイズ"},
    {"Direct3D の作成に失敗しました。", "ERROR"},
    {"DirectX9が初期化できません。\n未対応のパソコンと思われます。", "ERROR"},
};

} // namespace

UserBoxText UserBoxWords(UserBox box, LANGID language) {
    return PRIMARYLANGID(language) == LANG_JAPANESE ? kJapanese[box] : kEnglish[box];
}

int ShowUserBox(UserBox box, UINT type) {
    const LANGID language = GetUserDefaultUILanguage();
    UserBoxText words = UserBoxWords(box, language);
    int answer = MessageBoxA(NULL, words.text, words.caption, type);
    if (answer == 0 && PRIMARYLANGID(language) != LANG_ENGLISH) {
        words = UserBoxWords(box, MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT));
        answer = MessageBoxA(NULL, words.text, words.caption, type);
    }
    return answer;
}
