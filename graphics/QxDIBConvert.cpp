#include "graphics/QxDIBConvert.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr uint32_t kRLE8 = 1, kRLE4 = 2;
constexpr int64_t kMaxBitsSize = int64_t(1) << 30;

using qxconv::CheckRowsPresent;
using qxconv::CopyHeader;
using qxconv::Rows;
using qxconv::TakeRows;

void RequireFormat(const TQxDIBInfos& Old, int bits, uint32_t compression, const char* who,
                   const char* message) {
  if (Old.W3Head.biBitCount != bits || Old.W3Head.biCompression != compression)
    throw EQxDIBBadDIBType(std::string(who) + ": " + message);
}

// New becomes an uncompressed picture of the given depth over Old's header.
TQxDIBInfos Uncompressed(const TQxDIBInfos& Old, int bits, bool UseFMO) {
  TQxDIBInfos d = CopyHeader(Old);
  d.W3Head.biBitCount = uint16_t(bits);
  d.W3Head.biCompression = 0;
  d.W3Head.biSizeImage = 0;
  TakeRows(d, UseFMO);
  return d;
}

uint8_t IndexAt(const uint8_t* row, int bits, int64_t x) {
  switch (bits) {
    case 1: return uint8_t(row[x >> 3] >> (7 - (x & 7)) & 1);
    case 4: return (x & 1) ? uint8_t(row[x >> 1] & 0x0F) : uint8_t(row[x >> 1] >> 4);
    default: return row[x];
  }
}

// Calls put(x, index) for every pixel of every row of an indexed source, with
// the destination row of the same storage position.
template <typename Put>
void EachIndex(const TQxDIBInfos& Old, TQxDIBInfos& New, Put put) {
  const int bits = Old.W3Head.biBitCount;
  const int64_t w = Old.W3Head.biWidth, rows = Rows(Old.W3Head);
  const int64_t inRow = DIBRowBytes(w, bits), outRow = DIBRowBytes(w, New.W3Head.biBitCount);
  for (int64_t y = 0; y < rows; ++y) {
    const uint8_t* in = Old.Bits.data() + inRow * y;
    uint8_t* out = New.Bits.data() + outRow * y;
    for (int64_t x = 0; x < w; ++x) put(out, x, IndexAt(in, bits, x));
  }
}

void IndexedToIndexed(const TQxDIBInfos& Old, TQxDIBInfos& New, int fromBits, int toBits,
                      const char* who, bool UseFMO) {
  RequireFormat(Old, fromBits, 0, who, "Invalid Bitcount & Compression Combination");
  CheckRowsPresent(Old, who);
  TQxDIBInfos d = Uncompressed(Old, toBits, UseFMO);
  EachIndex(Old, d, [toBits](uint8_t* out, int64_t x, uint8_t v) {
    if (toBits == 8) out[x] = v;
    else out[x >> 1] |= (x & 1) ? v : uint8_t(v << 4);
  });
  New = std::move(d);
}

void IndexedToTrueColor(const TQxDIBInfos& Old, TQxDIBInfos& New, int fromBits, const char* who,
                        bool UseFMO) {
  RequireFormat(Old, fromBits, 0, who, "Invalid Bitcount & Compression Combination");
  CheckRowsPresent(Old, who);
  TQxDIBInfos d = Uncompressed(Old, 24, UseFMO);
  EachIndex(Old, d, [&Old](uint8_t* out, int64_t x, uint8_t v) {
    const TQxRGBQuad& q = Old.Colors[v];
    out[3 * x] = q.rgbBlue, out[3 * x + 1] = q.rgbGreen, out[3 * x + 2] = q.rgbRed;
  });
  New = std::move(d);
}

// The 1-bit result: the matching pixels set, black and white colours.
template <typename Matches>
void ToOneBit(const TQxDIBInfos& Old, TQxDIBInfos& New, bool UseFMO, Matches matches) {
  TQxDIBInfos d = Uncompressed(Old, 1, UseFMO);
  d.W3Head.biClrUsed = 2;
  d.Colors[0] = {0, 0, 0, 0};
  d.Colors[1] = {255, 255, 255, 0};
  const int bits = Old.W3Head.biBitCount;
  const int64_t w = Old.W3Head.biWidth, rows = Rows(Old.W3Head);
  const int64_t inRow = DIBRowBytes(w, bits), outRow = DIBRowBytes(w, 1);
  for (int64_t y = 0; y < rows; ++y) {
    const uint8_t* in = Old.Bits.data() + inRow * y;
    uint8_t* out = d.Bits.data() + outRow * y;
    for (int64_t x = 0; x < w; ++x)
      if (matches(qxconv::PixelColour(Old, in, x))) out[x >> 3] |= uint8_t(0x80 >> (x & 7));
  }
  New = std::move(d);
}

