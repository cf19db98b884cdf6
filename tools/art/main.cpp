// The art build: reads the text sources under assets/art and writes the
// game's pictures. Menu, court, item and font pictures go to the bmp folder
// as 24-bit PNGs; character pictures go to the character folder as 8-bit
// indexed PNGs, kept loose in the character folder and packed into the
// character archive data/char.qx2 beside the bmp folder.
//
//   qorv_art_build <assets/art> <bmp folder> <char folder> [--contact <png>]
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "files/QDArc.h"
#include "platform/Files.h"
#include "tools/art/ArtLayout.h"
#include "tools/art/Characters.h"
#include "tools/art/Contact.h"
#include "tools/art/Pictures.h"

namespace {

bool ReadText(const std::filesystem::path& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  out = s.str();
  return true;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "qorv_art_build: %s\n", message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  plat::KeepRunningWhenOutputCloses();
  namespace fs = std::filesystem;
  if (argc != 4 && !(argc == 6 && std::string(argv[4]) == "--contact"))
    return Fail("usage: qorv_art_build <assets/art> <bmp folder> <char folder> [--contact <png>]");
  const fs::path assets = argv[1], bmpDir = argv[2], charDir = argv[3];

  art::GlyphSet glyphs;
  for (const char* name : {"font_latin.txt", "font_hiragana.txt", "font_katakana.txt"}) {
    std::string text, error;
    if (!ReadText(assets / name, text)) return Fail("cannot read " + (assets / name).string());
    if (!glyphs.Load(text, error)) return Fail(std::string(name) + ": " + error);
  }
  glyphs.DeriveVoicedKana();

  std::vector<art::Pose> poses;
  {
    std::string text, error;
    if (!ReadText(assets / "poses.txt", text)) return Fail("cannot read poses.txt");
    if (!art::LoadPoses(text, poses, error)) return Fail(error);
  }

  std::vector<art::NamedPicture> scenery = {
      {"font.png", art::BuildFontSheet(glyphs)},
      {"dbitem.png", art::BuildItemSheet(glyphs)},
      {"dbcourt0.png", art::BuildCourt(0)},
      {"dbcourt1.png", art::BuildCourt(1)},
      {"dbcourt2.png", art::BuildCourt(2)},
      {"dbop.png", art::BuildTitleScreen(glyphs)},
      {"dbmsl.png", art::BuildModeSelectScreen(glyphs)},
      {"dbtsl.png", art::BuildTeamSelectScreen(glyphs)},
      {"dbvs.png", art::BuildVersusScreen(glyphs)},
      {"dbpsl.png", art::BuildPlayerSelectScreen(glyphs)},
      {"dbload.png", art::BuildLoadingScreen(glyphs)},
  };
  std::vector<art::NamedPicture> characters = {
      {"dbbody.png", art::BuildBodySheet(poses)},
      {"dballface.png", art::BuildAllFaceSheet()},
      {"dballbody.png", art::BuildTeamPicture(poses)},
  };
  for (int file = 0; file * art::kFacesPerFile < art::kFaceCount; ++file) {
    char name[32];
    std::snprintf(name, sizeof name, "dbface%02d.png", file);
    characters.push_back({name, art::BuildFaceStrips(file)});
  }

  std::error_code ec;
  fs::create_directories(bmpDir, ec);
  fs::create_directories(charDir, ec);
  std::string error;
  for (const art::NamedPicture& p : scenery)
    if (!plat::WritePngTrueColour((bmpDir / p.name).string(), art::ToTrueColour(p.picture), &error))
      return Fail(p.name + ": " + error);
  for (const art::NamedPicture& p : characters)
    if (!plat::WritePngIndexed((charDir / p.name).string(), art::ToIndexed(p.picture), &error))
      return Fail(p.name + ": " + error);
  {
    // The character archive: every character picture as an entry of its name.
    std::vector<std::vector<uint8_t>> encoded(characters.size());
    std::vector<std::span<const uint8_t>> sources;
    std::vector<std::string> names;
    for (size_t k = 0; k < characters.size(); ++k) {
      if (!plat::EncodePngIndexed(art::ToIndexed(characters[k].picture), encoded[k], &error))
        return Fail(characters[k].name + ": " + error);
      sources.emplace_back(encoded[k]);
      names.push_back(characters[k].name);
    }
    const auto archive = BuildQDAArchive("CHAR", 0, 0, 1, sources, names, true, &error);
    if (!archive) return Fail("char.qx2: " + error);
    const fs::path archivePath = bmpDir.parent_path() / "char.qx2";
    if (!plat::WriteFile(archivePath.string(), archive->data(), archive->size()))
      return Fail("cannot write " + archivePath.string());
  }
  {
    const std::string table = art::PoseTable(poses);
    if (!plat::WriteFile((charDir / "body_cells.txt").string(), table.data(), table.size()))
      return Fail("cannot write body_cells.txt");
  }

  if (argc == 6) {
    std::vector<art::NamedPicture> all = scenery;
    all.insert(all.end(), characters.begin(), characters.end());
    // Two default teams in their own palettes, when the game data sources
    // are beside the art sources.
    std::string teamCsv, paletteText;
    ReadText(assets.parent_path() / "DBCharData.csv", teamCsv);
    ReadText(assets.parent_path() / "dbpal.txt", paletteText);
    const auto teams = art::LoadTeamLooks(teamCsv, paletteText);
    if (!plat::WritePngTrueColour(argv[5], art::BuildContactSheet(all, poses, teams), &error))
      return Fail(std::string("contact sheet: ") + error);
    std::printf("contact sheet written to %s\n", argv[5]);
  }
  return 0;
}
