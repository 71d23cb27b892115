#pragma once
// The job list and the child list of the selected job, as a plain model the
// window mirrors. Selection drives the child list as in the window: selecting
// a job shows its children.
#include <optional>
#include <string>
#include <vector>

namespace vellumark::joblist {

class JobListModel {
 public:
  // --- job list (List1) ---
  const std::vector<std::string>& jobs() const { return jobs_; }
  int selectedJob() const { return selectedJob_; }  // -1: none
  // Each path passing the PDF test becomes a new job at the end and is
  // selected at once; a name with a TAB is refused (see refusedNames()).
  // Returns how many were added.
  int DropOnJobList(const std::vector<std::string>& paths);
  // The PDF names the last drop on either list refused because they hold a
  // TAB, for the window to tell the user.
  const std::vector<std::string>& refusedNames() const { return refusedNames_; }
  // Selects job `index` and shows its children. -1 (or an index outside the
  // list) selects nothing and empties the child list.
  void SelectJob(int index);
  // Replaces all jobs (loading a list file); nothing selected afterwards,
  // the child list untouched.
  void SetJobs(std::vector<std::string> lines);
  // Removes the top job (the batch takes jobs from the top). Another selected
  // job stays selected; when the top job itself was selected, nothing is
  // selected afterwards and the child list is left to the batch, which shows
  // the next job's children itself. An empty list is left alone.
  void RemoveTopJob();

  // --- child list (List2) ---
  const std::vector<std::string>& children() const { return children_; }
  int selectedChild() const { return selectedChild_; }
  // -1 or an index outside the child list selects nothing.
  void SelectChild(int index);
  enum class ChildDropResult { kNoJobSelected, kReplaced };
  // Replaces the selected job's children by the PDFs of the drop (names with
  // a TAB refused). The child list then shows exactly the job line's children.
  ChildDropResult DropOnChildList(const std::vector<std::string>& paths);
  // Shows `children` in the child list (the batch shows the job it converts).
  // The list is then a display only: deleting from it changes no job line.
  void ShowChildren(std::vector<std::string> children);

  // Delete key: removes the selected entry and selects a neighbour. In the
  // child list the child also leaves the job line, so what the user sees is
  // what gets converted.
  void DeleteSelectedJob();
  void DeleteSelectedChild();

 private:
  std::vector<std::string> jobs_;
  int selectedJob_ = -1;
  std::vector<std::string> children_;
  int selectedChild_ = -1;
  // The job whose line the child list mirrors entry for entry, or -1 when it
  // shows something else (after a load or during a batch). Deleting a child
  // edits this job's line only, never whichever job happens to be selected.
  int childOwner_ = -1;
  std::vector<std::string> refusedNames_;
};

// The neighbour rule shared by both lists: after removing entry i of a list
// now `newCount` long, the entry to select (-1: none).
int NeighbourAfterDelete(int removedIndex, int newCount);

}  // namespace vellumark::joblist
