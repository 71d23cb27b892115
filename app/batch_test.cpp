// The menu commands: "連続変換" with its lock, its checks and its failure
// report, closing during a batch, the two list-file buttons and the "Tool"
// menu's contents list copy.
#include <QAction>
#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <fstream>
#include <map>
#include <optional>

#include "acrobat/real_engine.h"
#include "app/drop_list.h"
#include "app/gui_test_support.h"
#include "app/window_texts.h"
#include "bookmarks/heading_list_file.h"
#include "joblist/job_list_file.h"
#include "pipeline/batch.h"
#include "pipeline/status_texts.h"
#include "settings/settings.h"

using namespace vellumark::app;
using namespace vellumark::settings;
using namespace vellumark::app::testing;
using vellumark::testsupport::MakePages;

namespace {

const char* const kLockedControls[] = {"menu_0", "Frame7", "CmdFileIO_0", "CmdFileIO_1", "Frame1", "List1", "List2"};

// Enabled state of every control the user could reach during a batch.
std::map<QString, bool> EnabledStates(Form1& form) {
  std::map<QString, bool> states;
  for (const char* name : kLockedControls) {
    if (QWidget* widget = form.findChild<QWidget*>(QString::fromLatin1(name))) {
      states[QString::fromLatin1(name)] = widget->isEnabled();
    } else {
      states[QString::fromLatin1(name)] = Control<QAction>(form, name)->isEnabled();
    }
  }
  states[QStringLiteral("menu_1")] = Control<QMenu>(form, "menu_1")->isEnabled();
  states[QStringLiteral("mn1")] = Control<QAction>(form, "mn1")->isEnabled();
  states[QStringLiteral("Text2")] = Control<QLineEdit>(form, "Text2")->isEnabled();
  return states;
}

std::map<QString, bool> ExpectedStates(bool idle, bool splitBySize) {
  std::map<QString, bool> states;
  for (const char* name : kLockedControls) states[QString::fromLatin1(name)] = idle;
  states[QStringLiteral("menu_1")] = true;
  states[QStringLiteral("mn1")] = true;
  states[QStringLiteral("Text2")] = idle && splitBySize;
  return states;
}

void RunBatch(Form1& form) { Control<QAction>(form, "menu_0")->trigger(); }

void WriteBytesTo(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> FileLines(const std::filesystem::path& path) {
  const std::string content = ReadFile(path);
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < content.size()) {
    const std::size_t end = content.find("\r\n", start);
    if (end == std::string::npos) break;
    lines.push_back(content.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

bool WorkingFolderHoldsPdfs(const std::filesystem::path& folder) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    std::string extension = entry.path().extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == ".pdf") return true;
  }
  return false;
}

}  // namespace

class BatchTest : public QObject {
  Q_OBJECT

 private:
  // Registers jobs/<name>.pdf with the fake engine, `pages` pages of text.
  std::string AddPdf(Sandbox& sandbox, const std::string& name, int pages,
                     const std::vector<std::string>& texts = {}) {
    const auto path = sandbox.Path("jobs/" + name + ".pdf");
    sandbox.engine.AddFile(path, MakePages(name, pages, 1000, texts));
    return path.string();
  }

  void DropJobs(Form1& form, const QStringList& parents) { DropFiles(*Control<DropList>(form, "List1"), parents); }

 private slots:
  void anEmptyListIsReportedAndNothingIsLocked() {
    Sandbox sandbox;
    auto form = sandbox.MakeForm();
    RunBatch(*form);
    QCOMPARE(sandbox.messages.shown.size(), std::size_t{1});
    QCOMPARE(sandbox.messages.shown[0].text, QString::fromUtf8(vellumark::pipeline::kNoListMessage));
    QCOMPARE(sandbox.messages.shown[0].icon, MessageIcon::kInformation);
    QCOMPARE(EnabledStates(*form), ExpectedStates(true, true));
    QVERIFY(!std::filesystem::exists(sandbox.files.saveListPath));
  }

