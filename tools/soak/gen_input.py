#!/usr/bin/env python3
"""Writes a seeded random key script for tirlane-headless.

Mostly arrow keys held for random stretches, now and then Space (which starts
a game on the title and, with the arrows, leaves the end screens), and
releases in between. Escape is never pressed, so the run only ends when its
calls are used up. The same seed always gives the same file.

    gen_input.py --seed 7 --calls 200000 [--start 0] > keys.txt
"""

import argparse
import random
import sys

SPACE = 32
ARROWS = (37, 38, 39, 40)


def events(seed, start, calls):
    """Yields (call, 'down' or 'up', code) in call order, all before calls."""
    rng = random.Random(seed)
    call = start
    held = None
    while call < calls:
        roll = rng.random()
        if roll < 0.80:
            key = rng.choice(ARROWS)
            # Now and then the next arrow goes down while the last is still held.
            if held is not None and rng.random() < 0.8:
                yield call, "up", held
            yield call, "down", key
            held = key
            call += rng.randint(1, 150)
        elif roll < 0.92:
            if held is not None:
                yield call, "up", held
                held = None
            yield call, "down", SPACE
            call += rng.randint(1, 10)
            if call < calls:
                yield call, "up", SPACE
            call += rng.randint(0, 5)
        else:
            if held is not None:
                yield call, "up", held
                held = None
            call += rng.randint(1, 60)
    # Events at or past the last call are never delivered; nothing to close.


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seed", type=int, required=True)
    parser.add_argument("--calls", type=int, required=True, help="events stay below this call")
    parser.add_argument("--start", type=int, default=0, help="first call that gets an event")
    args = parser.parse_args()
    if args.calls < 0 or args.start < 0:
        parser.error("--calls and --start must not be negative")

    out = sys.stdout
    out.write(f"# random soak, seed {args.seed}, calls {args.start}..{args.calls - 1}\n")
    for call, kind, code in events(args.seed, args.start, args.calls):
        if call >= args.calls:
            break
        out.write(f"{call} {kind} {code}\n")


if __name__ == "__main__":
    main()
