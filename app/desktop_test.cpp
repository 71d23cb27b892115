// The window on the user's desktop: Qt's own texts in Japanese, the summary
// at the end of a batch with its folder button, the placeholders of the
// empty lists, adding files from a dialog, shortcuts, the progress bar and
// the version.
#include <QAction>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <QtTest>
#include <functional>
#include <memory>
#include <set>

#include "app/drop_list.h"
#include "app/gui_test_support.h"
#include "app/qt_translations.h"
#include "app/window_texts.h"
#include "pipeline/batch_summary.h"
#include "pipeline/status_texts.h"
#include "vellumark_version.h"

using namespace vellumark::app;
using namespace vellumark::app::testing;
using vellumark::testsupport::MakePages;

namespace {

QString Tr(const char* utf8) { return QString::fromUtf8(utf8); }

QStringList ButtonTexts(const QList<QAbstractButton*>& buttons) {
  QStringList texts;
  for (const QAbstractButton* button : buttons) texts.append(button->text());
  return texts;
}

// Runs `inspect` on the message box once its modal loop is running (the
// code under test blocks in exec()); `inspect` must end the box.
void WhenMessageBoxOpens(const std::function<void(QMessageBox&)>& inspect) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, inspect] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      inspect(*box);
    }
  });
  timer->start(10);
}

// Every command of the menus, top-level commands included; menus themselves
// and separators are no commands.
void CollectCommands(const QList<QAction*>& actions, QList<QAction*>& commands) {
  for (QAction* action : actions) {
    if (action->isSeparator()) continue;
    if (action->menu() != nullptr) {
      CollectCommands(action->menu()->actions(), commands);
    } else {
      commands.append(action);
    }
  }
}

}  // namespace

// Receives the folder the summary's button asks the desktop to open.
class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> opened;
 public slots:
  void open(const QUrl& url) { opened.append(url); }
};

class DesktopTest : public QObject {
  Q_OBJECT

 private:
  std::string AddPdf(Sandbox& sandbox, const std::string& name, int pages) {
    const auto path = sandbox.Path("jobs/" + name);
    // A contents page and the chapter it lists: the batch ends without a
    // warning.
    sandbox.engine.AddFile(path, MakePages(name, pages, 1000, {"目次\r第1章 総則･････1\rEND", "第1章 総則"}));
    return path.string();
  }

 private slots:
  void initTestCase() {
    // Debian's Qt translations are a dependency of the package and of the
    // development setup: without them the dialogs would read English.
    QVERIFY(InstallQtTranslations(*QCoreApplication::instance()));
  }

  void qtsOwnDialogsAndButtonsReadJapanese() {
    QFileDialog dialog(nullptr, Tr(kAddParentsDialogCaption), QDir::tempPath(), Tr(kPdfFileFilter));
    dialog.setOptions(kFileDialogOptions);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.show();
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    QVERIFY2(buttons != nullptr, "not Qt's own dialog");
    const QString texts = ButtonTexts(buttons->buttons()).join(QLatin1Char('|'));
    QVERIFY2(texts.contains(Tr("開く")) && texts.contains(Tr("キャンセル")), qPrintable(texts));
    auto* fileNameLabel = dialog.findChild<QLabel*>(QStringLiteral("fileNameLabel"));
    QVERIFY(fileNameLabel != nullptr);
    QVERIFY2(fileNameLabel->text().contains(Tr("ファイル名")), qPrintable(fileNameLabel->text()));
    dialog.reject();

    // The text boxes' context menu (Undo, Copy, Paste …).
    QLineEdit edit;
    const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList menuTexts;
    for (const QAction* action : menu->actions()) menuTexts.append(action->text());
    QVERIFY2(menuTexts.join(QLatin1Char('|')).contains(Tr("コピー")), qPrintable(menuTexts.join(QLatin1Char('|'))));

    QMessageBox box(QMessageBox::Question, Tr(kWindowTitle), Tr("?"), QMessageBox::Yes | QMessageBox::No);
    QVERIFY2(box.button(QMessageBox::Yes)->text().contains(Tr("はい")), qPrintable(box.button(QMessageBox::Yes)->text()));
    QVERIFY2(box.button(QMessageBox::No)->text().contains(Tr("いいえ")), qPrintable(box.button(QMessageBox::No)->text()));
  }

