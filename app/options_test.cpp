// The option controls: what each stores, the enabling rule of the save
// option, the rules of the two text boxes, the settings file read at
// start-up and written at close.
#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>
#include <fstream>

#include "app/gui_test_support.h"

using namespace vellumark::app;
using namespace vellumark::settings;
using namespace vellumark::app::testing;

namespace {

const QString kMiddleDot = QString::fromUtf8("\xEF\xBD\xA5");  // "･", one CP932 byte
const QString kKatakanaDot = QString::fromUtf8("・");          // two CP932 bytes

void PutInt16(QByteArray& bytes, int value) {
  bytes.append(static_cast<char>(value & 0xFF));
  bytes.append(static_cast<char>((value >> 8) & 0xFF));
}

// The settings file as another copy of the program (or a hand) writes it:
// 16-bit little-endian fields, the delimiter as CP932 bytes after its length.
QByteArray SettingsFile(int fullThumbnail, int check1, int makeBM2mokuji, int check2, const QByteArray& delimiter,
                        int opSave, int text2, int opSplit) {
  QByteArray bytes;
  PutInt16(bytes, fullThumbnail);
  PutInt16(bytes, check1);
  PutInt16(bytes, makeBM2mokuji);
  PutInt16(bytes, check2);
  PutInt16(bytes, static_cast<int>(delimiter.size()));
  bytes.append(delimiter);
  PutInt16(bytes, opSave);
  PutInt16(bytes, text2);
  PutInt16(bytes, opSplit);
  return bytes;
}

const QByteArray kMiddleDotCp932("\xA5", 1);

void WriteBytes(const std::filesystem::path& path, const QByteArray& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.constData(), bytes.size());
}

int CheckedIndex(Form1& form, const char* group) {
  return form.findChild<QButtonGroup*>(QString::fromLatin1(group))->checkedId();
}

QList<int> RecordValues(const SettingsRecord& s) {
  return {s.fullThumbnail, s.Check1, s.makeBM2mokuji, s.Check2, s.OpSave, s.Text2, s.OpSplit};
}

bool SplitGroupEnabled(Form1& form) {
  bool all = Control<QLineEdit>(form, "Text2")->isEnabled() && Control<QGroupBox>(form, "Frame5")->isEnabled();
  bool none = !Control<QLineEdit>(form, "Text2")->isEnabled() && !Control<QGroupBox>(form, "Frame5")->isEnabled();
  for (int i = 0; i < 4; ++i) {
    const bool enabled = Control<QRadioButton>(form, ("OpSplit_" + std::to_string(i)).c_str())->isEnabled();
    all = all && enabled;
    none = none && !enabled;
  }
  if (!all && !none) qFatal("the split group is partly enabled");
  return all;
}

}  // namespace

class OptionsTest : public QObject {
  Q_OBJECT

