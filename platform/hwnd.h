#pragma once
// A window as the program holds it: an opaque handle that only platform/ui can look into.

struct HWND__;
using HWND = HWND__*;
