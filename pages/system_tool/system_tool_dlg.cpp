#include "pages/system_tool/system_tool_dlg.h"

#include <QLabel>
#include <cstring>

#include "app/application_app.h"
#include "controls/grid/grid_ctrl.h"
#include "controls/t_static.h"
#include "i18n/window_translation.h"
#include "settings/style_helpers.h"

namespace {
QString FixedText(const char* text, std::size_t size) {
  return QString::fromUtf8(text, static_cast<qsizetype>(strnlen(text, size)));
}
}  // namespace

std::vector<QString> AdapterRowTexts(int number, const HostNicsInfo& adapter) {
  const uint8_t* mac = adapter.hardware_address;
  const QString macText = QString::asprintf("%02x:%02x:%02x:%02x:%02x:%02x", mac[0], mac[1], mac[2],
                                            mac[3], mac[4], mac[5]);
  QStringList ips;
  const int count = std::clamp(adapter.address_count, 0, kHostNicMaxAddresses);
  for (int i = 0; i < count; ++i)
    ips << FixedText(adapter.addresses[i].ip, sizeof adapter.addresses[i].ip);
  return {QString::number(number), FixedText(adapter.description, sizeof adapter.description),
          macText, ips.join(QStringLiteral("--"))};
}

CSystemToolDlg::CSystemToolDlg(const CApplicationApp& app, AdapterSource adapters, QWidget* parent)
    : CTDialog(parent),
      app_(app),
      adapters_(std::move(adapters)),
      grid_(new CGridCtrl(this)),
      count_(new CTStatic(this)) {
  setObjectName(QStringLiteral("CSystemToolDlg"));
  SetFillBackground(true);
  SetBackgroundColour(app_.style.childBkColor);
  TranslateWindow(this);

  grid_->setObjectName(QStringLiteral("1103"));
  grid_->setGeometry(10, 10, 895, 520);
  grid_->SetLineColour(app_.style.lineColor);
  grid_->SetColumnCount(4);
  const struct {
    const char* header;
    int width;
  } columns[] = {{TextKey("ID"), 60},
                 {TextKey("Description"), 400},
                 {TextKey("MAC"), 140},
                 {TextKey("IP"), 400}};
  for (int column = 0; column < 4; ++column) {
    SetGridHeaderCell(app_.style, *grid_, column, Tr(columns[column].header),
                      columns[column].width);
  }

  auto* line = new QLabel(this);
  line->setObjectName(QStringLiteral("1012"));
  line->setGeometry(10, 540, 895, 2);
  line->setPixmap(QPixmap(app_.SkinFile(app_.skin.line)));
  line->setScaledContents(true);

  count_->setObjectName(QStringLiteral("1017"));
  count_->setGeometry(10, 548, 400, 26);
  count_->SetStaticStyle(app_.style.fontName, app_.style.staticFontWeight,
                         app_.style.staticFontHeight, app_.style.staticTextNumberColor,
                         app_.style.staticFontBkColor);

  Fill();
  timer_.setInterval(kRefreshMs);
  connect(&timer_, &QTimer::timeout, this, &CSystemToolDlg::Fill);
  timer_.start();
}

void CSystemToolDlg::Fill() {
  const std::vector<HostNicsInfo> adapters = adapters_ ? adapters_() : std::vector<HostNicsInfo>{};
  grid_->SetRowCount(1 + static_cast<int>(adapters.size()));
  for (int n = 1; n <= static_cast<int>(adapters.size()); ++n) {
    const std::vector<QString> texts = AdapterRowTexts(n, adapters[n - 1]);
    for (int column = 0; column < 4; ++column)
      SetGridCell(app_.style, *grid_, n, column, texts[column]);
  }
  count_->setText(
      Tr("Adapter count:%d").replace(QStringLiteral("%d"), QString::number(adapters.size())));
}
