#!/usr/bin/env python3
"""Makes the C++ header of the program's fixed texts from their Chinese originals.

Usage: tools/gbk-texts.py CATALOGUE OUTPUT_FOLDER [NAME=VALUE ...]

The catalogue (UTF-8) holds each text once, in the form a translator reads:

    # A comment; comment lines right above a text go into the header with it.
    namespace pagorin::ui
    kCaptionAdd = "添加"
    kHelpText = ">>> 第一条"
        "{"                      <- pieces on indented lines are joined
        ">>> 第二条"

Inside quotes, \\r \\n \\" and \\\\ are the only escapes. @NAME@ in a text stands for the
VALUE given for NAME on the command line: the build passes the version so, and the catalogue
never spells it; an @NAME@ with no value given is an error.

Writes OUTPUT_FOLDER/text/gbk_texts.h, the GBK bytes as `inline constexpr std::string_view`,
and OUTPUT_FOLDER/text/gbk_texts_table.h, every text beside its UTF-8 original for the test
that decodes them with code page 936. Both are written only when their content changes, so a
build recompiles only then.
"""
import os
import re
import sys

ENTRY = re.compile(r'^(k[A-Za-z0-9]+)\s*=\s*(.*)$')
NAMESPACE = re.compile(r'^namespace\s+([A-Za-z_][A-Za-z0-9_:]*)$')
PIECE = re.compile(r'"((?:[^"\\]|\\.)*)"\s*')
ESCAPES = {"r": "\r", "n": "\n", '"': '"', "\\": "\\"}
PLACEHOLDER = re.compile(r"@([A-Z][A-Z0-9_]*)@")


class CatalogueError(Exception):
    pass


def unescape(piece, where):
    out, i = [], 0
    while i < len(piece):
        if piece[i] != "\\":
            out.append(piece[i])
            i += 1
            continue
        if i + 1 >= len(piece) or piece[i + 1] not in ESCAPES:
            raise CatalogueError(f"{where}: unknown escape in {piece!r}")
        out.append(ESCAPES[piece[i + 1]])
        i += 2
    return "".join(out)


def pieces_of(rest, where):
    text, position = [], 0
    while position < len(rest):
        match = PIECE.match(rest, position)
        if not match:
            raise CatalogueError(f"{where}: expected a quoted text, found {rest[position:]!r}")
        text.append(unescape(match.group(1), where))
        position = match.end()
    return text


def read_catalogue(path):
    """[(namespace, name, text, comments)] in catalogue order."""
    entries, namespace, comments, current = [], None, [], None
    names = set()
    with open(path, encoding="utf-8") as catalogue:
        for number, line in enumerate(catalogue, 1):
            where = f"{path}:{number}"
            line = line.rstrip("\n")
            stripped = line.strip()
            if line[:1].isspace() and stripped.startswith('"'):
                if current is None:
                    raise CatalogueError(f"{where}: a continued text without its name")
                current[2].extend(pieces_of(stripped, where))
                continue
            current = None
            if not stripped:
                comments = []
            elif stripped.startswith("#"):
                comments.append(stripped[1:].strip())
            elif NAMESPACE.match(stripped):
                namespace, comments = NAMESPACE.match(stripped).group(1), []
            elif ENTRY.match(stripped):
                if namespace is None:
                    raise CatalogueError(f"{where}: a text before any namespace line")
                name, rest = ENTRY.match(stripped).groups()
                if (namespace, name) in names:
                    raise CatalogueError(f"{where}: {name} is already in {namespace}")
                names.add((namespace, name))
                current = [namespace, name, pieces_of(rest, where), comments]
                entries.append(current)
                comments = []
            else:
                raise CatalogueError(f"{where}: not a comment, namespace or text: {line!r}")
    return [(n, name, "".join(parts), notes) for n, name, parts, notes in entries]


def substituted(entries, values):
    """The entries with every @NAME@ of their texts replaced by its value."""
    def text_of(name, text):
        def value(match):
            if match.group(1) not in values:
                raise CatalogueError(f"{name}: no value given for @{match.group(1)}@")
            return values[match.group(1)]
        return PLACEHOLDER.sub(value, text)
    return [(n, name, text_of(name, text), notes) for n, name, text, notes in entries]


