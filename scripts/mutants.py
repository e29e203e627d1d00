#!/usr/bin/env python3
"""Fault seeding: how many small faults in the program code does the test suite catch?

Puts one fault at a time into the program code (an operator flipped, an integer literal
off by one, a call statement dropped, a "!" dropped), rebuilds, runs the normal test
suite and counts the faults caught, per folder and in all. The same --seed and program
code give the same sites; a larger --count keeps the sites of a smaller one and adds more.

    python3 scripts/mutants.py --seed 1 --count 60
    python3 scripts/mutants.py --seed 1 --count 60 --list    # the sites only

Every mutated file is written back byte for byte after its run, on Ctrl-C too; the tool
refuses to start while the program folders differ from the last commit.
"""

import argparse
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
FOLDERS = ("platform", "search", "results", "export", "app", "folderpicker")
# Written while a file is mutated, so that a run killed outright can say what to restore.
MARKER = "mutant-in-place.txt"
STOP_SIGNALS = (signal.SIGINT, signal.SIGTERM, signal.SIGHUP)


# ---- reading C++ ------------------------------------------------------------------------


def mask_code(text):
    """The text with comments, string and character literals blanked to spaces.

    Offsets and line breaks stay, so a site found in the masked text is the same column of
    the real one.
    """
    out = list(text)
    i, n = 0, len(text)

    def blank(start, end):
        for k in range(start, min(end, n)):
            if out[k] != "\n":
                out[k] = " "

    while i < n:
        c = text[i]
        if text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
            blank(i, end)
            i = end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            blank(i, end)
            i = end
        elif c == '"':
            # A raw string: R"delim( ... )delim", with an optional u8/u/U/L before the R.
            prefix = re.search(r"(?:u8|[uUL])?R$", text[max(0, i - 3) : i])
            if prefix and not re.match(r"\w", text[i - len(prefix.group()) - 1 : i - len(prefix.group())] or " "):
                open_paren = text.find("(", i)
                delim = text[i + 1 : open_paren]
                end = text.find(")" + delim + '"', open_paren)
                end = n if end < 0 else end + len(delim) + 2
            else:
                end = i + 1
                while end < n and text[end] not in '"\n':
                    end += 2 if text[end] == "\\" else 1
                end += 1
            blank(i, end)
            i = end
        elif c == "'":
            # 1'000 is a digit separator, not a character literal.
            word = re.search(r"[0-9A-Za-z_']*$", text[max(0, i - 40) : i]).group()
            if word and word[0].isdigit():
                i += 1
                continue
            end = i + 1
            while end < n and text[end] not in "'\n":
                end += 2 if text[end] == "\\" else 1
            blank(i, end + 1)
            i = end + 1
        else:
            i += 1
    return "".join(out)


DECL_HEAD = re.compile(r"\b(class|struct|union|enum|namespace|extern)\b")


def line_scopes(masked):
    """For every line, whether it starts inside a function body (True) or in a namespace,
    class or enum, or at file level (False)."""
    scopes, stack, head = [], [], []
    scopes.append(False)
    for c in masked:
        if c == "\n":
            scopes.append(stack[-1] if stack else False)
        if c == "{":
            text = "".join(head)
            m = DECL_HEAD.search(text)
            decl = bool(m) and not re.search(r"[(=]", text[: m.start()])
            stack.append(not decl)
            head = []
        elif c == "}":
            if stack:
                stack.pop()
            head = []
        elif c == ";":
            head = []
        else:
            head.append(c)
    return scopes


# ---- sites ------------------------------------------------------------------------------

