#!/usr/bin/env python3
"""Loads a generated site in headless Chromium and checks what a visitor sees.

Usage: browser_check.py SITE_DIR SCREENSHOT_DIR

SITE_DIR is a PATH directory as a run leaves it: the front page kilnbook.html
and one directory per server with its main pages and kilnplayers/. The check
reads the DOM after the pages' own script has run (--dump-dom), so it sees
what the browser built, not the file text:
  - the front page links to main pages that exist;
  - the score and kills pages list the same players in descending order of
    their column, and every player link reaches an existing page;
  - the search box is shown by the script and filters the rows (?q=);
  - player pages name their weapons from the catalogue;
  - a name that tries markup ("&lt;b&gt;", quotes, ampersands) is text;
  - with the extended statistics (the example turns them on): each server's
    rating ladder is in descending rating order, its maps page lists maps,
    and the history charts are drawn, one bar per day (90 on the main
    pages, 30 per server on the front page), a bar above zero for exactly
    the days the chart's table lists.
Every link of every page of the site is also followed to an existing file,
read from the page files themselves.
Screenshots of the pages (desktop, phone, dark scheme) go to SCREENSHOT_DIR.
Exits 77 (skipped) when Chromium is not installed, unless CI is set.
"""
import html.parser
import os
import shutil
import subprocess
import sys
import tempfile
import urllib.parse
import urllib.request

WEAPONS = {0: "Unknown weapon", 3: "Machinegun", 4: "Grenade", 5: "Grenade splash",
           6: "Rocket", 7: "Rocket splash", 12: "Knife", 14: "Knife stealth", 15: "Luger",
           16: "Colt", 17: "MP40", 18: "Thompson", 19: "Sten", 20: "Mauser",
           21: "Sniperrifle", 32: "Venom", 34: "Flamethrower", 40: "Mortar",
           41: "Mortar splash", 45: "Slime", 46: "Lava", 54: "Explosive",
           55: "Poison gas", 56: "Zombie spit", 58: "Zombie spirit"}
MARKUP_NAME = "&lt;b&gt;"

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


class Node:
    def __init__(self, tag, attrs, parent):
        self.tag, self.attrs, self.parent, self.children = tag, dict(attrs), parent, []

    def text(self):
        return "".join(c if isinstance(c, str) else c.text() for c in self.children)

    def all(self, predicate):
        for child in self.children:
            if isinstance(child, Node):
                if predicate(child):
                    yield child
                yield from child.all(predicate)

    def classes(self):
        return self.attrs.get("class", "").split()


VOID = {"meta", "link", "input", "br", "img", "hr", "col", "source", "wbr", "area"}


class TreeBuilder(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.root = Node("#document", {}, None)
        self.current = self.root

    def handle_starttag(self, tag, attrs):
        node = Node(tag, attrs, self.current)
        self.current.children.append(node)
        if tag not in VOID:
            self.current = node

    def handle_endtag(self, tag):
        node = self.current
        while node is not None and node.tag != tag:
            node = node.parent
        if node is not None and node.parent is not None:
            self.current = node.parent

    def handle_data(self, data):
        self.current.children.append(data)


class Browser:
    def __init__(self, shots):
        self.shots = shots
        self.profile = tempfile.mkdtemp(prefix="kilnbook-chromium-")

    def flags(self):
        return ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                "--no-first-run", "--disable-background-networking",
                "--disable-component-update", "--disable-sync", "--hide-scrollbars",
                "--user-data-dir=" + self.profile]

    def dom(self, path, query=""):
        url = urllib.parse.urljoin("file:", urllib.request.pathname2url(path)) + query
        result = subprocess.run(self.flags() + ["--dump-dom", url], stdout=subprocess.PIPE,
                                stderr=subprocess.DEVNULL, timeout=120, check=True)
        builder = TreeBuilder()
        builder.feed(result.stdout.decode("utf-8"))
        return builder.root

    def screenshot(self, path, name, width, height, dark=False):
        url = urllib.parse.urljoin("file:", urllib.request.pathname2url(path))
        target = os.path.join(self.shots, name + ".png")
        extra = ["--force-dark-mode"] if dark else []
        subprocess.run(self.flags() + extra + ["--window-size=%d,%d" % (width, height),
                                               "--screenshot=" + target, url],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120,
                       check=True)
        check(os.path.getsize(target) > 0, "empty screenshot " + target)

    def close(self):
        shutil.rmtree(self.profile, ignore_errors=True)


