#pragma once
// Dialog identifiers of the eight pages; the paging controls report with them.

enum PageId : int {
  kStatusPage = 133,
  kManagementPage = 134,
  kBridgePage = 135,
  kRebootPage = 136,
  kUpgradePage = 137,
  kRestorePage = 138,
  kInstallHelpPage = 139,
  kSystemToolPage = 155,
};