  void aBadSizeStopsASplitBatchBeforeItStarts_data() {
    QTest::addColumn<QString>("size");
    QTest::newRow("empty") << "";
    QTest::newRow("zero") << "0";
    QTest::newRow("too large for a part") << "2049";
  }
  void aBadSizeStopsASplitBatchBeforeItStarts() {
    QFETCH(QString, size);
    Sandbox sandbox;
    auto form = sandbox.MakeForm();
    DropJobs(*form, {QString::fromStdString(AddPdf(sandbox, "P", 2))});
    Control<QLineEdit>(*form, "Text2")->setText(size);
    RunBatch(*form);
    QCOMPARE(sandbox.messages.shown.size(), std::size_t{1});
    QCOMPARE(sandbox.messages.shown[0].icon, MessageIcon::kWarning);
    QVERIFY(!sandbox.messages.shown[0].text.isEmpty());
    QCOMPARE(sandbox.engine.saveCount(), 0);
    QCOMPARE(form->jobList().jobs().size(), std::size_t{1});
    QVERIFY(!std::filesystem::exists(sandbox.files.saveListPath));
    QCOMPARE(EnabledStates(*form), ExpectedStates(true, true));
  }

  void theBatchLocksTheControlsItNamesAndTheJobLists() {
    Sandbox sandbox;
    auto form = sandbox.ShowForm();
    const std::string p = AddPdf(sandbox, "P", 2);
    const std::string c = AddPdf(sandbox, "C", 1);
    const std::string q = AddPdf(sandbox, "Q", 3);
    DropJobs(*form, {QString::fromStdString(p), QString::fromStdString(q)});
    Control<DropList>(*form, "List1")->setCurrentRow(0);
    DropFiles(*Control<DropList>(*form, "List2"), {QString::fromStdString(c)});
    Control<DropList>(*form, "List1")->setCurrentRow(1);  // Q: no children shown
    Control<QRadioButton>(*form, "OpSave_1")->click();

    QStringList titles;
    std::vector<std::map<QString, bool>> statesDuringRun;
    std::vector<QStringList> childrenShown;
    connect(form.get(), &QWidget::windowTitleChanged, this, [&](const QString& title) {
      titles.append(title);
      statesDuringRun.push_back(EnabledStates(*form));
      childrenShown.push_back(Entries(*Control<DropList>(*form, "List2")));
    });
    RunBatch(*form);

    QVERIFY(sandbox.messages.shown.empty());
    QVERIFY(!titles.isEmpty());
    QCOMPARE(titles.front(), QStringLiteral("wait"));
    QCOMPARE(form->windowTitle(), QStringLiteral("Comp!"));
    for (const auto& states : statesDuringRun) QCOMPARE(states, ExpectedStates(false, false));
    // After the batch the option frame is live again, but the size box stays
    // greyed out because one-file saving is still chosen.
    QCOMPARE(EnabledStates(*form), ExpectedStates(true, false));
    QCOMPARE(Control<DropList>(*form, "List1")->count(), 0);

    // The child list shows the children of the job being converted.
    const int loadP = static_cast<int>(titles.indexOf(QStringLiteral("Load bookmark")));
    const int loadQ = static_cast<int>(titles.lastIndexOf(QStringLiteral("Load bookmark")));
    QVERIFY(loadP >= 0 && loadQ > loadP);
    QCOMPARE(childrenShown[static_cast<std::size_t>(loadP)], QStringList{QString::fromStdString(c)});
    QCOMPARE(childrenShown[static_cast<std::size_t>(loadQ)], QStringList{});

    const auto outputP = sandbox.Path("jobs/変換済み/P.pdf");
    const auto outputQ = sandbox.Path("jobs/変換済み/Q.pdf");
    QCOMPARE(sandbox.engine.SavedAt(outputP).labels(), (std::vector<std::string>{"P1", "P2", "C1"}));
    QCOMPARE(sandbox.engine.SavedAt(outputQ).labels(), (std::vector<std::string>{"Q1", "Q2", "Q3"}));
    QCOMPARE(FileLines(sandbox.files.saveListPath), (std::vector<std::string>{p + "\t" + c, q}));
    QVERIFY(!std::filesystem::exists(sandbox.files.saveListTmpPath));
  }

