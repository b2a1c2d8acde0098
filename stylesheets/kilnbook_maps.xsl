<?xml version="1.0" encoding="UTF-8"?>
<!--
  kilnbook maps page: the maps one server has played, the most played first.

  With EXTENDED_STATS on, the main document of each server (SORT_BY NONE)
  also becomes PATH + server name + "/kilnbook_maps.html" through this
  stylesheet, beside the server's main pages. It reads the document's MAPS
  block (per map: GAMES, KILLS, AXISWINS, ALLIESWINS, counted since the
  extended statistics began) and each player's FAVOURITEMAP.
-->
<xsl:stylesheet version="1.0"
    xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
    xmlns:math="http://exslt.org/math"
    exclude-result-prefixes="math">

  <!-- See kilnbook.xsl for why the character set is an http-equiv meta. -->
  <xsl:output method="html" encoding="UTF-8" indent="no"
      doctype-system="about:legacy-compat"/>

  <!-- The players whose favourite each map is; the table's own records
       ("world_entity", "Player") and players without one are nobody's. -->
  <xsl:key name="favourite"
      match="/KILNBOOKS/PLAYERS/PLAYER[not(NAME = 'world_entity' or NAME = 'Player')]"
      use="FAVOURITEMAP"/>

  <xsl:variable name="info" select="/KILNBOOKS/INFO"/>
  <xsl:variable name="maps" select="/KILNBOOKS/MAPS/MAP"/>
  <xsl:variable name="games" select="sum($maps/GAMES)"/>
  <xsl:variable name="mostGames" select="math:max($maps/GAMES)"/>
  <!-- The first row of the table: the most games, then the most kills, then
       the first by name (the document's order). -->
  <xsl:variable name="busiest" select="$maps[GAMES = $mostGames]"/>
  <xsl:variable name="top" select="$busiest[KILLS = math:max($busiest/KILLS)][1]"/>

  <xsl:template match="/">
    <html lang="en">
      <head>
        <meta http-equiv="Content-Type" content="text/html; charset=UTF-8"/>
        <meta name="viewport" content="width=device-width, initial-scale=1"/>
        <meta name="color-scheme" content="light dark"/>
        <title>
          <xsl:value-of select="$info/SERVER_NAME"/>
          <xsl:text> · maps</xsl:text>
        </title>
        <xsl:call-template name="style"/>
        <xsl:call-template name="more-style"/>
      </head>
      <body>
        <header class="top">
          <nav class="crumbs">
            <a>
              <xsl:attribute name="href">
                <xsl:call-template name="up-to-root">
                  <xsl:with-param name="rest" select="string($info/SERVER_NAME)"/>
                </xsl:call-template>
                <xsl:text>kilnbook.html</xsl:text>
              </xsl:attribute>
              <xsl:text>All servers</xsl:text>
            </a>
          </nav>
          <h1><xsl:value-of select="$info/SERVER_NAME"/></h1>
          <p class="sub"><xsl:value-of select="$info/SERVER_ADDRESS"/></p>
          <xsl:call-template name="server-tabs">
            <xsl:with-param name="current">maps</xsl:with-param>
          </xsl:call-template>
        </header>
        <main>
          <section class="cards" aria-label="All maps together">
            <xsl:call-template name="card">
              <xsl:with-param name="label">Maps</xsl:with-param>
              <xsl:with-param name="value" select="count($maps)"/>
            </xsl:call-template>
            <xsl:if test="$mostGames &gt; 0">
              <div class="card" id="most-played">
                <span class="label">Most played</span>
                <b>
                  <xsl:for-each select="$top">
                    <xsl:call-template name="map-name"/>
                  </xsl:for-each>
                </b>
                <span class="note">
                  <xsl:value-of select="$mostGames"/>
                  <xsl:text> of </xsl:text>
                  <xsl:value-of select="$games"/>
                  <xsl:text> games</xsl:text>
                </span>
              </div>
            </xsl:if>
            <xsl:call-template name="card">
              <xsl:with-param name="label">Games</xsl:with-param>
              <xsl:with-param name="value" select="$games"/>
            </xsl:call-template>
            <xsl:call-template name="card">
              <xsl:with-param name="label">Kills</xsl:with-param>
              <xsl:with-param name="value" select="sum($maps/KILLS)"/>
            </xsl:call-template>
            <div class="card teams">
              <span class="label">Wins</span>
              <b><span class="axis"><xsl:value-of select="sum($maps/AXISWINS)"/></span>
                <xsl:text> : </xsl:text>
                <span class="allies"><xsl:value-of select="sum($maps/ALLIESWINS)"/></span></b>
              <span class="note">Axis : Allies</span>
            </div>
          </section>
          <section aria-labelledby="maps-title">
            <h2 id="maps-title">Maps</h2>
            <xsl:choose>
              <xsl:when test="$maps">
                <xsl:call-template name="map-table"/>
              </xsl:when>
              <xsl:otherwise><p class="empty">No map played yet.</p></xsl:otherwise>
            </xsl:choose>
          </section>
          <p class="rules muted">
            <xsl:text>Counted since the extended statistics began. A game is won by the team with the higher score at its end; equal scores are no win. Fans: the players whose favourite map it is (the one they played most).</xsl:text>
          </p>
        </main>
        <xsl:call-template name="footer"/>
      </body>
    </html>
  </xsl:template>

  <xsl:template name="card">
    <xsl:param name="label"/>
    <xsl:param name="value"/>
    <div class="card">
      <span class="label"><xsl:value-of select="$label"/></span>
      <b><xsl:value-of select="$value"/></b>
    </div>
  </xsl:template>

  <!-- One row per map, the most games first, then the most kills, then by
       name. The bar splits the won games between Axis and Allies. -->
  <xsl:template name="map-table">
    <div class="table-wrap">
      <table id="maps">
        <thead>
          <tr>
            <th scope="col" class="rank">#</th>
            <th scope="col" class="n">Map</th>
            <th scope="col" aria-sort="descending">Games</th>
            <th scope="col">Share</th>
            <th scope="col">Kills</th>
            <th scope="col" title="Kills per game">Per game</th>
            <th scope="col" title="Games won, Axis : Allies">Wins <span class="axis">Axis</span> : <span class="allies">Allies</span></th>
            <th scope="col" class="n">Won by</th>
            <th scope="col" title="Players whose favourite map it is">Fans</th>
          </tr>
        </thead>
        <tbody>
          <xsl:for-each select="$maps">
            <xsl:sort select="GAMES" data-type="number" order="descending"/>
            <xsl:sort select="KILLS" data-type="number" order="descending"/>
            <xsl:variable name="won" select="AXISWINS + ALLIESWINS"/>
            <tr>
              <td class="rank"><xsl:value-of select="position()"/></td>
              <td class="n"><xsl:call-template name="map-name"/></td>
              <td><xsl:value-of select="GAMES"/></td>
              <td>
                <xsl:if test="$games &gt; 0">
                  <xsl:value-of select="concat(round(100 * GAMES div $games), '%')"/>
                </xsl:if>
              </td>
              <td><xsl:value-of select="KILLS"/></td>
              <td>
                <xsl:if test="GAMES &gt; 0">
                  <xsl:value-of select="format-number(KILLS div GAMES, '0.0')"/>
                </xsl:if>
              </td>
              <td>
                <span class="axis"><xsl:value-of select="AXISWINS"/></span>
                <xsl:text> : </xsl:text>
                <span class="allies"><xsl:value-of select="ALLIESWINS"/></span>
              </td>
              <td class="n">
                <span class="split" aria-hidden="true">
                  <xsl:if test="$won &gt; 0">
                    <xsl:variable name="axis" select="round(100 * AXISWINS div $won)"/>
                    <span class="ax" style="width:{$axis}%"></span>
                    <span class="al" style="width:{100 - $axis}%"></span>
                  </xsl:if>
                </span>
              </td>
              <td>
                <xsl:if test="string(NAME) != ''">
                  <xsl:value-of select="count(key('favourite', NAME))"/>
                </xsl:if>
              </td>
            </tr>
          </xsl:for-each>
        </tbody>
      </table>
    </div>
  </xsl:template>

  <!-- The MAP in context by name; a game whose start named no map is
       counted under the empty name. -->
  <xsl:template name="map-name">
    <xsl:choose>
      <xsl:when test="string(NAME) != ''"><xsl:value-of select="NAME"/></xsl:when>
      <xsl:otherwise><i>no name</i></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- ==== server pages: the same in the main, ladder, maps and games stylesheets ==== -->
  <!-- Links between the pages of one server, which lie side by side. -->
  <xsl:template name="server-tabs">
    <xsl:param name="current"/>
    <nav class="tabs" aria-label="Pages of this server">
      <xsl:call-template name="tab">
        <xsl:with-param name="label">Players</xsl:with-param>
        <xsl:with-param name="file">kilnbook.html</xsl:with-param>
        <xsl:with-param name="here" select="$current = 'players'"/>
      </xsl:call-template>
      <xsl:call-template name="tab">
        <xsl:with-param name="label">Rating ladder</xsl:with-param>
        <xsl:with-param name="file">kilnbook_ladder.html</xsl:with-param>
        <xsl:with-param name="here" select="$current = 'ladder'"/>
      </xsl:call-template>
      <xsl:call-template name="tab">
        <xsl:with-param name="label">Maps</xsl:with-param>
        <xsl:with-param name="file">kilnbook_maps.html</xsl:with-param>
        <xsl:with-param name="here" select="$current = 'maps'"/>
      </xsl:call-template>
      <xsl:call-template name="tab">
        <xsl:with-param name="label">Games</xsl:with-param>
        <xsl:with-param name="file">kilnbook_games.html</xsl:with-param>
        <xsl:with-param name="here" select="$current = 'games'"/>
      </xsl:call-template>
    </nav>
  </xsl:template>

  <xsl:template name="tab">
    <xsl:param name="label"/>
    <xsl:param name="file"/>
    <xsl:param name="here"/>
    <xsl:choose>
      <xsl:when test="$here"><span aria-current="page"><xsl:value-of select="$label"/></span></xsl:when>
      <xsl:otherwise><a href="./{$file}"><xsl:value-of select="$label"/></a></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- The day the PLAYER in context was last seen, or a dash for never. -->
  <xsl:template name="seen-day">
    <xsl:choose>
      <xsl:when test="string(ACTIVITY/LASTSEEN) != ''">
        <xsl:value-of select="substring(ACTIVITY/LASTSEEN, 1, 10)"/>
      </xsl:when>
      <xsl:otherwise>–</xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- "../" once for each directory level of the server name, up to PATH. -->
  <xsl:template name="up-to-root">
    <xsl:param name="rest"/>
    <xsl:variable name="segment">
      <xsl:choose>
        <xsl:when test="contains($rest, '/')">
          <xsl:value-of select="substring-before($rest, '/')"/>
        </xsl:when>
        <xsl:otherwise><xsl:value-of select="$rest"/></xsl:otherwise>
      </xsl:choose>
    </xsl:variable>
    <xsl:if test="$segment != '' and $segment != '.'">../</xsl:if>
    <xsl:if test="contains($rest, '/')">
      <xsl:call-template name="up-to-root">
        <xsl:with-param name="rest" select="substring-after($rest, '/')"/>
      </xsl:call-template>
    </xsl:if>
  </xsl:template>
  <!-- ==== end server pages ==== -->

  <!-- ==== footer: the same in the main, front, ladder, maps and games stylesheets ==== -->
  <xsl:template name="footer">
    <footer class="foot">
      <p>
        <xsl:if test="normalize-space($info/ADMIN_NICK) != ''">
          <xsl:text>Admin: </xsl:text>
          <xsl:value-of select="$info/ADMIN_NICK"/>
        </xsl:if>
        <xsl:if test="contains($info/ADMIN_MAIL, '@')">
          <xsl:text> · </xsl:text>
          <a href="mailto:{normalize-space($info/ADMIN_MAIL)}">
            <xsl:value-of select="$info/ADMIN_MAIL"/>
          </a>
        </xsl:if>
        <xsl:if test="normalize-space($info/ADMIN_ICQ) != ''">
          <xsl:text> · ICQ </xsl:text>
          <xsl:value-of select="$info/ADMIN_ICQ"/>
        </xsl:if>
      </p>
      <p>
        <xsl:text>Updated </xsl:text>
        <xsl:value-of select="$info/LAST_RUN"/>
        <xsl:text> by </xsl:text>
        <xsl:variable name="home" select="normalize-space($info/HOMEPAGE)"/>
        <xsl:choose>
          <xsl:when test="starts-with($home, 'https://') or starts-with($home, 'http://')">
            <a href="{$home}">kilnbook</a>
          </xsl:when>
          <xsl:otherwise>kilnbook</xsl:otherwise>
        </xsl:choose>
        <xsl:text> </xsl:text>
        <xsl:value-of select="$info/VERSION"/>
      </p>
    </footer>
  </xsl:template>
  <!-- ==== end footer ==== -->

  <!-- ==== style: the same in all seven stylesheets ==== -->
  <xsl:template name="style">
    <style>
:root {
  color-scheme: light dark;
  --bg: #f5f2ec; --fg: #1f2328; --muted: #5b626c; --card: #ffffff;
  --line: #ddd6c9; --stripe: #faf8f4; --accent: #a23c0f; --bar: #cf5a1e;
  --axis: #b3261e; --allies: #1b4fa8; --halo-light: #000; --halo-dark: #fff;
}
@media (prefers-color-scheme: dark) {
  :root {
    --bg: #14171c; --fg: #e7e4de; --muted: #9ca3ad; --card: #1c2027;
    --line: #323944; --stripe: #181c22; --accent: #f2915a; --bar: #e07a40;
    --axis: #ff8178; --allies: #82aaff;
  }
  .pn .lt { text-shadow: none; }
  .pn .dk { text-shadow: 0 0 1px var(--halo-dark), 0 0 2px var(--halo-dark); }
}
* { box-sizing: border-box; }
body {
  margin: 0; background: var(--bg); color: var(--fg);
  font: 16px/1.45 system-ui, -apple-system, "Segoe UI", Roboto, "DejaVu Sans", sans-serif;
}
a { color: var(--accent); }
a:focus-visible { outline: 2px solid var(--accent); outline-offset: 2px; }
.top { max-width: 72rem; margin: 0 auto; padding: 1.2rem 1rem .4rem; }
.top h1 { margin: .2rem 0 0; font-size: 1.9rem; line-height: 1.2; overflow-wrap: anywhere; }
.sub, .muted, .note, .label { color: var(--muted); }
.sub { margin: .2rem 0 0; }
.crumbs { font-size: .95rem; }
main { max-width: 72rem; margin: 0 auto; padding: 0 1rem 1.5rem; }
h2 { font-size: 1.25rem; margin: 1.4rem 0 .6rem; }
.cards, .awards {
  display: grid; gap: .6rem; margin: 1rem 0;
  grid-template-columns: repeat(auto-fill, minmax(9.5rem, 1fr));
}
.awards { grid-template-columns: repeat(auto-fill, minmax(12rem, 1fr)); }
.card, .award, .panel {
  background: var(--card); border: 1px solid var(--line); border-radius: .6rem;
  padding: .6rem .8rem; min-width: 0;
}
.card b { display: block; font-size: 1.45rem; font-variant-numeric: tabular-nums; }
.label, .note { display: block; font-size: .85rem; }
.award .player { display: block; margin: .15rem 0; overflow-wrap: anywhere; }
.award .value { font-weight: 700; font-variant-numeric: tabular-nums; }
.axis { color: var(--axis); }
.allies { color: var(--allies); }
.table-head { display: flex; flex-wrap: wrap; align-items: baseline; justify-content: space-between; gap: .5rem; }
.search label { margin-right: .4rem; color: var(--muted); font-size: .9rem; }
.search input {
  font: inherit; padding: .35rem .6rem; border-radius: .4rem; width: 14rem; max-width: 100%;
  border: 1px solid var(--line); background: var(--card); color: var(--fg);
}
.table-wrap {
  overflow-x: auto; background: var(--card); border: 1px solid var(--line); border-radius: .6rem;
}
table { border-collapse: collapse; width: 100%; font-variant-numeric: tabular-nums; }
th, td { padding: .45rem .65rem; text-align: right; white-space: nowrap; border-bottom: 1px solid var(--line); }
th { font-size: .85rem; text-transform: uppercase; letter-spacing: .03em; color: var(--muted); }
th a { color: inherit; }
th .current { color: var(--accent); }
th.n, td.n { text-align: left; }
td.n { white-space: normal; min-width: 9rem; overflow-wrap: anywhere; }
td.rank, th.rank { color: var(--muted); width: 2.5rem; }
tbody tr:nth-child(even) { background: var(--stripe); }
tbody tr:last-child td { border-bottom: 0; }
.pn { font-weight: 600; }
.pn .lt { text-shadow: 0 0 1px var(--halo-light), 0 0 2px var(--halo-light); }
.player { text-decoration: none; }
.player:hover .pn, .player:focus .pn { text-decoration: underline; }
.rules { font-size: .9rem; margin-top: 1rem; }
.foot { max-width: 72rem; margin: 0 auto; padding: 1rem; font-size: .85rem; color: var(--muted); border-top: 1px solid var(--line); }
.foot p { margin: .2rem 0; }
.grid2 { display: grid; gap: .8rem; margin: 1rem 0; grid-template-columns: repeat(auto-fill, minmax(18rem, 1fr)); }
.panel h2 { margin: .1rem 0 .5rem; font-size: 1.05rem; }
.tally, .bars { list-style: none; margin: 0; padding: 0; }
.tally li { display: flex; justify-content: space-between; gap: .6rem; padding: .3rem 0; border-bottom: 1px solid var(--line); }
.tally li:last-child { border-bottom: 0; }
.tally .who { overflow-wrap: anywhere; }
.bars li { display: grid; grid-template-columns: minmax(5rem, 10rem) 1fr 2.8rem; gap: .5rem; align-items: center; padding: .22rem 0; }
.bars .what { overflow-wrap: anywhere; }
.track { background: var(--stripe); border: 1px solid var(--line); border-radius: .35rem; height: .85rem; overflow: hidden; }
.fill { display: block; height: 100%; background: var(--bar); }
.num { text-align: right; font-variant-numeric: tabular-nums; font-weight: 600; }
.empty { color: var(--muted); font-style: italic; margin: 0; }
.servers td.n a { font-weight: 600; }
@media (max-width: 40rem) {
  .top h1 { font-size: 1.5rem; }
  th, td { padding: .4rem .45rem; }
  .card b { font-size: 1.2rem; }
}
    </style>
  </xsl:template>
  <!-- ==== end style ==== -->

  <!-- ==== more style: the same in all seven stylesheets ==== -->
  <!-- What the pages of the extended statistics add to the style above; only
       written into pages that show them. -->
  <xsl:template name="more-style">
    <style>
.tabs { display: flex; flex-wrap: wrap; gap: .2rem 1.1rem; margin: .6rem 0 0; }
.tabs [aria-current] { font-weight: 700; border-bottom: 2px solid var(--accent); }
.chart-box { background: var(--card); border: 1px solid var(--line); border-radius: .6rem; padding: .6rem .8rem; margin: 1rem 0; min-width: 0; }
.chart-box h2 { margin: .1rem 0 .5rem; font-size: 1.05rem; }
.chart { display: block; width: 100%; height: 7rem; border-bottom: 1px solid var(--line); }
.chart .bar { fill: var(--bar); }
.chart .bar:hover { fill: var(--accent); }
.chart-axis { display: flex; justify-content: space-between; gap: .5rem; margin: .2rem 0 0; font-size: .8rem; color: var(--muted); }
details { margin-top: .5rem; }
summary { cursor: pointer; color: var(--accent); }
details .table-wrap { margin-top: .5rem; }
.idle-toggle { margin: 0 .4rem .7rem 0; vertical-align: middle; }
.idle-label { color: var(--muted); font-size: .9rem; }
.idle-toggle:not(:checked) ~ .table-wrap tr.idle { display: none; }
section:has(#q:not(:placeholder-shown)) tr.idle:not([hidden]) { display: table-row; }
td.seen { color: var(--muted); }
.split { display: flex; height: .85rem; min-width: 6rem; border: 1px solid var(--line); border-radius: .35rem; overflow: hidden; background: var(--stripe); }
.split .ax { background: var(--axis); }
.split .al { background: var(--allies); }
.panel .table-wrap { border: 0; border-radius: 0; }
    </style>
  </xsl:template>
  <!-- ==== end more style ==== -->
</xsl:stylesheet>
