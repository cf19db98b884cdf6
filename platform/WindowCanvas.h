// Drawing with the window's canvas: boxes and text laid over the frame the
// window shows, in client pixels, as the window system's own drawing would
// put them there. Both hosts paint the same way through PaintCanvas.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// One thing drawn on the canvas. A box fills w x h with Fill. A text (Text
// not empty) is drawn with the face at FontPx pixels, unsmoothed, its cell
// first filled with Fill (the canvas brush) and its strokes in Ink.
struct CanvasItem {
  int X = 0, Y = 0;
  int W = 0, H = 0;
  uint32_t Fill = 0xFFFFFF;  // 0x00RRGGBB
  std::string Text;          // Shift-JIS
  std::string Face;          // Shift-JIS face name
  int FontPx = 0;
  uint32_t Ink = 0;
};

// Paints the items in order into 32-bit pixels (pitch in pixels), clipped to
// w x h. Every painted pixel is its colour with `opaque` or-ed in, so an
// overlay that starts at 0 keeps the unpainted pixels transparent.
void PaintCanvas(uint32_t* pixels, int w, int h, int pitch, const std::vector<CanvasItem>& items,
                 uint32_t opaque = 0);

}  // namespace plat