  void aFailingJobIsReportedAndTheWindowIsUsableAgain() {
    Sandbox sandbox;
    auto form = sandbox.ShowForm();
    const std::string missing = sandbox.Path("jobs/missing.pdf").string();  // never created
    const std::string q = AddPdf(sandbox, "Q", 1);
    DropJobs(*form, {QString::fromStdString(missing), QString::fromStdString(q)});
    Control<QRadioButton>(*form, "OpSave_1")->click();
    RunBatch(*form);

    const QString problem = sandbox.messages.ProblemWithOneErrorNaming(QStringLiteral("missing.pdf"));
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(EnabledStates(*form), ExpectedStates(true, false));
    // The failed job stays on top for the next attempt.
    QCOMPARE(form->jobList().jobs().front(), missing);
    QCOMPARE(sandbox.engine.saveCount(), 0);

    // The window takes the next command as usual.
    Control<DropList>(*form, "List1")->setCurrentRow(0);
    QTest::keyClick(Control<DropList>(*form, "List1"), Qt::Key_Delete);
    RunBatch(*form);
    QCOMPARE(sandbox.messages.shown.size(), std::size_t{1});
    QVERIFY(sandbox.engine.saved().count(sandbox.Path("jobs/変換済み/Q.pdf")) == 1);
  }

  void aPartOverTheLimitIsReportedWhenTheBatchEnds() {
    Sandbox sandbox;
    auto form = sandbox.ShowForm();
    // One page that alone saves over the 1 MB limit: written as a part of
    // its own, which the user must hear about once the caption has moved on.
    const auto path = sandbox.Path("jobs/Big.pdf");
    sandbox.engine.AddFile(path, MakePages("Big", 1, 2'000'000));
    DropJobs(*form, {QString::fromStdString(path.string())});
    Control<QRadioButton>(*form, "OpSplit_3")->click();
    RunBatch(*form);

    // The warning stands in the batch's closing summary, no box of its own.
    QVERIFY(sandbox.messages.shown.empty());
    QCOMPARE(sandbox.messages.summaries.size(), std::size_t{1});
    QVERIFY2(sandbox.messages.summaries[0].text.contains(QStringLiteral("Big_001.PDF")),
             qPrintable(sandbox.messages.summaries[0].text));
    QVERIFY(sandbox.engine.saved().count(sandbox.Path("jobs/変換済み/Big_001.PDF")) == 1);
  }

  void contentsWithoutEndAreReportedWhenTheBatchEnds() {
    Sandbox sandbox;
    auto form = sandbox.ShowForm();
    // A contents page that never reaches its "END" line: the job completes,
    // and the user hears which job's bookmarks may be wrong.
    const std::string path = AddPdf(sandbox, "目次", 3, {"表紙", "目 次\r第1章総則･････････1", "本文"});
    DropJobs(*form, {QString::fromStdString(path)});
    RunBatch(*form);

    // The warning stands in the batch's closing summary, no box of its own.
    QVERIFY(sandbox.messages.shown.empty());
    QCOMPARE(sandbox.messages.summaries.size(), std::size_t{1});
    const QString text = sandbox.messages.summaries[0].text;
    QVERIFY2(text.contains(QString::fromUtf8("「目次.pdf」")), qPrintable(text));
    QVERIFY2(text.contains(QString::fromUtf8(vellumark::pipeline::kWarnContentsEndMissing)), qPrintable(text));
    QVERIFY(std::filesystem::exists(sandbox.Path("jobs/変換済み/目次_001.PDF")));
  }

  void aSplitUnitWithoutAButtonInTheSettingsFileStillWritesParts() {
    Sandbox sandbox;
    SettingsRecord record;
    record.OpSplit = 7;  // only a hand-made file holds this
    WriteSettingsFile(sandbox.files.settingsPath, record);
    auto form = sandbox.MakeForm();
    QVERIFY(Control<QRadioButton>(*form, "OpSplit_0")->isChecked());
    DropJobs(*form, {QString::fromStdString(AddPdf(sandbox, "P", 2))});
    RunBatch(*form);
    QVERIFY(sandbox.messages.shown.empty());
    QCOMPARE(sandbox.engine.SavedAt(sandbox.Path("jobs/変換済み/P_001.PDF")).labels(),
             (std::vector<std::string>{"P1", "P2"}));
  }

