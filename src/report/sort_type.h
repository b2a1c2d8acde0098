// The six orders a main page asks its stylesheet for.
#ifndef KILNBOOK_REPORT_SORT_TYPE_H_
#define KILNBOOK_REPORT_SORT_TYPE_H_

#include <string_view>

namespace kilnbook {

// The players of a main document are always listed in name order; the sort
// type only names the order the stylesheet should present them in, and
// picks the page's file name. A value outside 0..5 behaves as NONE.
enum class SortType {
  NONE = 0,
  SCORE = 1,
  RATIO = 2,
  KILLS = 3,
  DEATHS = 4,
  SUICIDES = 5,
};

// Every sort type, in the order the main pages are written.
inline constexpr SortType kSortTypes[] = {
    SortType::NONE,  SortType::SCORE,  SortType::RATIO,
    SortType::KILLS, SortType::DEATHS, SortType::SUICIDES,
};

// The SORT_BY line of a main document: one tab, the element, a line feed.
std::string_view SortByXml(SortType type);

// "kilnbook.html", "kilnbook_score.html", ... in the server directory.
std::string_view MainPageFileName(SortType type);

}  // namespace kilnbook

#endif  // KILNBOOK_REPORT_SORT_TYPE_H_