bool SameColour(const TQxTriple& t, uint32_t bg) {
  return t.R == (bg & 0xFF) && t.G == (bg >> 8 & 0xFF) && t.B == (bg >> 16 & 0xFF);
}

// ---- run-length encoder -----------------------------------------------------

// Writes codes into a buffer of fixed room. Each write asks for the room the
// code may take; when it is not there the picture does not compress.
class RleWriter {
 public:
  RleWriter(size_t room, const char* who) : room_(room), who_(who) {}
  void Need(size_t n) {
    if (out.size() + n > room_) throw EQxDIBCompressionFailed(std::string(who_) + ": Compression Failed");
  }
  void Put(std::initializer_list<uint8_t> bytes) { out.insert(out.end(), bytes); }
  void PutBytes(const uint8_t* p, size_t n) { out.insert(out.end(), p, p + n); }
  void EndOfLine() { Need(4), Put({0, 0}); }
  void EndOfBitmap() { Need(2), Put({0, 1}); }
  std::vector<uint8_t> out;

 private:
  size_t room_;
  const char* who_;
};

// The run machine over the units of one row (pixels for RLE8, pixel pairs for
// RLE4). limit is the longest run or literal block in units.
class RunMachine {
 public:
  enum Mode { rmNoData, rmUnknown, rmEncode, rmAbsolute };
  RunMachine(RleWriter& w, bool four, int32_t width, const char* who)
      : w_(w), four_(four), limit_(four ? 127 : 255), width_(width), who_(who) {}

  void Row(const uint8_t* units, int64_t n) {
    mode_ = rmNoData;
    written_ = 0;
    for (int64_t i = 0; i < n; ++i) Step(units[i]);
    switch (mode_) {
      case rmUnknown: WriteEncode(buf_[0], 1); break;
      case rmEncode: WriteEncode(buf_[0], count_); break;
      case rmAbsolute: WriteAbsolute(); break;
      case rmNoData: break;
    }
  }

 private:
  void Step(uint8_t c) {
    switch (mode_) {
      case rmNoData:
        Start(c);
        break;
      case rmUnknown:
        if (c == buf_[0]) {
          count_ = 2;
          mode_ = rmEncode;
        } else {
          buf_[index_++] = c;
          mode_ = rmAbsolute;
        }
        break;
      case rmEncode:
        if (c == buf_[0] && count_ < limit_) {
          ++count_;
        } else {
          WriteEncode(buf_[0], count_);
          Start(c);
        }
        break;
      case rmAbsolute:
        if (c != buf_[index_ - 1] && index_ < limit_) {
          buf_[index_++] = c;
        } else if (c == buf_[index_ - 1]) {
          --index_;
          WriteAbsolute();
          buf_[0] = c;
          count_ = 2;
          mode_ = rmEncode;
        } else {
          WriteAbsolute();
          Start(c);
        }
        break;
    }
  }
  void Start(uint8_t c) {
    buf_[0] = c;
    index_ = 1;
    mode_ = rmUnknown;
  }
  // The count byte of a code: pixels, cut at the row's end for RLE4.
  uint8_t Pixels(int32_t units) {
    int64_t p = units;
    if (four_) p = std::min<int64_t>(2 * int64_t(units), int64_t(width_) - written_);
    written_ += p;
    return uint8_t(p);
  }
  void WriteEncode(uint8_t colour, int32_t count) {
    w_.Need(6);
    w_.Put({Pixels(count), colour});
  }
  void WriteAbsolute() {
    const int32_t n = index_;
    if (n <= 0) throw plat::EAssertionFailed(std::string(who_) + ": WriteAbsolute Error");
    if (n == 1 || (!four_ && n == 2)) {
      for (int32_t i = 0; i < n; ++i) WriteEncode(buf_[i], 1);
      return;
    }
    w_.Need(size_t((n + 1) / 2 * 2 + 6));
    w_.Put({0, Pixels(n)});
    w_.PutBytes(buf_, size_t(n));
    if (n & 1) w_.Put({0});
  }