  void aJobNameCp932CannotCarryRunsAndIsKeptInTheListFile() {
    // Before, the batch stopped at the first list-file write.
    Sandbox sandbox;
    auto form = sandbox.MakeForm();
    const std::string cafe = AddPdf(sandbox, "café", 1);
    const std::string q = AddPdf(sandbox, "Q", 1);
    DropJobs(*form, {QString::fromStdString(cafe), QString::fromStdString(q)});
    Control<QRadioButton>(*form, "OpSave_1")->click();
    RunBatch(*form);
    QVERIFY(sandbox.messages.shown.empty());
    QCOMPARE(sandbox.engine.SavedAt(sandbox.Path("jobs/変換済み/café.pdf")).labels(),
             std::vector<std::string>{"café1"});
    QCOMPARE(vellumark::joblist::LoadJobListFile(sandbox.files.saveListPath), (std::vector<std::string>{cafe, q}));
  }

  void aListFileTheBatchCannotWriteIsReportedAndUnlocks() {
    Sandbox sandbox;
    std::filesystem::create_directories(sandbox.files.saveListPath);  // a folder where the file should go
    auto form = sandbox.MakeForm();
    DropJobs(*form, {QString::fromStdString(AddPdf(sandbox, "P", 1))});
    Control<QRadioButton>(*form, "OpSave_1")->click();
    RunBatch(*form);
    const QString problem = sandbox.messages.ProblemWithOneErrorNaming(QStringLiteral("SaveList.txt"));
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(EnabledStates(*form), ExpectedStates(true, false));
    QCOMPARE(form->jobList().jobs().size(), std::size_t{1});
  }

  void aSecondBatchIsRefusedWhileAnotherHoldsTheListFiles() {
    Sandbox sandbox;
    auto form = sandbox.ShowForm();
    DropJobs(*form, {QString::fromStdString(AddPdf(sandbox, "P", 1))});
    Control<QRadioButton>(*form, "OpSave_1")->click();
    {
      // The command line (or another window) runs a batch on the same list files.
      const auto other = vellumark::pipeline::TakeBatchLock(sandbox.files);
      QVERIFY(other.has_value());
      RunBatch(*form);
      QCOMPARE(sandbox.messages.shown.size(), std::size_t{1});
      QCOMPARE(sandbox.messages.shown[0].text, QString::fromUtf8(vellumark::pipeline::kBatchRunningMessage));
      QCOMPARE(sandbox.messages.shown[0].icon, MessageIcon::kWarning);
      QCOMPARE(EnabledStates(*form), ExpectedStates(true, false));
      QCOMPARE(form->jobList().jobs().size(), std::size_t{1});
      QCOMPARE(sandbox.engine.saveCount(), 0);
      QVERIFY(!std::filesystem::exists(sandbox.files.saveListPath));
    }

    // Once it is over the window runs its own, holding the lock meanwhile.
    std::optional<bool> othersRefusedDuringTheJob;
    connect(form.get(), &QWidget::windowTitleChanged, this, [&](const QString& title) {
      if (title == QStringLiteral("wait")) {
        othersRefusedDuringTheJob = !vellumark::pipeline::TakeBatchLock(sandbox.files).has_value();
      }
    });
    RunBatch(*form);
    QCOMPARE(sandbox.messages.shown.size(), std::size_t{1});
    QCOMPARE(othersRefusedDuringTheJob, std::optional<bool>(true));
    QVERIFY(form->jobList().jobs().empty());
    QVERIFY(vellumark::pipeline::TakeBatchLock(sandbox.files).has_value());
  }

