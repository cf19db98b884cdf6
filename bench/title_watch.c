/* Start-up timing for bench/game_footprint.sh: starts a program and reports
 * how long it took until one of its windows carried a given caption.
 *
 *   title_watch TITLE TIMEOUT_MS PROGRAM [ARGS...]
 *
 * Prints "PID MS" (MS from just before the program was started to the
 * caption) and leaves the program running; prints "PID timeout" after
 * TIMEOUT_MS without the caption. It watches every window created on the
 * display for caption changes, so nothing polls.
 *
 * Built by the script: cc -O2 title_watch.c -lX11
 */
#define _POSIX_C_SOURCE 200809L
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static double NowMs(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec * 1e3 + (double)t.tv_nsec / 1e6;
}

static int HasTitle(Display* d, Window w, const char* title) {
  XTextProperty p;
  int match = 0;
  if (XGetWMName(d, w, &p) && p.value) {
    match = p.nitems == strlen(title) && memcmp(p.value, title, p.nitems) == 0;
    XFree(p.value);
  }
  return match;
}

static int Handle(Display* d, const XEvent* e, const char* title) {
  if (e->type == CreateNotify) {
    Window w = e->xcreatewindow.window;
    XSelectInput(d, w, PropertyChangeMask);
    return HasTitle(d, w, title);
  }
  if (e->type == PropertyNotify) return HasTitle(d, e->xproperty.window, title);
  return 0;
}

/* A window may be gone before its events are read; that is no failure. */
static int IgnoreErrors(Display* d, XErrorEvent* e) {
  (void)d;
  (void)e;
  return 0;
}

int main(int argc, char** argv) {
  if (argc < 4) {
    fprintf(stderr, "usage: title_watch TITLE TIMEOUT_MS PROGRAM [ARGS...]\n");
    return 2;
  }
  const char* title = argv[1];
  const double timeout = atof(argv[2]);
  Display* d = XOpenDisplay(NULL);
  if (!d) {
    fprintf(stderr, "title_watch: no display\n");
    return 1;
  }
  XSetErrorHandler(IgnoreErrors);
  XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
  XSync(d, False);
  const double start = NowMs();
  pid_t pid = fork();
  if (pid == 0) {
    dup2(2, 1);  /* only the watcher's line goes to standard output */
    execvp(argv[3], argv + 3);
    _exit(127);
  }
  struct pollfd pfd = {ConnectionNumber(d), POLLIN, 0};
  for (;;) {
    while (XPending(d)) {
      XEvent e;
      XNextEvent(d, &e);
      if (Handle(d, &e, title)) {
        printf("%d %.1f\n", (int)pid, NowMs() - start);
        return 0;
      }
    }
    const double left = timeout - (NowMs() - start);
    if (left <= 0) break;
    poll(&pfd, 1, (int)left + 1);
  }
  printf("%d timeout\n", (int)pid);
  return 1;
}
