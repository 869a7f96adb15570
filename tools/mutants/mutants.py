#!/usr/bin/python3
"""How many faults of the game's code would the tests catch?

Makes single-fault mutants of src/: each changes one operator, comparison,
constant or call. They are drawn from every such place by a generator with a
fixed seed, so that two runs with the same src/ try the same mutants, and
the suite's score can be compared before and after a change to the tests.
Each mutant is built in a scratch copy of the tree and the suite runs on it
until a test fails (the mutant is killed) or all pass (it survives). A test
that fails is run once more, so that a test upset by a busy machine does not
count as a kill. Only when asked: about an hour on two cores, not minutes.

    tools/mutants/mutants.py [--count N] [--seed S] [--tree DIR] [--src DIR] [--list]

--tree: a copy of the project to run in (default: a fresh copy of this one
        in a scratch folder); its tests and tools are the suite under test.
--src:  the game's sources to mutate (default: the tree's own src/).
--only: only the drawn mutants whose "file:line" (e.g. main.cpp:25) the
        regular expression finds; they keep their numbers in the whole draw,
        so that a run on the files a change to the tests touches takes
        minutes and still compares, mutant by mutant, with a whole run.
--units: the suite without its end-to-end tests: seconds a mutant, not
        minutes. Where only unit tests changed, the fairer comparison: no
        end-to-end test then hides a kill that the unit tests lost.
The suite: the unit tests first, then every end-to-end test but those of
the package, the damaged media and the browser, one by one, quickest first.
"""
import argparse
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))  # the top folder
SEED = 14  # the mutants' seed, kept so that later runs draw the same set
LEAVE_OUT = "media|package|web"

# (pattern, replacements). Binary operators are written with a space on each
# side in src/, which tells them from unary minus, pointers and templates.
OPERATORS = [
    (r" \+ ", [" - "]), (r" - ", [" + "]), (r" \* ", [" / "]), (r" / ", [" * "]),
    (r" % ", [" / "]), (r" < ", [" <= "]), (r" <= ", [" < "]), (r" > ", [" >= "]),
    (r" >= ", [" > "]), (r" == ", [" != "]), (r" != ", [" == "]), (r" && ", [" || "]),
    (r" \|\| ", [" && "]), (r"\+\+", ["--"]), (r"--", ["++"]), (r" \+= ", [" -= "]),
    (r" -= ", [" += "]), (r"\btrue\b", ["false"]), (r"\bfalse\b", ["true"]),
    (r"!(?=[a-zA-Z_(])", [""]),
]
CONSTANT = r"(?<![\w.])\d+(?![\w.])"
CALL = r"^(\s*)([a-zA-Z_][\w.]*(?:\[\w+\])?(?:\.|->)?\w*\(.*\));\s*$"


def code(line):
    """The line without strings, characters and comments (blanked), or None
    for lines that hold no statement to mutate."""
    s = line.strip()
    if not s or s.startswith(("#", "//", "/*", "*")):
        return None
    blank = re.sub(r'"(\\.|[^"\\])*"|\'(\\.|[^\'\\])*\'', lambda m: "_" * len(m.group()), line)
    return re.sub(r"//.*", lambda m: " " * len(m.group()), blank)


def candidates(src):
    """Every single change that can be made, as (file, line, column, old, new)."""
    found = []
    for name in sorted(os.listdir(src)):
        if not name.endswith((".cpp", ".h")):
            continue
        with open(os.path.join(src, name)) as f:
            lines = f.read().split("\n")
        for n, line in enumerate(lines):
            plain = code(line)
            if plain is None:
                continue
            for pattern, news in OPERATORS:
                for m in re.finditer(pattern, plain):
                    for new in news:
                        found.append((name, n, m.start(), m.group(), new))
            for m in re.finditer(CONSTANT, plain):
                value = int(m.group())
                for new in {str(value + 1), str(value - 1)}:
                    found.append((name, n, m.start(), m.group(), new))
            m = re.match(CALL, plain)
            if m and not re.match(r"\s*(return|if|while|for)\b", plain):
                found.append((name, n, 0, line, m.group(1) + ";"))
    return found


def draw(src, count, seed):
    everything = sorted(set(candidates(src)))
    random.Random(seed).shuffle(everything)
    return everything[:count]


