// The base of the bitmap unit's picture classes: a toolkit graphic that also
// takes the clipboard as a source, plus the byte streams the unit reads and
// writes and the registry of picture formats.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/Pictures.h"

// Reads exactly from bytes held in memory. The position may be moved past the
// end; a read that cannot be satisfied raises plat::EReadError and moves
// nothing.
class QxByteReader {
 public:
  explicit QxByteReader(std::span<const uint8_t> data) : data_(data) {}
  void ReadBuffer(void* out, size_t n);
  uint64_t Position() const { return pos_; }
  void Seek(uint64_t pos) { pos_ = pos; }
  uint64_t Size() const { return data_.size(); }
  // Bytes left from the position (0 when it lies past the end).
  uint64_t Remaining() const { return pos_ >= data_.size() ? 0 : data_.size() - pos_; }

 private:
  std::span<const uint8_t> data_;
  uint64_t pos_ = 0;
};

// A toolkit graphic that knows its clipboard format. Assigning the clipboard
// loads the picture from the clipboard's data of that format; the clipboard
// is closed again whether the load works or not.
class TQxGraphic : public plat::Graphic {
 public:
  void Assign(const plat::Persistent* Source) override;
  virtual unsigned GetClipboardFormat() const = 0;
  unsigned ClipboardFormat() const { return GetClipboardFormat(); }
  virtual void LoadFromClipboardFormat(unsigned AFormat, const plat::GlobalBlock& AData,
                                       const plat::HPalette& APalette) = 0;
  virtual void SaveToClipboardFormat(unsigned& Format, plat::GlobalBlock& Data,
                                     plat::HPalette& APalette) const = 0;
};

// Picture classes by file extension and by clipboard format.
using QxGraphicFactory = std::function<std::unique_ptr<plat::Graphic>()>;
void RegisterFileFormat(const std::string& ext, const std::string& description,
                        QxGraphicFactory make);
void RegisterClipboardFormat(unsigned format, QxGraphicFactory make);
void UnregisterGraphicClass(const std::string& ext, unsigned format);
// Null when nothing is registered.
std::unique_ptr<plat::Graphic> MakeGraphicForExtension(const std::string& ext);
std::unique_ptr<plat::Graphic> MakeGraphicForClipboardFormat(unsigned format);
std::string GraphicDescription(const std::string& ext);
