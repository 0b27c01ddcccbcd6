#include "platform/desktop/options.h"

#include <cstdio>
#include <cstring>

#include "platform/replay/key_script.h"

namespace {

void usage(std::FILE* out) {
    std::fprintf(out, "usage: tirlane [--window] [--mute] [--speed N] [--replay FILE [--stop-at "
                      "CALL]]\n"
                      "       tirlane --help | --version\n");
}

void help() {
    usage(stdout);
    std::printf(
        "\n"
        "A small arcade maze game: take the keys hanging in the niches of the boxes and\n"
        "keep out of the guards' reach, through four levels.\n"
        "\n"
        "  --window          start in a window instead of full screen\n"
        "  --mute            start with the sound muted\n"
        "  --speed N         play at N percent of the normal pace (50 to 100) this run\n"
        "  --replay FILE     play a replay (last.replay, record.replay) at the normal pace\n"
        "  --stop-at CALL    with --replay: stop after that call and keep its picture\n"
        "                    until Escape\n"
        "  --help            show this help and exit\n"
        "  --version         show the version and exit\n"
        "\n"
        "Keys: Space starts a game, the arrow keys walk, Escape quits, P or Pause\n"
        "pauses, M mutes, Alt+Enter or F11 switches between full screen and a window.\n"
        "The best score is kept in the file Score, with the replays of the last run\n"
        "(last.replay) and of the last record (record.replay): in the working folder\n"
        "when the game runs uninstalled from a folder holding its pictures,\n"
        "otherwise in $XDG_DATA_HOME/tirlane/ (by default ~/.local/share/tirlane/).\n"
        "\n"
        "Settings are kept in settings.ini: beside Score in a portable folder, otherwise\n"
        "in $XDG_CONFIG_HOME/tirlane/ (by default ~/.config/tirlane/; on Windows\n"
        "%%APPDATA%%\\tirlane\\). Lines are `name = value`, '#' starts a comment:\n"
        "  up, down, left, right, start   the game's keys, SDL key names separated by\n"
        "                    spaces (defaults Up, Down, Left, Right, Space)\n"
        "  pause, mute, fullscreen        likewise (P Pause, M, F11); Escape always quits\n"
        "  pad.start, pad.pause, pad.end  pad buttons (a start, none, back)\n"
        "  speed             50 to 100 percent of the normal pace (100)\n"
        "  scale             whole (sharp whole factor) or fit (largest that fits)\n"
        "  muted, windowed   yes or no: kept when M or F11 is pressed\n"
        "A gamecontrollerdb.txt beside settings.ini adds pads SDL does not know.\n"
        "In the pause, S (or a pad's Y) opens the settings screen.\n");
}

} // namespace

int parseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "--window") == 0) {
            o.fullScreen = false;
        } else if (std::strcmp(a, "--mute") == 0) {
            o.mute = true;
        } else if (std::strcmp(a, "--speed") == 0 && i + 1 < argc) {
            long speed = 0;
            if (!parseCount(argv[++i], speed) || speed < 50 || speed > 100) {
                std::fprintf(stderr, "tirlane: --speed takes 50 to 100: %s\n", argv[i]);
                usage(stderr);
                return 2;
            }
            o.speed = int(speed);
        } else if (std::strcmp(a, "--replay") == 0 && i + 1 < argc) {
            o.replay = argv[++i];
        } else if (std::strcmp(a, "--stop-at") == 0 && i + 1 < argc) {
            if (!parseCount(argv[++i], o.stopAt)) {
                std::fprintf(stderr, "tirlane: bad call for --stop-at: %s\n", argv[i]);
                usage(stderr);
                return 2;
            }
        } else if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
            help();
            return 0;
        } else if (std::strcmp(a, "--version") == 0) {
            std::printf("tirlane %s\n", TIRLANE_VERSION);
            return 0;
        } else {
            std::fprintf(stderr, "tirlane: %s %s\n",
                         std::strcmp(a, "--replay") == 0 || std::strcmp(a, "--stop-at") == 0 ||
                                 std::strcmp(a, "--speed") == 0
                             ? "missing value for"
                             : "unknown option",
                         a);
            usage(stderr);
            return 2;
        }
    }
    if (o.stopAt >= 0 && !o.replay) {
        std::fprintf(stderr, "tirlane: --stop-at goes with --replay\n");
        usage(stderr);
        return 2;
    }
    return -1;
}
