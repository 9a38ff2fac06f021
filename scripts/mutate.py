#!/usr/bin/env python3
"""Plants one small fault at a time in a copy of the program's sources and checks that the tests notice.

The faults are drawn with a fixed seed from every site in src/, so a run can be repeated. The working
tree is never written: the sources are copied to build/mutate/tree, built there once, and each fault is
applied to that copy, rebuilt, tested with ctest and taken out again. The report goes to
build/mutate/report.txt.
"""
import argparse
import collections
import hashlib
import os
import random
import re
import shutil
import stat
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
WORK = ROOT / "build" / "mutate"
TREE = WORK / "tree"
PROGRESS = WORK / "progress.tsv"  # one verdict per line as the run goes, so a cut-short run can resume
BUILD = TREE / "build" / "default"  # where the default preset puts it, so ctest runs as `make test` does
COPIED = ["CMakeLists.txt", "CMakePresets.json", "src", "tests", "resources", "data", "scripts", "packaging"]
# Compiles only the Windows-only sources, which the sample never touches.
SKIPPED_TESTS = "^windows_sources$"
DIRS = ["core", "modules", "forms", "widgets", "platform", "imageformats"]

COMPARISON = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}
INTEGER = re.compile(r"(?<![\w.'])(?<![eE][-+])(0[xX][0-9a-fA-F']+|\d[\d']*)([uUlL]*)(?![\w.'])")
KEYWORDS = re.compile(r"^(return|if|else|for|while|do|switch|case|default|break|continue|goto|delete|new|"
                      r"throw|static_assert|using|typedef|template|namespace|class|struct|enum)\b")
LHS = r"\*?[A-Za-z_][\w.:\->\[\]()]*"
STATEMENT = re.compile(rf"^(?:emit )?{LHS}(?:\(.*\)| *(?:[-+*/%&|^]|<<|>>)?= .*| << .*|\+\+|--);$"
                       rf"|^(?:\+\+|--){LHS};$")

Mutant = collections.namedtuple("Mutant", "id path line kind before after")


def mask(line, in_comment):
    """The line with comments blanked and string contents replaced by '_', the string spans, and whether
    a block comment runs on into the next line."""
    out, strings, i = list(line), [], 0
    while i < len(line):
        if in_comment or line.startswith("/*", i):
            end = line.find("*/", i if in_comment else i + 2)
            stop = len(line) if end < 0 else end + 2
            out[i:stop] = " " * (stop - i)
            in_comment, i = end < 0, stop
        elif line.startswith("//", i):
            out[i:] = " " * (len(line) - i)
            break
        elif line[i] == '"' or (line[i] == "'" and not line[i - 1 : i].isdigit()):
            j = i + 1
            while j < len(line) and line[j] != line[i]:
                j += 2 if line[j] == "\\" else 1
            j = min(j, len(line) - 1)
            out[i + 1 : j] = "_" * (j - i - 1)
            if line[i] == '"':
                strings.append((i, j + 1))
            i = j + 1
        else:
            i += 1
    return "".join(out), strings, in_comment


def line_sites(line, code, strings, statement_starts):
    """(kind, column, old text, new text) for every fault this line can take."""
    for m in re.finditer(r"(?<= )(<=|>=|==|!=|<|>)(?= )", code):
        yield "comparison", m.start(), m.group(), COMPARISON[m.group()]
    for m in re.finditer(r"(?<= )(&&|\|\|)(?= )", code):
        yield "logic", m.start(), m.group(), "||" if m.group() == "&&" else "&&"
    for m in re.finditer(r"\b(true|false)\b", code):
        yield "boolean", m.start(), m.group(), "false" if m.group() == "true" else "true"
    for m in INTEGER.finditer(code):
        digits = m.group(1).replace("'", "")
        if re.fullmatch(r"0\d+", digits):
            continue  # octal, which this code does not use
        hexadecimal = digits[:2].lower() == "0x"
        value = int(digits, 16 if hexadecimal else 10)
        value = {0: 1, 1: 0}.get(value, value + 1)
        if hexadecimal:
            new = digits[:2] + format(value, f"0{len(digits) - 2}{'x' if digits.islower() else 'X'}")
        else:
            new = str(value)
        yield "constant", m.start(), m.group(), new + m.group(2)
    for start, end in strings:
        old = line[start:end]
        yield "string", start, old, old[:-1] + '_"'
    for m in re.finditer(r"(?<!\w)if \(", code):
        depth, close = 0, None
        for j in range(m.end() - 1, len(code)):
            depth += {"(": 1, ")": -1}.get(code[j], 0)
            if depth == 0:
                close = j
                break
        old = line[m.end() - 1 : close + 1] if close else ""
        if old and not re.match(r"\((auto|const)\b", old):  # a declaration cannot be negated
            yield "branch", m.end() - 1, old, "(!" + old + ")"
    text = code.strip()
    balanced = text.count("(") == text.count(")") and text.count("[") == text.count("]")
    if statement_starts and balanced and STATEMENT.match(text) and not KEYWORDS.match(text):
        yield "statement", code.index(text), line.strip(), ";"


