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
  // selected at once. Returns how many were added.
  int DropOnJobList(const std::vector<std::string>& paths);
  // Selects job `index` (-1 clears) and shows its children.
  void SelectJob(int index);
  // Replaces all jobs (loading a list file); nothing selected afterwards,
  // the child list untouched.
  void SetJobs(std::vector<std::string> lines);
  // Removes the top job (the batch takes jobs from the top).
  void RemoveTopJob();

  // --- child list (List2) ---
  const std::vector<std::string>& children() const { return children_; }
  int selectedChild() const { return selectedChild_; }
  void SelectChild(int index);
  enum class ChildDropResult { kNoJobSelected, kReplaced };
  // Replaces the selected job's children by the PDFs of the drop. The child
  // list then shows exactly the job line's children.
  ChildDropResult DropOnChildList(const std::vector<std::string>& paths);
  // Shows `children` in the child list (the batch shows the job it converts).
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
};

// The neighbour rule shared by both lists: after removing entry i of a list
// now `newCount` long, the entry to select (-1: none).
int NeighbourAfterDelete(int removedIndex, int newCount);

}  // namespace vellumark::joblist
