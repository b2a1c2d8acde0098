#!/usr/bin/env python3
"""Renders the fixture documents into a site laid out as a run writes it.

Usage: render_fixture_site.py SITE_DIR

SITE_DIR gets the front page, each server's six main pages and its player
pages, at the paths and file names the program uses: the server directory is
the server name as stored (entities included), a player page is the stored
plain name with "/" turned into "_". The stylesheets come from stylesheets/
and are copied into SITE_DIR as an installation keeps them.
"""
import os
import re
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
FIXTURES = os.path.join(HERE, "fixtures")
SORTS = [(b"NONE", "kilnbook.html"), (b"SCORE", "kilnbook_score.html"),
         (b"RATIO", "kilnbook_ratio.html"), (b"KILLS", "kilnbook_kills.html"),
         (b"DEATHS", "kilnbook_deaths.html"), (b"SUICIDES", "kilnbook_suicides.html")]


def transform(stylesheet, document, page):
    result = subprocess.run(["xsltproc", "--nonet", stylesheet, "-"], input=document,
                            stdout=subprocess.PIPE, check=True)
    if not result.stdout:
        sys.exit("empty result for " + page)
    with open(page, "wb") as f:
        f.write(result.stdout)


def text_of(document, tag):
    match = re.search(b"<" + tag + b">(.*?)</" + tag + b">", document)
    return match.group(1) if match else b""


def main():
    if shutil.which("xsltproc") is None:
        print("xsltproc is missing: scripts/test.sh installs it")
        return 1 if os.environ.get("CI") else 77
    site = os.fsencode(os.path.abspath(sys.argv[1]))
    shutil.rmtree(site, ignore_errors=True)
    os.makedirs(site)
    for name in ("kilnbook.xsl", "kilnbook_front.xsl", "kilnbook_player.xsl"):
        shutil.copy(os.path.join(SOURCE, "stylesheets", name), os.fsdecode(site))
    style = lambda name: os.path.join(os.fsdecode(site), name)
    for entry in sorted(os.listdir(FIXTURES)):
        folder = os.path.join(FIXTURES, entry)
        if not os.path.isdir(folder):
            continue
        with open(os.path.join(folder, "main.xml"), "rb") as f:
            main_document = f.read()
        server_dir = os.path.join(site, text_of(main_document, b"SERVER_NAME"), b"")
        players_dir = os.path.join(server_dir, b"kilnplayers", b"")
        os.makedirs(players_dir)
        for name in sorted(os.listdir(folder)):
            if not name.startswith("player"):
                continue
            with open(os.path.join(folder, name), "rb") as f:
                document = f.read()
            plain = text_of(document, b"PLAINNAME").replace(b"/", b"_")
            transform(style("kilnbook_player.xsl"), document, players_dir + plain + b".html")
        for sort_by, file_name in SORTS:
            document = re.sub(b"<SORT_BY>[A-Z]*</SORT_BY>",
                              b"<SORT_BY>" + sort_by + b"</SORT_BY>", main_document)
            transform(style("kilnbook.xsl"), document, server_dir + file_name.encode())
    with open(os.path.join(FIXTURES, "front.xml"), "rb") as f:
        transform(style("kilnbook_front.xsl"), f.read(), os.path.join(site, b"kilnbook.html"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
