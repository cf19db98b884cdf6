#include "platform/SdlToolkit.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

#include "platform/DisplayLoss.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/SjisText.h"

namespace plat {

namespace detail {
void SetMessageBoxParent(SDL_Window* window);
}

namespace {

// Classic dialog colours.
constexpr SDL_Color kFace{212, 208, 200, 255};
constexpr SDL_Color kLight{255, 255, 255, 255};
constexpr SDL_Color kShadow{128, 128, 128, 255};
constexpr SDL_Color kDark{64, 64, 64, 255};
constexpr SDL_Color kWindow{255, 255, 255, 255};
constexpr SDL_Color kText{0, 0, 0, 255};
constexpr SDL_Color kFocusBack{255, 250, 205, 255};
constexpr SDL_Color kFocusLine{10, 36, 106, 255};

// Fonts tried in order; the first that opens is used.
const char* const kLatinFonts[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
    "/usr/share/fonts/truetype/freefont/FreeSans.ttf",
};
const char* const kCjkFonts[] = {
    "/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf",
    "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
    "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf",
    "/usr/share/fonts/truetype/fonts-japanese-gothic.ttf",
};
constexpr int kFontPx = 12;
constexpr int kCjkFontPx = 12;

bool HasDisplay() {
  const char* d = ::getenv("DISPLAY");
  const char* w = ::getenv("WAYLAND_DISPLAY");
  const char* drv = ::getenv("SDL_VIDEODRIVER");
  if (drv && std::string(drv) == "dummy") return false;
  return (d && *d) || (w && *w);
}

}  // namespace

struct SdlToolkit::Impl {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  TTF_Font* latin = nullptr;
  TTF_Font* cjk = nullptr;
  bool videoUp = false;
  bool ttfUp = false;
  std::string shownCaption;
  int pressed = -1;      // control the left button went down on
  int pressedItem = -1;  // and its radio item
  int mouseX = 0, mouseY = 0;

  struct Text {
    SDL_Texture* texture = nullptr;
    int w = 0, h = 0;
  };
  std::map<std::string, Text> texts;

