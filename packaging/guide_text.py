#!/usr/bin/env python3
"""Writes the user's guide (docs/GUIDE.md) as the plain text that the zip carries as README.txt.

    guide_text.py GUIDE.md README.txt

The guide keeps to a small part of Markdown, which this turns into text for Notepad: a title
(#) and sections (##), underlined; paragraphs and list items (- or 1.), wrapped at 76
characters; code blocks, indented; pictures left out; links as their text; **bold** and
`code` as plain words.
"""

import re
import sys
import textwrap

WIDTH = 76
KEEP = "\0"  # a space that does not break a line


def plain(text):
    text = re.sub(r"\[([^\]]*)\]\([^)]*\)", r"\1", text)
    text = re.sub(r"\*\*(.+?)\*\*", r"\1", text)
    # A path, a command or a text of the program's stays on one line.
    text = re.sub(r'`([^`]*)`|("[^"]*")', lambda m: (m[1] or m[2]).replace(" ", KEEP), text)
    return re.sub(r"\\([\\`*_\[\]()#+.!-])", r"\1", text)


def wrap(first, rest, text):
    return textwrap.fill(plain(text), WIDTH, initial_indent=first, subsequent_indent=rest,
                         break_long_words=False, break_on_hyphens=False).replace(KEEP, " ")


def convert(markdown):
    out = []
    block = []  # (first-line indent, following indent, text) of the paragraph or item being read

    def flush():
        if block:
            out.append(wrap(*block))
            block.clear()

    lines = iter(markdown.splitlines())
    for line in lines:
        stripped = line.strip()
        item = re.match(r"(-|\d+\.) +(.*)", stripped)
        if line.startswith("```"):
            flush()
            for code in lines:
                if code.startswith("```"):
                    break
                out.append(("    " + code).rstrip())
        elif not stripped or stripped.startswith("!["):
            flush()
            if out and out[-1] != "":
                out.append("")
        elif line.startswith("# ") or line.startswith("## "):
            flush()
            title = plain(line.lstrip("#").strip()).replace(KEEP, " ")
            while out and out[-1] == "":
                out.pop()
            if out:
                out += ["", ""]
            out += [title, ("=" if line.startswith("# ") else "-") * len(title)]
        elif item and not line.startswith(" "):
            flush()
            marker = "  " + item[1] + " "
            block[:] = [marker, " " * len(marker), item[2]]
        elif block:
            block[2] += " " + stripped
        else:
            block[:] = ["", "", stripped]
    flush()
    return "\n".join(out).strip("\n") + "\n"


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    with open(sys.argv[1], encoding="utf-8") as source:
        text = convert(source.read())
    with open(sys.argv[2], "w", encoding="utf-8", newline="\n") as out:
        out.write(text)


if __name__ == "__main__":
    main()
