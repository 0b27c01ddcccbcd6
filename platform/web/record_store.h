// The record across visits: the eight bytes of "Score" kept in the browser's
// storage (localStorage) and put back into the game's folder before the game
// reads it. Storage that is unavailable (private browsing, blocked by the
// player) leaves the record in the page's memory for this visit.
#pragma once

// Writes the stored bytes to the file at `scorePath`, if any are stored.
void restoreRecord(const char* scorePath);
// Copies the file's bytes into storage (the save observer calls it).
void keepRecord(const char* scorePath);
