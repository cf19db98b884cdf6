// The tuning-constant table: every tuning value of the match in one 556-byte
// record, CstDB, held by TGlbConst. The shipped game loads the record from the
// data archive; the authoring build edits it as a commented ini file and
// writes the binary record from it. The record is the byte image of the
// entries "dbini.sai" (normal rule) and "dbini2.sai" (slow rule).
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "shell/SAIData.h"

// Sections of the table. Names repeat across sections, so each is its own
// record.
struct DBJPRec {
    int32_t GRV;  // gravity (normal jump)
    int32_t BY;  // jump initial Y speed (normal)
    int32_t DBY;  // jump initial Y speed (dash)
    int32_t BX;  // jump initial X speed (normal)
    int32_t BX2;  // jump initial X speed (diagonal)
    int32_t DBX;  // jump initial X speed (dash)
    int32_t BZ;  // jump initial Z speed (normal)
    int32_t BZ2;  // jump initial Z speed (diagonal)
    int32_t JUMPCSLTIME;  // jump cancel time
    int32_t NOTKEYH;  // height at which input is ignored
};

struct DBBRec {
    int32_t BWGRV;  // gravity (bouncing ball)
    int32_t ATARIW;  // ball hit box W
    int32_t ATARIH;  // ball hit box H
    int32_t ATARID;  // ball hit box D
    int32_t ZATARIW;  // hit box W of shots along Z
    int32_t ZATARIH;  // hit box H of shots along Z
    int32_t ZATARID;  // hit box D of shots along Z
    int32_t FREEATARIW;  // hit box W of a resting ball
    int32_t FREEATARIH;  // hit box H of a resting ball
    int32_t FREEATARID;  // hit box D of a resting ball
    int32_t XWALLABSDX;  // deceleration rate X at the left/right walls
    int32_t XWALLABSDZ;  // deceleration rate Z at the left/right walls
    int32_t ZWALLABSDX;  // deceleration rate X at the front/back walls
    int32_t ZWALLABSDZ;  // deceleration rate Z at the front/back walls
    int32_t BWABSDX;  // bounce speed damping rate X
    int32_t BWABSDY;  // bounce speed damping amount Y
    int32_t BWABSDZ;  // bounce speed damping rate Z
    int32_t BWENDDY;  // no bounce when falling slower than this
    int32_t BWMAXDY;  // maximum bounce speed
    int32_t BWMINDYPERDX;  // minimum bounce dY/dX (%)
};

struct DBDAMRec {
    int32_t FLYGRV;  // gravity (knocked-back player)
    int32_t DEFKURAIX;  // default hurt box X
    int32_t DEFKURAIY;  // default hurt box Y
    int32_t DEFKURAIW;  // default hurt box W
    int32_t DEFKURAIH;  // default hurt box H
    int32_t DEFKURAID;  // default hurt box D
    int32_t XWALLABSDX;  // deceleration rate X at the left/right walls
    int32_t XWALLABSDZ;  // deceleration rate Z at the left/right walls
    int32_t ZWALLABSDX;  // deceleration rate X at the front/back walls
    int32_t ZWALLABSDZ;  // deceleration rate Z at the front/back walls
    int32_t ROLLSPD;  // rolling speed
    int32_t WALLBOUNDDY;  // upward bounce when hitting a wall
    int32_t FLYSPDPER;  // knock-back speed gravity adjustment (%)
};

struct DBNAIYARec {
    int32_t IPOSITV;  // infield repositioning interval (frames)
    int32_t YOKEW;  // dodge decision box X width
    int32_t YOKED;  // dodge decision box Z width
    int32_t JPYOKEW;  // jump-dodge decision box X width
    int32_t JPYOKED;  // jump-dodge decision box Z width
    int32_t JPYOKELANDX;  // no jump dodge when the landing point is within this X distance
    int32_t JPYOKELANDZ;  // no jump dodge when the landing point is within this Z distance
    int32_t SHCOVERJPW;  // shot-cover jump decision box X width
    int32_t SHCOVERJPD;  // shot-cover jump decision box Z width
    int32_t NONEDGY;  // height at which no dodge is made
    int32_t JUMPDGY;  // jump-dodge height
    int32_t ECYOKERMT;  // time limit for dodging in the enemy court
    int32_t MOVCTRLTIME;  // frames until control is handed over
    int32_t DSACCITV;  // dash acceleration interval
};