def candidates():
    """Every fault site in the sources, in a fixed order that depends on src/ alone."""
    found = []
    files = sorted(p for d in DIRS for p in (ROOT / "src" / d).rglob("*") if p.suffix in (".cpp", ".h"))
    for path in files:
        if path.name.endswith("_win.cpp"):
            continue
        rel = path.relative_to(ROOT).as_posix()
        in_comment, prev_end, continued = False, ";", False
        blocks, head = [], ""  # per open brace: does it hold statements (not a class, namespace or list)?
        text = path.read_text(encoding="utf-8", errors="surrogateescape")
        for number, line in enumerate(text.split("\n"), 1):
            if line.lstrip().startswith("#") or continued:
                continued = line.rstrip().endswith("\\")
                continue
            code, strings, in_comment = mask(line, in_comment)
            if not code.strip():
                continue
            starts = bool(blocks) and blocks[-1] and (prev_end in ";{}):" or prev_end == "else")
            for kind, col, old, new in line_sites(line, code, strings, starts):
                after = ";" if kind == "statement" else (line[:col] + new + line[col + len(old) :]).strip()
                key = hashlib.sha1(f"{rel}:{number}:{col}:{kind}:{new}".encode("utf-8", "surrogateescape"))
                found.append(Mutant(key.hexdigest()[:8], rel, number, kind, line.strip(), after))
            prev_end = "else" if code.rstrip().endswith("else") else code.rstrip()[-1]
            for ch in code:
                if ch == "{":
                    blocks.append(not re.search(r"\b(class|struct|union|enum|namespace)\b|=\s*$", head))
                elif ch == "}" and blocks:
                    blocks.pop()
                head = "" if ch in "{};" else head + ch
    return found


def describe(m):
    return f"{m.path}:{m.line}: {m.before} → {m.after}"


def sync_tree():
    """Makes the scratch tree match the working tree, copying only what differs so builds stay incremental."""
    wanted = set()
    for item in COPIED:
        base = ROOT / item
        for src in [base] if base.is_file() else sorted(base.rglob("*")):
            if not stat.S_ISREG(os.lstat(src).st_mode):
                continue
            rel = src.relative_to(ROOT)
            wanted.add(rel)
            dst = TREE / rel
            if not dst.is_file() or dst.read_bytes() != src.read_bytes():
                dst.parent.mkdir(parents=True, exist_ok=True)
                shutil.copyfile(src, dst)
                shutil.copymode(src, dst)  # the test wrappers are run as programs
    for item in COPIED:
        for old in list((TREE / item).rglob("*")) if (TREE / item).is_dir() else []:
            if old.is_file() and old.relative_to(TREE) not in wanted:
                old.unlink()


def run(cmd, log):
    with open(log, "a", encoding="utf-8", errors="replace") as out:
        out.write("$ " + " ".join(cmd) + "\n")
        out.flush()
        return subprocess.run(cmd, cwd=TREE, stdout=out, stderr=subprocess.STDOUT).returncode


def build_and_test(jobs, log):
    """'not compiled', 'caught' or 'survived', and the tests that failed."""
    if run(["cmake", "--build", "--preset", "default", "-j", str(jobs)], log) != 0:
        return "not compiled", ""
    mark = log.stat().st_size
    if run(["ctest", "--preset", "default", "-j", str(jobs), "--stop-on-failure", "-E", SKIPPED_TESTS], log) == 0:
        return "survived", ""
    with open(log, encoding="utf-8", errors="replace") as f:
        f.seek(mark)
        failed = re.findall(r"Test +#\d+: (\S+) \.+\*+\s*(\w+)", f.read())
    return "caught", ", ".join(f"{name} ({how.lower()})" for name, how in failed)


def prepare(args):
    WORK.mkdir(parents=True, exist_ok=True)
    sync_tree()
    log = WORK / "baseline.log"
    log.write_text("")
    # Assertions on, no debug information: quicker to compile and link, and the tests still run fast.
    flags = ["-DCMAKE_BUILD_TYPE=Debug", "-DCMAKE_CXX_FLAGS_DEBUG=-O1"]
    flags.append(f"-DQMQUERY_TEST_TIMEOUT={args.test_timeout}")
    for linker in ("lld", "gold"):  # about twice as fast as the default at relinking every test
        if shutil.which("ld." + linker):
            flags.append(f"-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld={linker}")
            break
    print("Building the unmutated copy in", BUILD.relative_to(ROOT), flush=True)
    if run(["cmake", "--preset", "default", *flags], log) != 0:
        sys.exit(f"Configuring the copy failed; see {log}")
    verdict, failed = build_and_test(args.jobs, log)
    if verdict != "survived":
        what = "do not build" if verdict == "not compiled" else "fail their tests: " + failed
        sys.exit(f"The unmutated sources {what}. Fix that first, or the results mean nothing (see {log}).")


