#!/usr/bin/env python3
"""Prints the benchmark table: one line per figure with its value, unit and its ratio to the
floor or peer measured in the same run. Reads the JSON and log files that bench/run wrote."""
import json
import os
import re
import sys

# figure, (binary, benchmark), unit, [(label, (binary, benchmark))...]
FIGURES = [
    ("cfgshell: scripted setk/getk + store", ("cfgshell_bench", "BM_ScriptedSession"), "cmd/s",
     [("floor: event ping-pong per command", ("cfgshell_bench", "BM_EventPingPongFloor"))]),
    ("cfgshell: start-up to first prompt", ("cfgshell_bench", "BM_StartupToPrompt"), "ms", []),
    ("middleware request round trip", ("service_bench", "BM_ServiceRequestRoundTrip"), "us",
     [("floor: bare socket ping-pong", ("service_bench", "BM_BareSocketRoundTrip")),
      ("peer: D-Bus method call", ("dbus_bench", "BM_DbusMethodCallRoundTrip"))]),
    ("D-Bus method call round trip", ("dbus_bench", "BM_DbusMethodCallRoundTrip"), "us",
     [("floor: bare socket ping-pong", ("dbus_bench", "BM_BareSocketRoundTrip"))]),
    ("item read from the page copy", ("page_bench", "BM_ItemReadFromCopy"), "ns", []),
    ("page refresh (8 KiB)", ("page_bench", "BM_RefreshAfterChange"), "us",
     [("floor: plain 8 KiB copy", ("page_bench", "BM_CopyPageFloor"))]),
    ("findByName over the whole tree", ("catalogue_bench", "BM_FindByNameWholeTree"), "us",
     [("floor: walk matching every node", ("catalogue_bench", "BM_WalkWholeTreeFloor"))]),
    ("dictionary build", ("catalogue_bench", "BM_BuildDictionary"), "ms", []),
    ("FlashTerm full redraw", ("flashterm_redraw_bench", "BM_FullRedraw"), "ms",
     [("floor: clear and present", ("flashterm_redraw_bench", "BM_ClearAndPresent"))]),
    ("FlashTerm text messages", ("flashterm_control_bench", "BM_WriteText"), "msg/s", []),
    ("FlashTerm progress messages", ("flashterm_control_bench", "BM_SetProgress"), "msg/s", []),
    ("FlashTerm devctl round trip", ("flashterm_control_bench", "BM_DevctlRoundTrip"), "us",
     [("floor: bare socket ping-pong", ("flashterm_control_bench", "BM_BareSocketRoundTrip"))]),
    ("driver GET_EVENTS round trip", ("hd_dec_bench", "BM_GetEventsRoundTrip"), "us",
     [("floor: bare socket ping-pong", ("hd_dec_bench", "BM_BareSocketRoundTrip"))]),
    ("driver interrupt to client wake-up", ("hd_dec_bench", "BM_InterruptToClientWake"), "us",
     [("floor: the injection alone", ("hd_dec_bench", "BM_InjectionAlone"))]),
]

TO_NS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}


def load(folder):
    results = {}
    for name in os.listdir(folder):
        if not name.endswith(".json"):
            continue
        binary = name[:-5]
        try:
            with open(os.path.join(folder, name)) as f:
                data = json.load(f)
        except (OSError, ValueError):
            continue
        for b in data.get("benchmarks", []):
            if b.get("run_type", "iteration") != "iteration" or b.get("error_occurred"):
                continue
            base = b["name"].split("/")[0]
            results[(binary, base)] = b["real_time"] * TO_NS[b.get("time_unit", "ns")]
            if "items_per_second" in b:
                rates[(binary, base)] = b["items_per_second"]
    return results


rates = {}  # items per second where a benchmark counts items (commands, messages)


def shown(key, ns, unit):
    if unit.endswith("/s"):
        return rates.get(key, 1e9 / ns)
    return ns / TO_NS[unit]


def main(folder):
    results = load(folder)
    print(f"{'figure':44} {'value':>12} {'unit':7} comparison")
    for figure, key, unit, comparisons in FIGURES:
        if key not in results:
            print(f"{figure:44} {'-':>12} {unit:7} not measured ({key[0]} missing or failed)")
            continue
        value = shown(key, results[key], unit)
        parts = []
        for label, other in comparisons:
            if other in results:
                parts.append(f"{results[key] / results[other]:.2f} x {label}")
        print(f"{figure:44} {value:12.2f} {unit:7} {'; '.join(parts)}")
    peaks = []
    for name in sorted(os.listdir(folder)):
        if name.endswith(".log"):
            with open(os.path.join(folder, name)) as f:
                peaks += re.findall(r"^peak resident (\S+): (\d+) KiB$", f.read(), re.M)
    for program, kib in peaks:
        print(f"{'memory: peak resident ' + program:44} {int(kib) / 1024:12.2f} {'MiB':7}")


if __name__ == "__main__":
    main(sys.argv[1])
