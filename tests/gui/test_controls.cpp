// The skinned controls: paging labels and clicks, text placement, picture
// button states, the animated picture and the scrolled picture.

#include <QMovie>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "controls/page_labels.h"
#include "controls/scroll_bitmap_wnd.h"
#include "controls/t_button_picture.h"
#include "controls/t_multi_pages.h"
#include "controls/t_picture.h"
#include "controls/text_placement.h"
#include "settings/skin_paths.h"

namespace {
QString SkinFile(const char* name) {
  return QStringLiteral(SOURCE_DIR "/resources/Skin/") + QLatin1String(name);
}

QString Text(const std::vector<int>& labels) {
  QStringList parts;
  for (int label : labels)
    parts << (label == kEllipsis ? QStringLiteral("...") : QString::number(label));
  return parts.join(QLatin1Char(' '));
}
}  // namespace

class TestControls : public QObject {
  Q_OBJECT
 private slots:
  // Every skin picture exists and loads, at the size its window gives it.
  void skinPictures() {
    int count = 0;
    const char* const* names = SkinFileNames(count);
    for (int i = 0; i < count; ++i) QVERIFY2(!QImage(SkinFile(names[i])).isNull(), names[i]);
    const struct {
      const char* name;
      QSize size;
    } sized[] = {{"main_bk.jpg", {1056, 674}},
                 {"main_left_bk.jpg", {137, 527}},
                 {"bt_menu_search_normal.bmp", {135, 46}},
                 {"bt_menu_wireless_down.bmp", {135, 46}},
                 {"close_normal.bmp", {26, 16}},
                 {"min_normal.bmp", {26, 16}},
                 {"help_normal.bmp", {26, 16}},
                 {"close_wait.bmp", {17, 15}},
                 {"web_other.bmp", {50, 16}},
                 {"web_chinese.bmp", {50, 16}},
                 {"bridge_other.bmp", {50, 16}},
                 {"bridge_chinese.bmp", {50, 16}},
                 {"write.bmp", {50, 16}}};
    for (const auto& picture : sized) QCOMPARE(QImage(SkinFile(picture.name)).size(), picture.size);
    // The help picture is larger than its page in both directions.
    const QSize help = QImage(SkinFile("help_other.jpg")).size();
    QVERIFY(help.width() > 905 && help.height() > 583);
    QCOMPARE(QImage(SkinFile("help_chinese.jpg")).size(), help);
  }

  void skinPathsFollowTheLanguage() {
    const SkinPaths chinese = BuildSkinPaths("/opt/app/Skin", 2052);
    QCOMPARE(QString::fromStdString(chinese.web), QStringLiteral("/opt/app/Skin/web_chinese.bmp"));
    QCOMPARE(QString::fromStdString(chinese.bridge),
             QStringLiteral("/opt/app/Skin/bridge_chinese.bmp"));
    QCOMPARE(QString::fromStdString(chinese.help),
             QStringLiteral("/opt/app/Skin/help_chinese.jpg"));
    const SkinPaths other = BuildSkinPaths("/opt/app/Skin/", 1033);
    QCOMPARE(QString::fromStdString(other.help), QStringLiteral("/opt/app/Skin/help_other.jpg"));
    QCOMPARE(QString::fromStdString(other.mainBackground),
             QStringLiteral("/opt/app/Skin/main_bk.jpg"));
    QCOMPARE(QString::fromStdString(other.signalStrength[5]),
             QStringLiteral("/opt/app/Skin/singal_strength5.bmp"));
  }

