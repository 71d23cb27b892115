#include "joblist/job_list.h"

#include <cstddef>
#include <utility>

#include "joblist/job_line.h"

namespace vellumark::joblist {

namespace {

bool InRange(int index, std::size_t count) { return index >= 0 && static_cast<std::size_t>(index) < count; }

}  // namespace

int NeighbourAfterDelete(int removedIndex, int newCount) {
  if (newCount <= 0 || removedIndex < 0) return -1;
  // The entry that moved up into the removed place, or the new last entry
  // when the removed one was the last.
  return removedIndex < newCount ? removedIndex : newCount - 1;
}

int JobListModel::DropOnJobList(const std::vector<std::string>& paths) {
  int added = 0;
  refusedNames_.clear();
  for (const std::string& path : paths) {
    if (!IsPdfPath(path)) continue;
    if (HasTabInName(path)) {
      refusedNames_.push_back(path);
      continue;
    }
    jobs_.push_back(path);
    // Each new job is selected at once, like a click on it, so after the drop
    // the last added job is selected and the child list (empty) is its own.
    SelectJob(static_cast<int>(jobs_.size()) - 1);
    ++added;
  }
  return added;
}

void JobListModel::SelectJob(int index) {
  selectedChild_ = -1;
  if (!InRange(index, jobs_.size())) {
    // With no job selected there are no children to show; an empty child list
    // also keeps Delete there from touching a job the user no longer sees.
    selectedJob_ = -1;
    childOwner_ = -1;
    children_.clear();
    return;
  }
  selectedJob_ = index;
  childOwner_ = index;
  children_ = SplitJobLine(jobs_[static_cast<std::size_t>(index)]).children;
}

void JobListModel::SetJobs(std::vector<std::string> lines) {
  jobs_ = std::move(lines);
  selectedJob_ = -1;
  // The child list keeps what it shows, but it no longer belongs to a line.
  childOwner_ = -1;
}

void JobListModel::RemoveTopJob() {
  if (jobs_.empty()) return;
  jobs_.erase(jobs_.begin());
  if (selectedJob_ == 0) {
    selectedJob_ = -1;
  } else if (selectedJob_ > 0) {
    --selectedJob_;
  }
  if (childOwner_ == 0) {
    childOwner_ = -1;
  } else if (childOwner_ > 0) {
    --childOwner_;
  }
}

void JobListModel::SelectChild(int index) { selectedChild_ = InRange(index, children_.size()) ? index : -1; }

JobListModel::ChildDropResult JobListModel::DropOnChildList(const std::vector<std::string>& paths) {
  refusedNames_.clear();
  if (!InRange(selectedJob_, jobs_.size())) return ChildDropResult::kNoJobSelected;
  std::string& line = jobs_[static_cast<std::size_t>(selectedJob_)];
  Job job{SplitJobLine(line).parent, {}};
  // The drop defines the children anew: the earlier ones leave the job line,
  // and the child list shows exactly the new line's children (not the old
  // ones followed by the new), so what the user sees is what is converted.
  for (const std::string& path : paths) {
    if (!IsPdfPath(path)) continue;
    if (HasTabInName(path)) {
      refusedNames_.push_back(path);
    } else {
      job.children.push_back(path);
    }
  }
  line = JoinJobLine(job);
  children_ = std::move(job.children);
  selectedChild_ = -1;
  childOwner_ = selectedJob_;
  return ChildDropResult::kReplaced;
}

void JobListModel::ShowChildren(std::vector<std::string> children) {
  children_ = std::move(children);
  selectedChild_ = -1;
  childOwner_ = -1;
}

void JobListModel::DeleteSelectedJob() {
  if (!InRange(selectedJob_, jobs_.size())) return;
  const int removed = selectedJob_;
  jobs_.erase(jobs_.begin() + removed);
  // The neighbour is selected like any other selection, so the child list
  // shows its children (or empties when the list is now empty).
  SelectJob(NeighbourAfterDelete(removed, static_cast<int>(jobs_.size())));
}

void JobListModel::DeleteSelectedChild() {
  if (!InRange(selectedChild_, children_.size())) return;
  const int removed = selectedChild_;
  children_.erase(children_.begin() + removed);
  if (InRange(childOwner_, jobs_.size())) {
    // The child list mirrors this line entry for entry, so the same index
    // names the same child in it.
    std::string& line = jobs_[static_cast<std::size_t>(childOwner_)];
    Job job = SplitJobLine(line);
    if (InRange(removed, job.children.size())) {
      job.children.erase(job.children.begin() + removed);
      line = JoinJobLine(job);
    }
  }
  selectedChild_ = NeighbourAfterDelete(removed, static_cast<int>(children_.size()));
}

}  // namespace vellumark::joblist
