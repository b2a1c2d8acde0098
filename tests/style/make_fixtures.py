#!/usr/bin/env python3
"""Writes the hand-checked XML documents the stylesheet tests render.

The documents are laid out line for line as the program writes them (tabs,
element order, the weapon catalogue, text inserted as the model holds it), so
the stylesheets are developed against what they will really receive.
check_stylesheets.py runs it into a temporary directory every time.

Usage: make_fixtures.py OUTPUT_DIR
"""
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
                 deathweapons=(), suicideweapons=(), teams=(), models=(), plain=None):
        self.name = clean(raw)
        self.plain = colorize(self.name, False) if plain is None else plain
        self.html = colorize(self.name, True) if plain is None else plain
        self.kills, self.deaths, self.teamkills = kills, deaths, teamkills
        self.suicides, self.ping, self.score = suicides, ping, score
        self.targets, self.killers, self.tkvictims = targets, killers, tkvictims
        self.killweapons, self.deathweapons = killweapons, deathweapons
        self.suicideweapons, self.teams, self.models = suicideweapons, teams, models

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


def player_head(p):
    out = line(0, b"<PLAYER>")
    out += element(1, b"NAME", p.name) + element(1, b"PLAINNAME", p.plain)
    out += element(1, b"HTMLNAME", p.html) + line(1, b"<STATS>")
    for tag, value in ((b"KILLS", p.kills), (b"DEATHS", p.deaths),
                       (b"TEAMKILLS", p.teamkills), (b"SUICIDES", p.suicides),
                       (b"PING", p.ping), (b"SCORE", p.score),
                       (b"RATE", trunc(p.rate())), (b"RATIO", trunc(p.ratio()))):
        out += element(2, tag, value)
    return out + line(1, b"</STATS>")


def player_detail(p):
    out = player_head(p)

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
    return out + line(0, b"</PLAYER>")


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


def main_document(server, sort_by):
    out = line(0, b'<?xml version="1.0"?>') + line(0, b"<KILNBOOKS>")
    out += element(1, b"SORT_BY", sort_by) + info(server)
    out += line(1, b"<SERVERSTATS>") + counters(server) + line(1, b"</SERVERSTATS>")
    out += weapons_section() + line(0, b"<PLAYERS>")
    for p in sorted(server["players"], key=lambda p: p.name):
        out += player_head(p) + line(0, b"</PLAYER>")
    return out + line(0, b"</PLAYERS>") + line(0, b"</KILNBOOKS>")


def front_document(servers, last):
    out = line(0, b'<?xml version="1.0"?>') + line(0, b"<KILNBOOKS>") + info(last)
    out += line(0, b"<SERVERS>")
    for server in sorted(servers, key=lambda s: s["name"]):
        out += line(1, b"<SERVER>") + element(2, b"SERVERNAME", server["name"])
        out += element(2, b"SERVERADDRESS", server["address"]) + counters(server)
        out += line(1, b"</SERVER>")
    return out + line(0, b"</SERVERS>") + line(0, b"</KILNBOOKS>")


def player_document(p):
    return (line(0, b'<?xml version="1.0"?>') + line(0, b"<KILNBOOKS>")
            + weapons_section() + player_detail(p) + line(0, b"</KILNBOOKS>"))


MARKUP = b'^3&lt;b&gt;Bold^7"Q&A"'
MAIN_PLAYERS = [
    Player(b"^1Red^7Man", kills=25, deaths=10, teamkills=1, suicides=1, ping=62,
           score=40, targets=[(b"Bob", 12), (b'&amp;lt;b&amp;gt;Bold&quot;Q&amp;A&quot;', 8),
                              (b"100% #1 ?: a/b", 5)],
           killers=[(b"", 2), (b"Bob", 8)], tkvictims=[(b"Bob", 1)],
           killweapons=[(17, 20), (4, 3), (9, 2)], deathweapons=[(18, 8), (46, 2)],
           suicideweapons=[(4, 1)], teams=[(b"multi", 3), (b"multi_axis", 1)],
           models=[(b"bluesoldier1", 3), (b"redengineer1", 1), (b"Bluesoldier1", 1)]),
    Player(b"Bob", kills=10, deaths=3, suicides=4, ping=80, score=55,
           targets=[(b"RedMan", 8), (b"100% #1 ?: a/b", 2)], killers=[(b"RedMan", 12)],
           killweapons=[(18, 10)], deathweapons=[(17, 12)], suicideweapons=[(46, 4)],
           teams=[(b"multi_axis", 2)], models=[(b"redengineer1", 2)]),
    Player(MARKUP, kills=7, deaths=10, teamkills=3, ping=45, score=12,
           targets=[(b"Bob", 7)], killers=[(b"RedMan", 8), (b"", 2)],
           tkvictims=[(b"Bob", 3)], killweapons=[(21, 7)], deathweapons=[(17, 10)],
           teams=[(b"multi", 1)], models=[(b"bluemedic1", 1)]),
    Player(b"^2100% #1 ?: a/b", kills=3, deaths=7, suicides=2, ping=120, score=3,
           targets=[(b"RedMan", 3)], killers=[(b"RedMan", 5), (b"Bob", 2)],
           killweapons=[(-1022, 1), (3, 2)], deathweapons=[(17, 7)],
           suicideweapons=[(5, 2)], teams=[(b"multi", 1), (b"spectator", 1)],
           models=[(b"bluelieutenant1", 1)]),
    Player(b":colon^0", kills=0, deaths=0, ping=30, score=0),
    Player("Zoë^4Blue".encode(), kills=1, deaths=2, ping=70, score=2,
           targets=[(b"Bob", 1)], killers=[(b"Bob", 2)], killweapons=[(15, 1)],
           deathweapons=[(16, 2)], teams=[(b"multi", 1)], models=[(b"bluemedic1", 1)]),
    Player(b"world_entity", kills=4, deaths=0, plain=b"",
           targets=[(b"RedMan", 2), (b"&amp;lt;b&amp;gt;Bold&quot;Q&amp;A&quot;", 2)],
           killweapons=[(46, 4)]),
]
MAIN = {"name": b"Main", "address": b"192.0.2.10:27960", "redscore": 31,
        "bluescore": 27, "redwin": 3, "bluewin": 2, "clientconnect": 22,
        "gameshutdown": 5, "gameexit": 5, "gameinit": 5, "kills": 50,
        "teamkills": 4, "ping": 74, "players": MAIN_PLAYERS}
SECOND = {"name": b"Fish &amp; Chips #2", "address": b"192.0.2.11:27961",
          "redscore": 4, "bluescore": 9, "redwin": 0, "bluewin": 1,
          "clientconnect": 3, "gameshutdown": 1, "gameexit": 1, "gameinit": 1,
          "kills": 2, "teamkills": 0, "ping": 40,
          "players": [Player(b"^5Cod", kills=2, deaths=0, ping=40, score=6,
                             killweapons=[(20, 2)], teams=[(b"multi", 1)],
                             models=[(b"bluesoldier1", 1)])]}


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def main():
    out = sys.argv[1]
    write(os.path.join(out, "front.xml"), front_document([MAIN, SECOND], SECOND))
    for index, server in enumerate((MAIN, SECOND), 1):
        write(os.path.join(out, "server%d" % index, "main.xml"),
              main_document(server, b"SCORE"))
        for number, p in enumerate(sorted(server["players"], key=lambda p: p.name), 1):
            write(os.path.join(out, "server%d" % index, "player%d.xml" % number),
                  player_document(p))


if __name__ == "__main__":
    main()