struct DBGAIYARec {
    int32_t OPOSITV;  // outfield repositioning interval (frames): reload value of the enemy-centre countdown
};

struct DBSHOOTRec {
    int32_t JNSFRM;  // jump nice-shot window: start frame
    int32_t JNSFRM2;  // jump nice-shot window: length
    int32_t DJNSFRM;  // dash-jump nice-shot window: start frame
    int32_t DJNSFRM2;  // dash-jump nice-shot window: length
    int32_t JNNSFRM;  // jump nice-nice window: start frame
    int32_t JNNSFRM2;  // jump nice-nice window: length
    int32_t DHSSTP;  // dash special shot: first step
    int32_t DHSSTP2;  // dash special shot: number of steps
    int32_t EZDHSSTP;  // easy: dash special shot first step
    int32_t EZDHSSTP2;  // easy: dash special shot number of steps
    int32_t DJHSFRM;  // air special shot window: start frame
    int32_t DJHSFRM2;  // air special shot window: length
    int32_t EZDJHSFRM;  // easy: air special shot window start frame
    int32_t EZDJHSFRM2;  // easy: air special shot window length
    int32_t SRATE;  // standing throw: ball power to attack factor
    int32_t JSRATE;  // jump throw: ball power to attack factor
    int32_t DSRATE;  // dash throw: ball power to attack factor
    int32_t DJSRATE;  // dash-jump throw: ball power to attack factor
    int32_t NSRATE;  // nice-shot attack factor
    int32_t NNSRATE;  // nice-nice attack factor
    int32_t CRVLAG;  // frames from the curve key to curving
    int32_t NOTAGAGL;  // angle of a diagonal throw without target
    int32_t NOTAGJSAGLY;  // downward angle of a diagonal jump shot without target
    int32_t LIMITAGLX;  // jump-shot limit angle X (horizontal/vertical, %)
    int32_t LIMITAGLZ;  // jump-shot limit angle Z (horizontal/vertical, %)
    int32_t THROUGHTIME;  // frames after the throw in which the ball hits nobody
    int32_t SHOOTMAG;  // shot speed factor (%)
    int32_t FLYTAGY;  // height up to which a knocked-back player is still a target
};

struct DBPASSRec {
    int32_t PAGRV;  // standing pass gravity
    int32_t PAGRV23;  // standing pass gravity between outfield 2 and 3
    int32_t PAGRV14;  // standing pass gravity between the infield and outfield 4
    int32_t PAGRV11;  // standing pass gravity infield to infield
    int32_t PASPD;  // standing pass speed
    int32_t PASPD23;  // standing pass speed between outfield 2 and 3
    int32_t PASPD14;  // standing pass speed between the infield and outfield 4
    int32_t PASPD11;  // standing pass speed infield to infield
    int32_t JPAGRV;  // jump pass gravity
    int32_t JPAGRV23;  // jump pass gravity between outfield 2 and 3
    int32_t JPAGRV14;  // jump pass gravity between the infield and outfield 4
    int32_t JPAGRV11;  // jump pass gravity infield to infield
    int32_t JPASPD;  // jump pass speed
    int32_t JPASPD23;  // jump pass speed between outfield 2 and 3
    int32_t JPASPD14;  // jump pass speed between the infield and outfield 4
    int32_t JPASPD11;  // jump pass speed infield to infield
    int32_t PACAJPTIME;  // jump pass catch timing
    int32_t PACANOJPY;  // jump passes from below this height are not caught with a jump
    int32_t PATAGY;  // aimed height of a standing pass
    int32_t JPATAGY;  // aimed height of a jump pass
    int32_t THROUGHTIME;  // frames after the throw in which the ball hits nobody
    int32_t PASSMAG;  // pass speed factor (%)
};

struct DBFRICRec {
    int32_t SHFRIC;  // shot friction
    int32_t PAFRIC;  // pass friction
};

