#include "config/FolderRename.h"

#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/SjisText.h"
#include "shell/zimraLib.h"

namespace tumbotcfg {

namespace {

// しすてむふぁいる
const char kOldData[] = "\x82\xB5\x82\xB7\x82\xC4\x82\xDE\x82\xD3\x82\x9F\x82\xA2\x82\xE9";
// ちーむでーた
const char kOldTeams[] = "\x82\xBF\x81[\x82\xDE\x82\xC5\x81[\x82\xBD";
// ちーむ
const char kOldTeam[] = "\x82\xBF\x81[\x82\xDE";
// 諸々の事情により、『しすてむふぁいる』『ちーむでーた』の各フォルダを『data』『TEAMDATA』にリネームいたします。
const char kNotice[] =
    "\x8F\x94\x81X\x82\xCC\x8E\x96\x8F\xEE\x82\xC9\x82\xE6\x82\xE8\x81" "A\x81w\x82\xB5\x82\xB7"
    "\x82\xC4\x82\xDE\x82\xD3\x82\x9F\x82\xA2\x82\xE9\x81x\x81w\x82\xBF\x81[\x82\xDE\x82\xC5\x81["
    "\x82\xBD\x81x\x82\xCC\x8A" "e\x83t\x83H\x83\x8B\x83_\x82\xF0\x81wdata\x81x\x81wTEAMDATA\x81x"
    "\x82\xC9\x83\x8A\x83l\x81[\x83\x80\x82\xA2\x82\xBD\x82\xB5\x82\xDC\x82\xB7\x81" "B";
const char kArrow[] = " \x81\xA8 ";  // →
// のリネームに失敗しました
const char kFailed[] =
    " \x82\xCC\x83\x8A\x83l\x81[\x83\x80\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
// リネーム致しました。ホントお手数かけます。
const char kDone[] =
    "\x83\x8A\x83l\x81[\x83\x80\x92v\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81" "B\x83z\x83\x93\x83g"
    "\x82\xA8\x8E\xE8\x90\x94\x82\xA9\x82\xAF\x82\xDC\x82\xB7\x81" "B";

// Renames when the source exists; reports a failure and counts it. A source
// that is there but cannot be checked or entered fails too: the folders
// inside it could not be moved, and once "data" exists nothing runs again.
// Paths are host paths; the box shows them in the program's own text
// encoding, and stderr says why.
void Move(const std::string& from, const std::string& to, RenameOutcome& out) {
  std::string why = plat::FolderProblem(from);
  if (why == "missing") return;
  if (why.empty() && plat::RenamePath(from, to, &why)) {
    ++out.renamed;
    return;
  }
  ++out.failed;
  plat::ReportFileProblem(from, "not renamed to " + to + ": " + why);
  plat::MessageBox(plat::Utf8ToSjis(from) + kArrow + plat::Utf8ToSjis(to) + kFailed);
}

}  // namespace

RenameOutcome RenameOldFolders(const std::string& baseHost) {
  using plat::DirectoryExists;
  using plat::SjisToUtf8;
  RenameOutcome out;
  const std::string oldData = baseHost + SjisToUtf8(kOldData);
  const std::string data = baseHost + "data";
  const std::string oldTeams = baseHost + SjisToUtf8(kOldTeams);
  const std::string teams = baseHost + "TEAMDATA";
  if (DirectoryExists(data) || !DirectoryExists(oldData)) return out;

  out.ran = true;
  plat::MessageBox(kNotice);
  if (!DirectoryExists(data)) Move(oldData, data, out);
  if (!DirectoryExists(teams) && DirectoryExists(oldTeams)) {
    Move(oldTeams, teams, out);
    const std::string oldTeam = SjisToUtf8(kOldTeam);
    for (int n = 0; n < 24; ++n)
      Move(teams + "/" + oldTeam + NumToStr(n, 2), teams + "/team" + NumToStr(n, 2), out);
  }
  if (out.failed == 0) plat::MessageBox(kDone);
  return out;
}

}  // namespace tumbotcfg
