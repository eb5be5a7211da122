#!/usr/bin/env python3
"""Checks that the sources, the libraries and the test programs keep the layers, and draws
the layers' include graph.

Usage: tools/layers.py [--dot FILE]

Every file under src/ belongs to the layer of its folder, and each layer names the layers
below it that it uses. A file includes headers of its own layer and of the layers its
layer uses, never another. Each layer's files open the namespace named after its top
folder. In CMakeLists.txt each layer is one library that holds the files of that layer
only and links exactly the libraries of the layers it uses. In tests/CMakeLists.txt a test
program in a layer's folder links that layer and layers below it, no higher one. Prints
every breach and exits 1 if there is one. With --dot, also writes the graph of includes
between layers (Graphviz).
"""
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCE = os.path.join(ROOT, "src")

# Lowest first: (folder, what it holds, its library, the layers it uses). The portable
# core is the first seven; the Windows-only layers sit above it. adapters/win32 and
# adapters/posix are the same layer on two systems: one library, built from one of them.
LAYERS = [
    ("text", "GBK text rules and the fixed texts", "pagorin_text", []),
    ("system", "interfaces to the system", "pagorin_system", ["text"]),
    ("threads", "background threads, time-limited calls", "pagorin_threads", ["text"]),
    ("items", "entries, the item list, the item file", "pagorin_items", ["text"]),
    ("fetch", "page request and fetch, HTTP client,\\nURL and cookie helpers", "pagorin_fetch",
     ["text"]),
    ("monitor", "matching, workers, start and stop,\\nthe alarm", "pagorin_monitor",
     ["text", "system", "threads", "items"]),
    ("app", "what the buttons and menus do, the tips", "pagorin_app",
     ["text", "system", "items", "monitor"]),
    ("win32", "thin Windows wrappers", "pagorin_win32", ["text", "threads"]),
    ("adapters/win32", "the core's interfaces on Windows", "pagorin_adapters",
     ["system", "threads", "fetch", "monitor", "win32"]),
    ("adapters/posix", "the same natively, for tests", "pagorin_adapters", ["system", "fetch"]),
    ("widgets", "the window kit: windows, layouts,\\nimage buttons, the tray icon",
     "pagorin_widgets", ["win32"]),
    ("ui", "the program's windows", "pagorin_ui",
     ["text", "items", "monitor", "app", "win32", "widgets"]),
    ("program", "the composition root and the entry", "pagorin_program",
     ["text", "threads", "fetch", "items", "monitor", "app", "win32", "adapters/win32", "ui"]),
]
RANK = {name: rank for rank, (name, _, _, _) in enumerate(LAYERS)}
USES = {name: set(uses) for name, _, _, uses in LAYERS}
LIBRARY = {name: library for name, _, library, _ in LAYERS}
# The program's entry links every library its composition needs; it is the top.
EXECUTABLE = ("pagorin", "program")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
NAMESPACE = re.compile(r"^namespace\s+pagorin::(\w+)", re.M)
# Headers made by the build, and where they sit.
GENERATED = {"text/gbk_texts.h": "text", "text/gbk_texts_table.h": "text",
             "program/version.h": "program"}


def layer_of(path):
    """The layer of a path relative to src/, or None for resources and other files."""
    parts = path.split("/")
    if len(parts) < 2:
        return None
    if parts[0] == "adapters" and len(parts) > 2:
        return "adapters/" + parts[1]
    if parts[0] == "ui" and parts[1] == "resources":
        return None
    return parts[0] if parts[0] in RANK else None


def sources():
    for folder, _, files in os.walk(SOURCE):
        for name in sorted(files):
            if name.endswith((".h", ".cpp")):
                yield os.path.relpath(os.path.join(folder, name), SOURCE).replace(os.sep, "/")


def breaches_and_edges():
    breaches, edges = [], {}
    for path in sources():
        layer = layer_of(path)
        if layer is None:
            continue
        with open(os.path.join(SOURCE, path), encoding="utf-8") as source:
            text = source.read()
        for namespace in set(NAMESPACE.findall(text)):
            if namespace != layer.split("/")[0]:
                breaches.append(f"{path}: namespace pagorin::{namespace} in layer {layer}")
        for included in INCLUDE.findall(text):
            target = GENERATED.get(included) or layer_of(included)
            if target is None or target == layer:
                continue
            edges[(layer, target)] = edges.get((layer, target), 0) + 1
            if target not in USES[layer]:
                breaches.append(f"{path}: includes {included} (layer {target}, which {layer} "
                                "does not use)")
    return breaches, edges


def read(relative):
    with open(os.path.join(ROOT, relative), encoding="utf-8") as cmake:
        return re.sub(r"#.*", "", cmake.read())


