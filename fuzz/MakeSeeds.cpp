// Writes a valid starting input for every fuzz target, made by the game's own
// code: the data build's archives, and pictures, sounds, settings, save states
// and team files encoded on the spot. Each target finds its seeds in
// <out>/<target>/, framed the way the target reads its input.
//
//   qorv_fuzz_seeds <game folder> <assets folder> <out folder>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "config/CfgIni.h"
#include "files/QDArc.h"
#include "fuzz/FuzzOverlay.h"
#include "match/recordUnit.h"
#include "platform/Files.h"
#include "platform/OggVorbisEncode.h"
#include "platform/Pictures.h"
#include "platform/PngWriter.h"
#include "sound/OggDataLib2.h"
#include "tests/PictureBuild.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string g_out;
int g_written = 0;

void Seed(const std::string& target, const std::string& name, const Bytes& bytes) {
  plat::CreateDir(g_out + target);
  if (plat::WriteFile(g_out + target + "/" + name, bytes.data(), bytes.size())) ++g_written;
}

Bytes Prefixed(uint8_t first, const Bytes& rest) {
  Bytes b{first};
  b.insert(b.end(), rest.begin(), rest.end());
  return b;
}

Bytes Concat(const Bytes& a, const Bytes& b) {
  Bytes c = a;
  c.insert(c.end(), b.begin(), b.end());
  return c;
}

Bytes FileBytes(const std::string& path) { return plat::ReadFile(path).value_or(Bytes{}); }

// ---- pictures -------------------------------------------------------------------

Bytes IndexedPng(int w, int h) {
  plat::PngIndexed p{w, h, {}, {}};
  for (int i = 0; i < w * h; ++i) p.pixels.push_back(uint8_t(i % 5));
  p.palette = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
  Bytes out;
  plat::EncodePngIndexed(p, out);
  return out;
}

Bytes RgbaPng(int w, int h) {
  plat::PngTrueColour p{w, h, 4, {}};
  for (int i = 0; i < w * h; ++i) p.pixels.insert(p.pixels.end(), {uint8_t(i * 9), 40, 200, 255});
  Bytes out;
  plat::EncodePngTrueColour(p, out);
  return out;
}

std::vector<uint32_t> GreyTable(int n) {
  std::vector<uint32_t> t;
  for (int i = 0; i < n; ++i) t.push_back(uint32_t(i * 0x010101 * (255 / (n - 1))));
  return t;
}

// BMP files of the depths and codings the readers know.
std::vector<std::pair<std::string, Bytes>> Bmps() {
  picbuild::BmpSpec eight{4, 2, 8, 0, 256, 40, {}, GreyTable(256), {0, 1, 2, 3, 4, 5, 6, 7}};
  picbuild::BmpSpec rle8{4, 2, 8, 1, 256, 40, {}, GreyTable(256),
                         {4, 9, 0, 0, 2, 7, 2, 8, 0, 1}};
  picbuild::BmpSpec rle4{4, 2, 4, 2, 16, 40, {}, GreyTable(16), {4, 0x12, 0, 0, 4, 0x34, 0, 1}};
  picbuild::BmpSpec four{4, 2, 4, 0, 16, 40, {}, GreyTable(16), {0x01, 0x23, 0, 0, 0x45, 0x67, 0, 0}};
  picbuild::BmpSpec rgb{2, 2, 24, 0, 0, 40, {}, {}, Bytes(16, 0x80)};
  picbuild::BmpSpec fields{2, 1, 16, 3, 0, 40, {0xF800, 0x07E0, 0x001F}, {}, {0x1F, 0xF8, 0xE0, 0x07}};
  return {{"8bit.bmp", picbuild::MakeBmp(eight)}, {"rle8.bmp", picbuild::MakeBmp(rle8)},
          {"rle4.bmp", picbuild::MakeBmp(rle4)},  {"4bit.bmp", picbuild::MakeBmp(four)},
          {"24bit.bmp", picbuild::MakeBmp(rgb)},  {"bitfields.bmp", picbuild::MakeBmp(fields)}};
}

