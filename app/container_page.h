#pragma once
// What the page container asks of a page: a refresh when the page is shown
// and on the container's periodic timer, and the page number chosen in the
// page's paging control. Pages without a list do nothing.
//
// User-interface thread only.

class CContainerPage {
 public:
  virtual ~CContainerPage() = default;
  virtual void RefreshPage() {}
  virtual void OnPagingMessage(int /*pageNumber*/) {}
};
