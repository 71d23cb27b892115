#include "joblist/job_list.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "joblist/job_line.h"

namespace vellumark::joblist {
namespace {

using Lines = std::vector<std::string>;

const std::string kP = "C:\\工事\\報告書.pdf";
const std::string kQ = "C:\\工事\\図面.PDF";
const std::string kR = "C:\\工事\\写真.pdf";
const std::string kC1 = "C:\\工事\\付録1.pdf";
const std::string kC2 = "C:\\工事\\付録2.pdf";
const std::string kC3 = "C:\\工事\\付録3.pdf";

TEST(JobLine, SplitsEveryFieldAfterTheFirstIntoChildren) {
  struct Case {
    std::string line;
    std::string parent;
    Lines children;
  };
  const Case cases[] = {
      {kP, kP, {}},
      {kP + "\t" + kC1 + "\t" + kC2, kP, {kC1, kC2}},
      {kP + "\t", kP, {""}},  // a trailing TAB still opens a (last) field
      {"", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const Job job = SplitJobLine(c.line);
    EXPECT_EQ(job.parent, c.parent);
    EXPECT_EQ(job.children, c.children);
    EXPECT_EQ(JoinJobLine(job), c.line);
  }
}

TEST(JobLine, PdfTestLooksAtTheLastThreeCharactersOnly) {
  // Full-width "ｐｄｆ" is not upper-cased to ASCII, so it fails like any other
  // ending.
  const std::pair<std::string, bool> cases[] = {
      {"A.pdf", true}, {"B.PDF", true},      {"report.Pdf", true},      {"C:\\tools\\xpdf", true},
      {"pdf", true},   {"報告書.PDF", true}, {"report.pdf.bak", false}, {"notes.txt", false},
      {"df", false},   {"", false},          {"報告書.ｐｄｆ", false},
  };
  for (const auto& [path, accepted] : cases) EXPECT_EQ(IsPdfPath(path), accepted) << path;
}

TEST(JobList, NamesWithATabAreRefusedAtEitherDrop) {
  const std::string tabbed = "C:\\工事\\報告書\t第2版.pdf";
  JobListModel list;
  EXPECT_EQ(list.DropOnJobList({kP, tabbed, kQ}), 2);
  EXPECT_EQ(list.jobs(), (Lines{kP, kQ}));
  EXPECT_EQ(list.refusedNames(), Lines{tabbed});

  list.SelectJob(0);
  list.DropOnChildList({tabbed, kC1});
  EXPECT_EQ(list.jobs()[0], kP + "\t" + kC1);
  EXPECT_EQ(list.refusedNames(), Lines{tabbed});
  // Each drop reports its own refusals only.
  list.DropOnJobList({kR});
  EXPECT_TRUE(list.refusedNames().empty());
}

TEST(JobList, NeighbourRule) {
  struct Case {
    int removed, newCount, expected;
  };
  const Case cases[] = {{1, 2, 1}, {2, 2, 1}, {0, 0, -1}, {0, 3, 0}, {-1, 3, -1}};
  for (const Case& c : cases) {
    EXPECT_EQ(NeighbourAfterDelete(c.removed, c.newCount), c.expected) << c.removed << "/" << c.newCount;
  }
}

// One row per user story: what the user does, then what both lists hold.
struct Story {
  const char* name;
  std::function<void(JobListModel&)> act;
  Lines jobs;
  int selectedJob;
  Lines children;
  int selectedChild;
};

const std::string kPC1C2 = kP + "\t" + kC1 + "\t" + kC2;

const Story kStories[] = {
    {"drop mixes PDFs and other files",
     [](JobListModel& m) { EXPECT_EQ(m.DropOnJobList({kP, "C:\\notes.txt", kQ, kQ}), 3); },
     {kP, kQ, kQ}, 2, {}, -1},
    {"child drop writes the job line; reselecting shows it",
     [](JobListModel& m) {
       m.DropOnJobList({kP, kQ});
       m.SelectJob(0);
       EXPECT_EQ(m.DropOnChildList({kC1, "C:\\readme.txt", kC2}), JobListModel::ChildDropResult::kReplaced);
       m.SelectJob(1);
       EXPECT_TRUE(m.children().empty());
       m.SelectJob(0);
     },
     {kPC1C2, kQ}, 0, {kC1, kC2}, -1},
    {"a later child drop replaces the children in line and list",
     [](JobListModel& m) {
       m.DropOnJobList({kP});
       m.DropOnChildList({kC1, kC2});
       m.DropOnChildList({kC3});
     },
     {kP + "\t" + kC3}, 0, {kC3}, -1},
    {"child drop without PDFs leaves the parent alone",
     [](JobListModel& m) {
       m.DropOnJobList({kP});
       m.DropOnChildList({kC1});
       m.DropOnChildList({"a.doc"});
     },
     {kP}, 0, {}, -1},
    {"child drop with no job selected is refused",
     [](JobListModel& m) {
       m.DropOnJobList({kP});
       m.SelectJob(-1);
       EXPECT_EQ(m.DropOnChildList({kC1}), JobListModel::ChildDropResult::kNoJobSelected);
       m.DeleteSelectedJob();  // nothing selected: nothing deleted
     },
     {kP}, -1, {}, -1},
    {"deleting the middle job selects the one that followed and shows its children",
     [](JobListModel& m) {
       m.DropOnJobList({kP, kQ, kR});
       m.DropOnChildList({kC1});  // children of R, still selected
       m.SelectJob(1);
       m.DeleteSelectedJob();
     },
     {kP, kR + "\t" + kC1}, 1, {kC1}, -1},
    {"deleting the last job selects the new last, the only job empties both lists",
     [](JobListModel& m) {
       m.DropOnJobList({kP, kQ});
       m.DeleteSelectedJob();
       EXPECT_EQ(m.selectedJob(), 0);
       m.DropOnChildList({kC1});
       m.DeleteSelectedJob();
     },
     {}, -1, {}, -1},
    {"deleting a child removes it from the job line too",
     [](JobListModel& m) {
       m.DropOnJobList({kP, kQ});
       m.SelectJob(0);
       m.DropOnChildList({kC1, kC2, kC3});
       m.SelectChild(1);
       m.DeleteSelectedChild();
       m.SelectJob(1);
       m.SelectJob(0);  // the line, read afresh, agrees with what was shown
       m.SelectChild(1);
       m.DeleteSelectedChild();  // now the last child: the new last is selected
     },
     {kP + "\t" + kC1, kQ}, 0, {kC1}, 0},
    {"children shown by the batch are a display only",
     [](JobListModel& m) {
       m.DropOnJobList({kP});
       m.DropOnChildList({kC1, kC2});
       m.ShowChildren({kC3});
       m.SelectChild(0);
       m.DeleteSelectedChild();
     },
     {kPC1C2}, 0, {}, -1},
    {"loading keeps the child list but unties it from any line",
     [](JobListModel& m) {
       m.DropOnJobList({kP});
       m.DropOnChildList({kC1, kC2});
       m.SetJobs({kQ + "\t" + kC1 + "\t" + kC2, "", kR});
       m.SelectChild(0);
       m.DeleteSelectedChild();
     },
     {kQ + "\t" + kC1 + "\t" + kC2, "", kR}, -1, {kC2}, 0},
    {"removing the top job keeps another selection on the same job",
     [](JobListModel& m) {
       m.DropOnJobList({kP, kQ, kR});
       m.SelectJob(1);
       m.DropOnChildList({kC1, kC2});
       m.RemoveTopJob();
       m.SelectChild(0);
       m.DeleteSelectedChild();  // edits Q's line, now at index 0
     },
     {kQ + "\t" + kC2, kR}, 0, {kC2}, 0},
    {"removing the selected top job selects nothing",
     [](JobListModel& m) {
       m.DropOnJobList({kP, kQ});
       m.SelectJob(0);
       m.RemoveTopJob();
       EXPECT_EQ(m.selectedJob(), -1);
       m.RemoveTopJob();
       m.RemoveTopJob();  // on an empty list: nothing happens
     },
     {}, -1, {}, -1},
};

TEST(JobList, BehavesAsTheUserSeesIt) {
  for (const Story& story : kStories) {
    SCOPED_TRACE(story.name);
    JobListModel model;
    story.act(model);
    EXPECT_EQ(model.jobs(), story.jobs);
    EXPECT_EQ(model.selectedJob(), story.selectedJob);
    EXPECT_EQ(model.children(), story.children);
    EXPECT_EQ(model.selectedChild(), story.selectedChild);
  }
}

}  // namespace
}  // namespace vellumark::joblist