  RleWriter& w_;
  bool four_;
  int32_t limit_;
  int32_t width_;
  const char* who_;
  Mode mode_ = rmNoData;
  uint8_t buf_[256] = {};
  int32_t index_ = 0;
  int32_t count_ = 0;
  int64_t written_ = 0;
};

void EncodeRLE(const TQxDIBInfos& Old, TQxDIBInfos& New, bool four, bool UseFMO) {
  const char* who = four ? "Convert4BitRGBTo4BitRLE" : "Convert8BitRGBTo8BitRLE";
  RequireFormat(Old, four ? 4 : 8, 0, who, "Invalid Bitcount & Compression Combination");
  CheckRowsPresent(Old, who);
  const TQxBitmapInfoHeader& h = Old.W3Head;
  const int64_t rows = Rows(h), rowBytes = DIBRowBytes(h.biWidth, four ? 4 : 8);
  const int64_t units = four ? (int64_t(h.biWidth) + 1) / 2 : h.biWidth;
  RleWriter w(size_t(rowBytes * rows), who);
  RunMachine m(w, four, h.biWidth, who);
  for (int64_t y = 0; y < rows; ++y) {
    const int64_t src = h.biHeight > 0 ? y : rows - 1 - y;  // always written bottom-up
    m.Row(Old.Bits.data() + rowBytes * src, units);
    w.EndOfLine();
  }
  w.EndOfBitmap();
  TQxDIBInfos d = CopyHeader(Old);
  d.Bits = GetMemory(int64_t(w.out.size()), UseFMO);
  std::memcpy(d.Bits.data(), w.out.data(), w.out.size());
  d.BitsSize = int32_t(w.out.size());
  d.W3Head.biHeight = int32_t(rows);
  d.W3Head.biSizeImage = uint32_t(w.out.size());
  d.W3Head.biCompression = four ? kRLE4 : kRLE8;
  New = std::move(d);
}

// ---- run-length decoder -----------------------------------------------------

// Reads run-length data, never past their end.
class RleReader {
 public:
  RleReader(const TQxDIBInfos& d)
      : p_(d.Bits.data()), n_(std::min<size_t>(d.Bits.size(), size_t(std::max(d.BitsSize, 0)))) {}
  size_t Left() const { return n_ - pos_; }
  uint8_t Next() { return p_[pos_++]; }
  const uint8_t* Take(size_t n) {
    const uint8_t* at = p_ + pos_;
    pos_ += n;
    return at;
  }
  // Skips up to n bytes (a pad byte may be missing at the very end).
  void Skip(size_t n) { pos_ += std::min(n, Left()); }

 private:
  const uint8_t* p_;
  size_t n_;
  size_t pos_ = 0;
};

