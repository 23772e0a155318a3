#!/usr/bin/env python3
"""Every relative link and image in README.md and docs/*.md names a file that exists, and a link to a
heading of a Markdown file (file.md#heading) names a heading that file has. Prints each broken link;
exits 1 if there is one."""
import glob
import os
import re
import sys

LINK = re.compile(r"!?\[[^\]]*\]\(\s*<?([^)\s>]+)>?(?:\s+\"[^\"]*\")?\s*\)")
FENCE = re.compile(r"^(```|~~~).*?^\1", re.S | re.M)


def anchors_of(path):
    """GitHub's anchors: headings lower-cased, punctuation but hyphens and spaces dropped, spaces to hyphens."""
    text = FENCE.sub("", open(path, encoding="utf-8").read())
    return {re.sub(r"[^\w\- ]", "", h.strip().lower()).replace(" ", "-")
            for h in re.findall(r"^#{1,6}\s+(.+?)\s*#*$", text, re.M)}


def broken_links(root):
    files = [os.path.join(root, "README.md")] + sorted(glob.glob(os.path.join(root, "docs", "*.md")))
    broken = []
    for source in files:
        text = FENCE.sub("", open(source, encoding="utf-8").read())
        for target in LINK.findall(text):
            if re.match(r"^[a-z][a-z0-9+.-]*:", target):
                continue  # a web address or another scheme: not ours to check offline
            path, _, anchor = target.partition("#")
            resolved = os.path.normpath(os.path.join(os.path.dirname(source), path)) if path else source
            where = os.path.relpath(source, root)
            if not os.path.exists(resolved):
                broken.append("%s: %s: no such file" % (where, target))
            elif anchor and resolved.endswith(".md") and anchor not in anchors_of(resolved):
                broken.append("%s: %s: no such heading" % (where, target))
    return files, broken


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    files, broken = broken_links(root)
    for line in broken:
        print(line)
    print("%d files checked, %d broken links" % (len(files), len(broken)))
    sys.exit(1 if broken else 0)


if __name__ == "__main__":
    main()
