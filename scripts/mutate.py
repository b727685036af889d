#!/usr/bin/env python3
"""Mutation score of the project's own tests: how many small faults put into the product code
the test suite catches. The workplace's runner (../shared/tools/mutate.py), extended: a mutant in
a source file that only the Windows build compiles (one the native build's compile commands do not
name, such as host/SystemWindows.cpp) is judged by the Windows suite under wine, built in
build/windows-x86_64 of the copy, instead of counting as a survivor of a build that never saw it.
It needs what scripts/test.sh needs for Windows: mingw-w64, wine64, and libsndfile for Windows
(scripts/sndfile-windows.sh, built once in the checkout: the copy links to it).

With --sanitized-too, a mutant that survives the native suite is judged again by the suite built
with the address and undefined-behaviour sanitizers, which the test command runs as well: a read
or write out of bounds that the plain build happens to survive fails there.

With --first TARGETS:REGEX, each mutant is first judged by a few test programs alone (ninja builds
the comma-separated TARGETS, ctest runs the tests matching REGEX): what that kills is killed, and only a mutant it misses
is built whole and judged by the whole suite. The verdicts are the whole suite's, sooner.
With --reuse (and a --work folder of its own) a run keeps its copy and built baseline for the next
run at the same commit, so several --only runs build the baseline once.

  mutate.py [--count N] [--seed S] [--only DIR/]... [--sanitize address,undefined] [--sanitized-too] [--dirty]
            [--first TARGETS:REGEX] [--work DIR] [--reuse] [--out FILE] [--list] CHECKOUT

Copies CHECKOUT's committed tree (git worktree at HEAD; with --dirty also its uncommitted changes and
untracked files) to /tmp/mutate-wt, configures one native
build (tests on, benchmarks off), then for a sample of mutants (fixed seed, spread over the product
files vst/ base/ core/ effect/ lv2/ clap/ platform/ cli/ host/ presets/ generate/ that exist): writes the mutant, rebuilds, runs ctest (the Ardour
test left out: it compares two renders through the same mutated module). A mutant is killed when
a test fails or times out, survives when all pass, and is stillborn when it does not compile
(not counted). Prints one line per mutant and last 'mutation score: K killed of M (P %)'.
"""
import argparse, json, os, random, re, shutil, subprocess, sys, time

PRODUCT = ("vst", "base", "core", "draw", "effect", "lv2", "clap", "platform", "cli", "host", "presets", "generate")
OPS = [  # (pattern, replacement, kind) on code outside comments and strings
    (r" <= ", " < ", "rel"), (r" < ", " <= ", "rel"), (r" >= ", " > ", "rel"), (r" > ", " >= ", "rel"),
    (r" == ", " != ", "rel"), (r" != ", " == ", "rel"),
    (r" \+ ", " - ", "arith"), (r" - ", " + ", "arith"), (r" \* ", " / ", "arith"), (r" / ", " * ", "arith"),
    (r" && ", " || ", "logic"), (r" \|\| ", " && ", "logic"),
    (r"\(!(?!=)", "(", "not"),
    (r"\btrue\b", "false", "bool"), (r"\bfalse\b", "true", "bool"),
    (r"(?<![\w.])(\d+)(?![\w.])", None, "int"),
    (r"(?<![\w.])(\d+\.\d*)(f?)(?![\w])", None, "float"),
    (r"\+\+", "--", "incr"), (r"\+= ", "-= ", "arith"),
]
SKIP = re.compile(r"^\s*(#|//|\*|/\*|static_assert|namespace|using |template|extern \"C\")")


def code_part(line):
    """The line with string/char literals and a trailing // comment blanked, same length."""
    out, i, q = [], 0, None
    while i < len(line):
        c = line[i]
        if q:
            out.append(" ")
            if c == "\\":
                out.append(" "); i += 2; continue
            if c == q:
                q = None
            i += 1; continue
        if c in "\"'":
            q = c; out.append(" "); i += 1; continue
        if line.startswith("//", i):
            out.append(" " * (len(line) - i)); break
        out.append(c); i += 1
    return "".join(out)


def mutants_of(path, text):
    res = []
    for n, line in enumerate(text.split("\n")):
        if SKIP.match(line) or not line.strip():
            continue
        code = code_part(line)
        for pat, rep, kind in OPS:
            for m in re.finditer(pat, code):
                if kind == "int":
                    v = int(m.group(1)); new = str(v + 1)
                elif kind == "float":
                    v = float(m.group(1)); new = repr(v * 1.01 if v else 0.01) + m.group(2)
                else:
                    new = re.sub(pat, rep, m.group(0))
                res.append((path, n, m.start(), m.end(), line[m.start():m.end()], new, kind))
    return res


def run(cmd, cwd, timeout, env=None):
    try:
        p = subprocess.run(cmd, cwd=cwd, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=timeout)
        return p.returncode, p.stdout.decode(errors="replace")
    except subprocess.TimeoutExpired:
        return 124, "timeout"


