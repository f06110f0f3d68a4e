#pragma once
// The labels and button layout of the paging control: at most seven page
// buttons, the first and the last page always shown, "..." (kEllipsis) for the
// pages left out around the current one.

#include <vector>

inline constexpr int kEllipsis = -1;
inline constexpr int kMaxPageButtons = 7;

// Labels for `pageCount` pages with `current` (1-based) shown; empty when the
// count is below 1.
std::vector<int> PageLabels(int pageCount, int current, int maxButtons = kMaxPageButtons);

struct PageButtonBox {
  int x, y, width, height;
};

enum PageAlignment { kPagesLeft = 0, kPagesCentre = 1, kPagesRight = 2 };

// Button rectangles for labels whose texts are `textWidths` pixels wide, in a
// client area of clientWidth × clientHeight.
std::vector<PageButtonBox> LayoutPageButtons(const std::vector<int>& textWidths, int clientWidth,
                                             int clientHeight, int alignment);