  void closingDuringABatchAsksAndStopsAfterTheCurrentJob_data() {
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<int>("jobsLeft");
    QTest::newRow("confirmed") << true << 2;
    QTest::newRow("declined") << false << 0;
  }
  void closingDuringABatchAsksAndStopsAfterTheCurrentJob() {
    QFETCH(bool, confirmed);
    QFETCH(int, jobsLeft);
    Sandbox sandbox;
    auto form = sandbox.ShowForm();
    DropJobs(*form, {QString::fromStdString(AddPdf(sandbox, "A", 1)), QString::fromStdString(AddPdf(sandbox, "B", 1)),
                     QString::fromStdString(AddPdf(sandbox, "C", 1))});
    Control<QRadioButton>(*form, "OpSave_1")->click();
    sandbox.messages.confirmAnswers.push_back(confirmed);
    bool closeQueued = false;
    connect(form.get(), &QWidget::windowTitleChanged, this, [&](const QString& title) {
      // The user clicks the close box while the first job runs; the click is
      // handled at the next status yield.
      if (!closeQueued && title == QStringLiteral("wait")) {
        closeQueued = true;
        QMetaObject::invokeMethod(form.get(), "close", Qt::QueuedConnection);
      }
    });
    RunBatch(*form);

    QCOMPARE(sandbox.messages.questions, QStringList{QString::fromUtf8(kCloseDuringBatchQuestion)});
    QCOMPARE(static_cast<int>(form->jobList().jobs().size()), jobsLeft);
    QCOMPARE(form->isVisible(), !confirmed);
    QCOMPARE(std::filesystem::exists(sandbox.files.settingsPath), confirmed);
    QVERIFY(!WorkingFolderHoldsPdfs(sandbox.files.workFolder));
    if (confirmed) {
      QCOMPARE(static_cast<int>(FileLines(sandbox.files.saveListTmpPath).size()), 2);
    }
  }

  void saveListWritesTheJobsWhereTheUserChooses() {
    Sandbox sandbox;
    auto form = sandbox.MakeForm();
    const QString a = sandbox.PathText("jobs/A.pdf");
    const QString b = sandbox.PathText("jobs/B.pdf");
    DropJobs(*form, {a, b});
    const QString target = sandbox.PathText("app/mine.txt");
    sandbox.messages.fileAnswers.push_back(target);
    Control<QPushButton>(*form, "CmdFileIO_0")->click();
    QCOMPARE(sandbox.messages.dialogStartPaths,
             QStringList{QString::fromStdString(sandbox.files.saveListPath.string())});
    QCOMPARE(FileLines(target.toStdString()), (std::vector<std::string>{a.toStdString(), b.toStdString()}));

    // Cancelling the dialog writes nothing.
    Control<QPushButton>(*form, "CmdFileIO_0")->click();
    QVERIFY(!std::filesystem::exists(sandbox.files.saveListPath));
  }

  void openListStartsAtTheUnfinishedBatchWhenThereIsOne_data() {
    QTest::addColumn<bool>("interrupted");
    QTest::newRow("after an interrupted batch") << true;
    QTest::newRow("no interrupted batch") << false;
  }
  void openListStartsAtTheUnfinishedBatchWhenThereIsOne() {
    QFETCH(bool, interrupted);
    Sandbox sandbox;
    const auto listFile = interrupted ? sandbox.files.saveListTmpPath : sandbox.files.saveListPath;
    {
      std::ofstream out(listFile, std::ios::binary);
      out << "/x/P.pdf\t/x/C.pdf\r\n/x/Q.pdf\r\n";
    }
    auto form = sandbox.MakeForm();
    DropJobs(*form, {sandbox.PathText("jobs/old.pdf")});
    sandbox.messages.fileAnswers.push_back(QString::fromStdString(listFile.string()));
    Control<QPushButton>(*form, "CmdFileIO_1")->click();
    QCOMPARE(sandbox.messages.dialogStartPaths, QStringList{QString::fromStdString(listFile.string())});
    QCOMPARE(Entries(*Control<DropList>(*form, "List1")),
             (QStringList{QStringLiteral("/x/P.pdf\t/x/C.pdf"), QStringLiteral("/x/Q.pdf")}));
    QCOMPARE(Control<DropList>(*form, "List1")->SelectedRow(), -1);
  }

