// Texture records of the renderer: tiles made from 32-bit pictures, empty
// textures, freeing, and the list every made texture is kept in so that it
// can be made again after display memory was lost.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "graphics/AlphaLib32.h"
#include "graphics/dddd.h"

namespace {

void StoreRaw(uint8_t* p, uint32_t bytes, uint32_t v) { std::memcpy(p, &v, bytes); }
uint32_t LoadRaw(const uint8_t* p, uint32_t bytes) {
  uint32_t v = 0;
  std::memcpy(&v, p, bytes);
  return v;
}

// A locked tile: writes outside it are dropped.
struct LockedTile {
  TDDDDGenSurface* s = nullptr;
  plat::DdSurfaceDesc d;
  uint32_t bytes = 0;
  bool ok = false;
  explicit LockedTile(TDDDDGenSurface* t) : s(t) {
    if (s && s->Lock(d) == 0 && d.surface) {
      bytes = d.pf.bitCount / 8;
      ok = bytes >= 1 && bytes <= 4;
    }
  }
  ~LockedTile() {
    if (s && d.surface) s->UnLock();
  }
  bool Put(int32_t x, int32_t y, uint32_t v) {
    if (!ok || x < 0 || y < 0 || uint32_t(x) >= d.width || uint32_t(y) >= d.height) return false;
    StoreRaw(d.surface + size_t(y) * d.pitch + size_t(x) * bytes, bytes, v);
    return true;
  }
  uint32_t Get(int32_t x, int32_t y) const {
    if (!ok || x < 0 || y < 0 || uint32_t(x) >= d.width || uint32_t(y) >= d.height) return 0;
    return LoadRaw(d.surface + size_t(y) * d.pitch + size_t(x) * bytes, bytes);
  }
};

bool Made(TDDDDGenSurface* s) { return s && s->Surface(); }

}  // namespace

bool TAlpha32::TileRestored(const TALTexture& t) {
  return t.HasTiles() && t.Texture[0][0]->IsRestore();
}

TALLoadState TAlpha32::InitLSt(ColKeyType CK, int32_t Pal, bool DDLR_f, bool DDRoll_f,
                               const ALRect& SrcR) {
  TALLoadState st;
  st.CK = CK;
  st.Pal = Pal;
  st.DDLR_f = DDLR_f;
  st.DDRoll_f = DDRoll_f;
  st.ScrR = SrcR;
  return st;
}

void TAlpha32::FreeTiles(TALTexture& t) {
  for (auto& col : t.Texture)
    for (TDDDDGenSurface*& s : col) {
      delete s;
      s = nullptr;
    }
  t.Texture.clear();
  delete t.DDLRTexture;
  t.DDLRTexture = nullptr;
}

