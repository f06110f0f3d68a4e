// Translating windows and menus with the shipped Chinese language file, and a
// check that every text the code translates has an entry in each shipped
// language file.

#include <QComboBox>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <cstdlib>

#include "controls/t_dialog.h"
#include "i18n/language.h"
#include "i18n/window_translation.h"
#include "util/ini_file.h"

namespace {
const std::string kResources = SOURCE_DIR "/resources/";
}  // namespace

class TestTranslation : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    setenv("LC_ALL", "zh_CN.UTF-8", 1);
    LoadLanguage(kResources);
    QCOMPARE(LanguageId(), 2052);
    QCOMPARE(QString::fromStdString(LanguageName()), QStringLiteral("Chinese"));
  }

  void dialogTexts() {
    CTDialog dialog;
    dialog.setWindowTitle(QStringLiteral("System tool"));
    auto* label = new QLabel(QStringLiteral("Device status"), &dialog);
    auto* dots = new QPushButton(QStringLiteral("..."), &dialog);
    auto* edit = new QLineEdit(QStringLiteral("Device status"), &dialog);
    auto* combo = new QComboBox(&dialog);
    combo->addItem(QStringLiteral("15"), 15);
    combo->addItem(QStringLiteral("Search"), 30);
    combo->addItem(QStringLiteral("Stop"), 50);
    combo->setCurrentIndex(2);
    auto* unknown = new QLabel(QStringLiteral("Not in any language file"), &dialog);

    TranslateWindow(&dialog);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("系统工具"));
    QCOMPARE(label->text(), QStringLiteral("设备状态"));
    QCOMPARE(dots->text(), QStringLiteral("..."));
    QCOMPARE(edit->text(), QStringLiteral("Device status"));  // data, not a label
    QCOMPARE(combo->itemText(1), QStringLiteral("搜索"));
    QCOMPARE(combo->itemText(0), QStringLiteral("15"));
    QCOMPARE(combo->currentIndex(), 2);
    QCOMPARE(combo->itemData(2).toInt(), 50);  // the page size stays with its item
    QCOMPARE(unknown->text(), QStringLiteral("Not in any language file"));

    // A second pass translates nothing again, so a translation never becomes a key.
    label->setText(QStringLiteral("Device reboot"));
    TranslateWindow(&dialog);
    QCOMPARE(label->text(), QStringLiteral("Device reboot"));
  }

  void menuKeepsItsStructure() {
    QMenu root;
    QMenu* help = root.addMenu(QStringLiteral("Help"));
    QAction* product = help->addAction(QStringLiteral("Product"));
    product->setObjectName(QStringLiteral("32774"));
    help->addSeparator();
    help->addAction(QStringLiteral("Contact Us"));
    TranslateMenu(&root);
    QCOMPARE(root.actions().front()->text(), QStringLiteral("帮助"));
    QCOMPARE(root.actions().front()->menu(), help);
    QCOMPARE(product->text(), QStringLiteral("产品"));
    QCOMPARE(product->objectName(), QStringLiteral("32774"));
    QCOMPARE(help->actions().last()->text(), QStringLiteral("联系我们"));
    QCOMPARE(help->actions().size(), 3);
  }

  void caseOfTheKeyDoesNotMatter() {
    QCOMPARE(Tr("DEVICE STATUS"), QStringLiteral("设备状态"));
    QCOMPARE(Tr("device status"), QStringLiteral("设备状态"));
  }

  // Every text the code passes to the translation (Tr, TrKey, TextKey,
  // TranslateText with a literal) has an entry in every shipped language file
  // other than English, and the identifier keys (help addresses, field labels)
  // exist in English too.
  void everyTranslatedTextHasAnEntry() {
    const QRegularExpression call(QString::fromLatin1(
        "(?:\\bTr|\\bTrKey|\\bTextKey|\\bTranslateText)\\(\"((?:[^\"\\\\]|\\\\.)+)\"\\)"));
    QStringList keys;
    for (const char* folder : {"app", "pages", "forms", "controls", "util", "i18n", "settings"}) {
      QDirIterator files(QStringLiteral(SOURCE_DIR "/") + QLatin1String(folder),
                         {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                         QDirIterator::Subdirectories);
      while (files.hasNext()) {
        QFile file(files.next());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString source = QString::fromUtf8(file.readAll());
        for (const auto& match : call.globalMatch(source)) keys << match.captured(1);
      }
    }
    keys.removeDuplicates();
    QVERIFY2(keys.size() > 30, "the scan found the program's texts");

    const std::string languageIni = kResources + "Languages/Language.ini";
    QStringList missing;
    for (const char* name : {"Chinese", "English"}) {
      QVERIFY(!ReadIniString(languageIni, "LCID", name == std::string("Chinese") ? "2052" : "1033",
                             "", 1023)
                   .empty());
      const std::string file = kResources + "Languages/" + name + ".lng";
      for (const QString& key : keys) {
        // Keys that are identifiers rather than English words need an English text too.
        const bool needed = name != std::string("English") || key.contains(QLatin1Char('_')) ||
                            key == QLatin1String("DIZOdariridav");
        if (needed && ReadIniString(file, "ProgramOutStr", key.toStdString(), "", 1023).empty()) {
          missing << QStringLiteral("%1: %2").arg(QLatin1String(name), key);
        }
      }
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral("\n"))));
  }
};

QTEST_MAIN(TestTranslation)
#include "test_translation.moc"
