#include "graphics/QxGraph.h"

#include <cstring>
#include <map>

void QxByteReader::ReadBuffer(void* out, size_t n) {
  if (n == 0) return;
  if (n > Remaining()) throw plat::EReadError();
  std::memcpy(out, data_.data() + pos_, n);
  pos_ += n;
}

void TQxGraphic::Assign(const plat::Persistent* Source) {
  auto* clip = dynamic_cast<const plat::Clipboard*>(Source);
  if (!clip) {
    plat::Graphic::Assign(Source);
    return;
  }
  auto& c = const_cast<plat::Clipboard&>(*clip);
  c.Open();
  try {
    unsigned fmt = GetClipboardFormat();
    LoadFromClipboardFormat(fmt, c.GetData(fmt), c.GetPaletteData());
  } catch (...) {
    c.Close();
    throw;
  }
  c.Close();
}

namespace {
struct FileFormat {
  std::string description;
  QxGraphicFactory make;
};
std::map<std::string, FileFormat>& FileFormats() {
  static std::map<std::string, FileFormat> m;
  return m;
}
std::map<unsigned, QxGraphicFactory>& ClipFormats() {
  static std::map<unsigned, QxGraphicFactory> m;
  return m;
}
}  // namespace

void RegisterFileFormat(const std::string& ext, const std::string& description,
                        QxGraphicFactory make) {
  FileFormats()[ext] = {description, std::move(make)};
}

void RegisterClipboardFormat(unsigned format, QxGraphicFactory make) {
  ClipFormats()[format] = std::move(make);
}

void UnregisterGraphicClass(const std::string& ext, unsigned format) {
  FileFormats().erase(ext);
  ClipFormats().erase(format);
}

std::unique_ptr<plat::Graphic> MakeGraphicForExtension(const std::string& ext) {
  auto it = FileFormats().find(ext);
  return it == FileFormats().end() ? nullptr : it->second.make();
}

std::unique_ptr<plat::Graphic> MakeGraphicForClipboardFormat(unsigned format) {
  auto it = ClipFormats().find(format);
  return it == ClipFormats().end() ? nullptr : it->second();
}

std::string GraphicDescription(const std::string& ext) {
  auto it = FileFormats().find(ext);
  return it == FileFormats().end() ? "" : it->second.description;
}
