#include "app/child_dlg.h"

#include "app/application_app.h"
#include "app/container_page.h"
#include "app/page_ids.h"
#include "i18n/window_translation.h"
#include "pages/title_page.h"

const char* PageTitle(int pageId) {
  switch (pageId) {
    case kStatusPage:
      return TextKey("Device status");
    case kManagementPage:
      return TextKey("Device management");
    case kBridgePage:
      return TextKey("Device bridge");
    case kRebootPage:
      return TextKey("Device reboot");
    case kUpgradePage:
      return TextKey("Device upgrade");
    case kRestorePage:
      return TextKey("Device restore");
    case kInstallHelpPage:
      return TextKey("Install Help");
    case kSystemToolPage:
      return TextKey("System tool");
    default:
      return "";
  }
}

CChildDlg::CChildDlg(CApplicationApp& app, PageFactory factory, QWidget* parent)
    : CTDialog(parent), current_(kStatusPage) {
  setObjectName(QStringLiteral("CChildDlg"));
  setFixedSize(915, 605);
  app.container = this;
  TranslateWindow(this);
  SetFillBackground(true);
  SetBackgroundColour(app.style.childBkColor);

  constexpr int kSlotOrder[kPageCount] = {kStatusPage,      kManagementPage, kBridgePage,
                                          kRebootPage,      kRestorePage,    kUpgradePage,
                                          kInstallHelpPage, kSystemToolPage};
  constexpr int kCreationOrder[kPageCount] = {kSystemToolPage, kStatusPage,     kManagementPage,
                                              kBridgePage,     kRebootPage,     kRestorePage,
                                              kUpgradePage,    kInstallHelpPage};
  for (int i = 0; i < kPageCount; ++i) slots_[i] = {kSlotOrder[i], nullptr};
  for (int id : kCreationOrder) {
    QWidget* page = factory ? factory(id, this) : nullptr;
    if (!page) {
      page = new CTitlePage(app, TrKey(PageTitle(id)), this);
      page->resize(size());
    }
    page->setParent(this);
    page->setWindowFlags(Qt::Widget);
    page->move(0, 0);
    for (Slot& slot : slots_) {
      if (slot.id == id) slot.widget = page;
    }
  }
  for (const Slot& slot : slots_) slot.widget->setVisible(slot.id == current_);

  showTimer_.setSingleShot(true);
  showTimer_.setInterval(kShowDelayMs);
  connect(&showTimer_, &QTimer::timeout, this, [this] { OnTimer(kShowTimer); });
  periodicTimer_.setInterval(kPeriodicMs);
  connect(&periodicTimer_, &QTimer::timeout, this, [this] { OnTimer(kPeriodicTimer); });
  showTimer_.start();
  periodicTimer_.start();
}

QWidget* CChildDlg::Page(int pageId) const {
  for (const Slot& slot : slots_) {
    if (slot.id == pageId) return slot.widget;
  }
  return nullptr;
}

CContainerPage* CChildDlg::PageInterface(int pageId) const {
  return dynamic_cast<CContainerPage*>(Page(pageId));
}

void CChildDlg::ShowPage(int pageId) {
  if (!Page(pageId)) return;
  current_ = pageId;
  for (const Slot& slot : slots_) slot.widget->setVisible(slot.id == pageId);
  showTimer_.start();
}

bool CChildDlg::RefreshesPeriodically(int pageId, bool automaticRefresh) {
  return automaticRefresh && pageId != kRebootPage && pageId != kUpgradePage &&
         pageId != kRestorePage;
}

void CChildDlg::OnTimer(int timerId) {
  CContainerPage* page = PageInterface(current_);
  if (timerId == kShowTimer) {
    showTimer_.stop();
    if (page) page->RefreshPage();
  } else if (timerId == kPeriodicTimer) {
    if (page && RefreshesPeriodically(current_, automaticRefresh_)) page->RefreshPage();
  }
}

bool CChildDlg::IsTimerRunning(int timerId) const {
  if (timerId == kShowTimer) return showTimer_.isActive();
  if (timerId == kPeriodicTimer) return periodicTimer_.isActive();
  return false;
}

void CChildDlg::OnPagingMessage(int pageId, int pageNumber) {
  if (pageId < kStatusPage || pageId > kRestorePage) return;
  if (CContainerPage* page = PageInterface(pageId)) page->OnPagingMessage(pageNumber);
}
