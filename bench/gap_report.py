#!/usr/bin/env python3
"""Reads what bench_gap_sampler printed while a player played frame-coded clips and reports each
transition from one clip to the next, then the two summary lines of scripts/bench-gap.

Usage: gap_report.py NAME SAMPLES FRAMES FPS

Every frame of clip k (in playlist order) is one solid colour: red 40 + 30 * (k % 8), green
10 * frame index, blue 200. FRAMES is the number of frames per clip, FPS their rate.

For each transition from clip k to clip k+1:
  extra = (first appearance of k+1's first frame) - (first appearance of k's last frame) - one frame
          (corrected by a frame interval per frame that never appeared on either side)
  stall = extra where positive, plus however long k+1's first frame stays beyond one frame interval
  black / wrong = pictures in between that are black, or neither of the two clips' frames
"""
import statistics
import sys

CODES = 8
BLUE = 200


def classify(r, g, b):
    if r < 24 and g < 24 and b < 24:
        return ("black",)
    if abs(b - BLUE) > 24:
        return ("other",)
    code = round((r - 40) / 30)
    frame = round(g / 10)
    if not 0 <= code < CODES or abs(r - (40 + 30 * code)) > 12 or abs(g - 10 * frame) > 4:
        return ("other",)
    return ("frame", code, frame)


def runs_of(samples):
    """Merges consecutive samples of the same class: (start_us, end_us, class)."""
    runs = []
    for i, (t, r, g, b) in enumerate(samples):
        c = classify(r, g, b)
        if runs and runs[-1][2] == c:
            continue
        if runs:
            runs[-1][1] = t
        runs.append([t, None, c])
    if runs:
        runs[-1][1] = samples[-1][0]
    return runs


def transitions_of(runs, frames, interval_ms):
    result = []
    code = None  # clip showing now
    last_frame = None  # (first time in ms, frame index) of the highest frame of that clip seen
    between = []  # classes seen since the current clip's last frame appeared
    i = 0
    while i < len(runs):
        start, end, c = runs[i]
        t = start / 1000.0
        if c[0] == "frame" and code is None:
            code = c[1]
            last_frame = (t, c[2])
            between = []
        elif c[0] == "frame" and c[1] == code:
            if last_frame is None or c[2] > last_frame[1]:
                last_frame = (t, c[2])
                between = []
            else:
                between.append(c)
        elif c[0] == "frame" and c[1] == (code + 1) % CODES and c[2] < frames // 2:
            first = (t, c[2])
            # How long the new clip's first picture stays: until another frame of it appears.
            # And how long the frame after it stays (a player may catch up there instead).
            held_until = second_until = None
            second = None
            for later in runs[i + 1:]:
                lc = later[2]
                if lc[0] != "frame" or lc[1] != c[1]:
                    continue
                if held_until is None and lc[2] != c[2]:
                    held_until, second = later[0] / 1000.0, lc[2]
                elif held_until is not None and lc[2] != second:
                    second_until = later[0] / 1000.0
                    break
            skipped = (frames - 1 - last_frame[1]) + first[1]
            extra = first[0] - last_frame[0] - interval_ms * (1 + skipped)
            hold = (held_until - first[0]) if held_until is not None else None
            stall = max(0.0, extra) + (max(0.0, hold - interval_ms) if hold is not None else 0.0)
            result.append({
                "from": code, "last": last_frame[1], "first": first[1], "extra": extra,
                "hold": hold, "stall": stall,
                "hold2": (second_until - held_until) if second_until is not None else None,
                "black": sum(1 for x in between if x[0] == "black"),
                "wrong": sum(1 for x in between if x[0] != "black"),
            })
            code = c[1]
            last_frame = first
            between = []
        else:
            between.append(c)
        i += 1
    return result


def main():
    name, path, frames, fps = sys.argv[1], sys.argv[2], int(sys.argv[3]), float(sys.argv[4])
    interval_ms = 1000.0 / fps
    samples, info = [], []
    with open(path) as f:
        for line in f:
            parts = line.split()
            if len(parts) == 4 and parts[0].isdigit():
                samples.append(tuple(int(p) for p in parts))
            elif parts:
                info.append(line.strip())
    for line in info:
        print(f"{name}: sampler {line}")
    found = transitions_of(runs_of(samples), frames, interval_ms)
    # The last clip's end is not a transition: only complete ones count.
    for n, tr in enumerate(found):
        hold = "-" if tr["hold"] is None else f"{tr['hold']:.1f}"
        hold2 = "-" if tr["hold2"] is None else f"{tr['hold2']:.1f}"
        print(f"{name}: transition {n + 1:2d} clip {tr['from']}->{(tr['from'] + 1) % CODES} "
              f"last-frame={tr['last']} first-frame={tr['first']} extra-ms={tr['extra']:.1f} "
              f"first-frame-held-ms={hold} second-frame-held-ms={hold2} stall-ms={tr['stall']:.1f} black={tr['black']} "
              f"wrong={tr['wrong']}")
    m = len(found)
    if m == 0:
        print(f"{name}: no transition seen")
        print("gap: median-extra-ms=nan max-extra-ms=nan black-frames=0 transitions=0")
        print("stall: median-ms=nan max-ms=nan transitions=0")
        return 1
    extras = [tr["extra"] for tr in found]
    stalls = [tr["stall"] for tr in found]
    cut = sum(1 for tr in found if tr["last"] != frames - 1)
    late = sum(1 for tr in found if tr["first"] != 0)
    wrong = sum(tr["wrong"] for tr in found)
    seconds = [tr["hold2"] for tr in found if tr["hold2"] is not None]
    if seconds:
        print(f"{name}: second frame held median-ms={statistics.median(seconds):.1f} "
              f"max-ms={max(seconds):.1f}")
    print(f"{name}: last frames not shown={cut} first frames not shown={late} wrong pictures={wrong}")
    print(f"gap: median-extra-ms={statistics.median(extras):.1f} max-extra-ms={max(extras):.1f} "
          f"black-frames={sum(tr['black'] for tr in found)} transitions={m}")
    print(f"stall: median-ms={statistics.median(stalls):.1f} max-ms={max(stalls):.1f} transitions={m}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
