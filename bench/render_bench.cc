#include "render_bench.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <memory>
#include <string_view>
#include <vector>

#include <libxml/parser.h>
#include <libxslt/transform.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>

#include "config/config_file.h"
#include "dat_generator.h"
#include "measure.h"
#include "model/server_list.h"
#include "report/page_writer.h"
#include "report/player_xml.h"
#include "report/xsl_transformer.h"
#include "store/data_file.h"

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

// What any program must do to turn one document into one page with libxslt:
// parse the stylesheet, parse the document, apply, serialise.
void BareTransform(const std::string& stylesheet, const std::string& document) {
  xmlDocPtr styleDoc = xmlReadMemory(stylesheet.data(),
                                     static_cast<int>(stylesheet.size()),
                                     "style.xsl", nullptr, XML_PARSE_NONET);
  xsltStylesheetPtr style = xsltParseStylesheetDoc(styleDoc);
  xmlDocPtr doc = xmlReadMemory(document.data(),
                                static_cast<int>(document.size()), "doc.xml",
                                nullptr, XML_PARSE_NONET);
  xmlDocPtr result = xsltApplyStylesheet(style, doc, nullptr);
  xmlChar* text = nullptr;
  int length = 0;
  xsltSaveResultToString(&text, &length, result, style);
  xmlFree(text);
  xmlFreeDoc(result);
  xmlFreeDoc(doc);
  xsltFreeStylesheet(style);
}

}  // namespace

RenderResult BenchRender(const std::string& dir, const std::string& stylesheets,
                         int players, int reps) {
  RenderResult result;
  mkdir(dir.c_str(), 0755);
  char previous[PATH_MAX];
  if (getcwd(previous, sizeof(previous)) == nullptr || chdir(dir.c_str()) != 0) {
    return result;
  }
  mkdir("out", 0755);
  mkdir("out/Bench", 0755);
  mkdir("out/Bench/kilnplayers", 0755);
  WriteText("kilnbook.cfg", "PATH out/\nSERVER_NAME Bench\n");
  std::string styleText =
      ReadWholeFile(stylesheets + "/kilnbook_player.xsl").value_or("");
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
  XslTransformer warmUp;  // library set-up is not part of either loop

  std::vector<double> loops, floors;
  for (int rep = 0; rep < reps; ++rep) {
    // Each rep rewrites the pages of the rep before, seconds later; a real
    // run rewrites pages that were written back long ago. Without this the
    // loop waits for the write-back its own previous rep started.
    sync();
    double start = Now();
    PlayerPages(*server, "out/Bench/kilnplayers/");
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
