#include <gtest/gtest.h>

#include <filesystem>

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

TEST(PngWriter, IndexedPictureRoundTripsWithItsPalette) {
  std::vector<uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(plat::EncodePngIndexed(SmallIndexed(), bytes, &error)) << error;
  plat::PngDecoded back;
  ASSERT_TRUE(plat::ReadBackPng(bytes, back, &error)) << error;
  EXPECT_EQ(back.header.bitDepth, 8);
  EXPECT_EQ(back.header.colourType, 3);
  ASSERT_TRUE(back.isIndexed);
  EXPECT_EQ(back.indexed.width, 3);
  EXPECT_EQ(back.indexed.height, 2);
  EXPECT_EQ(back.indexed.pixels, SmallIndexed().pixels);
  EXPECT_EQ(back.indexed.palette, SmallIndexed().palette);
}

TEST(PngWriter, TrueColourRoundTripsAt24And32Bits) {
  for (int channels : {3, 4}) {
    plat::PngTrueColour p{2, 2, channels, {}};
    for (int i = 0; i < 4 * channels; ++i) p.pixels.push_back(static_cast<uint8_t>(i * 17));
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(plat::EncodePngTrueColour(p, bytes));
    plat::PngDecoded back;
    ASSERT_TRUE(plat::ReadBackPng(bytes, back));
    EXPECT_EQ(back.header.colourType, channels == 3 ? 2 : 6);
    EXPECT_EQ(back.header.bitDepth, 8);
    ASSERT_FALSE(back.isIndexed);
    ASSERT_EQ(back.rgba.size(), 16u);
    for (int px = 0; px < 4; ++px)
      for (int k = 0; k < 4; ++k) {
        const uint8_t want = k < channels ? p.pixels[px * channels + k] : 255;
        EXPECT_EQ(back.rgba[px * 4 + k], want) << "pixel " << px << " channel " << k;
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

TEST(PngWriter, DamagedDataIsRefusedWithoutCrashing) {
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(plat::EncodePngIndexed(SmallIndexed(), bytes));
  plat::PngDecoded out;
  for (size_t cut = 0; cut < bytes.size(); ++cut) {
    std::vector<uint8_t> part(bytes.begin(), bytes.begin() + static_cast<long>(cut));
    EXPECT_FALSE(plat::ReadBackPng(part, out)) << "cut at " << cut;
  }
  std::vector<uint8_t> flipped = bytes;
  flipped[40] ^= 0xFF;  // inside the palette chunk: its checksum no longer matches
  EXPECT_FALSE(plat::ReadBackPng(flipped, out));
  plat::PngHeader header;
  EXPECT_FALSE(plat::ReadPngHeader({'n', 'o', 't'}, header));
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