struct DBETCRec {
    int32_t FCTOSAIMAG;  // unit conversion factor (%), see below
    int32_t DEBUGNUM;  // debug value
};

struct DBLAYOUT_1Rec {
    int32_t BASEX;  // base X
    int32_t BASEY;  // base Y
    int32_t DISTX;  // X spacing
    int32_t DISTY;  // Y spacing
    int32_t DISTX2;  // team X spacing
    int32_t NAME_BX;  // name X
    int32_t NAME_BY;  // name Y
    int32_t FACE_BX;  // face X
    int32_t FACE_BY;  // face Y
    int32_t HPBAR_BX;  // hit-point bar X
    int32_t HPBAR_BY;  // hit-point bar Y
    int32_t Reserved[5];  // not used; no ini keys
};

struct DBDBGRec {
    uint8_t ALLHS_F;  // every shot is a special shot
    uint8_t CPUNOCATCH_F;  // the CPU never catches
    uint8_t CPUALLCATCH_F;  // the CPU catches with high probability
    uint8_t NODAMAGE_F;  // no damage
};

struct DBCPURec {
    int32_t PASSRATIO;  // CPU pass ratio
    int32_t JPRATIO;  // CPU jump ratio
    int32_t JSH_HSTIMING;  // CPU jump-shot special ratio
    int32_t JSH_QCTIMING;  // CPU jump-shot quick-throw ratio
    int32_t JSH_SLTIMING;  // CPU jump-shot late-throw ratio
    int32_t EASY_CATCH;  // CPU catch random value, easy
    int32_t NML_CATCH;  // CPU catch random value, normal
    int32_t HARD_CATCH;  // CPU catch random value, hard
    int32_t ACTWAIT;  // CPU wait before the next action
    int32_t ACTWAITG;  // CPU outfield wait before the next action
};

struct CstDB {
    DBJPRec DBJP;
    DBBRec DBB;
    DBDAMRec DBDAM;
    DBNAIYARec DBNAIYA;
    DBGAIYARec DBGAIYA;
    DBSHOOTRec DBSHOOT;
    DBPASSRec DBPASS;
    DBFRICRec DBFRIC;
    DBETCRec DBETC;
    DBLAYOUT_1Rec DBLAYOUT_1;
    DBDBGRec DBDBG;
    DBCPURec DBCPU;
};
static_assert(sizeof(CstDB) == 556);

// Every field of the table sits at its stored offset.
static_assert(offsetof(CstDB, DBB) == 40 && offsetof(CstDB, DBDAM) == 120 &&
              offsetof(CstDB, DBNAIYA) == 172 && offsetof(CstDB, DBGAIYA) == 228 &&
              offsetof(CstDB, DBSHOOT) == 232 && offsetof(CstDB, DBPASS) == 344 &&
              offsetof(CstDB, DBFRIC) == 432 && offsetof(CstDB, DBETC) == 440 &&
              offsetof(CstDB, DBLAYOUT_1) == 448 && offsetof(CstDB, DBDBG) == 512 &&
              offsetof(CstDB, DBCPU) == 516);
