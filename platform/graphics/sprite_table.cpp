// The 26 sprite files in loading order, with the rectangle every drawing
// copies from each: the file must be at least that large.
#include "platform/ports/display.h"

const SpriteInfo spriteTable[SPRITE_COUNT + 1] = {
    {nullptr, 0, 0}, // 0 is the back buffer, not a file
    {"Table.bmp", 640, 480},
    {"Presentation.bmp", 640, 480},
    {"Joueur.bmp", 16, 16},
    {"Point.bmp", 2, 2},
    {"Touche1.bmp", 16, 16},
    {"Touche2.bmp", 16, 16},
    {"Touche3.bmp", 16, 16},
    {"Garde.bmp", 16, 16},
    {"Cle1.bmp", 16, 16},
    {"Cle2.bmp", 16, 16},
    {"Cle3.bmp", 16, 16},
    {"Cle4.bmp", 16, 16},
    {"Cle5.bmp", 16, 16},
    {"BlocHaut.bmp", 18, 17},
    {"BlocBas.bmp", 18, 17},
    {"BlocGauche.bmp", 17, 18},
    {"BlocDroite.bmp", 17, 18},
    {"E.bmp", 37, 49},
    {"I.bmp", 33, 65},
    {"L.bmp", 52, 52},
    {"N.bmp", 59, 40},
    {"O.bmp", 40, 46},
    {"S.bmp", 45, 44},
    {"U.bmp", 48, 39},
    {"W.bmp", 91, 54},
    {"Y.bmp", 62, 85},
};
