// Built into the programs of the sanitizer build only.
//
// LeakSanitizer looks for leaks when the process ends, after the libraries
// loaded at run time (the GL driver under the window, the decoder library)
// have been closed again. Memory such a library still held then reads as
// leaked from an "<unknown module>", which no suppression can name. Closing a
// library does nothing here, so every library stays mapped to the end: what
// its data still points to stays reachable, and its own leaks carry its name.
//
// The suppressions are tools/lsan.supp, which names system libraries only.

extern "C" __attribute__((visibility("default"))) int dlclose(void*) noexcept { return 0; }

extern "C" const char* __lsan_default_suppressions() {
  return
#include "lsan_suppressions.inc"
      ;
}
