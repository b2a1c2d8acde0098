<?xml version="1.0" encoding="UTF-8"?>
<!--
  kilnbook front page: every server of the installation with its totals.

  The page is PATH + "kilnbook.html"; each server's main page is
  PATH + server name + "/kilnbook.html". The INFO block names the server
  handled last in the run, so the page does not use its server fields.

  With EXTENDED_STATS on, each SERVER also carries its HISTORY of 90 days
  and, once it keeps a game, its LASTGAME;
  only then does the page draw each server's last days and link to its
  rating ladder and maps page.
-->
<xsl:stylesheet version="1.0"
    xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
    xmlns:math="http://exslt.org/math"
    xmlns:str="http://exslt.org/strings"
    exclude-result-prefixes="math str">

  <!-- See kilnbook.xsl for why the character set is an http-equiv meta. -->
  <xsl:output method="html" encoding="UTF-8" indent="no"
      doctype-system="about:legacy-compat"/>

  <!-- How many of each server's days of HISTORY its chart shows (up to 90). -->
  <xsl:param name="historyDays" select="30"/>

  <xsl:variable name="info" select="/KILNBOOKS/INFO"/>
  <xsl:variable name="servers" select="/KILNBOOKS/SERVERS/SERVER"/>

  <xsl:template match="/">
    <html lang="en">
      <head>
        <meta http-equiv="Content-Type" content="text/html; charset=UTF-8"/>
        <meta name="viewport" content="width=device-width, initial-scale=1"/>
        <meta name="color-scheme" content="light dark"/>
        <title>Player statistics · all servers</title>
        <xsl:call-template name="style"/>
        <xsl:if test="$servers/HISTORY">
          <xsl:call-template name="more-style"/>
        </xsl:if>
      </head>
      <body>
        <header class="top">
          <h1>Player statistics</h1>
          <p class="sub">
            <xsl:value-of select="count($servers)"/>
            <xsl:choose>
              <xsl:when test="count($servers) = 1"> server</xsl:when>
              <xsl:otherwise> servers</xsl:otherwise>
            </xsl:choose>
            <xsl:text> · updated </xsl:text>
            <xsl:value-of select="$info/LAST_RUN"/>
          </p>
        </header>
        <main>
          <section class="cards" aria-label="All servers together">
            <xsl:call-template name="card">
              <xsl:with-param name="label">Games</xsl:with-param>
              <xsl:with-param name="value" select="sum($servers/GAMEINIT)"/>
            </xsl:call-template>
            <xsl:call-template name="card">
              <xsl:with-param name="label">Kills</xsl:with-param>
              <xsl:with-param name="value" select="sum($servers/KILLS)"/>
            </xsl:call-template>
            <xsl:call-template name="card">
              <xsl:with-param name="label">Team kills</xsl:with-param>
              <xsl:with-param name="value" select="sum($servers/TEAMKILLS)"/>
            </xsl:call-template>
            <xsl:call-template name="card">
              <xsl:with-param name="label">Players listed</xsl:with-param>
              <xsl:with-param name="value" select="sum($servers/TOTALPLAYERS)"/>
            </xsl:call-template>
          </section>
          <h2>Servers</h2>
          <xsl:choose>
            <xsl:when test="$servers">
              <div class="table-wrap">
                <table id="servers" class="servers">
                  <thead>
                    <tr>
                      <th scope="col" class="n">Server</th>
                      <th scope="col">Games</th>
                      <th scope="col">Kills</th>
                      <th scope="col">Team kills</th>
                      <th scope="col" title="Rounds won, Axis : Allies">Wins <span class="axis">Axis</span> : <span class="allies">Allies</span></th>
                      <th scope="col" title="Total score, Axis : Allies">Score <span class="axis">Axis</span> : <span class="allies">Allies</span></th>
                      <th scope="col">Avg. ping</th>
                      <th scope="col">Players</th>
                    </tr>
                  </thead>
                  <tbody>
                    <xsl:for-each select="$servers">
                      <tr>
                        <td class="n">
                          <a>
                            <xsl:attribute name="href">
                              <xsl:text>./</xsl:text>
                              <xsl:call-template name="directory-path">
                                <xsl:with-param name="name" select="string(SERVERNAME)"/>
                              </xsl:call-template>
                              <xsl:text>/kilnbook.html</xsl:text>
                            </xsl:attribute>
                            <xsl:value-of select="SERVERNAME"/>
                          </a>
                          <span class="note"><xsl:value-of select="SERVERADDRESS"/></span>
                          <xsl:if test="HISTORY">
                            <xsl:variable name="directory">
                              <xsl:call-template name="directory-path">
                                <xsl:with-param name="name" select="string(SERVERNAME)"/>
                              </xsl:call-template>
                            </xsl:variable>
                            <span class="note">
                              <a href="./{$directory}/kilnbook_ladder.html">Rating ladder</a>
                              <xsl:text> · </xsl:text>
                              <a href="./{$directory}/kilnbook_maps.html">Maps</a>
                              <xsl:text> · </xsl:text>
                              <a href="./{$directory}/kilnbook_games.html">Games</a>
                            </span>
                            <xsl:for-each select="LASTGAME">
                              <span class="note last-game">
                                <xsl:text>Last game: </xsl:text>
                                <a href="./{$directory}/kilngames/{NUMBER}.html">
                                  <xsl:value-of select="concat('#', NUMBER)"/>
                                </a>
                                <xsl:if test="string(MAP) != ''">
                                  <xsl:value-of select="concat(' ', MAP)"/>
                                </xsl:if>
                                <xsl:if test="string(AXISSCORE) != ''">
                                  <xsl:text>, </xsl:text>
                                  <span class="axis"><xsl:value-of select="AXISSCORE"/></span>
                                  <xsl:text> : </xsl:text>
                                  <span class="allies"><xsl:value-of select="ALLIESSCORE"/></span>
                                </xsl:if>
                                <xsl:value-of select="concat(' (', WHEN, ')')"/>
                              </span>
                            </xsl:for-each>
                          </xsl:if>
                        </td>
                        <td><xsl:value-of select="GAMEINIT"/></td>
                        <td><xsl:value-of select="KILLS"/></td>
                        <td><xsl:value-of select="TEAMKILLS"/></td>
                        <td>
                          <span class="axis"><xsl:value-of select="REDWIN"/></span>
                          <xsl:text> : </xsl:text>
                          <span class="allies"><xsl:value-of select="BLUEWIN"/></span>
                        </td>
                        <td>
                          <span class="axis"><xsl:value-of select="REDSCORE"/></span>
                          <xsl:text> : </xsl:text>
                          <span class="allies"><xsl:value-of select="BLUESCORE"/></span>
                        </td>
                        <td><xsl:value-of select="PING"/></td>
                        <td><xsl:value-of select="TOTALPLAYERS"/></td>
                      </tr>
                    </xsl:for-each>
                  </tbody>
                </table>
              </div>
            </xsl:when>
            <xsl:otherwise><p class="empty">No server yet.</p></xsl:otherwise>
          </xsl:choose>
          <xsl:if test="$servers/HISTORY">
            <div class="grid2">
              <xsl:for-each select="$servers[HISTORY]">
                <xsl:call-template name="history-chart">
                  <xsl:with-param name="days"
                      select="HISTORY/DAY[position() &gt; last() - $historyDays]"/>
                  <xsl:with-param name="id" select="concat('history-', position())"/>
                  <xsl:with-param name="heading"
                      select="concat(SERVERNAME, ' · last ', $historyDays, ' days')"/>
                </xsl:call-template>
              </xsl:for-each>
            </div>
          </xsl:if>
          <p class="rules muted">
            <xsl:text>Listed: players with at least </xsl:text>
            <xsl:value-of select="/KILNBOOKS/RULES/RULE_MINKILLS"/>
            <xsl:text> kills and a score of at least </xsl:text>
            <xsl:value-of select="/KILNBOOKS/RULES/RULE_MINSCORE"/>
            <xsl:text>.</xsl:text>
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

  <!-- The server directory: the server name, where a "/" makes nested
       directories and stays a separator. -->
  <xsl:template name="directory-path">
    <xsl:param name="name"/>
    <xsl:call-template name="url-escape">
      <xsl:with-param name="text" select="$name"/>
      <xsl:with-param name="keepSlash" select="true()"/>
    </xsl:call-template>
  </xsl:template>

  <!-- ==== chart: the same in the main and front stylesheets ==== -->
  <!--
    Players per day as a bar chart in inline SVG: one bar per DAY of `days`
    (oldest first, as the document lists them), its height scaled to the
    busiest day. The drawing stretches to the width of the page; dates and
    numbers stay HTML text beside it. For screen readers the SVG has a title
    and a summary, and the days with games follow as a table.
  -->
  <xsl:template name="history-chart">
    <xsl:param name="days"/>
    <xsl:param name="id"/>
    <xsl:param name="heading"/>
    <xsl:variable name="most" select="math:max($days/PLAYERS)"/>
    <xsl:variable name="played" select="$days[GAMES &gt; 0 or PLAYERS &gt; 0]"/>
    <section class="chart-box" aria-labelledby="{$id}-h">
      <h2 id="{$id}-h"><xsl:value-of select="$heading"/></h2>
      <xsl:choose>
        <xsl:when test="$days">
          <svg class="chart" viewBox="0 0 {count($days) * 10} 100" preserveAspectRatio="none"
              role="img" aria-labelledby="{$id}-t {$id}-d">
            <title id="{$id}-t">Players per day</title>
            <desc id="{$id}-d">
              <xsl:value-of select="concat('From ', $days[1]/DATE, ' to ', $days[last()]/DATE, ': ',
                                           sum($days/GAMES), ' games, ', sum($days/KILLS), ' kills')"/>
              <xsl:if test="$most &gt; 0">
                <xsl:value-of select="concat('; at most ', $most, ' players a day (',
                                             $days[PLAYERS = $most][1]/DATE, ')')"/>
              </xsl:if>
              <xsl:text>.</xsl:text>
            </desc>
            <xsl:for-each select="$days">
              <xsl:variable name="height">
                <xsl:choose>
                  <xsl:when test="PLAYERS &gt; 0"><xsl:value-of select="ceiling(96 * PLAYERS div $most)"/></xsl:when>
                  <xsl:otherwise>0</xsl:otherwise>
                </xsl:choose>
              </xsl:variable>
              <rect class="bar" x="{position() * 10 - 9}" y="{100 - $height}" width="8" height="{$height}">
                <title><xsl:value-of select="concat(DATE, ': players ', PLAYERS, ', games ', GAMES, ', kills ', KILLS)"/></title>
              </rect>
            </xsl:for-each>
          </svg>
          <p class="chart-axis">
            <span><xsl:value-of select="$days[1]/DATE"/></span>
            <span>
              <xsl:choose>
                <xsl:when test="$most &gt; 0"><xsl:value-of select="concat('highest bar: ', $most, ' players')"/></xsl:when>
                <xsl:otherwise>no games</xsl:otherwise>
              </xsl:choose>
            </span>
            <span><xsl:value-of select="$days[last()]/DATE"/></span>
          </p>
          <xsl:if test="$played">
            <details class="days">
              <summary>The days with games</summary>
              <div class="table-wrap">
                <table>
                  <thead>
                    <tr>
                      <th scope="col" class="n">Day</th>
                      <th scope="col">Games</th>
                      <th scope="col">Kills</th>
                      <th scope="col">Players</th>
                    </tr>
                  </thead>
                  <tbody>
                    <xsl:for-each select="$played">
                      <tr>
                        <td class="n"><xsl:value-of select="DATE"/></td>
                        <td><xsl:value-of select="GAMES"/></td>
                        <td><xsl:value-of select="KILLS"/></td>
                        <td><xsl:value-of select="PLAYERS"/></td>
                      </tr>
                    </xsl:for-each>
                  </tbody>
                </table>
              </div>
            </details>
          </xsl:if>
        </xsl:when>
        <xsl:otherwise><p class="empty">No days kept yet.</p></xsl:otherwise>
      </xsl:choose>
    </section>
  </xsl:template>
  <!-- ==== end chart ==== -->

  <!-- ==== urls: the same in the main and front stylesheets ==== -->
  <!--
    Percent-escapes a file or directory name of the site for a relative link.
    The program names files after names as it stores them, with "&" and '"'
    kept as the entity texts "&amp;" and "&quot;" (the parser here has already
    turned them back), so those two are escaped as their stored text. Every
    other character except letters, digits and "-_.~!*'()@" is escaped as its
    UTF-8 bytes, ":" "#" "?" "%" and blanks included. With keepSlash a "/"
    stays a separator. A name in a single-byte character set (Latin-1 from a
    bot or the server console) reaches the stylesheet decoded as such, and
    its link does not match the file's raw bytes: such names are best effort.
    str:encode-uri does the escaping in one pass; "%2F" can only come from a
    "/", since a "%" of the name becomes "%25".
  -->
  <xsl:template name="url-escape">
    <xsl:param name="text"/>
    <xsl:param name="keepSlash" select="false()"/>
    <xsl:variable name="escaped"
        select="str:encode-uri(str:replace(str:replace($text, '&amp;', '&amp;amp;'),
                                           '&quot;', '&amp;quot;'), true())"/>
    <xsl:choose>
      <xsl:when test="$keepSlash"><xsl:value-of select="str:replace($escaped, '%2F', '/')"/></xsl:when>
      <xsl:otherwise><xsl:value-of select="$escaped"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>
  <!-- ==== end urls ==== -->

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
