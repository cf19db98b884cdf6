// Program entry of the game.
#include <cstdio>

int main() {
  std::puts("qorv");
  return 0;
}
