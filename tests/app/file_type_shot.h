#pragma once
// A picture of a file box's type list: the box the page asked for (as the test driver recorded
// it) is shown on folder with its list of types open, and the two are written as PNG.

#include <string>

#include "ui/test_driver.h"

bool ShootFileTypeList(const FileDialogRecord& box, const std::string& folder,
                       const std::string& pngPath);
