// Test helper: another process that holds the named mutex given as its argument until it is ended.
#include <windows.h>

int main(int argc, char** argv) {
  if (argc != 2 || CreateMutexA(nullptr, FALSE, argv[1]) == nullptr) return 1;
  Sleep(60000);  // bounded, so a test that dies early does not leave it behind
  return 0;
}