  void aListFileThatCannotBeReadIsReported() {
    Sandbox sandbox;
    auto form = sandbox.MakeForm();
    DropJobs(*form, {sandbox.PathText("jobs/A.pdf")});
    sandbox.messages.fileAnswers.push_back(sandbox.PathText("app/nowhere.txt"));
    Control<QPushButton>(*form, "CmdFileIO_1")->click();
    const QString problem = sandbox.messages.ProblemWithOneErrorNaming(QStringLiteral("nowhere.txt"));
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
  }

  void copyBeforeAnyConversionReportsError() {
    Sandbox sandbox;
    auto form = sandbox.MakeForm();
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    Control<QAction>(*form, "mn1")->trigger();
    QCOMPARE(sandbox.messages.shown.size(), std::size_t{1});
    QCOMPARE(sandbox.messages.shown[0].text, QStringLiteral("Error!"));
    QCOMPARE(sandbox.messages.shown[0].icon, MessageIcon::kNone);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
  }

  void copyPutsTheLastJobsHeadingsOnTheClipboard() {
    Sandbox sandbox;
    auto form = sandbox.MakeForm();
    const std::string p = AddPdf(sandbox, "P", 4,
                                 {"完成報告書\r", "第1章　総則\r1.1 目的\r本文\r", "1.1.1 範囲\r", "第2章 設計\r"});
    DropJobs(*form, {QString::fromStdString(p)});
    Control<QRadioButton>(*form, "makeBM2mokuji_1")->click();
    Control<QRadioButton>(*form, "OpSave_1")->click();
    RunBatch(*form);
    QVERIFY(sandbox.messages.shown.empty());

    Control<QAction>(*form, "mn1")->trigger();
    QCOMPARE(sandbox.messages.shown.size(), std::size_t{1});
    QCOMPARE(sandbox.messages.shown[0].text, QString::fromUtf8(kCopiedMessage));
    QCOMPARE(sandbox.messages.shown[0].icon, MessageIcon::kInformation);
    // Numbers off the titles, pages counted from the first heading.
    const QString expected = QString::fromUtf8(
        "\r\n\u3000総則\t\t1"
        "\r\n\t目的\t\t1"
        "\r\n\t\t範囲\t\t2"
        "\r\n 設計\t\t3");
    QCOMPARE(QGuiApplication::clipboard()->text(), expected);
  }

  void writeHeadingListWritesTheSelectedJobsAndAsksBeforeReplacing() {
    Sandbox sandbox;
    auto form = sandbox.MakeForm();
    Control<QAction>(*form, "mnWriteHeadings")->trigger();
    QCOMPARE(sandbox.messages.shown.size(), std::size_t{1});
    QCOMPARE(sandbox.messages.shown[0].text, QString::fromUtf8(kSelectParentMessage));

    const std::string p = AddPdf(sandbox, "P", 2, {"第1章 総則\r", "第2章 設計\r"});
    const std::string q = AddPdf(sandbox, "Q", 4, {"完成報告書\r", "第1章　総則\r1.1 目的\r本文\r", "1.1.1 範囲\r", "第2章 設計\r"});
    DropJobs(*form, {QString::fromStdString(q), QString::fromStdString(p)});
    Control<DropList>(*form, "List1")->setCurrentRow(0);
    Control<QRadioButton>(*form, "makeBM2mokuji_1")->click();
    const auto file = vellumark::bookmarks::HeadingListFilePath(q);
    WriteBytesTo(file, "直した見出し\t1\n");

    // "No" keeps the user's file.
    sandbox.messages.shown.clear();
    sandbox.messages.confirmAnswers = {false};
    Control<QAction>(*form, "mnWriteHeadings")->trigger();
    QCOMPARE(sandbox.messages.questions.size(), qsizetype{1});
    QVERIFY(sandbox.messages.questions[0].contains(QString::fromStdString(file.string())));
    QCOMPARE(ReadFile(file), std::string("直した見出し\t1\n"));
    QVERIFY(sandbox.messages.shown.empty());

    // "Yes" replaces it with Q's headings as the document gives them, not
    // with the file's, and not with P's.
    sandbox.messages.confirmAnswers = {true};
    Control<QAction>(*form, "mnWriteHeadings")->trigger();
    QCOMPARE(sandbox.messages.shown.size(), std::size_t{1});
    QCOMPARE(sandbox.messages.shown[0].icon, MessageIcon::kInformation);
    const auto written = vellumark::bookmarks::ReadHeadingListFile(file);
    std::vector<std::pair<int, long long>> levelsAndPages;
    for (const auto& heading : written) levelsAndPages.emplace_back(heading.level, heading.page);
    QCOMPARE(levelsAndPages, (std::vector<std::pair<int, long long>>{{0, 2}, {1, 2}, {2, 3}, {0, 4}}));
    QVERIFY(!std::filesystem::exists(vellumark::bookmarks::HeadingListFilePath(p)));
    QVERIFY(Control<QAction>(*form, "menu_0")->isEnabled());
  }

