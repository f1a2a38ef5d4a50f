#!/usr/bin/env python3
"""Runs the terminal sessions the READMEs show and checks that they print what they show.

A session is a fenced block marked `console`. A line starting with "$ " is a command, lines
starting with "> " continue it (a here-document, a long line), and every other line is what the
commands print, standard output and standard error together, as a terminal shows them:

    ```console
    $ build/zorvane eval --csv '=1+1'
    2
    ```

Each block runs as written in one bash process, in a folder laid out like the repository after
the README's two set-up commands: build/ is the build under test, demo/ a copy of the demo with
the database scripts/demo.sh makes beside the sheet.

    readme_examples.py --source DIR --build DIR FILE...    (FILE relative to the source folder)
"""
import argparse
import difflib
import os
import shutil
import subprocess
import sys
import tempfile

TIMEOUT_SECONDS = 300


class Session:
    def __init__(self, file, line):
        self.file = file
        self.line = line  # of the opening fence
        self.commands = []
        self.expected = []


def sessions_of(path, name):
    sessions = []
    current = None
    continuing = False
    with open(path, encoding="utf-8") as text:
        for number, raw in enumerate(text, 1):
            line = raw.rstrip("\n")
            if current is None:
                if line.strip() == "```console":
                    current = Session(name, number)
                continue
            if line.strip() == "```":
                if not current.commands:
                    sys.exit(f"{name}:{current.line}: a console block without a command ($ ...)")
                sessions.append(current)
                current = None
                continuing = False
            elif line.startswith("$ "):
                current.commands.append(line[2:])
                continuing = True
            elif continuing and (line.startswith("> ") or line == ">"):
                current.commands[-1] += "\n" + line[2:]
            else:
                current.expected.append(line)
                continuing = False
    if current is not None:
        sys.exit(f"{name}:{current.line}: a console block is not closed")
    return sessions


def prepare(root, source, build):
    """The layout after the two set-up commands, without touching the source folder."""
    os.symlink(os.path.abspath(build), os.path.join(root, "build"))
    shutil.copytree(os.path.join(source, "demo"), os.path.join(root, "demo"),
                    ignore=shutil.ignore_patterns("*.sqlite", "*.partial", "__pycache__"))
    # What scripts/demo.sh does after building.
    subprocess.run([sys.executable, "demo/make_demo_db.py"], cwd=root, check=True, stdout=subprocess.DEVNULL)


def run(session, root, env):
    script = "\n".join(session.commands) + "\n"
    try:
        done = subprocess.run(["bash", "-c", script], cwd=root, env=env, stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=TIMEOUT_SECONDS)
        return done.stdout.decode("utf-8", errors="replace")
    except subprocess.TimeoutExpired:
        return f"(did not end within {TIMEOUT_SECONDS} s)\n"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True)
    parser.add_argument("--build", required=True)
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()

    sessions = []
    for name in args.files:
        sessions += sessions_of(os.path.join(args.source, name), name)
    if not sessions:
        sys.exit("no console sessions found in " + ", ".join(args.files))

    failed = 0
    with tempfile.TemporaryDirectory(prefix="zorvane-readme-") as scratch:
        root = os.path.join(scratch, "repository")
        os.mkdir(root)
        runtime = os.path.join(scratch, "runtime")
        os.mkdir(runtime, 0o700)
        prepare(root, args.source, args.build)
        # A user's own alert filter lives in XDG_RUNTIME_DIR: the sessions get one of their own.
        env = dict(os.environ, XDG_RUNTIME_DIR=runtime, LANG="C.UTF-8", LC_ALL="C.UTF-8")
        for session in sessions:
            want = "".join(line + "\n" for line in session.expected)
            got = run(session, root, env)
            where = f"{session.file}:{session.line}"
            if got == want:
                print(f"ok   {where}: {session.commands[0].splitlines()[0]}")
                continue
            failed += 1
            print(f"FAIL {where}: the session prints otherwise than README shows")
            sys.stdout.writelines(difflib.unified_diff(want.splitlines(True), got.splitlines(True),
                                                       "as README shows it", "as it runs"))
    print(f"{len(sessions) - failed} of {len(sessions)} sessions print what README shows")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
