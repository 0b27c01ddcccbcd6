// The window game's command line.
#pragma once

struct Options {
    bool fullScreen = true;
    bool mute = false;
    const char* replay = nullptr;
    long stopAt = -1;
    int speed = 0; // --speed for this run, 0 when not given
};

// Parses the command line; -1 to go on, else the status to exit with (after
// the help, the version, or a line saying what is wrong).
int parseOptions(int argc, char** argv, Options& options);
