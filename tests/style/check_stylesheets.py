#!/usr/bin/env python3
"""Renders the fixture documents with xsltproc and checks the pages' content.

Usage: check_stylesheets.py

Checks what the browser test cannot see from a real run: the exact row order
of all six sort orders, the exact player links for names full of URL
characters, the awards and their ties, the colour markup (and that nothing
else becomes markup), weapon and team names, and that the parts the
stylesheets share are equal. For the extended statistics (the fixtures below
"extended/"): the ladder's order, the maps table, the hiding of inactive
players, the history charts against their DAY values, the player's activity
and maps; and that documents without those blocks still give, byte for
byte, the pages they gave before the extension existed.
Exits 77 (skipped) when xsltproc is not installed, unless CI is set.
"""
import hashlib
import math
import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_fixtures  # noqa: E402
from browser_check import Node, TreeBuilder  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
STYLES = os.path.join(os.path.dirname(os.path.dirname(HERE)), "stylesheets")
# The documents are written anew for every run by make_fixtures.py.
FIXTURES = None
failures = []

MARKUP = '&lt;b&gt;Bold"Q&A"'
# Expected rows of the fixture's first server per SORT_BY (display texts).
ORDERS = {
    "NONE": [":colon^0", "Bob", "ZoëBlue", "RedMan", "100% #1 ?: a/b", MARKUP, "world_entity"],
    "SCORE": ["Bob", "RedMan", MARKUP, "100% #1 ?: a/b", "ZoëBlue", "world_entity", ":colon^0"],
    "RATIO": ["world_entity", "Bob", "RedMan", MARKUP, "ZoëBlue", "100% #1 ?: a/b", ":colon^0"],
    "KILLS": ["RedMan", "Bob", MARKUP, "world_entity", "100% #1 ?: a/b", "ZoëBlue", ":colon^0"],
    "DEATHS": ["RedMan", MARKUP, "100% #1 ?: a/b", "Bob", "ZoëBlue", "world_entity", ":colon^0"],
    "SUICIDES": ["Bob", "100% #1 ?: a/b", "RedMan", MARKUP, "world_entity", "ZoëBlue", ":colon^0"],
    "bogus": [":colon^0", "Bob", "ZoëBlue", "RedMan", "100% #1 ?: a/b", MARKUP, "world_entity"],
}
FILES = {"NONE": "kilnbook.html", "SCORE": "kilnbook_score.html",
         "RATIO": "kilnbook_ratio.html", "KILLS": "kilnbook_kills.html",
         "DEATHS": "kilnbook_deaths.html", "SUICIDES": "kilnbook_suicides.html"}
LINKS = {
    "RedMan": "./kilnplayers/RedMan.html",
    "100% #1 ?: a/b": "./kilnplayers/100%25%20%231%20%3F%3A%20a_b.html",
    MARKUP: "./kilnplayers/%26amp%3Blt%3Bb%26amp%3Bgt%3BBold%26quot%3BQ%26amp%3BA%26quot%3B.html",
    ":colon^0": "./kilnplayers/%3Acolon%5E0.html",
    "world_entity": "./kilnplayers/.html",
    "ZoëBlue": "./kilnplayers/Zo%C3%ABBlue.html",
}
# HTMLNAME text as a document holds it -> (shown text, [(colour, run)]).
NAMES = [
    ('&lt;FONT COLOR="#FF0000"&gt;Red&lt;/FONT&gt;&lt;FONT COLOR="#FFFFFF"&gt;Man&lt;/FONT&gt;',
     "RedMan", [("#FF0000", "Red"), ("#FFFFFF", "Man")]),
    ("Plain", "Plain", []),
    ('Pre&lt;FONT COLOR="#00a833"&gt;Green&lt;/FONT&gt;', "PreGreen", [("#00A833", "Green")]),
    ('&lt;FONT COLOR="#FFFF00"&gt;&lt;/FONT&gt;&lt;FONT COLOR="#0A00E8"&gt;A&lt;/FONT&gt;',
     "A", [("#0A00E8", "A")]),
    ('&lt;FONT COLOR="red;x:url(y)"&gt;Bad&lt;/FONT&gt;',
     '<FONT COLOR="red;x:url(y)">Bad', []),
    ('&lt;FONT COLOR="#12345G"&gt;Hex&lt;/FONT&gt;', '<FONT COLOR="#12345G">Hex', []),
    ("&lt;script&gt;alert(1)&lt;/script&gt;", "<script>alert(1)</script>", []),
    ("&amp;lt;b&amp;gt;x&quot;&amp;amp;", '&lt;b&gt;x"&amp;', []),
    ('&lt;FONT COLOR="#FF0000"&gt;a&quot;&gt;b&lt;/FONT&gt;', 'a">b', [("#FF0000", 'a">b')]),
    # Not the program's markup: every "<" that opens no well-formed tag is
    # text in the colour of the last opening tag not yet closed.
    ('&lt;FONT COLOR="#00FF00"&gt;a&lt;i&gt;b&lt;/FONT&gt;c', "a<i>bc",
     [("#00FF00", "a"), ("#00FF00", "<"), ("#00FF00", "i>b")]),
    ('&lt;FONT COLOR="#00FF00"&gt;a&lt;/FONT&gt;&lt;x', "a<x", [("#00FF00", "a")]),
    ('&lt;FONT COLOR="#00FF00"&gt;a&lt;/font&gt;b', "a</font>b",
     [("#00FF00", "a"), ("#00FF00", "<"), ("#00FF00", "/font>b")]),
    ('&lt;FONT COLOR="#FF0000"&gt;a&lt;FONT COLOR="#0000ff"&gt;b&lt;zz', "ab<zz",
     [("#FF0000", "a"), ("#0000FF", "b"), ("#0000FF", "<"), ("#0000FF", "zz")]),
    ("pre&lt;b&gt;x", "pre<b>x", []),
    ('&lt;FONT COLOR="#FF0000"&gt;a&lt;&lt;b&lt;/FONT&gt;', "a<<b",
     [("#FF0000", "a"), ("#FF0000", "<"), ("#FF0000", "<"), ("#FF0000", "b")]),
    ("x&lt;", "x<", []),
]


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