  void theSummaryBoxOpensTheOutputFolderOnRequest() {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    const QString folder = QDir::tempPath() + Tr("/工事/変換済み");
    QtMessageService service;
    for (const bool openFolder : {false, true}) {
      QStringList buttonTexts;
      QString shownText;
      WhenMessageBoxOpens([&](QMessageBox& box) {
        buttonTexts = ButtonTexts(box.buttons());
        shownText = box.text();
        for (QAbstractButton* button : box.buttons()) {
          if (button->text() == Tr(openFolder ? kOpenFolderButton : kOkButton)) button->click();
        }
      });
      service.ShowBatchSummary(Tr("1 件のジョブを変換しました。"), folder);
      QCOMPARE(shownText, Tr("1 件のジョブを変換しました。"));
      QVERIFY2(buttonTexts.contains(Tr(kOpenFolderButton)) && buttonTexts.contains(Tr(kOkButton)),
               qPrintable(buttonTexts.join(QLatin1Char('|'))));
      QCOMPARE(catcher.opened.size(), openFolder ? 1 : 0);
    }
    QCOMPARE(catcher.opened.front().toLocalFile(), folder);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
  }

  void theSummaryAppearsWhenABatchEndsWithoutAnError() {
    Sandbox sandbox;
    auto form = sandbox.ShowForm();
    DropFiles(*Control<DropList>(*form, "List1"),
              {QString::fromStdString(AddPdf(sandbox, "A.pdf", 3)), QString::fromStdString(AddPdf(sandbox, "B.pdf", 2))});
    Control<QAction>(*form, "menu_0")->trigger();

    QVERIFY(sandbox.messages.shown.empty());
    QCOMPARE(sandbox.messages.summaries.size(), std::size_t{1});
    const QString folder = sandbox.PathText("jobs/変換済み");
    QCOMPARE(sandbox.messages.summaries[0].folder, folder);
    QCOMPARE(sandbox.messages.summaries[0].text,
             Tr("2 件のジョブを変換しました。\n出力先:\n  ") + folder);
    QCOMPARE(form->windowTitle(), Tr(vellumark::pipeline::kStatusComplete));

    // A failing job is reported as before, with no summary after it.
    DropFiles(*Control<DropList>(*form, "List1"), {sandbox.PathText("jobs/missing.pdf")});
    Control<QAction>(*form, "menu_0")->trigger();
    QCOMPARE(sandbox.messages.summaries.size(), std::size_t{1});
    const QString problem = sandbox.messages.ProblemWithOneErrorNaming(QStringLiteral("missing.pdf"));
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
  }

  void emptyListsShowWhatToDropOnThem() {
    Sandbox sandbox;
    auto form = sandbox.ShowForm();
    auto* list1 = Control<DropList>(*form, "List1");
    auto* list2 = Control<DropList>(*form, "List2");
    QVERIFY(list1->placeholder()->isVisible());
    QCOMPARE(list1->placeholder()->text(), Tr(kJobListPlaceholder));
    QVERIFY(list2->placeholder()->isVisible());
    // Inside the list, where the drop goes.
    QVERIFY(list1->viewport()->rect().contains(list1->placeholder()->geometry()));

    DropFiles(*list1, {sandbox.PathText("jobs/A.pdf")});
    QVERIFY(!list1->placeholder()->isVisible());
    DropFiles(*list2, {sandbox.PathText("jobs/a1.pdf")});
    QVERIFY(!list2->placeholder()->isVisible());
    list1->setCurrentRow(0);
    QTest::keyClick(list1, Qt::Key_Delete);
    QCOMPARE(list1->count(), 0);
    QVERIFY(list1->placeholder()->isVisible());
    QVERIFY(list2->placeholder()->isVisible());
  }

