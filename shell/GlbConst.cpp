#include "shell/GlbConst.h"

#include <algorithm>
#include <cstring>

#include "files/QDArc.h"
#include "files/QxMemIniFile.h"
#include "platform/Files.h"
#include "shell/GameArchive.h"
#include "shell/zimraLib.h"

TGlbConst* GC = nullptr;

namespace {
// Resolved against the program folder, which the game makes its current
// directory at start.
std::string ArchivePath() { return plat::ProgramFolder() + "data\\DBData.qx2"; }
}

namespace {

using F = CstFieldDesc;
constexpr F::Kind kInt32 = F::kInt32;
constexpr F::Kind kBool = F::kBool;

// Section name, offset, size and the comment the ini shows above the section.
const CstSectionDesc kSections[] = {
    {"DBJP", 0, 40, "\x83h\x83" "b\x83W\x83W\x83\x83\x83\x93\x83v\x97p\x92\xE8\x90\x94"},  // ドッジジャンプ用定数
    {"DBB", 40, 80, "\x83h\x83" "b\x83W\x83{\x81[\x83\x8B\x97p\x92\xE8\x90\x94"},  // ドッジボール用定数
    {"DBDAM", 120, 52, "\x83h\x83" "b\x83W\x83_\x83\x81\x81[\x83W\x97p\x92\xE8\x90\x94"},  // ドッジダメージ用定数
    {"DBNAIYA", 172, 56, "\x83h\x83" "b\x83W\x93\xE0\x96\xEC\x83I\x81[\x83g\x93\xAE\x8D\xEC\x97p\x92\xE8\x90\x94"},  // ドッジ内野オート動作用定数
    {"DBGAIYA", 228, 4, "\x83h\x83" "b\x83W\x8AO\x96\xEC\x93\xAE\x8D\xEC\x97p\x92\xE8\x90\x94"},  // ドッジ外野動作用定数
    {"DBSHOOT", 232, 112, "\x83h\x83" "b\x83W\x83V\x83\x85\x81[\x83g\x97p\x92\xE8\x90\x94"},  // ドッジシュート用定数
    {"DBPASS", 344, 88, "\x83h\x83" "b\x83W\x83p\x83X\x97p\x92\xE8\x90\x94"},  // ドッジパス用定数
    {"DBFRIC", 432, 8, "\x83h\x83" "b\x83W\x96\x80\x8E" "C\x8CW\x90\x94"},  // ドッジ摩擦係数
    {"DBETC", 440, 8, "\x83h\x83" "b\x83W\x82\xBB\x82\xCC\x91\xBC\x92\xE8\x90\x94"},  // ドッジその他定数
    {"DBLAYOUT_1", 448, 64, "\x83h\x83" "b\x83W\x83\x8C\x83" "C\x83" "A\x83" "E\x83g\x81i\x8E\x8E\x8D\x87\x92\x86\x83" "C\x83\x93\x83^\x81[\x83t\x83" "F\x83" "C\x83X\x81j"},  // ドッジレイアウト（試合中インターフェイス）
    {"DBDBG", 512, 4, "\x83h\x83" "b\x83W\x83" "f\x83o\x83" "b\x83O(0\x82\xC5OFF,1\x82\xC5ON)"},  // ドッジデバッグ(0でOFF,1でON)
    {"DBCPU", 516, 40, "\x83h\x83" "b\x83WCPU\x92\xE8\x90\x94"},  // ドッジCPU定数
};

// Section, key, offset, type, authoring default and the key's comment.
const CstFieldDesc kFields[] = {
    {0, "GRV", 0, kInt32, 18, "\x8F" "d\x97\xCD\x81i\x92\xCA\x8F\xED\x81j"},  // GRV: 重力（通常）
    {0, "BY", 4, kInt32, 420, "JpY\x8F\x89\x91\xAC\x81i\x92\xCA\x8F\xED\x81j"},  // BY: JpY初速（通常）
    {0, "DBY", 8, kInt32, 460, "JpY\x8F\x89\x91\xAC\x81i\x83_\x83" "b\x83V\x83\x85\x81j"},  // DBY: JpY初速（ダッシュ）
    {0, "BX", 12, kInt32, 32, "JpX\x8F\x89\x91\xAC\x81i\x92\xCA\x8F\xED\x81j"},  // BX: JpX初速（通常）
    {0, "BX2", 16, kInt32, 28, "JpX\x8F\x89\x91\xAC\x81i\x8E\xCE\x82\xDF\x81j"},  // BX2: JpX初速（斜め）
    {0, "DBX", 20, kInt32, 120, "JpX\x8F\x89\x91\xAC\x81i\x83_\x83" "b\x83V\x83\x85\x81j"},  // DBX: JpX初速（ダッシュ）
    {0, "BZ", 24, kInt32, 18, "JpZ\x8F\x89\x91\xAC\x81i\x92\xCA\x8F\xED\x81j"},  // BZ: JpZ初速（通常）
    {0, "BZ2", 28, kInt32, 16, "JpZ\x8F\x89\x91\xAC\x81i\x8E\xCE\x82\xDF\x81j"},  // BZ2: JpZ初速（斜め）
    {0, "JUMPCSLTIME", 32, kInt32, 9, "\x83W\x83\x83\x83\x93\x83v\x83L\x83\x83\x83\x93\x83Z\x83\x8B\x8E\x9E\x8A\xD4"},  // JUMPCSLTIME: ジャンプキャンセル時間
    {0, "NOTKEYH", 36, kInt32, 8, "\x91\x80\x8D\xEC\x96\xB3\x8C\xF8\x8D\x82\x82\xB3"},  // NOTKEYH: 操作無効高さ
    {1, "BWGRV", 40, kInt32, 24, "\x8F" "d\x97\xCD\x81i\x83o\x83" "E\x83\x93\x83h\x81j"},  // BWGRV: 重力（バウンド）
    {1, "ATARIW", 44, kInt32, 8, "\x93\x96\x82\xBD\x82\xE8\x94\xBB\x92\xE8\x82v"},  // ATARIW: 当たり判定Ｗ
    {1, "ATARIH", 48, kInt32, 16, "\x93\x96\x82\xBD\x82\xE8\x94\xBB\x92\xE8\x82g"},  // ATARIH: 当たり判定Ｈ
    {1, "ATARID", 52, kInt32, 16, "\x93\x96\x82\xBD\x82\xE8\x94\xBB\x92\xE8\x82" "c"},  // ATARID: 当たり判定Ｄ
    {1, "ZATARIW", 56, kInt32, 8, "\x82y\x95\xFB\x8C\xFC\x83V\x83\x85\x81[\x83g\x93\x96\x82\xBD\x82\xE8\x94\xBB\x92\xE8\x82v"},  // ZATARIW: Ｚ方向シュート当たり判定Ｗ
    {1, "ZATARIH", 60, kInt32, 16, "\x82y\x95\xFB\x8C\xFC\x83V\x83\x85\x81[\x83g\x93\x96\x82\xBD\x82\xE8\x94\xBB\x92\xE8\x82g"},  // ZATARIH: Ｚ方向シュート当たり判定Ｈ
    {1, "ZATARID", 64, kInt32, 8, "\x82y\x95\xFB\x8C\xFC\x83V\x83\x85\x81[\x83g\x93\x96\x82\xBD\x82\xE8\x94\xBB\x92\xE8\x82" "c"},  // ZATARID: Ｚ方向シュート当たり判定Ｄ
    {1, "FREEATARIW", 68, kInt32, 16, "\x92\xE2\x8E~\x83{\x81[\x83\x8B\x93\x96\x82\xBD\x82\xE8\x94\xBB\x92\xE8\x82v"},  // FREEATARIW: 停止ボール当たり判定Ｗ
    {1, "FREEATARIH", 72, kInt32, 16, "\x92\xE2\x8E~\x83{\x81[\x83\x8B\x93\x96\x82\xBD\x82\xE8\x94\xBB\x92\xE8\x82g"},  // FREEATARIH: 停止ボール当たり判定Ｈ
    {1, "FREEATARID", 76, kInt32, 16, "\x92\xE2\x8E~\x83{\x81[\x83\x8B\x93\x96\x82\xBD\x82\xE8\x94\xBB\x92\xE8\x82" "c"},  // FREEATARID: 停止ボール当たり判定Ｄ
    {1, "XWALLABSDX", 80, kInt32, 50, "\x8D\xB6\x89" "E\x95\xC7\x8C\xB8\x91\xAC\x97\xA6X"},  // XWALLABSDX: 左右壁減速率X
    {1, "XWALLABSDZ", 84, kInt32, 40, "\x8D\xB6\x89" "E\x95\xC7\x8C\xB8\x91\xAC\x97\xA6Z"},  // XWALLABSDZ: 左右壁減速率Z
    {1, "ZWALLABSDX", 88, kInt32, 50, "\x8F\xE3\x89\xBA\x95\xC7\x8C\xB8\x91\xAC\x97\xA6X"},  // ZWALLABSDX: 上下壁減速率X
    {1, "ZWALLABSDZ", 92, kInt32, 40, "\x8F\xE3\x89\xBA\x95\xC7\x8C\xB8\x91\xAC\x97\xA6Z"},  // ZWALLABSDZ: 上下壁減速率Z
    {1, "BWABSDX", 96, kInt32, 30, "\x83o\x83" "E\x83\x93\x83h\x91\xAC\x93x\x8C\xB8\x90\x8A\x97\xA6\x82w"},  // BWABSDX: バウンド速度減衰率Ｘ
    {1, "BWABSDY", 100, kInt32, 60, "\x83o\x83" "E\x83\x93\x83h\x91\xAC\x93x\x8C\xB8\x90\x8A\x97\xCA\x82x"},  // BWABSDY: バウンド速度減衰量Ｙ
    {1, "BWABSDZ", 104, kInt32, 20, "\x83o\x83" "E\x83\x93\x83h\x91\xAC\x93x\x8C\xB8\x90\x8A\x97\xA6\x82y"},  // BWABSDZ: バウンド速度減衰率Ｚ
    {1, "BWENDDY", 108, kInt32, 100, "\x82\xB1\x82\xEA\x88\xC8\x89\xBA\x82\xCC\x97\x8E\x89\xBA\x91\xAC\x93x\x82\xCC\x8F\xEA\x8D\x87\x83o\x83" "E\x83\x93\x83h\x82\xB5\x82\xC8\x82\xA2"},  // BWENDDY: これ以下の落下速度の場合バウンドしない
    {1, "BWMAXDY", 112, kInt32, 400, "\x83o\x83" "E\x83\x93\x83h\x8D\xC5\x8D\x82\x91\xAC\x93x"},  // BWMAXDY: バウンド最高速度
    {1, "BWMINDYPERDX", 116, kInt32, 100, "\x83o\x83" "E\x83\x93\x83h\x8D\xC5\x92\xE1" "dY/dX(%)"},  // BWMINDYPERDX: バウンド最低dY/dX(%)
    {2, "FLYGRV", 120, kInt32, 10, "\x8F" "d\x97\xCD\x81i\x82\xD3\x82\xC1\x82\xC6\x82\xD1\x81j"},  // FLYGRV: 重力（ふっとび）
    {2, "DEFKURAIX", 124, kInt32, -8, "\x83" "f\x83t\x83H\x8B\xF2\x82\xE7\x82\xA2\x94\xBB\x92\xE8X"},  // DEFKURAIX: デフォ喰らい判定X
    {2, "DEFKURAIY", 128, kInt32, 0, "\x83" "f\x83t\x83H\x8B\xF2\x82\xE7\x82\xA2\x94\xBB\x92\xE8Y"},  // DEFKURAIY: デフォ喰らい判定Y
    {2, "DEFKURAIW", 132, kInt32, 16, "\x83" "f\x83t\x83H\x8B\xF2\x82\xE7\x82\xA2\x94\xBB\x92\xE8W"},  // DEFKURAIW: デフォ喰らい判定W
    {2, "DEFKURAIH", 136, kInt32, 24, "\x83" "f\x83t\x83H\x8B\xF2\x82\xE7\x82\xA2\x94\xBB\x92\xE8H"},  // DEFKURAIH: デフォ喰らい判定H
    {2, "DEFKURAID", 140, kInt32, 16, "\x83" "f\x83t\x83H\x8B\xF2\x82\xE7\x82\xA2\x94\xBB\x92\xE8" "D"},  // DEFKURAID: デフォ喰らい判定D
    {2, "XWALLABSDX", 144, kInt32, 50, "\x8D\xB6\x89" "E\x95\xC7\x8C\xB8\x91\xAC\x97\xA6X"},  // XWALLABSDX: 左右壁減速率X
    {2, "XWALLABSDZ", 148, kInt32, 40, "\x8D\xB6\x89" "E\x95\xC7\x8C\xB8\x91\xAC\x97\xA6Z"},  // XWALLABSDZ: 左右壁減速率Z
    {2, "ZWALLABSDX", 152, kInt32, 50, "\x8F\xE3\x89\xBA\x95\xC7\x8C\xB8\x91\xAC\x97\xA6X"},  // ZWALLABSDX: 上下壁減速率X
    {2, "ZWALLABSDZ", 156, kInt32, 40, "\x8F\xE3\x89\xBA\x95\xC7\x8C\xB8\x91\xAC\x97\xA6Z"},  // ZWALLABSDZ: 上下壁減速率Z
    {2, "ROLLSPD", 160, kInt32, 32, "\x93]\x82\xAA\x82\xE8\x91\xAC\x93x"},  // ROLLSPD: 転がり速度
    {2, "WALLBOUNDDY", 164, kInt32, 200, "\x95\xC7\x82\xD4\x82\xC2\x82\xA9\x82\xE8\x8E\x9E\x92\xB5\x82\xCB\x8F\xE3\x82\xAA\x82\xE8"},  // WALLBOUNDDY: 壁ぶつかり時跳ね上がり
    {2, "FLYSPDPER", 168, kInt32, 100, "\x90\x81\x82\xC1\x94\xF2\x82\xD1\x91\xAC\x93x\x8F" "d\x97\xCD\x92\xB2\x90\xAE(%)"},  // FLYSPDPER: 吹っ飛び速度重力調整(%)
    {3, "POSITV", 172, kInt32, 60, "\x93\xE0\x96\xEC\x83|\x83W\x83V\x83\x87\x83\x93\x83\x8A\x83Z\x83" "b\x83g\x8A\xD4\x8Au"},  // IPOSITV: 内野ポジションリセット間隔
    {3, "YOKEW", 176, kInt32, 40, "\x94\xF0\x82\xAF\x94\xBB\x92" "f\x94\xBB\x92\xE8\x82w\x95\x9D"},  // YOKEW: 避け判断判定Ｘ幅
    {3, "YOKED", 180, kInt32, 32, "\x94\xF0\x82\xAF\x94\xBB\x92" "f\x94\xBB\x92\xE8\x82y\x95\x9D"},  // YOKED: 避け判断判定Ｚ幅
    {3, "JPYOKEW", 184, kInt32, 40, "\x83W\x83\x83\x83\x93\x83v\x94\xF0\x82\xAF\x94\xBB\x92" "f\x94\xBB\x92\xE8\x82w\x95\x9D"},  // JPYOKEW: ジャンプ避け判断判定Ｘ幅
    {3, "JPYOKED", 188, kInt32, 32, "\x83W\x83\x83\x83\x93\x83v\x94\xF0\x82\xAF\x94\xBB\x92" "f\x94\xBB\x92\xE8\x82y\x95\x9D"},  // JPYOKED: ジャンプ避け判断判定Ｚ幅
    {3, "JPYOKELANDX", 192, kInt32, 32, "\x83W\x83\x83\x83\x93\x83v\x94\xF0\x82\xAF\x82\xB5\x82\xC8\x82\xA2\x94\xBB\x92" "f\x92\x85\x92n\x93_\x82w\x8B\x97\x97\xA3"},  // JPYOKELANDX: ジャンプ避けしない判断着地点Ｘ距離
    {3, "JPYOKELANDZ", 196, kInt32, 32, "\x83W\x83\x83\x83\x93\x83v\x94\xF0\x82\xAF\x82\xB5\x82\xC8\x82\xA2\x94\xBB\x92" "f\x92\x85\x92n\x93_\x82y\x8B\x97\x97\xA3"},  // JPYOKELANDZ: ジャンプ避けしない判断着地点Ｚ距離
    {3, "SHCOVERJPW", 200, kInt32, 40, "\x83V\x83\x85\x81[\x83g\x83J\x83o\x81[\x83W\x83\x83\x83\x93\x83v\x94\xBB\x92" "f\x94\xBB\x92\xE8\x82w\x95\x9D"},  // SHCOVERJPW: シュートカバージャンプ判断判定Ｘ幅
    {3, "SHCOVERJPD", 204, kInt32, 32, "\x83V\x83\x85\x81[\x83g\x83J\x83o\x81[\x83W\x83\x83\x83\x93\x83v\x94\xBB\x92" "f\x94\xBB\x92\xE8\x82y\x95\x9D"},  // SHCOVERJPD: シュートカバージャンプ判断判定Ｚ幅
    {3, "NONEDGY", 208, kInt32, 48, "\x94\xF0\x82\xAF\x82\xC8\x82\xA2\x8D\x82\x82\xB3"},  // NONEDGY: 避けない高さ
    {3, "JUMPDGY", 212, kInt32, 16, "\x83W\x83\x83\x83\x93\x83v\x94\xF0\x82\xAF\x8D\x82\x82\xB3"},  // JUMPDGY: ジャンプ避け高さ
    {3, "ECYOKERMT", 216, kInt32, 30, "\x93G\x83R\x81[\x83g\x94\xF0\x82\xAF\x8E\x9E\x8A\xD4\x8C\xC0\x8A" "E"},  // ECYOKERMT: 敵コート避け時間限界
    {3, "MOVCTRLTIME", 220, kInt32, 60, "\x91\x80\x8D\xEC\x8C\xA0\x88\xCF\x8F\xF7\x82\xDC\x82\xC5\x82\xCC\x83t\x83\x8C\x81[\x83\x80"},  // MOVCTRLTIME: 操作権委譲までのフレーム
    {3, "DSACCITV", 224, kInt32, 1, "\x83_\x83" "b\x83V\x83\x85\x89\xC1\x91\xAC\x93x\x92\xC7\x89\xC1\x8A\xD4\x8Au"},  // DSACCITV: ダッシュ加速度追加間隔
    {4, "POSITV", 228, kInt32, 60, "\x8AO\x96\xEC\x83|\x83W\x83V\x83\x87\x83\x93\x83\x8A\x83Z\x83" "b\x83g\x8A\xD4\x8Au"},  // OPOSITV: 外野ポジションリセット間隔
    {5, "JNSFRM", 232, kInt32, 30, "\x82i\x83i\x83" "C\x83X\x94\xBB\x92\xE8\x8AJ\x8En\x83t\x83\x8C\x81[\x83\x80"},  // JNSFRM: Ｊナイス判定開始フレーム
    {5, "JNSFRM2", 236, kInt32, 3, "\x82i\x83i\x83" "C\x83X\x94\xBB\x92\xE8\x8Cp\x91\xB1\x8E\x9E\x8A\xD4"},  // JNSFRM2: Ｊナイス判定継続時間
    {5, "DJNSFRM", 240, kInt32, 24, "\x82" "c\x82i\x83i\x83" "C\x83X\x94\xBB\x92\xE8\x8AJ\x8En\x83t\x83\x8C\x81[\x83\x80"},  // DJNSFRM: ＤＪナイス判定開始フレーム
    {5, "DJNSFRM2", 244, kInt32, 3, "\x82" "c\x82i\x83i\x83" "C\x83X\x94\xBB\x92\xE8\x8Cp\x91\xB1\x8E\x9E\x8A\xD4"},  // DJNSFRM2: ＤＪナイス判定継続時間
    {5, "JNNSFRM", 248, kInt32, 25, "\x82i\x83i\x83" "C\x83X\x83i\x83" "C\x83X\x94\xBB\x92\xE8\x8AJ\x8En\x83t\x83\x8C\x81[\x83\x80"},  // JNNSFRM: Ｊナイスナイス判定開始フレーム
    {5, "JNNSFRM2", 252, kInt32, 1, "\x82i\x83i\x83" "C\x83X\x83i\x83" "C\x83X\x94\xBB\x92\xE8\x8Cp\x91\xB1\x8E\x9E\x8A\xD4"},  // JNNSFRM2: Ｊナイスナイス判定継続時間
    {5, "DHSSTP", 256, kInt32, 7, "\x82" "c\x95K\x8E" "E\x8AJ\x8En\x95\xE0\x90\x94"},  // DHSSTP: Ｄ必殺開始歩数
    {5, "DHSSTP2", 260, kInt32, 2, "\x82" "c\x95K\x8E" "E\x8Cp\x91\xB1\x95\xE0\x90\x94"},  // DHSSTP2: Ｄ必殺継続歩数
    {5, "EZDHSSTP", 264, kInt32, 3, "\x82\xE2\x82\xB3\x82\xB5\x82\xA2\x82" "c\x95K\x8E" "E\x8AJ\x8En\x95\xE0\x90\x94"},  // EZDHSSTP: やさしいＤ必殺開始歩数
    {5, "EZDHSSTP2", 268, kInt32, 64, "\x82\xE2\x82\xB3\x82\xB5\x82\xA2\x82" "c\x95K\x8E" "E\x8Cp\x91\xB1\x95\xE0\x90\x94"},  // EZDHSSTP2: やさしいＤ必殺継続歩数
    {5, "DJHSFRM", 272, kInt32, 32, "\x8B\xF3\x92\x86\x95K\x8E" "E\x94\xBB\x92\xE8\x8AJ\x8En\x83t\x83\x8C\x81[\x83\x80"},  // DJHSFRM: 空中必殺判定開始フレーム
    {5, "DJHSFRM2", 276, kInt32, 3, "\x8B\xF3\x92\x86\x95K\x8E" "E\x94\xBB\x92\xE8\x8Cp\x91\xB1\x8E\x9E\x8A\xD4"},  // DJHSFRM2: 空中必殺判定継続時間
    {5, "EZDJHSFRM", 280, kInt32, 24, "\x82\xE2\x82\xB3\x82\xB5\x82\xA2\x8B\xF3\x92\x86\x95K\x8E" "E\x94\xBB\x92\xE8\x8AJ\x8En\x83t\x83\x8C\x81[\x83\x80"},  // EZDJHSFRM: やさしい空中必殺判定開始フレーム
    {5, "EZDJHSFRM2", 284, kInt32, 24, "\x82\xE2\x82\xB3\x82\xB5\x82\xA2\x8B\xF3\x92\x86\x95K\x8E" "E\x94\xBB\x92\xE8\x8Cp\x91\xB1\x8E\x9E\x8A\xD4"},  // EZDJHSFRM2: やさしい空中必殺判定継続時間
    {5, "SRATE", 288, kInt32, 25, "\x97\xA7\x82\xBF\x93\x8A\x82\xB0\x82" "a\x82o\x81\xA8\x8DU\x8C\x82\x92l\x94{\x97\xA6"},  // SRATE: 立ち投げＢＰ→攻撃値倍率
    {5, "JSRATE", 292, kInt32, 50, "\x83W\x83\x83\x83\x93\x83v\x82" "a\x82o\x81\xA8\x8DU\x8C\x82\x92l\x94{\x97\xA6"},  // JSRATE: ジャンプＢＰ→攻撃値倍率
    {5, "DSRATE", 296, kInt32, 75, "\x83_\x83" "b\x83V\x83\x85\x82" "a\x82o\x81\xA8\x8DU\x8C\x82\x92l\x94{\x97\xA6"},  // DSRATE: ダッシュＢＰ→攻撃値倍率
    {5, "DJSRATE", 300, kInt32, 100, "\x82" "c\x83W\x83\x83\x83\x93\x83v\x82" "a\x82o\x81\xA8\x8DU\x8C\x82\x92l\x94{\x97\xA6"},  // DJSRATE: ＤジャンプＢＰ→攻撃値倍率
    {5, "NSRATE", 304, kInt32, 2, "\x83i\x83" "C\x83X\x83V\x83\x85\x81[\x83g\x8DU\x8C\x82\x92l\x94{\x97\xA6"},  // NSRATE: ナイスシュート攻撃値倍率
    {5, "NNSRATE", 308, kInt32, 3, "\x83i\x83" "C\x83X\x83i\x83" "C\x83X\x8DU\x8C\x82\x92l\x94{\x97\xA6"},  // NNSRATE: ナイスナイス攻撃値倍率
    {5, "CRVLAG", 312, kInt32, 10, "\x95\xCF\x89\xBB\x8B\x85\x83L\x81[\x93\xFC\x97\xCD\x82\xA9\x82\xE7\x8B\xC8\x82\xAA\x82\xE9\x82\xDC\x82\xC5\x82\xCC\x8E\x9E\x8A\xD4"},  // CRVLAG: 変化球キー入力から曲がるまでの時間
    {5, "NOTAGAGL", 316, kInt32, 60, "\x83^\x83Q\x96\xB3\x82\xB5\x8E\xCE\x82\xDF\x95\xFB\x8C\xFC\x93\x8A\x82\xB0\x82\xCC\x8Ap\x93x"},  // NOTAGAGL: タゲ無し斜め方向投げの角度
    {5, "NOTAGJSAGLY", 320, kInt32, 30, "\x83^\x83Q\x96\xB3\x82\xB5\x83W\x83\x83\x83\x93\x83v\x83V\x83\x85\x81[\x83g\x8E\xCE\x82\xDF\x95\xFB\x8C\xFC\x93\x8A\x82\xB0\x82\xCC\x93\x8A\x82\xB0\x89\xBA\x82\xEB\x82\xB5\x8Ap\x93x"},  // NOTAGJSAGLY: タゲ無しジャンプシュート斜め方向投げの投げ下ろし角度
    {5, "LIMITAGLX", 324, kInt32, 60, "\x82i\x82r\x8C\xC0\x8A" "E\x8Ap\x93x\x82w(\x90\x85\x95\xBD\x81^\x90\x82\x92\xBC)(%)"},  // LIMITAGLX: ＪＳ限界角度Ｘ(水平／垂直)(%)
    {5, "LIMITAGLZ", 328, kInt32, 100, "\x82i\x82r\x8C\xC0\x8A" "E\x8Ap\x93x\x82y(\x90\x85\x95\xBD\x81^\x90\x82\x92\xBC)(%)"},  // LIMITAGLZ: ＪＳ限界角度Ｚ(水平／垂直)(%)
    {5, "THROUGHTIME", 332, kInt32, 8, "\x93\x8A\x82\xB0\x82\xBD\x92\xBC\x8C\xE3\x93\x96\x82\xBD\x82\xE7\x82\xC8\x82\xA2\x8E\x9E\x8A\xD4"},  // THROUGHTIME: 投げた直後当たらない時間
    {5, "SHOOTMAG", 336, kInt32, 100, "\x83V\x83\x85\x81[\x83g\x91\xAC\x93x\x94{\x97\xA6(%)"},  // SHOOTMAG: シュート速度倍率(%)
    {5, "FLYTAGY", 340, kInt32, 64, "\x90\x81\x82\xC1\x94\xF2\x82\xD1\x82\xC5\x82\xE0\x83^\x83Q\x82\xC9\x82\xC8\x82\xE9\x8B\xF3\x92\x86\x88\xCA\x92u"},  // FLYTAGY: 吹っ飛びでもタゲになる空中位置
    {6, "PAGRV", 344, kInt32, 40, "\x97\xA7\x83p\x83X\x8F" "d\x97\xCD"},  // PAGRV: 立パス重力
    {6, "PAGRV23", 348, kInt32, 40, "\x97\xA7\x83p\x83X\x8F" "d\x97\xCD\x81i\x82Q\x81" "A\x82R\x94\xD4\x8AO\x96\xEC\x8A\xD4\x81j"},  // PAGRV23: 立パス重力（２、３番外野間）
    {6, "PAGRV14", 352, kInt32, 40, "\x97\xA7\x83p\x83X\x8F" "d\x97\xCD\x81i\x93\xE0\x96\xEC\x81" "A\x82S\x94\xD4\x8AO\x96\xEC\x8A\xD4\x81j"},  // PAGRV14: 立パス重力（内野、４番外野間）
    {6, "PAGRV11", 356, kInt32, 40, "\x97\xA7\x83p\x83X\x8F" "d\x97\xCD\x81i\x93\xE0\x96\xEC\x81" "A\x93\xE0\x96\xEC\x8A\xD4\x81j"},  // PAGRV11: 立パス重力（内野、内野間）
    {6, "PASPD", 360, kInt32, 64, "\x97\xA7\x83p\x83X\x83X\x83s\x81[\x83h"},  // PASPD: 立パススピード
    {6, "PASPD23", 364, kInt32, 48, "\x97\xA7\x83p\x83X\x83X\x83s\x81[\x83h\x81i\x82Q\x81" "A\x82R\x94\xD4\x8AO\x96\xEC\x8A\xD4\x81j"},  // PASPD23: 立パススピード（２、３番外野間）
    {6, "PASPD14", 368, kInt32, 48, "\x97\xA7\x83p\x83X\x83X\x83s\x81[\x83h\x81i\x93\xE0\x96\xEC\x81" "A\x82S\x94\xD4\x8AO\x96\xEC\x8A\xD4\x81j"},  // PASPD14: 立パススピード（内野、４番外野間）
    {6, "PASPD11", 372, kInt32, 48, "\x97\xA7\x83p\x83X\x83X\x83s\x81[\x83h\x81i\x93\xE0\x96\xEC\x81" "A\x93\xE0\x96\xEC\x8A\xD4\x81j"},  // PASPD11: 立パススピード（内野、内野間）
    {6, "JPAGRV", 376, kInt32, 40, "\x8B\xF3\x83p\x83X\x8F" "d\x97\xCD"},  // JPAGRV: 空パス重力
    {6, "JPAGRV23", 380, kInt32, 40, "\x8B\xF3\x83p\x83X\x8F" "d\x97\xCD\x81i\x82Q\x81" "A\x82R\x94\xD4\x8AO\x96\xEC\x8A\xD4\x81j"},  // JPAGRV23: 空パス重力（２、３番外野間）
    {6, "JPAGRV14", 384, kInt32, 40, "\x8B\xF3\x83p\x83X\x8F" "d\x97\xCD\x81i\x93\xE0\x96\xEC\x81" "A\x82S\x94\xD4\x8AO\x96\xEC\x8A\xD4\x81j"},  // JPAGRV14: 空パス重力（内野、４番外野間）
    {6, "JPAGRV11", 388, kInt32, 40, "\x8B\xF3\x83p\x83X\x8F" "d\x97\xCD\x81i\x93\xE0\x96\xEC\x81" "A\x93\xE0\x96\xEC\x8A\xD4\x81j"},  // JPAGRV11: 空パス重力（内野、内野間）
    {6, "JPASPD", 392, kInt32, 64, "\x8B\xF3\x83p\x83X\x83X\x83s\x81[\x83h"},  // JPASPD: 空パススピード
    {6, "JPASPD23", 396, kInt32, 48, "\x8B\xF3\x83p\x83X\x83X\x83s\x81[\x83h\x81i\x82Q\x81" "A\x82R\x94\xD4\x8AO\x96\xEC\x8A\xD4\x81j"},  // JPASPD23: 空パススピード（２、３番外野間）
    {6, "JPASPD14", 400, kInt32, 48, "\x8B\xF3\x83p\x83X\x83X\x83s\x81[\x83h\x81i\x93\xE0\x96\xEC\x81" "A\x82S\x94\xD4\x8AO\x96\xEC\x8A\xD4\x81j"},  // JPASPD14: 空パススピード（内野、４番外野間）
    {6, "JPASPD11", 404, kInt32, 48, "\x8B\xF3\x83p\x83X\x83X\x83s\x81[\x83h\x81i\x93\xE0\x96\xEC\x81" "A\x93\xE0\x96\xEC\x8A\xD4\x81j"},  // JPASPD11: 空パススピード（内野、内野間）
    {6, "PACAJPTIME", 408, kInt32, 24, "\x83W\x83\x83\x83\x93\x83v\x83p\x83X\x83L\x83\x83\x83" "b\x83`\x83^\x83" "C\x83~\x83\x93\x83O"},  // PACAJPTIME: ジャンプパスキャッチタイミング
    {6, "PACANOJPY", 412, kInt32, 40, "\x82\xB1\x82\xEA\x88\xC8\x89\xBA\x82\xCC\x8D\x82\x82\xB3\x82\xA9\x82\xE7\x82\xCC\x83W\x83\x83\x83\x93\x83v\x83p\x83X\x82\xCD\x83W\x83\x83\x83\x93\x83v\x83p\x83X\x83L\x83\x83\x83" "b\x83`\x82\xB5\x82\xC8\x82\xA2"},  // PACANOJPY: これ以下の高さからのジャンプパスはジャンプパスキャッチしない
    {6, "PATAGY", 416, kInt32, 0, "\x97\xA7\x82\xBF\x83p\x83X\x91_\x82\xA4\x8D\x82\x82\xB3"},  // PATAGY: 立ちパス狙う高さ
    {6, "JPATAGY", 420, kInt32, 16, "\x83W\x83\x83\x83\x93\x83v\x83p\x83X\x91_\x82\xA4\x8D\x82\x82\xB3"},  // JPATAGY: ジャンプパス狙う高さ
    {6, "THROUGHTIME", 424, kInt32, 8, "\x93\x8A\x82\xB0\x82\xBD\x92\xBC\x8C\xE3\x93\x96\x82\xBD\x82\xE7\x82\xC8\x82\xA2\x8E\x9E\x8A\xD4"},  // THROUGHTIME: 投げた直後当たらない時間
    {6, "PASSMAG", 428, kInt32, 100, "\x83p\x83X\x91\xAC\x93x\x94{\x97\xA6(%)"},  // PASSMAG: パス速度倍率(%)
    {7, "SHFRIC", 432, kInt32, 3, "\x83V\x83\x85\x81[\x83g\x96\x80\x8E" "C\x8CW\x90\x94"},  // SHFRIC: シュート摩擦係数
    {7, "PAFRIC", 436, kInt32, 3, "\x83p\x83X\x96\x80\x8E" "C\x8CW\x90\x94"},  // PAFRIC: パス摩擦係数
    {8, "FCTOSAIMAG", 440, kInt32, 320, "\x82" "e\x82" "b\x81\xA8\x8D\xC4\x81" "A\x90\x94\x92l\x95\xCF\x8A\xB7\x94{\x97\xA6"},  // FCTOSAIMAG: ＦＣ→再、数値変換倍率
    {8, "DEBUGNUM", 444, kInt32, 1, "\x81i\x83" "f\x83o\x83" "b\x83O\x97p\x81j"},  // DEBUGNUM: （デバッグ用）
    {9, "BASEX", 448, kInt32, 96, "\x8A\xEE\x96{\x82w"},  // BASEX: 基本Ｘ
    {9, "BASEY", 452, kInt32, 4, "\x8A\xEE\x96{\x82x"},  // BASEY: 基本Ｙ
    {9, "DISTX", 456, kInt32, 80, "\x82w\x8A\xD4\x8Au"},  // DISTX: Ｘ間隔
    {9, "DISTY", 460, kInt32, 20, "\x82x\x8A\xD4\x8Au"},  // DISTY: Ｙ間隔
    {9, "DISTX2", 464, kInt32, 160, "\x83`\x81[\x83\x80\x82w\x8A\xD4\x8Au"},  // DISTX2: チームＸ間隔
    {9, "NAME_BX", 468, kInt32, 16, "\x96\xBC\x91O\x82w"},  // NAME_BX: 名前Ｘ
    {9, "NAME_BY", 472, kInt32, 0, "\x96\xBC\x91O\x82x"},  // NAME_BY: 名前Ｙ
    {9, "FACE_BX", 476, kInt32, 0, "\x8A\xE7\x82w"},  // FACE_BX: 顔Ｘ
    {9, "FACE_BY", 480, kInt32, 0, "\x8A\xE7\x82x"},  // FACE_BY: 顔Ｙ
    {9, "HPBAR_BX", 484, kInt32, 16, "HPX"},  // HPBAR_BX: HPX
    {9, "HPBAR_BY", 488, kInt32, 8, "HPY"},  // HPBAR_BY: HPY
    {10, "ALLHS_F", 512, kBool, 0, "\x83I\x81[\x83\x8B\x95K\x8E" "E"},  // ALLHS_F: オール必殺
    {10, "CPUNOCATCH_F", 513, kBool, 0, "\x82" "b\x82o\x82t\x83L\x83\x83\x83" "b\x83`\x82\xB5\x82\xC8\x82\xA2"},  // CPUNOCATCH_F: ＣＰＵキャッチしない
    {10, "CPUALLCATCH_F", 514, kBool, 0, "\x82" "b\x82o\x82t\x8D\x82\x8Am\x97\xA6\x83L\x83\x83\x83" "b\x83`"},  // CPUALLCATCH_F: ＣＰＵ高確率キャッチ
    {10, "NODAMAGE_F", 515, kBool, 0, "\x83m\x81[\x83_\x83\x81\x81[\x83W"},  // NODAMAGE_F: ノーダメージ
    {11, "PASSRATIO", 516, kInt32, 10, "\x83p\x83X\x97\xA6"},  // PASSRATIO: パス率
    {11, "JPRATIO", 520, kInt32, 30, "\x83W\x83\x83\x83\x93\x83v\x97\xA6"},  // JPRATIO: ジャンプ率
    {11, "JSH_HSTIMING", 524, kInt32, 30, "\x82i\x95K\x97\xA6"},  // JSH_HSTIMING: Ｊ必率
    {11, "JSH_QCTIMING", 528, kInt32, 30, "\x82i\x91\xA6\x93\x8A\x97\xA6"},  // JSH_QCTIMING: Ｊ即投率
    {11, "JSH_SLTIMING", 532, kInt32, 30, "\x82i\x92x\x93\x8A\x97\xA6"},  // JSH_SLTIMING: Ｊ遅投率
    {11, "EASY_CATCH", 536, kInt32, 22, "\x82\xE2\x82\xB3\x82\xB5\x82\xA2\x83L\x83\x83\x83" "b\x83`\x97\x90\x90\x94"},  // EASY_CATCH: やさしいキャッチ乱数
    {11, "NML_CATCH", 540, kInt32, 18, "\x82\xD3\x82\xC2\x82\xA4\x83L\x83\x83\x83" "b\x83`\x97\x90\x90\x94"},  // NML_CATCH: ふつうキャッチ乱数
    {11, "HARD_CATCH", 544, kInt32, 15, "\x82\xDE\x82\xB8\x82\xA9\x82\xB5\x82\xA2\x83L\x83\x83\x83" "b\x83`\x97\x90\x90\x94"},  // HARD_CATCH: むずかしいキャッチ乱数
    {11, "ACTWAIT", 548, kInt32, 10, "\x8E\x9F\x8Ds\x93\xAE\x91\xD2\x82\xBF\x8E\x9E\x8A\xD4"},  // ACTWAIT: 次行動待ち時間
    {11, "ACTWAITG", 552, kInt32, 10, "\x8AO\x96\xEC\x8E\x9F\x8Ds\x93\xAE\x91\xD2\x82\xBF\x8E\x9E\x8A\xD4"},  // ACTWAITG: 外野次行動待ち時間
};

static_assert(std::size(kSections) == 12);
static_assert(std::size(kFields) == 137);

}  // namespace

