// The engine the product runs: documents on QPDF, text and thumbnails
// through poppler.
#include "acrobat/real_engine.h"

#include <new>

#include "acrobat/engine_messages.h"
#include "acrobat/qpdf_document.h"

namespace vellumark::acrobat {

namespace {

class RealEngine final : public Engine {
 public:
  std::unique_ptr<View> Open(const std::filesystem::path& path) override {
    auto file = detail::LoadedFile::Load(path);
    // Checked now, while the file's structure is still as read: should
    // poppler need QPDF's repaired rewrite, that rewrite must show the
    // file's own pages, not what a document later made of them.
    detail::NamingLibraryFailures(path, [&] { detail::EnsurePopplerReadable(*file); });
    return std::make_unique<detail::RealView>(std::move(file));
  }
};

}  // namespace

std::unique_ptr<Engine> MakeRealEngine() { return std::make_unique<RealEngine>(); }

}  // namespace vellumark::acrobat
