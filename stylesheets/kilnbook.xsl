<?xml version="1.0" encoding="UTF-8"?>
<!--
  kilnbook main page: one server's players, ordered as SORT_BY asks.

  The same document arrives six times per server, once per SORT_BY value, and
  each result becomes one of the server's six main pages:
    NONE     kilnbook.html           SCORE    kilnbook_score.html
    RATIO    kilnbook_ratio.html     KILLS    kilnbook_kills.html
    DEATHS   kilnbook_deaths.html    SUICIDES kilnbook_suicides.html
  The page lives in PATH + server name + "/"; player pages in "kilnplayers/"
  below it; the front page in PATH.

  Adapt freely: everything the page needs (styles, the search script) is in
  this file, so the page loads nothing from elsewhere.

  A server may list tens of thousands of players, so the work per player is
  kept small and nothing grows faster than the one sort of the table:
  escaping and maxima use EXSLT (str:, math:), which kilnbook and xsltproc
  provide.

  With EXTENDED_STATS on, the document also carries each player's ACTIVITY,
  RATING and FAVOURITEMAP, the server's MAPS and its HISTORY of 90 days. Only
  then does the page gain rating and last-seen columns, the chart of the
  last days, links to the rating ladder and the maps page, and the hiding of
  inactive players (inactiveDays below); without them the page is as before.
-->
<xsl:stylesheet version="1.0"
    xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
    xmlns:math="http://exslt.org/math"
    xmlns:str="http://exslt.org/strings"
    exclude-result-prefixes="math str">

  <!-- libxslt writes "<!DOCTYPE html>" for this legacy-compat system id. The
       character set goes in an http-equiv meta: libxslt adds one of those to
       every HTML result that lacks it, so a <meta charset> would be a second,
       conflicting declaration. -->
  <xsl:output method="html" encoding="UTF-8" indent="no"
      doctype-system="about:legacy-compat"/>

  <!-- Players last seen more than this many days ago are hidden until the
       visitor asks for them; '' hides nobody. Players never seen since the
       extended statistics began are not known to be inactive and stay. -->
  <xsl:param name="inactiveDays" select="30"/>
  <!-- How many of the document's days of HISTORY the chart shows (up to 90). -->
  <xsl:param name="historyDays" select="90"/>

  <xsl:variable name="sortBy" select="normalize-space(/KILNBOOKS/SORT_BY)"/>
  <!-- Any value other than the five stat names lists the players as the
       document does (by name). -->
  <xsl:variable name="sortKeyTree">
    <xsl:if test="$sortBy = 'SCORE' or $sortBy = 'RATIO' or $sortBy = 'KILLS'
                  or $sortBy = 'DEATHS' or $sortBy = 'SUICIDES'">
      <xsl:value-of select="$sortBy"/>
    </xsl:if>
  </xsl:variable>
  <!-- As a string: a tree fragment would be turned into one on every use. -->
  <xsl:variable name="sortKey" select="string($sortKeyTree)"/>
  <xsl:variable name="info" select="/KILNBOOKS/INFO"/>
  <xsl:variable name="stats" select="/KILNBOOKS/SERVERSTATS"/>
  <xsl:variable name="players" select="/KILNBOOKS/PLAYERS/PLAYER"/>
  <!-- The awards pass over the two records every server keeps for itself:
       the world (the killer of falls and lava) and "Player". -->
  <xsl:variable name="contenders"
      select="$players[not(NAME = 'world_entity' or NAME = 'Player')]"/>
  <xsl:variable name="history" select="/KILNBOOKS/HISTORY"/>
  <xsl:variable name="extended" select="boolean($history)"/>

  <xsl:template match="/">
    <html lang="en">
      <head>
        <meta http-equiv="Content-Type" content="text/html; charset=UTF-8"/>
        <meta name="viewport" content="width=device-width, initial-scale=1"/>
        <meta name="color-scheme" content="light dark"/>
        <title>
          <xsl:value-of select="$info/SERVER_NAME"/>
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
          <xsl:if test="$extended">
            <xsl:call-template name="server-tabs">
              <xsl:with-param name="current">players</xsl:with-param>
            </xsl:call-template>
          </xsl:if>
        </header>
        <main>
          <xsl:call-template name="counters"/>
          <xsl:if test="$extended">
            <xsl:call-template name="history-chart">
              <xsl:with-param name="days"
                  select="$history/DAY[position() &gt; last() - $historyDays]"/>
              <xsl:with-param name="id">history</xsl:with-param>
              <xsl:with-param name="heading" select="concat('Last ', $historyDays, ' days')"/>
            </xsl:call-template>
          </xsl:if>
          <xsl:if test="$players">
            <xsl:call-template name="awards"/>
          </xsl:if>
          <section aria-labelledby="players-title">
            <div class="table-head">
              <h2 id="players-title">
                <xsl:text>Players </xsl:text>
                <span class="muted">
                  <xsl:text>(</xsl:text>
                  <xsl:value-of select="count($players)"/>
                  <xsl:text>)</xsl:text>
                </span>
              </h2>
              <!-- Shown by the script below; without it the page stays whole. -->
              <div class="search" id="search" hidden="hidden">
                <label for="q">Find a player</label>
                <input type="search" id="q" autocomplete="off" spellcheck="false"
                    placeholder="Name"/>
              </div>
            </div>
            <xsl:if test="$extended">
              <xsl:call-template name="idle-toggle"/>
            </xsl:if>
            <xsl:call-template name="player-table"/>
            <p id="nomatch" class="muted" hidden="hidden">No player matches.</p>
          </section>
          <p class="rules muted">
            <xsl:text>Listed: players with at least </xsl:text>
            <xsl:value-of select="/KILNBOOKS/RULES/RULE_MINKILLS"/>
            <xsl:text> kills and a score of at least </xsl:text>
            <xsl:value-of select="/KILNBOOKS/RULES/RULE_MINSCORE"/>
            <xsl:text>. Ratio is kills per death; rate weighs it by score.</xsl:text>
            <xsl:if test="$extended">
              <xsl:text> Rating is an Elo-style skill rating: everyone starts at 1000, a kill moves points from the victim to the killer (more for beating a stronger player), team kills and suicides cost points.</xsl:text>
            </xsl:if>
          </p>
        </main>
        <xsl:call-template name="footer"/>
        <script>