def share(caught, compiled):
    return f"{caught}/{compiled} = {100 * caught / compiled:.0f}%" if compiled else "0/0 = -"


def report(args, total, results, seconds):
    lines = [f"Mutation run: seed {args.seed}, {len(results)} fault(s) from {total} sites in src/."]
    compiled = [r for r in results if r[1] != "not compiled"]
    caught = [r for r in compiled if r[1] == "caught"]
    lines.append(f"Caught: {share(len(caught), len(compiled))} of those that compiled "
                 f"({len(results) - len(compiled)} did not compile).")
    for title, key in (("directory", lambda m: m.path.split("/")[1]), ("kind", lambda m: m.kind)):
        lines.append(f"\n  {'By ' + title:<14} {'caught/compiled':>20}  not compiled")
        for group in sorted({key(m) for m, _, _ in results}):
            rows = [v for m, v, _ in results if key(m) == group]
            c, n = rows.count("caught"), len(rows) - rows.count("not compiled")
            lines.append(f"  {group:<14} {share(c, n):>20}  {rows.count('not compiled'):>12}")
    survivors = [m for m, v, _ in results if v == "survived"]
    lines.append(f"\nSurvivors ({len(survivors)}): the tests passed with these faults in place.")
    lines += [f"  {describe(m)}   [{m.id}]" for m in survivors] or ["  none"]
    lines.append(f"\nTime: {seconds / 60:.1f} min, {seconds / max(len(results), 1):.1f} s per fault "
                 f"(rebuild and tests, {args.jobs} jobs).")
    lines.append("\nEvery fault:")
    lines += [f"  [{m.id}] {v:<12} {describe(m)}{'   by ' + t if t else ''}" for m, v, t in results]
    text = "\n".join(lines) + "\n"
    (WORK / "report.txt").write_text(text, encoding="utf-8")
    print("\n" + text + f"Written to {(WORK / 'report.txt').relative_to(ROOT)}")


def load_progress(args):
    """Verdicts already reached for this seed, when resuming; otherwise starts a fresh record."""
    header = f"# seed {args.seed} count {args.count}\n"
    if args.resume and PROGRESS.exists():
        text = PROGRESS.read_text(encoding="utf-8")
        if not text.startswith(header):
            sys.exit(f"{PROGRESS.relative_to(ROOT)} is from another sample; run without --resume.")
        rows = (line.split("\t") for line in text.splitlines()[1:] if line)
        return {row[0]: (row[1], row[2] if len(row) > 2 else "") for row in rows}
    PROGRESS.write_text(header, encoding="utf-8")
    return {}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--seed", type=int, default=1, help="draws a different sample (default 1)")
    parser.add_argument("--count", type=int, default=300, help="faults to try (default 300)")
    parser.add_argument("--list", action="store_true", help="print the chosen faults, run nothing")
    parser.add_argument("--only", metavar="ID", help="try the one fault with this id")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 2, help="build and test jobs")
    parser.add_argument("--test-timeout", type=int, default=30, help="seconds before a test counts as hung")
    parser.add_argument("--resume", action="store_true",
                        help="keep the verdicts of a run that was cut short and try only the rest")
    args = parser.parse_args()

    sites = candidates()
    if args.only:
        chosen = [m for m in sites if m.id == args.only]
        if not chosen:
            sys.exit(f"No fault with id {args.only} in the current sources.")
    else:
        chosen = random.Random(args.seed).sample(sites, min(args.count, len(sites)))
        chosen.sort(key=lambda m: (m.path, m.line))  # faults in one file in a row rebuild less
    if args.list:
        print(f"{len(chosen)} faults from {len(sites)} sites (seed {args.seed}):")
        for m in chosen:
            print(f"[{m.id}] {m.kind:<10} {describe(m)}")
        return

    prepare(args)
    done = load_progress(args)
    results, start = [], time.monotonic()
    for i, m in enumerate(chosen, 1):
        if m.id in done:
            results.append((m, *done[m.id]))
            continue
        path = TREE / m.path
        original = path.read_bytes()
        lines = original.decode("utf-8", "surrogateescape").split("\n")
        line = lines[m.line - 1]
        if line.strip() != m.before:
            sys.exit(f"{m.path} changed during the run; start again.")
        lines[m.line - 1] = line[: len(line) - len(line.lstrip())] + m.after
        began = time.monotonic()
        try:
            path.write_bytes("\n".join(lines).encode("utf-8", "surrogateescape"))
            (WORK / "last.log").write_text("")
            verdict, tests = build_and_test(args.jobs, WORK / "last.log")
        finally:
            path.write_bytes(original)
        results.append((m, verdict, tests))
        with PROGRESS.open("a", encoding="utf-8") as progress:
            progress.write(f"{m.id}\t{verdict}\t{tests}\n")
        seconds = time.monotonic() - began
        print(f"[{i}/{len(chosen)}] {verdict:<12} {seconds:5.1f} s  {describe(m)}", flush=True)
    report(args, len(sites), results, time.monotonic() - start)


if __name__ == "__main__":
    main()
