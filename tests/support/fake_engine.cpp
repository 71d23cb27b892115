#include "tests/support/fake_engine.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "platform/file_io.h"

namespace vellumark::testsupport {

namespace {

// Each saved file starts with this and the number of its save.
constexpr char kSaveMark[] = "%fake-save ";

void CheckRange(int first, int last, int count, const char* what) {
  if (first < 0 || last >= count || first > last + 1) {
    throw std::out_of_range(std::string("fake engine: bad page range for ") + what);
  }
}

}  // namespace

std::vector<std::string> SavedDocument::labels() const {
  std::vector<std::string> out;
  for (const auto& p : pages) out.push_back(p.label);
  return out;
}

acrobat::Bookmark& FakeBookmark::CreateChild(const std::string& title, const std::string& action, int position,
                                             int targetPage) {
  return Insert(std::make_unique<FakeBookmark>(title, action, targetPage), position);
}

acrobat::Bookmark& FakeBookmark::CreateRemoteChild(const std::string& title, const std::string& fileName,
                                                   int position, int targetPage) {
  auto child = std::make_unique<FakeBookmark>(title, "", targetPage);
  child->remoteFile_ = fileName;
  return Insert(std::move(child), position);
}

acrobat::Bookmark& FakeBookmark::Insert(std::unique_ptr<FakeBookmark> child, int position) {
  auto* raw = child.get();
  const auto at = static_cast<std::size_t>(std::clamp(position - 1, 0, static_cast<int>(children_.size())));
  children_.insert(children_.begin() + static_cast<std::ptrdiff_t>(at), std::move(child));
  return *raw;
}

std::vector<acrobat::Bookmark*> FakeBookmark::children() {
  std::vector<acrobat::Bookmark*> out;
  for (auto& c : children_) out.push_back(c.get());
  return out;
}

BookmarkNode FakeBookmark::Snapshot() const {
  BookmarkNode node{title_, action_, target_, remoteFile_, {}};
  for (const auto& c : children_) node.children.push_back(c->Snapshot());
  return node;
}

int FakeBookmark::CountAll() const {
  int n = static_cast<int>(children_.size());
  for (const auto& c : children_) n += c->CountAll();
  return n;
}

int FakeBookmark::CountRemote() const {
  int n = remoteFile_.empty() ? 0 : 1;
  for (const auto& c : children_) n += c->CountRemote();
  return n;
}

std::string FakeDocument::ReadPageText(int pageIndex) const {
  return pages_.at(static_cast<std::size_t>(pageIndex)).text;
}

acrobat::PageLines FakeDocument::ReadPageLines(int pageIndex) const {
  const FakePage& page = pages_.at(static_cast<std::size_t>(pageIndex));
  return page.lines ? *page.lines : acrobat::LinesFromPlainText(page.text);
}

void FakeDocument::InsertPages(int after, const acrobat::Document& source, int firstSourcePage, int count) {
  const auto& src = dynamic_cast<const FakeDocument&>(source);
  if (count <= 0) return;
  CheckRange(firstSourcePage, firstSourcePage + count - 1, src.GetNumPages(), "InsertPages source");
  if (after < -1 || after >= GetNumPages()) throw std::out_of_range("fake engine: bad insert position");
  std::vector<FakePage> copy(src.pages_.begin() + firstSourcePage, src.pages_.begin() + firstSourcePage + count);
  pages_.insert(pages_.begin() + (after + 1), copy.begin(), copy.end());
}

void FakeDocument::DeletePages(int first, int last) {
  CheckRange(first, last, GetNumPages(), "DeletePages");
  pages_.erase(pages_.begin() + first, pages_.begin() + last + 1);
}

void FakeDocument::MovePage(int moveAfter, int pageToMove) {
  CheckRange(pageToMove, pageToMove, GetNumPages(), "MovePage");
  const int insertAt = acrobat::MovedPageIndex(moveAfter, pageToMove, GetNumPages());
  FakePage page = pages_[static_cast<std::size_t>(pageToMove)];
  pages_.erase(pages_.begin() + pageToMove);
  pages_.insert(pages_.begin() + insertAt, page);
}

long long FakeDocument::PageWeights() const {
  long long weights = 0;
  for (const auto& p : pages_) weights += p.weight;
  return weights;
}

long long FakeDocument::SavedSizeLowerBound() const {
  if (engine_.lowerBoundPercent <= 0) return 0;
  return kSaveOverhead + PageWeights() * std::min(engine_.lowerBoundPercent, 100) / 100;
}

void FakeDocument::Save(const std::filesystem::path& path) {
  if (closed_) throw std::logic_error("fake engine: save of a closed document");
  const long long size = kSaveOverhead + PageWeights() + kBookmarkWeight * root_.CountAll() +
                         engine_.remoteLinkWeight * root_.CountRemote();
  // The mark fits: every file is at least kSaveOverhead bytes.
  const std::string mark = kSaveMark + std::to_string(engine_.savesInOrder_.size()) + "\n";
  // Through the program's own atomic write, as the real engine saves: no
  // partial file ever stands under the final name.
  platform::WriteAtomically(path, [&](platform::FileSink& out) {
    out.Write(mark);
    const std::string block(4096, '\0');
    for (long long left = size - static_cast<long long>(mark.size()); left > 0;
         left -= static_cast<long long>(block.size())) {
      out.Write(block.data(), static_cast<std::size_t>(std::min<long long>(left, 4096)));
    }
  });
  engine_.saved_[path] = Snapshot();
  engine_.savesInOrder_.push_back(Snapshot());
  ++engine_.saveCount_;
}

void FakeDocument::DeleteThumbs(int first, int last) {
  CheckRange(first, last, GetNumPages(), "DeleteThumbs");
  for (int i = first; i <= last; ++i) pages_[static_cast<std::size_t>(i)].thumb = false;
}

std::vector<acrobat::SkippedThumbnail> FakeDocument::CreateThumbs(int first, int last, const PagesDone& pagesDone) {
  CheckRange(first, last, GetNumPages(), "CreateThumbs");
  for (int i = first; i <= last; ++i) {
    pages_[static_cast<std::size_t>(i)].thumb = true;
    if (pagesDone) pagesDone(i - first + 1);
  }
  engine_.thumbPagesRendered_ += last - first + 1;
  return {};
}

std::vector<std::string> FakeDocument::labels() const {
  std::vector<std::string> out;
  for (const auto& p : pages_) out.push_back(p.label);
  return out;
}

SavedDocument FakeDocument::Snapshot() const {
  SavedDocument s;
  s.pages = pages_;
  s.bookmarks = root_.Snapshot().children;
  s.openingView = openingView_;
  s.info = info_;
  return s;
}

void FakeEngine::AddFile(const std::filesystem::path& path, std::vector<FakePage> pages) {
  files_[path] = std::move(pages);
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << "%PDF-fake";
}

void FakeEngine::SetFileInfo(const std::filesystem::path& path, acrobat::DocumentInfo info) {
  infos_[path] = std::move(info);
}

std::unique_ptr<acrobat::View> FakeEngine::Open(const std::filesystem::path& path) {
  ++openCount_;
  if (auto it = files_.find(path); it != files_.end()) {
    const auto info = infos_.find(path);
    return std::make_unique<FakeView>(*this, it->second, info != infos_.end() ? info->second : acrobat::DocumentInfo{});
  }
  if (const SavedDocument* saved = FindSaved(path)) return std::make_unique<FakeView>(*this, saved->pages, saved->info);
  if (std::filesystem::exists(path)) {
    return std::make_unique<FakeView>(*this, std::vector<FakePage>{FakePage{"", std::nullopt, blankWeight, "blank", false, ""}},
                                      kBlankBaseInfo);
  }
  throw acrobat::PdfError(path, "ファイルが見つかりません");
}

const SavedDocument* FakeEngine::FindSaved(const std::filesystem::path& path) const {
  std::ifstream in(path, std::ios::binary);
  std::string mark;
  if (in && std::getline(in, mark) && mark.rfind(kSaveMark, 0) == 0) {
    const std::size_t number = std::stoul(mark.substr(sizeof kSaveMark - 1));
    if (number < savesInOrder_.size()) return &savesInOrder_[number];
  }
  return nullptr;
}

const SavedDocument& FakeEngine::SavedAt(const std::filesystem::path& path) const {
  if (const SavedDocument* saved = FindSaved(path)) return *saved;
  throw std::out_of_range("fake engine: nothing saved at " + path.string());
}

std::vector<FakePage> MakePages(const std::string& prefix, int count, long long weight,
                                const std::vector<std::string>& texts) {
  std::vector<FakePage> pages;
  for (int i = 0; i < count; ++i) {
    pages.push_back(FakePage{i < static_cast<int>(texts.size()) ? texts[static_cast<std::size_t>(i)] : "",
                             std::nullopt, weight, prefix + std::to_string(i + 1), false, ""});
  }
  return pages;
}

}  // namespace vellumark::testsupport
