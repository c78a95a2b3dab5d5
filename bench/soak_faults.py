#!/usr/bin/env python3
"""A long run of the real program with faults, for scripts/soak --faults.

Usage: soak_faults.py PROGRAM PLAYLIST PRISTINE_DIR TRANSITIONS

Starts PROGRAM (unattended, logging to a file) on PLAYLIST, a looping, autoplaying playlist of the clips
whose originals are in PRISTINE_DIR, and follows its play log. While it loops, clip files are deleted and
restored and one at a time is truncated and restored, never all at once. After TRANSITIONS transitions
(a selection that follows another) it sends SIGTERM and waits for the program to end.

A transition fails when the clips it passed over did not all fail (a "movieFailed" line for each since
the previous selection), or when nothing was selected for 10 s. A failure is stuck when no selection
follows it within 2 s. Resident memory is read after a warm-up (a quarter of the run) and at the end.
Prints the figures; exits 1 when a transition failed or was stuck, the memory grew by 10% or more, the
program did not end within 10 s of SIGTERM, or it ended with a status other than 0.
"""
import json
import os
import shutil
import signal
import subprocess
import sys
import time

STUCK_S = 2.0
STALL_S = 10.0
FAULT_EVERY = 40  # transitions between two faults of a kind
FAULT_LASTS = 15  # transitions a fault lasts


def resident_kib(pid):
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return -1


def restore(pristine, path):
    shutil.copyfile(os.path.join(pristine, os.path.basename(path)), path)


def main():
    program, playlist, pristine, transitions_wanted = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
    work = os.path.dirname(os.path.abspath(playlist))
    clips = sorted(os.path.join(work, name) for name in os.listdir(pristine))
    rows = len(clips)
    log_path = os.path.join(work, "play.log")
    open(log_path, "w").close()
    run = subprocess.Popen([program, "--unattended", "--log", log_path, playlist],
                           stdout=subprocess.DEVNULL, stderr=open(os.path.join(work, "stderr.txt"), "w"))
    log = open(log_path)
    buffer = ""

    transitions = failed = stuck = failures = stalls = 0
    previous_row = None
    failed_since = set()
    pending_failures = []  # times of failures not yet followed by a selection
    last_selection = time.monotonic()
    faults = {}  # path -> transition at which it is restored
    deleted = truncated = 0
    rss_warm = -1
    warmup = transitions_wanted // 4
    started = time.monotonic()

    def report(why):
        nonlocal failed
        failed += 1
        print(f"soak: transition {transitions} failed: {why}", file=sys.stderr)

    while transitions < transitions_wanted and run.poll() is None:
        chunk = log.readline()
        now = time.monotonic()
        if not chunk or not chunk.endswith("\n"):
            buffer += chunk
            for when in [t for t in pending_failures if now - t > STUCK_S]:
                stuck += 1
                pending_failures.remove(when)
                print(f"soak: a failure at transition {transitions} was not followed within {STUCK_S} s",
                      file=sys.stderr)
            if previous_row is not None and now - last_selection > STALL_S:
                report(f"nothing selected for {STALL_S:.0f} s")
                last_selection = now
            time.sleep(0.01)
            continue
        line, buffer = buffer + chunk, ""
        entry = json.loads(line)
        event, row = entry.get("event"), entry.get("row", -1)
        if event == "movieFailed":
            failures += 1
            failed_since.add(row)
            pending_failures.append(now)
        elif event == "selection":
            if previous_row is not None:
                transitions += 1
                passed_over = [(previous_row + i) % rows for i in range(1, rows)]
                passed_over = passed_over[:passed_over.index(row)] if row in passed_over else passed_over
                if not set(passed_over) <= failed_since:
                    report(f"row {row} after row {previous_row}, failed since: {sorted(failed_since)}")
            previous_row, failed_since, pending_failures, last_selection = row, set(), [], now
            if transitions == warmup:
                rss_warm = resident_kib(run.pid)
            # Faults: one clip deleted and one truncated at a time, each restored a while later.
            for path, until in list(faults.items()):
                if transitions >= until:
                    restore(pristine, path)
                    del faults[path]
            if transitions % FAULT_EVERY == 0 and transitions:
                path = clips[(transitions // FAULT_EVERY) % rows]
                if path not in faults:
                    os.remove(path)
                    faults[path] = transitions + FAULT_LASTS
                    deleted += 1
            if transitions % FAULT_EVERY == FAULT_EVERY // 2:
                path = clips[(transitions // FAULT_EVERY + 2) % rows]
                if path not in faults:
                    os.truncate(path, os.path.getsize(path) * 2 // 5)
                    faults[path] = transitions + FAULT_LASTS
                    truncated += 1
            if transitions % 250 == 0 and transitions:
                print(f"soak: {transitions} transitions, {failed} failed, {failures} movieFailed, "
                      f"resident {resident_kib(run.pid)} KiB", file=sys.stderr)
        elif event == "stop":
            report("playing stopped")

    rss_end = resident_kib(run.pid)
    elapsed = time.monotonic() - started
    status = None
    if run.poll() is None:
        run.send_signal(signal.SIGTERM)
        try:
            status = run.wait(10)
        except subprocess.TimeoutExpired:
            run.kill()
            run.wait()
    else:
        status = run.returncode
        print("soak: the program ended before the run was over", file=sys.stderr)
    for path in list(faults):
        restore(pristine, path)
    growth = 100.0 * (rss_end - rss_warm) / rss_warm if rss_warm > 0 else 0.0
    print(f"{rows} clips, {elapsed:.1f} s, {deleted} deletions and {truncated} truncations")
    print(f"soak: transitions={transitions} failed={failed + max(0, transitions_wanted - transitions)} "
          f"movieFailed={failures} stuck={stuck} rss-after-warmup-kib={rss_warm} rss-end-kib={rss_end} "
          f"growth-percent={growth:.1f} exit-status={status}")
    good = failed == 0 and stuck == 0 and transitions >= transitions_wanted and growth < 10.0 and status == 0
    return 0 if good else 1


if __name__ == "__main__":
    sys.exit(main())