  void addFilesTakesParentsOrTheSelectedJobsChildren() {
    Sandbox sandbox;
    auto form = sandbox.ShowForm(Sandbox::Focus::kActive);
    QVERIFY(form->isActiveWindow());
    auto* list1 = Control<DropList>(*form, "List1");
    auto* list2 = Control<DropList>(*form, "List2");
    QAction* addFiles = Control<QAction>(*form, "addFiles");
    QCOMPARE(addFiles->text(), Tr(kAddFilesCaption));

    // The job list has the focus: parents, with the checks of a drop (the
    // text file is no PDF and is left out).
    list1->setFocus();
    sandbox.messages.pdfAnswers.push_back(
        {sandbox.PathText("jobs/A.pdf"), sandbox.PathText("jobs/memo.txt"), sandbox.PathText("jobs/B.pdf")});
    addFiles->trigger();
    QCOMPARE(Entries(*list1), (QStringList{sandbox.PathText("jobs/A.pdf"), sandbox.PathText("jobs/B.pdf")}));
    QCOMPARE(sandbox.messages.pdfDialogCaptions.back(), Tr(kAddParentsDialogCaption));

    // The child list has the focus: children of the selected job, and the
    // next dialog opens where the last files came from.
    list1->setCurrentRow(0);
    list2->setFocus();
    sandbox.messages.pdfAnswers.push_back({sandbox.PathText("jobs/a1.pdf"), sandbox.PathText("jobs/a2.pdf")});
    addFiles->trigger();
    QCOMPARE(sandbox.messages.pdfDialogCaptions.back(), Tr(kAddChildrenDialogCaption));
    QCOMPARE(sandbox.messages.dialogStartPaths.back(), sandbox.PathText("jobs"));
    QCOMPARE(form->jobList().jobs().front(), sandbox.Path("jobs/A.pdf").string() + "\t" +
                                                 sandbox.Path("jobs/a1.pdf").string() + "\t" +
                                                 sandbox.Path("jobs/a2.pdf").string());

    // Children without a selected job: the user is told, no dialog opens.
    list1->clearSelection();
    list2->setFocus();
    const auto dialogs = sandbox.messages.pdfDialogCaptions.size();
    addFiles->trigger();
    QCOMPARE(sandbox.messages.pdfDialogCaptions.size(), dialogs);
    QCOMPARE(sandbox.messages.shown.size(), std::size_t{1});
    QCOMPARE(sandbox.messages.shown[0].text, Tr(kSelectParentMessage));

    // Cancelled: nothing changes.
    list1->setFocus();
    addFiles->trigger();
    QCOMPARE(list1->count(), 2);
  }

  void everyCommandHasItsOwnShortcut() {
    Sandbox sandbox;
    auto form = sandbox.ShowForm(Sandbox::Focus::kActive);
    QVERIFY(form->isActiveWindow());
    QList<QAction*> commands;
    CollectCommands(form->menuBar()->actions(), commands);
    QVERIFY(commands.size() >= 5);
    std::set<QString> keys;
    for (QAction* command : commands) {
      QVERIFY2(!command->shortcut().isEmpty(), qPrintable(command->text()));
      keys.insert(command->shortcut().toString());
    }
    for (const char* name : {"CmdFileIO_0", "CmdFileIO_1"}) {
      auto* button = Control<QPushButton>(*form, name);
      QVERIFY2(!button->shortcut().isEmpty(), name);
      keys.insert(button->shortcut().toString());
    }
    QCOMPARE(keys.size(), static_cast<std::size_t>(commands.size() + 2));

    // The batch command's key works like the menu: an empty list is reported.
    QTest::keySequence(form.get(), Control<QAction>(*form, "menu_0")->shortcut());
    QCOMPARE(sandbox.messages.shown.size(), std::size_t{1});
    QCOMPARE(sandbox.messages.shown[0].text, Tr(vellumark::pipeline::kNoListMessage));
  }