def describe(m):
    name, n, col, old, new = m
    if old.strip().endswith(";") and new.strip() == ";":
        return f"{name}:{n + 1}: call removed: {old.strip()}"
    return f"{name}:{n + 1}:{col + 1}: {old.strip()} -> {new.strip()}"


def apply(src, m):
    """Makes the change; returns the file and its text before it."""
    name, n, col, old, new = m
    path = os.path.join(src, name)
    with open(path) as f:
        text = f.read()
    lines = text.split("\n")
    line = lines[n]
    lines[n] = new if col == 0 and line == old else line[:col] + new + line[col + len(old):]
    with open(path, "w") as f:
        f.write("\n".join(lines))
    return path, text


def run(cmd, cwd, timeout=None):
    try:
        return subprocess.run(cmd, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=timeout).returncode
    except subprocess.TimeoutExpired:
        return -1


def tests(build, args):
    out = subprocess.run(["ctest", "-N"] + args, cwd=build, capture_output=True, text=True).stdout
    return re.findall(r"Test +#\d+: (\S+)", out)


def passes(build, name):
    """The test passes, or fails only once."""
    cmd = ["ctest", "--timeout", "300", "-R", "^" + re.escape(name) + "$"]
    return run(cmd, build) == 0 or run(cmd, build) == 0


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--count", type=int, default=120)
    ap.add_argument("--seed", type=int, default=SEED)
    ap.add_argument("--tree")
    ap.add_argument("--src")
    ap.add_argument("--only", metavar="RE", help='only mutants whose "file:line" this matches')
    ap.add_argument("--units", action="store_true", help="leave out the end-to-end tests")
    ap.add_argument("--list", action="store_true", help="only list the mutants")
    a = ap.parse_args()

    tree = a.tree or tempfile.mkdtemp(prefix="marrowick-mutants.")
    if not a.tree:
        files = subprocess.run(["git", "ls-files", "-z"], cwd=HERE, capture_output=True).stdout
        for f in files.decode().split("\0"):
            if f and os.path.isfile(os.path.join(HERE, f)):
                os.makedirs(os.path.dirname(os.path.join(tree, f)) or tree, exist_ok=True)
                shutil.copy2(os.path.join(HERE, f), os.path.join(tree, f))
    src = os.path.join(tree, "src")
    if a.src:
        shutil.rmtree(src)
        shutil.copytree(a.src, src)
    mutants = list(enumerate(draw(src, a.count, a.seed), 1))
    if a.only:
        mutants = [(i, m) for i, m in mutants if re.search(a.only, f"{m[0]}:{m[1] + 1}")]
    if a.list:
        for i, m in mutants:
            print(i, describe(m))
        return

    build = os.path.join(tree, "build")
    if run(["cmake", "-S", tree, "-B", build], tree) or run(["cmake", "--build", build, "-j2"], tree):
        sys.exit("the unmutated tree does not build")
    units = tests(build, ["-LE", "e2e|" + LEAVE_OUT])
    # Quickest first, from one run of the unmutated tree, which must pass.
    timed = []
    for name in units + ([] if a.units else tests(build, ["-L", "e2e", "-LE", LEAVE_OUT])):
        t = time.time()
        if not passes(build, name):
            sys.exit(f"{name} fails on the unmutated tree")
        timed.append((name in units, time.time() - t, name))
    suite = [name for _, _, name in sorted(timed, key=lambda x: (not x[0], x[1]))]
    print(f"suite: {len(suite)} tests in {sum(t for _, t, _ in timed):.0f} s; {len(mutants)} mutants of {src}",
          flush=True)

    killed = survived = stillborn = 0
    for i, m in mutants:
        path, text = apply(src, m)
        try:
            if run(["cmake", "--build", build, "-j2"], tree, timeout=600):
                outcome, stillborn = "does not build", stillborn + 1
            else:
                killer = next((t for t in suite if not passes(build, t)), None)
                if killer:
                    outcome, killed = "killed by " + killer, killed + 1
                else:
                    outcome, survived = "SURVIVED", survived + 1
        finally:
            with open(path, "w") as f:
                f.write(text)
        print(f"{i:3} {describe(m)}: {outcome}", flush=True)
    run(["cmake", "--build", build, "-j2"], tree)
    built = killed + survived
    print(f"\n{killed} of {built} mutants that build killed ({100 * killed / max(built, 1):.0f}%), "
          f"{survived} survived, {stillborn} did not build")


if __name__ == "__main__":
    main()
