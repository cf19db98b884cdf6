#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Pictures.h"
#include "platform/PngWriter.h"

namespace {

plat::PngIndexed SmallIndexed() {
  plat::PngIndexed p;
  p.width = 3;
  p.height = 2;
  p.pixels = {0, 1, 2, 3, 2, 1};
  p.palette = {{255, 0, 255}, {1, 2, 3}, {200, 100, 50}, {0, 0, 0}};
  return p;
}

// What the writer makes, the game's own decoder reads back unchanged.
TEST(PngWriter, IndexedPictureRoundTripsWithItsPalette) {
  std::vector<uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(plat::EncodePngIndexed(SmallIndexed(), bytes, &error)) << error;
  plat::PngHeader header;
  ASSERT_TRUE(plat::ReadPngHeader(bytes, header));
  EXPECT_EQ(header.bitDepth, 8);
  EXPECT_EQ(header.colourType, 3);
  const plat::DecodedPicture back = plat::DecodePng(bytes, true);
  ASSERT_TRUE(back) << back.error;
  ASSERT_EQ(back.bitmap->GetPixelFormat(), plat::PixelFormat::pf8bit);
  ASSERT_EQ(back.bitmap->GetWidth(), 3);
  ASSERT_EQ(back.bitmap->GetHeight(), 2);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(back.bitmap->Index(i % 3, i / 3), SmallIndexed().pixels[i]) << "pixel " << i;
  ASSERT_NE(back.bitmap->GetPalette(), nullptr);
  const auto& entries = back.bitmap->GetPalette()->entries;
  ASSERT_EQ(entries.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    const plat::PngRgb want = SmallIndexed().palette[i];
    EXPECT_EQ((plat::PngRgb{entries[i].red, entries[i].green, entries[i].blue}), want) << "colour " << i;
  }
}

TEST(PngWriter, TrueColourRoundTripsAt24And32Bits) {
  for (int channels : {3, 4}) {
    plat::PngTrueColour p{2, 2, channels, {}};
    for (int i = 0; i < 4 * channels; ++i) p.pixels.push_back(static_cast<uint8_t>(i * 17));
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(plat::EncodePngTrueColour(p, bytes));
    plat::PngHeader header;
    ASSERT_TRUE(plat::ReadPngHeader(bytes, header));
    EXPECT_EQ(header.colourType, channels == 3 ? 2 : 6);
    EXPECT_EQ(header.bitDepth, 8);
    const plat::DecodedPicture back = plat::DecodePng(bytes);
    ASSERT_TRUE(back) << back.error;
    for (int px = 0; px < 4; ++px) {
      const uint8_t* c = &p.pixels[px * channels];
      const uint32_t want = (uint32_t{c[0]} << 16) | (uint32_t{c[1]} << 8) | c[2];
      EXPECT_EQ(back.bitmap->ColourAt(px % 2, px / 2) & 0xFFFFFF, want) << "pixel " << px;
    }
  }
}

TEST(PngWriter, RefusesInconsistentPictures) {
  std::vector<uint8_t> bytes;
  std::string error;
  plat::PngIndexed bad = SmallIndexed();
  bad.pixels[4] = 4;  // past the four-colour palette
  EXPECT_FALSE(plat::EncodePngIndexed(bad, bytes, &error));
  EXPECT_NE(error.find("past the palette"), std::string::npos);
  bad = SmallIndexed();
  bad.pixels.pop_back();
  EXPECT_FALSE(plat::EncodePngIndexed(bad, bytes));
  bad = SmallIndexed();
  bad.palette.assign(257, {0, 0, 0});
  EXPECT_FALSE(plat::EncodePngIndexed(bad, bytes));
  bad = SmallIndexed();
  bad.width = 0;
  bad.pixels.clear();
  EXPECT_FALSE(plat::EncodePngIndexed(bad, bytes));
  EXPECT_FALSE(plat::EncodePngTrueColour({1, 1, 5, {1, 2, 3, 4, 5}}, bytes));
  EXPECT_FALSE(plat::EncodePngTrueColour({2, 1, 3, {1, 2, 3}}, bytes));
}

TEST(PngWriter, HeaderReaderRefusesWhatIsNoPng) {
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(plat::EncodePngIndexed(SmallIndexed(), bytes));
  plat::PngHeader header;
  EXPECT_FALSE(plat::ReadPngHeader({'n', 'o', 't'}, header));
  EXPECT_FALSE(plat::ReadPngHeader(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 20), header));
  std::vector<uint8_t> zeroWidth = bytes;
  zeroWidth[16] = zeroWidth[17] = zeroWidth[18] = zeroWidth[19] = 0;
  EXPECT_FALSE(plat::ReadPngHeader(zeroWidth, header));
  ASSERT_TRUE(plat::ReadPngHeader(bytes, header));
  EXPECT_EQ(header.width, 3);
  EXPECT_EQ(header.height, 2);
}

TEST(PngWriter, FailedWriteLeavesNoFile) {
  const std::string path = "/nonexistent-folder/picture.png";
  std::string error;
  EXPECT_FALSE(plat::WritePngIndexed(path, SmallIndexed(), &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(std::filesystem::exists(path));

  const auto dir = std::filesystem::temp_directory_path() / "qorv_png_writer_test";
  std::filesystem::create_directories(dir);
  const auto file = dir / "small.png";
  ASSERT_TRUE(plat::WritePngIndexed(file.string(), SmallIndexed(), &error)) << error;
  EXPECT_TRUE(std::filesystem::exists(file));
  EXPECT_FALSE(std::filesystem::exists(file.string() + ".part"));
  std::filesystem::remove_all(dir);
}

}  // namespace