TALTexture TAlpha32::MakeTex(const AL32Pixels& bmp, const std::string& filename,
                             TALLoadState& LSt) {
  TALTexture t;
  if (bmp.Width <= 0 || bmp.Height <= 0 || !QD) return t;
  StartPC(13);
  const int32_t w = bmp.Width, h = bmp.Height;
  t.BmpWidth = w;
  t.BmpHeight = h;
  t.DDLR_f = LSt.DDLR_f;
  auto fail = [&](int32_t fw, int32_t fh, const std::string& name) {
    AL32_DebugMessage("\x81\x9C\x81\x9C\x81\x9C\x83" "e\x83N\x83X\x83`\x83\x83\x82\xAA\x90\xB6\x90\xAC\x8Fo\x97\x88\x82\xDC\x82\xB9\x82\xF1" /* ●●●テクスチャが生成出来ません */);
    char buf[64];
    std::snprintf(buf, sizeof buf, "  %d x %d", int(fw), int(fh));
    AL32_DebugMessage(buf);
    AL32_DebugMessage("  filename : " + name);
    AL32_DebugMessage("  PixelFormat : " + ARGBPIXELFORMAT);
    // A partly made texture is no texture: the load answers false.
    FreeTiles(t);
    t.pgX = t.pgY = 0;
    if (PC) PC->Stop(13);
    return t;
  };
  const std::string& fmt = ALPHATEXTURE ? ARGBPIXELFORMAT : RGBPIXELFORMAT;
  if (FDDraw_f) {
    t.Width = w * ALMag;
    t.Height = h * ALMag;
    t.Texture.assign(1, std::vector<TDDDDGenSurface*>(1, nullptr));
    t.Texture[0][0] = new TDDDDSurface(QD, t.Width, t.Height, 0, RGBPIXELFORMAT, filename);
    if (!Made(t.Texture[0][0])) return fail(t.Width, t.Height, filename);
    if (t.DDLR_f) {
      t.DDLRTexture = new TDDDDSurface(QD, t.Width, t.Height, 0, RGBPIXELFORMAT,
                                       filename + "(\x8D\xB6\x89" "E\x94\xBD\x93]\x97p)" /* (左右反転用) */);
      if (!Made(t.DDLRTexture)) return fail(t.Width, t.Height, filename);
    }
  } else if (w <= MAXTEXSIZE && h <= MAXTEXSIZE) {
    t.Width = w;
    t.Height = h;
    t.Texture.assign(1, std::vector<TDDDDGenSurface*>(1, nullptr));
    t.Texture[0][0] = new TDDDDTexture(QD, w, h, 0, fmt, filename);
    if (!Made(t.Texture[0][0])) return fail(w, h, filename);
  } else {
    t.Width = w;
    t.Height = h;
    const int32_t cols = (w + MAXTEXSIZE - 1) / MAXTEXSIZE, rows = (h + MAXTEXSIZE - 1) / MAXTEXSIZE;
    if (cols > 256 || rows > 256) return fail(w, h, filename);  // past the tile counters
    t.pgX = uint8_t(cols - 1);
    t.pgY = uint8_t(rows - 1);
    t.Texture.assign(size_t(cols), std::vector<TDDDDGenSurface*>(size_t(rows), nullptr));
    for (int32_t c = 0; c < cols; ++c)
      for (int32_t r = 0; r < rows; ++r) {
        const std::string name =
            filename + "[" + std::to_string(c) + "," + std::to_string(r) + "]";
        t.Texture[c][r] = new TDDDDTexture(QD, MAXTEXSIZE, MAXTEXSIZE, 0, fmt, name);
        if (!Made(t.Texture[c][r])) return fail(MAXTEXSIZE, MAXTEXSIZE, name);
      }
  }
  BitmapToTexture(t, bmp, ALRect{}, LSt.CK, &LSt.PE, false);
  char buf[128];
  std::snprintf(buf, sizeof buf, "\x81@\x81" "E%d x %d \x83" "e\x83N\x83X\x83`\x83\x83\x82\xC9\x93W\x8AJ\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* 　・%d x %d テクスチャに展開しました */,
                int(w), int(h));
  AL32_DebugMessage(buf);
  StopPC("MakeTex", 13);
  return t;
}

