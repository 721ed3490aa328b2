"""Checks the user guide's sources (docs/help) for what chmcmd does not: every link and picture of a
page, and every entry of the contents and the index, points at a file and an anchor that exist; every
page and picture is compiled into the help file; every page can be reached from the contents; every
picture is used. Prints each problem and exits 1 when there is one.

usage: check_pages.py DOCS_HELP_FOLDER
"""
import html.parser
import os
import re
import sys
import urllib.parse


class Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.ids, self.links, self.locals = set(), [], []

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if "id" in attrs:
            self.ids.add(attrs["id"])
        for name in ("href", "src"):
            if name in attrs and attrs[name]:
                self.links.append(attrs[name])
        # Contents and index entries: <param name="Local" value="page.html#anchor">
        if tag == "param" and (attrs.get("name") or "").lower() == "local":
            self.locals.append(attrs.get("value") or "")


def parse(path):
    page = Page()
    with open(path, encoding="utf-8") as f:
        page.feed(f.read())
    return page


def project_files(hhp):
    files, section = [], None
    with open(hhp, encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if line.startswith("["):
                section = line
            elif line and section == "[FILES]":
                files.append(line.replace("\\", "/"))
    return files


def main():
    root = sys.argv[1]
    problems = []
    pages = sorted(n for n in os.listdir(root) if n.endswith(".html"))
    images = sorted("images/" + n for n in os.listdir(os.path.join(root, "images")) if n.endswith(".png"))
    parsed = {name: parse(os.path.join(root, name)) for name in pages}

    def check(where, target):
        url = urllib.parse.urlsplit(target)
        if url.scheme or url.netloc:
            problems.append(f"{where}: links outside the guide: {target}")
            return None
        name = url.path or where.split(":")[0]
        if name not in parsed and name not in images and not os.path.exists(os.path.join(root, name)):
            problems.append(f"{where}: no such file: {target}")
            return None
        if url.fragment and (name not in parsed or url.fragment not in parsed[name].ids):
            problems.append(f"{where}: no such anchor: {target}")
        return name

    used = set()
    for name, page in parsed.items():
        for link in page.links:
            target = check(name, link)
            if target:
                used.add(target)
    reached = set()
    for sitemap in ("contents.hhc", "index.hhk"):
        for local in parse(os.path.join(root, sitemap)).locals:
            target = check(sitemap, local)
            if target and sitemap == "contents.hhc":
                reached.add(target)
    listed = set(project_files(os.path.join(root, "Vantle.hhp")))
    for name in pages + images + ["style.css"]:
        if name not in listed:
            problems.append(f"Vantle.hhp: {name} is not listed under [FILES]")
    for name in sorted(listed):
        if not os.path.exists(os.path.join(root, name)):
            problems.append(f"Vantle.hhp: lists a missing file: {name}")
    for name in pages:
        if name not in reached:
            problems.append(f"contents.hhc: {name} is not in the contents")
    for name in images:
        if name not in used:
            problems.append(f"{name}: no page shows it")
    for name, page in parsed.items():
        if not re.search(r"<title>[^<]+</title>", open(os.path.join(root, name), encoding="utf-8").read()):
            problems.append(f"{name}: no title")
    for p in problems:
        print(p)
    print(f"{len(pages)} pages, {len(images)} pictures, {len(problems)} problem(s)")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
