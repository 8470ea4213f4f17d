// Process entry point of karuvel.exe: the start-up, then the window's events until the end.
#include <windows.h>

#include "shell/main_win.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  karuvel::Program program(instance, show);
  karuvel::Main(program);
  return karuvel::RunMessageLoop(program.window);
}
