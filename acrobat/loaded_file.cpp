// Reading a PDF file into memory and into QPDF, with every failure turned
// into a PdfError a user can act on.
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>
#include <set>
#include <system_error>

#include "acrobat/engine_messages.h"
#include "acrobat/qpdf_document.h"

namespace vellumark::acrobat::detail {

namespace {

// Readers accept a header anywhere in the first kilobyte (some producers put
// a few bytes of junk in front); a file without one is not a PDF at all,
// and QPDF's recovery would otherwise report it as merely damaged.
constexpr std::size_t kHeaderWindow = 1024;

// Closes the descriptor on every way out.
struct FileDescriptor {
  int fd = -1;
  ~FileDescriptor() {
    if (fd >= 0) ::close(fd);
  }
};

std::string ReadWholeFile(const std::filesystem::path& path) {
  // Only a regular file is read: a FIFO named x.pdf would block the open
  // and the read for ever, a device would never end. Checked before the
  // open, and again on the open descriptor (opened without blocking) in
  // case the name was swapped in between.
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    throw PdfError(path, errno == ENOENT || errno == ENOTDIR ? kFileNotFound : kFileUnreadable);
  }
  if (S_ISDIR(info.st_mode)) throw PdfError(path, kNotPdf);
  if (!S_ISREG(info.st_mode)) throw PdfError(path, kNotRegularFile);
  FileDescriptor file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
  if (file.fd < 0) throw PdfError(path, kFileUnreadable);
  if (::fstat(file.fd, &info) != 0) throw PdfError(path, kFileUnreadable);
  if (!S_ISREG(info.st_mode)) throw PdfError(path, kNotRegularFile);
  // One read loop over the known size: a source of tens of megabytes is
  // read at disk speed, not character by character.
  std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    const auto got = ::read(file.fd, bytes.data() + done, bytes.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) throw PdfError(path, kFileUnreadable);  // an error, or the file shrank
    done += static_cast<std::size_t>(got);
  }
  return bytes;
}

std::string DescriptionOf(const std::filesystem::path& path) {
  const auto u8 = path.u8string();
  return std::string(u8.begin(), u8.end());
}

}  // namespace

std::shared_ptr<LoadedFile> LoadedFile::Load(const std::filesystem::path& path) {
  std::shared_ptr<LoadedFile> file(new LoadedFile(path));
  auto bytes = std::make_shared<std::string>(ReadWholeFile(path));
  if (bytes->substr(0, kHeaderWindow).find("%PDF-") == std::string::npos) throw PdfError(path, kNotPdf);
  file->bytes_ = std::move(bytes);
  file->qpdf_ = std::make_shared<QPDF>();
  file->qpdf_->setSuppressWarnings(true);
  NamingLibraryFailures(path, [&] {
    try {
      file->qpdf_->processMemoryFile(DescriptionOf(path).c_str(), file->bytes_->data(), file->bytes_->size());
      file->ReadStructure();
    } catch (const QPDFExc& e) {
      if (e.getErrorCode() == qpdf_e_password) throw PdfError(path, kNeedsPassword);
      throw;
    }
  });
  return file;
}

LoadedFile::~LoadedFile() = default;

void LoadedFile::ReadStructure() {
  // Pages copied to another document must carry their inherited media box,
  // resources and rotation themselves: the page tree they inherit from is
  // not copied with them.
  qpdf_->pushInheritedAttributesToPage();
  pages_ = qpdf_->getAllPages();
  textCache_.assign(pages_.size(), std::nullopt);
  linesCache_.assign(pages_.size(), std::nullopt);
  costs_.assign(pages_.size(), std::nullopt);
  version_ = qpdf_->getPDFVersion();
  NormaliseLinks();
}

const std::vector<PageLink>& LoadedFile::LinksOf(int pageIndex) const {
  static const std::vector<PageLink> kNone;
  auto it = links_.find(pageIndex);
  return it == links_.end() ? kNone : it->second;
}

