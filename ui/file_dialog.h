#pragma once
// The save and open file boxes, on the toolkit's own (non-native) file dialog.

#include <cstddef>
#include <string>
#include <vector>

#include "ui/ui_types.h"

struct FileFilter {
    std::u16string description;
    std::u16string pattern;  // "*.txt", or empty for a type without extension
};

struct OPENFILENAME {
    HWND hwndOwner = nullptr;
    std::vector<FileFilter> filters;
    int nFilterIndex = 0;      // 1-based; 0 picks the first. Out: the type the user chose.
    std::u16string file;       // in: the initial name; out: the chosen path
    std::size_t nMaxFile = 0;  // characters the buffer holds with its terminator
    std::u16string defExt;     // without the dot
    std::uint32_t flags = 0;
};

// False when the user cancels or the chosen path does not fit nMaxFile - 1 characters (the
// phone refuses a name its buffer cannot take rather than cut it).
bool GetSaveFileName(OPENFILENAME& ofn);
bool GetOpenFileName(OPENFILENAME& ofn);

// How a typed name becomes the path: a name without an extension gets the chosen type's
// extension ("*.dat" gives ".dat"), or defExt when the type has none; a type with an empty
// pattern and no defExt adds a bare "." (the phone does; callers strip it).
std::u16string CompleteFileName(const std::u16string& name, const std::vector<FileFilter>& filters,
                                int filterIndex, const std::u16string& defExt);
