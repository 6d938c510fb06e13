#!/usr/bin/env python3
"""Prints each benchmark's figure beside its baseline measured in the same run.

Reads the JSON files Google Benchmark wrote (--benchmark_out) and pairs every
benchmark with the baseline named in BASELINES: the same argument where the
benchmark has one. A speech benchmark's baseline is the length of the speech
it made, from its own counter (SPOKEN_BASELINES).
"""

import json
import re
import sys

# benchmark name (without its argument) -> the baseline it is measured against
BASELINES = {
    "BM_Tick": "BM_ParseAndFormat",
    "BM_LoadSchedule": "BM_ReadFileBytes",
    "BM_SaveSchedule": "BM_ReadFileBytes",
    "BM_StartUpToFirstWindow": "BM_StartUpToFirstWindow_MinimalQtBaseline",
}

# benchmark -> the counter that holds, in seconds, the length it is measured
# against: the speech it made. Its ratio is the real-time factor.
SPOKEN_BASELINES = {
    "BM_SynthesizeTenWords": "spoken_seconds",
    "BM_SpeakTenWordsToFile": "spoken_seconds",
}

FACTOR = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


def split_name(name):
    # "BM_Tick/1000" -> ("BM_Tick", "/1000"); "BM_X/iterations:20/manual_time" -> ("BM_X", "")
    base, _, rest = name.partition("/")
    arg = rest.split("/")[0] if rest and re.fullmatch(r"\d+", rest.split("/")[0]) else ""
    return base, ("/" + arg) if arg else ""


def playback_report(results):
    """The three figures of bench_playback, each beside its baseline."""

    def figure(name, arg="", key="real_time"):
        run = results.get((name, arg))
        if not run:
            return None
        if key != "real_time":
            return run.get(key)
        factor = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}
        return run["real_time"] * factor[run["time_unit"]]  # in ms

    lines = []
    streamed = figure("BM_PlayPeakMemoryAboveIdle", key="rss_above_idle_KiB")
    whole = figure("BM_PlayPeakMemoryAboveIdle_WholeFileBaseline", key="rss_above_idle_KiB")
    if streamed is not None and whole:
        lines.append(f"  peak memory above idle, 5-minute stereo WAV: {streamed / 1024:.1f} MiB"
                     f" (whole file read first: {whole / 1024:.1f} MiB, {streamed / whole:.3f}x;"
                     f" target under 8 MiB)")
    short, long_ = figure("BM_TimeToFirstSample", "/1"), figure("BM_TimeToFirstSample", "/3600")
    whole_short = figure("BM_TimeToFirstSample_WholeFileBaseline", "/1")
    whole_long = figure("BM_TimeToFirstSample_WholeFileBaseline", "/300")
    if short is not None and long_ is not None:
        line = (f"  first sample handed to the device: 1-second file {short:.1f} ms, 60-minute file"
                f" {long_:.1f} ms (apart {abs(long_ - short):.1f} ms; target under 50 ms, within 20 ms)")
        if whole_short is not None and whole_long is not None:
            line += (f"; whole file read first: 1-second {whole_short:.1f} ms,"
                     f" 5-minute {whole_long:.1f} ms ({long_ / whole_long:.3f}x)")
        lines.append(line)
    closing = figure("BM_CloseDuringSlowPlay")
    idle = figure("BM_CloseDuringSlowPlay_IdleBaseline")
    if closing is not None and idle:
        slowest = figure("BM_CloseDuringSlowPlay", key="slowest_ms")
        lines.append(f"  program ends after its window is closed during a play from a slow pipe:"
                     f" {closing:.1f} ms, slowest {slowest:.1f} ms (closed idle: {idle:.1f} ms,"
                     f" {closing / idle:.2f}x; target under 500 ms)")
    if lines:
        print()
        print("Playing an event's sound")
        print("\n".join(lines))


def main(paths):
    results = {}
    for path in paths:
        with open(path, encoding="utf-8") as f:
            for run in json.load(f)["benchmarks"]:
                if run.get("run_type", "iteration") != "iteration":
                    continue
                base, arg = split_name(run["name"])
                results[(base, arg)] = run

    print(f"{'benchmark':<40} {'time':>14} {'baseline':>14} {'ratio':>8}  extra")
    for (base, arg), run in sorted(results.items()):
        baseline_name = BASELINES.get(base)
        spoken_counter = SPOKEN_BASELINES.get(base)
        if not baseline_name and not spoken_counter:
            continue
        baseline = baseline_name and (results.get((baseline_name, arg)) or results.get((baseline_name, "")))
        unit = run["time_unit"]
        time = run["real_time"]
        line = f"{base + arg:<40} {time:>11.3f} {unit:<2}"
        if spoken_counter and run.get(spoken_counter):
            spoken = run[spoken_counter]
            ratio = time * FACTOR[unit] / spoken
            line += f" {spoken:>11.3f} s  {ratio:>7.4f}x"
        elif baseline:
            ratio = (time * FACTOR[unit]) / (baseline["real_time"] * FACTOR[baseline["time_unit"]])
            line += f" {baseline['real_time']:>11.3f} {baseline['time_unit']:<2} {ratio:>7.2f}x"
        else:
            line += f" {'(none)':>14} {'':>8}"
        extras = []
        if spoken_counter:
            extras.append("real-time factor: synthesis time per second of speech")
        if "items_per_second" in run and arg:
            per_item_ns = 1e9 / run["items_per_second"]
            extras.append(f"{per_item_ns:.0f} ns per row")
        if "peak_rss_KiB" in run:
            extras.append(f"peak RSS {run['peak_rss_KiB'] / 1024:.1f} MiB")
            if baseline and "peak_rss_KiB" in baseline:
                extras.append(f"(baseline {baseline['peak_rss_KiB'] / 1024:.1f} MiB, "
                              f"{run['peak_rss_KiB'] / baseline['peak_rss_KiB']:.2f}x)")
        print(line + "  " + " ".join(extras))
    playback_report(results)


if __name__ == "__main__":
    main(sys.argv[1:])
