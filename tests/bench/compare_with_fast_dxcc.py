#!/usr/bin/env python3
"""Measures Vorn's look-up side by side with the npm package @ham-core/fast-dxcc 2.7.0, the
fastest peer we know of (a prefix trie built from cty data, under Node), and prints the ratios.
Run by hand, never by CTest; it needs Debian's nodejs, npm and time beside what tools/dev.sh
installs:

    tests/bench/compare_with_fast_dxcc.py [--build DIR] [--rounds N] [--calls FILE]

It builds vorn-lookup and the benchmarks in DIR (default build-bench, a Release build), installs
the package with npm into a scratch folder under the system's temporary directory (never into
the project), and then runs, in turns on the same machine:
  - the in-process look-up over every call of MASTER.SCP: Vorn's Google Benchmark against a
    timed loop of the package's findDxcc;
  - the whole job as a process, reading the calls from standard input and printing one line per
    call: vorn-lookup against a small Node script on the package;
  - loading both shipped data files with the index (Google Benchmark), and vorn-lookup's peak
    memory.
Every figure is the median of its runs; the machine may be busy, so only the ratios of runs made
side by side count.
"""

import argparse
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
PACKAGE = "@ham-core/fast-dxcc@2.7.0"
DEFAULT_CALLS = os.path.join(ROOT, "tools", "data", "sources", "MASTER.SCP")
TIME = "/usr/bin/time"

# Targets, as ratios of runs made side by side, and two absolute bounds.
IN_PROCESS_MAX_NS = 60
IN_PROCESS_MIN_RATIO = 6
WHOLE_PROCESS_MIN_RATIO = 10
LOAD_MAX_MS = 1.0
PEAK_MEMORY_MAX_MB = 16

PEER_SCRIPT = r"""
// The peer: "filter" looks up every line of standard input and prints one line per call;
// "inprocess FILE PASSES" prints the nanoseconds per call of each timed pass over the calls.
const fs = require("fs");
const { findDxcc } = require("@ham-core/fast-dxcc");

function entityOf(call) {
    const found = findDxcc(call);
    return found ? found.entity.name : "unknown";
}

if (process.argv[2] === "filter") {
    const lines = fs.readFileSync(0, "latin1").split("\n");
    if (lines[lines.length - 1] === "") lines.pop();
    const out = [];
    for (const line of lines) {
        const call = line.replace(/\r$/, "").toUpperCase().slice(0, 15);
        out.push(call + "\t" + entityOf(call) + "\n");
    }
    process.stdout.write(out.join(""));
} else {
    const calls = fs.readFileSync(process.argv[3], "latin1").split("\n")
        .filter((line) => line && !line.startsWith("#")).map((line) => line.toUpperCase());
    const passes = Number(process.argv[4]);
    let sink = 0;
    for (const call of calls) sink += entityOf(call).length; // warm up
    const perCall = [];
    for (let pass = 0; pass < passes; pass++) {
        const start = process.hrtime.bigint();
        for (const call of calls) {
            const found = findDxcc(call);
            if (found) sink += found.entity.id;
        }
        perCall.push(Number(process.hrtime.bigint() - start) / calls.length);
    }
    console.log(JSON.stringify({ perCall, sink }));
}
"""


def run(command, **kwargs):
    return subprocess.run(command, check=True, **kwargs)


def build(build_dir):
    run(["cmake", "-S", ROOT, "-B", build_dir, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
         "-DBUILD_TESTING=ON", "-DVORN_BENCHMARKS=ON"], stdout=subprocess.DEVNULL)
    run(["cmake", "--build", build_dir, "-j2", "--target", "vorn-lookup", "vorn_benchmarks"],
        stdout=subprocess.DEVNULL)
    return (os.path.join(build_dir, "src", "programs", "vorn-lookup"),
            os.path.join(build_dir, "tests", "bench", "vorn_benchmarks"))


def install_peer(scratch):
    run(["npm", "install", "--prefix", scratch, "--no-audit", "--no-fund", "--no-save",
         "--loglevel=error", PACKAGE], stdout=subprocess.DEVNULL)
    script = os.path.join(scratch, "peer.js")
    with open(script, "w", encoding="ascii") as f:
        f.write(PEER_SCRIPT)
    return script


def vorn_in_process(benchmarks, repetitions):
    """Milliseconds per iteration of each benchmark, one sample per repetition."""
    output = run([benchmarks, "--benchmark_filter=^(loadShippedFiles|findActiveCalls|lookUpActiveCalls)/",
                  f"--benchmark_repetitions={repetitions}", "--benchmark_format=json"],
                 capture_output=True, text=True).stdout
    samples = {}
    calls = None
    for row in json.loads(output)["benchmarks"]:
        if row.get("run_type") != "iteration":
            continue
        samples.setdefault(row["run_name"].split("/")[0], []).append(row["real_time"])
        calls = row.get("calls", calls)
    return samples, calls


def peer_in_process(script, calls_file, passes):
    output = run(["node", script, "inprocess", calls_file, str(passes)], capture_output=True,
                 text=True).stdout
    return json.loads(output)["perCall"]


