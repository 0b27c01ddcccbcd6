// The sides and opened boxes of each level's board.
#pragma once

void drawBoardLevel1();
void drawBoardLevel2();
void drawBoardLevel3();
void drawBoardLevel4();
// The board of the level 1..4.
void drawBoard(int level);

// True while the player is inside the niche of the side (corridor line
// excluded, niche end included): a wall or door there is not drawn.
bool sideOccupied(int side);
