#!/usr/bin/env python3
"""Prints the benchmark table from the files bench/run wrote: per figure its median value and
spread over the rounds, its median ratio to each floor or peer with the spread of the per-round
ratios (figure and floor measured alternately in every round), the goal, and "MISS" where the
median misses it. Exits 1 when a figure could not be measured."""
import os
import re
import statistics
import sys

# A value is a benchmark (binary, name) or ("minus", a, b): the time of a less that of b, round by round.
# comparisons: (label, benchmark, highest ratio allowed or None); goal: (">=" or "<=", value in the unit) or None.
FIGURES = [
    ("middleware request round trip", ("service_bench", "BM_ServiceRequestRoundTrip"), "us",
     [("bare socket ping-pong", ("service_bench", "BM_BareSocketRoundTrip"), 2.0),
      ("D-Bus method call", ("service_bench", "BM_DbusMethodCallRoundTrip"), 0.4)], None),
    ("D-Bus method call round trip", ("dbus_bench", "BM_DbusMethodCallRoundTrip"), "us",
     [("bare socket ping-pong", ("dbus_bench", "BM_BareSocketRoundTrip"), None)], None),
    ("cfgshell scripted setk/getk + store", ("cfgshell_bench", "BM_ScriptedSession"), "cmd/s",  # logger listening
     [("its event ping-pong floor", ("cfgshell_bench", "BM_EventPingPongFloor"), None)], (">=", 20000)),
    ("cfgshell the same, no logger listening", ("cfgshell_bench", "BM_ScriptedSessionNoLogger"), "cmd/s",
     [("its event ping-pong floor", ("cfgshell_bench", "BM_EventPingPongFloor"), None)], None),
    ("cfgshell start-up to first prompt", ("cfgshell_bench", "BM_StartupToPrompt"), "ms", [], None),
    ("item read from the page copy", ("page_bench", "BM_ItemReadFromCopy"), "ns", [], ("<=", 100)),
    ("page refresh (8 KiB)", ("minus", ("page_bench", "BM_WriteAndRefresh"), ("page_bench", "BM_WriteAlone")), "us",
     [("copy + one log record", ("page_bench", "BM_CopyAndLogFloor"), 2.0),
      ("plain copy", ("page_bench", "BM_CopyPage"), None)], None),
    ("findByName over the whole tree", ("catalogue_bench", "BM_FindByNameWholeTree"), "us",
     [("walk matching every node", ("catalogue_bench", "BM_WalkWholeTreeFloor"), None)], ("<=", 50)),
    ("dictionary build", ("catalogue_bench", "BM_BuildDictionary"), "ms", [], None),
    ("driver GET_EVENTS round trip", ("hd_dec_bench", "BM_GetEventsRoundTrip"), "us",
     [("bare socket ping-pong", ("hd_dec_bench", "BM_BareSocketRoundTrip"), 1.5)], None),
    ("driver interrupt to client wake-up", ("hd_dec_bench", "BM_InterruptToClientWake"), "us",
     [("the injection alone", ("hd_dec_bench", "BM_InjectionAlone"), None)], None),
    ("FlashTerm full redraw", ("flashterm_redraw_bench", "BM_FullRedraw"), "ms",
     [("clear and present", ("flashterm_redraw_bench", "BM_ClearAndPresent"), 3.0)], None),
    ("FlashTerm text messages", ("flashterm_control_bench", "BM_WriteText"), "msg/s", [], None),
    ("FlashTerm progress messages", ("flashterm_control_bench", "BM_SetProgress"), "msg/s", [], None),
    ("FlashTerm devctl round trip", ("flashterm_control_bench", "BM_DevctlRoundTrip"), "us",
     [("bare socket ping-pong", ("flashterm_control_bench", "BM_BareSocketRoundTrip"), None)], None),
]
# program, its floor (or None), highest ratio allowed
MEMORY = [("FlashTerm", "bare EGL window", 1.2), ("FlashTerm", "EGL window drawing one textured quad", None),
          ("cfgshell", None, None), ("hdrx-adv748x", None, None)]

