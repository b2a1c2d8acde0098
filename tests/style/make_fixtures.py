#!/usr/bin/env python3
"""Writes the hand-checked XML documents the stylesheet tests render.

The documents are laid out line for line as the program writes them (tabs,
element order, the weapon catalogue, text inserted as the model holds it), so
the stylesheets are developed against what they will really receive.
check_stylesheets.py runs it into a temporary directory every time.

The same documents are also written as the program writes them with
EXTENDED_STATS on (below "extended/"): each PLAYER with its ACTIVITY,
RATING and FAVOURITEMAP, the player documents with their MAPS, the main
documents with the server's MAPS and HISTORY, the front document with a
HISTORY per server.

Usage: make_fixtures.py OUTPUT_DIR
"""
import datetime
import math
import os
import struct
import sys

CATALOGUE = [
    (0, "MOD_UNKNOWN", "Unknown weapon"), (3, "MOD_MACHINEGUN", "Machinegun"),
    (4, "MOD_GRENADE", "Grenade"), (5, "MOD_GRENADE_SPLASH", "Grenade splash"),
    (6, "MOD_ROCKET", "Rocket"), (7, "MOD_ROCKET_SPLASH", "Rocket splash"),
    (12, "MOD_KNIFE", "Knife"), (14, "MOD_KNIFE_STEALTH", "Knife stealth"),
    (15, "MOD_LUGER", "Luger"), (16, "MOD_COLT", "Colt"), (17, "MOD_MP40", "MP40"),
    (18, "MOD_THOMPSON", "Thompson"), (19, "MOD_STEN", "Sten"),
    (20, "MOD_MAUSER", "Mauser"), (21, "MOD_SNIPERRIFLE", "Sniperrifle"),
    (32, "MOD_VENOM", "Venom"), (34, "MOD_FLAMETHROWER", "Flamethrower"),
    (40, "MOD_MORTAR", "Mortar"), (41, "MOD_MORTAR_SPLASH", "Mortar splash"),
    (45, "MOD_SLIME", "Slime"), (46, "MOD_LAVA", "Lava"),
    (54, "MOD_EXPLOSIVE", "Explosive"), (55, "MOD_POISONGAS", "Poison gas"),
    (56, "MOD_ZOMBIESPIT", "Zombie spit"), (58, "MOD_ZOMBIESPIRIT", "Zombie spirit"),
]
COLOURS = {"1": "#FF0000", "2": "#00A833", "3": "#FFFF00", "4": "#0A00E8",
           "5": "#00C8C8", "6": "#FFA0A0", "7": "#FFFFFF", "8": "#000000",
           "9": "#FF0000"}
TEAMS = {"multi_axis": "Axis", "multi": "Allies"}
MODELS = {
    "blueengineer1": "Blue Engineer (Allies)", "redengineer1": "Red Engineer (Axis)",
    "bluesoldier1": "Blue Soldier (Allies)", "redsoldier1": "Red Soldier (Axis)",
    "bluelieutenant1": "Blue Lieutenant (Allies)",
    "redlieutenant1": "Red Lieutenant (Axis)",
    "bluemedic1": "Blue Medic (Allies)", "redmedic1": "Red Medic (Axis)",
}


def clean(raw):
    out = bytearray()
    for b in raw:
        if b in b"<>*\xb4`|'" or b in (0x12, 0x14, 0x1A):
            continue
        out += {0x26: b"&amp;", 0x22: b"&quot;"}.get(b, bytes([b]))
    return bytes(out)


def colorize(name, markup):
    out, pos, opened = bytearray(), 0, False
    while True:
        f = name.find(b"^", pos)
        if f < 0:
            out += name[pos:]
            break
        if f + 1 >= len(name) or name[f + 1] not in b"123456789":
            out += name[pos:f + 1]
            pos = f + 1
            continue
        out += name[pos:f]
        if markup:
            if opened:
                out += b"&lt;/FONT&gt;"
            out += b'&lt;FONT COLOR="' + COLOURS[chr(name[f + 1])].encode() + b'"&gt;'
        opened, pos = True, f + 2
    if markup and opened:
        out += b"&lt;/FONT&gt;"
    return bytes(out)


