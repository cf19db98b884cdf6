/* The reference the running game is measured against (bench/game_footprint.sh):
 * a bare SDL program that opens the game's window and presents frames as the
 * game's host does (a streaming texture of the 512 x 240 screen scaled into
 * the client area), and does nothing else.
 *
 *   reference_window frame W H   opens the window, presents one frame, waits
 *                                one frame period and sets the caption
 *                                "first frame" (as the game's first loop call
 *                                presents, waits, then writes its caption);
 *                                then waits to be ended
 *   reference_window loop W H    presents a frame every 16 ms and sleeps in
 *                                between, until it is ended
 *
 * Built by the script: cc -O2 reference_window.c $(pkg-config --cflags --libs sdl2)
 */
#define _POSIX_C_SOURCE 200809L
#include <SDL.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

enum { kScreenW = 512, kScreenH = 240, kPeriodNs = 16000000 };

static SDL_Renderer* renderer;
static SDL_Texture* texture;
static uint32_t pixels[kScreenW * kScreenH];

static int OpenWindow(int w, int h, SDL_Window** window) {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return 0;
  *window = SDL_CreateWindow("tumbo2.0t", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w, h,
                             SDL_WINDOW_SHOWN);
  if (!*window) return 0;
  renderer = SDL_CreateRenderer(*window, -1, SDL_RENDERER_ACCELERATED);
  if (!renderer) renderer = SDL_CreateRenderer(*window, -1, SDL_RENDERER_SOFTWARE);
  if (!renderer) return 0;
  SDL_RenderSetLogicalSize(renderer, w, h);
  texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                              kScreenW, kScreenH);
  return texture != NULL;
}

/* One frame whose pixels change every time, uploaded and shown. */
static void Present(unsigned frame) {
  for (int y = 0; y < kScreenH; ++y)
    for (int x = 0; x < kScreenW; ++x)
      pixels[y * kScreenW + x] = ((uint32_t)(x + frame) & 0xFF) << 16 | (uint32_t)y << 8;
  SDL_UpdateTexture(texture, NULL, pixels, kScreenW * (int)sizeof(uint32_t));
  SDL_RenderClear(renderer);
  SDL_RenderCopy(renderer, texture, NULL, NULL);
  SDL_RenderPresent(renderer);
}

static int Quit(void) {
  SDL_Event e;
  while (SDL_PollEvent(&e))
    if (e.type == SDL_QUIT) return 1;
  return 0;
}

static void SleepUntil(struct timespec* at) {
  at->tv_nsec += kPeriodNs;
  if (at->tv_nsec >= 1000000000L) {
    at->tv_nsec -= 1000000000L;
    ++at->tv_sec;
  }
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, at, NULL) != 0) {
  }
}

int main(int argc, char** argv) {
  if (argc != 4 || (strcmp(argv[1], "frame") != 0 && strcmp(argv[1], "loop") != 0)) {
    fprintf(stderr, "usage: reference_window frame|loop W H\n");
    return 2;
  }
  SDL_Window* window = NULL;
  if (!OpenWindow(atoi(argv[2]), atoi(argv[3]), &window)) {
    fprintf(stderr, "reference_window: %s\n", SDL_GetError());
    return 1;
  }
  struct timespec next;
  clock_gettime(CLOCK_MONOTONIC, &next);
  unsigned frame = 0;
  Present(frame++);
  if (strcmp(argv[1], "frame") == 0) {
    SleepUntil(&next);
    SDL_SetWindowTitle(window, "first frame");
    while (!Quit()) SDL_WaitEventTimeout(NULL, 100);
  } else {
    while (!Quit()) {
      SleepUntil(&next);
      Present(frame++);
    }
  }
  SDL_Quit();
  return 0;
}
