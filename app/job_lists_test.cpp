// The job list and the child list: drops from the file manager, selection,
// and the Delete key, as the user sees them in the two list boxes.
#include <QMimeData>
#include <QtTest>

#include "app/drop_list.h"
#include "app/gui_test_support.h"
#include "app/window_texts.h"

using namespace vellumark::app;
using namespace vellumark::app::testing;

class JobListsTest : public QObject {
  Q_OBJECT

 private:
  // The paths of files of these names in the sandbox's "jobs" folder.
  static QStringList JobPaths(const Sandbox& sandbox, const QStringList& names) {
    QStringList paths;
    for (const QString& name : names) paths.append(sandbox.PathText("jobs/" + name.toStdString()));
    return paths;
  }

  // A window with jobs dropped in, in this order.
  std::unique_ptr<Form1> FormWithJobs(Sandbox& sandbox, const QStringList& parents) {
    auto form = sandbox.MakeForm();
    if (!parents.isEmpty()) DropFiles(*Control<DropList>(*form, "List1"), JobPaths(sandbox, parents));
    return form;
  }

  // The jobs P and Q with P selected, and three files to drop as children.
  struct ParentAndChildren {
    std::unique_ptr<Form1> form;
    DropList* list1;
    DropList* list2;
    QString p, c1, c2, c3;
  };
  ParentAndChildren SelectedParent(Sandbox& sandbox) {
    auto form = FormWithJobs(sandbox, {"P.pdf", "Q.pdf"});
    auto* list1 = Control<DropList>(*form, "List1");
    auto* list2 = Control<DropList>(*form, "List2");
    list1->setCurrentRow(0);
    const QStringList paths = JobPaths(sandbox, {"P.pdf", "C1.pdf", "C2.pdf", "C3.pdf"});
    return {std::move(form), list1, list2, paths[0], paths[1], paths[2], paths[3]};
  }

 private slots:
  void dropOnJobListTakesPdfsAndSelectsTheLast_data() {
    QTest::addColumn<QStringList>("dropped");
    QTest::addColumn<QStringList>("jobs");
    QTest::addColumn<int>("selected");
    QTest::newRow("mixed drop") << QStringList{"A.pdf", "notes.txt", "B.PDF"} << QStringList{"A.pdf", "B.PDF"} << 1;
    QTest::newRow("no pdf at all") << QStringList{"notes.txt", "plan.docx"} << QStringList{} << -1;
  }
  void dropOnJobListTakesPdfsAndSelectsTheLast() {
    QFETCH(QStringList, dropped);
    QFETCH(QStringList, jobs);
    QFETCH(int, selected);
    Sandbox sandbox;
    auto form = FormWithJobs(sandbox, dropped);
    auto* list1 = Control<DropList>(*form, "List1");
    QCOMPARE(Entries(*list1), JobPaths(sandbox, jobs));
    QCOMPARE(list1->SelectedRow(), selected);
    QCOMPARE(Entries(*Control<DropList>(*form, "List2")), QStringList{});
  }

