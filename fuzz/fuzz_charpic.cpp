// Pictures taken from the character archive the way the game takes them:
// the archive is opened and a face cell, a team body, a player body and a
// face strip are loaded with a member palette through the renderer's
// archive loader. The first byte's low bit picks the input's form: 0, the
// rest is the archive; 1, the rest is one picture stored under every entry
// name of a well-formed archive. Its other bits pick the face number.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "files/QDArc.h"
#include "platform/Pictures.h"
#include "shell/GameArchive.h"
#include "shell/GlbRecord.h"
#include "shell/clsAllTx.h"
#include "shell/zimraLib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TAlpha32SAI* al = [] {
    plat::SetPictureSizeLimit(1 << 20);
    return new TAlpha32SAI();  // no display: decoding runs, nothing is drawn
  }();
  static TALLtxChar* ac = new TALLtxChar(al, nullptr, nullptr);
  if (size == 0) return 0;
  const int face = data[0] >> 1;
  std::span<const uint8_t> rest(data + 1, size - 1);
  std::vector<uint8_t> archive(rest.begin(), rest.end());
  if (data[0] & 1) {
    const std::vector<std::string> ids = {"dballface.png", "dballbody.png", "dbbody.png",
                                          "dbface" + NumToStr(face / 12, 2) + ".png"};
    auto built = BuildQDAArchive("CHAR", 0, 0, 1, {rest, rest, rest, rest}, ids, size & 2);
    if (!built) return 0;
    archive = std::move(*built);
  }
  // As the game opens the archive: its checks first (their result does not
  // stop the fuzzer from reading pictures out of a damaged one).
  TMemoryStream ms(archive);
  (void)ArchiveProblem(ms, "CHAR", 0, 0, 1);
  ac->qmsCharDB.LoadFromBytes(std::move(archive), "char.qx2");
  al->PalListClear();
  ac->Palettes.clear();
  ac->ClearCharDBp();
  ac->LoadAllFace(0, 0, face, 0, 2, 3, 4, 0, 0);
  ac->LoadAllBody(0);
  DCDLooks looks{};
  ac->LoadDBBMP(0, 0, face, 0, 0, looks);
  for (TALTexture* tx : {&ac->txAllFaceDB[0][0], &ac->txAllBodyDB[0], &ac->txCharDB[0][0],
                         &ac->txFaceDB[0][0]})
    if (tx->ALSt != alsNil) al->FreeTexture(*tx);
  return 0;
}
