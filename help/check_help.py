#!/usr/bin/env python3
"""Checks of the built help.

  check_help.py links HTML-FOLDER
      Every page, contents and index entry links only to pages, anchors,
      pictures and stylesheets that exist; every page is in the contents.
  check_help.py chm CHMLS FILE.chm SOURCE-FOLDER
      The compiled help file holds the topics that the program's dialogs
      open, every page of the contents and every picture the pages show,
      and opens on the contents page when no topic is asked for.
"""
import html.parser
import os
import re
import struct
import subprocess
import sys
import tempfile
import urllib.parse

# Opened by the dialogs' Help buttons and F1 (with "Velloform.chm::/").
DIALOG_TOPICS = (
    "velloform-documentation/options/picture-options.html",
    "velloform-documentation/options/advanced-options.html",
    "velloform-documentation/options/user-preferences.html",
)
CONTENTS_PAGE = "velloform-documentation/index.html"
SITEMAP_FILES = ("contents.hhc", "index.hhk")


class Links(html.parser.HTMLParser):
    """The links, pictures and anchors of one page (or site map)."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.targets = []  # (attribute, value)
        self.anchors = set()

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        for name in ("id", "name") if tag != "param" else ():
            if attrs.get(name):
                self.anchors.add(attrs[name])
        if tag == "a" and attrs.get("href"):
            self.targets.append(("href", attrs["href"]))
        elif tag == "img":
            self.targets.append(("src", attrs.get("src") or ""))
        elif tag == "link" and attrs.get("href"):
            self.targets.append(("href", attrs["href"]))
        elif tag == "param" and (attrs.get("name") or "").lower() == "local":
            self.targets.append(("Local", attrs.get("value") or ""))


def parse(path):
    links = Links()
    with open(path, encoding="utf-8") as f:
        links.feed(f.read())
    return links


def site_files(root):
    pages, others = [], []
    for folder, _, files in os.walk(root):
        for name in files:
            relative = os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")
            (pages if name.endswith(".html") else others).append(relative)
    return sorted(pages), sorted(others)


def check_links(root):
    problems = []
    pages, _ = site_files(root)
    parsed = {page: parse(os.path.join(root, page)) for page in pages}
    in_contents = set()
    for sitemap in SITEMAP_FILES:
        if not os.path.exists(os.path.join(root, sitemap)):
            problems.append(f"{sitemap}: missing")
            continue
        for _, value in parse(os.path.join(root, sitemap)).targets:
            target = urllib.parse.unquote(value.split("#")[0])
            if not os.path.isfile(os.path.join(root, target)):
                problems.append(f"{sitemap}: entry for a missing page {value}")
            if sitemap == "contents.hhc":
                in_contents.add(target)
    for page, links in parsed.items():
        for attribute, value in links.targets:
            url = urllib.parse.urlsplit(value)
            if url.scheme in ("http", "https", "mailto"):
                continue
            if url.scheme or value.startswith("/"):
                problems.append(f"{page}: {value} is not a relative link")
                continue
            if not value:
                problems.append(f"{page}: empty {attribute}")
                continue
            target = page if not url.path else os.path.normpath(
                os.path.join(os.path.dirname(page), urllib.parse.unquote(url.path))).replace(os.sep, "/")
            if not os.path.isfile(os.path.join(root, target)):
                problems.append(f"{page}: {attribute}={value} points to a missing file")
            elif url.fragment and target in parsed and url.fragment not in parsed[target].anchors:
                problems.append(f"{page}: {value} points to a missing anchor")
        if page not in in_contents:
            problems.append(f"{page}: not in the table of contents")
    for topic in DIALOG_TOPICS + (CONTENTS_PAGE,):
        if topic not in parsed:
            problems.append(f"{topic}: missing")
    return problems, len(pages)


def check_chm(chmls, chm, source):
    listing = subprocess.run([chmls, "--no-page", "--name-only", "list", chm], capture_output=True, text=True)
    if listing.returncode != 0:
        return [f"chmls cannot list {chm}: {listing.stderr.strip()}"], 0
    names = {line.strip().lstrip("/") for line in listing.stdout.splitlines() if line.strip()}
    wanted = set(DIALOG_TOPICS) | {CONTENTS_PAGE}
    with open(os.path.join(source, "contents.hhc"), encoding="utf-8") as f:
        wanted |= set(re.findall(r'name="Local" value="([^"#]+)', f.read()))
    for page in sorted(wanted):
        with open(os.path.join(source, page), encoding="utf-8") as f:
            wanted |= {os.path.normpath(os.path.join(os.path.dirname(page), src)).replace(os.sep, "/")
                       for src in re.findall(r'<img [^>]*src="([^"]+)"', f.read())}
    missing = sorted(name for name in wanted if name not in names)
    problems = [f"{chm}: {name} is missing" for name in missing]
    default = default_topic(chmls, chm)
    if default != CONTENTS_PAGE:
        problems.append(f"{chm}: opens on {default!r} when no topic is asked for, not on {CONTENTS_PAGE}")
    return problems, len(wanted)


def default_topic(chmls, chm):
    """The default topic of the help file: entry 2 of its #SYSTEM file."""
    with tempfile.TemporaryDirectory() as folder:
        system = os.path.join(folder, "system")
        subprocess.run([chmls, "extract", chm, "/#SYSTEM", system], capture_output=True)
        if not os.path.exists(system):
            return None
        with open(system, "rb") as f:
            data = f.read()
    at = 4  # after the version
    while at + 4 <= len(data):
        code, length = struct.unpack("<HH", data[at:at + 4])
        if code == 2:
            return data[at + 4:at + 4 + length].split(b"\0")[0].decode("latin-1")
        at += 4 + length
    return None


def main(argv):
    if len(argv) == 3 and argv[1] == "links":
        problems, count = check_links(argv[2])
        what = f"{count} pages"
    elif len(argv) == 5 and argv[1] == "chm":
        problems, count = check_chm(*argv[2:])
        what = f"{count} files in the help file"
    else:
        sys.exit(__doc__)
    for problem in problems:
        print(problem)
    if problems:
        return 1
    print(f"checked {what}: all present")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
