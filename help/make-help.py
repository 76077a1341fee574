#!/usr/bin/env python3
"""Makes the help topics help/<topic>.rtf from their texts help/src/<topic>.txt.

The texts are UTF-8 with a little markup:
  "# title"   a heading line (bold, 14 points)
  **words**   bold words inside a line
  blank line  an empty paragraph (a gap)
Every other line is one paragraph (10 points). The rich text written holds code page 932:
each character outside ASCII as \\'xx bytes, "\\", "{" and "}" escaped.

Usage: python3 help/make-help.py   (from anywhere; rewrites every .rtf of help/)
"""
import pathlib
import re
import sys

HERE = pathlib.Path(__file__).resolve().parent
HEADER = "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fnil\\fcharset128 MS UI Gothic;}}\n"


def escape(text):
    out = []
    for ch in text:
        if ch in "\\{}":
            out.append("\\" + ch)
        elif ord(ch) < 0x80:
            out.append(ch)
        else:
            out.append("".join("\\'%02x" % b for b in ch.encode("cp932")))
    return "".join(out)


def inline(line):
    # **bold** pieces alternate with plain ones.
    parts = re.split(r"\*\*", line)
    if len(parts) % 2 == 0:
        raise ValueError("unbalanced ** in: " + line)
    return "".join("{\\b %s}" % escape(p) if i % 2 else escape(p) for i, p in enumerate(parts))


def convert(source):
    body = []
    for line in source.splitlines():
        line = line.rstrip()
        if line.startswith("# "):
            body.append("{\\b\\fs28 %s\\par}" % escape(line[2:].strip()))
        elif not line:
            body.append("\\par")
        else:
            body.append(inline(line) + "\\par")
    return HEADER + "\\fs20\n" + "\n".join(body) + "\n}\n"


def main():
    sources = sorted((HERE / "src").glob("*.txt"))
    if not sources:
        sys.exit("no texts in " + str(HERE / "src"))
    for src in sources:
        rtf = convert(src.read_text(encoding="utf-8"))
        (HERE / (src.stem + ".rtf")).write_bytes(rtf.encode("ascii"))
        print(src.stem + ".rtf")


if __name__ == "__main__":
    main()
