#include "shell/zimraLib.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/Clock.h"
#include "platform/Files.h"
#include "shell/GameRandom.h"
#include "shell/Main.h"

const std::array<const char*, 256> DTMOJICODE = {
    "\x81\x51", "\x82\x4F", "\x82\x50", "\x82\x51", "\x82\x52", "\x82\x53", "\x82\x54", "\x82\x55",  //   0: ＿０１２３４５６
    "\x82\x56", "\x82\x57", "\x82\x58", "\x82\x60", "\x82\x61", "\x82\x62", "\x82\x63", "\x82\x64",  //   8: ７８９ＡＢＣＤＥ
    "\x82\x65", "\x82\x66", "\x82\x67", "\x82\x68", "\x82\x69", "\x82\x6A", "\x82\x6B", "\x82\x6C",  //  16: ＦＧＨＩＪＫＬＭ
    "\x82\x6D", "\x82\x6E", "\x82\x6F", "\x82\x70", "\x82\x71", "\x82\x72", "\x82\x73", "\x82\x74",  //  24: ＮＯＰＱＲＳＴＵ
    "\x82\x75", "\x82\x76", "\x82\x77", "\x82\x78", "\x82\x79", "\x82\x9F", "\x82\xA0", "\x82\xA1",  //  32: ＶＷＸＹＺぁあぃ
    "\x82\xA2", "\x82\xA3", "\x82\xA4", "\x82\xA5", "\x82\xA6", "\x82\xA7", "\x82\xA8", "\x82\xA9",  //  40: いぅうぇえぉおか
    "\x82\xAA", "\x82\xAB", "\x82\xAC", "\x82\xAD", "\x82\xAE", "\x82\xAF", "\x82\xB0", "\x82\xB1",  //  48: がきぎくぐけげこ
    "\x82\xB2", "\x82\xB3", "\x82\xB4", "\x82\xB5", "\x82\xB6", "\x82\xB7", "\x82\xB8", "\x82\xB9",  //  56: ごさざしじすずせ
    "\x82\xBA", "\x82\xBB", "\x82\xBC", "\x82\xBD", "\x82\xBE", "\x82\xBF", "\x82\xC0", "\x82\xC1",  //  64: ぜそぞただちぢっ
    "\x82\xC2", "\x82\xC3", "\x82\xC4", "\x82\xC5", "\x82\xC6", "\x82\xC7", "\x82\xC8", "\x82\xC9",  //  72: つづてでとどなに
    "\x82\xCA", "\x82\xCB", "\x82\xCC", "\x82\xCD", "\x82\xCE", "\x82\xCF", "\x82\xD0", "\x82\xD1",  //  80: ぬねのはばぱひび
    "\x82\xD2", "\x82\xD3", "\x82\xD4", "\x82\xD5", "\x82\xD6", "\x82\xD7", "\x82\xD8", "\x82\xD9",  //  88: ぴふぶぷへべぺほ
    "\x82\xDA", "\x82\xDB", "\x82\xDC", "\x82\xDD", "\x82\xDE", "\x82\xDF", "\x82\xE0", "\x82\xE1",  //  96: ぼぽまみむめもゃ
    "\x82\xE2", "\x82\xE3", "\x82\xE4", "\x82\xE5", "\x82\xE6", "\x82\xE7", "\x82\xE8", "\x82\xE9",  // 104: やゅゆょよらりる
    "\x82\xEA", "\x82\xEB", "\x82\xEC", "\x82\xED", "\x82\xEE", "\x82\xEF", "\x82\xF0", "\x82\xF1",  // 112: れろゎわゐゑをん
    "\x83\x40", "\x81\x40", "\x81\x51", "\x81\x51", "\x81\x51", "\x81\x51", "\x81\x51", "\x81\x51",  // 120: ァ　＿＿＿＿＿＿
    "\x81\x51", "\x81\x51", "\x81\x51", "\x81\x51", "\x83\x4C", "\x83\x4D", "\x83\x4E", "\x83\x4F",  // 128: ＿＿＿＿キギクグ
    "\x83\x50", "\x83\x51", "\x83\x52", "\x83\x53", "\x83\x54", "\x83\x55", "\x83\x56", "\x83\x57",  // 136: ケゲコゴサザシジ
    "\x83\x58", "\x83\x59", "\x83\x5A", "\x83\x5B", "\x83\x5C", "\x83\x5D", "\x83\x5E", "\x83\x5F",  // 144: スズセゼソゾタダ
    "\x83\x60", "\x83\x61", "\x83\x62", "\x83\x63", "\x83\x64", "\x83\x65", "\x83\x66", "\x83\x67",  // 152: チヂッツヅテデト
    "\x83\x68", "\x83\x69", "\x83\x6A", "\x83\x6B", "\x83\x6C", "\x83\x6D", "\x83\x6E", "\x83\x6F",  // 160: ドナニヌネノハバ
    "\x83\x70", "\x83\x71", "\x83\x72", "\x83\x73", "\x83\x74", "\x83\x75", "\x83\x76", "\x83\x77",  // 168: パヒビピフブプヘ
    "\x83\x78", "\x83\x79", "\x83\x7A", "\x83\x7B", "\x83\x7C", "\x83\x7D", "\x83\x7E", "\x83\x80",  // 176: ベペホボポマミム
    "\x83\x81", "\x83\x82", "\x83\x83", "\x83\x84", "\x83\x85", "\x83\x86", "\x83\x87", "\x83\x88",  // 184: メモャヤュユョヨ
    "\x83\x89", "\x83\x8A", "\x83\x8B", "\x83\x8C", "\x83\x8D", "\x83\x8E", "\x83\x8F", "\x83\x90",  // 192: ラリルレロヮワヰ
    "\x83\x91", "\x83\x92", "\x83\x93", "\x83\x94", "\x81\x5B", "\x81\x60", "\x81\x49", "\x81\x48",  // 200: ヱヲンヴー～！？
    "\x81\x95", "\x81\x41", "\x81\x42", "\x81\x63", "\x81\x45", "\x81\x43", "\x81\x5E", "\x81\x46",  // 208: ＆、。…・，／：
    "\x81\x69", "\x81\x6A", "\x81\x75", "\x81\x76", "\x81\x9A", "\x81\x99", "\x81\x83", "\x81\x84",  // 216: （）「」★☆＜＞
    "\x81\x93", "\x81\xAA", "\x81\xAB", "\x81\xA9", "\x81\xA8", "\x8D\xC4", "\x81\x51", "\x81\x51",  // 224: ％↑↓←→再＿＿
    "\x81\x51", "\x81\x51", "\x81\x51", "\x81\x51", "\x81\x51", "\x81\x51", "\x81\x51", "\x81\x51",  // 232: ＿＿＿＿＿＿＿＿
    "\x81\x51", "\x81\x51", "\x81\x51", "\x81\x51", "\x81\x51", "\x81\x51", "\x81\x51", "\x81\x51",  // 240: ＿＿＿＿＿＿＿＿
    "\x81\x51", "\x81\x51", "\x81\x51", "\x81\x51", "\x81\x51", "\x81\x51", "\x81\x51", "\x81\x51",  // 248: ＿＿＿＿＿＿＿＿
};

