#!/usr/bin/env python3
"""Every relative link and image in README.md and docs/*.md names a file that exists, and a link to a
heading of a Markdown file (file.md#heading) names a heading that file has. With --html FOLDER, the same of
the HTML pages in FOLDER (the installed manuals): every relative href and src names a file in FOLDER, and
every #fragment an id of the page it leads to. Prints each broken link; exits 1 if there is one.

usage: check-doc-links.py [SOURCE_ROOT]
       check-doc-links.py --html FOLDER"""
import glob
import html.parser
import os
import re
import sys

LINK = re.compile(r"!?\[[^\]]*\]\(\s*<?([^)\s>]+)>?(?:\s+\"[^\"]*\")?\s*\)")
FENCE = re.compile(r"^(```|~~~).*?^\1", re.S | re.M)


def github_anchor(heading):
    """GitHub's anchor for a heading's text: lower-cased, punctuation but hyphens and spaces dropped, spaces to
    hyphens. The HTML manuals give their headings the same ids, so that one link works in both."""
    return re.sub(r"[^\w\- ]", "", heading.strip().lower()).replace(" ", "-")


def anchors_of(path):
    text = FENCE.sub("", open(path, encoding="utf-8").read())
    return {github_anchor(h) for h in re.findall(r"^#{1,6}\s+(.+?)\s*#*$", text, re.M)}


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


class PageLinks(html.parser.HTMLParser):
    def __init__(self, path):
        super().__init__()
        self.ids = set()
        self.links = []
        self.feed(open(path, encoding="utf-8").read())

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if attrs.get("id"):
            self.ids.add(attrs["id"])
        for name in ("href", "src"):
            if attrs.get(name) is not None:
                self.links.append(attrs[name])


def broken_html_links(folder):
    files = sorted(glob.glob(os.path.join(folder, "*.html")))
    pages = {os.path.basename(f): PageLinks(f) for f in files}
    broken = []
    for name, page in sorted(pages.items()):
        for target in page.links:
            if re.match(r"^[a-z][a-z0-9+.-]*:", target):
                continue
            path, _, anchor = target.partition("#")
            resolved = os.path.normpath(os.path.join(folder, path)) if path else os.path.join(folder, name)
            if not path and not anchor or os.path.dirname(resolved) != os.path.normpath(folder):
                broken.append("%s: %r: leads nowhere in the folder" % (name, target))
            elif not os.path.isfile(resolved):
                broken.append("%s: %s: no such file" % (name, target))
            elif anchor and anchor not in pages.get(os.path.basename(resolved), PageLinks(resolved)).ids:
                broken.append("%s: %s: no such id" % (name, target))
    print("%d links and pictures in the HTML pages" % sum(len(page.links) for page in pages.values()))
    return files, broken


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--html":
        files, broken = broken_html_links(sys.argv[2])
    else:
        root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
        files, broken = broken_links(root)
    for line in broken:
        print(line)
    print("%d files checked, %d broken links" % (len(files), len(broken)))
    sys.exit(1 if broken else 0)


if __name__ == "__main__":
    main()