def parse_values(arguments):
    values = {}
    for argument in arguments:
        name, equals, value = argument.partition("=")
        if not equals or not re.fullmatch(r"[A-Z][A-Z0-9_]*", name):
            raise CatalogueError(f"expected NAME=VALUE, found {argument!r}")
        values[name] = value
    return values


def literal(data, width=84):
    """C++ string literal pieces of `data`, one per line of at most `width` columns."""
    lines, line, after_escape = [], "", False
    for byte in data:
        char = chr(byte)
        # A hex digit right after an escape would be read as part of it.
        if 32 <= byte < 127 and char not in '"\\' and not (after_escape and char in
                                                             "0123456789abcdefABCDEF"):
            token, after_escape = char, False
        else:
            token, after_escape = "\\x%02X" % byte, True
        if len(line) + len(token) > width:
            lines.append(line)
            line, after_escape = token, token.startswith("\\x")
        else:
            line += token
    lines.append(line)
    return ['"' + part + '"' for part in lines]


def encode(text, name):
    try:
        return text.encode("gbk")
    except UnicodeEncodeError as error:
        raise CatalogueError(f"{name}: {error}") from None


def grouped(entries):
    """The entries in runs of one namespace each, in catalogue order."""
    runs = []
    for entry in entries:
        if runs and runs[-1][0] == entry[0]:
            runs[-1][1].append(entry)
        else:
            runs.append((entry[0], [entry]))
    return runs


def texts_header(entries, source):
    out = [f"// Made by tools/gbk-texts.py from {source}; edit that file, not this one.",
           "// The program's fixed texts as the GBK bytes it shows, stores and compares.",
           "#pragma once", "", "#include <string_view>", ""]
    for namespace, run in grouped(entries):
        out += [f"namespace {namespace} {{", ""]
        for _, name, text, comments in run:
            out += [f"// {comment}".rstrip() for comment in comments]
            declaration = f"inline constexpr std::string_view {name} ="
            pieces = literal(encode(text, name))
            if len(pieces) == 1 and len(declaration) + len(pieces[0]) + 2 <= 100:
                out.append(f"{declaration} {pieces[0]};")
                continue
            out.append(declaration)
            out += ["    " + piece for piece in pieces[:-1]]
            out.append("    " + pieces[-1] + ";")
        out += ["", f"}}  // namespace {namespace}", ""]
    return "\n".join(out)


def table_header(entries, source):
    out = [f"// Made by tools/gbk-texts.py from {source}; edit that file, not this one.",
           "// Every fixed text beside the UTF-8 bytes of its Chinese original.",
           "#pragma once", "", "#include <string_view>", "", '#include "text/gbk_texts.h"', "",
           "namespace pagorin::text {", "",
           "struct GbkTextOriginal {", "    std::string_view name;", "    std::string_view gbk;",
           "    std::string_view utf8;", "};", "",
           "inline constexpr GbkTextOriginal kGbkTextOriginals[] = {"]
    for namespace, name, text, _ in entries:
        out.append(f'    {{"{namespace}::{name}", {namespace}::{name},')
        pieces = literal(text.encode("utf-8"), width=80)
        out += ["        " + piece for piece in pieces[:-1]]
        out.append("        " + pieces[-1] + "},")
    out += ["};", "", "}  // namespace pagorin::text", ""]
    return "\n".join(out)


def write_if_changed(path, content):
    try:
        with open(path, encoding="utf-8") as existing:
            if existing.read() == content:
                return
    except FileNotFoundError:
        pass
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8", newline="\n") as out:
        out.write(content)


def main(argv):
    if len(argv) < 3:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    catalogue, output = argv[1], argv[2]
    source = os.path.basename(catalogue)
    try:
        entries = substituted(read_catalogue(catalogue), parse_values(argv[3:]))
        write_if_changed(os.path.join(output, "text", "gbk_texts.h"),
                         texts_header(entries, source))
        write_if_changed(os.path.join(output, "text", "gbk_texts_table.h"),
                         table_header(entries, source))
    except CatalogueError as error:
        print(f"gbk-texts: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