def local_target(page, href):
    """The file a relative link of page points to, or None for other links."""
    parts = urllib.parse.urlsplit(href)
    if parts.scheme or parts.netloc or href.startswith("/"):
        return None
    path = urllib.parse.unquote_to_bytes(parts.path)
    return os.path.normpath(os.path.join(os.path.dirname(os.fsencode(page)), path))


def check_links(page, dom):
    for link in dom.all(lambda n: n.tag == "a"):
        href = link.attrs.get("href", "")
        target = local_target(page, href)
        if target is None:
            check(href.startswith(("https://", "http://", "mailto:")),
                  "%s: unexpected link %r" % (page, href))
            continue
        check(os.path.isfile(target), "%s: link %r reaches no file" % (page, href))


def check_every_link(site):
    """Every relative link of every page of the site reaches a file."""
    pages = 0
    for directory, _, files in os.walk(os.fsencode(site)):
        for name in files:
            if not name.endswith(b".html"):
                continue
            page = os.path.join(directory, name)
            with open(page, "rb") as f:
                builder = TreeBuilder()
                builder.feed(f.read().decode("utf-8", errors="replace"))
            check_links(os.fsdecode(page), builder.root)
            pages += 1
    check(pages > 0, "no page under " + site)
    return pages


def charts(dom):
    """(bars, bars above zero, rows of the chart's table) per chart."""
    found = []
    for box in dom.all(lambda n: "chart-box" in n.classes()):
        svg = next(box.all(lambda n: n.tag == "svg"), None)
        if not check(svg is not None, "a chart without its drawing"):
            continue
        bars = list(svg.all(lambda n: n.tag == "rect"))
        drawn = [b for b in bars if float(b.attrs.get("height", "0")) > 0]
        table = [tr for tr in box.all(lambda n: n.tag == "tr" and n.parent.tag == "tbody")]
        found.append((len(bars), len(drawn), len(table)))
    return found


def check_charts(page, dom, days, count):
    found = charts(dom)
    check(len(found) == count, "%s: %d charts, want %d" % (page, len(found), count))
    for bars, drawn, listed in found:
        check(bars == days and drawn == listed and drawn > 0,
              "%s: %d bars (want %d), %d above zero for %d days with games"
              % (page, bars, days, drawn, listed))


def check_ladder(browser, server_dir):
    page = os.path.join(server_dir, "kilnbook_ladder.html")
    if not check(os.path.isfile(page), "no ladder page in " + server_dir):
        return
    dom = browser.dom(page)
    table = next(dom.all(lambda n: n.attrs.get("id") == "ladder"), None)
    if not check(table is not None, page + ": no ladder table"):
        return
    header = [th.text().strip().lower() for th in table.all(lambda n: n.tag == "th")]
    rows = [[td for td in tr.children if isinstance(td, Node) and td.tag == "td"]
            for tr in table.all(lambda n: n.tag == "tr" and n.parent.tag == "tbody")]
    ratings = [int(cells[header.index("rating")].text()) for cells in rows]
    check(len(ratings) > 1 and ratings == sorted(ratings, reverse=True),
          "%s: ratings not in descending order: %r" % (page, ratings))
    return page


def check_maps(browser, server_dir):
    page = os.path.join(server_dir, "kilnbook_maps.html")
    if not check(os.path.isfile(page), "no maps page in " + server_dir):
        return
    dom = browser.dom(page)
    table = next(dom.all(lambda n: n.attrs.get("id") == "maps"), None)
    rows = [] if table is None else [
        [td.text() for td in tr.children if isinstance(td, Node) and td.tag == "td"]
        for tr in table.all(lambda n: n.tag == "tr" and n.parent.tag == "tbody")]
    if not check(len(rows) > 1, "%s: %d maps listed" % (page, len(rows))):
        return page
    games = [int(row[2]) for row in rows]
    check(games == sorted(games, reverse=True), "%s: maps not by games: %r" % (page, games))
    most = next(dom.all(lambda n: n.attrs.get("id") == "most-played"), None)
    check(most is not None and rows[0][1] in most.text(),
          page + ": the most played map is not the first row")
    return page