def render(stylesheet, document, params=()):
    """The page as a tree; params are (name, string value) pairs."""
    return parse(render_text(stylesheet, document, params))


def render_text(stylesheet, document, params=()):
    options = [arg for name, value in params for arg in ("--stringparam", name, value)]
    result = subprocess.run(["xsltproc", "--nonet"] + options
                            + [os.path.join(STYLES, stylesheet), "-"],
                            input=document, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    check(result.returncode == 0 and not result.stderr,
          "%s: xsltproc said %r" % (stylesheet, result.stderr))
    page = result.stdout.decode("utf-8")
    check(page.startswith("<!DOCTYPE html>\n"), stylesheet + ": no HTML5 doctype")
    check(page.count("charset=") == 1, stylesheet + ": not one character set declaration")
    check("xmlns" not in page, stylesheet + ": a namespace declaration reached the page")
    check(not re.search(r'(src|href)="(https?:)?//', page.replace(
        'href="https://kilnbook.example.org/"', "")),
        stylesheet + ": loads something from elsewhere")
    return page


def parse(page):
    builder = TreeBuilder()
    builder.feed(page)
    return builder.root


def fixture(*parts):
    with open(os.path.join(FIXTURES, *parts), "rb") as f:
        return f.read()


def with_sort(document, sort_by):
    return re.sub(b"<SORT_BY>[A-Z]*</SORT_BY>", b"<SORT_BY>" + sort_by.encode() + b"</SORT_BY>",
                  document)


def rows(dom):
    table = next(dom.all(lambda n: n.attrs.get("id") == "players"))
    return [tr for tr in table.all(lambda n: n.tag == "tr" and n.parent.tag == "tbody")]


def check_sort_orders():
    main = fixture("server1", "main.xml")
    for sort_by, expected in ORDERS.items():
        dom = render("kilnbook.xsl", with_sort(main, sort_by))
        shown = [next(tr.all(lambda n: "pn" in n.classes())).text() for tr in rows(dom)]
        check(shown == expected, "%s: rows %r, want %r" % (sort_by, shown, expected))
        ranks = [next(tr.all(lambda n: n.tag == "td")).text() for tr in rows(dom)]
        check(ranks == [str(i) for i in range(1, len(expected) + 1)], sort_by + ": ranks")
        links = {a.attrs["href"] for a in dom.all(lambda n: "sort" in n.classes())}
        current = FILES.get(sort_by, "kilnbook.html")
        want = {"./" + f for f in FILES.values() if f != current}
        check(links == want, "%s: sort links %r, want %r" % (sort_by, links, want))


def check_player_links():
    dom = render("kilnbook.xsl", fixture("server1", "main.xml"))
    for tr in rows(dom):
        link = next(tr.all(lambda n: n.tag == "a"))
        name = link.text()
        if name in LINKS:
            check(link.attrs["href"] == LINKS[name],
                  "link of %r is %r, want %r" % (name, link.attrs["href"], LINKS[name]))
    check(not any(dom.all(lambda n: n.tag in ("b", "font") and n.parent.tag == "span")),
          "a name became markup")
    back = next(dom.all(lambda n: n.tag == "a"))
    check(back.attrs["href"] == "../kilnbook.html", "front link " + back.attrs["href"])
    awards = [a.text() for a in dom.all(lambda n: "award" in n.classes())]
    check(awards == ["Most kills" + "RedMan" + "25", "Best ratio" + "Bob" + "3.3",
                     "Highest score" + "Bob" + "55", "Most suicides" + "Bob" + "4",
                     "Most team kills" + MARKUP + "3"], "awards " + repr(awards))
    award_links = [a.attrs["href"] for a in dom.all(lambda n: "player" in n.classes()
                                                     and n.parent.tag == "div")]
    check(award_links[0] == LINKS["RedMan"], "award link " + repr(award_links))


def award_texts(players):
    server = dict(make_fixtures.MAIN, players=players)
    dom = render("kilnbook.xsl", make_fixtures.main_document(server, b"SCORE"))
    return [a.text() for a in dom.all(lambda n: "award" in n.classes())]


def check_awards():
    Player = make_fixtures.Player
    # The table's own records never win, whatever their counts.
    own = [Player(b"Player", kills=99, deaths=1, teamkills=40, suicides=50, score=999),
           Player(b"world_entity", kills=80, plain=b"")]
    tied = [Player(b"Al", kills=5, deaths=1, suicides=2, score=10),
            Player(b"Bo", kills=5, deaths=1, suicides=2, score=12),
            Player(b"Cy", kills=5, deaths=1, score=12)]
    # Ties go to the higher tie count (score for kills, kills for the
    # rest), then to the first by name.
    check(award_texts(own + tied) == ["Most killsBo5", "Best ratioAl5.0", "Highest scoreBo12",
                                      "Most suicidesAl2", "Most team killsnobody yet"],
          "tied awards " + repr(award_texts(own + tied)))
    nobody = ["%snobody yet" % title for title in
              ("Most kills", "Best ratio", "Highest score", "Most suicides", "Most team kills")]
    check(award_texts(own) == nobody, "awards of the table's own " + repr(award_texts(own)))


def check_name_markup():
    main = fixture("server1", "main.xml").decode("utf-8")
    for markup, text, runs in NAMES:
        document = re.sub(r"<HTMLNAME>.*</HTMLNAME>", lambda m: "<HTMLNAME>" + markup +
                          "</HTMLNAME>", main, count=1)
        dom = render("kilnbook.xsl", with_sort(document.encode(), "NONE"))
        name = next(rows(dom)[0].all(lambda n: "pn" in n.classes()))
        check(name.text() == text, "%r shown as %r, want %r" % (markup, name.text(), text))
        coloured = [(s.attrs["style"][len("color:"):], s.text())
                    for s in name.all(lambda n: "style" in n.attrs)]
        check(coloured == runs, "%r coloured %r, want %r" % (markup, coloured, runs))
        check(all(n.tag == "span" for n in name.all(lambda n: True)),
              "%r made elements other than spans" % markup)


def panel(dom, ident):
    section = next(dom.all(lambda n: n.attrs.get("id") == ident))
    return [(item.children[0].text(), item.children[-1].text())
            for item in section.all(lambda n: n.tag == "li")]


def check_player_page():
    dom = render("kilnbook_player.xsl", fixture("server1", "player4.xml"))
    check(next(dom.all(lambda n: n.tag == "h1")).text() == "RedMan", "player heading")
    check(panel(dom, "killweapons") == [("MP40", "20"), ("Grenade", "3"),
                                        ("Unknown weapon (code 9)", "2")], "kill weapons")
    check(panel(dom, "deathweapons") == [("Thompson", "8"), ("Lava", "2")], "death weapons")
    check(panel(dom, "killers") == [("Bob", "8"), ("the world", "2")], "killers")
    check(panel(dom, "victims")[1] == (MARKUP, "8"), "markup victim")
    check(panel(dom, "teams") == [("Allies", "3"), ("Axis", "1")], "teams")
    check(panel(dom, "models")[0] == ("Blue Soldier (Allies)", "3"), "models")
    widths = [n.attrs["style"] for n in dom.all(lambda n: "fill" in n.classes())][:3]
    check(widths == ["width:100%", "width:15%", "width:10%"], "bars " + repr(widths))
    back = next(dom.all(lambda n: n.attrs.get("id") == "back"))
    check(back.attrs["href"] == "../kilnbook.html", "back link")
    other = render("kilnbook_player.xsl", fixture("server1", "player5.xml"))
    check(("Unknown weapon (code -1022)", "1") in panel(other, "killweapons"), "code -1022")
    check(("Grenade splash", "2") in panel(other, "suicideweapons"), "suicide weapons")
    check(("Unknown team", "1") in panel(other, "teams"), "unknown team")
    world = render("kilnbook_player.xsl", fixture("server1", "player7.xml"))
    check(next(world.all(lambda n: n.tag == "h1")).text() == "world_entity", "world heading")
    check(panel(world, "deathweapons") == [], "empty panel")


def check_front_page():
    dom = render("kilnbook_front.xsl", fixture("front.xml"))
    table = next(dom.all(lambda n: n.attrs.get("id") == "servers"))
    links = [(a.text(), a.attrs["href"]) for a in table.all(lambda n: n.tag == "a")]
    check(links == [("Fish & Chips #2", "./Fish%20%26amp%3B%20Chips%20%232/kilnbook.html"),
                    ("Main", "./Main/kilnbook.html")], "server links %r" % links)
    nested = fixture("front.xml").replace(b"<SERVERNAME>Main<",
                                          "<SERVERNAME>a/b c:/é\t<".encode())
    hrefs = [a.attrs["href"] for a in render("kilnbook_front.xsl", nested).all(
        lambda n: n.tag == "a" and n.parent.tag == "td")]
    check(hrefs[1] == "./a/b%20c%3A/%C3%A9%09/kilnbook.html", "nested server " + hrefs[1])
    cards = [c.text() for c in dom.all(lambda n: "card" in n.classes())]
    check(cards == ["Games6", "Kills52", "Team kills4", "Players listed8"], repr(cards))
    empty = re.sub(rb"<SERVERS>.*</SERVERS>", b"<SERVERS>\n</SERVERS>",
                   fixture("front.xml"), flags=re.S)
    check("No server yet." in render("kilnbook_front.xsl", empty).text(), "empty front")


def check_shared_parts():
    main, front, player = "kilnbook.xsl", "kilnbook_front.xsl", "kilnbook_player.xsl"
    ladder, maps = "kilnbook_ladder.xsl", "kilnbook_maps.xsl"
    games, game = "kilnbook_games.xsl", "kilnbook_game.xsl"
    texts = {}
    for name in (main, front, player, ladder, maps, games, game):
        with open(os.path.join(STYLES, name), encoding="utf-8") as f:
            texts[name] = f.read()
    for part, names in (("urls", (main, front)),
                        ("names", (main, player, ladder, games, game)),
                        ("player links", (main, ladder)),
                        ("server pages", (main, ladder, maps, games)),
                        ("chart", (main, front)),
                        ("footer", (main, front, ladder, maps, games)),
                        ("style", (main, front, player, ladder, maps, games, game)),
                        ("more style", (main, front, player, ladder, maps, games, game)),
                        ("game parts", (games, game))):
        pattern = r"<!-- ==== %s:.*?<!-- ==== end %s ==== -->" % (part, part)
        blocks = {re.search(pattern, texts[n], re.S).group(0) for n in names}
        check(len(blocks) == 1, "the %s part differs between %r" % (part, names))
    # The program reads a stylesheet's first 64000 bytes at most.
    for name, text in texts.items():
        check(len(text.encode("utf-8")) <= 64000, name + " is longer than 64000 bytes")


# SHA-256 (first 16 hex digits) of the pages the fixtures without the
# extension blocks give, as they were before the extended statistics existed:
# an installation that does not turn them on must see the same pages. Change
# them only when a page is meant to change (the failure prints the new ones).
UNCHANGED_PAGES = {
    ("kilnbook_front.xsl", "front.xml"): "92aaea6e10e7ce18",
    ("kilnbook.xsl", "server1/main.xml"): "3fb25df5550e6c5a",
    ("kilnbook.xsl", "server2/main.xml"): "6829aea3d963e5e9",
    ("kilnbook_player.xsl", "server1/player1.xml"): "466c0e1ab914b9b6",
    ("kilnbook_player.xsl", "server1/player2.xml"): "fa904f57355188e4",
    ("kilnbook_player.xsl", "server1/player3.xml"): "9026def7b3769a59",
    ("kilnbook_player.xsl", "server1/player4.xml"): "77c0320fb54d3398",
    ("kilnbook_player.xsl", "server1/player5.xml"): "fa8700d18daf7392",
    ("kilnbook_player.xsl", "server1/player6.xml"): "84f1034697d85f23",
    ("kilnbook_player.xsl", "server1/player7.xml"): "04f6bd69a667024d",
    ("kilnbook_player.xsl", "server2/player1.xml"): "f14d5833d071d58e",
}


def check_unchanged_pages():
    for (stylesheet, document), digest in UNCHANGED_PAGES.items():
        page = render_text(stylesheet, fixture(*document.split("/"))).encode("utf-8")
        got = hashlib.sha256(page).hexdigest()[:16]
        check(got == digest, "%s on %s: page %s, was %s" % (stylesheet, document, got, digest))


def cells(tr):
    return [td.text() for td in tr.children if isinstance(td, Node) and td.tag == "td"]


def table_rows(dom, ident):
    table = next(dom.all(lambda n: n.attrs.get("id") == ident))
    return [tr for tr in table.all(lambda n: n.tag == "tr" and n.parent.tag == "tbody")]


def row_name(tr):
    return next(tr.all(lambda n: "pn" in n.classes())).text()


# (rating, last seen) of the extended fixture's first server.
EXTENDED = {"Bob": ("1102", "2026-12-07"), "RedMan": ("1043", "2026-12-05"),
            MARKUP: ("987", "2026-10-23"), "100% #1 ?: a/b": ("955", "2026-11-06"),
            "ZoëBlue": ("1102", "2026-12-04"), "world_entity": ("1000", "–"),
            ":colon^0": ("1000", "2026-11-07")}


def check_extended_main():
    plain = render("kilnbook.xsl", fixture("server1", "main.xml"))
    dom = render("kilnbook.xsl", fixture("extended", "server1", "main.xml"))
    header = [th.text() for th in next(dom.all(lambda n: n.attrs.get("id") == "players"))
              .all(lambda n: n.tag == "th")]
    check(header[-2:] == ["Rating", "Last seen"], "extended header " + repr(header))
    shown = {row_name(tr): tuple(cells(tr)[-2:]) for tr in rows(dom)}
    check(shown == EXTENDED, "rating and last seen " + repr(shown))
    # Everything else of the table stays as it is without the blocks.
    check([cells(tr)[:-2] for tr in rows(dom)] == [cells(tr) for tr in rows(plain)],
          "the extension changed the other columns")
    tabs = next(dom.all(lambda n: "tabs" in n.classes()))
    links = [(a.text(), a.attrs.get("href")) for a in tabs.children if isinstance(a, Node)]
    check(links == [("Players", None), ("Rating ladder", "./kilnbook_ladder.html"),
                    ("Maps", "./kilnbook_maps.html"),
                    ("Games", "./kilnbook_games.html")], "server tabs " + repr(links))
    rating = [a.attrs["href"] for a in dom.all(lambda n: n.tag == "a" and n.text() == "Rating")]
    check(rating == ["./kilnbook_ladder.html"], "rating header link " + repr(rating))
    check(len(list(dom.all(lambda n: n.tag == "style"))) == 2, "the extension's style is missing")
    for stylesheet in ("kilnbook.xsl", "kilnbook_player.xsl", "kilnbook_front.xsl"):
        document = fixture("server1", "player4.xml") if "player" in stylesheet else (
            fixture("front.xml") if "front" in stylesheet else fixture("server1", "main.xml"))
        page = render_text(stylesheet, document)
        for mark in ("<svg", "kilnbook_ladder", "idle", "Rating", "tabs"):
            check(mark not in page, "%s shows %r without the blocks" % (stylesheet, mark))


def check_hiding():
    document = fixture("extended", "server1", "main.xml")
    # inactiveDays -> players hidden: more than that many days since last
    # seen; never seen is not known to be inactive.
    for days, hidden in ((None, {MARKUP, "100% #1 ?: a/b"}),
                         ("2", {MARKUP, "100% #1 ?: a/b", ":colon^0", "ZoëBlue"}),
                         ("", set())):
        params = () if days is None else (("inactiveDays", days),)
        dom = render("kilnbook.xsl", document, params)
        idle = {row_name(tr) for tr in rows(dom) if "idle" in tr.classes()}
        check(idle == hidden, "inactiveDays %r hides %r, want %r" % (days, idle, hidden))
        check(len(rows(dom)) == 7, "hidden rows must stay in the table")
        toggle = next(dom.all(lambda n: n.attrs.get("id") == "show-idle"), None)
        if not hidden:
            check(toggle is None, "a toggle without inactive players")
            continue
        if not check(toggle is not None, "no toggle for inactiveDays %r" % days):
            continue
        # The style sheet reaches the rows from the unticked box, so the box
        # must precede the table as its sibling.
        siblings = [n for n in toggle.parent.children if isinstance(n, Node)]
        wrap = next(n for n in siblings if "table-wrap" in n.classes())
        check(toggle.attrs.get("type") == "checkbox"
              and siblings.index(toggle) < siblings.index(wrap), "toggle placement")
        label = next(dom.all(lambda n: n.tag == "label" and n.attrs.get("for") == "show-idle"))
        want = "Show the %d players not seen for more than %s days" % (len(hidden), days or "30")
        check(label.text() == want, "toggle label %r" % label.text())
        style = "".join(n.text() for n in dom.all(lambda n: n.tag == "style"))
        check(".idle-toggle:not(:checked) ~ .table-wrap tr.idle { display: none; }" in style,
              "no rule hides the inactive rows")


def ladder_rows(dom, ident):
    return [[row_name(tr)] + cells(tr)[2:] for tr in table_rows(dom, ident)]


def check_ladder():
    document = fixture("extended", "server1", "main.xml")
    dom = render("kilnbook_ladder.xsl", document)
    # Rating first, then kills (Bob and Zoë tie), then name; the world has
    # no game and is no contender.
    check(ladder_rows(dom, "ladder") == [
        ["Bob", "1102", "9", "10", "3.3", "2026-12-07", "mp_beach"],
        ["ZoëBlue", "1102", "2", "1", "0.5", "2026-12-04", "mp_beach"],
        ["RedMan", "1043", "12", "25", "2.5", "2026-12-05", "mp_beach"],
        [":colon^0", "1000", "1", "0", "0.0", "2026-11-07", "–"]],
        "ladder " + repr(ladder_rows(dom, "ladder")))
    check(ladder_rows(dom, "ladder-inactive") == [
        [MARKUP, "987", "4", "7", "0.7", "2026-10-23", "te&st"],
        ["100% #1 ?: a/b", "955", "3", "3", "0.4", "2026-11-06", "mp_depot"]],
        "inactive ladder " + repr(ladder_rows(dom, "ladder-inactive")))
    check([cells(tr)[0] for tr in table_rows(dom, "ladder")] == ["1", "2", "3", "4"], "ranks")
    hrefs = {row_name(tr): next(tr.all(lambda n: n.tag == "a")).attrs["href"]
             for tr in table_rows(dom, "ladder") + table_rows(dom, "ladder-inactive")}
    check(all(hrefs[name] == LINKS[name] for name in hrefs if name in LINKS), repr(hrefs))
    check([c.text() for c in dom.all(lambda n: "card" in n.classes())] ==
          ["On the ladder4", "Top rating1102", "Average rating1062", "Inactive2"], "ladder cards")
    everyone = render("kilnbook_ladder.xsl", document, (("inactiveDays", ""),))
    check([r[0] for r in ladder_rows(everyone, "ladder")] ==
          ["Bob", "ZoëBlue", "RedMan", ":colon^0", MARKUP, "100% #1 ?: a/b"]
          and not any(everyone.all(lambda n: n.tag == "details")), "ladder without hiding")
    Player = make_fixtures.Player
    seen = (b"2026-12-07 09:05", b"2026-12-07 09:05", 0)
    own = [Player(b"Player", kills=9, games=3, rating=1500, seen=seen),
           Player(b"world_entity", kills=5, plain=b"", games=2, rating=1400, seen=seen),
           Player(b"Old", kills=3, rating=1000), Player(b"New", kills=1, games=1, seen=seen)]
    server = dict(make_fixtures.MAIN, players=own)
    dom = render("kilnbook_ladder.xsl", make_fixtures.main_document(server, b"NONE", True))
    check([r[0] for r in ladder_rows(dom, "ladder")] == ["New"], "the table's own on the ladder")
    check("(1 without one yet)" in next(dom.all(lambda n: "rules" in n.classes())).text(),
          "players without a game are not counted")


def check_maps_page():
    dom = render("kilnbook_maps.xsl", fixture("extended", "server1", "main.xml"))
    shown = [cells(tr) for tr in table_rows(dom, "maps")]
    check(shown == [["1", "mp_depot", "3", "43%", "20", "6.7", "1 : 2", "", "1"],
                    ["2", "mp_beach", "2", "29%", "25", "12.5", "2 : 0", "", "3"],
                    ["3", "te&st", "1", "14%", "5", "5.0", "0 : 0", "", "1"],
                    ["4", "no name", "1", "14%", "0", "0.0", "0 : 0", "", ""]], "maps " + repr(shown))
    bars = [[s.attrs["style"] for s in tr.all(lambda n: n.parent.attrs.get("class") == "split")]
            for tr in table_rows(dom, "maps")]
    check(bars == [["width:33%", "width:67%"], ["width:100%", "width:0%"], [], []],
          "win bars " + repr(bars))
    most = next(dom.all(lambda n: n.attrs.get("id") == "most-played")).text()
    check(most == "Most playedmp_depot3 of 7 games", "most played " + repr(most))
    # Equal games: the one with more kills leads the table and the card.
    tied = dict(make_fixtures.MAIN, maps=[(b"a", 2, 5, 1, 0), (b"b", 2, 9, 0, 1)])
    dom = render("kilnbook_maps.xsl", make_fixtures.main_document(tied, b"NONE", True))
    check([cells(tr)[1] for tr in table_rows(dom, "maps")] == ["b", "a"]
          and "Most playedb" in next(dom.all(lambda n: n.attrs.get("id") == "most-played")).text(),
          "tied maps")
    none = dict(make_fixtures.MAIN, maps=[])
    page = render("kilnbook_maps.xsl", make_fixtures.main_document(none, b"NONE", True)).text()
    check("No map played yet." in page and "Most played" not in page, "no maps")


def history_days(server, count):
    days = []
    for back in range(count - 1, -1, -1):
        date = (make_fixtures.RUN_DAY - make_fixtures.datetime.timedelta(days=back)).isoformat()
        days.append((date,) + server.get("days", {}).get(back, (0, 0, 0)))
    return days


def check_chart(svg, days, where):
    """The bars of svg against days of (date, games, kills, players)."""
    check(svg.attrs.get("viewbox") == "0 0 %d 100" % (10 * len(days)),
          "%s: viewBox %r" % (where, svg.attrs.get("viewbox")))
    most = max(day[3] for day in days)
    want = []
    for index, (date, games, kills, players) in enumerate(days):
        height = math.ceil(96 * players / most) if players else 0
        want.append((str(10 * index + 1), str(100 - height), str(height),
                     "%s: players %d, games %d, kills %d" % (date, players, games, kills)))
    got = [(r.attrs["x"], r.attrs["y"], r.attrs["height"], r.text())
           for r in svg.all(lambda n: n.tag == "rect")]
    check(got == want, "%s: bars %r" % (where, [g for g, w in zip(got, want) if g != w][:3]))
    check(svg.attrs.get("role") == "img" and all(
        any(svg.all(lambda n, i=i: n.attrs.get("id") == i))
        for i in svg.attrs.get("aria-labelledby", "").split()), where + ": no accessible name")


def check_history_charts():
    days = history_days(make_fixtures.MAIN, 90)
    dom = render("kilnbook.xsl", fixture("extended", "server1", "main.xml"))
    svg = next(dom.all(lambda n: n.tag == "svg"))
    check_chart(svg, days, "main page")
    desc = next(svg.all(lambda n: n.tag == "desc")).text()
    check(desc == "From 2026-09-09 to 2026-12-07: 8 games, 90 kills; at most 7 players a day "
          "(2026-11-27).", "chart summary " + repr(desc))
    fallback = [tuple(cells(tr)) for tr in dom.all(
        lambda n: n.tag == "tr" and n.parent.tag == "tbody" and n.parent.parent.parent.parent.tag
        == "details")]
    check(fallback == [(d, str(g), str(k), str(p)) for d, g, k, p in days if g or p],
          "chart table " + repr(fallback))
    shorter = render("kilnbook.xsl", fixture("extended", "server1", "main.xml"),
                     (("historyDays", "30"),))
    check_chart(next(shorter.all(lambda n: n.tag == "svg")), days[-30:], "main page, 30 days")
    front = render("kilnbook_front.xsl", fixture("extended", "front.xml"))
    svgs = list(front.all(lambda n: n.tag == "svg"))
    if check(len(svgs) == 2, "front page: %d charts" % len(svgs)):
        # Servers in name order: "Fish & Chips #2" has no game in its days.
        check([r.attrs["height"] for r in svgs[0].all(lambda n: n.tag == "rect")] == ["0"] * 30,
              "front page: empty history")
        check_chart(svgs[1], days[-30:], "front page")
    boxes = [b.text() for b in front.all(lambda n: "chart-axis" in n.classes())]
    check(boxes == ["2026-11-08no games2026-12-07", "2026-11-08highest bar: 7 players2026-12-07"],
          "front chart captions " + repr(boxes))
    links = [a.attrs["href"] for a in front.all(lambda n: n.tag == "a" and n.parent.tag == "span")]
    check(links == ["./Fish%20%26amp%3B%20Chips%20%232/kilnbook_ladder.html",
                    "./Fish%20%26amp%3B%20Chips%20%232/kilnbook_maps.html",
                    "./Fish%20%26amp%3B%20Chips%20%232/kilnbook_games.html",
                    "./Main/kilnbook_ladder.html", "./Main/kilnbook_maps.html",
                    "./Main/kilnbook_games.html", "./Main/kilngames/7.html"],
          "front page server links " + repr(links))


def check_extended_player():
    def activity(dom):
        section = next(dom.all(lambda n: n.attrs.get("id") == "activity"))
        return [c.text() for c in section.all(lambda n: "card" in n.classes())]

    def maps(dom):
        return [cells(tr) for tr in table_rows(dom, "maps")]

    dom = render("kilnbook_player.xsl", fixture("extended", "server1", "player4.xml"))
    check(activity(dom) == ["Rating1043", "Games12", "Time played5 h 33 min",
                            "First seen2026-10-01 20:15", "Last seen2026-12-05 21:40",
                            "Favourite mapmp_beach"], "activity " + repr(activity(dom)))
    check(maps(dom) == [["mp_beach", "7", "15", "6", "2.5"], ["mp_depot", "5", "10", "4", "2.5"]],
          "player maps " + repr(maps(dom)))
    crumbs = [a.attrs["href"] for a in next(dom.all(lambda n: "crumbs" in n.classes()))
              .all(lambda n: n.tag == "a")]
    check(crumbs == ["../kilnbook.html", "../kilnbook_ladder.html", "../kilnbook_maps.html",
                     "../kilnbook_games.html"],
          "player crumbs " + repr(crumbs))
    plain = render("kilnbook_player.xsl", fixture("server1", "player4.xml"))
    for ident in ("victims", "killers", "teamkills", "killweapons", "deathweapons", "teams"):
        check(panel(dom, ident) == panel(plain, ident), "the extension changed " + ident)
    bob = render("kilnbook_player.xsl", fixture("extended", "server1", "player2.xml"))
    check("Time played59 min" in activity(bob), "under an hour " + repr(activity(bob)))
    check([m[0] for m in maps(bob)] == ["mp_beach", "mp_depot"], "tied maps keep name order")
    colon = render("kilnbook_player.xsl", fixture("extended", "server1", "player1.xml"))
    check(maps(colon) == [["no name", "1", "0", "0", "0.0"]], "unnamed map " + repr(maps(colon)))
    bests = [c.text() for c in next(dom.all(lambda n: n.attrs.get("id") == "bests")).all(
        lambda n: "card" in n.classes())]
    check(bests == ["Most kills in a game14game #2", "Longest spree6game #7"], "bests " + repr(bests))
    games = [cells(tr) for tr in table_rows(dom, "games")]
    check(games == [["#7 2026-12-07 09:05", "mp_beach", "Axis", "Won", "9", "3", "+12"],
                    ["#5 2026-12-05 21:40", "te&st", "Allies", "Lost", "2", "5", "-7"]],
          "last games " + repr(games))
    hrefs = [a.attrs["href"] for a in dom.all(lambda n: n.tag == "a" and "kilngames" in n.attrs["href"])]
    check(hrefs == ["../kilngames/7.html", "../kilngames/7.html", "../kilngames/5.html"],
          "game links of the player page (a dropped game has none) " + repr(hrefs))
    check(not next(bob.all(lambda n: n.attrs.get("id") == "games"), None), "no games, no table")
    # A team-kill victim with colour codes shows its colours, as markup
    # never: only with the extended document's HTMLNAME.
    coloured = fixture("extended", "server1", "player4.xml").replace(
        b"<HTMLNAME>Bob</HTMLNAME>",
        b'<HTMLNAME>&lt;FONT COLOR="#00A833"&gt;Bo&lt;/FONT&gt;b&lt;i&gt;</HTMLNAME>')
    tk = panel(render("kilnbook_player.xsl", coloured), "teamkills")
    check(tk == [("Bob<i>", "1")], "coloured team-kill victim " + repr(tk))
    green = [s for s in render("kilnbook_player.xsl", coloured).all(
        lambda n: n.tag == "span" and "#00A833" in n.attrs.get("style", ""))]
    check([s.text() for s in green] == ["Bo"], "team-kill victim colours")
    world = render("kilnbook_player.xsl", fixture("extended", "server1", "player7.xml"))
    check(activity(world)[2:5] == ["Time played0 min", "First seen–", "Last seen–"],
          "never seen " + repr(activity(world)))


def check_games_pages():
    dom = render("kilnbook_games.xsl", fixture("extended", "server1", "games.xml"))
    rows = [cells(tr) for tr in table_rows(dom, "games")]
    heads = [[c.text() for c in tr.all(lambda n: n.tag == "th")]
             for tr in next(dom.all(lambda n: n.attrs.get("id") == "games")).all(
                 lambda n: n.tag == "tr" and n.parent.tag == "tbody")]
    check(heads == [["#7"], ["#6"], ["#5"]], "games order " + repr(heads))
    check(rows == [["2026-12-07 09:05", "mp_beach", "12:05", "3 : 1", "Axis", "5", "RedMan"],
                   ["2026-12-07 09:05", "no name", "1:01", "–", "no result", "1", ":colon^0"],
                   ["2026-12-05 21:40", "te&st", "10:00", "0 : 2", "Allies", "4", MARKUP]],
          "games rows " + repr(rows))
    links = [a.attrs["href"] for a in dom.all(lambda n: n.tag == "a")]
    check([h for h in links if "kilngames" in h] ==
          ["./kilngames/7.html", "./kilngames/6.html", "./kilngames/5.html",
           "./kilngames/7.html", "./kilngames/7.html"],
          "game links (a record of a dropped game has none) " + repr(links))
    kills = next(dom.all(lambda n: n.attrs.get("id") == "record-kills"))
    check([li.text() for li in kills.all(lambda n: n.tag == "li")] ==
          ["RedMan game #214", MARKUP + " game #712"], "kill records")
    check("None yet" in next(dom.all(lambda n: n.attrs.get("id") == "record-multikills")).text(),
          "no multi-kill record")
    check("<FONT" not in dom.text(), "games page shows raw markup")

    game = render("kilnbook_game.xsl", fixture("extended", "server1", "game7.xml"))
    boards = {t: [cells(tr) for tr in table_rows(game, t)]
              for t in ("team-axis", "team-allies", "team-unknown-team")}
    check(boards["team-axis"] == [
        ["1", "20", "9", "3", "0", "1", "6", "2", "1043 +12", "MP40", "12:00"],
        ["2", "–", "1", "4", "1", "0", "1", "1", "955 −5", "–", "5:00"]],
        "axis board " + repr(boards["team-axis"]))
    check([r[1] for r in boards["team-allies"]] == ["5", "5"] and
          boards["team-allies"][1][8] == "1102 −4", "allies board " + repr(boards["team-allies"]))
    check(boards["team-unknown-team"][0][8] == "1008 ±0", "other team " + repr(boards))
    names_shown = [th.text() for th in game.all(lambda n: n.tag == "th" and n.attrs.get("scope") == "row")]
    check(names_shown == ["RedMan", "100% #1 ?: a/b", MARKUP, "Bob", "Cod"],
          "scoreboard names " + repr(names_shown))
    cards = [c.text() for c in game.all(lambda n: "card" in n.classes())]
    check(cards == ["Score3 : 1Axis : Allies", "WinnerAxis", "Length12:05", "Players5",
                    "Top playerRedMan", "First bloodRedMankilled " + MARKUP + " at 0:12"],
          "game cards " + repr(cards))
    weapons = [li.text() for li in game.all(lambda n: n.tag == "li")]
    check(weapons == ["MP405", "Thompson3", "Weapon 991"], "game weapons " + repr(weapons))
    check([a.attrs["href"] for a in game.all(lambda n: n.tag == "a")] ==
          ["../kilnbook_games.html", "../kilnbook.html"], "game page links")
    red = [s.attrs.get("style") for s in game.all(lambda n: n.tag == "span" and n.text() == "Red")]
    check(red and all("#FF0000" in (st or "") for st in red), "game names lose their colours")
    check("<FONT" not in game.text(), "game page shows raw markup")


def main():
    global FIXTURES
    if shutil.which("xsltproc") is None:
        print("xsltproc is missing: scripts/test.sh installs it")
        return 1 if os.environ.get("CI") else 77
    FIXTURES = tempfile.mkdtemp(prefix="kilnbook_fixtures_")
    try:
        subprocess.run([sys.executable, os.path.join(HERE, "make_fixtures.py"), FIXTURES],
                       check=True)
        return run_checks()
    finally:
        shutil.rmtree(FIXTURES, ignore_errors=True)


def run_checks():
    for test in (check_sort_orders, check_player_links, check_awards, check_name_markup,
                 check_player_page, check_front_page, check_shared_parts,
                 check_unchanged_pages, check_extended_main, check_hiding, check_ladder,
                 check_maps_page, check_history_charts, check_extended_player,
                 check_games_pages):
        before = len(failures)
        try:
            test()
        except Exception as error:  # a missing element fails the test, not the run
            failures.append("%s: %r" % (test.__name__, error))
        print("%s %s" % ("ok  " if len(failures) == before else "FAIL", test.__name__))
    for failure in failures:
        print("FAIL: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