def links(text, target):
    """The pagorin_ libraries every target_link_libraries of `target` names, together."""
    found = set()
    for body in re.findall(r"target_link_libraries\(" + target + r"\s([^)]*)\)", text):
        found |= set(re.findall(r"\bpagorin_\w+", body))
    return found


def target_breaches():
    text = read("CMakeLists.txt")
    breaches = []
    holds = {}
    for match in re.finditer(r"add_(?:library|executable)\((\w+)([^)]*)\)", text):
        target, body = match.groups()
        for source in re.findall(r"src/(\S+\.cpp)", body):
            holds.setdefault(target, set()).add(layer_of(source))
    for layer, _, library, _ in LAYERS:
        if f"add_library({library} " not in text:
            breaches.append(f"CMakeLists.txt: no library {library} for layer {layer}")
    # Layers of one library (the adapters) together.
    by_library = {}
    for name, _, library, uses in LAYERS:
        entry = by_library.setdefault(library, (set(), set()))
        entry[0].add(name)
        entry[1].update(uses)
    for library, (layers, uses) in by_library.items():
        for layer in holds.get(library, set()) - layers:
            breaches.append(f"CMakeLists.txt: {library} holds a file of layer {layer}")
        expected = {LIBRARY[use] for use in uses} - {library}
        linked = links(text, library)
        if library == LIBRARY[EXECUTABLE[1]]:  # the entry's own links count for its layer
            linked = (linked | links(text, EXECUTABLE[0])) - {library}
        for missing in sorted(expected - linked):
            breaches.append(f"CMakeLists.txt: {library} does not link {missing}, which it uses")
        for extra in sorted(linked - expected):
            breaches.append(f"CMakeLists.txt: {library} links {extra}, which it does not use")
    executable, layer = EXECUTABLE
    for held in holds.get(executable, set()) - {layer, None}:
        breaches.append(f"CMakeLists.txt: {executable} holds a file of layer {held}")
    return breaches


def test_breaches():
    text = read("tests/CMakeLists.txt")
    rank_of_library = {}
    for name, _, library, _ in LAYERS:
        rank_of_library[library] = max(rank_of_library.get(library, -1), RANK[name])
    breaches = []
    for name, body in re.findall(r"pagorin_test\((\w+)\s([^)]*)\)", text):
        folders = {path.split("/")[0] for path in re.findall(r"\b([a-z]\w*/\w+\.cpp)", body)}
        folders.discard("support")
        tested = [folder for folder in folders if folder in RANK or folder == "adapters"]
        if not tested:
            continue
        top = max(RANK["adapters/posix"] if folder == "adapters" else RANK[folder]
                  for folder in tested)
        linked = re.findall(r"\bpagorin_\w+", body.split("LINK", 1)[1] if "LINK" in body else "")
        for library in linked:
            if rank_of_library.get(library, -1) > top:
                breaches.append(f"tests/CMakeLists.txt: {name} tests {', '.join(sorted(tested))}"
                                f" but links {library}, a layer above")
    return breaches


def dot(edges):
    lines = ["// Made by tools/layers.py --dot: which layer includes which.",
             "digraph layers {", '  rankdir=BT; node [shape=box, fontname="Helvetica"];',
             "  subgraph cluster_core { label=\"portable core (no <windows.h>)\"; "
             "fontname=\"Helvetica\"; style=dashed;"]
    for name, what, library, _ in LAYERS[:7]:
        lines.append(f'    "{name}" [label="{name}/\\n{what}\\n({library})"];')
    lines.append("  }")
    for name, what, library, _ in LAYERS[7:]:
        lines.append(f'  "{name}" [label="{name}/\\n{what}\\n({library})"];')
    # Nearly every layer includes text/; its edges would hide the others.
    lines.append('  "text" [label="text/\\nGBK text rules and the fixed texts\\n(pagorin_text)'
                 '\\nincluded by nearly every layer: those edges are not drawn"];')
    for source in ("system", "threads", "items", "fetch"):  # keeps text/ past the lowest layers
        lines.append(f'  "{source}" -> "text" [style=invis];')
    for (source, target), count in sorted(edges.items()):
        if target != "text":
            lines.append(f'  "{source}" -> "{target}" [label="{count}"];')
    lines.append("}")
    return "\n".join(lines) + "\n"


def main(argv):
    breaches, edges = breaches_and_edges()
    breaches += target_breaches() + test_breaches()
    if len(argv) == 3 and argv[1] == "--dot":
        with open(argv[2], "w", encoding="utf-8") as out:
            out.write(dot(edges))
    elif len(argv) != 1:
        print(__doc__.strip().splitlines()[3], file=sys.stderr)
        return 2
    for breach in breaches:
        print(breach, file=sys.stderr)
    return 1 if breaches else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
