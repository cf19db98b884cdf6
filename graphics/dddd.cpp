// The display component: modes, presentation, restore and release.
#include "graphics/dddd.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "platform/ScreenSaver.h"

namespace {

using namespace plat::dd;

template <typename... A>
std::string Fmt(const char* f, A... a) {
  char buf[512];
  std::snprintf(buf, sizeof buf, f, a...);
  return buf;
}

// Checked release: a count left over is a failure.
template <typename Obj>
void CheckedRelease(Obj*& o, const char* failMes, const char* doneMes) {
  if (!o) return;
  TRYDD(int32_t(o->Release()), failMes);
  o = nullptr;
  DDDD_Msg(doneMes);
}

// One display component per window.
std::vector<const plat::Host*>& Owners() {
  static std::vector<const plat::Host*> owners;
  return owners;
}

}  // namespace

TDDDD::TDDDD(plat::Host& owner) : FOwner(owner) {
  auto& owners = Owners();
  if (std::find(owners.begin(), owners.end(), &owner) != owners.end()) {
    throw std::logic_error("DDDD\x83\x52\x83\x93\x83\x7C\x81\x5B\x83\x6C\x83\x93\x83\x67\x82\xF0\x81\x41\x93\xAF\x88\xEA\x83\x74\x83\x48\x81\x5B\x83\x80\x82\xC9" "2\x82\xC2\x88\xC8\x8F\xE3\x93\x5C\x82\xE9\x8E\x96\x82\xCD\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1" /* DDDDコンポーネントを、同一フォームに2つ以上貼る事はできません */);
  }
  owners.push_back(&owner);
  FWindow = std::make_unique<plat::HostPresenter>(owner);
  FOwnerOnPaint = owner.OnPaint;
  owner.OnPaint = [this] { DoRestore(); };
  FScreenSaverWasActive = plat::ScreenSaverActive();
  plat::SoftDraw::EnumerateDrivers([this](const plat::DriverInfo& d) {
    std::string entry = d.description + " (" + d.name + ")";
    FDDDriverList.push_back(entry);
    DDDD_Msg("Enumerated DDraw Driver ... " + entry);
    return true;
  });
}

TDDDD::~TDDDD() {
  FAtLast = true;
  FDDDriverList.clear();
  plat::SetScreenSaverActive(FScreenSaverWasActive);
  if (OnDestroy) OnDestroy(this);
  ReleaseAll();
  FOwner.OnPaint = FOwnerOnPaint;
  if (FAfterInit) FOwner.OnWindowEvent = FOwnerWndProc;
  // Whatever is still kept outlives the component: let it forget its owner.
  for (auto& k : SurfaceKeepList) k->FTarget->FOwner = nullptr;
  for (auto& k : TextureKeepList) k->FTarget->FOwner = nullptr;
  SurfaceKeepList.clear();
  TextureKeepList.clear();
  auto& owners = Owners();
  owners.erase(std::remove(owners.begin(), owners.end(), &FOwner), owners.end());
}

void TDDDD::Loaded() {
  setDisableScreenSaver(FDisableScreenSaver);
  SetDebugOption(FDebugOption);
}

void TDDDD::SetDebugOption(TDDDDDebugOption v) {
  FDebugOption = v;
  DDDD_HaltOnError = (v & ddoHaltOnError) != 0;
  DDDD_DebugMessage = (v & ddoDebugMessage) != 0;
}

void TDDDD::setDisableScreenSaver(bool v) {
  FDisableScreenSaver = v;
  plat::SetScreenSaverActive(!v);
}

int32_t TDDDD::getBitDepth() const { return plat::DesktopBitDepth(); }

// ---- form hooks ---------------------------------------------------------
void TDDDD::DoInit(const std::function<void()>& formCreate) {
  SetDisplayMode(false, InitialScreenWidth, InitialScreenHeight, getBitDepth(), 0, "");
  FScrWidth = InitialScreenWidth;
  FScrHeight = InitialScreenHeight;
  FBitDepth = InitialBitDepth;
  if (FAtFirst) {
    FAtFirst = false;
    if (formCreate) formCreate();
    FAfterInit = true;
    if (OnInit) OnInit(false);
    FOwnerWndProc = FOwner.OnWindowEvent;
    FOwner.OnWindowEvent = [this](const plat::WindowEvent& e) { WndProc(e); };
  }
}

void TDDDD::DoRestore() {
  if (!OwnerActive()) return;
  if (FOwnerOnPaint) FOwnerOnPaint();
  if (FSuppressRestore) return;
  // Only a real loss tells the game; an ordinary paint does not.
  if (!Restore()) return;
  UpdatePalette();
  if (OnRestore) OnRestore(this);
}

void TDDDD::WndProc(const plat::WindowEvent& e) {
  if (FFullScreen) {
    switch (e.kind) {
      case plat::WindowEvent::Kind::Moved:
        if (e.x != 0 || e.y != 0) FOwner.SetWindowPos(0, 0);
        break;
      case plat::WindowEvent::Kind::Maximized:
        FOwner.RestoreAndRaise();
        FOwner.SetClientSize(FScrWidth, FScrHeight);
        break;
    }
  }
  if (FOwnerWndProc) FOwnerWndProc(e);
}

// ---- operations ---------------------------------------------------------
void TDDDD::FullScreenMode2(int32_t Mag, bool TrueCol_f, bool DelMCursor_f) {
  SetDisplayMode(true, Mag * DDDD_WIDTH, Mag * DDDD_HEIGHT, TrueCol_f ? 32 : 16, 0, "");
  if (DelMCursor_f) MouseCursorSwitch();
  if (Use3D && FD3DDevice && FBackBuffer) {
    plat::DdRect r{0, 0, FBackBuffer->Width(), FBackBuffer->Height()};
    FD3DDevice->Clear(1, &r, plat::d3d::kClearTarget | plat::d3d::kClearZBuffer, 0, 1.0f, 0);
  }
}

