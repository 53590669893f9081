#!/usr/bin/env python3
"""The documentation holds together: every relative link of README.md and
docs/*.md names a file that exists and, with #anchor, a heading of that file
(GitHub's anchors: lower case, punctuation dropped, spaces as hyphens); the
README stays a short guide (at most 250 lines); every picture under docs/ is
at most 200 KB.

Usage: docs_check.py REPOSITORY_ROOT
"""
import os
import re
import sys

MAX_README_LINES = 250
MAX_PICTURE_BYTES = 200 * 1024


def anchors_of(path):
    found = set()
    in_code = False
    with open(path, encoding="utf-8") as f:
        for line in f:
            if line.startswith("```"):
                in_code = not in_code
            if in_code:
                continue
            m = re.match(r"^#+\s+(.*?)\s*$", line)
            if m:
                text = re.sub(r"[`*]", "", m.group(1)).strip().lower()
                found.add(re.sub(r"\s", "-", re.sub(r"[^\w\- ]", "", text)))
    return found


def links_of(path):
    text = open(path, encoding="utf-8").read()
    text = re.sub(r"```.*?```", "", text, flags=re.S)
    return re.findall(r"\]\(([^)\s]+)\)", text)


def main():
    root = os.path.abspath(sys.argv[1])
    pages = [os.path.join(root, "README.md")]
    docs = os.path.join(root, "docs")
    pages += [os.path.join(docs, n) for n in sorted(os.listdir(docs)) if n.endswith(".md")]
    faults = []
    for page in pages:
        for link in links_of(page):
            if re.match(r"^[a-z]+:", link):
                continue  # an outside address
            target, _, anchor = link.partition("#")
            where = os.path.normpath(os.path.join(os.path.dirname(page), target)) if target else page
            name = os.path.relpath(page, root)
            if not os.path.exists(where):
                faults.append(f"{name}: link to {link}: no such file")
            elif anchor and where.endswith(".md") and anchor not in anchors_of(where):
                faults.append(f"{name}: link to {link}: no such heading")
    lines = sum(1 for _ in open(os.path.join(root, "README.md"), encoding="utf-8"))
    if lines > MAX_README_LINES:
        faults.append(f"README.md: {lines} lines, more than {MAX_README_LINES}")
    for folder, _, names in os.walk(docs):
        for n in names:
            path = os.path.join(folder, n)
            if n.endswith((".png", ".jpg")) and os.path.getsize(path) > MAX_PICTURE_BYTES:
                faults.append(f"{os.path.relpath(path, root)}: {os.path.getsize(path)} bytes, "
                              f"more than {MAX_PICTURE_BYTES}")
    for f in faults:
        print(f)
    print(f"docs_check: {len(pages)} pages, {'faults above' if faults else 'every link holds'}")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