static_assert(offsetof(CstDB, DBLAYOUT_1) + offsetof(DBLAYOUT_1Rec, Reserved) == 492);
static_assert(offsetof(CstDB, DBJP) + offsetof(DBJPRec, GRV) == 0);
static_assert(offsetof(CstDB, DBJP) + offsetof(DBJPRec, BY) == 4);
static_assert(offsetof(CstDB, DBJP) + offsetof(DBJPRec, DBY) == 8);
static_assert(offsetof(CstDB, DBJP) + offsetof(DBJPRec, BX) == 12);
static_assert(offsetof(CstDB, DBJP) + offsetof(DBJPRec, BX2) == 16);
static_assert(offsetof(CstDB, DBJP) + offsetof(DBJPRec, DBX) == 20);
static_assert(offsetof(CstDB, DBJP) + offsetof(DBJPRec, BZ) == 24);
static_assert(offsetof(CstDB, DBJP) + offsetof(DBJPRec, BZ2) == 28);
static_assert(offsetof(CstDB, DBJP) + offsetof(DBJPRec, JUMPCSLTIME) == 32);
static_assert(offsetof(CstDB, DBJP) + offsetof(DBJPRec, NOTKEYH) == 36);
static_assert(offsetof(CstDB, DBB) + offsetof(DBBRec, BWGRV) == 40);
static_assert(offsetof(CstDB, DBB) + offsetof(DBBRec, ATARIW) == 44);
static_assert(offsetof(CstDB, DBB) + offsetof(DBBRec, ATARIH) == 48);
static_assert(offsetof(CstDB, DBB) + offsetof(DBBRec, ATARID) == 52);
static_assert(offsetof(CstDB, DBB) + offsetof(DBBRec, ZATARIW) == 56);
static_assert(offsetof(CstDB, DBB) + offsetof(DBBRec, ZATARIH) == 60);
static_assert(offsetof(CstDB, DBB) + offsetof(DBBRec, ZATARID) == 64);
static_assert(offsetof(CstDB, DBB) + offsetof(DBBRec, FREEATARIW) == 68);
static_assert(offsetof(CstDB, DBB) + offsetof(DBBRec, FREEATARIH) == 72);
static_assert(offsetof(CstDB, DBB) + offsetof(DBBRec, FREEATARID) == 76);
static_assert(offsetof(CstDB, DBB) + offsetof(DBBRec, XWALLABSDX) == 80);
static_assert(offsetof(CstDB, DBB) + offsetof(DBBRec, XWALLABSDZ) == 84);
static_assert(offsetof(CstDB, DBB) + offsetof(DBBRec, ZWALLABSDX) == 88);
static_assert(offsetof(CstDB, DBB) + offsetof(DBBRec, ZWALLABSDZ) == 92);
static_assert(offsetof(CstDB, DBB) + offsetof(DBBRec, BWABSDX) == 96);
static_assert(offsetof(CstDB, DBB) + offsetof(DBBRec, BWABSDY) == 100);
static_assert(offsetof(CstDB, DBB) + offsetof(DBBRec, BWABSDZ) == 104);
static_assert(offsetof(CstDB, DBB) + offsetof(DBBRec, BWENDDY) == 108);
static_assert(offsetof(CstDB, DBB) + offsetof(DBBRec, BWMAXDY) == 112);
static_assert(offsetof(CstDB, DBB) + offsetof(DBBRec, BWMINDYPERDX) == 116);
static_assert(offsetof(CstDB, DBDAM) + offsetof(DBDAMRec, FLYGRV) == 120);
static_assert(offsetof(CstDB, DBDAM) + offsetof(DBDAMRec, DEFKURAIX) == 124);
static_assert(offsetof(CstDB, DBDAM) + offsetof(DBDAMRec, DEFKURAIY) == 128);
static_assert(offsetof(CstDB, DBDAM) + offsetof(DBDAMRec, DEFKURAIW) == 132);
static_assert(offsetof(CstDB, DBDAM) + offsetof(DBDAMRec, DEFKURAIH) == 136);
static_assert(offsetof(CstDB, DBDAM) + offsetof(DBDAMRec, DEFKURAID) == 140);
static_assert(offsetof(CstDB, DBDAM) + offsetof(DBDAMRec, XWALLABSDX) == 144);
static_assert(offsetof(CstDB, DBDAM) + offsetof(DBDAMRec, XWALLABSDZ) == 148);
static_assert(offsetof(CstDB, DBDAM) + offsetof(DBDAMRec, ZWALLABSDX) == 152);
static_assert(offsetof(CstDB, DBDAM) + offsetof(DBDAMRec, ZWALLABSDZ) == 156);
static_assert(offsetof(CstDB, DBDAM) + offsetof(DBDAMRec, ROLLSPD) == 160);
static_assert(offsetof(CstDB, DBDAM) + offsetof(DBDAMRec, WALLBOUNDDY) == 164);
static_assert(offsetof(CstDB, DBDAM) + offsetof(DBDAMRec, FLYSPDPER) == 168);
static_assert(offsetof(CstDB, DBNAIYA) + offsetof(DBNAIYARec, IPOSITV) == 172);
static_assert(offsetof(CstDB, DBNAIYA) + offsetof(DBNAIYARec, YOKEW) == 176);
static_assert(offsetof(CstDB, DBNAIYA) + offsetof(DBNAIYARec, YOKED) == 180);
static_assert(offsetof(CstDB, DBNAIYA) + offsetof(DBNAIYARec, JPYOKEW) == 184);
static_assert(offsetof(CstDB, DBNAIYA) + offsetof(DBNAIYARec, JPYOKED) == 188);
static_assert(offsetof(CstDB, DBNAIYA) + offsetof(DBNAIYARec, JPYOKELANDX) == 192);
static_assert(offsetof(CstDB, DBNAIYA) + offsetof(DBNAIYARec, JPYOKELANDZ) == 196);
static_assert(offsetof(CstDB, DBNAIYA) + offsetof(DBNAIYARec, SHCOVERJPW) == 200);
static_assert(offsetof(CstDB, DBNAIYA) + offsetof(DBNAIYARec, SHCOVERJPD) == 204);
static_assert(offsetof(CstDB, DBNAIYA) + offsetof(DBNAIYARec, NONEDGY) == 208);
static_assert(offsetof(CstDB, DBNAIYA) + offsetof(DBNAIYARec, JUMPDGY) == 212);
static_assert(offsetof(CstDB, DBNAIYA) + offsetof(DBNAIYARec, ECYOKERMT) == 216);
static_assert(offsetof(CstDB, DBNAIYA) + offsetof(DBNAIYARec, MOVCTRLTIME) == 220);
static_assert(offsetof(CstDB, DBNAIYA) + offsetof(DBNAIYARec, DSACCITV) == 224);
static_assert(offsetof(CstDB, DBGAIYA) + offsetof(DBGAIYARec, OPOSITV) == 228);
static_assert(offsetof(CstDB, DBSHOOT) + offsetof(DBSHOOTRec, JNSFRM) == 232);
static_assert(offsetof(CstDB, DBSHOOT) + offsetof(DBSHOOTRec, JNSFRM2) == 236);
static_assert(offsetof(CstDB, DBSHOOT) + offsetof(DBSHOOTRec, DJNSFRM) == 240);
static_assert(offsetof(CstDB, DBSHOOT) + offsetof(DBSHOOTRec, DJNSFRM2) == 244);
static_assert(offsetof(CstDB, DBSHOOT) + offsetof(DBSHOOTRec, JNNSFRM) == 248);
static_assert(offsetof(CstDB, DBSHOOT) + offsetof(DBSHOOTRec, JNNSFRM2) == 252);
static_assert(offsetof(CstDB, DBSHOOT) + offsetof(DBSHOOTRec, DHSSTP) == 256);
static_assert(offsetof(CstDB, DBSHOOT) + offsetof(DBSHOOTRec, DHSSTP2) == 260);
static_assert(offsetof(CstDB, DBSHOOT) + offsetof(DBSHOOTRec, EZDHSSTP) == 264);
static_assert(offsetof(CstDB, DBSHOOT) + offsetof(DBSHOOTRec, EZDHSSTP2) == 268);
static_assert(offsetof(CstDB, DBSHOOT) + offsetof(DBSHOOTRec, DJHSFRM) == 272);
static_assert(offsetof(CstDB, DBSHOOT) + offsetof(DBSHOOTRec, DJHSFRM2) == 276);
static_assert(offsetof(CstDB, DBSHOOT) + offsetof(DBSHOOTRec, EZDJHSFRM) == 280);
static_assert(offsetof(CstDB, DBSHOOT) + offsetof(DBSHOOTRec, EZDJHSFRM2) == 284);
static_assert(offsetof(CstDB, DBSHOOT) + offsetof(DBSHOOTRec, SRATE) == 288);
static_assert(offsetof(CstDB, DBSHOOT) + offsetof(DBSHOOTRec, JSRATE) == 292);
static_assert(offsetof(CstDB, DBSHOOT) + offsetof(DBSHOOTRec, DSRATE) == 296);
static_assert(offsetof(CstDB, DBSHOOT) + offsetof(DBSHOOTRec, DJSRATE) == 300);
static_assert(offsetof(CstDB, DBSHOOT) + offsetof(DBSHOOTRec, NSRATE) == 304);
static_assert(offsetof(CstDB, DBSHOOT) + offsetof(DBSHOOTRec, NNSRATE) == 308);
static_assert(offsetof(CstDB, DBSHOOT) + offsetof(DBSHOOTRec, CRVLAG) == 312);
static_assert(offsetof(CstDB, DBSHOOT) + offsetof(DBSHOOTRec, NOTAGAGL) == 316);
static_assert(offsetof(CstDB, DBSHOOT) + offsetof(DBSHOOTRec, NOTAGJSAGLY) == 320);
static_assert(offsetof(CstDB, DBSHOOT) + offsetof(DBSHOOTRec, LIMITAGLX) == 324);
static_assert(offsetof(CstDB, DBSHOOT) + offsetof(DBSHOOTRec, LIMITAGLZ) == 328);
static_assert(offsetof(CstDB, DBSHOOT) + offsetof(DBSHOOTRec, THROUGHTIME) == 332);
static_assert(offsetof(CstDB, DBSHOOT) + offsetof(DBSHOOTRec, SHOOTMAG) == 336);
static_assert(offsetof(CstDB, DBSHOOT) + offsetof(DBSHOOTRec, FLYTAGY) == 340);
static_assert(offsetof(CstDB, DBPASS) + offsetof(DBPASSRec, PAGRV) == 344);
static_assert(offsetof(CstDB, DBPASS) + offsetof(DBPASSRec, PAGRV23) == 348);
static_assert(offsetof(CstDB, DBPASS) + offsetof(DBPASSRec, PAGRV14) == 352);
static_assert(offsetof(CstDB, DBPASS) + offsetof(DBPASSRec, PAGRV11) == 356);
static_assert(offsetof(CstDB, DBPASS) + offsetof(DBPASSRec, PASPD) == 360);
static_assert(offsetof(CstDB, DBPASS) + offsetof(DBPASSRec, PASPD23) == 364);
static_assert(offsetof(CstDB, DBPASS) + offsetof(DBPASSRec, PASPD14) == 368);
static_assert(offsetof(CstDB, DBPASS) + offsetof(DBPASSRec, PASPD11) == 372);
static_assert(offsetof(CstDB, DBPASS) + offsetof(DBPASSRec, JPAGRV) == 376);
static_assert(offsetof(CstDB, DBPASS) + offsetof(DBPASSRec, JPAGRV23) == 380);
static_assert(offsetof(CstDB, DBPASS) + offsetof(DBPASSRec, JPAGRV14) == 384);
static_assert(offsetof(CstDB, DBPASS) + offsetof(DBPASSRec, JPAGRV11) == 388);
static_assert(offsetof(CstDB, DBPASS) + offsetof(DBPASSRec, JPASPD) == 392);
static_assert(offsetof(CstDB, DBPASS) + offsetof(DBPASSRec, JPASPD23) == 396);
static_assert(offsetof(CstDB, DBPASS) + offsetof(DBPASSRec, JPASPD14) == 400);
static_assert(offsetof(CstDB, DBPASS) + offsetof(DBPASSRec, JPASPD11) == 404);
static_assert(offsetof(CstDB, DBPASS) + offsetof(DBPASSRec, PACAJPTIME) == 408);
static_assert(offsetof(CstDB, DBPASS) + offsetof(DBPASSRec, PACANOJPY) == 412);
static_assert(offsetof(CstDB, DBPASS) + offsetof(DBPASSRec, PATAGY) == 416);
static_assert(offsetof(CstDB, DBPASS) + offsetof(DBPASSRec, JPATAGY) == 420);
static_assert(offsetof(CstDB, DBPASS) + offsetof(DBPASSRec, THROUGHTIME) == 424);
static_assert(offsetof(CstDB, DBPASS) + offsetof(DBPASSRec, PASSMAG) == 428);
static_assert(offsetof(CstDB, DBFRIC) + offsetof(DBFRICRec, SHFRIC) == 432);
static_assert(offsetof(CstDB, DBFRIC) + offsetof(DBFRICRec, PAFRIC) == 436);
static_assert(offsetof(CstDB, DBETC) + offsetof(DBETCRec, FCTOSAIMAG) == 440);
static_assert(offsetof(CstDB, DBETC) + offsetof(DBETCRec, DEBUGNUM) == 444);
static_assert(offsetof(CstDB, DBLAYOUT_1) + offsetof(DBLAYOUT_1Rec, BASEX) == 448);
static_assert(offsetof(CstDB, DBLAYOUT_1) + offsetof(DBLAYOUT_1Rec, BASEY) == 452);
static_assert(offsetof(CstDB, DBLAYOUT_1) + offsetof(DBLAYOUT_1Rec, DISTX) == 456);
static_assert(offsetof(CstDB, DBLAYOUT_1) + offsetof(DBLAYOUT_1Rec, DISTY) == 460);
static_assert(offsetof(CstDB, DBLAYOUT_1) + offsetof(DBLAYOUT_1Rec, DISTX2) == 464);
static_assert(offsetof(CstDB, DBLAYOUT_1) + offsetof(DBLAYOUT_1Rec, NAME_BX) == 468);
static_assert(offsetof(CstDB, DBLAYOUT_1) + offsetof(DBLAYOUT_1Rec, NAME_BY) == 472);
static_assert(offsetof(CstDB, DBLAYOUT_1) + offsetof(DBLAYOUT_1Rec, FACE_BX) == 476);
static_assert(offsetof(CstDB, DBLAYOUT_1) + offsetof(DBLAYOUT_1Rec, FACE_BY) == 480);
static_assert(offsetof(CstDB, DBLAYOUT_1) + offsetof(DBLAYOUT_1Rec, HPBAR_BX) == 484);
static_assert(offsetof(CstDB, DBLAYOUT_1) + offsetof(DBLAYOUT_1Rec, HPBAR_BY) == 488);
static_assert(offsetof(CstDB, DBDBG) + offsetof(DBDBGRec, ALLHS_F) == 512);
static_assert(offsetof(CstDB, DBDBG) + offsetof(DBDBGRec, CPUNOCATCH_F) == 513);
static_assert(offsetof(CstDB, DBDBG) + offsetof(DBDBGRec, CPUALLCATCH_F) == 514);
static_assert(offsetof(CstDB, DBDBG) + offsetof(DBDBGRec, NODAMAGE_F) == 515);
static_assert(offsetof(CstDB, DBCPU) + offsetof(DBCPURec, PASSRATIO) == 516);
static_assert(offsetof(CstDB, DBCPU) + offsetof(DBCPURec, JPRATIO) == 520);
static_assert(offsetof(CstDB, DBCPU) + offsetof(DBCPURec, JSH_HSTIMING) == 524);
static_assert(offsetof(CstDB, DBCPU) + offsetof(DBCPURec, JSH_QCTIMING) == 528);
static_assert(offsetof(CstDB, DBCPU) + offsetof(DBCPURec, JSH_SLTIMING) == 532);
static_assert(offsetof(CstDB, DBCPU) + offsetof(DBCPURec, EASY_CATCH) == 536);
static_assert(offsetof(CstDB, DBCPU) + offsetof(DBCPURec, NML_CATCH) == 540);
static_assert(offsetof(CstDB, DBCPU) + offsetof(DBCPURec, HARD_CATCH) == 544);
static_assert(offsetof(CstDB, DBCPU) + offsetof(DBCPURec, ACTWAIT) == 548);
static_assert(offsetof(CstDB, DBCPU) + offsetof(DBCPURec, ACTWAITG) == 552);
constexpr size_t CSTDB_BYTES = sizeof(CstDB);

