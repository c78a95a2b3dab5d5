#!/usr/bin/env python3
"""Reads what a PulseAudio null sink's monitor recorded while a player played tone clips one after
another, and reports the silences at the clip changes, last the summary line of scripts/bench-gap
--audio:
  audio: median-gap-ms=X max-gap-ms=Y transitions=N

Usage: audio_gap_report.py NAME RECORDING RATE CLIPS SECONDS

RECORDING is raw signed 16-bit little-endian mono at RATE samples a second; CLIPS clips of SECONDS
each, every one a continuous tone, were played in a row. A gap is a stretch of at least 2 ms below a
small level (a tenth of the tone's typical peak) between the first and the last sound. Each clip
change is looked for where the clips' lengths put it (0.3 s either side, after the silences before
it); its gap is the silence found there, 0 when there is none. Silences elsewhere are listed apart.
"""
import statistics
import struct
import sys

MIN_GAP_S = 0.002
WINDOW_S = 0.3


def silences(samples, rate, level):
    """(start, end) sample indexes of stretches below level, between the first and last sound."""
    loud = [i for i, v in enumerate(samples) if abs(v) >= level]
    if not loud:
        return None, []
    first, last = loud[0], loud[-1]
    found = []
    start = None
    for i in range(first, last + 1):
        if abs(samples[i]) < level:
            if start is None:
                start = i
        elif start is not None:
            if i - start >= MIN_GAP_S * rate:
                found.append((start, i))
            start = None
    return (first, last), found


def main():
    name, path, rate, clips, seconds = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), float(
        sys.argv[5])
    data = open(path, "rb").read()
    samples = struct.unpack("<%dh" % (len(data) // 2), data[: len(data) // 2 * 2])
    peaks = sorted(abs(v) for v in samples)
    typical = peaks[int(len(peaks) * 0.99)] if peaks else 0
    if typical < 100:
        print(f"{name}: no sound was recorded")
        print("audio: median-gap-ms=nan max-gap-ms=nan transitions=0")
        return 1
    span, found = silences(samples, rate, typical / 10)
    first, last = span
    print(f"{name}: sound for {(last - first) / rate:.3f} s ({clips} clips of {seconds} s), "
          f"{len(found)} silences of 2 ms or more")
    gaps = []
    used = set()
    shift = 0.0
    for k in range(1, clips):
        expected = first / rate + k * seconds + shift
        # Silences well before this change (dropouts within a clip) move it later too.
        expected += sum(e - s for s, e in found if (s, e) not in used and s / rate < expected - WINDOW_S) / rate
        near = [g for g in found if abs(g[0] / rate - expected) <= WINDOW_S and g not in used]
        gap = sum(end - start for start, end in near) / rate
        used.update(near)
        shift += gap
        gaps.append(gap * 1000)
        where = ", ".join(f"{s / rate:.3f} s" for s, _ in near) or "none"
        print(f"{name}: change {k}: gap {gap * 1000:.1f} ms (silences at {where})")
    for start, end in found:
        if (start, end) not in used:
            print(f"{name}: other silence at {start / rate:.3f} s: {(end - start) / rate * 1000:.1f} ms")
    print(f"audio: median-gap-ms={statistics.median(gaps):.1f} max-gap-ms={max(gaps):.1f} "
          f"transitions={len(gaps)}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