# Binary operators are only taken between spaces: the code is clang-formatted, so this
# leaves out template brackets, "->", "<<", rvalue references and operator declarations.
FLIPS = [
    (re.compile(r"(?<= )==(?= )"), "!="),
    (re.compile(r"(?<= )!=(?= )"), "=="),
    (re.compile(r"(?<= )<(?= )"), "<="),
    (re.compile(r"(?<= )<=(?= )"), "<"),
    (re.compile(r"(?<= )>(?= )"), ">="),
    (re.compile(r"(?<= )>=(?= )"), ">"),
    (re.compile(r"(?<= )&&(?= )"), "||"),
    (re.compile(r"(?<= )\|\|(?= )"), "&&"),
    (re.compile(r"\btrue\b"), "false"),
    (re.compile(r"\bfalse\b"), "true"),
    (re.compile(r"(?<!operator)!(?=[A-Za-z_(*])"), ""),
]
INTEGER = re.compile(r"(?<![\w.'])(0[xX][0-9A-Fa-f]+|\d+)([uUlL]*)(?![\w.'])")
CALL_HEAD = re.compile(r"[A-Za-z_][\w:]*(?:(?:\.|->)[A-Za-z_]\w*)*$")
# Widget geometry: the tests do not copy sizes and positions, so these would only survive.
GEOMETRY = re.compile(
    r"\b(move|resize|setGeometry|setContentsMargins|setSpacing|setStretchFactor|setSizes|setIconSize|setColumnWidth"
    r"|set(Minimum|Maximum|Fixed)(Width|Height|Size)|addSpacing|place|makePanel|QSize|QRect|QPoint)\(")
# A pure virtual function's "= 0".
PURE = re.compile(r"\)\s*(const\s*)?(noexcept\s*)?= 0;")
# Calls whose loss changes nothing in this build, or breaks it.
NO_DROP = {"assert", "static_assert", "return", "sizeof", "delete", "throw", "reserve", "shrink_to_fit"}


def bumped(literal, suffix):
    """An integer literal plus one (plus rather than minus: an array bound one larger still
    takes its initialisers, so the mutant builds)."""
    if literal[:2] in ("0x", "0X"):
        digits = literal[2:]
        new = format(int(digits, 16) + 1, "0%d%s" % (len(digits), "x" if digits.islower() else "X"))
        return literal[:2] + new + suffix
    return str(int(literal) + 1) + suffix


def dropped_call(line):
    """'{}' for a line that is just a call statement (single line), else None."""
    body = line.strip()
    if not body.endswith(");"):
        return None
    first = body.find("(")
    if first <= 0 or not CALL_HEAD.match(body[:first]):
        return None
    name = re.split(r"::|\.|->", body[:first])[-1]
    if name in NO_DROP or body[:first].isupper():  # macros: Q_UNUSED, Q_ASSERT, ...
        return None
    # Balanced, and nothing but further calls of a chain between the groups.
    depth = 0
    for k, c in enumerate(body[:-1]):
        if c == "(":
            depth += 1
        elif c == ")":
            depth -= 1
            if depth < 0:
                return None
        elif depth == 0 and not re.match(r"[\w:.\->]", c):
            return None
    return "{}" if depth == 0 else None


def file_sites(rel, text):
    masked = mask_code(text)
    scopes = line_scopes(masked)
    lines = masked.split("\n")
    real_lines = text.split("\n")
    sites = []
    previous_end = ";"
    for number, line in enumerate(lines, 1):
        code = line.strip()
        if not code:
            continue
        in_body = scopes[number - 1]
        skip = code.startswith("#") or "static_assert" in code
        # Outside function bodies only initialisers and inline bodies carry behaviour.
        if not in_body and "=" not in code and "{" not in code:
            skip = True
        if not skip:
            for pattern, new in FLIPS:
                for m in pattern.finditer(line):
                    sites.append((rel, number, m.start(), m.group(), new))
            geometry = GEOMETRY.search(line)
            for m in INTEGER.finditer(line):
                if geometry or PURE.search(line):
                    continue
                sites.append((rel, number, m.start(), m.group(), bumped(m.group(1), m.group(2))))
            if in_body and not geometry and previous_end[-1] in ";{}):" and dropped_call(line):
                start = len(line) - len(line.lstrip())
                sites.append((rel, number, start, real_lines[number - 1].strip(), "{}"))
        previous_end = code
    return sites


def compiled_program_files(build):
    """Program sources this build compiles, and the program headers they include."""
    with open(build / "compile_commands.json", encoding="utf-8") as f:
        commands = json.load(f)
    todo = []
    for entry in commands:
        path = Path(entry["directory"], entry["file"]).resolve()
        try:
            rel = path.relative_to(ROOT)
        except ValueError:
            continue
        if rel.parts[0] in FOLDERS:
            todo.append(rel)
    seen = set()
    while todo:
        rel = todo.pop()
        if rel in seen:
            continue
        seen.add(rel)
        for name in re.findall(r'^\s*#\s*include\s+"([^"]+)"', (ROOT / rel).read_text(encoding="utf-8"), re.M):
            for candidate in (ROOT / name, ROOT / rel.parent / name):
                if candidate.is_file():
                    inc = candidate.resolve().relative_to(ROOT)
                    if inc.parts[0] in FOLDERS:
                        todo.append(inc)
                    break
    return sorted(seen, key=lambda p: p.as_posix())