// One section of the table as the ini file shows it.
struct CstSectionDesc {
    const char* Name;     // ini section name
    uint32_t Offset;      // byte offset in CstDB
    uint32_t Size;        // bytes
    const char* Comment;  // section comment, Shift-JIS
};

// One key of the table: where it lives, how it is stored, its authoring
// default and its comment.
struct CstFieldDesc {
    enum Kind : uint8_t { kInt32, kBool };
    uint8_t Section;      // index into CstSections()
    const char* Key;      // ini key name
    uint32_t Offset;      // byte offset in CstDB
    Kind Type;            // int32 or one-byte boolean
    int32_t Default;      // value when the authoring ini lacks the key
    const char* Comment;  // key comment, Shift-JIS
};

// The twelve sections and the 137 keys, in record order.
std::span<const CstSectionDesc> CstSections();
std::span<const CstFieldDesc> CstFields();

// Reads or writes one field of the table through its descriptor.
int32_t CstGet(const CstDB& db, const CstFieldDesc& f);
void CstSet(CstDB& db, const CstFieldDesc& f, int32_t v);
// The table with every key at its authoring default.
CstDB CstDefaults();

class TQxMemIniFile;
class TStream;
class TGlobal;

// The tuning-constant table.
class TGlbConst {
public:
    // How the last load ended.
    enum class Load {
        Ok,
        NoFile,      // the archive is missing: the table is kept
        BadArchive,  // the archive failed its checks: the table is kept
        NoEntry,     // the archive lacks the table's entry: the table is zero
        BadTable,    // the table's unit factor FCTOSAIMAG is not positive
        WriteFailed, // the authoring build could not write the record file
    };