void TDDDD::WindowMode(uint32_t width, uint32_t height) {
  SetDisplayMode(false, int32_t(width), int32_t(height), FBitDepth, 0, "");
}

void TDDDD::Flip() {
  if (!FFrontBuffer || !FBackBuffer || !FFrontBuffer->Surface()) return;
  if (FFullScreen && FFrontBuffer->Surface()->Flip(kFlipWait) == 0) return;
  const plat::DdSurfaceDesc d = FBackBuffer->getDesc();
  plat::DdRect src{0, 0, int32_t(d.width), int32_t(d.height)};
  plat::DdRect dst{0, 0, FClientWidth, FClientHeight};
  if (VsyncAtWindowed && FDDraw) FDDraw->WaitForVerticalBlank(kWaitVbBlockBegin);
  plat::DdBltFx fx;
  if (PC) PC->Start64(0);
  FFrontBuffer->Blt(FBackBuffer.get(), dst, src, kBltWait, fx);
  if (PC) PC->Stop64(0);
}

int32_t TDDDD::Clear() {
  if (!FBackBuffer) return kErrInvalidParams;
  plat::DdRect r{0, 0, FScrWidth, FScrHeight};
  plat::DdRect none{};
  plat::DdBltFx fx;
  fx.fillColor = BackColor;
  return FBackBuffer->Blt(nullptr, r, none, kBltWait | kBltColorFill, fx);
}

bool TDDDD::Restore() {
  const bool lost = (FFrontBuffer && FFrontBuffer->getIsLost()) ||
                    (FBackBuffer && FBackBuffer->getIsLost()) ||
                    (FZBuffer && FZBuffer->getIsLost());
  if (FFrontBuffer) FFrontBuffer->Restore();
  if (!FFullScreen && FBackBuffer) FBackBuffer->Restore();
  if (Use3D && FZBuffer) FZBuffer->Restore();
  return RestoreSurfaces() || lost;
}

void TDDDD::UpdatePalette() {
  if (FBitDepth != 8) return;
  if (FFullScreen) {
    if (DDPalette) {
      TRYDD(DDPalette->SetEntries(0, 256, Palette), "\x83\x70\x83\x8C\x83\x62\x83\x67\x82\xAA\x8D\x58\x90\x56\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD" /* パレットが更新できませんでした */);
    }
    return;
  }
  // In a window the system keeps entries 0-9 and 246-255; ours fill the rest.
  if (DDPalette) {
    plat::PaletteEntry e[256];
    DDPalette->GetEntries(0, 256, e);
    for (int i = 10; i <= 245; ++i) e[i] = Palette[i];
    DDPalette->SetEntries(0, 256, e);
  }
}

void TDDDD::MouseCursorSwitch() {
  if (!FScr_f) return;
  FOwner.ShowCursor(DelMouseCursor_f);
  DelMouseCursor_f = !DelMouseCursor_f;
}