(function () {
  var box = document.getElementById('search');
  var input = document.getElementById('q');
  var none = document.getElementById('nomatch');
  var rows = document.querySelectorAll('#players tbody tr');
  if (!box || !input || !rows.length) return;
  box.hidden = false;
  function apply() {
    var wanted = input.value.trim().toLowerCase();
    var shown = 0;
    for (var i = 0; i !== rows.length; i++) {
      var name = rows[i].querySelector('.n').textContent.toLowerCase();
      var match = name.indexOf(wanted) !== -1;
      rows[i].hidden = !match;
      if (match) shown++;
    }
    none.hidden = shown !== 0;
  }
  input.addEventListener('input', apply);
  // ?q=name opens the page already filtered, so a search can be linked.
  var given = new URLSearchParams(window.location.search).get('q');
  if (given) { input.value = given; apply(); }
})();
        </script>
      </body>
    </html>
  </xsl:template>

  <xsl:template name="counters">
    <section class="cards" aria-label="Server totals">
      <xsl:call-template name="card">
        <xsl:with-param name="label">Games</xsl:with-param>
        <xsl:with-param name="value" select="$stats/GAMEINIT"/>
      </xsl:call-template>
      <xsl:call-template name="card">
        <xsl:with-param name="label">Kills</xsl:with-param>
        <xsl:with-param name="value" select="$stats/KILLS"/>
      </xsl:call-template>
      <xsl:call-template name="card">
        <xsl:with-param name="label">Team kills</xsl:with-param>
        <xsl:with-param name="value" select="$stats/TEAMKILLS"/>
      </xsl:call-template>
      <div class="card teams">
        <span class="label">Wins</span>
        <b><span class="axis"><xsl:value-of select="$stats/REDWIN"/></span>
          <xsl:text> : </xsl:text>
          <span class="allies"><xsl:value-of select="$stats/BLUEWIN"/></span></b>
        <span class="note">Axis : Allies</span>
      </div>
      <div class="card teams">
        <span class="label">Total score</span>
        <b><span class="axis"><xsl:value-of select="$stats/REDSCORE"/></span>
          <xsl:text> : </xsl:text>
          <span class="allies"><xsl:value-of select="$stats/BLUESCORE"/></span></b>
        <span class="note">Axis : Allies</span>
      </div>
      <xsl:call-template name="card">
        <xsl:with-param name="label">Average ping</xsl:with-param>
        <xsl:with-param name="value" select="$stats/PING"/>
      </xsl:call-template>
      <xsl:call-template name="card">
        <xsl:with-param name="label">Connections</xsl:with-param>
        <xsl:with-param name="value" select="$stats/CLIENTCONNECT"/>
      </xsl:call-template>
      <xsl:call-template name="card">
        <xsl:with-param name="label">Players listed</xsl:with-param>
        <xsl:with-param name="value" select="$stats/TOTALPLAYERS"/>
      </xsl:call-template>
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

  <xsl:template name="awards">
    <section class="awards" aria-label="Awards">
      <xsl:call-template name="award">
        <xsl:with-param name="title">Most kills</xsl:with-param>
        <xsl:with-param name="field">KILLS</xsl:with-param>
        <xsl:with-param name="counts" select="$contenders/STATS/KILLS"/>
        <xsl:with-param name="tie">SCORE</xsl:with-param>
      </xsl:call-template>
      <xsl:call-template name="award">
        <xsl:with-param name="title">Best ratio</xsl:with-param>
        <xsl:with-param name="field">RATIO</xsl:with-param>
        <xsl:with-param name="counts" select="$contenders/STATS/RATIO"/>
        <xsl:with-param name="tie">KILLS</xsl:with-param>
      </xsl:call-template>
      <xsl:call-template name="award">
        <xsl:with-param name="title">Highest score</xsl:with-param>
        <xsl:with-param name="field">SCORE</xsl:with-param>
        <xsl:with-param name="counts" select="$contenders/STATS/SCORE"/>
        <xsl:with-param name="tie">KILLS</xsl:with-param>
      </xsl:call-template>
      <xsl:call-template name="award">
        <xsl:with-param name="title">Most suicides</xsl:with-param>
        <xsl:with-param name="field">SUICIDES</xsl:with-param>
        <xsl:with-param name="counts" select="$contenders/STATS/SUICIDES"/>
        <xsl:with-param name="tie">KILLS</xsl:with-param>
      </xsl:call-template>
      <xsl:call-template name="award">
        <xsl:with-param name="title">Most team kills</xsl:with-param>
        <xsl:with-param name="field">TEAMKILLS</xsl:with-param>
        <xsl:with-param name="counts" select="$contenders/STATS/TEAMKILLS"/>
        <xsl:with-param name="tie">KILLS</xsl:with-param>
      </xsl:call-template>
    </section>
  </xsl:template>

  <!-- The leader of one counter: the highest count, then the highest count
       of the tie field, then the first by name; nobody for a count of zero.
       `counts` holds the counter of every contender. One pass over them. -->
  <xsl:template name="award">
    <xsl:param name="title"/>
    <xsl:param name="field"/>
    <xsl:param name="counts"/>
    <xsl:param name="tie"/>
    <xsl:variable name="leaders" select="math:highest($counts)/../.."/>
    <xsl:variable name="tied"
        select="math:highest($leaders/STATS/*[name() = $tie])/../.."/>
    <xsl:variable name="winner" select="$tied[1] | $leaders[not($tied)][1]"/>
    <div class="award">
      <span class="label"><xsl:value-of select="$title"/></span>
      <xsl:choose>
        <xsl:when test="$winner/STATS/*[name() = $field] &gt; 0">
          <xsl:for-each select="$winner">
            <xsl:call-template name="player-link"/>
            <span class="value">
              <xsl:call-template name="stat-text">
                <xsl:with-param name="field" select="$field"/>
              </xsl:call-template>
            </span>
          </xsl:for-each>
        </xsl:when>
        <xsl:otherwise><span class="muted">nobody yet</span></xsl:otherwise>
      </xsl:choose>
    </div>
  </xsl:template>

  <xsl:template name="player-table">
    <div class="table-wrap">
      <table id="players">
        <thead>
          <tr>
            <th scope="col" class="rank">#</th>
            <xsl:call-template name="sort-header">
              <xsl:with-param name="label">Name</xsl:with-param>
              <xsl:with-param name="key"></xsl:with-param>
              <xsl:with-param name="file">kilnbook.html</xsl:with-param>
              <xsl:with-param name="class">n</xsl:with-param>
            </xsl:call-template>
            <xsl:call-template name="sort-header">
              <xsl:with-param name="label">Kills</xsl:with-param>
              <xsl:with-param name="key">KILLS</xsl:with-param>
              <xsl:with-param name="file">kilnbook_kills.html</xsl:with-param>
            </xsl:call-template>
            <xsl:call-template name="sort-header">
              <xsl:with-param name="label">Deaths</xsl:with-param>
              <xsl:with-param name="key">DEATHS</xsl:with-param>
              <xsl:with-param name="file">kilnbook_deaths.html</xsl:with-param>
            </xsl:call-template>
            <xsl:call-template name="sort-header">
              <xsl:with-param name="label">Ratio</xsl:with-param>
              <xsl:with-param name="key">RATIO</xsl:with-param>
              <xsl:with-param name="file">kilnbook_ratio.html</xsl:with-param>
            </xsl:call-template>
            <th scope="col">Rate</th>
            <xsl:call-template name="sort-header">
              <xsl:with-param name="label">Score</xsl:with-param>
              <xsl:with-param name="key">SCORE</xsl:with-param>
              <xsl:with-param name="file">kilnbook_score.html</xsl:with-param>
            </xsl:call-template>
            <th scope="col">Ping</th>
            <xsl:call-template name="sort-header">
              <xsl:with-param name="label">Suicides</xsl:with-param>
              <xsl:with-param name="key">SUICIDES</xsl:with-param>
              <xsl:with-param name="file">kilnbook_suicides.html</xsl:with-param>
            </xsl:call-template>
            <th scope="col">Team kills</th>
            <xsl:if test="$extended">
              <th scope="col"><a href="./kilnbook_ladder.html" title="The rating ladder">Rating</a></th>
              <th scope="col">Last seen</th>
            </xsl:if>
          </tr>
        </thead>
        <tbody>
          <!-- One sort per page. Ties are broken by kills (by score when
               kills lead), then by name; the keys are spelt out so that
               each is a plain path. -->
          <xsl:choose>
            <xsl:when test="$sortKey = 'SCORE'">
              <xsl:for-each select="$players">
                <xsl:sort select="STATS/SCORE" data-type="number" order="descending"/>
                <xsl:sort select="STATS/KILLS" data-type="number" order="descending"/>
                <xsl:call-template name="player-row"/>
              </xsl:for-each>
            </xsl:when>
            <xsl:when test="$sortKey = 'RATIO'">
              <xsl:for-each select="$players">
                <xsl:sort select="STATS/RATIO" data-type="number" order="descending"/>
                <xsl:sort select="STATS/KILLS" data-type="number" order="descending"/>
                <xsl:call-template name="player-row"/>
              </xsl:for-each>
            </xsl:when>
            <xsl:when test="$sortKey = 'KILLS'">
              <xsl:for-each select="$players">
                <xsl:sort select="STATS/KILLS" data-type="number" order="descending"/>
                <xsl:sort select="STATS/SCORE" data-type="number" order="descending"/>
                <xsl:call-template name="player-row"/>
              </xsl:for-each>
            </xsl:when>
            <xsl:when test="$sortKey = 'DEATHS'">
              <xsl:for-each select="$players">
                <xsl:sort select="STATS/DEATHS" data-type="number" order="descending"/>
                <xsl:sort select="STATS/KILLS" data-type="number" order="descending"/>
                <xsl:call-template name="player-row"/>
              </xsl:for-each>
            </xsl:when>
            <xsl:when test="$sortKey = 'SUICIDES'">
              <xsl:for-each select="$players">
                <xsl:sort select="STATS/SUICIDES" data-type="number" order="descending"/>
                <xsl:sort select="STATS/KILLS" data-type="number" order="descending"/>
                <xsl:call-template name="player-row"/>
              </xsl:for-each>
            </xsl:when>
            <xsl:otherwise>
              <xsl:for-each select="$players">
                <xsl:call-template name="player-row"/>
              </xsl:for-each>
            </xsl:otherwise>
          </xsl:choose>
        </tbody>
      </table>
    </div>
  </xsl:template>

  <!-- The current order is marked and not a link; the other five lead to
       their pages, which lie beside this one. -->
  <xsl:template name="sort-header">
    <xsl:param name="label"/>
    <xsl:param name="key"/>
    <xsl:param name="file"/>
    <xsl:param name="class"/>
    <th scope="col">
      <xsl:if test="$class != ''">
        <xsl:attribute name="class"><xsl:value-of select="$class"/></xsl:attribute>
      </xsl:if>
      <xsl:choose>
        <xsl:when test="$key = $sortKey">
          <xsl:if test="$key != ''">
            <xsl:attribute name="aria-sort">descending</xsl:attribute>
          </xsl:if>
          <span class="current" title="Current order">
            <xsl:value-of select="$label"/>
            <span aria-hidden="true"><xsl:text> ▾</xsl:text></span>
          </span>
        </xsl:when>
        <xsl:otherwise>
          <a href="./{$file}" class="sort">
            <xsl:attribute name="title">
              <xsl:choose>
                <xsl:when test="$key = ''">Order by name</xsl:when>
                <xsl:otherwise>
                  <xsl:value-of select="concat('Order by ', $label)"/>
                </xsl:otherwise>
              </xsl:choose>
            </xsl:attribute>
            <xsl:value-of select="$label"/>
          </a>
        </xsl:otherwise>
      </xsl:choose>
    </th>
  </xsl:template>

  <xsl:template name="player-row">
    <tr>
      <xsl:if test="$extended and ACTIVITY/DAYSINACTIVE &gt; $inactiveDays">
        <xsl:attribute name="class">idle</xsl:attribute>
      </xsl:if>
      <td class="rank"><xsl:value-of select="position()"/></td>
      <td class="n"><xsl:call-template name="player-link"/></td>
      <xsl:for-each select="STATS">
        <td><xsl:value-of select="KILLS"/></td>
        <td><xsl:value-of select="DEATHS"/></td>
        <td><xsl:value-of select="format-number(RATIO div 10, '0.0')"/></td>
        <td><xsl:value-of select="RATE"/></td>
        <td><xsl:value-of select="SCORE"/></td>
        <td><xsl:value-of select="PING"/></td>
        <td><xsl:value-of select="SUICIDES"/></td>
        <td><xsl:value-of select="TEAMKILLS"/></td>
      </xsl:for-each>
      <xsl:if test="$extended">
        <td><xsl:value-of select="RATING"/></td>
        <td class="seen"><xsl:call-template name="seen-day"/></td>
      </xsl:if>
    </tr>
  </xsl:template>

  <!-- RATIO holds kills per death times ten. -->
  <xsl:template name="stat-text">
    <xsl:param name="field"/>
    <xsl:choose>
      <xsl:when test="$field = 'RATIO'">
        <xsl:value-of select="format-number(number(STATS/RATIO) div 10, '0.0')"/>
      </xsl:when>
      <xsl:otherwise>
        <xsl:value-of select="STATS/*[name() = $field]"/>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- ==== player links: the same in the main and ladder stylesheets ==== -->
  <!-- Link to the page of the PLAYER in context: PLAINNAME with every "/"
       turned into "_", plus ".html", escaped as url-escape explains. Spelt
       out here, as it runs once per row; most names hold neither "&" nor
       '"' and need no replacing. -->
  <xsl:template name="player-link">
    <xsl:choose>
      <xsl:when test="contains(PLAINNAME, '&amp;') or contains(PLAINNAME, '&quot;')">
        <a class="player"
            href="./kilnplayers/{str:encode-uri(str:replace(str:replace(translate(PLAINNAME, '/', '_'), '&amp;', '&amp;amp;'), '&quot;', '&amp;quot;'), true())}.html">
          <xsl:call-template name="display-name"/>
        </a>
      </xsl:when>
      <xsl:otherwise>
        <a class="player"
            href="./kilnplayers/{str:encode-uri(translate(PLAINNAME, '/', '_'), true())}.html">
          <xsl:call-template name="display-name"/>
        </a>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>
  <!-- ==== end player links ==== -->

  <!-- Inactive players stay in the table with the class "idle"; the style
       sheet hides them while this box is unticked, so no script is needed,
       and shows them while the search box holds a name. Written before the
       table, whose rows the style sheet reaches from it. -->
  <xsl:template name="idle-toggle">
    <xsl:variable name="idle" select="count($players[ACTIVITY/DAYSINACTIVE &gt; $inactiveDays])"/>
    <xsl:if test="$idle &gt; 0">
      <input type="checkbox" id="show-idle" class="idle-toggle"/>
      <label for="show-idle" class="idle-label">
        <xsl:text>Show the </xsl:text>
        <xsl:value-of select="$idle"/>
        <xsl:choose>
          <xsl:when test="$idle = 1"> player</xsl:when>
          <xsl:otherwise> players</xsl:otherwise>
        </xsl:choose>
        <xsl:value-of select="concat(' not seen for more than ', $inactiveDays, ' days')"/>
      </label>
    </xsl:if>
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