void TAlpha32::BitmapToTexture(TALTexture& dest, const AL32Pixels& src, const ALRect& rrr,
                               ColKeyType CK, const TPalEntry* pPE, bool TXW_f) {
  if (!dest.HasTiles() || src.Width <= 0 || src.Height <= 0 ||
      src.Px.size() < size_t(src.Width) * size_t(src.Height))
    return;
  ALRect r = rrr;
  if (r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0)
    r = {0, 0, src.Width, src.Height};
  // Only pixels of the picture are read.
  r.left = std::max(r.left, 0);
  r.top = std::max(r.top, 0);
  r.right = std::min(r.right, src.Width);
  r.bottom = std::min(r.bottom, src.Height);
  if (r.right <= r.left || r.bottom <= r.top) return;
  StartPC(10);

  bool keyFound = false;
  uint32_t key = 0;
  auto value = [&](TDDDDGenSurface* tile, uint32_t px) {
    uint8_t a = uint8_t(px >> 24), rr = uint8_t(px >> 16), g = uint8_t(px >> 8), b = uint8_t(px);
    if (TXW_f) a = rr = g = b;
    return tile->ARGBToPhysical(a, rr, g, b);
  };
  auto palKey = [&](TDDDDGenSurface* tile) {
    const TPalEntry pe = pPE ? *pPE : TPalEntry{};
    return tile->TColorToPhysical(int32_t(pe.red | pe.green << 8 | pe.blue << 16));
  };

  if (FDDraw_f) {
    const int32_t M = ALMag;
    TDDDDGenSurface* tile = dest.Texture[0][0];
    {
      LockedTile lt(tile);
      for (int32_t y = r.top; y < r.bottom; ++y)
        for (int32_t x = r.left; x < r.right; ++x) {
          const uint32_t px = src.At(x, y);
          const uint32_t v = value(tile, px);
          for (int32_t j = 0; j < M; ++j)
            for (int32_t i = 0; i < M; ++i) lt.Put(M * x + i, M * y + j, v);
          if (!keyFound && CK == ckPix00 && (px >> 24) == 0) {
            key = lt.Get(M * x, M * y);
            keyFound = true;
          } else if (!keyFound && CK == ckPalNo0) {
            key = palKey(tile);
            keyFound = true;
          }
        }
    }
    if (dest.DDLR_f && dest.DDLRTexture) {
      LockedTile lt(dest.DDLRTexture);
      for (int32_t y = r.top; y < r.bottom; ++y)
        for (int32_t x = r.left; x < r.right; ++x) {
          const uint32_t v = value(dest.DDLRTexture, src.At(x, y));
          for (int32_t j = 0; j < M; ++j)
            for (int32_t i = 0; i < M; ++i) lt.Put(M * (r.right - x) - 1 - i, M * y + j, v);
        }
    }
  } else {
    const int32_t rows = int32_t(dest.Texture[0].size());
    for (int32_t row = 0; row < rows; ++row) {
      const int32_t y0 = std::max(r.top, MAXTEXSIZE * row);
      const int32_t y1 = std::min(r.bottom, MAXTEXSIZE * (row + 1));
      if (y0 >= y1) continue;
      std::vector<std::unique_ptr<LockedTile>> locked;
      for (auto& col : dest.Texture)
        locked.push_back(std::make_unique<LockedTile>(size_t(row) < col.size() ? col[row] : nullptr));
      for (int32_t y = y0; y < y1; ++y)
        for (int32_t x = r.left; x < r.right; ++x) {
          const size_t c = size_t(x / MAXTEXSIZE);
          if (c >= locked.size() || !locked[c]->s) continue;
          LockedTile& lt = *locked[c];
          const uint32_t px = src.At(x, y);
          lt.Put(x % MAXTEXSIZE, y % MAXTEXSIZE, value(lt.s, px));
          if (!keyFound && CK == ckPix00 && (px >> 24) == 0) {
            key = lt.Get(x % MAXTEXSIZE, y % MAXTEXSIZE);
            keyFound = true;
          } else if (!keyFound && CK == ckPalNo0) {
            key = palKey(lt.s);
            keyFound = true;
          }
        }
    }
  }
  if (CK != ckNone && keyFound) {
    for (auto& col : dest.Texture)
      for (TDDDDGenSurface* s : col)
        if (s) s->setColorKey(key);
    if (dest.DDLRTexture) dest.DDLRTexture->setColorKey(key);
  }
  StopPC("BitmapToTexture", 10);
}