def player_rows(dom):
    table = next(dom.all(lambda n: n.attrs.get("id") == "players"), None)
    if not check(table is not None, "main page without the players table"):
        return [], []
    header = [th.text().replace("▾", "").strip().lower()
              for th in table.all(lambda n: n.tag == "th")]
    rows = []
    for tr in table.all(lambda n: n.tag == "tr" and n.parent.tag == "tbody"):
        cells = [td for td in tr.children if isinstance(td, Node) and td.tag == "td"]
        rows.append((tr, cells))
    return header, rows


def column(header, rows, name):
    index = header.index(name)
    return [float(cells[index].text()) for _, cells in rows]


def names(rows):
    return [cells[1].text() for _, cells in rows]


def check_main_pages(browser, server_dir):
    orders, doms = {}, {}
    for file_name, column_name in (("kilnbook_score.html", "score"),
                                   ("kilnbook_kills.html", "kills")):
        page = os.path.join(server_dir, file_name)
        dom = browser.dom(page)
        header, rows = player_rows(dom)
        values = column(header, rows, column_name)
        check(values == sorted(values, reverse=True),
              "%s: rows not in descending %s order: %r" % (page, column_name, values))
        current = [th for th in dom.all(lambda n: n.tag == "th")
                   if th.attrs.get("aria-sort") == "descending"]
        check(len(current) == 1 and column_name in current[0].text().lower(),
              "%s: the current order is not marked on the %s column" % (page, column_name))
        sort_links = [a.attrs["href"] for a in dom.all(lambda n: "sort" in n.classes())]
        check(len(sort_links) == 5, "%s: %d sort links, want 5" % (page, len(sort_links)))
        check_links(page, dom)
        orders[column_name] = names(rows)
        doms[column_name] = dom
        search = next(dom.all(lambda n: n.attrs.get("id") == "search"), None)
        check(search is not None and "hidden" not in search.attrs,
              "%s: the search box is not shown by its script" % page)
    check(sorted(orders["score"]) == sorted(orders["kills"]),
          "score and kills pages list different players")
    return orders["score"], doms["score"]


def check_search(browser, server_dir, listed):
    wanted = next((n for n in listed if len(n.strip()) >= 2), None)
    if wanted is None:
        return
    fragment = wanted.strip()[:2]
    dom = browser.dom(os.path.join(server_dir, "kilnbook.html"),
                      "?q=" + urllib.parse.quote(fragment))
    _, rows = player_rows(dom)
    shown = [cells[1].text() for tr, cells in rows if "hidden" not in tr.attrs]
    expected = [n for n in names(rows) if fragment.lower() in n.lower()]
    check(shown == expected and wanted in shown,
          "search for %r shows %r, want %r" % (fragment, shown, expected))


def check_player_page(browser, page):
    dom = browser.dom(page)
    check_links(page, dom)
    labels = []
    for panel in ("killweapons", "deathweapons", "suicideweapons"):
        section = next(dom.all(lambda n, p=panel: n.attrs.get("id") == p), None)
        if not check(section is not None, "%s: no %s panel" % (page, panel)):
            continue
        labels += [s.text() for s in section.all(lambda n: "what" in n.classes())]
    for label in labels:
        if label.startswith("Unknown weapon (code "):
            code = label[len("Unknown weapon (code "):-1]
            check(label.endswith(")") and code.lstrip("-").isdigit()
                  and int(code) not in WEAPONS,
                  "%s: catalogued weapon shown as %r" % (page, label))
        else:
            check(label in WEAPONS.values(), "%s: weapon label %r" % (page, label))
    return labels


def check_games(browser, server_dir):
    """The games list links every kept game's page; a game page has both
    scoreboards and shows names without raw markup."""
    page = os.path.join(server_dir, "kilnbook_games.html")
    if not check(os.path.isfile(page), "no games page in " + server_dir):
        return None, None
    dom = browser.dom(page)
    check_links(page, dom)
    table = next(dom.all(lambda n: n.attrs.get("id") == "games"), None)
    if not check(table is not None, page + ": no games table"):
        return page, None
    links = [a.attrs["href"] for a in table.all(lambda n: n.tag == "a")]
    kept = sorted(os.listdir(os.path.join(server_dir, "kilngames")),
                  key=lambda name: -int(name.split(".")[0]))
    check(links == ["./kilngames/" + name for name in kept],
          "%s: games %r against pages %r" % (page, links, kept))
    game = os.path.join(server_dir, "kilngames", kept[0]) if kept else None
    if game:
        dom = browser.dom(game)
        check_links(game, dom)
        boards = [t for t in dom.all(lambda n: n.tag == "table")]
        check(len(boards) >= 2, game + ": fewer than two scoreboards")
        for board in boards:
            heads = [th for th in board.all(lambda n: n.tag == "th" and
                                            n.attrs.get("scope") == "col")]
            check(len(heads) > 0, game + ": a scoreboard without column headers")
        text = dom.text()
        check("FONT COLOR" not in text, game + ": raw colour markup shown")
    return page, game


