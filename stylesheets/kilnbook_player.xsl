<?xml version="1.0" encoding="UTF-8"?>
<!--
  kilnbook player page: everything kept about one player on one server.

  The page lives in PATH + server name + "/kilnplayers/"; the server's main
  page is one directory up. The document has no INFO block, so the page says
  nothing about the server beyond that link.

  With EXTENDED_STATS on, the PLAYER also carries its ACTIVITY, RATING,
  FAVOURITEMAP and MAPS, its LASTGAMES and BESTS, and the HTMLNAME of each
  team-kill victim; only then does the page show them, and link to the
  server's rating ladder, maps page and games beside the main page.
-->
<xsl:stylesheet version="1.0"
    xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
    xmlns:math="http://exslt.org/math"
    xmlns:str="http://exslt.org/strings"
    exclude-result-prefixes="math str">

  <!-- See kilnbook.xsl for why the character set is an http-equiv meta. -->
  <xsl:output method="html" encoding="UTF-8" indent="no"
      doctype-system="about:legacy-compat"/>

  <!-- Weapon names by means-of-death code; codes without an entry are named
       by their number. -->
  <xsl:key name="weapon" match="/KILNBOOKS/WEAPONS/WEAPON_EXISTING/WEAPON"
      use="normalize-space(@ID)"/>

  <xsl:variable name="player" select="/KILNBOOKS/PLAYER[1]"/>
  <xsl:variable name="extended" select="boolean($player/ACTIVITY)"/>

  <xsl:template match="/">
    <html lang="en">
      <head>
        <meta http-equiv="Content-Type" content="text/html; charset=UTF-8"/>
        <meta name="viewport" content="width=device-width, initial-scale=1"/>
        <meta name="color-scheme" content="light dark"/>
        <title>
          <xsl:choose>
            <xsl:when test="string($player/PLAINNAME) != ''">
              <xsl:value-of select="$player/PLAINNAME"/>
            </xsl:when>
            <xsl:otherwise><xsl:value-of select="$player/NAME"/></xsl:otherwise>
          </xsl:choose>
          <xsl:text> · player statistics</xsl:text>
        </title>
        <xsl:call-template name="style"/>
        <xsl:if test="$extended">
          <xsl:call-template name="more-style"/>
        </xsl:if>
      </head>
      <body>
        <header class="top">
          <nav class="crumbs">
            <a href="../kilnbook.html" id="back">← All players of this server</a>
            <xsl:if test="$extended">
              <xsl:text> · </xsl:text>
              <a href="../kilnbook_ladder.html">Rating ladder</a>
              <xsl:text> · </xsl:text>
              <a href="../kilnbook_maps.html">Maps</a>
              <xsl:text> · </xsl:text>
              <a href="../kilnbook_games.html">Games</a>
            </xsl:if>
          </nav>
          <h1>
            <xsl:for-each select="$player">
              <xsl:call-template name="display-name"/>
            </xsl:for-each>
          </h1>
          <p class="sub">Player statistics</p>
        </header>
        <main>
          <xsl:choose>
            <xsl:when test="$player">
              <xsl:for-each select="$player">
                <xsl:call-template name="player-body"/>
              </xsl:for-each>
            </xsl:when>
            <xsl:otherwise>
              <p class="empty">This player is not listed.</p>
            </xsl:otherwise>
          </xsl:choose>
        </main>
      </body>
    </html>
  </xsl:template>

  <xsl:template name="player-body">
    <section class="cards" aria-label="Totals">
      <xsl:call-template name="card">
        <xsl:with-param name="label">Kills</xsl:with-param>
        <xsl:with-param name="value" select="STATS/KILLS"/>
      </xsl:call-template>
      <xsl:call-template name="card">
        <xsl:with-param name="label">Deaths</xsl:with-param>
        <xsl:with-param name="value" select="STATS/DEATHS"/>
      </xsl:call-template>
      <!-- RATIO holds kills per death times ten. -->
      <xsl:call-template name="card">
        <xsl:with-param name="label">Ratio</xsl:with-param>
        <xsl:with-param name="value" select="format-number(number(STATS/RATIO) div 10, '0.0')"/>
      </xsl:call-template>
      <xsl:call-template name="card">
        <xsl:with-param name="label">Rate</xsl:with-param>
        <xsl:with-param name="value" select="STATS/RATE"/>
      </xsl:call-template>
      <xsl:call-template name="card">
        <xsl:with-param name="label">Score</xsl:with-param>
        <xsl:with-param name="value" select="STATS/SCORE"/>
      </xsl:call-template>
      <xsl:call-template name="card">
        <xsl:with-param name="label">Ping</xsl:with-param>
        <xsl:with-param name="value" select="STATS/PING"/>
      </xsl:call-template>
      <xsl:call-template name="card">
        <xsl:with-param name="label">Suicides</xsl:with-param>
        <xsl:with-param name="value" select="STATS/SUICIDES"/>
      </xsl:call-template>
      <xsl:call-template name="card">
        <xsl:with-param name="label">Team kills</xsl:with-param>
        <xsl:with-param name="value" select="STATS/TEAMKILLS"/>
      </xsl:call-template>
    </section>
    <xsl:if test="$extended">
      <xsl:call-template name="activity"/>
    </xsl:if>

    <div class="grid2">
      <xsl:call-template name="name-panel">
        <xsl:with-param name="id">victims</xsl:with-param>
        <xsl:with-param name="title">Victims</xsl:with-param>
        <xsl:with-param name="items" select="TARGETS/TARGET"/>
      </xsl:call-template>
      <xsl:call-template name="name-panel">
        <xsl:with-param name="id">killers</xsl:with-param>
        <xsl:with-param name="title">Killed by</xsl:with-param>
        <xsl:with-param name="items" select="KILLERS/KILLER"/>
      </xsl:call-template>
      <xsl:call-template name="name-panel">
        <xsl:with-param name="id">teamkills</xsl:with-param>
        <xsl:with-param name="title">Team kills</xsl:with-param>
        <xsl:with-param name="items" select="TEAMKILLS/TEAMKILL"/>
      </xsl:call-template>
    </div>

    <div class="grid2">
      <xsl:call-template name="bar-panel">
        <xsl:with-param name="id">killweapons</xsl:with-param>
        <xsl:with-param name="title">Kills by weapon</xsl:with-param>
        <xsl:with-param name="items" select="KILLWEAPONS/WEAPONS"/>
      </xsl:call-template>
      <xsl:call-template name="bar-panel">
        <xsl:with-param name="id">deathweapons</xsl:with-param>
        <xsl:with-param name="title">Deaths by weapon</xsl:with-param>
        <xsl:with-param name="items" select="DEATHWEAPONS/WEAPONS"/>
      </xsl:call-template>
      <xsl:call-template name="bar-panel">
        <xsl:with-param name="id">suicideweapons</xsl:with-param>
        <xsl:with-param name="title">Suicides by weapon</xsl:with-param>
        <xsl:with-param name="items" select="SUICIDEWEAPONS/WEAPONS"/>
      </xsl:call-template>
      <xsl:call-template name="bar-panel">
        <xsl:with-param name="id">teams</xsl:with-param>
        <xsl:with-param name="title">Teams</xsl:with-param>
        <xsl:with-param name="items" select="TEAMS/TEAM"/>
      </xsl:call-template>
      <xsl:call-template name="bar-panel">
        <xsl:with-param name="id">models</xsl:with-param>
        <xsl:with-param name="title">Models</xsl:with-param>
        <xsl:with-param name="items" select="MODELS/MODEL"/>
      </xsl:call-template>
    </div>
    <xsl:if test="$extended">
      <xsl:call-template name="map-panel"/>
      <xsl:call-template name="game-panels"/>
    </xsl:if>
  </xsl:template>

  <!-- The player's last games and personal bests, each only when the
       document has some. A game's page exists while the game is kept. -->
  <xsl:template name="game-panels">
    <xsl:if test="BESTS/*">
      <section class="cards" id="bests" aria-label="Personal bests">
        <xsl:for-each select="BESTS/*">
          <div class="card">
            <span class="label">
              <xsl:choose>
                <xsl:when test="local-name() = 'KILLS'">Most kills in a game</xsl:when>
                <xsl:when test="local-name() = 'SPREE'">Longest spree</xsl:when>
                <xsl:otherwise>Biggest multi-kill</xsl:otherwise>
              </xsl:choose>
            </span>
            <b><xsl:value-of select="VALUE"/></b>
            <span class="note">
              <xsl:call-template name="game-link"/>
            </span>
          </div>
        </xsl:for-each>
      </section>
    </xsl:if>
    <xsl:if test="LASTGAMES/GAME">
      <section id="games" aria-labelledby="games-title">
        <h2 id="games-title">Last games</h2>
        <div class="table-wrap">
          <table>
            <thead>
              <tr>
                <th scope="col" class="n">Game</th>
                <th scope="col" class="n">Map</th>
                <th scope="col" class="n">Team</th>
                <th scope="col" class="n">Result</th>
                <th scope="col">Kills</th>
                <th scope="col">Deaths</th>
                <th scope="col">Rating</th>
              </tr>
            </thead>
            <tbody>
              <xsl:for-each select="LASTGAMES/GAME">
                <tr>
                  <td class="n">
                    <a href="../kilngames/{NUMBER}.html">
                      <xsl:value-of select="concat('#', NUMBER, ' ')"/>
                    </a>
                    <span class="note"><xsl:value-of select="WHEN"/></span>
                  </td>
                  <td class="n">
                    <xsl:value-of select="MAP"/>
                    <xsl:if test="string(MAP) = ''"><i>no name</i></xsl:if>
                  </td>
                  <td class="n">
                    <span class="{translate(TEAM, 'AXISLE ', 'axisle-')}"><xsl:value-of select="TEAM"/></span>
                  </td>
                  <td class="n"><xsl:value-of select="RESULT"/></td>
                  <td><xsl:value-of select="KILLS"/></td>
                  <td><xsl:value-of select="DEATHS"/></td>
                  <td>
                    <xsl:if test="RATINGCHANGE &gt; 0">+</xsl:if>
                    <xsl:value-of select="RATINGCHANGE"/>
                  </td>
                </tr>
              </xsl:for-each>
            </tbody>
          </table>
        </div>
      </section>
    </xsl:if>
  </xsl:template>

  <!-- "game N" of the figure in context, linked while the game is kept. -->
  <xsl:template name="game-link">
    <xsl:choose>
      <xsl:when test="KEPT = 1">
        <a href="../kilngames/{GAME}.html"><xsl:value-of select="concat('game #', GAME)"/></a>
      </xsl:when>
      <xsl:otherwise><xsl:value-of select="concat('game #', GAME)"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- Rating and activity, counted since the extended statistics began. -->
  <xsl:template name="activity">
    <section class="cards" id="activity" aria-label="Rating and activity">
      <xsl:call-template name="card">
        <xsl:with-param name="label">Rating</xsl:with-param>
        <xsl:with-param name="value" select="RATING"/>
      </xsl:call-template>
      <xsl:call-template name="card">
        <xsl:with-param name="label">Games</xsl:with-param>
        <xsl:with-param name="value" select="ACTIVITY/GAMES"/>
      </xsl:call-template>
      <div class="card">
        <span class="label">Time played</span>
        <b>
          <xsl:variable name="seconds" select="number(ACTIVITY/TIMEPLAYED)"/>
          <xsl:if test="$seconds &gt;= 3600">
            <xsl:value-of select="concat(floor($seconds div 3600), ' h ')"/>
          </xsl:if>
          <xsl:value-of select="concat(floor($seconds mod 3600 div 60), ' min')"/>
        </b>
      </div>
      <xsl:call-template name="text-card">
        <xsl:with-param name="label">First seen</xsl:with-param>
        <xsl:with-param name="value" select="string(ACTIVITY/FIRSTSEEN)"/>
      </xsl:call-template>
      <xsl:call-template name="text-card">
        <xsl:with-param name="label">Last seen</xsl:with-param>
        <xsl:with-param name="value" select="string(ACTIVITY/LASTSEEN)"/>
      </xsl:call-template>
      <xsl:call-template name="text-card">
        <xsl:with-param name="label">Favourite map</xsl:with-param>
        <xsl:with-param name="value" select="string(FAVOURITEMAP)"/>
      </xsl:call-template>
    </section>
  </xsl:template>

  <!-- A card whose value may be empty (never seen, no map): a dash then. -->
  <xsl:template name="text-card">
    <xsl:param name="label"/>
    <xsl:param name="value"/>
    <div class="card">
      <span class="label"><xsl:value-of select="$label"/></span>
      <b>
        <xsl:value-of select="$value"/>
        <xsl:if test="$value = ''">–</xsl:if>
      </b>
    </div>
  </xsl:template>

  <!-- The player's maps, the most games first, then the most kills. -->
  <xsl:template name="map-panel">
    <section id="maps" aria-labelledby="maps-title">
      <h2 id="maps-title">Maps</h2>
      <xsl:choose>
        <xsl:when test="MAPS/MAP">
          <div class="table-wrap">
            <table>
              <thead>
                <tr>
                  <th scope="col" class="n">Map</th>
                  <th scope="col">Games</th>
                  <th scope="col">Kills</th>
                  <th scope="col">Deaths</th>
                  <th scope="col">Ratio</th>
                </tr>
              </thead>
              <tbody>
                <xsl:for-each select="MAPS/MAP">
                  <xsl:sort select="GAMES" data-type="number" order="descending"/>
                  <xsl:sort select="KILLS" data-type="number" order="descending"/>
                  <tr>
                    <td class="n">
                      <xsl:choose>
                        <xsl:when test="string(NAME) != ''"><xsl:value-of select="NAME"/></xsl:when>
                        <xsl:otherwise><i>no name</i></xsl:otherwise>
                      </xsl:choose>
                    </td>
                    <td><xsl:value-of select="GAMES"/></td>
                    <td><xsl:value-of select="KILLS"/></td>
                    <td><xsl:value-of select="DEATHS"/></td>
                    <!-- Kills per death, as RATIO counts it: no deaths count as one. -->
                    <td>
                      <xsl:choose>
                        <xsl:when test="DEATHS &gt; 0">
                          <xsl:value-of select="format-number(KILLS div DEATHS, '0.0')"/>
                        </xsl:when>
                        <xsl:otherwise><xsl:value-of select="format-number(KILLS, '0.0')"/></xsl:otherwise>
                      </xsl:choose>
                    </td>
                  </tr>
                </xsl:for-each>
              </tbody>
            </table>
          </div>
        </xsl:when>
        <xsl:otherwise><p class="empty">None</p></xsl:otherwise>
      </xsl:choose>
    </section>
  </xsl:template>

  <xsl:template name="card">
    <xsl:param name="label"/>
    <xsl:param name="value"/>
    <div class="card">
      <span class="label"><xsl:value-of select="$label"/></span>
      <b><xsl:value-of select="$value"/></b>
    </div>
  </xsl:template>

  <!-- Victims, killers and team-kill victims, most frequent first. These
       names are plain names (no colour) and are not linked: the other player
       may not be listed. The empty name is the world (falls, lava, ...). -->
  <xsl:template name="name-panel">
    <xsl:param name="id"/>
    <xsl:param name="title"/>
    <xsl:param name="items"/>
    <section class="panel" id="{$id}">
      <h2><xsl:value-of select="$title"/></h2>
      <xsl:choose>
        <xsl:when test="$items">
          <ul class="tally">
            <xsl:for-each select="$items">
              <xsl:sort select="TIMES" data-type="number" order="descending"/>
              <li>
                <span class="who">
                  <xsl:choose>
                    <xsl:when test="string(NAME) = ''"><i>the world</i></xsl:when>
                    <!-- A team-kill victim of an extended document: its
                         colours, as the player's own name shows them. -->
                    <xsl:when test="contains(HTMLNAME, '&lt;')">
                      <span class="pn">
                        <xsl:call-template name="colour-markup">
                          <xsl:with-param name="text" select="string(HTMLNAME)"/>
                        </xsl:call-template>
                      </span>
                    </xsl:when>
                    <xsl:when test="HTMLNAME"><xsl:value-of select="HTMLNAME"/></xsl:when>
                    <xsl:otherwise><xsl:value-of select="NAME"/></xsl:otherwise>
                  </xsl:choose>
                </span>
                <span class="num"><xsl:value-of select="TIMES"/></span>
              </li>
            </xsl:for-each>
          </ul>
        </xsl:when>
        <xsl:otherwise><p class="empty">None</p></xsl:otherwise>
      </xsl:choose>
    </section>
  </xsl:template>

  <!-- Counts drawn as bars scaled to the largest count of the panel. Items
       are weapon tallies (a WEAPON code) or named tallies (a NAME). One sort
       per panel; the largest count is found without one. -->
  <xsl:template name="bar-panel">
    <xsl:param name="id"/>
    <xsl:param name="title"/>
    <xsl:param name="items"/>
    <xsl:variable name="most" select="math:max($items/TIMES)"/>
    <section class="panel" id="{$id}">
      <h2><xsl:value-of select="$title"/></h2>
      <xsl:choose>
        <xsl:when test="$items">
          <ul class="bars">
            <xsl:for-each select="$items">
              <xsl:sort select="TIMES" data-type="number" order="descending"/>
              <xsl:variable name="share">
                <xsl:choose>
                  <xsl:when test="number($most) &gt; 0 and number(TIMES) &gt; 0">
                    <xsl:value-of select="round(100 * number(TIMES) div number($most))"/>
                  </xsl:when>
                  <xsl:otherwise>0</xsl:otherwise>
                </xsl:choose>
              </xsl:variable>
              <li>
                <span class="what">
                  <xsl:choose>
                    <xsl:when test="WEAPON">
                      <xsl:call-template name="weapon-name">
                        <xsl:with-param name="code" select="normalize-space(WEAPON)"/>
                      </xsl:call-template>
                    </xsl:when>
                    <xsl:otherwise><xsl:value-of select="NAME"/></xsl:otherwise>
                  </xsl:choose>
                </span>
                <span class="track" aria-hidden="true">
                  <span class="fill" style="width:{$share}%"></span>
                </span>
                <span class="num"><xsl:value-of select="TIMES"/></span>
              </li>
            </xsl:for-each>
          </ul>
        </xsl:when>
        <xsl:otherwise><p class="empty">None</p></xsl:otherwise>
      </xsl:choose>
    </section>
  </xsl:template>

  <xsl:template name="weapon-name">
    <xsl:param name="code"/>
    <xsl:variable name="entry" select="key('weapon', $code)[1]"/>
    <xsl:choose>
      <xsl:when test="normalize-space($entry/FANCYNAME) != ''">
        <xsl:value-of select="$entry/FANCYNAME"/>
      </xsl:when>
      <xsl:when test="normalize-space($entry/NAME) != ''">
        <xsl:value-of select="$entry/NAME"/>
      </xsl:when>
      <xsl:otherwise>
        <xsl:value-of select="concat('Unknown weapon (code ', $code, ')')"/>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

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