def whole_process(command, calls_file):
    """Wall seconds of one run over the calls."""
    with open(calls_file, "rb") as calls:
        start = time.perf_counter()
        run(command, stdin=calls, stdout=subprocess.DEVNULL)
        return time.perf_counter() - start


def peak_memory(command, calls_file):
    """Peak resident memory in MiB of one run, through GNU time: a child of this Python would
    count the pages it shares with Python before it starts the program."""
    with open(calls_file, "rb") as calls, tempfile.NamedTemporaryFile("r") as report:
        run([TIME, "-f", "%M", "-o", report.name] + command, stdin=calls,
            stdout=subprocess.DEVNULL)
        return int(report.read().split()[-1]) / 1024


def line_count(command, calls_file):
    with open(calls_file, "rb") as calls:
        return run(command, stdin=calls, capture_output=True).stdout.count(b"\n")


def mark(ok):
    return "ok" if ok else "MISSED"


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build", default=os.path.join(ROOT, "build-bench"),
                        help="build folder for the Release build (default: build-bench)")
    parser.add_argument("--rounds", type=int, default=7, help="rounds of side-by-side runs")
    parser.add_argument("--calls", default=DEFAULT_CALLS, help="the list of calls (MASTER.SCP)")
    args = parser.parse_args(argv)
    for tool in ("cmake", "ninja", "node", "npm", TIME):
        if not shutil.which(tool):
            sys.exit(f"{tool} is needed: install the Debian packages nodejs, npm and time")
    if not os.path.isfile(args.calls):
        sys.exit(f"{args.calls} is missing")

    lookup, benchmarks = build(args.build)
    data = os.path.join(ROOT, "files")
    vorn_command = [lookup, "-C", data]
    with tempfile.TemporaryDirectory(prefix="vorn-bench-peer-") as scratch:
        script = install_peer(scratch)
        peer_command = ["node", script, "filter"]
        lines = line_count(vorn_command, args.calls)
        if line_count(peer_command, args.calls) != lines:
            sys.exit("vorn-lookup and the peer did not print a line per call alike")

        vorn_samples = {}
        peer_per_call = []
        vorn_seconds, peer_seconds, vorn_memory = [], [], []
        calls = None
        for _ in range(args.rounds):
            samples, calls = vorn_in_process(benchmarks, 3)
            for name, values in samples.items():
                vorn_samples.setdefault(name, []).extend(values)
            peer_per_call.extend(peer_in_process(script, args.calls, 3))
            for _ in range(3):
                vorn_seconds.append(whole_process(vorn_command, args.calls))
                peer_seconds.append(whole_process(peer_command, args.calls))
            vorn_memory.append(peak_memory(vorn_command, args.calls))

    median = statistics.median
    per_call = {name: median(values) * 1e6 / calls for name, values in vorn_samples.items()}
    find_ns = per_call["findActiveCalls"]
    texts_ns = per_call["lookUpActiveCalls"]
    peer_ns = median(peer_per_call)
    load_ms = median(vorn_samples["loadShippedFiles"])
    vorn_ms = median(vorn_seconds) * 1e3
    peer_ms = median(peer_seconds) * 1e3
    memory = max(vorn_memory)
    in_process_ratio = peer_ns / find_ns
    whole_ratio = peer_ms / vorn_ms

    print(f"In-process look-up over {int(calls):,} calls of {os.path.basename(args.calls)}, "
          f"median of {len(peer_per_call)} runs each, ns per call:")
    print(f"  Vorn findAnswer (the look-up, answer texts as pieces)  {find_ns:8.1f}"
          f"   target <= {IN_PROCESS_MAX_NS}: {mark(find_ns <= IN_PROCESS_MAX_NS)}")
    print(f"  Vorn lookUpCall (the three texts built as strings)   {texts_ns:8.1f}")
    print(f"  fast-dxcc findDxcc under Node                        {peer_ns:8.1f}")
    print(f"  ratio fast-dxcc / Vorn                               {in_process_ratio:8.1f} x"
          f"   target >= {IN_PROCESS_MIN_RATIO}: {mark(in_process_ratio >= IN_PROCESS_MIN_RATIO)}")
    print(f"Whole process over {lines:,} lines of standard input, one line out per call, "
          f"median of {len(vorn_seconds)} runs each, ms:")
    print(f"  vorn-lookup                                          {vorn_ms:8.1f}")
    print(f"  Node script on fast-dxcc                             {peer_ms:8.1f}")
    print(f"  ratio Node / vorn-lookup                             {whole_ratio:8.1f} x"
          f"   target >= {WHOLE_PROCESS_MIN_RATIO}: {mark(whole_ratio >= WHOLE_PROCESS_MIN_RATIO)}")
    print(f"Loading both shipped files with the index, median ms   {load_ms:8.3f}"
          f"   target <= {LOAD_MAX_MS}: {mark(load_ms <= LOAD_MAX_MS)}")
    print(f"Peak memory of vorn-lookup over the calls, MiB         {memory:8.1f}"
          f"   target <= {PEAK_MEMORY_MAX_MB}: {mark(memory <= PEAK_MEMORY_MAX_MB)}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