  void dragWithoutLocalFilesIsRefused() {
    Sandbox sandbox;
    auto form = sandbox.MakeForm();
    auto* list1 = Control<DropList>(*form, "List1");
    QMimeData text;
    text.setText(QStringLiteral("/tmp/A.pdf"));
    text.setUrls({QUrl(QStringLiteral("https://example.com/A.pdf"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list1->viewport(), &enter);
    QVERIFY(!enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list1->viewport(), &drop);
    QCOMPARE(list1->count(), 0);

    QMimeData file;
    file.setUrls({QUrl::fromLocalFile(sandbox.PathText("jobs/A.pdf"))});
    QDragEnterEvent fileEnter(QPoint(10, 10), Qt::CopyAction, &file, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list1->viewport(), &fileEnter);
    QVERIFY(fileEnter.isAccepted());
    QDragLeaveEvent leave;  // the user changes their mind
    QCoreApplication::sendEvent(list1->viewport(), &leave);
    QCOMPARE(list1->count(), 0);
  }

  void childDropDefinesTheChildrenOfTheSelectedJob() {
    Sandbox sandbox;
    auto [form, list1, list2, p, c1, c2, c3] = SelectedParent(sandbox);
    DropFiles(*list2, {c1, sandbox.PathText("jobs/readme.txt"), c2});
    QCOMPARE(list1->item(0)->text(), p + "\t" + c1 + "\t" + c2);
    QCOMPARE(Entries(*list2), (QStringList{c1, c2}));
    QCOMPARE(list1->SelectedRow(), 0);

    // Another job shows its own (no) children; coming back shows P's again.
    list1->setCurrentRow(1);
    QCOMPARE(Entries(*list2), QStringList{});
    list1->setCurrentRow(0);
    QCOMPARE(Entries(*list2), (QStringList{c1, c2}));

    // A later drop replaces the children, in the line and in the list.
    DropFiles(*list2, {c3});
    QCOMPARE(list1->item(0)->text(), p + "\t" + c3);
    QCOMPARE(Entries(*list2), QStringList{c3});

    // A drop without any PDF leaves the parent alone.
    DropFiles(*list2, {sandbox.PathText("jobs/readme.txt")});
    QCOMPARE(list1->item(0)->text(), p);
    QCOMPARE(Entries(*list2), QStringList{});
    QCOMPARE(form->jobList().jobs().size(), std::size_t{2});
  }

  void childDropWithoutSelectedJobAsksForTheParent() {
    Sandbox sandbox;
    auto form = FormWithJobs(sandbox, {"P.pdf"});
    auto* list1 = Control<DropList>(*form, "List1");
    list1->selectionModel()->clear();
    DropFiles(*Control<DropList>(*form, "List2"), {sandbox.PathText("jobs/C1.pdf")});
    QCOMPARE(sandbox.messages.shown.size(), std::size_t{1});
    QCOMPARE(sandbox.messages.shown[0].text, QString::fromUtf8(kSelectParentMessage));
    QCOMPARE(sandbox.messages.shown[0].icon, MessageIcon::kNone);
    QCOMPARE(list1->item(0)->text(), sandbox.PathText("jobs/P.pdf"));
    QCOMPARE(Control<DropList>(*form, "List2")->count(), 0);
  }

  void namesWithATabAreRefusedWithAWarningNamingThem() {
    Sandbox sandbox;
    auto form = FormWithJobs(sandbox, {"P.pdf", "報告\t書.pdf"});
    auto* list1 = Control<DropList>(*form, "List1");
    QCOMPARE(Entries(*list1), QStringList{sandbox.PathText("jobs/P.pdf")});
    QCOMPARE(sandbox.messages.shown.size(), std::size_t{1});
    QVERIFY(sandbox.messages.shown[0].text.contains(sandbox.PathText("jobs/報告\t書.pdf")));
    QCOMPARE(sandbox.messages.shown[0].icon, MessageIcon::kWarning);

    list1->setCurrentRow(0);
    DropFiles(*Control<DropList>(*form, "List2"), JobPaths(sandbox, {"C1.pdf", "付\t録.pdf"}));
    QCOMPARE(Entries(*Control<DropList>(*form, "List2")), JobPaths(sandbox, {"C1.pdf"}));
    QCOMPARE(sandbox.messages.shown.size(), std::size_t{2});
    QVERIFY(sandbox.messages.shown[1].text.contains(sandbox.PathText("jobs/付\t録.pdf")));
  }

  void deleteKeyRemovesTheSelectedJobAndSelectsANeighbour_data() {
    QTest::addColumn<int>("jobCount");
    QTest::addColumn<int>("selectedBefore");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QStringList>("jobsAfter");
    QTest::addColumn<int>("selectedAfter");
    const int none = Qt::NoModifier;
    QTest::newRow("middle of three") << 3 << 1 << none << QStringList{"J0.pdf", "J2.pdf"} << 1;
    QTest::newRow("last of three") << 3 << 2 << none << QStringList{"J0.pdf", "J1.pdf"} << 1;
    QTest::newRow("the only one") << 1 << 0 << none << QStringList{} << -1;
    QTest::newRow("nothing selected") << 3 << -1 << none << QStringList{"J0.pdf", "J1.pdf", "J2.pdf"} << -1;
    QTest::newRow("shift") << 3 << 1 << int(Qt::ShiftModifier) << QStringList{"J0.pdf", "J2.pdf"} << 1;
    QTest::newRow("ctrl") << 3 << 1 << int(Qt::ControlModifier) << QStringList{"J0.pdf", "J2.pdf"} << 1;
  }
  void deleteKeyRemovesTheSelectedJobAndSelectsANeighbour() {
    QFETCH(int, jobCount);
    QFETCH(int, selectedBefore);
    QFETCH(int, modifiers);
    QFETCH(QStringList, jobsAfter);
    QFETCH(int, selectedAfter);
    Sandbox sandbox;
    QStringList names;
    for (int i = 0; i < jobCount; ++i) names.append(QStringLiteral("J%1.pdf").arg(i));
    auto form = FormWithJobs(sandbox, names);
    auto* list1 = Control<DropList>(*form, "List1");
    if (selectedBefore < 0) {
      list1->selectionModel()->clear();
    } else {
      list1->setCurrentRow(selectedBefore);
    }
    QTest::keyClick(list1, Qt::Key_Delete, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(Entries(*list1), JobPaths(sandbox, jobsAfter));
    QCOMPARE(list1->SelectedRow(), selectedAfter);
    QCOMPARE(form->jobList().selectedJob(), selectedAfter);
  }

  void deleteInTheChildListAlsoRemovesTheChildFromTheJob() {
    Sandbox sandbox;
    auto [form, list1, list2, p, c1, c2, c3] = SelectedParent(sandbox);
    DropFiles(*list2, {c1, c2, c3});
    list2->setCurrentRow(1);
    QTest::keyClick(list2, Qt::Key_Delete, Qt::ShiftModifier);
    QCOMPARE(Entries(*list2), (QStringList{c1, c3}));
    QCOMPARE(list2->SelectedRow(), 1);
    QCOMPARE(list1->item(0)->text(), p + "\t" + c1 + "\t" + c3);
    // What the list shows is what stays: a new selection of the job agrees.
    list1->setCurrentRow(1);
    list1->setCurrentRow(0);
    QCOMPARE(Entries(*list2), (QStringList{c1, c3}));
  }
};

QTEST_MAIN(JobListsTest)
#include "job_lists_test.moc"