def trunc(value):
    if math.isnan(value):
        return 0
    if value >= 2**31 - 1:
        return 2**31 - 1
    if value <= -2**31:
        return -2**31
    return int(value)


class Player:
    def __init__(self, raw, kills=0, deaths=0, teamkills=0, suicides=0, ping=0,
                 score=0, targets=(), killers=(), tkvictims=(), killweapons=(),
                 deathweapons=(), suicideweapons=(), teams=(), models=(), plain=None,
                 seen=None, games=0, played=0, rating=1000, maps=()):
        self.name = clean(raw)
        self.plain = colorize(self.name, False) if plain is None else plain
        self.html = colorize(self.name, True) if plain is None else plain
        self.kills, self.deaths, self.teamkills = kills, deaths, teamkills
        self.suicides, self.ping, self.score = suicides, ping, score
        self.targets, self.killers, self.tkvictims = targets, killers, tkvictims
        self.killweapons, self.deathweapons = killweapons, deathweapons
        self.suicideweapons, self.teams, self.models = suicideweapons, teams, models
        # Extended statistics: seen is (first seen, last seen, days inactive)
        # or None for never; maps holds (name, games, kills, deaths).
        self.seen, self.games, self.played = seen, games, played
        self.rating, self.maps = rating, maps

    def favourite(self):
        best = None
        for entry in sorted(self.maps):
            if best is None or entry[1:3] > best[1:3]:
                best = entry
        return best[0] if best else b""

    def ratio(self):
        q = self.kills / (self.deaths if self.deaths else 1)
        return q * 10

    def rate(self):
        single = struct.unpack("f", struct.pack("f", float(self.score)))[0]
        return self.ratio() * (0.01 * single)


def line(tabs, text):
    return b"\t" * tabs + text + b"\n"


def element(tabs, tag, value):
    if isinstance(value, int):
        value = str(value).encode()
    return line(tabs, b"<" + tag + b">" + value + b"</" + tag + b">")


def weapons_section():
    out = line(0, b"<WEAPONS>") + line(1, b"<WEAPON_EXISTING>")
    for code, ident, fancy in CATALOGUE:
        out += line(2, b'<WEAPON ID="' + str(code).encode() + b'">')
        out += element(3, b"NAME", ident.encode())
        out += element(3, b"FANCYNAME", fancy.encode())
        out += line(2, b"</WEAPON>")
    return out + line(1, b"</WEAPON_EXISTING>") + line(0, b"</WEAPONS>")


def player_head(p, extended=False, days_inactive=True):
    out = line(0, b"<PLAYER>")
    out += element(1, b"NAME", p.name) + element(1, b"PLAINNAME", p.plain)
    out += element(1, b"HTMLNAME", p.html) + line(1, b"<STATS>")
    for tag, value in ((b"KILLS", p.kills), (b"DEATHS", p.deaths),
                       (b"TEAMKILLS", p.teamkills), (b"SUICIDES", p.suicides),
                       (b"PING", p.ping), (b"SCORE", p.score),
                       (b"RATE", trunc(p.rate())), (b"RATIO", trunc(p.ratio()))):
        out += element(2, tag, value)
    out += line(1, b"</STATS>")
    if extended:
        first, last, days = p.seen or (b"", b"", b"")
        out += line(1, b"<ACTIVITY>") + element(2, b"FIRSTSEEN", first)
        out += element(2, b"LASTSEEN", last)
        if days_inactive:
            out += element(2, b"DAYSINACTIVE", days)
        out += element(2, b"GAMES", p.games) + element(2, b"TIMEPLAYED", p.played)
        out += line(1, b"</ACTIVITY>") + element(1, b"RATING", p.rating)
        out += element(1, b"FAVOURITEMAP", p.favourite())
    return out