  // The sample report and its appendix, through the real engine: the run
  // a user makes after dropping them on the window.
  void aRealReportConvertsAndItsContentsCopy() {
    const std::filesystem::path data = VELLUMARK_TEST_DATA_DIR;
    Sandbox sandbox;
    std::filesystem::copy_file(data / "report.pdf", sandbox.Path("jobs/report.pdf"));
    std::filesystem::copy_file(data / "appendix1.pdf", sandbox.Path("jobs/appendix1.pdf"));
    const auto engine = vellumark::acrobat::MakeRealEngine();
    auto form = sandbox.MakeForm(engine.get());
    form->show();
    DropJobs(*form, {sandbox.PathText("jobs/report.pdf")});
    DropFiles(*Control<DropList>(*form, "List2"), {sandbox.PathText("jobs/appendix1.pdf")});
    Control<QRadioButton>(*form, "makeBM2mokuji_1")->click();
    Control<QRadioButton>(*form, "OpSave_1")->click();

    std::vector<std::map<QString, bool>> statesDuringRun;
    connect(form.get(), &QWidget::windowTitleChanged, this,
            [&](const QString&) { statesDuringRun.push_back(EnabledStates(*form)); });
    RunBatch(*form);
    QVERIFY2(sandbox.messages.shown.empty(),
             sandbox.messages.shown.empty() ? "" : qPrintable(sandbox.messages.shown[0].text));
    QVERIFY(statesDuringRun.size() > 5);
    for (const auto& states : statesDuringRun) QCOMPARE(states, ExpectedStates(false, false));
    QCOMPARE(EnabledStates(*form), ExpectedStates(true, false));
    QCOMPARE(form->windowTitle(), QStringLiteral("Comp!"));

    // The output, read back by an independent reader: the report's ten
    // pages and the appendix's three.
    const QString output = sandbox.PathText("jobs/変換済み/report.pdf");
    QProcess pdfinfo;
    pdfinfo.start(QStringLiteral("pdfinfo"), {output});
    QVERIFY(pdfinfo.waitForFinished(60000));
    const QString info = QString::fromUtf8(pdfinfo.readAllStandardOutput());
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+13\\b"))), qPrintable(info));

    Control<QAction>(*form, "mn1")->trigger();
    QCOMPARE(sandbox.messages.shown.size(), std::size_t{1});
    QCOMPARE(sandbox.messages.shown[0].text, QString::fromUtf8(kCopiedMessage));
    const QStringList lines = QGuiApplication::clipboard()->text().split(QStringLiteral("\r\n"));
    // The text starts with an empty line; the first chapter, 総則, is on page 1.
    QVERIFY(lines.size() > 8);
    QCOMPARE(lines[0], QString());
    QVERIFY2(lines[1].contains(QStringLiteral("総則")) && lines[1].endsWith(QStringLiteral("\t\t1")),
             qPrintable(lines[1]));
    QVERIFY(lines.filter(QStringLiteral("数量計算")).size() == 1);
  }
};

QTEST_MAIN(BatchTest)
#include "batch_test.moc"