// ---- sounds ---------------------------------------------------------------------

Bytes Wave(uint16_t channels, uint16_t bits, uint32_t rate, bool listChunk) {
  picbuild::Bytes data;
  for (int i = 0; i < 64; ++i) {
    if (bits == 8) data.u8(uint32_t(128 + 100 * std::sin(i * 0.3)));
    else data.u16(uint32_t(int16_t(8000 * std::sin(i * 0.3))));
    if (channels == 2) data.u16(0);
  }
  const uint32_t align = channels * bits / 8;
  picbuild::Bytes fmt;
  fmt.u16(1).u16(channels).u32(rate).u32(rate * align).u16(align).u16(bits);
  picbuild::Bytes body;
  body.str("WAVE").str("fmt ").u32(uint32_t(fmt.size())).raw(fmt.v);
  if (listChunk) body.str("LIST").u32(3).str("abc").u8(0);  // an odd chunk and its pad byte
  body.str("data").u32(uint32_t(data.size())).raw(data.v);
  picbuild::Bytes file;
  file.str("RIFF").u32(uint32_t(body.size())).raw(body.v);
  return file.v;
}

Bytes Ogg(int channels, int rate) {
  std::vector<int16_t> pcm(size_t(3000 * channels));
  for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = int16_t(8000 * std::sin(double(i) * 0.05));
  return plat::EncodeOggVorbis(pcm.data(), 3000, channels, rate, 0.1f);
}

Bytes LoopHeader() {
  OggDataLib2::TOggLoop loops[OggDataLib2::kLoopRecords] = {};
  loops[0] = {0.01f, 0.04f, 1};
  loops[1] = {0.0f, 0.06f, -1};
  return OggDataLib2::MakeAlphaOggHeader(loops);
}

// ---- archives and records ---------------------------------------------------------

// An archive built from parts whose first byte (a digest byte) is even, so a
// target that reads an odd first byte as "build an archive from me" takes it
// as an archive.
Bytes EvenArchive(const std::string& tag, std::vector<Bytes> parts, const std::vector<std::string>& ids) {
  for (uint8_t salt = 0;; ++salt) {
    parts.back().push_back(salt);
    std::vector<std::span<const uint8_t>> spans(parts.begin(), parts.end());
    auto a = BuildQDAArchive(tag, 0, 0, 0, spans, ids, true);
    if (a && ((*a)[0] & 1) == 0) return *a;
    parts.back().pop_back();
  }
}

Bytes TeamFile(const std::string& defteam) {
  Bytes record(256, 0);
  if (auto entry = ExtractFromQDAFile(defteam, "def000.dbch"))
    if (auto raw = ExtractFromQDASAIStreamDB(*entry))
      std::memcpy(record.data(), raw->Memory(), std::min<size_t>(size_t(raw->Size()), 256));
  return BuildSAIFile(record);
}