def all_sites(files):
    sites = []
    for rel in files:
        sites.extend(file_sites(rel.as_posix(), (ROOT / rel).read_text(encoding="utf-8")))
    return sites


def describe(site):
    rel, number, _, old, new = site
    if new == "{}":
        text = old if len(old) <= 50 else old[:47] + "..."
        return "%s:%d drop `%s`" % (rel, number, text)
    return "%s:%d `%s` -> `%s`" % (rel, number, old, new)


def mutated(original, site):
    _, number, column, old, new = site
    lines = original.split("\n")
    line = lines[number - 1]
    if new == "{}":
        lines[number - 1] = line[:column] + "{}"
    else:
        assert line[column : column + len(old)] == old
        lines[number - 1] = line[:column] + new + line[column + len(old) :]
    return "\n".join(lines)


# ---- building and testing ---------------------------------------------------------------


def run(cmd, env=None):
    """Runs a command in its own process group (killed with it on Ctrl-C); (rc, output)."""
    proc = subprocess.Popen(
        cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, env=env, start_new_session=True, text=True,
        errors="replace")
    try:
        output, _ = proc.communicate()
    except BaseException:
        os.killpg(proc.pid, signal.SIGKILL)
        proc.wait()
        raise
    return proc.returncode, output


def configure(build, timeout):
    cmd = ["cmake", "-S", str(ROOT), "-B", str(build), "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
        # No debug information: every fault relinks each test program, and linking is most
        # of a fault's time; -O1 keeps the tests' speed close to the normal build's.
        "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -DNDEBUG", "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -DNDEBUG",
        "-DNUVERO_BUILD_BENCH=OFF", "-DNUVERO_TEST_TIMEOUT=%d" % timeout]
    if shutil.which("ccache") and "CMAKE_CXX_COMPILER_LAUNCHER" not in os.environ:
        cmd += ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache", "-DCMAKE_C_COMPILER_LAUNCHER=ccache"]
    rc, output = run(cmd)
    if rc != 0:
        sys.exit(output + "\nmutants: configuring %s failed" % build)


def build_tree(build, jobs):
    return run(["cmake", "--build", str(build), "-j", str(jobs)])


TEST_LINE = re.compile(r"#\d+: (\S+) \.*\s*(.*?)\s+([\d.]+) sec$", re.M)


def test_tree(build, test_jobs, timeout, stop_on_failure=True):
    """(passed, first failing test and how, slowest test's seconds, output) of a ctest run."""
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    cmd = ["ctest", "--test-dir", str(build), "-j", str(test_jobs), "--timeout", str(timeout), "--no-tests=error"]
    if stop_on_failure:
        cmd.append("--stop-on-failure")
    rc, output = run(cmd, env)
    failed, slowest = "", 0.0
    for m in TEST_LINE.finditer(output):
        slowest = max(slowest, float(m.group(3)))
        if m.group(2) != "Passed" and not failed:
            failed = "%s (%s)" % (m.group(1), m.group(2).replace("*", " ").strip().lower())
    return rc == 0, failed, slowest, output


def program_tree_clean():
    return subprocess.run(["git", "-C", str(ROOT), "diff", "--quiet", "HEAD", "--", *FOLDERS]).returncode == 0


# ---- report -----------------------------------------------------------------------------