// ---- release ------------------------------------------------------------
void TDDDD::ReleaseAll() {
  FSuppressRestore = true;
  if (FAtFirst && !FDDraw) return;  // nothing made yet
  DDDD_Msg("\x81\x63" "DirectDraw/3D\x8A\xD6\x98\x41\x83\x49\x83\x75\x83\x57\x83\x46\x83\x4E\x83\x67\x82\xF0\x91\x53\x82\xC4\x89\xF0\x95\xFA\x82\xB5\x82\xDC\x82\xB7\x81\x63" /* …DirectDraw/3D関連オブジェクトを全て解放します… */);
  if (FAfterInit) {
    CleanUpSurfaces();
    DDDD_Msg("\x83\x49\x83\x74\x83\x58\x83\x4E\x83\x8A\x81\x5B\x83\x93\x83\x54\x81\x5B\x83\x74\x83\x46\x83\x58\x82\xF0\x91\x53\x82\xC4\x89\xF0\x95\xFA\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* オフスクリーンサーフェスを全て解放しました */);
    if (OnCleanUp) OnCleanUp(this);
  }
  if (Use3D || FD3DDevice || FD3DRMDevice) {
    CheckedRelease(FD3DRMDevice, "Direct3DRMDevice\x82\xCC\x89\xF0\x95\xFA\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* Direct3DRMDeviceの解放に失敗しました */,
                   "Direct3DRMDevice\x82\xF0\x89\xF0\x95\xFA\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* Direct3DRMDeviceを解放しました */);
    CheckedRelease(FD3DDevice, "Direct3DDevice\x82\xCC\x89\xF0\x95\xFA\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* Direct3DDeviceの解放に失敗しました */,
                   "Direct3DDevice\x82\xF0\x89\xF0\x95\xFA\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* Direct3DDeviceを解放しました */);
  }
  // The palette is detached first: attached surfaces hold references to it.
  if (DDPalette) {
    if (FFrontBuffer && FFrontBuffer->Surface()) FFrontBuffer->Surface()->SetPalette(nullptr);
    if (FBackBuffer && FBackBuffer->Surface()) FBackBuffer->Surface()->SetPalette(nullptr);
  }
  CheckedRelease(DDPalette, "\x83\x70\x83\x8C\x83\x62\x83\x67\x82\xCC\x89\xF0\x95\xFA\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* パレットの解放に失敗しました */, "\x83\x70\x83\x8C\x83\x62\x83\x67\x82\xF0\x89\xF0\x95\xFA\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* パレットを解放しました */);
  if (FAtLast) {
    CheckedRelease(FD3DRM, "Direct3DRM3\x82\xCC\x89\xF0\x95\xFA\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* Direct3DRM3の解放に失敗しました */, "Direct3DRM3\x82\xF0\x89\xF0\x95\xFA\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* Direct3DRM3を解放しました */);
  }
  ReleaseZBuffer();
  if (FD3D) {
    FD3D->Release();
    FD3D = nullptr;
    DDDD_Msg("Direct3D\x82\xF0\x89\xF0\x95\xFA\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* Direct3Dを解放しました */);
  }
  if (FBackBuffer) {
    if (FBackBuffer->FSurf) FBackBuffer->FSurf->Release();
    FBackBuffer->FSurf = nullptr;
    FBackBuffer.reset();
    DDDD_Msg("\x83\x6F\x83\x62\x83\x4E\x83\x6F\x83\x62\x83\x74\x83\x40\x82\xF0\x89\xF0\x95\xFA\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* バックバッファを解放しました */);
  }
  if (FFrontBuffer) {
    FFrontBuffer->ReleaseSurface("\x83\x76\x83\x89\x83\x43\x83\x7D\x83\x8A\x83\x54\x81\x5B\x83\x74\x83\x46\x83\x58\x82\xCC\x89\xF0\x95\xFA\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* プライマリサーフェスの解放に失敗しました */);
    FFrontBuffer.reset();
    DDDD_Msg("\x83\x76\x83\x89\x83\x43\x83\x7D\x83\x8A\x83\x54\x81\x5B\x83\x74\x83\x46\x83\x58\x82\xF0\x89\xF0\x95\xFA\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* プライマリサーフェスを解放しました */);
  }
  CheckedRelease(FClipper, "Clipper\x82\xCC\x89\xF0\x95\xFA\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* Clipperの解放に失敗しました */, "\x83\x4E\x83\x8A\x83\x62\x83\x70\x81\x5B\x82\xF0\x89\xF0\x95\xFA\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* クリッパーを解放しました */);
  if (FFullScreen && FDDraw) FDDraw->RestoreDisplayMode();
  CheckedRelease(FDDraw, "DirectDraw\x82\xCC\x89\xF0\x95\xFA\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* DirectDrawの解放に失敗しました */, "DirectDraw\x82\xF0\x89\xF0\x95\xFA\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* DirectDrawを解放しました */);
  DDDD_Msg("\x81\x63" "DirectDraw/3D\x8A\xD6\x98\x41\x83\x49\x83\x75\x83\x57\x83\x46\x83\x4E\x83\x67\x81\x41\x89\xF0\x95\xFA\x8F\x49\x97\xB9\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x63" /* …DirectDraw/3D関連オブジェクト、解放終了しました… */);
}

void TDDDD::ReleaseZBuffer() {
  if (!FZBuffer) return;
  plat::SoftSurface* z = FZBuffer->FSurf;
  if (z) {
    z->Restore();
    if (FBackBuffer && FBackBuffer->FSurf) {
      TRYDD(FBackBuffer->FSurf->DeleteAttachedSurface(z),
            "Z\x83\x6F\x83\x62\x83\x74\x83\x40\x82\xCC\x83\x6F\x83\x62\x83\x4E\x83\x6F\x83\x62\x83\x74\x83\x40\x82\xA9\x82\xE7\x82\xCC\x90\xD8\x92\x66\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* Zバッファのバックバッファからの切断に失敗しました */);
    }
    FZBuffer->FSurf = nullptr;
    TRYDD(int32_t(z->Release()), "Z\x83\x6F\x83\x62\x83\x74\x83\x40\x82\xCC\x89\xF0\x95\xFA\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* Zバッファの解放に失敗しました */);
    DDDD_Msg("Z\x83\x6F\x83\x62\x83\x74\x83\x40\x82\xF0\x89\xF0\x95\xFA\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* Zバッファを解放しました */);
  }
  FZBuffer.reset();
}

// ---- mode setting -------------------------------------------------------
bool TDDDD::CreateDirectDrawByName(const std::string& name) {
  const std::string want = name.substr(0, 255);
  bool made = false;
  plat::SoftDraw::EnumerateDrivers([&](const plat::DriverInfo& d) {
    std::string entry = d.description + " (" + d.name + ")";
    if (entry != want) return true;
    plat::SoftDraw* o = nullptr;
    if (plat::SoftDraw::Create(d.id, &o) != 0) return true;
    FDDraw = o;
    made = true;
    DDDD_Msg("DirectDraw\x83\x49\x83\x75\x83\x57\x83\x46\x83\x4E\x83\x67\x82\xF0\x8D\xEC\x90\xAC\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* DirectDrawオブジェクトを作成しました */);
    char buf[320];
    std::snprintf(buf, sizeof buf, "Created DDraw Driver ... %s %p", entry.c_str(),
                  static_cast<void*>(o));
    DDDD_Msg(buf);
    return false;
  });
  return made;
}

bool TDDDD::isSuport3D(plat::SoftDraw* dd) {
  plat::DdCaps caps, hel;
  if (dd->GetCaps(&caps, &hel) != 0) return false;
  return (caps.caps & kCaps3D) && (caps.surfaceCaps & kCapsTexture);
}

bool TDDDD::SearchDriverFor3D() {
  bool adopted = false;
  plat::SoftDraw::EnumerateDrivers([&](const plat::DriverInfo& d) {
    DDDD_Msg("Enumerated DDraw Driver ... " + d.description);
    if (d.id == 0) return true;
    plat::SoftDraw* o = nullptr;
    // A driver that cannot be opened is skipped, not fatal.
    if (plat::SoftDraw::Create(d.id, &o) != 0 || !o) {
      DDDD_Msg("DirectDraw\x83\x49\x83\x75\x83\x57\x83\x46\x83\x4E\x83\x67\x82\xCC\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* DirectDrawオブジェクトの作成に失敗しました */);
      return true;
    }
    DDDD_Msg("DirectDraw\x83\x49\x83\x75\x83\x57\x83\x46\x83\x4E\x83\x67\x82\xF0\x83\x65\x83\x58\x83\x67\x8D\xEC\x90\xAC\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* DirectDrawオブジェクトをテスト作成しました */);
    if (isSuport3D(o)) {
      FDDraw = o;
      adopted = true;
      DDDD_Msg("\x83\x65\x83\x58\x83\x67\x8D\xEC\x90\xAC\x82\xB3\x82\xEA\x82\xBD" "DirectDraw\x83\x49\x83\x75\x83\x57\x83\x46\x83\x4E\x83\x67\x82\xF0\x8D\xCC\x97\x70\x82\xB5\x82\xDC\x82\xB7" /* テスト作成されたDirectDrawオブジェクトを採用します */);
      return false;
    }
    o->Release();
    DDDD_Msg("\x83\x65\x83\x58\x83\x67\x97\x70" "DirectDraw\x83\x49\x83\x75\x83\x57\x83\x46\x83\x4E\x83\x67\x82\xF0\x89\xF0\x95\xFA\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* テスト用DirectDrawオブジェクトを解放しました */);
    return true;
  });
  return adopted;
}

void TDDDD::SetDisplayMode(bool fFull, int32_t width, int32_t height, int32_t depth,
                           uint32_t freq, const std::string& DDDriverName) {
  DDDD_Msg(Fmt("\x83\x58\x83\x4E\x83\x8A\x81\x5B\x83\x93\x83\x82\x81\x5B\x83\x68%d x %d x %d \x82\xC6\x82\xB5\x82\xC4\x8F\x89\x8A\xFA\x89\xBB\x82\xF0\x8A\x4A\x8E\x6E\x82\xB5\x82\xDC\x82\xB7" /* スクリーンモード%d x %d x %d として初期化を開始します */, width, height, depth));
  FSuppressRestore = true;
  ReleaseAll();
  FScr_f = fFull;

  auto createDefault = [this] {
    TRYDD(plat::SoftDraw::Create(0, &FDDraw), "DirectDraw\x83\x49\x83\x75\x83\x57\x83\x46\x83\x4E\x83\x67\x82\xAA\x8D\xEC\x90\xAC\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1" /* DirectDrawオブジェクトが作成できません */);
    if (FDDraw) DDDD_Msg("DirectDraw\x83\x49\x83\x75\x83\x57\x83\x46\x83\x4E\x83\x67\x82\xF0\x8D\xEC\x90\xAC\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* DirectDrawオブジェクトを作成しました */);
  };
  if (!fFull) {
    DDDD_Msg("\x83\x45\x83\x42\x83\x93\x83\x68\x83\x45\x83\x82\x81\x5B\x83\x68\x82\xC5\x8F\x89\x8A\xFA\x89\xBB\x82\xF0\x8A\x4A\x8E\x6E\x82\xB5\x82\xDC\x82\xB7" /* ウィンドウモードで初期化を開始します */);
    createDefault();
  } else {
    DDDD_Msg("\x83\x74\x83\x8B\x83\x58\x83\x4E\x83\x8A\x81\x5B\x83\x93\x82\xC5\x8F\x89\x8A\xFA\x89\xBB\x82\xF0\x8A\x4A\x8E\x6E\x82\xB5\x82\xDC\x82\xB7" /* フルスクリーンで初期化を開始します */);
    if (!DDDriverName.empty()) {
      DDDD_Msg("\x8E\x77\x92\xE8\x82\xB3\x82\xEA\x82\xBD\x83\x68\x83\x89\x83\x43\x83\x6F " /* 指定されたドライバ  */ + DDDriverName + " \x82\xF0\x8E\x67\x97\x70\x82\xB5\x82\xDC\x82\xB7" /*  を使用します */);
      if (!CreateDirectDrawByName(DDDriverName)) {
        DDDD_Msg("\x8E\x77\x92\xE8\x82\xB3\x82\xEA\x82\xBD\x83\x68\x83\x89\x83\x43\x83\x6F\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE7\x82\xC8\x82\xA9\x82\xC1\x82\xBD\x82\xCC\x82\xC5\x81\x41\x83\x66\x83\x74\x83\x48\x83\x8B\x83\x67\x82\xCC\x83\x68\x83\x89\x83\x43\x83\x6F\x82\xF0\x8E\x67\x97\x70\x82\xB5\x82\xDC\x82\xB7" /* 指定されたドライバが見つからなかったので、デフォルトのドライバを使用します */);
        createDefault();
      }
    } else {
      DDDD_Msg("\x83\x66\x83\x74\x83\x48\x83\x8B\x83\x67\x82\xCC\x83\x68\x83\x89\x83\x43\x83\x6F\x82\xF0\x8E\x67\x97\x70\x82\xB5\x82\xDC\x82\xB7" /* デフォルトのドライバを使用します */);
      if (!Use3D || !SearchDriverFor3D()) createDefault();
    }
  }
  if (!FDDraw) return;  // only reached when failures do not halt

  plat::DdCaps caps, hel;
  FDDraw->GetCaps(&caps, &hel);
  char capsLine[48];
  std::snprintf(capsLine, sizeof capsLine, "Caps:%.16llX", static_cast<unsigned long long>(caps.caps));
  DDDD_Msg(capsLine);

  plat::SoftSurface* front = nullptr;
  plat::SoftSurface* back = nullptr;
  const int32_t desktop = getBitDepth();
  if (fFull) {
    // Coming from a window: remember where it stood, to put it back there.
    int x = 0, y = 0;
    if (!FFullScreen && FOwner.WindowPos(x, y)) {
      WinLeft = x;
      WinTop = y;
      FWinPosKnown = true;
    }
    if (TRYDD(FDDraw->SetCooperativeLevel(FWindow.get(), kSclFullScreenExclusive),
              "\x8B\xA6\x92\xB2\x83\x8C\x83\x78\x83\x8B\x82\xCC\x90\xDD\x92\xE8\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* 協調レベルの設定に失敗しました */) != 0) return;
    if (TRYDD(FDDraw->SetDisplayMode(uint32_t(width), uint32_t(height), uint32_t(depth), freq, 0),
              Fmt("\x89\xE6\x96\xCA\x83\x82\x81\x5B\x83\x68%dx%dx%d\x82\xCC\x8F\x89\x8A\xFA\x89\xBB\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* 画面モード%dx%dx%dの初期化に失敗しました */, width, height, depth)) != 0) {
      return;
    }
    FCanUseHAL = (caps.caps & kCaps3D) && desktop > 8;
    plat::DdSurfaceDesc d;
    d.flags = kSdCaps | kSdBackBufferCount;
    d.backBufferCount = 1;
    d.caps = kCapsPrimarySurface | kCapsFlip | kCapsComplex | (Use3D ? kCaps3DDevice : 0);
    if (TRYDD(FDDraw->CreateSurface(d, &front), "\x83\x76\x83\x89\x83\x43\x83\x7D\x83\x8A\x81\x45\x83\x54\x81\x5B\x83\x74\x83\x46\x83\x58\x82\xCC\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* プライマリ・サーフェスの作成に失敗しました */) != 0) {
      return;
    }
    if (TRYDD(front->GetAttachedSurface(kCapsBackBuffer, &back),
              "\x83\x6F\x83\x62\x83\x4E\x83\x6F\x83\x62\x83\x74\x83\x40\x82\xCC\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* バックバッファの作成に失敗しました */) != 0) {
      front->Release();
      return;
    }
    FOwner.SetClientSize(width, height);
    FOwner.SetFullScreen(true);
    FOwner.RestoreAndRaise();
  } else {
    if (TRYDD(FDDraw->SetCooperativeLevel(FWindow.get(), kSclNormal),
              "\x8B\xA6\x92\xB2\x83\x8C\x83\x78\x83\x8B\x82\xCC\x90\xDD\x92\xE8\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* 協調レベルの設定に失敗しました */) != 0) return;
    FCanUseHAL = (caps.caps & kCaps3D) && desktop > 8;
    plat::DdSurfaceDesc d;
    d.flags = kSdCaps;
    d.caps = kCapsPrimarySurface;
    if (TRYDD(FDDraw->CreateSurface(d, &front), "\x83\x76\x83\x89\x83\x43\x83\x7D\x83\x8A\x81\x45\x83\x54\x81\x5B\x83\x74\x83\x46\x83\x58\x82\xCC\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* プライマリ・サーフェスの作成に失敗しました */) != 0) {
      return;
    }
    plat::DdSurfaceDesc b;
    b.flags = kSdCaps | kSdHeight | kSdWidth;
    b.width = uint32_t(width);
    b.height = uint32_t(height);
    const uint32_t vid = kCapsOffscreenPlain | kCapsVideoMemory;
    const uint32_t sys = kCapsOffscreenPlain | kCapsSystemMemory;
    const bool noHal = ((D3DOptions & DontUseTnLHAL) && (D3DOptions & DontUseHAL)) || !FCanUseHAL;
    switch (BackBufferLocationAtWindowed) {
      case bmtDefault:
      case bmtCompatible:
        if (!Use3D) {
          b.caps = BackBufferLocationAtWindowed == bmtDefault ? vid : sys;
        } else {
          b.caps = noHal ? (sys | kCaps3DDevice) : (vid | kCaps3DDevice);
        }
        break;
      case bmtSystemMemory: b.caps = sys | (Use3D ? kCaps3DDevice : 0); break;
      case bmtVideoMemory: b.caps = vid | (Use3D ? kCaps3DDevice : 0); break;
    }
    if (FDDraw->CreateSurface(b, &back) != 0) {
      b.caps &= ~kCapsVideoMemory;
      if (TRYDD(FDDraw->CreateSurface(b, &back), "\x83\x6F\x83\x62\x83\x4E\x83\x6F\x83\x62\x83\x74\x83\x40\x82\xCC\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* バックバッファの作成に失敗しました */) != 0) {
        front->Release();
        return;
      }
    }
    plat::DdSurfaceDesc got;
    back->GetSurfaceDesc(&got);
    if ((got.caps & kCapsVideoMemory) && (got.caps & kCapsNonLocalVidMem)) {
      DDDD_Msg("\x83\x6F\x83\x62\x83\x4E\x83\x6F\x83\x62\x83\x74\x83\x40\x82\xF0\x83\x6D\x83\x93\x83\x8D\x81\x5B\x83\x4A\x83\x8B\x83\x72\x83\x66\x83\x49\x83\x81\x83\x82\x83\x8A\x82\xC9\x94\x7A\x92\x75\x82\xB5\x82\xDC\x82\xB7" /* バックバッファをノンローカルビデオメモリに配置します */);
    } else if (got.caps & kCapsVideoMemory) {
      DDDD_Msg("\x83\x6F\x83\x62\x83\x4E\x83\x6F\x83\x62\x83\x74\x83\x40\x82\xF0\x83\x72\x83\x66\x83\x49\x83\x81\x83\x82\x83\x8A\x82\xC9\x94\x7A\x92\x75\x82\xB5\x82\xDC\x82\xB7" /* バックバッファをビデオメモリに配置します */);
    } else if (got.caps & kCapsSystemMemory) {
      DDDD_Msg("\x83\x6F\x83\x62\x83\x4E\x83\x6F\x83\x62\x83\x74\x83\x40\x82\xF0\x83\x56\x83\x58\x83\x65\x83\x80\x83\x81\x83\x82\x83\x8A\x82\xC9\x94\x7A\x92\x75\x82\xB5\x82\xDC\x82\xB7" /* バックバッファをシステムメモリに配置します */);
    } else {
      DDDD_Msg("\x83\x6F\x83\x62\x83\x4E\x83\x6F\x83\x62\x83\x74\x83\x40\x82\xF0\x83\x68\x83\x89\x83\x43\x83\x6F\x82\xCC\x83\x66\x83\x74\x83\x48\x83\x8B\x83\x67\x82\xCC\x88\xCA\x92\x75(\x82\xA8\x82\xBB\x82\xE7\x82\xAD\x83\x72\x83\x66\x83\x49\x83\x81\x83\x82\x83\x8A)\x82\xC9\x94\x7A\x92\x75\x82\xB5\x82\xDC\x82\xB7" /* バックバッファをドライバのデフォルトの位置(おそらくビデオメモリ)に配置します */);
    }
  }

  // The wrappers own nothing but are what the release walks.
  FFrontBuffer = std::make_unique<TDDDDGenSurface>(this, front, width, height);
  FBackBuffer = std::make_unique<TDDDDGenSurface>(this, back, width, height);

  if (TRYDD(FDDraw->CreateClipper(0, &FClipper), "Clipper\x83\x49\x83\x75\x83\x57\x83\x46\x83\x4E\x83\x67\x82\xCC\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* Clipperオブジェクトの作成に失敗しました */) != 0) {
    return;
  }
  if (TRYDD(FClipper->SetWindow(FWindow.get()), "Clipper\x82\xCC\x83\x74\x83\x48\x81\x5B\x83\x80\x82\xD6\x82\xCC\x8A\x84\x82\xE8\x93\x96\x82\xC4\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* Clipperのフォームへの割り当てに失敗しました */) != 0) {
    return;
  }
  if (TRYDD(front->SetClipper(FClipper), "Clipper\x82\xCC\x83\x76\x83\x89\x83\x43\x83\x7D\x83\x8A\x83\x54\x81\x5B\x83\x74\x83\x46\x83\x58\x82\xD6\x82\xCC\x8A\x84\x82\xE8\x93\x96\x82\xC4\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* Clipperのプライマリサーフェスへの割り当てに失敗しました */) != 0) {
    return;
  }

  FBitDepth = desktop;
  if (!fFull) {
    FOwner.SetFullScreen(false);
    FOwner.SetClientSize(width, height);
    if (FFullScreen && FWinPosKnown) FOwner.SetWindowPos(WinLeft, WinTop);
  }
  FFullScreen = fFull;
  FClientWidth = width;
  FClientHeight = height;
  FFreq = freq;
  FScrWidth = width;
  FScrHeight = height;

  // Palette entries: plain for 2D, a 3-3-2 colour cube for full-screen 3D.
  if (!Use3D) {
    for (auto& e : Palette) e.flags = 4;
  } else if (fFull) {
    for (int i = 0; i < 256; ++i) {
      Palette[i] = {uint8_t(((i >> 5) & 7) * 255 / 7), uint8_t(((i >> 2) & 7) * 255 / 7),
                    uint8_t((i & 3) * 255 / 3), 0x40};
    }
  } else {
    for (int i = 0; i < 256; ++i) Palette[i].flags = (i <= 9 || i >= 246) ? 0x40 : 1;
  }
  if (desktop == 8 || (fFull && depth == 8)) {
    if (TRYDD(FDDraw->CreatePalette(kPalCaps8Bit, Palette, &DDPalette),
              "DirectDrawPalette\x82\xCC\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* DirectDrawPaletteの作成に失敗しました */) == 0) {
      TRYDD(front->SetPalette(DDPalette), "DirectDrawPalette\x82\xCC" "FrontBuffer\x82\xD6\x82\xCC\x8A\x84\x82\xE8\x93\x96\x82\xC4\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* DirectDrawPaletteのFrontBufferへの割り当てに失敗しました */);
      TRYDD(back->SetPalette(DDPalette), "DirectDrawPalette\x82\xCC" "BackBuffer\x82\xD6\x82\xCC\x8A\x84\x82\xE8\x93\x96\x82\xC4\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* DirectDrawPaletteのBackBufferへの割り当てに失敗しました */);
    }
  }

  if (Use3D) Create3DSide(width, height);

  FSuppressRestore = false;
  if (!FAtFirst && FAfterInit) {
    RecoverSurfaces();
    if (OnChangeDisplayMode) OnChangeDisplayMode(this);
  }
  DDDD_Msg("");
}

// ---- the 3D side --------------------------------------------------------
namespace {
struct DeviceStep {
  TD3DDeviceType type;
  plat::d3d::DeviceKind kind;
  TD3DOptions skip;
  bool video;
  bool hardware;
  const char* used;
  const char* zFail;
  const char* devFail;
};
}  // namespace

bool TDDDD::CreateZBuffer(plat::d3d::DeviceKind kind, bool fVideo, int32_t width, int32_t height) {
  ReleaseZBuffer();
  const bool stencil = (D3DOptions & MakeStencilBuffer) != 0;
  if (!stencil && !(D3DOptions & MakeZBuffer)) return true;
  const uint32_t want = stencil ? (kPfZBuffer | kPfStencilBuffer) : kPfZBuffer;
  plat::DdPixelFormat zpf;
  bool found = false;
  FD3D->EnumZBufferFormats(kind, [&](const plat::DdPixelFormat& pf) {
    if (pf.flags != want) return true;
    char buf[200];
    std::snprintf(buf, sizeof buf, "%sZDepth=%d SDepth=%d Mask=(Z:%.8x S:%.8x L:%.8x)",
                  stencil ? "\x97\xF1\x8B\x93\x82\xB3\x82\xEA\x82\xBD\x83\x58\x83\x65\x83\x93\x83\x56\x83\x8B\x83\x6F\x83\x62\x83\x74\x83\x40\x82\xCC\x83\x74\x83\x48\x81\x5B\x83\x7D\x83\x62\x83\x67..." /* 列挙されたステンシルバッファのフォーマット... */
                          : "\x97\xF1\x8B\x93\x82\xB3\x82\xEA\x82\xBDZ\x83\x6F\x83\x62\x83\x74\x83\x40\x82\xCC\x83\x74\x83\x48\x81\x5B\x83\x7D\x83\x62\x83\x67..." /* 列挙されたZバッファのフォーマット... */,
                  int(pf.bitCount), int(pf.stencilBits), pf.zMask, pf.stencilMask, pf.aMask);
    DDDD_Msg(buf);
    zpf = pf;
    found = true;
    return false;
  });
  plat::DdSurfaceDesc d;
  d.flags = kSdCaps | kSdHeight | kSdWidth | kSdPixelFormat;
  d.width = uint32_t(width);
  d.height = uint32_t(height);
  d.caps = kCapsZBuffer | (fVideo ? 0 : kCapsSystemMemory);
  d.pf = zpf;
  plat::SoftSurface* z = nullptr;
  if (!found || FDDraw->CreateSurface(d, &z) != 0) {
    DDDD_Msg(stencil ? "\x83\x58\x83\x65\x83\x93\x83\x56\x83\x8B\x83\x6F\x83\x62\x83\x74\x83\x40\x82\xCC\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* ステンシルバッファの作成に失敗しました */ : "Z\x83\x6F\x83\x62\x83\x74\x83\x40\x82\xCC\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* Zバッファの作成に失敗しました */);
    return false;
  }
  if (FBackBuffer->FSurf->AddAttachedSurface(z) != 0) {
    z->Release();
    DDDD_Msg(stencil ? "\x83\x58\x83\x65\x83\x93\x83\x56\x83\x8B\x83\x6F\x83\x62\x83\x74\x83\x40\x82\xCC\x83\x41\x83\x5E\x83\x62\x83\x60\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* ステンシルバッファのアタッチに失敗しました */ : "Z\x83\x6F\x83\x62\x83\x74\x83\x40\x82\xCC\x83\x41\x83\x5E\x83\x62\x83\x60\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* Zバッファのアタッチに失敗しました */);
    return false;
  }
  FZBuffer = std::make_unique<TDDDDGenSurface>(this, z, width, height);
  DDDD_Msg(stencil ? "\x83\x58\x83\x65\x83\x93\x83\x56\x83\x8B\x83\x6F\x83\x62\x83\x74\x83\x40\x82\xF0\x8D\xEC\x90\xAC\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* ステンシルバッファを作成しました */ : "Z\x83\x6F\x83\x62\x83\x74\x83\x40\x82\xF0\x8D\xEC\x90\xAC\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* Zバッファを作成しました */);
  return true;
}

void TDDDD::Create3DSide(int32_t width, int32_t height) {
  using plat::d3d::DeviceKind;
  if (TRYDD(FDDraw->QueryDirect3D(&FD3D), "Direct3D\x83\x49\x83\x75\x83\x57\x83\x46\x83\x4E\x83\x67\x82\xCC\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* Direct3Dオブジェクトの作成に失敗しました */) != 0) return;
  if (!FD3DRM) {
    if (TRYDD(plat::SoftRM::Create(&FD3DRM), "Direct3DRM\x83\x49\x83\x75\x83\x57\x83\x46\x83\x4E\x83\x67\x82\xCC\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* Direct3DRMオブジェクトの作成に失敗しました */) != 0) {
      return;
    }
  }
  FValidD3DDeviceType = 0;
  FD3D->EnumDevices([this](const plat::d3d::DeviceDesc& d) {
    FValidD3DDeviceType |= 1u << int(d.kind);
    return true;
  });
  FHALEnabled = false;
  const DeviceStep steps[] = {
      {dtTnLHAL, plat::d3d::kTnLHal, DontUseTnLHAL, true, true, "T&L HAL\x83\x66\x83\x6F\x83\x43\x83\x58\x82\xF0\x8E\x67\x97\x70\x82\xB5\x82\xDC\x82\xB7" /* T&L HALデバイスを使用します */,
       "T&L HAL\x83\x66\x83\x6F\x83\x43\x83\x58\x97\x70Z\x83\x6F\x83\x62\x83\x74\x83\x40\x82\xAA\x8D\xEC\x82\xEA\x82\xDC\x82\xB9\x82\xF1" /* T&L HALデバイス用Zバッファが作れません */, "T&L HAL\x83\x66\x83\x6F\x83\x43\x83\x58\x82\xAA\x8D\xEC\x82\xEA\x82\xDC\x82\xB9\x82\xF1" /* T&L HALデバイスが作れません */},
      {dtHAL, plat::d3d::kHal, DontUseHAL, true, true, "HAL\x83\x66\x83\x6F\x83\x43\x83\x58\x82\xF0\x8E\x67\x97\x70\x82\xB5\x82\xDC\x82\xB7" /* HALデバイスを使用します */,
       "HAL\x83\x66\x83\x6F\x83\x43\x83\x58\x97\x70Z\x83\x6F\x83\x62\x83\x74\x83\x40\x82\xAA\x8D\xEC\x82\xEA\x82\xDC\x82\xB9\x82\xF1" /* HALデバイス用Zバッファが作れません */, "HAL\x83\x66\x83\x6F\x83\x43\x83\x58\x82\xAA\x8D\xEC\x82\xEA\x82\xDC\x82\xB9\x82\xF1" /* HALデバイスが作れません */},
      {dtMMX, plat::d3d::kMMX, DontUseMMX, false, false, "MMX\x83\x47\x83\x7E\x83\x85\x83\x8C\x81\x5B\x83\x56\x83\x87\x83\x93\x83\x66\x83\x6F\x83\x43\x83\x58\x82\xF0\x8E\x67\x97\x70\x82\xB5\x82\xDC\x82\xB7" /* MMXエミュレーションデバイスを使用します */,
       nullptr, nullptr},
      {dtRGB, plat::d3d::kRGB, DontUseRGBEmulation, false, false,
       "RGB\x83\x47\x83\x7E\x83\x85\x83\x8C\x81\x5B\x83\x56\x83\x87\x83\x93\x83\x66\x83\x6F\x83\x43\x83\x58\x82\xF0\x8E\x67\x97\x70\x82\xB5\x82\xDC\x82\xB7" /* RGBエミュレーションデバイスを使用します */, nullptr, nullptr},
      {dtRamp, plat::d3d::kRamp, 0, false, false, "Ramp\x83\x47\x83\x7E\x83\x85\x83\x8C\x81\x5B\x83\x56\x83\x87\x83\x93\x83\x66\x83\x6F\x83\x43\x83\x58\x82\xF0\x8E\x67\x97\x70\x82\xB5\x82\xDC\x82\xB7" /* Rampエミュレーションデバイスを使用します */,
       nullptr, nullptr},
      {dtRef, plat::d3d::kRef, 0, false, false, "\x83\x8A\x83\x74\x83\x40\x83\x8C\x83\x93\x83\x58\x83\x89\x83\x58\x83\x5E\x83\x89\x83\x43\x83\x55\x82\xF0\x8E\x67\x97\x70\x82\xB5\x82\xDC\x82\xB7" /* リファレンスラスタライザを使用します */, nullptr,
       nullptr},
  };
  bool made = false;
  DeviceKind chosen = plat::d3d::kRGB;
  for (const DeviceStep& s : steps) {
    if (made) break;
    if (s.skip && (D3DOptions & s.skip)) continue;
    if (s.hardware && !FCanUseHAL) continue;
    if (!CreateZBuffer(s.kind, s.video, width, height)) {
      if (s.zFail) DDDD_Msg(s.zFail);
      continue;
    }
    int32_t r = FD3D->CreateDevice(s.kind, FBackBuffer->FSurf, &FD3DDevice);
    if (r != 0) {
      if (s.devFail) {
        char code[24];
        std::snprintf(code, sizeof code, "%.16llX",
                      static_cast<unsigned long long>(static_cast<int64_t>(r)));
        DDDD_Msg(std::string(s.devFail) + code);
      }
      FD3DDevice = nullptr;
      continue;
    }
    made = true;
    FD3DDeviceType = s.type;
    chosen = s.kind;
    DDDD_Msg(s.used);
    if (s.hardware) FHALEnabled = true;
  }
  if (!made) {
    // The renderer cannot draw without a device: report it like any failed call.
    ReleaseZBuffer();
    TRYDD(kErrUnsupported, "Direct3D\x83\x66\x83\x6F\x83\x43\x83\x58\x82\xAA\x8D\xEC\x82\xEA\x82\xDC\x82\xB9\x82\xF1" /* Direct3Dデバイスが作れません */);
    return;
  }
  if (!FFullScreen && FD3DDeviceType != dtTnLHAL) {
    TRYDD(FD3DRM->CreateDeviceFromClipper(FClipper, chosen, uint32_t(width), uint32_t(height),
                                          &FD3DRMDevice),
          "Diret3DRM\x83\x66\x83\x6F\x83\x43\x83\x58\x82\xCC\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* Diret3DRMデバイスの作成に失敗しました */);
  }
  DDDD_Msg(FHALEnabled ? "\x83\x6E\x81\x5B\x83\x68\x83\x45\x83\x46\x83\x41\x83\x41\x83\x4E\x83\x5A\x83\x89\x83\x8C\x81\x5B\x83\x56\x83\x87\x83\x93\x89\xC2" /* ハードウェアアクセラレーション可 */ : "\x83\x6E\x81\x5B\x83\x68\x83\x45\x83\x46\x83\x41\x83\x41\x83\x4E\x83\x5A\x83\x89\x83\x8C\x81\x5B\x83\x56\x83\x87\x83\x93\x95\x73\x89\xC2" /* ハードウェアアクセラレーション不可 */);
}
