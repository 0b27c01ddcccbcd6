// Playing a replay back: the hiscore values read come from the replay in
// turn, saves leave every file alone, and the run is compared with the
// replay at each check line and at its end.
#include "platform/ports/hiscore.h"
#include "platform/replay/internal.h"
#include "platform/replay/replay.h"

namespace {

struct Player {
    const Replay* replay = nullptr;
    size_t nextRead = 0;
    size_t nextCheck = 0;
    std::string divergence; // the first difference seen while playing
};
Player player;

int32_t playedHiscore() {
    const Replay& r = *player.replay;
    if (player.nextRead >= r.reads.size()) {
        if (player.divergence.empty())
            player.divergence = "the run read a hiscore in call " + std::to_string(run.call) +
                                " that the replay does not hold";
        return 0;
    }
    const HiscoreRead& read = r.reads[player.nextRead++];
    const long expected = player.nextRead == 1 ? HISCORE_READ_AT_START : run.call;
    if (read.call != expected && player.divergence.empty())
        player.divergence = "a hiscore was read in call " + std::to_string(run.call) +
                            ", the replay has it in call " + std::to_string(read.call);
    return read.value;
}

} // namespace

void checkPlaybackAt(long calls) {
    if (!player.replay || !player.divergence.empty()) return;
    const std::vector<ReplayCheck>& checks = player.replay->checks;
    while (player.nextCheck < checks.size() && checks[player.nextCheck].call <= calls) {
        const ReplayCheck& check = checks[player.nextCheck++];
        if (check.call == calls && check.digest != run.digest)
            player.divergence = "the run went another way by call " + std::to_string(check.call) +
                                " (its check line differs)";
    }
}

void startPlayback(const Replay& replay) {
    player = Player{};
    player.replay = &replay;
    restartRun();
    setHiscoreSource(playedHiscore);
    setHiscoreFileWrites(false);
}

void stopPlayback() {
    player = Player{};
    setHiscoreSource(nullptr);
    setHiscoreFileWrites(true);
}

std::string comparePlaybackEnd(const ReplayState& now) {
    if (!player.replay) return "no replay is playing";
    if (!player.divergence.empty()) return player.divergence;
    if (player.nextRead != player.replay->reads.size())
        return "the run read " + std::to_string(player.nextRead) +
               " hiscore values, the replay holds " + std::to_string(player.replay->reads.size());
    const ReplayState& want = player.replay->end;
    std::string got, wanted;
    auto differs = [&](const char* name, long a, long b) {
        if (a == b) return;
        got += std::string(got.empty() ? "" : " ") + name + "=" + std::to_string(a);
        wanted += std::string(wanted.empty() ? "" : " ") + name + "=" + std::to_string(b);
    };
    differs("calls", now.calls, want.calls);
    differs("flips", now.flips, want.flips);
    differs("score", now.score, want.score);
    differs("hiscore", now.hiscore, want.hiscore);
    differs("lives", now.lives, want.lives);
    differs("screen", now.screen, want.screen);
    if (!got.empty()) return "the run ended with " + got + " where the replay has " + wanted;
    if (now.digest != want.digest)
        return "the run ended in the same state but went another way (the digest differs)";
    return {};
}

bool playbackWentAstray() {
    return player.replay && !player.divergence.empty();
}

std::string comparePlaybackUpTo(long calls) {
    if (!player.replay) return "no replay is playing";
    if (!player.divergence.empty()) return player.divergence;
    size_t due = 0;
    for (const HiscoreRead& read : player.replay->reads) due += read.call < calls ? 1 : 0;
    if (player.nextRead != due)
        return "the run read " + std::to_string(player.nextRead) + " hiscore values by call " +
               std::to_string(calls) + ", the replay holds " + std::to_string(due);
    return {};
}