// Decoding stops at the end-of-bitmap code, or where the data end between two
// codes (the rest of the picture stays at index 0). A code cut off by the end
// of the data is refused.
void DecodeRLE(const TQxDIBInfos& Old, TQxDIBInfos& New, bool four, bool UseFMO) {
  const char* who = four ? "Convert4BitRLETo4BitRGB" : "Convert8BitRLETo8BitRGB";
  RequireFormat(Old, four ? 4 : 8, four ? kRLE4 : kRLE8, who,
                "Invalid Bitcount & Compression Combination");
  auto bad = [who](int n) { return EQxDIBInvalidDIB(std::string(who) + ": Bad RLE Data " + std::to_string(n)); };
  const int errEol = four ? 5 : 1, errDelta = four ? 6 : 2, errLiteral = four ? 7 : 3,
            errRun = four ? 8 : 4;
  TQxDIBInfos d = Uncompressed(Old, four ? 4 : 8, UseFMO);
  const int64_t height = Rows(Old.W3Head);
  const int64_t width = four ? (int64_t(Old.W3Head.biWidth) + 1) / 2 * 2 : Old.W3Head.biWidth;
  const int64_t rowBytes = DIBRowBytes(Old.W3Head.biWidth, four ? 4 : 8);
  uint8_t* const out = d.Bits.data();
  // Pixel x of row y; callers have checked y < height and x < width.
  auto put = [&](int64_t x, int64_t y, uint8_t v) {
    uint8_t* row = out + rowBytes * y;
    if (!four) row[x] = v;
    else if ((x & 1) == 0) row[x >> 1] = uint8_t(v << 4);
    else row[x >> 1] |= v;
  };
  auto truncated = [who] { return EQxDIBInvalidDIB(std::string(who) + ": Bad RLE Data (Truncated)"); };
  RleReader r(Old);
  int64_t x = 0, y = 0;
  while (r.Left() >= 2) {
    const uint8_t first = r.Next(), second = r.Next();
    if (first != 0) {
      if (x + first > width || y >= height) throw bad(errRun);
      for (int i = 0; i < first; ++i) {
        const uint8_t v = four ? uint8_t((i & 1) ? second & 0x0F : second >> 4) : second;
        put(x + i, y, v);
      }
      x += first;
      continue;
    }
    if (second == 0) {  // end of line
      ++y;
      x = 0;
      if (y > height) throw bad(errEol);
    } else if (second == 1) {  // end of bitmap
      break;
    } else if (second == 2) {  // delta
      if (r.Left() < 2) throw truncated();
      x += r.Next();
      y += r.Next();
      if (x > width || y > height) throw bad(errDelta);
    } else {  // literal
      const int n = second;
      if (x + n > width || y >= height) throw bad(errLiteral);
      const size_t dataBytes = four ? size_t(n + 1) / 2 : size_t(n);
      const size_t stride = four ? size_t((n * 4 + 15) / 16 * 2) : size_t((n + 1) / 2 * 2);
      if (r.Left() < dataBytes) throw truncated();
      const uint8_t* src = r.Take(dataBytes);
      for (int i = 0; i < n; ++i) {
        const uint8_t v = four ? uint8_t((i & 1) ? src[i / 2] & 0x0F : src[i / 2] >> 4) : src[i];
        put(x + i, y, v);
      }
      r.Skip(stride - dataBytes);
      x += n;
    }
  }
  New = std::move(d);
}

}  // namespace

// ---- shared helpers ---------------------------------------------------------

namespace qxconv {

TQxDIBInfos CopyHeader(const TQxDIBInfos& Old) {
  TQxDIBInfos d;
  d.W3Head = Old.W3Head;
  std::copy(std::begin(Old.Colors), std::end(Old.Colors), std::begin(d.Colors));
  return d;
}

int64_t Rows(const TQxBitmapInfoHeader& h) { return h.biHeight < 0 ? -int64_t(h.biHeight) : h.biHeight; }

int64_t SizeOf(int64_t rowBytes, int64_t rows) {
  if (rowBytes < 0 || rows < 0) return -1;
  if (rows != 0 && rowBytes > kMaxBitsSize / rows) return -1;
  return rowBytes * rows;
}

void CheckRowsPresent(const TQxDIBInfos& Old, const char* who) {
  const TQxBitmapInfoHeader& h = Old.W3Head;
  const int64_t need = SizeOf(DIBRowBytes(h.biWidth, h.biBitCount), Rows(h));
  if (h.biWidth <= 0 || need < 0 || int64_t(Old.Bits.size()) < need)
    throw EQxDIBInvalidDIB(std::string(who) + ": Pixel Data Too Short");
}

void TakeRows(TQxDIBInfos& New, bool UseFMO) {
  const TQxBitmapInfoHeader& h = New.W3Head;
  const int64_t size = SizeOf(DIBRowBytes(h.biWidth, h.biBitCount), Rows(h));
  New.Bits = GetMemory(size, UseFMO);  // a size of -1 is refused there
  New.BitsSize = int32_t(size);
}

TQxTriple PixelColour(const TQxDIBInfos& d, const uint8_t* row, int64_t x) {
  const int bits = d.W3Head.biBitCount;
  if (bits == 24) return {row[3 * x], row[3 * x + 1], row[3 * x + 2]};
  const TQxRGBQuad& q = d.Colors[IndexAt(row, bits, x)];
  return {q.rgbBlue, q.rgbGreen, q.rgbRed};
}

}  // namespace qxconv

// ---- the conversions --------------------------------------------------------

void Convert8BitRGBTo8BitRLE(const TQxDIBInfos& Old, TQxDIBInfos& New, bool UseFMO) {
  EncodeRLE(Old, New, false, UseFMO);
}

void Convert4BitRGBTo4BitRLE(const TQxDIBInfos& Old, TQxDIBInfos& New, bool UseFMO) {
  EncodeRLE(Old, New, true, UseFMO);
}

