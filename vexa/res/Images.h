#pragma once
#include <string_view>

// The updater's pictures as PNG bytes (drawn by scripts/make-images.py): the program
// icon (IDI_MAIN) and the splash bitmap (IDB_SPLASH, 380 x 140).
std::string_view ProgramIconImage();
std::string_view SplashBitmapImage();