def player_detail(p, extended=False):
    out = player_head(p, extended, days_inactive=False)

    def tallies(block, item, entries, names=None):
        nonlocal out
        out += line(1, b"<" + block + b">")
        for key, times in sorted(entries):
            shown = names.get(key, None) if names is not None else None
            if names is not None and shown is None:
                shown = b"Unknown team" if names is TEAMS else b"Unknown model"
            elif shown is not None:
                shown = shown.encode()
            out += line(2, b"<" + item + b">")
            out += element(3, b"NAME", shown if names is not None else key)
            if extended and item == b"TEAMKILL":
                out += element(3, b"HTMLNAME", colorize(key, True))
            out += element(3, b"TIMES", times)
            out += line(2, b"</" + item + b">")
        out += line(1, b"</" + block + b">")

    def weapon_tallies(block, entries):
        nonlocal out
        out += line(1, b"<" + block + b">")
        for code, times in sorted(entries):
            out += line(2, b"<WEAPONS>") + element(3, b"WEAPON", code)
            out += element(3, b"TIMES", times) + line(2, b"</WEAPONS>")
        out += line(1, b"</" + block + b">")

    tallies(b"TARGETS", b"TARGET", p.targets)
    tallies(b"KILLERS", b"KILLER", p.killers)
    tallies(b"TEAMKILLS", b"TEAMKILL", p.tkvictims)
    weapon_tallies(b"KILLWEAPONS", p.killweapons)
    weapon_tallies(b"DEATHWEAPONS", p.deathweapons)
    weapon_tallies(b"SUICIDEWEAPONS", p.suicideweapons)
    tallies(b"TEAMS", b"TEAM", [(k.decode(), v) for k, v in p.teams], TEAMS)
    tallies(b"MODELS", b"MODEL", [(k.decode(), v) for k, v in p.models], MODELS)
    if extended:
        out += line(1, b"<MAPS>")
        for name, games, kills, deaths in sorted(p.maps):
            out += line(2, b"<MAP>") + element(3, b"NAME", name) + element(3, b"GAMES", games)
            out += element(3, b"KILLS", kills) + element(3, b"DEATHS", deaths)
            out += line(2, b"</MAP>")
        out += line(1, b"</MAPS>")
        out += last_games(p)
    return out + line(0, b"</PLAYER>")


# The main fixture's markup name (MARKUP below).
MARKUP_NAME = b'^3&lt;b&gt;Bold^7"Q&A"'


def names(tabs, raw):
    key = clean(raw)
    return (element(tabs, b"NAME", key) + element(tabs, b"PLAINNAME", colorize(key, False))
            + element(tabs, b"HTMLNAME", colorize(key, True)))


def figure(tabs, value, game, kept):
    return (element(tabs, b"VALUE", value) + element(tabs, b"GAME", game)
            + element(tabs, b"KEPT", 1 if kept else 0))


# The kept games of the first server, newest first: number, when, map,
# length, Axis score, Allies score, winner, players, top player.
GAMES = [
    (7, b"2026-12-07 09:05", b"mp_beach", 725, 3, 1, b"Axis", 5, b"^1Red^7Man"),
    (6, b"2026-12-07 09:05", b"", 61, None, None, b"", 1, b":colon^0"),
    (5, b"2026-12-05 21:40", b"te&amp;st", 600, 0, 2, b"Allies", 4, MARKUP_NAME),
]
# The players' last games: (game, team, result, kills, deaths, score, change).
LAST_GAMES = {b"^1Red^7Man": [(7, b"Axis", b"Won", 9, 3, b"20", 12),
                              (5, b"Allies", b"Lost", 2, 5, b"", -7)]}
BESTS = {b"^1Red^7Man": [(b"KILLS", 14, 2, False), (b"SPREE", 6, 7, True)]}


def summary(tabs, game):
    number, when, name, length, axis, allies, winner, count, top = game
    out = element(tabs, b"NUMBER", number) + element(tabs, b"WHEN", when)
    out += element(tabs, b"MAP", name) + element(tabs, b"LENGTH", length)
    out += element(tabs, b"AXISSCORE", b"" if axis is None else axis)
    out += element(tabs, b"ALLIESSCORE", b"" if allies is None else allies)
    out += element(tabs, b"WINNER", winner) + element(tabs, b"PLAYERS", count)
    return out + line(tabs, b"<TOPPLAYER>") + names(tabs + 1, top) + line(tabs, b"</TOPPLAYER>")


