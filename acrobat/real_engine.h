#pragma once
// The engine the product runs: QPDF for structure and saving, poppler-cpp for
// page text and thumbnail rendering. No QPDF or poppler type leaves the
// implementation files.
#include <memory>

#include "acrobat/engine.h"

namespace vellumark::acrobat {

std::unique_ptr<Engine> MakeRealEngine();

}  // namespace vellumark::acrobat