  ~Impl() {
    ClearTexts();
    if (latin) TTF_CloseFont(latin);
    if (cjk) TTF_CloseFont(cjk);
    if (ttfUp) TTF_Quit();
    detail::SetMessageBoxParent(nullptr);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
    if (videoUp) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

  void ClearTexts() {
    for (auto& [key, t] : texts)
      if (t.texture) SDL_DestroyTexture(t.texture);
    texts.clear();
  }

  void OpenFonts() {
    if (TTF_Init() != 0) return;
    ttfUp = true;
    for (const char* f : kLatinFonts)
      if (!latin) latin = TTF_OpenFont(f, kFontPx);
    for (const char* f : kCjkFonts)
      if (!cjk) cjk = TTF_OpenFont(f, kCjkFontPx);
    if (!latin && !cjk) std::fprintf(stderr, "tumbotcfg: no TrueType font found; texts are not shown\n");
  }

  // The font a character is drawn with: the Latin font when it has the glyph,
  // else the CJK font (the usual CJK fallback fonts lack Latin letters).
  TTF_Font* FontFor(uint32_t cp) {
    if (latin && TTF_GlyphIsProvided32(latin, cp)) return latin;
    if (cjk && TTF_GlyphIsProvided32(cjk, cp)) return cjk;
    return latin ? latin : cjk;
  }

  // A Shift-JIS text drawn once and kept: cut into runs of one font each,
  // drawn run by run on a common baseline.
  const Text& Render(const std::string& sjis, SDL_Color c) {
    std::string key = sjis;
    key.push_back('\0');
    key.append(reinterpret_cast<const char*>(&c), sizeof c);
    auto it = texts.find(key);
    if (it != texts.end()) return it->second;
    if (texts.size() > 1024) ClearTexts();
    Text t;
    std::vector<std::pair<TTF_Font*, std::string>> runs;
    const std::string utf8 = SjisToUtf8(sjis);
    for (size_t i = 0; i < utf8.size();) {
      size_t len = 1;
      unsigned char b = (unsigned char)utf8[i];
      uint32_t cp = b;
      if (b >= 0xF0) len = 4, cp = b & 0x07;
      else if (b >= 0xE0) len = 3, cp = b & 0x0F;
      else if (b >= 0xC0) len = 2, cp = b & 0x1F;
      len = std::min(len, utf8.size() - i);
      for (size_t k = 1; k < len; ++k) cp = (cp << 6) | ((unsigned char)utf8[i + k] & 0x3F);
      TTF_Font* f = FontFor(cp);
      if (runs.empty() || runs.back().first != f) runs.emplace_back(f, std::string());
      runs.back().second.append(utf8, i, len);
      i += len;
    }
    std::vector<SDL_Surface*> parts;
    int width = 0, ascent = 0, descent = 0;
    for (auto& [font, text] : runs) {
      SDL_Surface* s = font ? TTF_RenderUTF8_Blended(font, text.c_str(), c) : nullptr;
      parts.push_back(s);
      if (!s) continue;
      width += s->w;
      ascent = std::max(ascent, TTF_FontAscent(font));
      descent = std::max(descent, s->h - TTF_FontAscent(font));
    }
    if (width > 0) {
      SDL_Surface* all = SDL_CreateRGBSurfaceWithFormat(0, width, ascent + descent, 32,
                                                        SDL_PIXELFORMAT_ARGB8888);
      if (all) {
        int x = 0;
        for (size_t r = 0; r < parts.size(); ++r) {
          if (!parts[r]) continue;
          SDL_SetSurfaceBlendMode(parts[r], SDL_BLENDMODE_NONE);
          SDL_Rect dst{x, ascent - TTF_FontAscent(runs[r].first), parts[r]->w, parts[r]->h};
          SDL_BlitSurface(parts[r], nullptr, all, &dst);
          x += parts[r]->w;
        }
        t.texture = SDL_CreateTextureFromSurface(renderer, all);
        if (t.texture) SDL_SetTextureBlendMode(t.texture, SDL_BLENDMODE_BLEND);
        t.w = all->w;
        t.h = all->h;
        SDL_FreeSurface(all);
      }
    }
    for (SDL_Surface* s : parts)
      if (s) SDL_FreeSurface(s);
    return texts.emplace(key, t).first->second;
  }

  int TextHeight() {
    TTF_Font* font = latin ? latin : cjk;
    return font ? TTF_FontHeight(font) : kFontPx;
  }

  void DrawText(const std::string& sjis, int x, int y, SDL_Color c) {
    const Text& t = Render(sjis, c);
    if (!t.texture) return;
    SDL_Rect dst{x, y, t.w, t.h};
    SDL_RenderCopy(renderer, t.texture, nullptr, &dst);
  }

  // Text of a control; a disabled one is greyed with a light emboss.
  void DrawLabelText(const std::string& sjis, int x, int y, bool usable) {
    if (usable) {
      DrawText(sjis, x, y, kText);
    } else {
      DrawText(sjis, x + 1, y + 1, kLight);
      DrawText(sjis, x, y, kShadow);
    }
  }

  void SetColor(SDL_Color c) { SDL_SetRenderDrawColor(renderer, c.r, c.g, c.b, c.a); }
  void Fill(const TkRect& r, SDL_Color c) {
    SetColor(c);
    SDL_Rect s{r.x, r.y, r.w, r.h};
    SDL_RenderFillRect(renderer, &s);
  }
  void HLine(int x0, int x1, int y, SDL_Color c) {
    SetColor(c);
    SDL_RenderDrawLine(renderer, x0, y, x1, y);
  }
  void VLine(int x, int y0, int y1, SDL_Color c) {
    SetColor(c);
    SDL_RenderDrawLine(renderer, x, y0, x, y1);
  }
  // A one-pixel bevel: top-left in one colour, bottom-right in another.
  void Bevel(const TkRect& r, SDL_Color topLeft, SDL_Color bottomRight) {
    HLine(r.x, r.x + r.w - 1, r.y, topLeft);
    VLine(r.x, r.y, r.y + r.h - 1, topLeft);
    HLine(r.x, r.x + r.w - 1, r.y + r.h - 1, bottomRight);
    VLine(r.x + r.w - 1, r.y, r.y + r.h - 1, bottomRight);
  }
  static TkRect Inset(const TkRect& r, int d) { return {r.x + d, r.y + d, r.w - 2 * d, r.h - 2 * d}; }

  // Sunken two-pixel border, as around edits and check boxes.
  void Sunken(const TkRect& r) {
    Bevel(r, kShadow, kLight);
    Bevel(Inset(r, 1), kDark, kFace);
  }

  // An etched frame with its caption over the top line.
  void Frame(const TkRect& r, const std::string& caption, bool usable) {
    int top = r.y + TextHeight() / 2;
    TkRect f{r.x, top, r.w, r.h - (top - r.y)};
    Bevel(f, kShadow, kLight);
    Bevel(Inset(f, 1), kLight, kShadow);
    if (!caption.empty()) {
      const Text& t = Render(caption, kText);
      Fill({r.x + 6, r.y, t.w + 4, TextHeight()}, kFace);
      DrawLabelText(caption, r.x + 8, r.y, usable);
    }
  }

  void Disc(int cx, int cy, double radius, SDL_Color c) {
    SetColor(c);
    int r = int(radius) + 1;
    for (int dy = -r; dy <= r; ++dy)
      for (int dx = -r; dx <= r; ++dx)
        if ((dx + 0.5) * (dx + 0.5) + (dy + 0.5) * (dy + 0.5) <= radius * radius)
          SDL_RenderDrawPoint(renderer, cx + dx, cy + dy);
  }

  void RadioMark(int x, int y, bool selected, bool usable) {
    // A sunken circle: the shadow half, then the light half, then the well.
    Disc(x + 6, y + 6, 6.0, kShadow);
    Disc(x + 7, y + 7, 5.5, kLight);
    Disc(x + 6, y + 6, 5.0, kDark);
    Disc(x + 6, y + 6, 4.0, usable ? kWindow : kFace);
    if (selected) Disc(x + 6, y + 6, 2.0, usable ? kText : kShadow);
  }

  void CheckMark(const TkRect& box, bool usable) {
    SetColor(usable ? kText : kShadow);
    int x = box.x + 3, y = box.y + 5;
    for (int i = 0; i < 3; ++i) {
      SDL_RenderDrawLine(renderer, x, y + i, x + 2, y + 2 + i);
      SDL_RenderDrawLine(renderer, x + 2, y + 2 + i, x + 6, y - 2 + i);
    }
  }

  void DrawControl(const TkForm& form, int id) {
    const TkControl& c = form[id];
    const bool usable = form.IsUsable(id);
    const int th = TextHeight();
    const int textY = c.bounds.y + (c.bounds.h - th) / 2;
    switch (c.kind) {
      case TkKind::kLabel: {
        SDL_Rect clip{c.bounds.x, c.bounds.y, c.bounds.w, c.bounds.h};
        SDL_RenderSetClipRect(renderer, &clip);
        DrawLabelText(c.text, c.bounds.x, textY, usable);
        SDL_RenderSetClipRect(renderer, nullptr);
        break;
      }
      case TkKind::kGroupBox:
        Frame(c.bounds, c.text, usable);
        break;
      case TkKind::kButton: {
        bool down = pressed == id && c.bounds.Contains(mouseX, mouseY);
        Fill(c.bounds, kFace);
        if (down) {
          Bevel(c.bounds, kDark, kDark);
          Bevel(Inset(c.bounds, 1), kShadow, kShadow);
        } else {
          Bevel(c.bounds, kLight, kDark);
          Bevel(Inset(c.bounds, 1), kFace, kShadow);
        }
        const Text& t = Render(c.text, kText);
        int off = down ? 1 : 0;
        DrawLabelText(c.text, c.bounds.x + (c.bounds.w - t.w) / 2 + off, textY + off, usable);
        if (form.Focused() == id) {
          SetColor(kShadow);
          SDL_Rect fr{c.bounds.x + 4, c.bounds.y + 4, c.bounds.w - 8, c.bounds.h - 8};
          SDL_RenderDrawRect(renderer, &fr);
        }
        break;
      }
      case TkKind::kCheckBox: {
        TkRect box{c.bounds.x, c.bounds.y + (c.bounds.h - 13) / 2, 13, 13};
        Fill(box, usable ? kWindow : kFace);
        Sunken(box);
        if (c.checked) CheckMark(box, usable);
        DrawLabelText(c.text, c.bounds.x + 19, textY, usable);
        break;
      }
      case TkKind::kRadioGroup: {
        Frame(c.bounds, c.text, usable);
        for (int i = 0; i < int(c.items.size()); ++i) {
          TkRect ir = form.ItemRect(id, i);
          RadioMark(ir.x, ir.y + (ir.h - 13) / 2, c.itemIndex == i, usable);
          DrawLabelText(c.items[size_t(i)], ir.x + 19, ir.y + (ir.h - th) / 2, usable);
        }
        break;
      }
      case TkKind::kEdit: {
        bool focused = form.Focused() == id;
        Fill(c.bounds, !usable ? kFace : focused ? kFocusBack : kWindow);
        Sunken(c.bounds);
        if (focused) {
          SetColor(kFocusLine);
          SDL_Rect fr{c.bounds.x + 2, c.bounds.y + 2, c.bounds.w - 4, c.bounds.h - 4};
          SDL_RenderDrawRect(renderer, &fr);
        }
        SDL_Rect clip{c.bounds.x + 2, c.bounds.y + 2, c.bounds.w - 4, c.bounds.h - 4};
        SDL_RenderSetClipRect(renderer, &clip);
        DrawLabelText(c.text, c.bounds.x + 5, textY, usable);
        SDL_RenderSetClipRect(renderer, nullptr);
        break;
      }
    }
  }

  void Draw(const TkForm& form) {
    SetColor(kFace);
    SDL_RenderClear(renderer);
    for (int id = 0; id < form.Count(); ++id)
      if (form.IsShowing(id)) DrawControl(form, id);
    SDL_RenderPresent(renderer);
  }

  void Dispatch(const SDL_Event& e, TkForm& form, bool& quit) {
    switch (e.type) {
      case SDL_QUIT:
        quit = true;
        break;
      case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) quit = true;
        break;
      case SDL_MOUSEMOTION:
        mouseX = e.motion.x;
        mouseY = e.motion.y;
        break;
      case SDL_MOUSEBUTTONDOWN:
        if (e.button.button != SDL_BUTTON_LEFT) break;
        mouseX = e.button.x;
        mouseY = e.button.y;
        pressed = form.HitTest(mouseX, mouseY, &pressedItem);
        // An edit takes the focus as the button goes down; the other controls
        // act when it comes up over them.
        if (pressed >= 0 && form[pressed].kind == TkKind::kEdit) form.Click(pressed);
        break;
      case SDL_MOUSEBUTTONUP: {
        if (e.button.button != SDL_BUTTON_LEFT) break;
        mouseX = e.button.x;
        mouseY = e.button.y;
        int item = -1;
        int id = form.HitTest(mouseX, mouseY, &item);
        int was = pressed;
        pressed = -1;
        if (id < 0 || id != was) break;
        TkKind kind = form[id].kind;
        if (kind == TkKind::kRadioGroup) {
          if (item >= 0 && item == pressedItem) form.ClickItem(id, item);
        } else if (kind == TkKind::kButton || kind == TkKind::kCheckBox) {
          form.Click(id);
        }
        break;
      }
      default:
        break;
    }
  }
};

SdlToolkit::SdlToolkit() : impl_(std::make_unique<Impl>()), title_("tumbotcfg") {}
SdlToolkit::~SdlToolkit() = default;

void SdlToolkit::SetTitle(const std::string& titleSjis) {
  title_ = titleSjis;
  SetMessageBoxTitle(titleSjis);
}

bool SdlToolkit::AskOkCancel(const std::string& textSjis, const std::string& captionSjis) {
  std::string text = SjisToUtf8(textSjis);
  if (!HasDisplay()) {
    std::fprintf(stderr, "%s (cancelled: no display)\n", ShowControls(text).c_str());
    return false;
  }
  std::string caption = SjisToUtf8(captionSjis);
  std::string lines = SjisToUtf8(WrapBoxText(textSjis));
  const SDL_MessageBoxButtonData buttons[] = {
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "Cancel"},
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "OK"},
  };
  SDL_MessageBoxData box{};
  box.flags = SDL_MESSAGEBOX_INFORMATION;
  box.window = impl_->window;
  box.title = caption.c_str();
  box.message = lines.c_str();
  box.numbuttons = 2;
  box.buttons = buttons;
  int hit = 0, shown = -1;
  detail::ShowGuarded([&] { shown = SDL_ShowMessageBox(&box, &hit); });
  return shown == 0 && hit == 1;
}

