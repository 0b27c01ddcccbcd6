#!/usr/bin/env python3
"""Writes every picture and sound of Tirlane into assets/ (or --out DIR), and
its desktop icons into dist/icons/ (or --icons-out DIR).

The output is the same, byte for byte, on every run: all randomness is
seeded. Standard library only."""

import argparse
import os
import sys

sys.dont_write_bytecode = True  # keep the source folder clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import sprites  # noqa: E402
from bmp import encode_bmp  # noqa: E402
from board import render_table  # noqa: E402
from canvas import Canvas  # noqa: E402
from icons import render_icons  # noqa: E402
from letters import render_letters  # noqa: E402
from png import encode_ico, encode_png  # noqa: E402
from sounds import render_sounds  # noqa: E402
from title import render_title  # noqa: E402
from wav import encode_wav  # noqa: E402

TABLES = {
    "Joueur.bmp": sprites.JOUEUR,
    "Point.bmp": sprites.POINT,
    "Touche1.bmp": sprites.TOUCHE1,
    "Touche2.bmp": sprites.TOUCHE2,
    "Touche3.bmp": sprites.TOUCHE3,
    "Garde.bmp": sprites.GARDE,
    "Cle1.bmp": sprites.CLE1,
    "Cle2.bmp": sprites.CLE2,
    "Cle3.bmp": sprites.CLE3,
    "Cle4.bmp": sprites.CLE4,
    "Cle5.bmp": sprites.CLE5,
    "BlocHaut.bmp": sprites.BLOC_HAUT,
    "BlocBas.bmp": sprites.BLOC_BAS,
    "BlocGauche.bmp": sprites.BLOC_GAUCHE,
    "BlocDroite.bmp": sprites.BLOC_DROITE,
}


def pictures():
    out = {"Table.bmp": render_table(), "Presentation.bmp": render_title()}
    for name, table in TABLES.items():
        out[name] = Canvas.from_table(table)
    for ch, canvas in render_letters().items():
        out[f"{ch}.bmp"] = canvas
    return out


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--out", default=os.path.join(here, "..", "..", "assets"),
                        help="folder to write into (default: the repository's assets/)")
    parser.add_argument("--icons-out", default=os.path.join(here, "..", "..", "dist", "icons"),
                        help="folder to write the desktop icons into (default: dist/icons/)")
    parser.add_argument("--no-sound", action="store_true", help="write the pictures only")
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    for name, canvas in pictures().items():
        write(os.path.join(args.out, name), encode_bmp(canvas.rows_rgb()))
    icons = args.icons_out
    os.makedirs(icons, exist_ok=True)
    pngs = [(size, encode_png(rows)) for size, rows in render_icons().items()]
    for size, png in pngs:
        write(os.path.join(icons, f"tirlane-{size}.png"), png)
    # Windows shows the 16, 32, 48 and 256 pixel ones.
    write(os.path.join(icons, "tirlane.ico"), encode_ico([p for p in pngs if p[0] in (16, 32, 48, 256)]))
    if not args.no_sound:
        for name, samples in render_sounds().items():
            write(os.path.join(args.out, name), encode_wav(samples))


if __name__ == "__main__":
    main()
