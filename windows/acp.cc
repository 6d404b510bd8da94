// Prints the ANSI code page that Windows programs run with here, so the test
// scripts can refuse to go on unless it is 936 (GBK).
#include <windows.h>

#include <cstdio>

int main() {
  std::printf("%u\n", GetACP());
  return 0;
}