 private slots:
  void clickingAControlStoresItsValue_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QList<int>>("record");  // fullThumbnail, Check1, makeBM2mokuji, Check2, OpSave, Text2, OpSplit
    QTest::newRow("first page only") << "fullThumbnail_1" << QList<int>{1, 1, 0, 1, 0, 1, 0};
    QTest::newRow("no delete first") << "Check1" << QList<int>{0, 0, 0, 1, 0, 1, 0};
    QTest::newRow("scan all pages") << "makeBM2mokuji_1" << QList<int>{0, 1, 1, 1, 0, 1, 0};
    QTest::newRow("not forced") << "Check2" << QList<int>{0, 1, 0, 0, 0, 1, 0};
    QTest::newRow("one file") << "OpSave_1" << QList<int>{0, 1, 0, 1, 1, 1, 0};
    QTest::newRow("size only") << "OpSplit_3" << QList<int>{0, 1, 0, 1, 0, 1, 3};
  }
  void clickingAControlStoresItsValue() {
    QFETCH(QString, control);
    QFETCH(QList<int>, record);
    Sandbox sandbox;
    auto form = sandbox.MakeForm();
    QCOMPARE(RecordValues(form->settings()), (QList<int>{0, 1, 0, 1, 0, 1, 0}));
    Control<QAbstractButton>(*form, control.toLatin1().constData())->click();
    QCOMPARE(RecordValues(form->settings()), record);
  }

  void oneFileGreysOutTheSplitGroupAndKeepsTheUnit() {
    Sandbox sandbox;
    auto form = sandbox.MakeForm();
    Control<QRadioButton>(*form, "OpSplit_2")->click();
    QVERIFY(SplitGroupEnabled(*form));
    Control<QRadioButton>(*form, "OpSave_1")->click();
    QVERIFY(!SplitGroupEnabled(*form));
    QCOMPARE(CheckedIndex(*form, "OpSplit"), 2);
    Control<QRadioButton>(*form, "OpSave_0")->click();
    QVERIFY(SplitGroupEnabled(*form));
    QCOMPARE(CheckedIndex(*form, "OpSplit"), 2);
    QCOMPARE(form->settings().OpSplit, 2);
  }

  void delimiterBoxKeepsOneCharacterOfAtMostTwoBytes_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<bool>("typed");  // typed key by key, else pasted at once
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("result");
    QTest::newRow("second character typed") << kMiddleDot << true << "x" << kMiddleDot;
    QTest::newRow("two single bytes pasted") << "" << false << "ab" << "a";
    QTest::newRow("three single bytes pasted") << "" << false << "abc" << "a";
    QTest::newRow("long word pasted") << "" << false << QString::fromUtf8("区切り文字") << QString::fromUtf8("区");
    QTest::newRow("pasted behind a full box") << kKatakanaDot << false << "xyz" << kKatakanaDot;
    QTest::newRow("pasted behind one byte") << kMiddleDot << false << "xyz" << kMiddleDot;
    QTest::newRow("double-byte character") << "" << true << kKatakanaDot << kKatakanaDot;
    QTest::newRow("third byte refused") << kMiddleDot << true << kKatakanaDot << kMiddleDot;
    QTest::newRow("no CP932 form") << "" << false << QString::fromUtf8("\xF0\x9F\x98\x80") << "";
    QTest::newRow("typed over an empty box") << "" << true << "#" << "#";
  }
  void delimiterBoxKeepsOneCharacterOfAtMostTwoBytes() {
    QFETCH(QString, start);
    QFETCH(bool, typed);
    QFETCH(QString, input);
    QFETCH(QString, result);
    Sandbox sandbox;
    auto form = sandbox.MakeForm();
    auto* text1 = Control<QLineEdit>(*form, "Text1");
    text1->setText(start);
    text1->end(false);
    if (typed) {
      // One key per character, carrying its text as an input method would.
      for (const QChar character : input) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(character));
        QCoreApplication::sendEvent(text1, &press);
      }
    } else {
      // The paste command of the box's context menu and of Ctrl+V.
      QGuiApplication::clipboard()->setText(input);
      text1->paste();
    }
    QCOMPARE(text1->text(), result);
    QCOMPARE(QString::fromStdString(form->settings().Text1), result);
  }

  void deletingTheDelimiterLeavesItEmpty() {
    Sandbox sandbox;
    auto form = sandbox.MakeForm();
    auto* text1 = Control<QLineEdit>(*form, "Text1");
    text1->end(false);
    QTest::keyClick(text1, Qt::Key_Backspace);
    QCOMPARE(text1->text(), QString());
    QCOMPARE(form->settings().Text1, std::string());
  }

  void sizeBoxTakesDigitsOnly() {
    Sandbox sandbox;
    auto form = sandbox.MakeForm();
    auto* text2 = Control<QLineEdit>(*form, "Text2");
    text2->clear();
    QTest::keyClicks(text2, "1a2-b");
    QCOMPARE(text2->text(), QStringLiteral("12"));
    text2->insert(QStringLiteral("x5"));
    QCOMPARE(text2->text(), QStringLiteral("12"));
  }

  void loadSettingsShowsWhatTheFileHolds_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<int>>("record");    // fullThumbnail, Check1, makeBM2mokuji, Check2, OpSave, Text2, OpSplit
    QTest::addColumn<QList<int>>("selected");  // fullThumbnail, makeBM2mokuji, OpSave, OpSplit buttons
    QTest::addColumn<QList<bool>>("checked");  // Check1, Check2
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<QString>("size");
    QTest::addColumn<bool>("splitGroupEnabled");
    QTest::newRow("initial values, 17 bytes")
        << SettingsFile(0, 1, 0, 1, kMiddleDotCp932, 0, 1, 0) << QList<int>{0, 1, 0, 1, 0, 1, 0}
        << QList<int>{0, 0, 0, 0} << QList<bool>{true, true} << kMiddleDot << "1" << true;
    QTest::newRow("every option changed")
        << SettingsFile(1, 0, 1, 0, QByteArray("\x81\x45", 2), 0, 12, 2) << QList<int>{1, 0, 1, 0, 0, 12, 2}
        << QList<int>{1, 1, 0, 2} << QList<bool>{false, false} << kKatakanaDot << "12" << true;
    QTest::newRow("one file greys out the split group")
        << SettingsFile(0, 1, 0, 1, kMiddleDotCp932, 1, 1, 3) << QList<int>{0, 1, 0, 1, 1, 1, 3}
        << QList<int>{0, 0, 1, 3} << QList<bool>{true, true} << kMiddleDot << "1" << false;
    QTest::newRow("split unit without a button loads as chapters")
        << SettingsFile(0, 1, 0, 1, kMiddleDotCp932, 0, 1, 7) << QList<int>{0, 1, 0, 1, 0, 1, 0}
        << QList<int>{0, 0, 0, 0} << QList<bool>{true, true} << kMiddleDot << "1" << true;
    QTest::newRow("indexes and check values out of range")
        << SettingsFile(-1, 5, 2, -3, kMiddleDotCp932, 9, 1, 0) << QList<int>{-1, 5, 2, -3, 9, 1, 0}
        << QList<int>{0, 0, 0, 0} << QList<bool>{true, true} << kMiddleDot << "1" << true;
    QTest::newRow("empty delimiter, 16 bytes")
        << SettingsFile(0, 1, 0, 1, QByteArray(), 0, 1, 0) << QList<int>{0, 1, 0, 1, 0, 1, 0}
        << QList<int>{0, 0, 0, 0} << QList<bool>{true, true} << kMiddleDot << "1" << true;
    QTest::newRow("two-character delimiter keeps the first")
        << SettingsFile(0, 1, 0, 1, QByteArray("ab"), 0, 1, 0) << QList<int>{0, 1, 0, 1, 0, 1, 0}
        << QList<int>{0, 0, 0, 0} << QList<bool>{true, true} << "a" << "1" << true;
  }
  void loadSettingsShowsWhatTheFileHolds() {
    QFETCH(QByteArray, file);
    QFETCH(QList<int>, record);
    QFETCH(QList<int>, selected);
    QFETCH(QList<bool>, checked);
    QFETCH(QString, delimiter);
    QFETCH(QString, size);
    QFETCH(bool, splitGroupEnabled);
    Sandbox sandbox;
    WriteBytes(sandbox.files.settingsPath, file);
    auto form = sandbox.MakeForm();
    QCOMPARE(RecordValues(form->settings()), record);
    QCOMPARE((QList<int>{CheckedIndex(*form, "fullThumbnail"), CheckedIndex(*form, "makeBM2mokuji"),
                         CheckedIndex(*form, "OpSave"), CheckedIndex(*form, "OpSplit")}),
             selected);
    QCOMPARE((QList<bool>{Control<QCheckBox>(*form, "Check1")->isChecked(),
                          Control<QCheckBox>(*form, "Check2")->isChecked()}),
             checked);
    QCOMPARE(Control<QLineEdit>(*form, "Text1")->text(), delimiter);
    QCOMPARE(QString::fromStdString(form->settings().Text1), delimiter);
    QCOMPARE(Control<QLineEdit>(*form, "Text2")->text(), size);
    QCOMPARE(SplitGroupEnabled(*form), splitGroupEnabled);
  }

  void greyedCheckValueFromTheFileIsShownAndKept() {
    Sandbox sandbox;
    WriteBytes(sandbox.files.settingsPath, SettingsFile(0, 2, 0, 1, kMiddleDotCp932, 0, 1, 0));
    auto form = sandbox.MakeForm();
    auto* check1 = Control<QCheckBox>(*form, "Check1");
    QCOMPARE(check1->checkState(), Qt::PartiallyChecked);
    QCOMPARE(form->settings().Check1, 2);
    // The user's clicks leave the greyed state for good: checked, unchecked,
    // checked again, never greyed.
    check1->click();
    check1->click();
    check1->click();
    QCOMPARE(check1->checkState(), Qt::Checked);
    QCOMPARE(form->settings().Check1, 1);
  }

  void closingWritesTheOptionsForTheNextStart() {
    Sandbox sandbox;
    {
      auto form = sandbox.MakeForm();
      form->show();
      Control<QRadioButton>(*form, "fullThumbnail_1")->click();
      Control<QCheckBox>(*form, "Check2")->click();
      Control<QRadioButton>(*form, "OpSplit_1")->click();
      Control<QRadioButton>(*form, "OpSave_1")->click();
      Control<QLineEdit>(*form, "Text2")->setText(QStringLiteral("25"));
      Control<QLineEdit>(*form, "Text1")->setText(kKatakanaDot);
      QVERIFY(form->close());
    }
    const std::string written = ReadFile(sandbox.files.settingsPath);
    const QByteArray expected = SettingsFile(1, 1, 0, 0, QByteArray("\x81\x45", 2), 1, 25, 1);
    QCOMPARE(QByteArray::fromStdString(written), expected);

    auto next = sandbox.MakeForm();
    QCOMPARE(RecordValues(next->settings()), (QList<int>{1, 1, 0, 0, 1, 25, 1}));
    QCOMPARE(Control<QLineEdit>(*next, "Text1")->text(), kKatakanaDot);
    QCOMPARE(Control<QLineEdit>(*next, "Text2")->text(), QStringLiteral("25"));
    QVERIFY(!SplitGroupEnabled(*next));
  }

  void theWholeTreeItemIsKeptBesideTheUnchangedSettingsFile() {
    Sandbox sandbox;
    {
      auto form = sandbox.MakeForm();
      form->show();
      QAction* item = form->findChild<QAction*>(QStringLiteral("mnFullOutline"));
      QVERIFY(item != nullptr);
      QVERIFY(item->isCheckable());
      QVERIFY(!item->isChecked());
      QVERIFY(!form->settings().fullOutline);
      item->trigger();
      QVERIFY(form->settings().fullOutline);
      QVERIFY(form->close());
    }
    // The settings file keeps the layout peers read; the option is beside it.
    QCOMPARE(QByteArray::fromStdString(ReadFile(sandbox.files.settingsPath)),
             SettingsFile(0, 1, 0, 1, kMiddleDotCp932, 0, 1, 0));
    auto next = sandbox.MakeForm();
    QVERIFY(next->findChild<QAction*>(QStringLiteral("mnFullOutline"))->isChecked());
    QVERIFY(next->settings().fullOutline);
  }

  void anEmptySizeBoxKeepsTheSizeOfTheRecord() {
    Sandbox sandbox;
    WriteBytes(sandbox.files.settingsPath, SettingsFile(0, 1, 0, 1, kMiddleDotCp932, 0, 4, 0));
    {
      auto form = sandbox.MakeForm();
      form->show();
      Control<QLineEdit>(*form, "Text2")->clear();
      QVERIFY(form->close());
    }
    auto next = sandbox.MakeForm();
    QCOMPARE(next->settings().Text2, 4);
  }
};

QTEST_MAIN(OptionsTest)
#include "options_test.moc"
