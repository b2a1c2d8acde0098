<?xml version="1.0" encoding="UTF-8"?>
<!--
  kilnbook games page: the latest games one server has kept, and its records.

  With EXTENDED_STATS on, the games document of each server becomes
  PATH + server name + "/kilnbook_games.html" through this stylesheet,
  beside the server's main pages. It reads the GAMES block (every kept
  game, newest first: NUMBER, WHEN, MAP, LENGTH in seconds, AXISSCORE,
  ALLIESSCORE, WINNER, PLAYERS, TOPPLAYER) and the RECORDS block (the ten
  best of KILLS, SPREES and MULTIKILLS, with the game and whether it is
  still kept). Each kept game has its page in "kilngames/NUMBER.html".
-->
<xsl:stylesheet version="1.0"
    xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
    xmlns:str="http://exslt.org/strings"
    exclude-result-prefixes="str">

  <!-- See kilnbook.xsl for why the character set is an http-equiv meta. -->
  <xsl:output method="html" encoding="UTF-8" indent="no"
      doctype-system="about:legacy-compat"/>

  <xsl:variable name="info" select="/KILNBOOKS/INFO"/>
  <xsl:variable name="games" select="/KILNBOOKS/GAMES/GAME"/>
  <xsl:variable name="records" select="/KILNBOOKS/RECORDS"/>

  <xsl:template match="/">
    <html lang="en">
      <head>
        <meta http-equiv="Content-Type" content="text/html; charset=UTF-8"/>
        <meta name="viewport" content="width=device-width, initial-scale=1"/>
        <meta name="color-scheme" content="light dark"/>
        <title>
          <xsl:value-of select="$info/SERVER_NAME"/>
          <xsl:text> · games</xsl:text>
        </title>
        <xsl:call-template name="style"/>
        <xsl:call-template name="more-style"/>
        <xsl:call-template name="game-style"/>
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
            <xsl:with-param name="current">games</xsl:with-param>
          </xsl:call-template>
        </header>
        <main>
          <section class="cards" aria-label="The kept games in numbers">
            <div class="card">
              <span class="label">Games kept</span>
              <b><xsl:value-of select="count($games)"/></b>
            </div>
            <div class="card teams">
              <span class="label">Wins</span>
              <b><span class="axis"><xsl:value-of select="count($games[WINNER = 'Axis'])"/></span>
                <xsl:text> : </xsl:text>
                <span class="allies"><xsl:value-of select="count($games[WINNER = 'Allies'])"/></span></b>
              <span class="note">Axis : Allies</span>
            </div>
            <xsl:if test="$games">
              <div class="card">
                <span class="label">Average length</span>
                <b>
                  <xsl:call-template name="length">
                    <xsl:with-param name="seconds" select="round(sum($games/LENGTH) div count($games))"/>
                  </xsl:call-template>
                </b>
              </div>
              <div class="card">
                <span class="label">Average players</span>
                <b><xsl:value-of select="format-number(sum($games/PLAYERS) div count($games), '0.0')"/></b>
              </div>
            </xsl:if>
          </section>
          <section aria-labelledby="games-title">
            <h2 id="games-title">Recent games</h2>
            <xsl:choose>
              <xsl:when test="$games">
                <xsl:call-template name="games-table"/>
              </xsl:when>
              <xsl:otherwise><p class="empty">No game kept yet.</p></xsl:otherwise>
            </xsl:choose>
          </section>
          <section aria-labelledby="records-title">
            <h2 id="records-title">Server records</h2>
            <div class="grid2">
              <xsl:call-template name="record-panel">
                <xsl:with-param name="id">record-kills</xsl:with-param>
                <xsl:with-param name="title">Most kills in a game</xsl:with-param>
                <xsl:with-param name="items" select="$records/KILLS/RECORD"/>
              </xsl:call-template>
              <xsl:call-template name="record-panel">
                <xsl:with-param name="id">record-sprees</xsl:with-param>
                <xsl:with-param name="title">Longest sprees</xsl:with-param>
                <xsl:with-param name="items" select="$records/SPREES/RECORD"/>
              </xsl:call-template>
              <xsl:call-template name="record-panel">
                <xsl:with-param name="id">record-multikills</xsl:with-param>
                <xsl:with-param name="title">Biggest multi-kills</xsl:with-param>
                <xsl:with-param name="items" select="$records/MULTIKILLS/RECORD"/>
              </xsl:call-template>
            </div>
          </section>
          <p class="rules muted">
            <xsl:text>Times are those of the run that counted each game. A spree is the enemy kills since a player's last death in the game; a multi-kill is a chain of enemy kills, each at most 3 seconds after the one before. Records keep their figures after their game is no longer kept.</xsl:text>
          </p>
        </main>
        <xsl:call-template name="footer"/>
      </body>
    </html>
  </xsl:template>

  <!-- One row per kept game, the newest first (the document's order). -->
  <xsl:template name="games-table">
    <div class="table-wrap">
      <table id="games">
        <thead>
          <tr>
            <th scope="col" class="n">Game</th>
            <th scope="col" class="n">When</th>
            <th scope="col" class="n">Map</th>
            <th scope="col">Length</th>
            <th scope="col" title="Axis : Allies"><span class="axis">Axis</span> : <span class="allies">Allies</span></th>
            <th scope="col" class="n">Winner</th>
            <th scope="col">Players</th>
            <th scope="col" class="n">Top player</th>
          </tr>
        </thead>
        <tbody>
          <xsl:for-each select="$games">
            <tr>
              <th scope="row" class="n">
                <a href="./kilngames/{NUMBER}.html"><xsl:value-of select="concat('#', NUMBER)"/></a>
              </th>
              <td class="n seen when"><xsl:value-of select="WHEN"/></td>
              <td class="n"><xsl:call-template name="map-name"/></td>
              <td>
                <xsl:call-template name="length">
                  <xsl:with-param name="seconds" select="LENGTH"/>
                </xsl:call-template>
              </td>
              <td><xsl:call-template name="score"/></td>
              <td class="n"><xsl:call-template name="winner"/></td>
              <td><xsl:value-of select="PLAYERS"/></td>
              <td class="n">
                <xsl:for-each select="TOPPLAYER">
                  <xsl:call-template name="display-name"/>
                </xsl:for-each>
              </td>
            </tr>
          </xsl:for-each>
        </tbody>
      </table>
    </div>
  </xsl:template>

  <!-- The ten best of one feat; a game no longer kept has no page. -->
  <xsl:template name="record-panel">
    <xsl:param name="id"/>
    <xsl:param name="title"/>
    <xsl:param name="items"/>
    <section class="panel" id="{$id}">
      <h3><xsl:value-of select="$title"/></h3>
      <xsl:choose>
        <xsl:when test="$items">
          <ol class="tally">
            <xsl:for-each select="$items">
              <li>
                <span class="who">
                  <xsl:call-template name="display-name"/>
                  <xsl:text> </xsl:text>
                  <span class="note">
                    <xsl:choose>
                      <xsl:when test="KEPT = 1">
                        <a href="./kilngames/{GAME}.html"><xsl:value-of select="concat('game #', GAME)"/></a>
                      </xsl:when>
                      <xsl:otherwise><xsl:value-of select="concat('game #', GAME)"/></xsl:otherwise>
                    </xsl:choose>
                  </span>
                </span>
                <span class="num"><xsl:value-of select="VALUE"/></span>
              </li>
            </xsl:for-each>
          </ol>
        </xsl:when>
        <xsl:otherwise><p class="empty">None yet</p></xsl:otherwise>
      </xsl:choose>
    </section>
  </xsl:template>

  <xsl:template name="map-name">
    <xsl:choose>
      <xsl:when test="string(MAP) != ''"><xsl:value-of select="MAP"/></xsl:when>
      <xsl:otherwise><i>no name</i></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- ==== game parts: the same in the games and game stylesheets ==== -->
  <!-- A length in seconds as minutes and seconds, "12:05". -->
  <xsl:template name="length">
    <xsl:param name="seconds"/>
    <xsl:value-of select="concat(floor($seconds div 60), ':', format-number($seconds mod 60, '00'))"/>
  </xsl:template>

  <!-- The score of the GAME in context, Axis : Allies; a dash without one. -->
  <xsl:template name="score">
    <xsl:choose>
      <xsl:when test="string(AXISSCORE) != ''">
        <span class="axis"><xsl:value-of select="AXISSCORE"/></span>
        <xsl:text> : </xsl:text>
        <span class="allies"><xsl:value-of select="ALLIESSCORE"/></span>
      </xsl:when>
      <xsl:otherwise>–</xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template name="winner">
    <xsl:choose>
      <xsl:when test="WINNER = 'Axis'"><span class="axis">Axis</span></xsl:when>
      <xsl:when test="WINNER = 'Allies'"><span class="allies">Allies</span></xsl:when>
      <xsl:when test="WINNER = 'Draw'">Draw</xsl:when>
      <xsl:otherwise><span class="muted">no result</span></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- What the games and game pages add to the shared style. -->
  <xsl:template name="game-style">
    <style>
.panel h3 { margin: .1rem 0 .5rem; font-size: 1.05rem; }
ol.tally { counter-reset: place; }
ol.tally li .who::before { counter-increment: place; content: counter(place) ". "; color: var(--muted); }
th[scope=row] { font-size: 1rem; text-transform: none; letter-spacing: 0; color: var(--fg); font-weight: 600; }
.up { color: #1a7f37; }
.down { color: var(--axis); }
@media (prefers-color-scheme: dark) { .up { color: #6fdc8c; } }
.board h2 .num { font-size: 1.05rem; margin-left: .4rem; }
tbody tr:last-child th { border-bottom: 0; }
#weapons { margin-top: 1.2rem; }
td.when { white-space: nowrap; }
    </style>
  </xsl:template>
  <!-- ==== end game parts ==== -->

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

  <!-- ==== names: the same in the main, player, ladder, games and game stylesheets ==== -->

  <!-- The coloured name of the PLAYER in context. A player without a plain
       name (the world) is shown by its key, in italics. -->
  <xsl:template name="display-name">
    <span class="pn">
      <xsl:choose>
        <xsl:when test="string(PLAINNAME) = ''">
          <i><xsl:value-of select="NAME"/></i>
        </xsl:when>
        <xsl:when test="not(contains(HTMLNAME, '&lt;'))">
          <xsl:value-of select="HTMLNAME"/>
        </xsl:when>
        <xsl:otherwise>
          <xsl:call-template name="colour-markup">
            <xsl:with-param name="text" select="string(HTMLNAME)"/>
          </xsl:call-template>
        </xsl:otherwise>
      </xsl:choose>
    </span>
  </xsl:template>

  <!--
    HTMLNAME carries the name with its colour codes turned into
    <FONT COLOR="#RRGGBB">...</FONT>, as escaped text. Only that one form is
    turned into markup, and only with a well-formed colour: everything else,
    including any other "<", stays text, so a name can never inject markup.
    Names lose "<" and ">" when they are read, which makes every "<" here part
    of the program's own colour markup.

    The text is cut at every "<": the part before the first one has no
    colour; each later part starts with a tag. An opening tag gives the text
    after it its colour, a closing one takes the colour away, and any other
    tag is text, written in the colour of the last opening tag not yet
    closed. Cutting drops empty parts, so a text with "<<" or a final "<"
    goes to the tag-by-tag reading below, which gives the same result
    everywhere.
  -->
  <xsl:template name="colour-markup">
    <xsl:param name="text"/>
    <xsl:choose>
      <xsl:when test="contains($text, '&lt;&lt;')
                      or substring($text, string-length($text)) = '&lt;'">
        <xsl:call-template name="colour-markup-by-tag">
          <xsl:with-param name="text" select="$text"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:otherwise>
        <xsl:value-of select="substring-before($text, '&lt;')"/>
        <xsl:for-each select="str:tokenize(substring-after($text, '&lt;'), '&lt;')[. != '/FONT&gt;']">
          <xsl:choose>
            <xsl:when test="starts-with(., '/FONT&gt;')">
              <xsl:value-of select="substring(., 7)"/>
            </xsl:when>
            <xsl:when test="starts-with(., 'FONT COLOR=&quot;#')
                            and substring(., 20, 2) = '&quot;&gt;'
                            and translate(substring(., 14, 6), '0123456789ABCDEFabcdef', '') = ''">
              <!-- coloured-run, spelt out: this is the common case. -->
              <xsl:if test="string-length(.) &gt; 21">
                <xsl:variable name="colour" select="translate(substring(., 13, 7), 'abcdef', 'ABCDEF')"/>
                <xsl:variable name="light"
                    select="0.299 * string-length(substring-before('0123456789ABCDEF', substring($colour, 2, 1)))
                            + 0.587 * string-length(substring-before('0123456789ABCDEF', substring($colour, 4, 1)))
                            + 0.114 * string-length(substring-before('0123456789ABCDEF', substring($colour, 6, 1)))"/>
                <span style="color:{$colour}">
                  <xsl:choose>
                    <xsl:when test="$light &gt;= 10">
                      <xsl:attribute name="class">lt</xsl:attribute>
                    </xsl:when>
                    <xsl:when test="$light &lt; 4">
                      <xsl:attribute name="class">dk</xsl:attribute>
                    </xsl:when>
                  </xsl:choose>
                  <xsl:value-of select="substring(., 22)"/>
                </span>
              </xsl:if>
            </xsl:when>
            <xsl:otherwise>
              <!-- The last tag before this one that set or took the colour. -->
              <xsl:variable name="last"
                  select="preceding-sibling::*[starts-with(., '/FONT&gt;')
                            or (starts-with(., 'FONT COLOR=&quot;#')
                                and substring(., 20, 2) = '&quot;&gt;'
                                and translate(substring(., 14, 6), '0123456789ABCDEFabcdef', '') = '')][1]"/>
              <xsl:variable name="colour"
                  select="translate(substring($last[starts-with(., 'FONT')], 13, 7), 'abcdef', 'ABCDEF')"/>
              <xsl:call-template name="coloured-run">
                <xsl:with-param name="text" select="'&lt;'"/>
                <xsl:with-param name="colour" select="$colour"/>
              </xsl:call-template>
              <xsl:call-template name="coloured-run">
                <xsl:with-param name="text" select="string(.)"/>
                <xsl:with-param name="colour" select="$colour"/>
              </xsl:call-template>
            </xsl:otherwise>
          </xsl:choose>
        </xsl:for-each>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- The same reading, one tag per call. -->
  <xsl:template name="colour-markup-by-tag">
    <xsl:param name="text"/>
    <xsl:param name="colour" select="''"/>
    <xsl:call-template name="coloured-run">
      <xsl:with-param name="text" select="substring-before(concat($text, '&lt;'), '&lt;')"/>
      <xsl:with-param name="colour" select="$colour"/>
    </xsl:call-template>
    <xsl:if test="contains($text, '&lt;')">
      <xsl:variable name="tag" select="substring-after($text, '&lt;')"/>
      <xsl:choose>
        <xsl:when test="starts-with($tag, 'FONT COLOR=&quot;#')
                        and substring($tag, 20, 2) = '&quot;&gt;'
                        and translate(substring($tag, 14, 6), '0123456789ABCDEFabcdef', '') = ''">
          <xsl:call-template name="colour-markup-by-tag">
            <xsl:with-param name="text" select="substring($tag, 22)"/>
            <xsl:with-param name="colour" select="translate(substring($tag, 13, 7), 'abcdef', 'ABCDEF')"/>
          </xsl:call-template>
        </xsl:when>
        <xsl:when test="starts-with($tag, '/FONT&gt;')">
          <xsl:call-template name="colour-markup-by-tag">
            <xsl:with-param name="text" select="substring($tag, 7)"/>
          </xsl:call-template>
        </xsl:when>
        <xsl:otherwise>
          <xsl:call-template name="coloured-run">
            <xsl:with-param name="text" select="'&lt;'"/>
            <xsl:with-param name="colour" select="$colour"/>
          </xsl:call-template>
          <xsl:call-template name="colour-markup-by-tag">
            <xsl:with-param name="text" select="$tag"/>
            <xsl:with-param name="colour" select="$colour"/>
          </xsl:call-template>
        </xsl:otherwise>
      </xsl:choose>
    </xsl:if>
  </xsl:template>

  <!-- One run of name text in a checked #RRGGBB colour. Very light colours
       get class "lt" and very dark ones "dk", so the style sheet can give
       them a halo where they would vanish into the background. -->
  <xsl:template name="coloured-run">
    <xsl:param name="text"/>
    <xsl:param name="colour"/>
    <xsl:choose>
      <xsl:when test="$text = ''"/>
      <xsl:when test="$colour = ''"><xsl:value-of select="$text"/></xsl:when>
      <xsl:otherwise>
        <xsl:variable name="light"
            select="0.299 * string-length(substring-before('0123456789ABCDEF', substring($colour, 2, 1)))
                    + 0.587 * string-length(substring-before('0123456789ABCDEF', substring($colour, 4, 1)))
                    + 0.114 * string-length(substring-before('0123456789ABCDEF', substring($colour, 6, 1)))"/>
        <span style="color:{$colour}">
          <xsl:choose>
            <xsl:when test="$light &gt;= 10">
              <xsl:attribute name="class">lt</xsl:attribute>
            </xsl:when>
            <xsl:when test="$light &lt; 4">
              <xsl:attribute name="class">dk</xsl:attribute>
            </xsl:when>
          </xsl:choose>
          <xsl:value-of select="$text"/>
        </span>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- ==== end names ==== -->

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