void ArchiveSeeds(const std::string& data) {
  const Bytes dbdata = FileBytes(data + "DBData.qx2"), pal = FileBytes(data + "pal.qx2");
  const Bytes defteam = FileBytes(data + "defteam.qx2"), chars = FileBytes(data + "char.qx2");
  Seed("fuzz_qda", "defteam.qx2", defteam);
  Seed("fuzz_qda", "built", Prefixed(3, Bytes(600, 'q')));
  Seed("fuzz_qda", "even.qx2", EvenArchive("DBDT", {Bytes(300, 'a'), Bytes(200, 'b')}, {"a.bin", "b.bin"}));
  Seed("fuzz_tables", "DBData.qx2", dbdata);
  Seed("fuzz_palarc", "pal.qx2", pal);
  const Bytes palFile = ExtractFromQDABytes(pal, "dbpal0.pal").value_or(Bytes(778, 0));
  Seed("fuzz_palarc", "two_files", Concat(Prefixed(128, palFile), palFile));
  Seed("fuzz_palfile", "dbpal0.pal", palFile);
  Seed("fuzz_charpic", "char.qx2", Prefixed(10, chars));
  Seed("fuzz_charpic", "built", Prefixed(1, IndexedPng(176, 40)));
  Seed("fuzz_teamfile", "member.dbch", TeamFile(data + "defteam.qx2"));
  const Bytes record(232, 7);
  Seed("fuzz_qda_sai", "coded", BuildSAIFile(record));
  Seed("fuzz_qda_sai", "raw", BuildSAIFileDB(record));
  const std::string text = "abababab the codec pairs repeated bytes abababab";
  Seed("fuzz_qda_codec", "coded", BPECompress(Bytes(text.begin(), text.end())));
}

void PictureSeeds() {
  const Bytes png = IndexedPng(8, 4), rgba = RgbaPng(4, 4), jpeg = SampleJpeg();
  Seed("fuzz_png", "indexed", Prefixed(0, png));
  Seed("fuzz_png", "rgba", Prefixed(4, rgba));
  Seed("fuzz_jpeg", "jpeg", Prefixed(0, jpeg));
  // The picture front end: the first byte picks extension and options.
  Seed("fuzz_picture", "png", Prefixed(0x02, png));
  Seed("fuzz_picture", "png_palette", Prefixed(0x16, png));
  Seed("fuzz_picture", "jpg", Prefixed(0x01, jpeg));
  for (const auto& [name, bmp] : Bmps()) {
    Seed("fuzz_bmp", name, bmp);
    Seed("fuzz_dddd_bmp", name, Prefixed(0x09, bmp));
    Seed("fuzz_picture", name, Prefixed(0x0C, bmp));
  }
}

void SoundSeeds() {
  Seed("fuzz_wave", "16bit_stereo.wav", Wave(2, 16, 44100, false));
  Seed("fuzz_wave", "8bit_mono.wav", Wave(1, 8, 22050, true));
  const Bytes header = LoopHeader();
  Seed("fuzz_alphaogg", "header", Prefixed(1, Concat(header, Ogg(1, 22050))));
  for (uint8_t pick : {0, 1, 2, 3}) Seed("fuzz_ogg", "format" + std::to_string(pick), {pick});
  Seed("fuzz_ogg", "loops", Prefixed(4, Bytes(header.begin() + 8, header.begin() + 8 + 24)));
}

void RecordSeeds(const std::string& assets) {
  const auto cfg = CfgIniToBytes(CfgIniDefaults());
  Seed("fuzz_cfgini", "dbcfg.sai", Bytes(cfg.begin(), cfg.end()));
  Seed("fuzz_ini", "db.ini", FileBytes(assets + "db.ini"));
  Seed("fuzz_quicksave", "empty.dbsv", QuickSaveToBytes(QuickSaveData{}));
  Seed("fuzz_quicksave", "short", Bytes{0x10, 0, 0, 1, 2, 3, 4});
}

}  // namespace

int main(int argc, char** argv) {
  plat::KeepRunningWhenOutputCloses();
  if (argc != 4) {
    std::fprintf(stderr, "usage: qorv_fuzz_seeds <game folder> <assets folder> <out folder>\n");
    return 2;
  }
  const std::string data = std::string(argv[1]) + "/data/", assets = std::string(argv[2]) + "/";
  g_out = std::string(argv[3]) + "/";
  plat::CreateDir(g_out);
  plat::SetPictureSizeLimit(1 << 20);
  ArchiveSeeds(data);
  PictureSeeds();
  SoundSeeds();
  RecordSeeds(assets);
  std::printf("wrote %d fuzz seeds into %s\n", g_written, g_out.c_str());
  return g_written > 0 ? 0 : 1;
}
