// The 778-byte palette files: any bytes give a palette holding the file's
// colour triples (black past a short file's end), and that palette recolours
// 8-bit pictures through the picture front end as a game palette does.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "graphics/AlphaLib32Pictures.h"
#include "tests/PictureBuild.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::vector<uint8_t> bmp = [] {
    plat::SetPictureSizeLimit(1 << 20);
    picbuild::BmpSpec s{4, 2, 8, 0, 256, 40, {}, std::vector<uint32_t>(256, 0x102030),
                        {0, 1, 2, 255, 4, 5, 6, 7}};
    return picbuild::MakeBmp(s);
  }();
  static const std::vector<uint8_t> png =
      picbuild::MakePng(4, 2, 8, 3, {0, 0, 1, 2, 255, 0, 3, 4, 5, 6}, std::vector<uint32_t>(256, 7));
  auto pal = ReadEDGEPalette(std::span<const uint8_t>(data, size));
  if (!pal) __builtin_trap();
  for (size_t k = 0; k < 256; ++k) {
    const size_t at = 10 + 3 * k;
    const uint8_t red = at < size && at < EDGEPalFileSize ? data[at] : 0;
    if (pal->RGBQUAD256[k].rgbRed != red) __builtin_trap();
  }
  for (bool archive : {false, true}) {
    ALDecodedPicture b = ALDecodePicture(".bmp", bmp, pal.get(), true, archive);
    ALDecodedPicture p = ALDecodePicture(".png", png, pal.get(), true, archive);
    if (!b.Bmp || !p.Bmp) __builtin_trap();
  }
  return 0;
}
