#!/usr/bin/python3
"""Checks the project's documents: every relative link in README.md,
CHANGELOG.md and docs/ names a file that exists (and a heading of it, where
it names one); the changelog's latest release is the project's version.

usage: check_docs.py SOURCE_DIR links | check_docs.py SOURCE_DIR changelog VERSION
Prints "N passed, N failed".
"""
import glob
import os
import re
import sys

source, what = sys.argv[1:3]
LINK = re.compile(r"\]\(([^)\s]+)\)")


def slug(heading):
    """A heading's anchor as GitHub makes it."""
    return re.sub(r"[^\w\- ]", "", heading.strip().lower()).replace(" ", "-")


def anchors(path):
    with open(path, encoding="utf-8") as f:
        return {slug(line.lstrip("#")) for line in f if line.startswith("#")}


failed = []
checked = 0
if what == "links":
    pages = [os.path.join(source, name) for name in ("README.md", "CHANGELOG.md")]
    pages += sorted(glob.glob(os.path.join(source, "docs", "*.md")))
    for page in pages:
        with open(page, encoding="utf-8") as f:
            text = f.read()
        for target in LINK.findall(text):
            if re.match(r"[a-z]+:", target):
                continue  # not a file of this project
            checked += 1
            name, _, anchor = target.partition("#")
            path = os.path.normpath(os.path.join(os.path.dirname(page), name)) if name else page
            if not os.path.isfile(path):
                failed.append("%s: %s names no file" % (os.path.relpath(page, source), target))
            elif anchor and path.endswith(".md") and anchor not in anchors(path):
                failed.append("%s: %s names no heading of %s" % (os.path.relpath(page, source), target, name or page))
elif what == "changelog":
    version = sys.argv[3]
    with open(os.path.join(source, "CHANGELOG.md"), encoding="utf-8") as f:
        released = re.findall(r"^## \[(\d[^\]]*)\]", f.read(), re.M)
    checked = 1
    if not released or released[0] != version:
        failed.append("CHANGELOG.md's latest release is %s, the project's version %s"
                      % (released[0] if released else "none", version))
for line in failed:
    print(line)
print("%d passed, %d failed" % (checked - len(failed), len(failed)))
sys.exit(1 if failed or not checked else 0)
