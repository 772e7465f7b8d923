// tavric-run: runs a script against a reader with no window.
#include <cstdio>

int main() {
  std::fputs("tavric-run: not ready yet\n", stderr);
  return 1;
}