bool TAlpha32::MakeEmptyTexture(TALTexture& tx, const std::string& tUse, int32_t Size,
                                int32_t tpgx, int32_t tpgy) {
  AL32_DebugMessage("\x81\xA5\x81@MakeEmptyTexture" /* ▼　MakeEmptyTexture */);
  FreeTexture(tx);
  if (!QD || Size <= 0 || tpgx < 0 || tpgy < 0 || tpgx > 255 || tpgy > 255) return false;
  TALTexture t;
  t.ALSt = alsEmp;
  t.pgX = uint8_t(tpgx);
  t.pgY = uint8_t(tpgy);
  t.Width = t.BmpWidth = (tpgx + 1) * Size;
  t.Height = t.BmpHeight = (tpgy + 1) * Size;
  t.Mag = ALMag;
  t.LoadSt.Source = asEmp;
  t.LoadSt.FileName = tUse;
  t.LoadSt.CK = ckNone;
  t.LoadSt.Pal = -1;
  t.LoadSt.Size = Size;
  t.LoadSt.tpgx = tpgx;
  t.LoadSt.tpgy = tpgy;
  t.LoadSt.SrcR = {0, 0, t.Width, t.Height};
  t.Texture.assign(size_t(tpgx + 1), std::vector<TDDDDGenSurface*>(size_t(tpgy + 1), nullptr));
  const std::string& fmt = ALPHATEXTURE ? ARGBPIXELFORMAT : RGBPIXELFORMAT;
  for (int32_t c = 0; c <= tpgx; ++c)
    for (int32_t r = 0; r <= tpgy; ++r) {
      const std::string name =
          tUse + "EmpTx[" + std::to_string(c) + "," + std::to_string(r) + "]";
      if (FDDraw_f) {
        t.Texture[c][r] = new TDDDDSurface(QD, Size * ALMag, Size * ALMag, 0, RGBPIXELFORMAT, name);
      } else {
        t.Texture[c][r] = new TDDDDTexture(QD, Size, Size, 0, fmt, name);
      }
      if (!Made(t.Texture[c][r])) {
        AL32_DebugMessage("\x81\x9C\x81\x9C\x81\x9C\x83" "e\x83N\x83X\x83`\x83\x83\x82\xAA\x90\xB6\x90\xAC\x8Fo\x97\x88\x82\xDC\x82\xB9\x82\xF1" /* ●●●テクスチャが生成出来ません */);
        char buf[64];
        std::snprintf(buf, sizeof buf, "  %d x %d", int(Size), int(Size));
        AL32_DebugMessage(buf);
        FreeTiles(t);
        return false;
      }
    }
  tx = t;
  ListTexture(tx);
  AL32_DebugMessage("\x81@\x81@\x81" "ELNo." /* 　　・LNo. */ + std::to_string(tx.ListIndex) + " " + tUse +
                    "\x8B\xF3\x83" "e\x83N\x83X\x83`\x83\x83\x82\xF0\x90\xB6\x90\xAC\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* 空テクスチャを生成しました */);
  return true;
}

bool TAlpha32::FreeTexture(TALTexture& tx) {
  if (!tx.HasTiles()) {
    AL32_DebugMessage("\x81\xA5\x81@FreeTexture\x82\xC5\x82\xB7\x82\xAAnil\x82\xC8\x82\xCC\x82\xC5\x8Fo\x82\xDC\x82\xB7" /* ▼　FreeTextureですがnilなので出ます */);
    FreeTiles(tx);  // whatever partial state it had
    return false;
  }
  AL32_DebugMessage("\x81\xA5\x81@FreeTexture" /* ▼　FreeTexture */);
  if (!FDDraw_f) D3DSetTexture(nullptr, true);
  tx.ALSt = alsNil;
  const bool mirrored = tx.DDLRTexture != nullptr;
  FreeTiles(tx);
  AL32_DebugMessage("\x81@\x81" "ELNo." /* 　・LNo. */ + std::to_string(tx.ListIndex) + " " + tx.LoadSt.FileName +
                    "\x82\xF0\x89\xF0\x95\xFA\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* を解放しました */);
  if (mirrored)
    AL32_DebugMessage("\x81@\x81@\x81" "E\x94\xBD\x93]\x97p\x83" "e\x83N\x83X\x83`\x83\x83\x82\xE0\x89\xF0\x95\xFA\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* 　　・反転用テクスチャも解放しました */);
  if (tx.ListIndex >= 0 && size_t(tx.ListIndex) < TexList2.size() && TexList2[tx.ListIndex] == &tx)
    TexList2[tx.ListIndex] = nullptr;
  return true;
}

void TAlpha32::ListTexture(TALTexture& tx) {
  TexList2.push_back(&tx);
  tx.ListIndex = int32_t(TexList2.size() - 1);
}

void TAlpha32::TextureListFree() {
  AL32_DebugMessage("\x81@\x81" "E\x83" "e\x83N\x83X\x83`\x83\x83\x83\x8A\x83X\x83g\x82\xF0\x89\xF0\x95\xFA\x82\xB5\x82\xDC\x82\xB7" /* 　・テクスチャリストを解放します */);
  for (size_t i = 0; i < TexList2.size(); ++i) {
    if (!TexList2[i]) {
      AL32_DebugMessage("\x81@\x81@LNo." /* 　　LNo. */ + std::to_string(i) + "  \x89\xF0\x95\xFA\x8D\xCF\x82\xDD" /*   解放済み */);
    } else {
      AL32_DebugMessage("\x81@\x81@\x81\x9C\x81\x9C\x81\x9CLNo." /* 　　●●●LNo. */ + std::to_string(i) +
                        " \x82\xCC\x83" "e\x83N\x83X\x83`\x83\x83\x82\xAA\x96\xA2\x89\xF0\x95\xFA\x82\xC5\x82\xB7" /*  のテクスチャが未解放です */);
    }
  }
  TexList2.clear();
}