std::span<const CstSectionDesc> CstSections() { return kSections; }
std::span<const CstFieldDesc> CstFields() { return kFields; }

int32_t CstGet(const CstDB& db, const CstFieldDesc& f) {
    const auto* p = reinterpret_cast<const uint8_t*>(&db) + f.Offset;
    if (f.Type == CstFieldDesc::kBool) return *p != 0 ? 1 : 0;
    int32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

void CstSet(CstDB& db, const CstFieldDesc& f, int32_t v) {
    auto* p = reinterpret_cast<uint8_t*>(&db) + f.Offset;
    if (f.Type == CstFieldDesc::kBool) {
        *p = v != 0 ? 1 : 0;
        return;
    }
    std::memcpy(p, &v, sizeof v);
}

CstDB CstDefaults() {
    CstDB db{};
    for (const auto& f : kFields) CstSet(db, f, f.Default);
    return db;
}

TGlbConst::TGlbConst(bool load) : TGlbConst(nullptr, load) {}

TGlbConst::TGlbConst(TGlobal* glb, bool load) : Glb(glb) {
    CommentRead_f = false;
    Slow_f = false;
    if (load) IOIni(true, false);
}

TGlbConst::~TGlbConst() {
    // A table that never went through IOIni (a tool reading one ini file)
    // has nothing to store.
    if (ioUsed_) IOIni(false, Slow_f);
    FreeIni(true);
}

void TGlbConst::SetRecord(std::span<const uint8_t> bytes) {
    DB = CstDB{};
    if (!bytes.empty()) std::memcpy(&DB, bytes.data(), std::min(bytes.size(), sizeof DB));
}

bool TGlbConst::Authoring() const { return AuthoringBuild(Glb); }

TGlbConst::Load TGlbConst::IOIni(bool read, bool slow) {
    ioUsed_ = true;
    Load result = Authoring() ? IOIniAuthoring(read, slow) : IOIniShipped(read, slow);
    if (read) {
        LastLoad = result;
        // A missing entry, or a table without a unit factor (the match would
        // divide by zero), stops the game: "File Not Found" when the archive
        // itself is missing, the data version error otherwise. A table kept
        // from an earlier load plays on.
        if (Glb && (!Usable() || result == Load::NoEntry))
            Glb->HaltMsgNo(result == Load::NoFile ? 0 : 2);
    }
    return result;
}

TGlbConst::Load TGlbConst::IOIniShipped(bool read, bool slow) {
    Slow_f = slow;
    if (!read) {
        CommentRead_f = true;
        return Load::Ok;
    }
    const std::string path = ArchivePath();
    std::string unread;
    auto bytes = plat::ReadFile(path, SIZE_MAX, &unread);
    if (!bytes) {
        ReportDataFileProblem(path, unread);
        DB.DBDBG = DBDBGRec{};
        return Load::NoFile;
    }
    TMemoryStream archive(std::move(*bytes));
    const Load result = LoadFromArchive(archive, slow);
    if (result == Load::BadArchive)
        ReportDataFileProblem(path, ArchiveProblem(archive, "DBDT", 0, 0, 0));
    else if (result != Load::Ok)
        ReportDataFileProblem(path,
                              std::string("damaged (no usable entry ") + RecordFileName(slow) + ")");
    return result;
}

TGlbConst::Load TGlbConst::LoadFromArchive(TStream& archive, bool slow) {
    Slow_f = slow;
    if (!CheckFileHash(archive, 8) || !CheckFileSignVer(archive, "DBDT", 0, 0, 0))
        return Load::BadArchive;
    DB = CstDB{};
    auto entry = ExtractFromQDAStream(archive, RecordFileName(slow));
    Load result = Load::NoEntry;
    if (entry) {
        SetRecord(entry->Bytes());  // a short entry leaves the remaining fields zero
        result = Load::Ok;
    }
    // The shipped game starts with every debug switch off.
    DB.DBDBG = DBDBGRec{};
    if (result == Load::Ok && !Usable()) result = Load::BadTable;
    return result;
}

namespace {

// "◆ " + text + " ◆", the frame of a section comment, in Shift-JIS.
std::string SectionComment(const char* text) {
    return std::string("\x81\x9F ") + text + " \x81\x9F";
}

}  // namespace

void TGlbConst::TransferIni(TQxMemIniFile& ini, bool read) {
    for (size_t si = 0; si < CstSections().size(); ++si) {
        const CstSectionDesc& sec = CstSections()[si];
        for (const CstFieldDesc& f : CstFields()) {
            if (f.Section != si) continue;
            if (read) {
                CstSet(DB, f, ini.ReadInteger(sec.Name, f.Key, f.Default));
            } else {
                ini.WriteInteger(sec.Name, f.Key, CstGet(DB, f));
                if (!CommentRead_f) ini.WriteComment(sec.Name, f.Key, f.Comment);
            }
        }
        // After the keys, so that a section the file did not have yet exists
        // and keeps its comment.
        if (!CommentRead_f) ini.WriteSectionComment(sec.Name, SectionComment(sec.Comment));
    }
}

void TGlbConst::FreeIni(bool save) {
    if (DBIni && save) DBIni->UpdateFile();
    delete DBIni;
    DBIni = nullptr;
}

bool TGlbConst::LoadIniFile(const std::string& gamePath) {
    if (!plat::FileExists(gamePath)) return false;
    TQxMemIniFile ini(gamePath);
    TransferIni(ini, true);
    return Usable();
}

TGlbConst::Load TGlbConst::IOIniAuthoring(bool read, bool slow) {
    Slow_f = slow;
    FreeIni(false);
    const std::string iniPath = plat::ProgramFolder() + (slow ? "data\\db2.ini" : "data\\db.ini");
    if (const std::string why = read ? plat::ReadProblem(iniPath) : ""; !why.empty())
        ReportLooseFileProblem(iniPath, why,
                               std::string("the tuning table starts from its built-in values") +
                                   (why == "missing" ? ", which are stored there at exit" : ""));
    DBIni = new TQxMemIniFile(iniPath);
    TransferIni(*DBIni, read);
    if (read) return Usable() ? Load::Ok : Load::BadTable;
    const std::string path = plat::ProgramFolder() + RecordFileName(slow);
    std::string why;
    bool written = plat::WriteFile(path, &DB, sizeof DB, &why);
    if (!written) plat::ReportFileProblem(path, "not saved (" + why + ")");
    CommentRead_f = true;
    return written ? Load::Ok : Load::WriteFailed;
}
