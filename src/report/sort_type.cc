#include "report/sort_type.h"

namespace kilnbook {

std::string_view SortByXml(SortType type) {
  switch (type) {
    case SortType::SCORE:
      return "\t<SORT_BY>SCORE</SORT_BY>\n";
    case SortType::RATIO:
      return "\t<SORT_BY>RATIO</SORT_BY>\n";
    case SortType::KILLS:
      return "\t<SORT_BY>KILLS</SORT_BY>\n";
    case SortType::DEATHS:
      return "\t<SORT_BY>DEATHS</SORT_BY>\n";
    case SortType::SUICIDES:
      return "\t<SORT_BY>SUICIDES</SORT_BY>\n";
    case SortType::NONE:
    default:
      return "\t<SORT_BY>NONE</SORT_BY>\n";
  }
}

std::string_view MainPageFileName(SortType type) {
  switch (type) {
    case SortType::SCORE:
      return "kilnbook_score.html";
    case SortType::RATIO:
      return "kilnbook_ratio.html";
    case SortType::KILLS:
      return "kilnbook_kills.html";
    case SortType::DEATHS:
      return "kilnbook_deaths.html";
    case SortType::SUICIDES:
      return "kilnbook_suicides.html";
    case SortType::NONE:
    default:
      return "kilnbook.html";
  }
}

}  // namespace kilnbook
