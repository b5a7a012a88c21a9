#!/usr/bin/env python3
"""Writes BENCHMARKS.md from the results that ./dev.sh bench collects.

    make_report.py RESULTS_DIR OUTPUT

RESULTS_DIR holds: report_size.*.json, word_length.*.json,
std_extract.*.json, peak_memory.*.json (Google Benchmark, with repetitions;
one file per round), launch.txt (output of
launch_bench.exe), sizes.txt ("variant<TAB>bytes" lines), breakdown.txt
(size_breakdown.py) and machine.txt ("key<TAB>value" lines).
"""

import json
import pathlib
import statistics
import sys

KIB, MIB = 1024, 1024 * 1024


def size_name(size):
    if size >= MIB:
        return f"{size // MIB} MiB"
    return f"{size // KIB} KiB"


def medians(results, family):
    """{argument: (median real time in ns, a run)} of one benchmark family,
    the median over all its rounds' medians."""
    times, runs = {}, {}
    for path in sorted(results.glob(family + ".*.json")):
        for run in json.loads(path.read_text())["benchmarks"]:
            if run.get("aggregate_name") != "median":
                continue
            parts = run["run_name"].split("/")
            argument = int(parts[1]) if len(parts) > 1 and parts[1].isdigit() else 0
            scale = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}[run["time_unit"]]
            times.setdefault(argument, []).append(run["real_time"] * scale)
            runs[argument] = run
    return {argument: (statistics.median(values), runs[argument])
            for argument, values in times.items()}


def table(header, rows):
    lines = ["| " + " | ".join(header) + " |",
             "|" + "|".join("---" for _ in header) + "|"]
    lines += ["| " + " | ".join(str(cell) for cell in row) + " |" for row in rows]
    return "\n".join(lines)