bool SdlToolkit::Run(TkForm& form) {
  Impl& d = *impl_;
  if (!d.videoUp) {
    SDL_SetHint(SDL_HINT_APP_NAME, SjisToUtf8(title_).c_str());
    ::setenv("SDL_VIDEO_X11_WMCLASS", SjisToUtf8(title_).c_str(), 0);
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    if (!StartVideoWithDisplay("tumbotcfg")) return false;
    d.videoUp = true;
  }
  d.shownCaption = form.caption;
  d.window = SDL_CreateWindow(SjisToUtf8(form.caption).c_str(), SDL_WINDOWPOS_CENTERED,
                              SDL_WINDOWPOS_CENTERED, form.clientW, form.clientH, SDL_WINDOW_SHOWN);
  if (!d.window) {
    std::fprintf(stderr, "tumbotcfg: cannot open the window: %s\n", SDL_GetError());
    return false;
  }
  d.renderer = SDL_CreateRenderer(d.window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
  if (!d.renderer) d.renderer = SDL_CreateRenderer(d.window, -1, SDL_RENDERER_SOFTWARE);
  if (!d.renderer) return false;
  SDL_RenderSetLogicalSize(d.renderer, form.clientW, form.clientH);
  detail::SetMessageBoxParent(d.window);
  d.OpenFonts();

  bool quit = false;
  uint32_t lastDraw = 0;
  bool dirty = true;
  while (!terminated_ && !quit) {
    SDL_Event e;
    int wait = int(std::min<uint32_t>(form.MsToNextTimer(), 16));
    if (SDL_WaitEventTimeout(&e, wait)) {
      d.Dispatch(e, form, quit);
      while (SDL_PollEvent(&e)) d.Dispatch(e, form, quit);
      dirty = true;
    }
    if (form.RunDueTimers() > 0) dirty = true;
    if (form.caption != d.shownCaption) {
      d.shownCaption = form.caption;
      SDL_SetWindowTitle(d.window, SjisToUtf8(form.caption).c_str());
    }
    // Timers may change any text; a redraw every few ticks keeps up with them.
    uint32_t now = SDL_GetTicks();
    if (dirty || now - lastDraw >= 50) {
      d.Draw(form);
      lastDraw = now;
      dirty = false;
    }
  }
  ConfirmDisplayBeforeExit(d.window);
  return true;
}

}  // namespace plat