def first_judge_kills(first, build, wt):
    """Whether the one test program named kills the mutant; a mutant it cannot build goes on to the
    whole build, which says whether it is stillborn."""
    target, regex = first.split(":", 1)
    if run(["ninja", "-C", build, *target.split(",")], wt, 900)[0]:
        return False
    return run(["ctest", "--test-dir", build, "-j2", "--timeout", "60", "-R", regex], wt, 600)[0] != 0


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("checkout")
    ap.add_argument("--count", type=int, default=120)
    ap.add_argument("--seed", type=int, default=7)
    ap.add_argument("--out", default=None)
    ap.add_argument("--list", action="store_true", help="only count the candidate mutants")
    ap.add_argument("--only", action="append", default=[], help="mutate only files under this path (repeatable)")
    ap.add_argument("--sanitize", default="", help="build the tests with these sanitizers, e.g. address,undefined")
    ap.add_argument("--sanitized-too", action="store_true",
                    help="judge survivors again by the address/undefined-sanitizer suite")
    ap.add_argument("--work", default="/tmp/quadecho-mutate-wt", help="the copy's folder: one per run at the same time")
    ap.add_argument("--reuse", action="store_true",
                    help="keep the copy and its built, tested baseline from a run before at the same commit")
    ap.add_argument("--first", default="", help="TARGET:REGEX, a test program that judges each mutant first")
    ap.add_argument("--dirty", action="store_true", help="mutate the working tree as it is: uncommitted changes and untracked files too")
    a = ap.parse_args()
    src = os.path.abspath(a.checkout)
    wt = os.path.abspath(a.work)
    head = subprocess.check_output(["git", "-C", src, "rev-parse", "HEAD"], text=True).strip()
    files = subprocess.check_output(["git", "-C", src, "ls-files", *PRODUCT], text=True).split()
    if a.dirty:
        files += subprocess.check_output(["git", "-C", src, "ls-files", "--others", "--exclude-standard", *PRODUCT], text=True).split()
    files = [f for f in files if f.endswith((".cpp", ".h")) and (not a.only or any(f.startswith(o) for o in a.only))]
    cands = []
    for f in files:
        with open(os.path.join(src, f)) as fh:
            cands += mutants_of(f, fh.read())
    print(f"{len(cands)} candidate mutants in {len(files)} files at {head[:12]}")
    if a.list:
        return 0
    rnd = random.Random(a.seed)
    sample = rnd.sample(cands, min(a.count, len(cands)))
    sample.sort(key=lambda m: (m[0], m[1]))

    b = os.path.join(wt, "build-mut")
    reused = a.reuse and not a.dirty and os.path.isdir(b) and subprocess.run(
        ["git", "-C", wt, "rev-parse", "HEAD"], stdout=subprocess.PIPE, text=True).stdout.strip() == head
    if reused:
        print("reusing the copy and its baseline in " + wt)
    elif os.path.exists(wt):
        subprocess.run(["git", "-C", src, "worktree", "remove", "--force", wt], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        shutil.rmtree(wt, ignore_errors=True)
    if not reused:
        subprocess.check_call(["git", "-C", src, "worktree", "add", "--detach", wt, head], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if a.dirty:  # the working tree as it stands: tracked changes as a patch, untracked files copied
        diff = subprocess.check_output(["git", "-C", src, "diff", "HEAD", "--binary"])
        if diff:
            subprocess.run(["git", "-C", wt, "apply", "--whitespace=nowarn"], input=diff, check=True)
        for f in subprocess.check_output(["git", "-C", src, "ls-files", "--others", "--exclude-standard"], text=True).split("\n"):
            if f:
                os.makedirs(os.path.dirname(os.path.join(wt, f)) or wt, exist_ok=True)
                shutil.copy2(os.path.join(src, f), os.path.join(wt, f))
    rc, log = (0, "") if reused else run(["cmake", "-S", wt, "-B", b, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo", "-DQUADECHO_BENCH=OFF",
                   "-DCMAKE_EXPORT_COMPILE_COMMANDS=ON"]
                  + ([f"-DQUADECHO_SANITIZE={a.sanitize}"] if a.sanitize else []), wt, 600)
    rc2, log2 = (0, "") if reused else run(["ninja", "-C", b], wt, 1800)
    if rc or rc2:
        print("baseline build failed\n" + log[-2000:] + log2[-2000:]); return 2
    rc, log = (0, "") if reused else run(["ctest", "--test-dir", b, "-j2", "--timeout", "120", "-E", "ardour"], wt, 900)
    if rc:
        print("baseline tests fail\n" + log[-3000:]); return 2
    sb = os.path.join(wt, "build-mut-sanitized")
    if a.sanitized_too:
        rc, log = run(["cmake", "-S", wt, "-B", sb, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                       "-DQUADECHO_BENCH=OFF", "-DQUADECHO_SANITIZE=address,undefined"], wt, 600)
        rc2, log2 = run(["ninja", "-C", sb], wt, 3600)
        rc3, log3 = (1, "") if rc or rc2 else run(["ctest", "--test-dir", sb, "-j2", "--timeout", "240", "-E", "ardour"], wt, 1800)
        if rc or rc2 or rc3:
            print("sanitized baseline failed\n" + (log + log2 + log3)[-3000:]); return 2
    with open(os.path.join(b, "compile_commands.json")) as fh:
        native = {os.path.relpath(os.path.realpath(c["file"]), os.path.realpath(wt)) for c in json.load(fh)}
    windows = Windows(src, wt, b) if any(f.endswith(".cpp") and f not in native for f, *_ in sample) else None
    killed = survived = stillborn = 0
    lines = []
    t0 = time.time()
    for (f, n, s, e, old, new, kind) in sample:
        p = os.path.join(wt, f)
        with open(p) as fh:
            orig = fh.read()
        ls = orig.split("\n")
        ls[n] = ls[n][:s] + new + ls[n][e:]
        with open(p, "w") as fh:
            fh.write("\n".join(ls))
        verdict = ""
        foreign = f.endswith(".cpp") and f not in native
        by = ""
        if a.first and not foreign and first_judge_kills(a.first, b, wt):
            verdict = "killed"; killed += 1
            by = "   [first judge]"
            brc = None
        elif foreign and not windows.ready:
            verdict = "unjudged"  # no Windows suite to judge it by: counted neither way
            brc = None
        else:
            brc, blog = run(["ninja", "-C", windows.build if foreign else b], wt, 900)
        if brc is None:
            pass
        elif brc:
            verdict = "stillborn"; stillborn += 1
        else:
            trc, tlog = windows.test() if foreign else run(
                ["ctest", "--test-dir", b, "-j2", "--timeout", "60", "-E", "ardour"], wt, 600)
            by = ""
            if not trc and a.sanitized_too and not foreign:
                src_rc, _ = run(["ninja", "-C", sb], wt, 1800)
                trc = src_rc or run(["ctest", "--test-dir", sb, "-j2", "--timeout", "240", "-E", "ardour"], wt, 1800)[0]
                by = "   [sanitized suite]" if trc else ""
            if trc:
                verdict = "killed"; killed += 1
            else:
                verdict = "SURVIVED"; survived += 1
        with open(p, "w") as fh:
            fh.write(orig)
        row = f"{verdict:9s} {f}:{n + 1} {kind:5s} '{old}' -> '{new}'   | {ls[n].strip()[:90]}" + (
            "   [Windows suite]" if foreign else by)
        lines.append(row)
        print(row, flush=True)
    m = killed + survived
    summary = f"mutation score: {killed} killed of {m} ({100.0 * killed / max(m, 1):.1f} %), {stillborn} stillborn, {time.time() - t0:.0f} s, at {head[:12]}"
    print(summary)
    if a.out:
        with open(a.out, "w") as fh:
            fh.write("\n".join(lines + [summary]) + "\n")
    if windows:
        windows.stop()
    if not a.reuse:
        subprocess.run(["git", "-C", src, "worktree", "remove", "--force", wt], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return 0


class Windows:
    """The 64-bit Windows build of the copy and its suite under wine, as scripts/test.sh runs it:
    one wineserver in a prefix of its own for the whole run."""

    def __init__(self, src, wt, native_build):
        self.build = os.path.join(wt, "build", "windows-x86_64")
        self.env = dict(os.environ, WINEPREFIX=os.path.join(wt, "build", "wineprefix"), WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=")
        os.makedirs(self.env["WINEPREFIX"], exist_ok=True)
        for shared in ("sndfile-windows-x86_64", "windows-i686"):  # built once in the checkout
            if os.path.isdir(os.path.join(src, "build", shared)):
                os.symlink(os.path.join(src, "build", shared), os.path.join(wt, "build", shared))
        self.server = subprocess.Popen(["/usr/lib/wine/wineserver", "-p"], env=self.env, stdin=subprocess.DEVNULL,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        time.sleep(1)
        subprocess.run(["/usr/lib/wine/wine64", "wineboot", "--init"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        rc, log = run(["cmake", "--preset", "windows-x86_64", f"-DQUADECHO_LINUX_BUILD={native_build}"], wt, 600, self.env)
        rc2, log2 = (rc, "") if rc else run(["ninja", "-C", self.build], wt, 1800, self.env)
        rc3, log3 = (1, "") if rc or rc2 else self.test()
        self.ready = not (rc or rc2 or rc3)
        if not self.ready:
            print("Windows baseline failed; mutants compiled only for Windows stay unjudged\n"
                  + (log + log2 + log3)[-2000:], flush=True)

    def test(self):
        return run(["ctest", "--test-dir", self.build, "-j2", "--timeout", "120"], os.path.dirname(self.build), 900, self.env)

    def stop(self):
        subprocess.run(["/usr/lib/wine/wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


if __name__ == "__main__":
    sys.exit(main())