    // Creates the table and, when `load`, reads the normal-rule table. Load
    // failures are reported to the global status object `glb` as halts; the
    // build flags of `glb` pick the authoring or the shipped way.
    explicit TGlbConst(bool load = true);
    explicit TGlbConst(TGlobal* glb, bool load = true);
    // Stores the table when it was loaded or stored through IOIni (the
    // authoring build writes its ini and record files).
    ~TGlbConst();
    TGlbConst(const TGlbConst&) = delete;
    TGlbConst& operator=(const TGlbConst&) = delete;

    // Loads (read) or stores the table; `slow` picks the slow-rule table. Runs
    // the authoring or the shipped way by the build. A read that leaves no
    // usable table, or finds the archive without the entry, records a halt
    // with the global status object (code 0 for a missing archive, 2 for any
    // other failure).
    Load IOIni(bool read, bool slow);
    // The two ways, both reachable so each can be tested.
    Load IOIniShipped(bool read, bool slow);
    Load IOIniAuthoring(bool read, bool slow);

    // Reads every key of an ini file into the table, the authoring default
    // standing in for a missing key. False when the file does not exist or the
    // table it gives has no unit factor.
    bool LoadIniFile(const std::string& gamePath);

    // The record file of a rule: "dbini2.sai" for the slow rule, else "dbini.sai".
    static const char* RecordFileName(bool slow) { return slow ? "dbini2.sai" : "dbini.sai"; }
    // Reads the table from an archive image: checks it, then takes the rule's
    // entry. The shipped way once the archive file is in memory.
    Load LoadFromArchive(TStream& archive, bool slow);
    // Zeroes the table and copies up to its size from the bytes.
    void SetRecord(std::span<const uint8_t> bytes);
    // The table may be divided by: its unit factor is positive.
    bool Usable() const { return DB.DBETC.FCTOSAIMAG > 0; }

    TGlobal* Glb = nullptr;      // where load failures are reported
    bool CommentRead_f = false;  // comments were written once in this run
    TQxMemIniFile* SAI2Ini = nullptr;  // not used
    TQxMemIniFile* DBIni = nullptr;  // the authoring build's ini (owned)
    bool Slow_f = false;         // the slow-rule table is current
    CstDB DB = {};
    Load LastLoad = Load::Ok;  // how the last read ended

private:
    bool ioUsed_ = false;  // IOIni ran: freeing stores the table
    bool Authoring() const;
    // Moves the table to (read) or from the ini, section by section in record
    // order, writing the comments while they have not been written this run.
    void TransferIni(TQxMemIniFile& ini, bool read);
    // Frees the authoring ini, writing it to its file first when `save`.
    void FreeIni(bool save);
};

// The one tuning table of the game. The main form creates it at start-up and
// frees it at shutdown; every match object reads GC->DB.
extern TGlbConst* GC;