def summary(results):
    print()
    print("%-14s %6s %6s %7s %9s %9s %9s" % ("folder", "sites", "built", "caught", "survived", "no build", "caught %"))
    rows = {}
    for site, outcome, _ in results:
        row = rows.setdefault(site[0].split("/")[0], {"caught": 0, "survived": 0, "no build": 0})
        row[outcome] += 1
    total = {"caught": 0, "survived": 0, "no build": 0}
    for folder in [f for f in FOLDERS if f in rows] + ["total"]:
        row = rows[folder] if folder != "total" else total
        if folder != "total":
            for k in total:
                total[k] += row[k]
        built = row["caught"] + row["survived"]
        share = "%.0f%%" % (100.0 * row["caught"] / built) if built else "-"
        print("%-14s %6d %6d %7d %9d %9d %9s" % (folder, sum(row.values()), built, row["caught"], row["survived"],
            row["no build"], share))
    if results:
        seconds = [s for _, _, s in results]
        print("\n%d mutants, %.0f s each on average (%.0f to %.0f s)" % (len(seconds), sum(seconds) / len(seconds),
            min(seconds), max(seconds)))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--seed", type=int, default=1, help="picks the sites (default 1)")
    parser.add_argument("--count", type=int, default=60, help="number of mutants (default 60)")
    parser.add_argument("--list", action="store_true", help="print the sampled sites, run nothing")
    parser.add_argument("--jobs", type=int, default=2, help="parallel build jobs (default 2)")
    parser.add_argument("--test-jobs", type=int, default=2, help="parallel tests (default 2)")
    parser.add_argument("--timeout", type=int, default=60, help="seconds before a test counts as hung (default 60)")
    parser.add_argument("--build", default="build/mutants", help="build folder (default build/mutants)")
    args = parser.parse_args()
    build = (ROOT / args.build).resolve()

    if not program_tree_clean():
        marker = build / MARKER
        hint = " (a killed run left %s mutated)" % marker.read_text().strip() if marker.exists() else ""
        sys.exit("mutants: the program folders differ from HEAD%s; commit, stash or `git checkout --` them first" % hint)

    configure(build, args.timeout)
    files = compiled_program_files(build)
    sites = all_sites(files)
    random.Random(args.seed).shuffle(sites)
    chosen = sites[: args.count]
    print("%d candidate sites in %d files; seed %d picks %d" % (len(sites), len(files), args.seed, len(chosen)))
    if args.list:
        for k, site in enumerate(chosen, 1):
            print("%3d %s" % (k, describe(site)))
        return 0

    # A signal other than Ctrl-C also unwinds through the restore below.
    for number in STOP_SIGNALS[1:]:
        signal.signal(number, signal.default_int_handler)

    start = time.monotonic()
    rc, output = build_tree(build, args.jobs)
    if rc != 0:
        sys.exit(output + "\nmutants: the unchanged program does not build")
    passed, failed, slowest, output = test_tree(build, args.test_jobs, args.timeout, stop_on_failure=False)
    if not passed:
        sys.exit(output + "\nmutants: the unchanged program fails its tests: %s" % failed)
    print("unchanged program: built and tested in %.0f s, slowest test %.0f s" % (time.monotonic() - start, slowest))
    if 2 * slowest > args.timeout:
        print("mutants: --timeout %d is close to the slowest test; a slow run may count as caught" % args.timeout)

    results = []
    try:
        for k, site in enumerate(chosen, 1):
            path = ROOT / site[0]
            original = path.read_bytes()
            start = time.monotonic()
            (build / MARKER).write_text(site[0] + "\n")
            try:
                path.write_bytes(mutated(original.decode("utf-8"), site).encode("utf-8"))
                rc, _ = build_tree(build, args.jobs)
                if rc != 0:
                    outcome, detail = "no build", ""
                else:
                    passed, failed, _, _ = test_tree(build, args.test_jobs, args.timeout)
                    outcome, detail = ("survived", "") if passed else ("caught", failed)
            finally:
                # No second Ctrl-C between the two writes.
                held = signal.pthread_sigmask(signal.SIG_BLOCK, STOP_SIGNALS)
                try:
                    path.write_bytes(original)
                    (build / MARKER).unlink()
                finally:
                    signal.pthread_sigmask(signal.SIG_SETMASK, held)
            seconds = time.monotonic() - start
            results.append((site, outcome, seconds))
            print("%3d %-70s %-8s %5.0f s  %s" % (k, describe(site), outcome, seconds, detail), flush=True)
    except KeyboardInterrupt:
        print("\ninterrupted; every file is restored", file=sys.stderr)
        summary(results)
        return 130
    summary(results)
    if not program_tree_clean():
        print("mutants: the program folders differ from HEAD after the run", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
