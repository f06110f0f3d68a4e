#pragma once
// What a device list page remembers between refreshes: sort column and
// direction, page number, search text and the header box. A header click
// on a sortable column sorts ascending first, then alternates, whichever
// column is clicked. A plain value; user-interface thread.

#include <string>

struct ListPageState {
  int sortColumn;
  // Queries pass its negation as the ascending flag: the first display is
  // descending.
  bool directionFlag = true;
  int pageNumber = 1;
  std::string searchText;
  bool headerBoxTicked = false;

  explicit ListPageState(int initialSortColumn) : sortColumn(initialSortColumn) {}

  bool Ascending() const { return !directionFlag; }
  // A header click on a sortable column: page 1, that column, the direction
  // flag as it was before the click as the ascending flag.
  void SortByHeader(int column) {
    sortColumn = column;
    pageNumber = 1;
    directionFlag = !directionFlag;
  }
};