// Link annotations that jump to a page of this file are rewritten to one
// explicit form, /Dest [page ...], and remembered by target page index. A
// copy of the page can then point its link at the copy of the target when
// both travel into the same document, and drop the link when the target
// stays behind (a link to nowhere is worse than none). Named destinations
// are resolved here because the name tree never travels with pages.
void LoadedFile::NormaliseLinks() {
  std::map<QPDFObjGen, int> indexOf;
  for (std::size_t i = 0; i < pages_.size(); ++i) indexOf.emplace(pages_[i].getObjGen(), static_cast<int>(i));
  NamedDestinations names(*qpdf_);

  for (std::size_t i = 0; i < pages_.size(); ++i) {
    auto annots = pages_[i].getKey("/Annots");
    if (!annots.isArray()) continue;
    const int count = annots.getArrayNItems();
    for (int a = 0; a < count; ++a) {
      auto annot = annots.getArrayItem(a);
      if (!annot.isDictionary() || !annot.getKey("/Subtype").isNameAndEquals("/Link")) continue;
      auto dest = annot.getKey("/Dest");
      bool fromAction = false;
      if (dest.isNull()) {
        auto action = annot.getKey("/A");
        if (!action.isDictionary() || !action.getKey("/S").isNameAndEquals("/GoTo")) continue;
        dest = action.getKey("/D");
        fromAction = true;
      }
      if (dest.isName() || dest.isString()) dest = names.Resolve(dest);
      if (dest.isDictionary()) dest = dest.getKey("/D");
      if (!dest.isArray() || dest.getArrayNItems() < 1) continue;
      auto target = dest.getArrayItem(0);
      int targetIndex = -1;
      if (target.isInteger()) {
        targetIndex = target.getIntValueAsInt();
      } else if (auto it = indexOf.find(target.getObjGen()); target.isIndirect() && it != indexOf.end()) {
        targetIndex = it->second;
      }
      if (targetIndex < 0 || targetIndex >= static_cast<int>(pages_.size())) continue;
      auto items = dest.getArrayAsVector();
      items[0] = pages_[static_cast<std::size_t>(targetIndex)];
      annot.replaceKey("/Dest", QPDFObjectHandle::newArray(items));
      if (fromAction) annot.removeKey("/A");
      links_[static_cast<int>(i)].push_back(PageLink{static_cast<std::size_t>(a), targetIndex});
    }
  }
}

void LoadedFile::PrepareForCopy() {
  if (preparedForCopy_) return;
  preparedForCopy_ = true;
  // Only when pages share a resource dictionary (or its font or image
  // table): pruning parses every content stream, which is wasted work for
  // files whose pages already name only what they use.
  std::set<QPDFObjGen> seen;
  bool shared = false;
  auto note = [&](const QPDFObjectHandle& oh) {
    if (oh.isIndirect() && !seen.insert(oh.getObjGen()).second) shared = true;
  };
  for (std::size_t i = 0; i < pages_.size() && !shared; ++i) {
    auto resources = pages_[i].getKey("/Resources");
    if (!resources.isDictionary()) continue;
    note(resources);
    note(resources.getKey("/XObject"));
    note(resources.getKey("/Font"));
  }
  if (!shared) return;
  // Pruning parses the content streams; their cost is measured first.
  for (std::size_t i = 0; i < pages_.size(); ++i) CostOf(static_cast<int>(i));
  for (auto& page : pages_) {
    try {
      QPDFPageObjectHelper(page).removeUnreferencedResources();
    } catch (const std::exception&) {
      // A content stream QPDF cannot parse: keep the page's resources as
      // they are. The page then carries more than it needs, never less.
    }
  }
}

void LoadedFile::UsePopplerRepair() {
  if (popplerUsesRepair_) return;
  // QPDF writes the page tree as it found it, and a /Count that lies
  // (a thousand million for two pages) would leave poppler lost again. The
  // rewrite gets a flat tree of the pages QPDF found instead; the pages
  // already carry what they inherited, and every save flattens the tree
  // the same way.
  if (auto pagesRoot = qpdf_->getRoot().getKey("/Pages"); pagesRoot.isDictionary()) {
    for (auto& page : pages_) page.replaceKey("/Parent", pagesRoot);
    pagesRoot.replaceKey("/Kids", QPDFObjectHandle::newArray(pages_));
    pagesRoot.replaceKey("/Count", QPDFObjectHandle::newInteger(static_cast<long long>(pages_.size())));
    pagesRoot.removeKey("/Parent");
    qpdf_->updateAllPagesCache();
  }
  QPDFWriter writer(*qpdf_);
  writer.setOutputMemory();
  writer.setPreserveEncryption(false);
  writer.write();
  auto buffer = writer.getBufferSharedPointer();
  repairedBytes_.assign(reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize());
  popplerUsesRepair_ = true;
}

}  // namespace vellumark::acrobat::detail
