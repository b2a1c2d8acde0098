#include "render_bench.h"

#include <libxml/parser.h>
#include <libxslt/transform.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <ctime>
#include <memory>
#include <string_view>
#include <vector>

#include "config/config.h"
#include "config/config_file.h"
#include "config/file_names.h"
#include "dat_generator.h"
#include "measure.h"
#include "model/server_list.h"
#include "report/page_renderer.h"
#include "report/player_xml.h"
#include "report/stylesheet.h"
#include "report/summary_xml.h"
#include "store/data_file.h"
#include "store/fd.h"

namespace kilnbook {
namespace {

constexpr char kServer[] = "Bench";

void LoadData(ServerList& servers, const std::string& text) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      end = text.size();
    }
    std::string_view line(text.data() + start, end - start);
    if (line.find("SRV|") != std::string_view::npos) {
      LoadServerRecord(servers, kServer, line);
    } else if (line.find("PLR|") != std::string_view::npos) {
      LoadPlayerRecord(servers, kServer, line);
    }
    start = end + 1;
  }
}

// Every player page made on this thread, one after the other, each page
// created before its document is built and the stylesheet read and compiled
// for each page: the way single pages (the front page) are made.
void PlayerPagesOneAtATime(const Server& server, const std::string& directory,
                           const std::string& stylesheetPath) {
  auto style = std::make_shared<PageStyle>();
  style->transform = [stylesheetPath](std::string_view document) {
    return Stylesheet::Load(stylesheetPath).Transform(document);
  };
  PageRenderer renderer(PageRenderer::kInOrder);
  for (const auto& [name, player] : server.playerTable().players()) {
    if (player->MeetsThresholds()) {
      const Player* shown = player.get();
      renderer.Add(PageKind::kPlayer,
                   directory + PlayerPageFileName(shown->stats().plainName),
                   style, [shown] { return PlayerDocumentXml(*shown); });
    }
  }
  renderer.Run(nullptr);
}

// What any program must do to turn one document into one page with libxslt:
// parse the stylesheet, parse the document, apply, serialise.
void BareTransform(const std::string& stylesheet, const std::string& document) {
  xmlDocPtr styleDoc =
      xmlReadMemory(stylesheet.data(), static_cast<int>(stylesheet.size()),
                    "style.xsl", nullptr, XML_PARSE_NONET);
  xsltStylesheetPtr style = xsltParseStylesheetDoc(styleDoc);
  xmlDocPtr doc =
      xmlReadMemory(document.data(), static_cast<int>(document.size()),
                    "doc.xml", nullptr, XML_PARSE_NONET);
  xmlDocPtr result = xsltApplyStylesheet(style, doc, nullptr);
  xmlChar* text = nullptr;
  int length = 0;
  xsltSaveResultToString(&text, &length, result, style);
  xmlFree(text);
  xmlFreeDoc(result);
  xmlFreeDoc(doc);
  xsltFreeStylesheet(style);
}

// A registry holding the generated server with its players pruned, as
// Output leaves it for the main pages.
struct GeneratedServer {
  explicit GeneratedServer(int players)
      : configFile(ConfigFile::FromText("PATH out/\nSERVER_NAME Bench\n")),
        config(configFile),
        servers(configFile) {
    servers.AddServer(kServer, "192.0.2.1:27960", "");
    DatOptions options;
    options.players = players;
    LoadData(servers, DatText(options));
    servers.Find(kServer)->PrunePlayers();
  }
  ConfigFile configFile;
  Config config;
  ServerList servers;
};

int CountPlayers(const std::string& document) {
  int count = 0;
  for (size_t at = document.find("<PLAYER>"); at != std::string::npos;
       at = document.find("<PLAYER>", at + 1)) {
    ++count;
  }
  return count;
}

// Median seconds of `reps` runs of `body`.
template <typename Body>
double MedianSeconds(int reps, Body body) {
  std::vector<double> times;
  for (int rep = 0; rep < reps; ++rep) {
    double start = Now();
    body();
    times.push_back(Now() - start);
  }
  return Median(times);
}

}  // namespace

std::string GeneratedMainDocument(int players, SortType type) {
  std::tm time{};
  time.tm_year = 126;
  time.tm_mon = 6;
  time.tm_mday = 12;
  time.tm_hour = 9;
  time.tm_min = 5;
  // Some generated players fail the thresholds: generate more until the
  // document lists at least `players`.
  std::string document;
  for (int generatedPlayers = players;;) {
    GeneratedServer generated(generatedPlayers);
    ReportContext context{generated.config, generated.configFile, kServer,
                          "192.0.2.1:27960"};
    document = MainXml(context, generated.servers, type, time);
    int listed = CountPlayers(document);
    if (listed >= players) {
      return document;
    }
    generatedPlayers += players - listed;
  }
}

