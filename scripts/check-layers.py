#!/usr/bin/env python3
"""Fails when a product file includes a header of a higher layer (layers.txt)."""
import pathlib
import re
import subprocess
import sys

root = pathlib.Path(__file__).resolve().parent.parent
level = {}
lines = [line.split() for line in (root / "layers.txt").read_text().splitlines()]
for depth, folders in enumerate(l for l in lines if l and not l[0].startswith("#")):
    level.update({folder: depth for folder in folders})
include = re.compile(r'^\s*#\s*include\s+"([^/"]+)/')
files = subprocess.run(["git", "ls-files", *level], cwd=root, check=True, capture_output=True,
                       text=True).stdout.split()
findings = 0
for name in files:
    if not name.endswith((".h", ".cpp", ".c", ".rc", ".idl")):
        continue
    own = name.split("/")[0]
    for number, text in enumerate((root / name).read_text(errors="replace").splitlines(), 1):
        match = include.match(text)
        used = match.group(1) if match else None
        if used in level and used != own and level[used] <= level[own]:
            print(f"{name}:{number}: {own}/ may not include {used}/ (layers.txt)")
            findings += 1
sys.exit(1 if findings else 0)