void Convert8BitRLETo8BitRGB(const TQxDIBInfos& Old, TQxDIBInfos& New, bool UseFMO) {
  DecodeRLE(Old, New, false, UseFMO);
}

void Convert4BitRLETo4BitRGB(const TQxDIBInfos& Old, TQxDIBInfos& New, bool UseFMO) {
  DecodeRLE(Old, New, true, UseFMO);
}

void Convert1BitRGBTo4BitRGB(const TQxDIBInfos& Old, TQxDIBInfos& New, bool UseFMO) {
  IndexedToIndexed(Old, New, 1, 4, "Convert1BitRGBTo4BitRGB", UseFMO);
}

void Convert1BitRGBTo8BitRGB(const TQxDIBInfos& Old, TQxDIBInfos& New, bool UseFMO) {
  IndexedToIndexed(Old, New, 1, 8, "Convert1BitRGBTo8BitRGB", UseFMO);
}

void Convert4BitRGBTo8BitRGB(const TQxDIBInfos& Old, TQxDIBInfos& New, bool UseFMO) {
  IndexedToIndexed(Old, New, 4, 8, "Convert4BitRGBTo8BitRGB", UseFMO);
}

void Convert1BitRGBToTrueColor(const TQxDIBInfos& Old, TQxDIBInfos& New, bool UseFMO) {
  IndexedToTrueColor(Old, New, 1, "Convert1BitRGBToTrueColor", UseFMO);
}

void Convert4BitRGBToTrueColor(const TQxDIBInfos& Old, TQxDIBInfos& New, bool UseFMO) {
  IndexedToTrueColor(Old, New, 4, "Convert4BitRGBToTrueColor", UseFMO);
}

void Convert8BitRGBToTrueColor(const TQxDIBInfos& Old, TQxDIBInfos& New, bool UseFMO) {
  IndexedToTrueColor(Old, New, 8, "Convert8BitRGBToTrueColor", UseFMO);
}

void ConvertTrueColorTo1BitRGB(const TQxDIBInfos& Old, TQxDIBInfos& New, uint32_t BGColor,
                               bool UseFMO) {
  if (Old.W3Head.biBitCount != 24)
    throw EQxDIBBadDIBType("ConvertTrueColorTo1BitRGB: Invalid Bitcount");
  CheckRowsPresent(Old, "ConvertTrueColorTo1BitRGB");
  ToOneBit(Old, New, UseFMO, [BGColor](const TQxTriple& t) { return SameColour(t, BGColor); });
}

void Convert8BitRGBTo1BitRGB(const TQxDIBInfos& Old, TQxDIBInfos& New, uint32_t BGColor,
                             bool UseFMO) {
  if (Old.W3Head.biBitCount != 8 || Old.W3Head.biCompression != 0)
    throw EQxDIBBadDIBType("Convert8BitTo1BitRGB: Invalid Bitcount or Compression");
  CheckRowsPresent(Old, "Convert8BitTo1BitRGB");
  ToOneBit(Old, New, UseFMO, [BGColor](const TQxTriple& t) { return SameColour(t, BGColor); });
}

void Convert4BitRGBTo1BitRGB(const TQxDIBInfos& Old, TQxDIBInfos& New, uint32_t BGColor,
                             bool UseFMO) {
  if (Old.W3Head.biBitCount != 4 || Old.W3Head.biCompression != 0)
    throw EQxDIBBadDIBType("Convert4BitRGBTo1BitRGB: Invalid Bitcount");
  CheckRowsPresent(Old, "Convert4BitRGBTo1BitRGB");
  ToOneBit(Old, New, UseFMO, [BGColor](const TQxTriple& t) { return SameColour(t, BGColor); });
}

std::vector<uint8_t> QxEncodeRLE8Row(std::span<const uint8_t> row) {
  RleWriter w(SIZE_MAX / 2, "QxEncodeRLE8Row");
  RunMachine(w, false, int32_t(row.size()), "QxEncodeRLE8Row").Row(row.data(), int64_t(row.size()));
  return w.out;
}

std::vector<uint8_t> QxEncodeRLE4Row(std::span<const uint8_t> row, int32_t width) {
  RleWriter w(SIZE_MAX / 2, "QxEncodeRLE4Row");
  const int64_t units = std::min<int64_t>(int64_t(row.size()), (int64_t(width) + 1) / 2);
  RunMachine(w, true, width, "QxEncodeRLE4Row").Row(row.data(), units);
  return w.out;
}