std::string GeneratedBusiestPlayerDocument(int players) {
  GeneratedServer generated(players);
  std::string busiest;
  for (const auto& entry :
       generated.servers.Find(kServer)->playerTable().players()) {
    std::string document = PlayerDocumentXml(*entry.second);
    if (document.size() > busiest.size()) {
      busiest = std::move(document);
    }
  }
  return busiest;
}

PageResult BenchMainPage(const std::string& stylesheets, int players,
                         int reps) {
  PageResult result;
  std::string document = GeneratedMainDocument(players, SortType::SCORE);
  result.players = CountPlayers(document);
  Stylesheet stylesheet = Stylesheet::Load(stylesheets + "/kilnbook.xsl");
  if (stylesheet.Transform(document).empty()) {
    return result;
  }
  result.seconds = MedianSeconds(reps, [&] { stylesheet.Transform(document); });
  return result;
}

PageResult BenchPlayerPage(const std::string& stylesheets, int players,
                           int busiestReps, int passes) {
  PageResult result;
  GeneratedServer generated(players);
  std::vector<std::string> documents;
  std::string busiest;
  for (const auto& entry :
       generated.servers.Find(kServer)->playerTable().players()) {
    if (entry.second->MeetsThresholds()) {
      documents.push_back(PlayerDocumentXml(*entry.second));
      if (documents.back().size() > busiest.size()) {
        busiest = documents.back();
      }
    }
  }
  result.players = static_cast<int>(documents.size());
  Stylesheet stylesheet =
      Stylesheet::Load(stylesheets + "/kilnbook_player.xsl");
  if (documents.empty() || stylesheet.Transform(busiest).empty()) {
    return result;
  }
  // The busiest page is short: time batches of ten and divide.
  result.seconds = MedianSeconds(busiestReps,
                                 [&] {
                                   for (int i = 0; i < 10; ++i) {
                                     stylesheet.Transform(busiest);
                                   }
                                 }) /
                   10;
  result.averageSeconds =
      MedianSeconds(passes,
                    [&] {
                      for (const std::string& document : documents) {
                        stylesheet.Transform(document);
                      }
                    }) /
      static_cast<double>(documents.size());
  return result;
}

RenderResult BenchRender(const std::string& dir, const std::string& stylesheets,
                         int players, int reps) {
  RenderResult result;
  mkdir(dir.c_str(), 0755);
  char previous[PATH_MAX];
  if (getcwd(previous, sizeof(previous)) == nullptr ||
      chdir(dir.c_str()) != 0) {
    return result;
  }
  mkdir("out", 0755);
  mkdir("out/Bench", 0755);
  mkdir("out/Bench/kilnplayers", 0755);
  WriteText("kilnbook.cfg", "PATH out/\nSERVER_NAME Bench\n");
  std::string styleText =
      ReadAll(stylesheets + "/kilnbook_player.xsl").value_or("");
  WriteText("out/kilnbook_player.xsl", styleText);

  ConfigFile configFile = ConfigFile::Read();
  ServerList servers(configFile);
  servers.AddServer(kServer, "", "");
  DatOptions options;
  options.players = players;
  LoadData(servers, DatText(options));
  Server* server = servers.Find(kServer);

  // The floor gets exactly the documents of the pages the loop writes:
  // pruned players and players below the thresholds have no page.
  server->PrunePlayers();
  std::vector<std::string> documents;
  for (const auto& entry : server->playerTable().players()) {
    if (entry.second->MeetsThresholds()) {
      documents.push_back(PlayerDocumentXml(*entry.second));
    }
  }
  result.pages = static_cast<int>(documents.size());
  // Library set-up (the first Load) is not part of either loop.
  Stylesheet::Load(stylesheets + "/kilnbook_player.xsl");

  std::vector<double> loops, floors;
  for (int rep = 0; rep < reps; ++rep) {
    // Each rep rewrites the pages of the rep before, seconds later; a real
    // run rewrites pages that were written back long ago. Without this the
    // loop waits for the write-back its own previous rep started.
    sync();
    double start = Now();
    PlayerPagesOneAtATime(*server, "out/Bench/kilnplayers/",
                          "out/kilnbook_player.xsl");
    loops.push_back(Now() - start);
    start = Now();
    for (const std::string& document : documents) {
      BareTransform(styleText, document);
    }
    floors.push_back(Now() - start);
  }
  result.loopSeconds = Median(loops);
  result.floorSeconds = Median(floors);
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  result.peakKilobytes = usage.ru_maxrss;
  if (chdir(previous) != 0) {
    result.pages = 0;
  }
  return result;
}

}  // namespace kilnbook
