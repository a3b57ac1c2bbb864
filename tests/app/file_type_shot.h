#pragma once
// A picture of a file box's type list: the types the page gave the box (as the test driver
// recorded them) in an open list over the page, written with the screen as PNG.

#include <string>

#include "ui/test_driver.h"

bool ShootFileTypeList(const FileDialogRecord& box, const std::string& pngPath);
