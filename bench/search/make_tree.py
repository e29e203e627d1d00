#!/usr/bin/env python3
"""Makes the walk benchmark's tree: about 200,000 files in 20,000 folders.

    make_tree.py DIR [--fanout N...] [--files-per-folder N] [--seed N]

Levels of folders (three by default, 20 x 20 x 49 below DIR; --fanout gives one figure a
level) with the files spread over every folder, names of varied length, a few Cyrillic
names, and last-write and last-access times spread evenly over the 60 days before 1 June
2024 00:00:00 (local time), so that a threshold of 2 May 2024 makes about half of the
files "changed" ones. Folders keep the
time of their making. The tree is made anew when DIR is missing or empty.
"""

import argparse
import os
import random
import sys
import time

CYRILLIC = ["отчёт", "Документ", "фото", "Проект", "данные", "Ёлка"]
WORDS = ["report", "data", "image", "notes", "backup", "draft", "music", "invoice", "a", "longer_file_name_example"]
EXTENSIONS = [".txt", ".log", ".jpg", ".dat", ".doc", ".cpp", ""]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("dir")
    parser.add_argument("--fanout", type=int, nargs="+", default=[20, 20, 49], metavar="N")
    parser.add_argument("--files-per-folder", type=int, default=10)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()

    if os.path.isdir(args.dir) and os.listdir(args.dir):
        print(f"make_tree: {args.dir} is not empty; leaving it as it is", file=sys.stderr)
        return 0
    os.makedirs(args.dir, exist_ok=True)
    rng = random.Random(args.seed)
    end = time.mktime((2024, 6, 1, 0, 0, 0, 0, 0, -1))
    span = 60 * 86400

    folders = [args.dir]
    level = [args.dir]
    for fanout in args.fanout:
        below = []
        for parent in level:
            for i in range(fanout):
                name = f"{rng.choice(WORDS)}_{i:02d}"
                if rng.random() < 0.01:
                    name = f"{rng.choice(CYRILLIC)}_{i}"
                path = os.path.join(parent, name)
                os.mkdir(path)
                below.append(path)
        folders.extend(below)
        level = below

    files = 0
    for folder in folders:
        for i in range(args.files_per_folder):
            if rng.random() < 0.005:
                name = f"{rng.choice(CYRILLIC)}_{i}{rng.choice(EXTENSIONS)}"
            else:
                name = f"{rng.choice(WORDS)}{i}{rng.choice(EXTENSIONS)}"
            path = os.path.join(folder, name)
            with open(path, "wb") as f:
                if rng.random() < 0.3:
                    f.write(b"x" * rng.randrange(1, 5000))
            moment = int(end - rng.random() * span)
            os.utime(path, (moment, moment))
            files += 1

    print(f"make_tree: {len(folders) - 1} folders, {files} files in {args.dir}", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
