#!/usr/bin/env python3
"""The manuals as the package installs them: README.md and docs/*.md as HTML pages in one folder, with the
pictures they show beside them and a contents page, index.html. Links between the manuals lead to the
pages (file.md#heading to file.html#heading), and every heading has the id GitHub gives it, so the same
links work in the checkout and in the installed copy. A link to a file that is not installed stops the
build. HTML comments in the sources (notes for the authors) are left out.

usage: html-manuals.py SOURCE_ROOT OUTPUT_FOLDER"""
import html
import os
import runpy
import shutil
import sys

from markdown_it import MarkdownIt

# The source files and their installed names, in the order the contents page lists them.
PAGES = [("README.md", "readme.html")] + [("docs/%s.md" % name, "%s.html" % name) for name in (
    "editor", "presets", "hosts", "renderer", "glossary", "changes", "development")]
PICTURE_EXTENSIONS = (".png", ".svg", ".jpg")

STYLE = """body { max-width: 60em; margin: 1em auto; padding: 0 1em; font-family: sans-serif; line-height: 1.45; }
img { max-width: 100%; height: auto; }
table { border-collapse: collapse; }
th, td { border: 1px solid #bbb; padding: 0.2em 0.5em; vertical-align: top; text-align: left; }
pre, code { background: #f2f2f2; }
pre { padding: 0.5em; overflow-x: auto; }"""


def load_link_checker():
    """The link checker's functions, by name (its file name is not a module name)."""
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts", "check-doc-links.py")
    return runpy.run_path(path, run_name="check_doc_links")


github_anchor = load_link_checker()["github_anchor"]


def plain_text(inline):
    return "".join(child.content for child in inline.children or [] if child.type in ("text", "code_inline"))


def page_html(title, body):
    return ('<!DOCTYPE html>\n<html lang="en">\n<head>\n<meta charset="utf-8">\n'
            '<meta name="viewport" content="width=device-width, initial-scale=1">\n'
            "<title>%s</title>\n<style>\n%s\n</style>\n</head>\n<body>\n%s</body>\n</html>\n"
            % (html.escape(title), STYLE, body))


class Converter:
    def __init__(self, root, out):
        self.root = root
        self.out = out
        self.markdown = MarkdownIt("commonmark").enable("table")
        self.installed = {os.path.normpath(source): name for source, name in PAGES}
        self.pictures = set()
        self.errors = []
        self.contents = []

    def target(self, source, link):
        """The installed name of a relative link in source, or None for a link that leaves the manuals."""
        if link.startswith("#") or "://" in link or link.startswith("mailto:"):
            return link
        path, hash_sign, anchor = link.partition("#")
        resolved = os.path.normpath(os.path.join(os.path.dirname(source), path))
        if resolved in self.installed:
            return self.installed[resolved] + hash_sign + anchor
        if resolved.lower().endswith(PICTURE_EXTENSIONS) and os.path.isfile(os.path.join(self.root, resolved)):
            self.pictures.add(resolved)
            return os.path.basename(resolved) + hash_sign + anchor
        self.errors.append("%s: %s: not installed with the manuals" % (source, link))
        return None

    def convert(self, source, name):
        tokens = self.markdown.parse(open(os.path.join(self.root, source), encoding="utf-8").read())
        used = {}
        headings = []
        kept = []
        for index, token in enumerate(tokens):
            if token.type == "html_block" and token.content.lstrip().startswith("<!--"):
                continue
            if token.type == "heading_open":
                text = plain_text(tokens[index + 1])
                anchor = github_anchor(text)
                count = used.get(anchor, 0)
                used[anchor] = count + 1
                token.attrSet("id", anchor if count == 0 else "%s-%d" % (anchor, count))
                headings.append((token.tag, text, token.attrGet("id")))
            for child in token.children or []:
                attribute = {"link_open": "href", "image": "src"}.get(child.type)
                if attribute:
                    child.attrSet(attribute, self.target(source, child.attrGet(attribute)) or "")
            if token.children:
                token.children = [c for c in token.children
                                  if not (c.type == "html_inline" and c.content.startswith("<!--"))]
            kept.append(token)
        title = next((text for tag, text, _ in headings if tag == "h1"), name)
        label = "Start here: what Wydenza is, installing it, first steps" if source == "README.md" else title
        body = '<p><a href="index.html">All the manuals</a></p>\n' + self.markdown.renderer.render(kept, self.markdown.options, {})
        with open(os.path.join(self.out, name), "w", encoding="utf-8") as page:
            page.write(page_html(title, body))
        self.contents.append((name, label, [(text, anchor) for tag, text, anchor in headings if tag == "h2"]))

    def write_contents(self):
        items = []
        for name, title, sections in self.contents:
            links = "".join('<li><a href="%s#%s">%s</a></li>\n' % (name, html.escape(anchor), html.escape(text))
                            for text, anchor in sections)
            items.append('<li><a href="%s">%s</a>\n<ul>\n%s</ul></li>\n' % (name, html.escape(title), links))
        body = "<h1>Wydenza manuals</h1>\n<ul>\n%s</ul>\n" % "".join(items)
        with open(os.path.join(self.out, "index.html"), "w", encoding="utf-8") as page:
            page.write(page_html("Wydenza manuals", body))


def main():
    root, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    converter = Converter(root, out)
    for source, name in PAGES:
        converter.convert(source, name)
    converter.write_contents()
    for picture in sorted(converter.pictures):
        shutil.copyfile(os.path.join(root, picture), os.path.join(out, os.path.basename(picture)))
    for error in converter.errors:
        print(error, file=sys.stderr)
    sys.exit(1 if converter.errors else 0)


if __name__ == "__main__":
    main()
