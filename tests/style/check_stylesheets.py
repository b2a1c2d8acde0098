#!/usr/bin/env python3
"""Renders the fixture documents with xsltproc and checks the pages' content.

Usage: check_stylesheets.py

Checks what the browser test cannot see from a real run: the exact row order
of all six sort orders, the exact player links for names full of URL
characters, the awards and their ties, the colour markup (and that nothing
else becomes markup), weapon and team names, and that the parts the three
stylesheets share are equal.
Exits 77 (skipped) when xsltproc is not installed, unless CI is set.
"""
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


def render(stylesheet, document):
    result = subprocess.run(["xsltproc", "--nonet", os.path.join(STYLES, stylesheet), "-"],
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
    texts = {}
    for name in ("kilnbook.xsl", "kilnbook_front.xsl", "kilnbook_player.xsl"):
        with open(os.path.join(STYLES, name), encoding="utf-8") as f:
            texts[name] = f.read()
    for part, names in (("urls", ("kilnbook.xsl", "kilnbook_front.xsl")),
                        ("names", ("kilnbook.xsl", "kilnbook_player.xsl")),
                        ("footer", ("kilnbook.xsl", "kilnbook_front.xsl")),
                        ("style", ("kilnbook.xsl", "kilnbook_front.xsl",
                                   "kilnbook_player.xsl"))):
        pattern = r"<!-- ==== %s:.*?<!-- ==== end %s ==== -->" % (part, part)
        blocks = {re.search(pattern, texts[n], re.S).group(0) for n in names}
        check(len(blocks) == 1, "the %s part differs between %r" % (part, names))


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
                 check_player_page, check_front_page, check_shared_parts):
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