  void pageLabels_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("current");
    QTest::addColumn<QString>("labels");
    QTest::newRow("no pages") << 0 << 1 << "";
    QTest::newRow("three pages") << 3 << 2 << "1 2 3";
    QTest::newRow("exactly seven") << 7 << 7 << "1 2 3 4 5 6 7";
    QTest::newRow("20, first") << 20 << 1 << "1 2 3 4 5 ... 20";
    QTest::newRow("20, fourth") << 20 << 4 << "1 2 3 4 5 ... 20";
    QTest::newRow("20, fifth") << 20 << 5 << "1 ... 4 5 6 ... 20";
    QTest::newRow("20, tenth") << 20 << 10 << "1 ... 9 10 11 ... 20";
    QTest::newRow("20, sixteenth") << 20 << 16 << "1 ... 15 16 17 ... 20";
    QTest::newRow("20, seventeenth") << 20 << 17 << "1 ... 16 17 18 19 20";
    QTest::newRow("20, eighteenth") << 20 << 18 << "1 ... 16 17 18 19 20";
    QTest::newRow("20, last") << 20 << 20 << "1 ... 16 17 18 19 20";
    QTest::newRow("eight pages, middle") << 8 << 5 << "1 ... 4 5 6 7 8";
  }
  void pageLabels() {
    QFETCH(int, count);
    QFETCH(int, current);
    QFETCH(QString, labels);
    QCOMPARE(Text(PageLabels(count, current)), labels);
  }

  void pageLayout() {
    // "1" is narrow (32 px), "100" at 30 px wide gets 38 px; 3 px apart.
    const auto centred = LayoutPageButtons({7, 30}, 200, 40, kPagesCentre);
    QCOMPARE(centred.size(), 2u);
    QCOMPARE(centred[0].width, 32);
    QCOMPARE(centred[1].width, 38);
    QCOMPARE(centred[0].x, (200 - 73) / 2);
    QCOMPARE(centred[1].x, centred[0].x + 35);
    QCOMPARE(centred[0].y, 8);
    QCOMPARE(LayoutPageButtons({7}, 200, 20, kPagesRight)[0].x, 168);
    QCOMPARE(LayoutPageButtons({7}, 20, 20, kPagesRight)[0].x, 0);
    QCOMPARE(LayoutPageButtons({7}, 200, 20, kPagesLeft)[0].x, 2);
    QCOMPARE(LayoutPageButtons({7}, 200, 20, kPagesLeft)[0].y, 0);
  }

  void pagingClicks() {
    CTMultiPages pages;
    pages.resize(400, 30);
    std::vector<std::pair<int, int>> messages;
    pages.SetNotify([&](int id, int page) { messages.emplace_back(id, page); }, 133);
    QCOMPARE(pages.PageCount(), 0);
    pages.SetPages(20, 1);
    pages.show();
    const auto clickButton = [&](int index) {
      QTest::mouseClick(&pages, Qt::LeftButton, {}, pages.ButtonRects()[index].center());
    };
    clickButton(0);  // the current page
    clickButton(5);  // "..."
    QVERIFY(messages.empty());
    clickButton(6);  // 20
    QCOMPARE(messages.size(), 1u);
    QCOMPARE(messages[0], std::make_pair(133, 20));
    QCOMPARE(pages.CurrentPage(), 20);
    QCOMPARE(Text(pages.Labels()), QStringLiteral("1 ... 16 17 18 19 20"));

    // Pressed on one button, released on another: nothing.
    QTest::mousePress(&pages, Qt::LeftButton, {}, pages.ButtonRects()[2].center());
    QTest::mouseRelease(&pages, Qt::LeftButton, {}, pages.ButtonRects()[3].center());
    QCOMPARE(messages.size(), 1u);

    pages.SetPages(3, 9);  // a page beyond the count shows page 1
    QCOMPARE(pages.CurrentPage(), 1);
  }

  void textPlacement_data() {
    QTest::addColumn<int>("placement");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QPoint>("at");
    // Window 100×40, text 30×10.
    QTest::newRow("left") << int(kPlaceLeft) << 50 << QPoint(52, 15);
    QTest::newRow("right") << int(kPlaceRight) << 10 << QPoint(58, 15);
    QTest::newRow("right past the edge") << int(kPlaceRight) << 90 << QPoint(0, 15);
    QTest::newRow("centre") << int(kPlaceCentre) << 7 << QPoint(35, 15);
    QTest::newRow("top left") << int(kPlaceTopLeft) << 7 << QPoint(0, 0);
    QTest::newRow("top centre") << int(kPlaceTopCentre) << 0 << QPoint(35, 0);
    QTest::newRow("bottom left") << int(kPlaceBottomLeft) << 0 << QPoint(0, 30);
    QTest::newRow("bottom centre") << int(kPlaceBottomCentre) << 0 << QPoint(35, 30);
    QTest::newRow("unknown") << 5 << 0 << QPoint(0, 0);
  }
  void textPlacement() {
    QFETCH(int, placement);
    QFETCH(int, offset);
    QFETCH(QPoint, at);
    QCOMPARE(PlaceText(placement, QSize(100, 40), QSize(30, 10), offset), at);
  }

  void textLargerThanButtonStaysInside() {
    QCOMPARE(PlaceText(kPlaceCentre, QSize(20, 10), QSize(30, 14), 0), QPoint(0, 0));
  }

  void buttonStates() {
    CTButtonPicture button;
    button.resize(135, 46);
    button.SetImages(SkinFile("bt_menu_wireless_normal.bmp"), SkinFile("bt_menu_wireless_down.bmp"),
                     SkinFile("bt_menu_search_down.bmp"), SkinFile("missing.bmp"));
    button.SetTextColours(Qt::black, Qt::red);
    button.setText(QStringLiteral("Device status"));
    QCOMPARE(button.CurrentDrawState(), CTButtonPicture::kNormal);
    QCOMPARE(button.CurrentTextColour(), QColor(Qt::black));
    QVERIFY(!button.CurrentFont().bold());

    button.SetSelected(true);  // drawn pressed, highlighted and bold
    QCOMPARE(button.CurrentPicture().toImage(),
             QPixmap(SkinFile("bt_menu_search_down.bmp")).toImage());
    QCOMPARE(button.CurrentTextColour(), QColor(Qt::red));
    QVERIFY(button.CurrentFont().bold());

    button.SetSelected(false);
    button.setEnabled(false);  // the chain stopped at the missing disabled picture
    QCOMPARE(button.CurrentDrawState(), CTButtonPicture::kDisabled);
    QVERIFY(button.CurrentPicture().isNull());
    QCOMPARE(button.CurrentTextColour(), QColor(153, 153, 153));
  }

  void missingNormalPictureMeansNone() {
    CTButtonPicture button;
    button.SetImages(SkinFile("missing.bmp"), SkinFile("bt_menu_search_down.bmp"),
                     SkinFile("bt_menu_search_down.bmp"), SkinFile("bt_menu_search_down.bmp"));
    button.SetSelected(true);
    QVERIFY(button.CurrentPicture().isNull());
  }

  void busyAnimation() {
    QMovie movie(SkinFile("wait_search.gif"));
    QVERIFY(movie.isValid());
    QVERIFY(movie.frameCount() > 1);

    CTPicture picture;
    QVERIFY(picture.LoadPicture(SkinFile("wait_search.gif")));
    QVERIFY(picture.IsAnimated());
    QCOMPARE(picture.size(), QSize(32, 32));
    QCOMPARE(picture.FrameDelay(0), 80);
    QVERIFY(picture.Draw());
    QVERIFY(picture.IsPlaying());
    QTRY_VERIFY_WITH_TIMEOUT(picture.CurrentFrame() >= 2, 2000);
    picture.UnloadPicture();
    QVERIFY(!picture.IsPlaying());
    QCOMPARE(picture.FrameCount(), 0);

    QVERIFY(picture.LoadPicture(SkinFile("btn_search.bmp")));
    QVERIFY(!picture.IsAnimated());
    QVERIFY(picture.Draw());
    QVERIFY(!picture.IsPlaying());
    QVERIFY(!picture.LoadPicture(SkinFile("missing.gif")));
  }

  void scrollBars_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<bool>("horizontal");
    QTest::addColumn<bool>("vertical");
    // Client 400×300.
    QTest::newRow("fits") << QSize(400, 300) << false << false;
    QTest::newRow("wider only") << QSize(800, 200) << true << false;
    QTest::newRow("wider, the bar makes it taller") << QSize(800, 290) << true << true;
    QTest::newRow("taller only") << QSize(300, 900) << false << true;
    QTest::newRow("both") << QSize(1200, 960) << true << true;
  }
  void scrollBars() {
    QFETCH(QSize, picture);
    QFETCH(bool, horizontal);
    QFETCH(bool, vertical);
    const auto [h, v] = CScrollBitmapWnd::BarsNeeded(picture, QSize(400, 300));
    QCOMPARE(h, horizontal);
    QCOMPARE(v, vertical);
  }

  void scrollingThePicture() {
    CScrollBitmapWnd window;
    window.resize(400, 300);
    QVERIFY(window.LoadBitmap(SkinFile("help_other.jpg")));
    window.show();
    QScrollBar* vertical = window.VerticalBar();
    QVERIFY(window.HorizontalBar()->isVisible() && vertical->isVisible());
    QCOMPARE(vertical->maximum(),
             window.PictureSize().height() - (300 - CScrollBitmapWnd::kBarThickness));
    vertical->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(window.Offset().y(), 5);
    vertical->triggerAction(QAbstractSlider::SliderPageStepAdd);  // page steps do nothing
    QCOMPARE(window.Offset().y(), 5);
    vertical->triggerAction(QAbstractSlider::SliderToMaximum);
    QCOMPARE(window.Offset().y(), vertical->maximum());
    window.resize(2000, 2000);  // now it fits: no bars, offsets back to 0
    QVERIFY(!vertical->isVisible());
    QCOMPARE(window.Offset(), QPoint(0, 0));
  }
};

QTEST_MAIN(TestControls)
#include "test_controls.moc"