def main():
    site, shots = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    if shutil.which("chromium") is None:
        print("chromium is missing: scripts/test.sh installs it")
        return 1 if os.environ.get("CI") else 77
    os.makedirs(shots, exist_ok=True)
    browser = Browser(shots)
    try:
        front = os.path.join(site, "kilnbook.html")
        dom = browser.dom(front)
        check_links(front, dom)
        servers = [local_target(front, a.attrs["href"])
                   for a in dom.all(lambda n: n.tag == "a" and n.parent.tag == "td")]
        check(len(servers) > 0, "the front page lists no server")
        check_charts(front, dom, 30, len(servers))
        browser.screenshot(front, "front-desktop", 1280, 900)
        browser.screenshot(front, "front-phone-dark", 390, 844, dark=True)

        weapon_labels, markup_seen = [], False
        for number, main_page in enumerate(s for s in servers if s and os.path.isfile(s)):
            server_dir = os.fsdecode(os.path.dirname(main_page))
            listed, dom = check_main_pages(browser, server_dir)
            check_charts(os.path.join(server_dir, "kilnbook_score.html"), dom, 90, 1)
            ladder = check_ladder(browser, server_dir)
            maps = check_maps(browser, server_dir)
            if number == 0 and ladder and maps:
                browser.screenshot(ladder, "ladder-desktop", 1280, 900)
                browser.screenshot(ladder, "ladder-phone-dark", 390, 844, dark=True)
                browser.screenshot(maps, "maps-phone", 390, 844)
                browser.screenshot(maps, "maps-desktop-dark", 1280, 800, dark=True)
            games, game = check_games(browser, server_dir)
            if number == 0 and games and game:
                browser.screenshot(games, "games-desktop", 1280, 1000)
                browser.screenshot(games, "games-phone", 390, 844)
                browser.screenshot(game, "game-desktop", 1280, 1000)
                browser.screenshot(game, "game-phone-dark", 390, 844, dark=True)
            if number == 0:
                check_search(browser, server_dir, listed)
                score_page = os.path.join(server_dir, "kilnbook_score.html")
                browser.screenshot(score_page, "main-desktop", 1280, 1000)
                browser.screenshot(score_page, "main-phone", 390, 844)
                browser.screenshot(score_page, "main-desktop-dark", 1280, 1000, dark=True)
            for link in dom.all(lambda n: n.tag == "a" and "player" in n.classes()):
                name = link.text()
                if MARKUP_NAME in name:
                    markup_seen = True
                    check(not any(link.all(lambda n: n.tag not in ("span", "i"))),
                          "markup name %r made elements" % name)
            # The first two players of the score page: the busiest pages.
            _, rows = player_rows(dom)
            for index, (_, cells) in enumerate(rows[:2]):
                link = next(cells[1].all(lambda n: n.tag == "a"))
                page = os.fsdecode(local_target(os.path.join(server_dir, "x"),
                                                link.attrs["href"]))
                weapon_labels += check_player_page(browser, page)
                if number == 0 and index == 0:
                    browser.screenshot(page, "player-desktop", 1280, 1100)
                    browser.screenshot(page, "player-phone-dark", 390, 844, dark=True)
        check(any(label in WEAPONS.values() for label in weapon_labels),
              "no player page names a catalogued weapon")
        check(markup_seen, "no player name with %r on the score pages" % MARKUP_NAME)
        print("links followed on %d pages" % check_every_link(site))
    finally:
        browser.close()
    for failure in failures:
        print("FAIL: " + failure)
    print("%d passed, %d failed" % (0 if failures else 1, 1 if failures else 0))
    print("screenshots in " + shots)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