def last_games(p):
    out = line(1, b"<LASTGAMES>")
    for number, team, result, kills, deaths, score, change in LAST_GAMES.get(p.name, []):
        game = next(g for g in GAMES if g[0] == number)
        out += line(2, b"<GAME>") + element(3, b"NUMBER", number) + element(3, b"WHEN", game[1])
        out += element(3, b"MAP", game[2]) + element(3, b"TEAM", team)
        out += element(3, b"RESULT", result) + element(3, b"KILLS", kills)
        out += element(3, b"DEATHS", deaths) + element(3, b"SCORE", score)
        out += element(3, b"RATINGCHANGE", change) + line(2, b"</GAME>")
    out += line(1, b"</LASTGAMES>")
    if p.name in BESTS:
        out += line(1, b"<BESTS>")
        for tag, value, game, kept in BESTS[p.name]:
            out += line(2, b"<" + tag + b">") + figure(3, value, game, kept)
            out += line(2, b"</" + tag + b">")
        out += line(1, b"</BESTS>")
    return out


def games_document(server):
    out = line(0, b'<?xml version="1.0"?>') + line(0, b"<KILNBOOKS>") + info(server)
    out += line(0, b"<GAMES>")
    for game in GAMES:
        out += line(1, b"<GAME>") + summary(2, game) + line(1, b"</GAME>")
    out += line(0, b"</GAMES>") + line(0, b"<RECORDS>")
    records = {b"KILLS": [(14, 2, b"^1Red^7Man", False), (12, 7, MARKUP_NAME, True)],
               b"SPREES": [(6, 7, b"^1Red^7Man", True)], b"MULTIKILLS": []}
    for block in (b"KILLS", b"SPREES", b"MULTIKILLS"):
        out += line(1, b"<" + block + b">")
        for value, game, key, kept in records[block]:
            out += line(2, b"<RECORD>") + figure(3, value, game, kept) + names(3, key)
            out += line(2, b"</RECORD>")
        out += line(1, b"</" + block + b">")
    return out + line(0, b"</RECORDS>") + line(0, b"</KILNBOOKS>")


# Game 7's lines by team, in scoreboard order: key, score, kills, deaths,
# suicides, team kills, seconds, rating before, after, spree, multi, weapon.
GAME_TEAMS = [
    (b"Axis", b"3", [(b"^1Red^7Man", b"20", 9, 3, 0, 1, 720, 1031, 1043, 6, 2, b"MP40"),
                     (b"^2100% #1 ?: a/b", b"", 1, 4, 1, 0, 300, 960, 955, 1, 1, b"")]),
    (b"Allies", b"1", [(MARKUP_NAME, b"5", 3, 5, 0, 0, 700, 990, 987, 2, 1, b"Thompson"),
                       (b"Bob", b"5", 2, 4, 0, 0, 725, 1106, 1102, 1, 1, b"Colt")]),
    (b"Unknown team", b"", [(b"^5Cod", b"", 0, 0, 0, 0, 60, 1008, 1008, 0, 0, b"")]),
]