  void theProgressBarSitsBelowTheFormAndCountsPages() {
    Sandbox sandbox;
    auto form = sandbox.ShowForm();
    QWidget* client = form->centralWidget();
    QStatusBar* statusBar = form->statusBar();
    auto* progress = Control<QProgressBar>(*form, "progress");
    QVERIFY(statusBar->isVisible());
    QVERIFY(client->geometry().bottom() < statusBar->geometry().top());
    QCOMPARE(form->height(), form->menuBar()->height() + client->height() + statusBar->height());
    const int heightBefore = form->height();

    std::vector<std::pair<int, int>> seen;
    connect(progress, &QProgressBar::valueChanged, this,
            [&](int value) { seen.emplace_back(value, progress->maximum()); });
    DropFiles(*Control<DropList>(*form, "List1"), {QString::fromStdString(AddPdf(sandbox, "A.pdf", 4))});
    Control<QRadioButton>(*form, "makeBM2mokuji_1")->click();  // scan every page
    Control<QAction>(*form, "menu_0")->trigger();

    // Thumbnails, then the scan, each up to the job's 4 pages.
    QVERIFY(std::count(seen.begin(), seen.end(), std::make_pair(4, 4)) >= 1);
    QVERIFY(std::find(seen.begin(), seen.end(), std::make_pair(1, 4)) != seen.end());
    QVERIFY(!progress->isVisible());  // gone once the batch is over
    QCOMPARE(form->height(), heightBefore);
  }

  // The picture for the README: the end of a batch of two jobs, one with a
  // part over the limit, as the user sees it (the box over the window).
  void summaryScreenshot() {
    Sandbox sandbox;
    QtMessageService service;
    Form1 form(sandbox.engine, sandbox.files, service);
    form.Form_Load();
    form.show();
    form.ShowStatus(vellumark::pipeline::kStatusComplete);
    const std::string folder = "/home/engineer/工事/護岸改修/";
    vellumark::pipeline::BatchResult result;
    vellumark::pipeline::AddConvertedJob(result, {folder + "完成報告書.pdf", {folder + "付録1_数量計算.pdf"}}, {});
    vellumark::pipeline::AddConvertedJob(
        result, {folder + "写真帳.pdf", {}},
        {std::string(vellumark::pipeline::kWarnPageOverLimit) + "写真帳_004.PDF"});
    QPixmap picture;
    WhenMessageBoxOpens([&](QMessageBox& box) {
      QCoreApplication::processEvents();
      picture = form.grab();
      const QPixmap boxPicture = box.grab();
      QPainter painter(&picture);
      const QPoint at((picture.width() - boxPicture.width()) / 2, (picture.height() - boxPicture.height()) / 2);
      painter.fillRect(QRect(at, boxPicture.size()).adjusted(-1, -1, 1, 1), Qt::darkGray);
      painter.drawPixmap(at, boxPicture);
      box.accept();
    });
    service.ShowBatchSummary(QString::fromStdString(vellumark::pipeline::BatchSummaryText(result)),
                             QString::fromStdString(folder + "変換済み"));
    QVERIFY(!picture.isNull());
    // Beside the test program, never into the source tree; docs/summary.png
    // is a copy of it.
    QVERIFY(picture.save(QCoreApplication::applicationDirPath() + QStringLiteral("/summary.png")));
  }

  void aboutNamesTheVersion() {
    Sandbox sandbox;
    auto form = sandbox.MakeForm();
    Control<QAction>(*form, "about")->trigger();
    QCOMPARE(sandbox.messages.shown.size(), std::size_t{1});
    QVERIFY2(sandbox.messages.shown[0].text.startsWith(Tr("Vellumark ") + Tr(vellumark::kVersion)),
             qPrintable(sandbox.messages.shown[0].text));
  }
};

QTEST_MAIN(DesktopTest)
#include "desktop_test.moc"
