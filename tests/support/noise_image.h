#pragma once
// An RGB image of random bytes, the stand-in for a scanned page or a photo:
// no compression shrinks it, so a file's size follows from its images. For
// test programs that link QPDF themselves.
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <cstddef>
#include <random>
#include <string>

namespace vellumark::testsupport {

// An image XObject of `width` x `height` pixels, 8 bits per RGB component,
// its bytes drawn from `random`.
inline QPDFObjectHandle NoiseImage(QPDF& pdf, int width, int height, std::mt19937& random) {
  std::string pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3, '\0');
  for (char& byte : pixels) byte = static_cast<char>(random() & 0xFF);
  auto image = QPDFObjectHandle::newStream(&pdf, pixels);
  auto dict = image.getDict();
  dict.replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
  dict.replaceKey("/Subtype", QPDFObjectHandle::newName("/Image"));
  dict.replaceKey("/Width", QPDFObjectHandle::newInteger(width));
  dict.replaceKey("/Height", QPDFObjectHandle::newInteger(height));
  dict.replaceKey("/ColorSpace", QPDFObjectHandle::newName("/DeviceRGB"));
  dict.replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(8));
  return image;
}

}  // namespace vellumark::testsupport