DTNameArr StrToDTNameArr(std::string_view s) {
  DTNameArr dna{};
  for (size_t k = 0; k < dna.size() && 2 * k + 1 < s.size(); ++k) {
    char a = s[2 * k], b = s[2 * k + 1];
    for (size_t i = 0; i < DTMOJICODE.size(); ++i) {
      if (DTMOJICODE[i][0] == a && DTMOJICODE[i][1] == b) {
        dna[k] = uint8_t(i);
        break;
      }
    }
  }
  return dna;
}

std::string DTNameArrToStr(const DTNameArr& dna) {
  std::string s;
  for (uint8_t c : dna) s += DTMOJICODE[c];
  return s;
}

// --- the global status object ----------------------------------------------

TGlobal::TGlobal(TForm1* tMF, BuildFlags flags) : Flags(flags), tMainForm(tMF) {
  if (tMainForm) {
    tMainForm->CanvasBrushColor = 0xFFFFFF;
    tMainForm->FontSize = 12;
  }
}

void TGlobal::SetInf(const std::string& s, int32_t tInf_c) {
  fInfMsg = s;
  Inf_c = tInf_c;
}

bool TGlobal::IdleInf() {
  if (Inf_c > 0) {
    --Inf_c;
    if (Inf_c == 0) fInfMsg.clear();
  }
  return Inf_c >= 1;
}

void TGlobal::HaltMsg(const std::string& msg) {
  Halt_f = true;
  ErrMsg = msg;
}

void TGlobal::HaltMsgNo(int32_t n) {
  switch (n) {
    case 0: HaltMsg("File Not Found"); break;
    case 1: HaltMsg("Init Failed"); break;
    case 2: HaltMsg("File Ver Err"); break;
    case 3: HaltMsg("ALib Err"); break;
    default: HaltMsg("Err"); break;
  }
}

