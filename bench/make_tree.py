#!/usr/bin/env python3
"""Makes the benchmark tree: 32000 entries, about 2000 folders over five levels, with names that hold
commas, quotes, spaces and non-ASCII letters. Usage: make_tree.py OUTDIR [ENTRIES [BRANCHING]]
BRANCHING is the subfolders per folder at each level, comma separated: 4,3,3,3,3,2,2,2 with 1000000 entries
makes the million-entry tree eight levels deep."""
import os
import sys

BRANCHING = [5, 4, 4, 4, 5]  # subfolders per folder at levels 1..5: 5 + 20 + 80 + 320 + 1600 folders
STEMS = ["report, final", "notes \"draft\"", "Größe über", "crème brûlée", "plain name", "été", "a,b,c", "ñandú"]
EXTS = ["txt", "doc", "htm", "exe", "bmp", "mp3"]


def folders(root):
    """Yields every folder path to create, level by level, depth first."""
    def walk(path, level):
        if level > len(BRANCHING):
            return
        for i in range(BRANCHING[level - 1]):
            child = os.path.join(path, f"{STEMS[(i + level) % len(STEMS)]} {level}-{i}")
            yield child
            yield from walk(child, level + 1)
    yield from walk(root, 1)


def main():
    root = sys.argv[1]
    global BRANCHING
    entries = int(sys.argv[2]) if len(sys.argv) > 2 else 32000
    if len(sys.argv) > 3:
        BRANCHING = [int(n) for n in sys.argv[3].split(",")]
    os.makedirs(root, exist_ok=True)
    all_folders = list(folders(root))
    for folder in all_folders:
        os.makedirs(folder, exist_ok=True)
    files = entries - len(all_folders)
    places = [root] + all_folders
    for n in range(files):
        folder = places[n % len(places)]
        name = f"{STEMS[n % len(STEMS)]} {n}.{EXTS[n % len(EXTS)]}"
        with open(os.path.join(folder, name), "w", encoding="utf-8") as f:
            f.write("x" * (n % 97))
    print(f"{root}: {len(all_folders)} folders, {files} files, {entries} entries")


if __name__ == "__main__":
    main()