// ---- the dispatcher ---------------------------------------------------------

void TQxInternalDIB::SetPixelFormat(TQxPixelFormat Value, TQxConvertMode Mode, uint32_t BGColor,
                                    const std::function<void()>& ProgressHandler) {
  const TQxPixelFormat from = GetPixelFormat();
  if (Value == from)
    throw plat::EAssertionFailed("TQxIntenalDIB.SetPixelsFormat: PixelFormat Error");
  const bool fmo = UseFMO;
  const QxProgress progress = ProgressHandler ? ProgressHandler : QxProgress([] {});

  // Each step reads the previous record and makes the next; the store's own
  // record is only replaced when the last step has worked.
  using Step = std::function<void(const TQxDIBInfos&, TQxDIBInfos&)>;
  std::vector<Step> steps;
  auto plain = [&](void (*f)(const TQxDIBInfos&, TQxDIBInfos&, bool)) {
    steps.push_back([f, fmo](const TQxDIBInfos& o, TQxDIBInfos& n) { f(o, n, fmo); });
  };
  auto toOne = [&](void (*f)(const TQxDIBInfos&, TQxDIBInfos&, uint32_t, bool)) {
    steps.push_back([f, fmo, BGColor](const TQxDIBInfos& o, TQxDIBInfos& n) { f(o, n, BGColor, fmo); });
  };
  auto reduce = [&](void (*f)(const TQxDIBInfos&, TQxDIBInfos&, const QxProgress&, bool)) {
    steps.push_back([f, fmo, progress](const TQxDIBInfos& o, TQxDIBInfos& n) { f(o, n, progress, fmo); });
  };

  // RLE sources are decoded first; then the chain works on 1, 4, 8 or 24 bits.
  TQxPixelFormat cur = from;
  if (cur == qxPf4BitRLE) plain(Convert4BitRLETo4BitRGB), cur = qxPf4Bit;
  if (cur == qxPf8BitRLE) plain(Convert8BitRLETo8BitRGB), cur = qxPf8Bit;

  const bool fine = Mode == qxCmFine;
  switch (Value) {
    case qxPfHalftone: plain(ConvertToHalfTone); break;
    case qxPfHalftoneBW: plain(ConvertToHalfToneBW); break;
    case qxPf1Bit:
      if (cur == qxPf4Bit) toOne(Convert4BitRGBTo1BitRGB);
      else if (cur == qxPf8Bit) toOne(Convert8BitRGBTo1BitRGB);
      else if (cur == qxPf24Bit) toOne(ConvertTrueColorTo1BitRGB);
      break;
    case qxPf4Bit:
    case qxPf4BitRLE:
      if (cur == qxPf1Bit) plain(Convert1BitRGBTo4BitRGB);
      else if (cur == qxPf8Bit) reduce(Convert8BitRGBTo4BitRGB);
      else if (cur == qxPf24Bit) reduce(fine ? ConvertTrueColorTo4BitRGBHigh : ConvertTrueColorTo4BitRGBLow);
      if (Value == qxPf4BitRLE) plain(Convert4BitRGBTo4BitRLE);
      break;
    case qxPf8Bit:
    case qxPf8BitRLE:
      if (cur == qxPf1Bit) plain(Convert1BitRGBTo8BitRGB);
      else if (cur == qxPf4Bit) plain(Convert4BitRGBTo8BitRGB);
      else if (cur == qxPf24Bit) reduce(fine ? ConvertTrueColorTo8BitRGBHigh : ConvertTrueColorTo8BitRGBLow);
      if (Value == qxPf8BitRLE) plain(Convert8BitRGBTo8BitRLE);
      break;
    case qxPf24Bit:
      if (cur == qxPf1Bit) plain(Convert1BitRGBToTrueColor);
      else if (cur == qxPf4Bit) plain(Convert4BitRGBToTrueColor);
      else if (cur == qxPf8Bit) plain(Convert8BitRGBToTrueColor);
      break;
  }
  if (steps.empty()) throw plat::EAssertionFailed("TQxIntenalDIB.SetPixelsFormat: PixelFormat Error");

  TQxDIBInfos result;
  const TQxDIBInfos* source = &DIBInfos;
  for (const Step& step : steps) {
    TQxDIBInfos next;
    step(*source, next);
    result = std::move(next);
    source = &result;
  }
  Commit(std::move(result));
}
