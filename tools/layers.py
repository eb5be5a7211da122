#!/usr/bin/env python3
"""Checks that the sources keep their layers, and draws the layers' include graph.

Usage: tools/layers.py [--dot FILE]

Every file under src/ belongs to the layer of its folder. A file may include its own
layer's headers and those of the layers below it, never one above. Each layer's files
open the namespace named after its top folder, and each build target in CMakeLists.txt
holds the files of its own layers only. Prints every breach and exits 1 if there is one.
With --dot, also writes the graph of includes between layers (Graphviz).
"""
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCE = os.path.join(ROOT, "src")

# Lowest first. `platform` is the system as the core sees it (interfaces, and the
# background threads every system shares); its subfolders implement it for one system.
LAYERS = [
    ("text", "GBK text rules and the fixed texts"),
    ("platform", "interfaces to the system, background threads"),
    ("items", "entries, the item list, the item file"),
    ("fetch", "page fetch, HTTP client, URL and cookie helpers"),
    ("monitor", "matching, workers, start and stop, the alarm"),
    ("app", "what the buttons and menus do, the tips"),
    ("platform/win32", "Win32 implementations"),
    ("platform/posix", "native stand-ins for tests"),
    ("ui", "the windows and the program's entry"),
]
RANK = {name: rank for rank, (name, _) in enumerate(LAYERS)}
# The two implementations of the system stand side by side: neither sees the other.
SIDE_BY_SIDE = {("platform/win32", "platform/posix"), ("platform/posix", "platform/win32")}
TARGETS = {
    "pagorin_core": {"text", "platform", "items", "fetch", "monitor", "app"},
    "pagorin_platform": {"platform/win32", "platform/posix"},
    "pagorin_ui": {"ui"},
    "pagorin": {"ui"},
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
NAMESPACE = re.compile(r"^namespace\s+pagorin::(\w+)", re.M)
# Headers made by the build, and where they sit.
GENERATED = {"text/gbk_texts.h": "text", "text/gbk_texts_table.h": "text"}


def layer_of(path):
    """The layer of a path relative to src/, or None for resource headers."""
    parts = path.split("/")
    if len(parts) < 2:
        return None
    if parts[0] == "platform" and len(parts) > 2:
        return "platform/" + parts[1]
    if parts[0] == "ui" and parts[1] == "resources":
        return None
    return parts[0] if parts[0] in RANK else None


def sources():
    for folder, _, files in os.walk(SOURCE):
        for name in sorted(files):
            if name.endswith((".h", ".cpp")):
                path = os.path.relpath(os.path.join(folder, name), SOURCE).replace(os.sep, "/")
                yield path


def breaches_and_edges():
    breaches, edges = [], {}
    for path in sources():
        layer = layer_of(path)
        with open(os.path.join(SOURCE, path), encoding="utf-8") as source:
            text = source.read()
        if layer is None:
            continue
        for namespace in set(NAMESPACE.findall(text)):
            if namespace != layer.split("/")[0]:
                breaches.append(f"{path}: namespace pagorin::{namespace} in layer {layer}")
        for included in INCLUDE.findall(text):
            target = GENERATED.get(included) or layer_of(included)
            if target is None or target == layer:
                continue
            edges[(layer, target)] = edges.get((layer, target), 0) + 1
            if RANK[target] > RANK[layer] or (layer, target) in SIDE_BY_SIDE:
                breaches.append(f"{path}: includes {included} (layer {target}, above {layer})")
    return breaches, edges


def target_breaches():
    with open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8") as cmake:
        text = cmake.read()
    breaches = []
    for match in re.finditer(r"add_(?:library|executable)\((\w+)([^)]*)\)", text):
        target, body = match.groups()
        allowed = TARGETS.get(target)
        if allowed is None:
            continue
        for source in re.findall(r"src/(\S+\.cpp)", body):
            layer = layer_of(source)
            if layer not in allowed:
                breaches.append(f"CMakeLists.txt: {target} holds src/{source} (layer {layer})")
    return breaches


def dot(edges):
    lines = ["// Made by tools/layers.py --dot: which layer includes which.",
             "digraph layers {", '  rankdir=BT; node [shape=box, fontname="Helvetica"];']
    for name, what in LAYERS:
        lines.append(f'  "{name}" [label="{name}/\\n{what}"];')
    for (source, target), count in sorted(edges.items()):
        lines.append(f'  "{source}" -> "{target}" [label="{count}"];')
    lines.append("}")
    return "\n".join(lines) + "\n"


def main(argv):
    breaches, edges = breaches_and_edges()
    breaches += target_breaches()
    if len(argv) == 3 and argv[1] == "--dot":
        with open(argv[2], "w", encoding="utf-8") as out:
            out.write(dot(edges))
    elif len(argv) != 1:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    for breach in breaches:
        print(breach, file=sys.stderr)
    return 1 if breaches else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