def game_document(server):
    out = line(0, b'<?xml version="1.0"?>') + line(0, b"<KILNBOOKS>")
    out += element(0, b"SERVERNAME", server["name"])
    out += line(0, b"<GAME>") + summary(1, GAMES[0]) + line(0, b"</GAME>")
    out += line(0, b"<FIRSTBLOOD>") + line(1, b"<KILLER>") + names(2, b"^1Red^7Man")
    out += line(1, b"</KILLER>") + line(1, b"<VICTIM>") + names(2, MARKUP_NAME)
    out += line(1, b"</VICTIM>") + element(1, b"TIME", 12) + line(0, b"</FIRSTBLOOD>")
    out += line(0, b"<TEAMS>")
    for team, score, players in GAME_TEAMS:
        out += line(1, b"<TEAM>") + element(2, b"NAME", team) + element(2, b"SCORE", score)
        for key, points, kills, deaths, suicides, tks, seconds, before, after, spree, multi, weapon in players:
            out += line(2, b"<PLAYER>") + names(3, key) + element(3, b"SCORE", points)
            for tag, value in ((b"KILLS", kills), (b"DEATHS", deaths), (b"SUICIDES", suicides),
                               (b"TEAMKILLS", tks), (b"TIMEPLAYED", seconds),
                               (b"RATINGBEFORE", before), (b"RATINGAFTER", after),
                               (b"RATINGCHANGE", after - before), (b"BESTSPREE", spree),
                               (b"BESTMULTIKILL", multi), (b"WEAPON", weapon)):
                out += element(3, tag, value)
            out += line(2, b"</PLAYER>")
        out += line(1, b"</TEAM>")
    out += line(0, b"</TEAMS>") + line(0, b"<GAMEWEAPONS>")
    for code, name, kills in ((17, b"MP40", 5), (18, b"Thompson", 3), (99, b"", 1)):
        out += line(1, b"<WEAPON>") + element(2, b"CODE", code) + element(2, b"NAME", name)
        out += element(2, b"KILLS", kills) + line(1, b"</WEAPON>")
    return out + line(0, b"</GAMEWEAPONS>") + line(0, b"</KILNBOOKS>")


def info(server):
    out = line(1, b"<INFO>")
    for tag, value in ((b"ADMIN_ICQ", b"123456789"), (b"ADMIN_NICK", b"Sarge"),
                       (b"ADMIN_MAIL", b"admin@example.org"),
                       (b"SERVER_ADDRESS", server["address"]),
                       (b"SERVER_NAME", server["name"]),
                       (b"HOMEPAGE", b"https://kilnbook.example.org/"),
                       (b"VERSION", b"0.7.0 (Linux)"),
                       (b"LAST_RUN", b"09:05 7/12-2026")):
        out += element(2, tag, value)
    out += line(1, b"</INFO>") + line(1, b"<RULES>")
    out += element(2, b"RULE_MINSCORE", 0) + element(2, b"RULE_MINKILLS", 0)
    return out + line(1, b"</RULES>")


def counters(server):
    out = b""
    for tag in (b"REDSCORE", b"BLUESCORE", b"REDWIN", b"BLUEWIN", b"CLIENTCONNECT",
                b"GAMESHUTDOWN", b"GAMEEXIT", b"GAMEINIT", b"KILLS", b"TEAMKILLS",
                b"PING"):
        out += element(2, tag, server[tag.decode().lower()])
    return out + element(2, b"TOTALPLAYERS", len(server["players"]))


def history(server, tabs):
    """The 90 days up to the run's day, oldest first, days without games as
    zeros; server["days"] maps days before the run's day to (games, kills,
    players)."""
    out = line(tabs, b"<HISTORY>")
    for back in range(HISTORY_DAYS - 1, -1, -1):
        games, kills, players = server.get("days", {}).get(back, (0, 0, 0))
        date = (RUN_DAY - datetime.timedelta(days=back)).isoformat().encode()
        out += line(tabs + 1, b"<DAY>") + element(tabs + 2, b"DATE", date)
        out += element(tabs + 2, b"GAMES", games) + element(tabs + 2, b"KILLS", kills)
        out += element(tabs + 2, b"PLAYERS", players) + line(tabs + 1, b"</DAY>")
    return out + line(tabs, b"</HISTORY>")


def server_maps(server):
    out = line(0, b"<MAPS>")
    for name, games, kills, axis, allies in sorted(server.get("maps", ())):
        out += line(1, b"<MAP>") + element(2, b"NAME", name) + element(2, b"GAMES", games)
        out += element(2, b"KILLS", kills) + element(2, b"AXISWINS", axis)
        out += element(2, b"ALLIESWINS", allies) + line(1, b"</MAP>")
    return out + line(0, b"</MAPS>")


