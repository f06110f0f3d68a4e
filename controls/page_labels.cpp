#include "controls/page_labels.h"

std::vector<int> PageLabels(int pageCount, int current, int maxButtons) {
  std::vector<int> labels;
  if (pageCount < 1) return labels;
  if (pageCount <= maxButtons) {
    for (int page = 1; page <= pageCount; ++page) labels.push_back(page);
    return labels;
  }
  const int n = pageCount, c = current;
  labels.push_back(1);
  if (c <= 4) {
    labels.insert(labels.end(), {2, 3, 4, 5, kEllipsis});
  } else if (c < n - 3) {
    labels.insert(labels.end(), {kEllipsis, c - 1, c, c + 1, kEllipsis});
  } else {
    labels.insert(labels.end(), {kEllipsis, n - 4, n - 3, n - 2, n - 1});
  }
  labels.push_back(n);
  return labels;
}

std::vector<PageButtonBox> LayoutPageButtons(const std::vector<int>& textWidths, int clientWidth,
                                             int clientHeight, int alignment) {
  constexpr int kHeight = 24, kGap = 3;
  std::vector<PageButtonBox> boxes;
  int total = 0;
  for (int width : textWidths) {
    const int buttonWidth = width < 24 ? 32 : width + 8;
    boxes.push_back(
        {0, clientHeight > kHeight ? (clientHeight - kHeight) / 2 : 0, buttonWidth, kHeight});
    total += buttonWidth;
  }
  if (!boxes.empty()) total += kGap * static_cast<int>(boxes.size() - 1);
  int x = 2;
  if (alignment == kPagesCentre) x = (clientWidth - total) / 2;
  if (alignment == kPagesRight) x = clientWidth - total;
  if (alignment == kPagesCentre || alignment == kPagesRight) {
    if (x < 0) x = 0;
  }
  for (auto& box : boxes) {
    box.x = x;
    x += box.width + kGap;
  }
  return boxes;
}
