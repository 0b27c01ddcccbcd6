// The blocking text and letter sequences between levels and at the end.
#pragma once

constexpr const char* BANNER_LEVEL2 = "Well Done ! Now you have to open doors . . .";
constexpr const char* BANNER_LEVEL3 = "To take jewels, you have to open box";
constexpr const char* BANNER_LEVEL4 = "Do you want to complete the game  ?";
constexpr const char* CONGRATULATIONS = "Congratulations, you have done the HiScore !";
constexpr const char* BUT_DOTS = "But . . .";

struct LetterDef {
    int sprite; // a SpriteId
    int w, h, y;
    int stop; // 0: no stop (the Y)
};

extern const LetterDef lettersLose[7];
extern const LetterDef lettersWin[6];

void scrollBanner(const char* text);
void slideLetters(const LetterDef* letters, int count, bool withBut);
void playGameOverSequence();
void playVictorySequence();