TO_NS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}


def load(folder):
    """{(binary, benchmark): {round: (ns, items per second)}}"""
    runs = {}
    for name in os.listdir(folder):
        if not name.endswith(".rounds"):
            continue
        with open(os.path.join(folder, name)) as f:
            for line in f:
                parts = line.split()
                if len(parts) == 4:
                    runs.setdefault((name[:-7], parts[0]), {})[int(parts[1])] = (float(parts[2]), float(parts[3]))
    return runs


def per_round(runs, spec):
    """{round: ns} of a value spec, or None when it was not measured."""
    if spec[0] == "minus":
        a, b = per_round(runs, spec[1]), per_round(runs, spec[2])
        if a is None or b is None:
            return None
        return {r: a[r] - b[r] for r in a if r in b}
    return {r: ns for r, (ns, _) in runs[spec].items()} if spec in runs else None


def shown(runs, spec, unit, ns_by_round):
    """Per-round values in the figure's unit."""
    if unit.endswith("/s"):
        return [rate if rate > 0 else 1e9 / runs[spec][r][0] for r, (_, rate) in sorted(runs[spec].items())]
    return [ns / TO_NS[unit] for _, ns in sorted(ns_by_round.items())]


def spread(values, fmt):
    return f"{fmt.format(min(values))}-{fmt.format(max(values))}"


def verdict(median, goal):
    if goal is None:
        return ""
    op, limit = goal
    ok = median >= limit if op == ">=" else median <= limit
    return f"goal {op} {limit:g}" + ("" if ok else "  MISS")


def main(folder):
    runs = load(folder)
    missing = False
    print(f"{'figure':40} {'median':>10} {'unit':6} {'spread':>19}  comparison (median ratio, spread)  goal")
    for figure, spec, unit, comparisons, goal in FIGURES:
        ns = per_round(runs, spec)
        if not ns:
            print(f"{figure:40} {'-':>10} {unit:6} not measured")
            missing = True
            continue
        values = shown(runs, spec, unit, ns)
        median = statistics.median(values)
        print(f"{figure:40} {median:10.2f} {unit:6} {spread(values, '{:.2f}'):>19}  {verdict(median, goal)}")
        for label, other, limit in comparisons:
            floor = per_round(runs, other)
            if not floor:
                print(f"{'':40} {'':10} {'':6} {'':19}  x {label}: not measured")
                missing = True
                continue
            ratios = [ns[r] / floor[r] for r in sorted(ns) if r in floor and floor[r] > 0]
            m = statistics.median(ratios)
            target = verdict(m, None if limit is None else ("<=", limit))
            print(f"{'':40} {'':10} {'':6} {'':19}  {m:.2f} x {label} ({spread(ratios, '{:.2f}')}, "
                  f"{len(ratios)} rounds)  {target}")
    peaks = {}
    for name in sorted(os.listdir(folder)):
        if name.endswith(".log"):
            with open(os.path.join(folder, name)) as f:
                for program, kib in re.findall(r"^peak resident (.+): (\d+) KiB$", f.read(), re.M):
                    peaks[program] = int(kib)
    shown_programs = set()
    for program, floor, limit in MEMORY:
        label = f"peak resident {program}"
        if program not in peaks:
            print(f"{label:40} {'-':>10} {'MiB':6} not measured")
            missing = True
            continue
        if program in shown_programs:  # another floor of the same program
            line = f"{'':40} {'':10} {'':6} {'':19}"
        else:
            line = f"{label:40} {peaks[program] / 1024:10.2f} {'MiB':6} {'':19}"
        shown_programs.add(program)
        if floor is not None:
            if floor not in peaks:
                line += f"  x {floor}: not measured"
                missing = True
            else:
                ratio = peaks[program] / peaks[floor]
                line += f"  {ratio:.2f} x {floor} ({peaks[floor] / 1024:.2f} MiB)  "
                line += verdict(ratio, None if limit is None else ("<=", limit))
        print(line)
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
