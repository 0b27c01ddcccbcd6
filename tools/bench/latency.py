"""Key-to-picture latency of the real game, measured from outside it.

  latency.py GAME PROBE FOLDER [LAUNCHES]

Runs the game LAUNCHES times (default 20) on the X display in $DISPLAY, in
FOLDER (which holds the assets), with the probe preloaded to log every shown
frame (tools/bench/probe/probe.cpp). In each launch it presses, through the
X server's XTest extension and at a random moment:

  - Space on the title: the answer is the first shown frame that is no longer
    a title picture (level 1's first picture);
  - Up in level 1, the figure standing still in the scene the level opens
    with: the answer is the first shown frame that differs from the scene.

The latency runs from the moment the key event is sent to the X server to the
moment the present of the answering frame returned (both CLOCK_MONOTONIC).
Prints mean, median, 90th percentile, min and max for each key.
"""

import ctypes
import os
import random
import subprocess
import sys
import tempfile
import time

TITLE_SHARE = 0.5  # a title picture agrees with the title at most sample points


class XTest:
    def __init__(self):
        self.x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
        self.xtst = ctypes.cdll.LoadLibrary("libXtst.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XStringToKeysym.restype = ctypes.c_ulong
        self.x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
        self.x11.XKeysymToKeycode.restype = ctypes.c_ubyte
        self.x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self.x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                ctypes.c_ulong]
        self.display = self.x11.XOpenDisplay(None)
        if not self.display:
            sys.exit("latency.py: cannot open the X display " + os.environ.get("DISPLAY", "(unset)"))

    def key(self, name, down):
        """Sends a key event; returns the moment it was sent."""
        code = self.x11.XKeysymToKeycode(self.display, self.x11.XStringToKeysym(name.encode()))
        sent = time.monotonic_ns()
        self.xtst.XTestFakeKeyEvent(self.display, code, 1 if down else 0, 0)
        self.x11.XSync(self.display, 0)
        return sent

    def press(self, name, hold=0.15):
        sent = self.key(name, True)
        time.sleep(hold)
        self.key(name, False)
        return sent


def read_shown(path):
    frames = []
    with open(path) as f:
        for line in f:
            fields = line.split()
            frames.append((int(fields[0]), fields[1], fields[2:]))
    return frames


def same_share(a, b):
    return sum(x == y for x, y in zip(a, b)) / len(a)


def space_latency(frames, sent):
    """From Space on the title to the first frame that is no title picture."""
    before = [f for f in frames if f[0] < sent]
    if not before:
        return None
    title = before[-1][2]
    for at, _, samples in frames:
        if at > sent and same_share(samples, title) < TITLE_SHARE:
            return (at - sent) / 1e6
    return None


def arrow_latency(frames, sent):
    """From an arrow to the first frame that differs from the still scene."""
    before = [f for f in frames if f[0] < sent]
    if len(before) < 10 or len({f[1] for f in before[-10:]}) != 1:
        return None  # the scene was not still: the press is not counted
    scene = before[-1][1]
    for at, picture, _ in frames:
        if at > sent and picture != scene:
            return (at - sent) / 1e6
    return None


def launch(game, probe, folder, xtest, log):
    score = os.path.join(folder, "Score")
    if os.path.exists(score):
        os.remove(score)
    env = dict(os.environ, SDL_AUDIODRIVER="dummy", LD_PRELOAD=probe,
               TIRLANE_PROBE_PRESENTS=log)
    env.pop("SDL_VIDEODRIVER", None)
    process = subprocess.Popen([game, "--window"], cwd=folder, env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    try:
        found = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name",
                                "^Tirlane$"], capture_output=True, timeout=20)
        if found.returncode != 0:
            sys.exit("latency.py: no window titled Tirlane appeared")
        # Past the start-up (its first frames run long), at a random moment.
        time.sleep(1.5 + random.uniform(0, 0.5))
        space = xtest.press("space")
        time.sleep(1.2 + random.uniform(0, 0.5))
        up = xtest.press("Up")
        time.sleep(0.3)
        xtest.press("Escape")
        process.wait(timeout=20)
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()
    if process.returncode != 0:
        sys.exit(f"latency.py: the game ended with status {process.returncode}: "
                 f"{process.stderr.read().decode(errors='replace')}")
    frames = read_shown(log)
    return space_latency(frames, space), arrow_latency(frames, up)


def percentile(values, q):
    """Linear between the two nearest of the sorted values."""
    rank = q * (len(values) - 1)
    low = int(rank)
    high = min(low + 1, len(values) - 1)
    return values[low] + (values[high] - values[low]) * (rank - low)


def summary(name, values):
    values = sorted(values)
    n = len(values)
    if n == 0:
        return f"{name}: no press measured"
    mean = sum(values) / n
    median = percentile(values, 0.5)
    p90 = percentile(values, 0.9)
    return (f"{name}: {n} presses, mean {mean:.1f} ms, median {median:.1f}, p90 {p90:.1f}, "
            f"min {values[0]:.1f}, max {values[-1]:.1f}")


def main():
    if len(sys.argv) not in (4, 5):
        sys.exit(__doc__)
    game, probe, folder = sys.argv[1:4]
    launches = int(sys.argv[4]) if len(sys.argv) == 5 else 20
    xtest = XTest()
    spaces, arrows = [], []
    log = os.path.join(tempfile.mkdtemp(prefix="tirlane-latency-"), "shown.txt")
    for _ in range(launches):
        space, arrow = launch(game, probe, folder, xtest, log)
        if space is not None:
            spaces.append(space)
        if arrow is not None:
            arrows.append(arrow)
    os.remove(log)
    os.rmdir(os.path.dirname(log))
    print(summary("Space on the title to level 1's first picture", spaces))
    print(summary("Up in level 1 to the first picture where the figure moved", arrows))
    print("  Space: " + " ".join(f"{v:.1f}" for v in spaces))
    print("  Up:    " + " ".join(f"{v:.1f}" for v in arrows))
    if len(spaces) < launches or len(arrows) < launches:
        print(f"note: {launches - len(spaces)} Space and {launches - len(arrows)} Up presses "
              "found no answering picture or no still scene", file=sys.stderr)


if __name__ == "__main__":
    main()