void TGlobal::InitMsg(const std::string& ms, int32_t rt, const std::string& ms2) {
  std::string gauge;
  for (int i = 1; i <= 10; ++i) gauge += i <= rt ? '!' : '.';
  std::string caption;
  if (Flags.Eng_f) {
    caption = (ms2.empty() ? std::string("- NOW LOADING -") : ms2) + " " + gauge;
  } else {
    // "- 読込中 -" (now loading)
    caption = (ms2.empty() ? std::string("- \x93\xC7\x8D\x9E\x92\x86 -") : ms2) + " " + gauge +
              " " + ms;
  }
  if (tMainForm) tMainForm->SetCaption(caption);
  GameLog("\x81\x9A" + ms);  // "★" + step
  plat::CurrentClock().SleepMs(0);
}

void TGlobal::SetDbgTxt(const std::string& St, int32_t Value) {
  if (!Flags.Debug_f) return;
  for (int i = 0; i < DBGTXTNUM; ++i) {
    if (DbgTxtSt[i].empty() || DbgTxtSt[i] == St) {
      DbgTxtSt[i] = St;
      DbgTxt[i] = St + " = " + std::to_string(Value);
      return;
    }
  }
}

// --- the display log ---------------------------------------------------------

namespace {
std::function<void(const std::string&)>& LogSink() {
  static std::function<void(const std::string&)> sink;
  return sink;
}
}  // namespace

void GameLog(const std::string& sjis) {
  if (LogSink()) LogSink()(sjis);
}
void SetGameLog(std::function<void(const std::string&)> sink) { LogSink() = std::move(sink); }

// --- counters and clamps -----------------------------------------------------
// Steps are computed in 64 bits and clamped, so no bound or step overflows.

bool DownTo0(int32_t& X, int32_t N) {
  if (X == 0) return true;
  int64_t n = std::llabs(int64_t(N));
  if (X > 0) X = int32_t(std::max<int64_t>(0, int64_t(X) - n));
  else X = int32_t(std::min<int64_t>(0, int64_t(X) + n));
  return X == 0;
}

bool DownToR(int32_t& X, int32_t R, int32_t N) {
  if (N >= 1 && X >= R) {
    X = int32_t(std::max<int64_t>(R, int64_t(X) - N));
  } else if (N < 0 && X <= R) {
    X = int32_t(std::min<int64_t>(R, int64_t(X) - N));
  }
  return X == R;
}

bool UpToR(int32_t& X, int32_t R, int32_t N) {
  if (N >= 1 && X <= R) {
    X = int32_t(std::min<int64_t>(R, int64_t(X) + N));
  } else if (N < 0 && X >= R) {
    X = int32_t(std::max<int64_t>(R, int64_t(X) + N));
  }
  return X == R;
}

int32_t Between(int32_t Num, int32_t Side1, int32_t Side2) {
  int32_t lo = std::min(Side1, Side2), hi = std::max(Side1, Side2);
  return std::clamp(Num, lo, hi);
}

bool Per100(int32_t Border) { return Random(100) < Border; }

int32_t Percentage(int32_t X, int32_t p) {
  return int32_t(uint32_t(uint64_t(int64_t(X) * int64_t(p) / 100)));
}

std::string NumToStr(int32_t Num, int32_t Keta) {
  if (Keta > 10) return std::to_string(Num);
  int64_t n = std::llabs(int64_t(Num));
  std::string s;
  for (int32_t k = 1; k <= Keta; ++k) {
    int64_t div = 1;
    for (int32_t e = 0; e < Keta - k; ++e) div *= 10;
    s += char('0' + (n / div) % 10);
  }
  return s;
}

// --- files, version, time text -------------------------------------------------

bool DtLoading(std::string_view DtName, void* pBuf, size_t BufSize) {
  std::string path = plat::ProgramFolder() + std::string(DtName);
  auto data = plat::FileExists(path) ? plat::ReadFile(path, BufSize) : std::nullopt;
  if (!data) {
    // DtName + "が見つかりません" (not found)
    GameLog(std::string(DtName) +
            "\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9\x82\xF1");
    return false;
  }
  if (!data->empty()) std::memcpy(pBuf, data->data(), data->size());
  return true;
}

std::string GetExeVer() {
#ifdef QORV_VERSION
  return QORV_VERSION;
#else
  return "";
#endif
}

std::string SpTime(int64_t pc) {
  // "( s.ms秒 )"
  return "( " + std::to_string(pc / 1000000) + "." + std::to_string((pc / 1000) % 1000) +
         "\x95\x62 )";
}

// --- the base background controller -------------------------------------------

TBGCtrl::TBGCtrl(TAlpha32* tAL, TGlobal* tGlb)
    : GenAL(tAL), GenGlb(tGlb), FD(tGlb ? tGlb->FD : nullptr) {
  OnInit();
}

void TBGCtrl::OnInit() {
  BGDt = BGData{};
  BGDt.NowBGNo = -1;
  BGDt.NextBGNo = -1;
  BGDt.ACvr.Alp = 255;
  BGDt.BaseCol = 0x8080A0;
  BGDt.BaseCol = 0;
}
