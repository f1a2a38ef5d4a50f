#!/usr/bin/env python3
"""Every file and folder that ARCHITECTURE.md names must exist, so the map stays true as the tree
moves. A name is a backticked word holding a slash (`db/statement_run.cpp`, `xll/`); words with
placeholders (`<subject>_test.cpp`) are not paths."""
import re
import sys
from pathlib import Path


def named_paths(text):
    for word in re.findall(r"`([^`\s]+)`", text):
        if "/" in word and not re.search(r"[<>*(){}\"]|\.\.\.", word):
            yield word


def main():
    root = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parents[2]
    text = (root / "ARCHITECTURE.md").read_text(encoding="utf-8")
    paths = sorted(set(named_paths(text)))
    missing = [p for p in paths if not (root / p).exists()]
    for p in missing:
        print(f"ARCHITECTURE.md names {p}, which does not exist")
    if not paths:
        print("ARCHITECTURE.md names no paths: the check reads nothing")
        return 1
    print(f"{len(paths) - len(missing)} of {len(paths)} named paths exist")
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main())
