#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The shape of the desktop program and its chart, from their files and their includes.

    scripts/include-map.py [ROOT]        (ROOT default: the repository holding this script)

Prints the folders of src/app and src/chart (files and lines of each), then the include graph
of their code: a header and its source (ReadingsChart.h, ReadingsChart.cpp) count as one unit,
and a unit depends on every unit whose header it includes (a .ui file's custom widget header
too). Reported: units, levels (the longest chain of dependencies), the cycles, the includes
that run back up (the back edges of a depth-first walk in name order: leave them out and no
cycle is left), and any include from one front end (src/cli, src/app) into the other or from
the chart into a front end. With rooms (sub-folders), also the rooms each room includes.
"""
import collections
import os
import re
import sys

ROOT = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))
MEASURED = ("src/app", "src/chart")
FRONT_ENDS = ("src/cli", "src/app")
CODE = (".h", ".cpp", ".ui")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"|<header>([^<]+)</header>', re.M)


def files_under(folder):
    for base, _, names in os.walk(os.path.join(ROOT, folder)):
        for name in sorted(names):
            yield os.path.relpath(os.path.join(base, name), ROOT)


def lines_of(path):
    with open(os.path.join(ROOT, path), encoding="utf-8", errors="replace") as f:
        return sum(1 for _ in f)


def includes_of(path):
    with open(os.path.join(ROOT, path), encoding="utf-8", errors="replace") as f:
        return ["src/" + (a or b) for a, b in INCLUDE.findall(f.read())]


def unit_of(path):
    return os.path.splitext(path)[0]


def layout():
    print("Layout (files, lines)")
    total_files = total_lines = 0
    for top in MEASURED:
        folders = collections.defaultdict(lambda: [0, 0])
        for path in files_under(top):
            folders[os.path.dirname(path)][0] += 1
            folders[os.path.dirname(path)][1] += lines_of(path)
        for folder in sorted(folders):
            files, lines = folders[folder]
            total_files += files
            total_lines += lines
            print(f"  {folder + '/':28} {files:4} {lines:6}")
    print(f"  {'total':28} {total_files:4} {total_lines:6}")


def graph():
    deps = collections.defaultdict(set)
    for top in MEASURED:
        for path in files_under(top):
            if not path.endswith(CODE):
                continue
            unit = unit_of(path)
            deps[unit]
            for target in includes_of(path):
                if target.startswith(MEASURED) and unit_of(target) != unit:
                    deps[unit].add(unit_of(target))
    return deps


def cycles_and_back_edges(deps):
    index, low, on_stack, stack, components = {}, {}, set(), [], []

    def connect(unit):  # Tarjan's strongly connected components
        index[unit] = low[unit] = len(index)
        stack.append(unit)
        on_stack.add(unit)
        for target in sorted(deps.get(unit, ())):
            if target not in index:
                connect(target)
                low[unit] = min(low[unit], low[target])
            elif target in on_stack:
                low[unit] = min(low[unit], index[target])
        if low[unit] == index[unit]:
            component = []
            while True:
                member = stack.pop()
                on_stack.discard(member)
                component.append(member)
                if member == unit:
                    break
            components.append(sorted(component))

    sys.setrecursionlimit(10000)
    for unit in sorted(deps):
        if unit not in index:
            connect(unit)

    back, state = [], {}

    def walk(unit):
        state[unit] = 1
        for target in sorted(deps.get(unit, ())):
            if state.get(target) == 1:
                back.append((unit, target))
            elif target not in state:
                walk(target)
        state[unit] = 2

    for unit in sorted(deps):
        if unit not in state:
            walk(unit)
    return [c for c in components if len(c) > 1], components, back


def levels(deps, components):
    component_of = {u: i for i, c in enumerate(components) for u in c}
    level = {}
    for i, component in enumerate(components):  # Tarjan yields dependencies first
        below = [level[component_of[t]] for u in component for t in deps.get(u, ())
                 if component_of[t] != i]
        level[i] = 1 + max(below, default=0)
    return max(level.values(), default=0)


def rooms(deps):
    edges = collections.defaultdict(collections.Counter)
    for unit, targets in deps.items():
        for target in targets:
            a, b = os.path.dirname(unit), os.path.dirname(target)
            if a != b:
                edges[a][b] += 1
    return edges


def crossings():
    found = []
    for top in FRONT_ENDS + ("src/chart",):
        for path in files_under(top):
            if not path.endswith(CODE):
                continue
            for target in includes_of(path):
                other = [f for f in FRONT_ENDS if f != top]
                if any(target.startswith(f + "/") for f in other):
                    found.append((path, target))
    return found


def main():
    layout()
    deps = graph()
    cycles, components, back = cycles_and_back_edges(deps)
    short = lambda u: u[len("src/"):]
    edges = sum(len(t) for t in deps.values())
    print(f"\nInclude graph: {len(deps)} units, {edges} dependencies, {levels(deps, components)} levels")
    print(f"Cycles: {len(cycles)} ({sum(len(c) for c in cycles)} units in them)")
    for cycle in cycles:
        print("  " + " <-> ".join(short(u) for u in cycle))
    print(f"Includes that run back up: {len(back)}")
    for unit, target in back:
        print(f"  {short(unit)} -> {short(target)}")
    room_edges = rooms(deps)
    if room_edges:
        print("\nRooms and the rooms they include (includes)")
        for room in sorted(room_edges):
            print(f"  {short(room):16} -> " +
                  ", ".join(f"{short(r)} ({n})" for r, n in sorted(room_edges[room].items())))
        room_cycles, _, _ = cycles_and_back_edges({r: set(t) for r, t in room_edges.items()})
        print(f"Cycles between rooms: {len(room_cycles)}")
        for cycle in room_cycles:
            print("  " + " <-> ".join(short(r) for r in cycle))
    cross = crossings()
    print(f"\nIncludes from one front end into the other, or from the chart into one: {len(cross)}")
    for path, target in cross:
        print(f"  {path} -> {target}")


main()
