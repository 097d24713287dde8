#!/usr/bin/env python3
# Fails, naming file:line, when a folder includes a folder that its CMakeLists.txt does not link.
import pathlib
import re
import sys

root = pathlib.Path(__file__).resolve().parent.parent
# Folders whose sources may use any layer: tests and benchmarks sit above everything.
unlayered = {"tests", "bench"}
folders = sorted(p.name for p in root.iterdir()
                 if (p / "CMakeLists.txt").is_file() and p.name not in unlayered
                 and any(p.glob("*.cpp")) | any(p.glob("*.h")))

# A folder's dependencies are the fenmor_<folder> libraries its CMakeLists.txt links.
direct = {}
for f in folders:
    text = (root / f / "CMakeLists.txt").read_text()
    links = " ".join(re.findall(r"target_link_libraries\(([^)]*)\)", text))
    direct[f] = {d for d in re.findall(r"\bfenmor_(\w+)", links) if d in folders and d != f}


def reach(f, seen=()):
    out = set()
    for d in direct[f]:
        if d in seen:
            sys.exit(f"{f}/CMakeLists.txt: dependency cycle through {d}")
        out |= {d} | reach(d, seen + (f,))
    return out


allowed = {f: reach(f) for f in folders}
include = re.compile(r'^\s*#\s*include\s*"([^/"]+)/')
failures = 0
for f in folders:
    for src in sorted((root / f).glob("*.[ch]*")):
        for n, line in enumerate(src.read_text(errors="replace").splitlines(), 1):
            m = include.match(line)
            if m and m.group(1) != f and m.group(1) not in allowed[f]:
                uses = ", ".join(sorted(allowed[f])) or "nothing"
                print(f"{f}/{src.name}:{n}: includes {m.group(1)}/, but {f}/ uses only: {uses}")
                failures += 1
if failures:
    sys.exit(1)
print("layers: " + "; ".join(f"{f} uses {', '.join(sorted(allowed[f])) or '-'}" for f in folders))