def main_document(server, sort_by, extended=False):
    out = line(0, b'<?xml version="1.0"?>') + line(0, b"<KILNBOOKS>")
    out += element(1, b"SORT_BY", sort_by) + info(server)
    out += line(1, b"<SERVERSTATS>") + counters(server) + line(1, b"</SERVERSTATS>")
    out += weapons_section() + line(0, b"<PLAYERS>")
    for p in sorted(server["players"], key=lambda p: p.name):
        out += player_head(p, extended) + line(0, b"</PLAYER>")
    out += line(0, b"</PLAYERS>")
    if extended:
        out += server_maps(server) + history(server, 0)
    return out + line(0, b"</KILNBOOKS>")


def front_document(servers, last, extended=False):
    out = line(0, b'<?xml version="1.0"?>') + line(0, b"<KILNBOOKS>") + info(last)
    out += line(0, b"<SERVERS>")
    for server in sorted(servers, key=lambda s: s["name"]):
        out += line(1, b"<SERVER>") + element(2, b"SERVERNAME", server["name"])
        out += element(2, b"SERVERADDRESS", server["address"]) + counters(server)
        if extended:
            out += history(server, 2)
            if server is MAIN:
                out += line(2, b"<LASTGAME>") + summary(3, GAMES[0]) + line(2, b"</LASTGAME>")
        out += line(1, b"</SERVER>")
    return out + line(0, b"</SERVERS>") + line(0, b"</KILNBOOKS>")


def player_document(p, extended=False):
    return (line(0, b'<?xml version="1.0"?>') + line(0, b"<KILNBOOKS>")
            + weapons_section() + player_detail(p, extended) + line(0, b"</KILNBOOKS>"))


# The day of the run (LAST_RUN of the documents) and the days of HISTORY.
RUN_DAY = datetime.date(2026, 12, 7)
HISTORY_DAYS = 90

MARKUP = b'^3&lt;b&gt;Bold^7"Q&A"'
MAIN_PLAYERS = [
    Player(b"^1Red^7Man", kills=25, deaths=10, teamkills=1, suicides=1, ping=62,
           score=40, targets=[(b"Bob", 12), (b'&amp;lt;b&amp;gt;Bold&quot;Q&amp;A&quot;', 8),
                              (b"100% #1 ?: a/b", 5)],
           killers=[(b"", 2), (b"Bob", 8)], tkvictims=[(b"Bob", 1)],
           killweapons=[(17, 20), (4, 3), (9, 2)], deathweapons=[(18, 8), (46, 2)],
           suicideweapons=[(4, 1)], teams=[(b"multi", 3), (b"multi_axis", 1)],
           models=[(b"bluesoldier1", 3), (b"redengineer1", 1), (b"Bluesoldier1", 1)],
           seen=(b"2026-10-01 20:15", b"2026-12-05 21:40", 2), games=12, played=20000,
           rating=1043, maps=[(b"mp_beach", 7, 15, 6), (b"mp_depot", 5, 10, 4)]),
    Player(b"Bob", kills=10, deaths=3, suicides=4, ping=80, score=55,
           targets=[(b"RedMan", 8), (b"100% #1 ?: a/b", 2)], killers=[(b"RedMan", 12)],
           killweapons=[(18, 10)], deathweapons=[(17, 12)], suicideweapons=[(46, 4)],
           teams=[(b"multi_axis", 2)], models=[(b"redengineer1", 2)],
           seen=(b"2026-11-30 19:00", b"2026-12-07 09:05", 0), games=9, played=3599,
           rating=1102, maps=[(b"mp_depot", 4, 5, 1), (b"mp_beach", 4, 5, 2)]),
    Player(MARKUP, kills=7, deaths=10, teamkills=3, ping=45, score=12,
           targets=[(b"Bob", 7)], killers=[(b"RedMan", 8), (b"", 2)],
           tkvictims=[(b"Bob", 3)], killweapons=[(21, 7)], deathweapons=[(17, 10)],
           teams=[(b"multi", 1)], models=[(b"bluemedic1", 1)],
           seen=(b"2026-09-01 10:00", b"2026-10-23 18:00", 45), games=4, played=4000,
           rating=987, maps=[(b"te&amp;st", 4, 7, 10)]),
    Player(b"^2100% #1 ?: a/b", kills=3, deaths=7, suicides=2, ping=120, score=3,
           targets=[(b"RedMan", 3)], killers=[(b"RedMan", 5), (b"Bob", 2)],
           killweapons=[(-1022, 1), (3, 2)], deathweapons=[(17, 7)],
           suicideweapons=[(5, 2)], teams=[(b"multi", 1), (b"spectator", 1)],
           models=[(b"bluelieutenant1", 1)],
           seen=(b"2026-11-06 12:00", b"2026-11-06 12:00", 31), games=3, played=1800,
           rating=955, maps=[(b"mp_depot", 3, 3, 7)]),
    Player(b":colon^0", kills=0, deaths=0, ping=30, score=0,
           seen=(b"2026-11-07 08:00", b"2026-11-07 08:00", 30), games=1, played=60,
           maps=[(b"", 1, 0, 0)]),
    Player("Zoë^4Blue".encode(), kills=1, deaths=2, ping=70, score=2,
           targets=[(b"Bob", 1)], killers=[(b"Bob", 2)], killweapons=[(15, 1)],
           deathweapons=[(16, 2)], teams=[(b"multi", 1)], models=[(b"bluemedic1", 1)],
           seen=(b"2026-12-01 22:30", b"2026-12-04 23:59", 3), games=2, played=125,
           rating=1102, maps=[(b"mp_beach", 2, 1, 2)]),
    Player(b"world_entity", kills=4, deaths=0, plain=b"",
           targets=[(b"RedMan", 2), (b"&amp;lt;b&amp;gt;Bold&quot;Q&amp;A&quot;", 2)],
           killweapons=[(46, 4)], maps=[(b"mp_depot", 0, 4, 0)]),
]
MAIN = {"name": b"Main", "address": b"192.0.2.10:27960", "redscore": 31,
        "bluescore": 27, "redwin": 3, "bluewin": 2, "clientconnect": 22,
        "gameshutdown": 5, "gameexit": 5, "gameinit": 5, "kills": 50,
        "teamkills": 4, "ping": 74, "players": MAIN_PLAYERS,
        "maps": [(b"mp_depot", 3, 20, 1, 2), (b"mp_beach", 2, 25, 2, 0),
                 (b"te&amp;st", 1, 5, 0, 0), (b"", 1, 0, 0, 0)],
        # Days before the run's day: (games, kills, players).
        "days": {0: (2, 30, 5), 2: (1, 12, 4), 10: (3, 40, 7), 45: (1, 5, 2), 89: (1, 3, 1)}}