def main(results, output):
    results = pathlib.Path(results)
    machine = dict(line.split("\t", 1) for line in
                   (results / "machine.txt").read_text().splitlines() if "\t" in line)
    out = []
    add = out.append

    add("# Benchmarks\n")
    add("Made by `./dev.sh bench` on " + machine.get("date", "?") + ". Rerun it to "
        "remake this file; it takes a few minutes. The machine is shared and "
        "noisy, so read the ratios between measures taken in the same run, "
        "not the absolute times.\n")
    add("Machine: " + ", ".join(f"{k} {v}" for k, v in machine.items() if k != "date")
        + ".\n")

    # --- Report check --------------------------------------------------------
    add("## Report check (host build, Google Benchmark)\n")
    add("Medians of 5 repetitions (for the first-word lengths, the median of "
        "three such rounds, the check and `>>` taking turns). Files are in "
        "the page cache, so these time "
        "the reading and the word, not the disk.\n")

    sizes = medians(results, "report_size")
    base = sizes[min(sizes)][0]
    add("### Time against report size, first word fixed\n")
    add("The report is `GenuineIntel` CR LF and then a tail of the given size. "
        "The check reads the first word and stops, so the time must not grow "
        "with the tail.\n")
    add(table(["tail after the first word", "time", "ratio to 1 KiB tail"],
              [[size_name(size), f"{time / 1e3:.1f} µs", f"{time / base:.2f}"]
               for size, (time, _) in sorted(sizes.items())]))
    add("")

    ours = medians(results, "word_length")
    std = medians(results, "std_extract")
    add("### Time and throughput against first-word length\n")
    add("The report is one word of `x` bytes and a line end. Beside it, the "
        "standard library's own `std::ifstream >> std::string` on the same "
        "file, in its own process (so that neither inherits the other's heap). "
        "A ratio below 1 means the check is faster.\n")
    rows = []
    for length in sorted(ours):
        time, _ = ours[length]
        std_time = std[length][0] if length in std else float("nan")
        rows.append([size_name(length), f"{time / 1e6:.3f} ms",
                     f"{length / MIB / (time / 1e9):.0f} MiB/s",
                     f"{std_time / 1e6:.3f} ms",
                     f"{length / MIB / (std_time / 1e9):.0f} MiB/s",
                     f"{time / std_time:.2f}"])
    add(table(["first word", "check", "check MiB/s", "`>>`", "`>>` MiB/s",
               "check / `>>`"], rows))
    lengths = sorted(ours)
    per_byte = {n: ours[n][0] / n for n in lengths}
    add(f"\nTime per byte at {size_name(lengths[-1])} is "
        f"{per_byte[lengths[-1]] / per_byte[MIB]:.2f} times that at 1 MiB: "
        "linear growth, no quadratic term. Past about 256 KiB both readers are "
        "bound by the kernel faulting in fresh pages for the growing string.\n")

    peak = medians(results, "peak_memory")
    run = next(iter(peak.values()))[1]
    add("### Peak memory for a 64 MiB first word\n")
    add(table(["word", "peak resident memory added by one check", "ratio to the word"],
              [["64 MiB", f"{run['peak_bytes'] / MIB:.1f} MiB",
                f"{run['peak_per_word_byte']:.2f}"]]))
    add("\nMeasured as the rise of the process's peak resident set (VmHWM, "
        "reset before the call); the bound is three times the word.\n")

    # --- Launch under Wine ---------------------------------------------------
    launch = {}
    for line in (results / "launch.txt").read_text().splitlines():
        parts = line.split()
        if len(parts) == 4:
            launch[parts[0]] = [float(p) for p in parts[1:]]
    add("## Launch under Wine\n")
    add(f"launch_bench.exe, {machine.get('launch runs', '?')} runs of each after "
        "one warm-up, the launcher and the ten interpreter starts taking turns, "
        "in a fresh private prefix with one persistent wineserver, with the "
        "tests' stand-in tool and main application. Times in ms; Wine's "
        "process starts are slow and vary with the machine's load, so the "
        "spread is wide.\n")
    names = {
        "launch_to_main": "launcher start to main application start",
        "launcher_run": "launcher start to launcher end",
        "ten_exits": "ten bare interpreter starts (`system(\"exit\")` x 10)",
    }
    add(table(["measure", "median", "min", "max"],
              [[names[k], *(f"{v:.0f}" for v in launch[k])]
               for k in names if k in launch]))
    if "launcher_run" in launch and "ten_exits" in launch:
        run, floor = launch["launcher_run"][0], launch["ten_exits"][0]
        if run <= 1.1 * floor:
            share = ("within the noise, the launcher's run costs what ten bare "
                     "interpreter starts cost")
        else:
            share = (f"ten bare interpreter starts are {100 * floor / run:.0f}% "
                     "of the launcher's run")
        add(f"\nThe launcher's whole run takes {run / floor:.2f} times as long as ten "
            f"bare interpreter starts ({run - floor:+.0f} ms at the median): "
            f"{share}. What is left is the commands' own work (the copy, two "
            "runs of the tool, the deletions, `start`) and the launcher's own, "
            "one read of the first word, which the report check benchmarks "
            "above put at microseconds.\n")

    # --- Size ----------------------------------------------------------------
    add("## Size of launcher.exe\n")
    variants = [line.split("\t") for line in
                (results / "sizes.txt").read_text().splitlines() if "\t" in line]
    rows, previous = [], None
    for name, size in variants:
        size = int(size)
        saved = "" if previous is None else f"{(previous - size) / KIB:.0f} KiB"
        rows.append([name, f"{size:,} bytes ({size / KIB:.0f} KiB)", saved])
        previous = size
    add(table(["build", "size", "saved by this step"], rows))
    add("\nThe shipped build is the last static one. -Os made no difference "
        "beyond these (the launcher's own code is a few KiB) and is not used.\n")

    parts = [line.split("\t") for line in
             (results / "breakdown.txt").read_text().splitlines() if "\t" in line]
    total = sum(int(size) for name, size in parts if not name.startswith("libstdc++ member"))
    add("### What it is made of\n")
    add("Loaded sections by origin, from the linker's map of the shipped build:\n")
    add(table(["origin", "bytes", "share"],
              [[name, f"{int(size):,}", f"{100 * int(size) / total:.1f}%"]
               for name, size in parts if not name.startswith("libstdc++ member")]))
    add("\nThe largest parts of libstdc++:\n")
    add(table(["libstdc++ object", "bytes"],
              [[name.replace("libstdc++ member ", ""), f"{int(size):,}"]
               for name, size in parts if name.startswith("libstdc++ member")]))
    add("\nNearly all of it is the C++ runtime that `std::ifstream` brings: "
        "the locale facets for `char` and `wchar_t` in both string ABIs, the "
        "file stream, and the demangler of the default terminate handler. It "
        "is the price of reading the report with the standard library's file "
        "stream while linking statically. The posix thread model adds "
        "winpthreads.\n")

    add("## How to rerun\n")
    add("```\n./dev.sh bench\n```\n")
    add("It installs what is missing (libbenchmark-dev, python3), builds the "
        "`bench` and `windows` presets, runs the report check benchmarks, the "
        "launch under Wine in `build/bench/wineprefix`, and the size builds, "
        "and rewrites this file. The raw results stay in `build/bench/results`.")
    pathlib.Path(output).write_text("\n".join(out) + "\n")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