SECOND = {"name": b"Fish &amp; Chips #2", "address": b"192.0.2.11:27961",
          "redscore": 4, "bluescore": 9, "redwin": 0, "bluewin": 1,
          "clientconnect": 3, "gameshutdown": 1, "gameexit": 1, "gameinit": 1,
          "kills": 2, "teamkills": 0, "ping": 40,
          "players": [Player(b"^5Cod", kills=2, deaths=0, ping=40, score=6,
                             killweapons=[(20, 2)], teams=[(b"multi", 1)],
                             models=[(b"bluesoldier1", 1)],
                             seen=(b"2026-12-07 09:05", b"2026-12-07 09:05", 0), games=1,
                             played=600, rating=1008, maps=[(b"mp_castle", 1, 2, 0)])],
          "maps": [(b"mp_castle", 1, 2, 0, 1)]}


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def main():
    for extended, out in ((False, sys.argv[1]), (True, os.path.join(sys.argv[1], "extended"))):
        write(os.path.join(out, "front.xml"),
              front_document([MAIN, SECOND], SECOND, extended))
        for index, server in enumerate((MAIN, SECOND), 1):
            write(os.path.join(out, "server%d" % index, "main.xml"),
                  main_document(server, b"SCORE", extended))
            for number, p in enumerate(sorted(server["players"], key=lambda p: p.name), 1):
                write(os.path.join(out, "server%d" % index, "player%d.xml" % number),
                      player_document(p, extended))
    write(os.path.join(sys.argv[1], "extended", "server1", "games.xml"), games_document(MAIN))
    write(os.path.join(sys.argv[1], "extended", "server1", "game7.xml"), game_document(MAIN))


if __name__ == "__main__":
    main()
