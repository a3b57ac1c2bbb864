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

// The folder of path, for a box that should start where the last chosen file is; empty when
// path names no folder.
std::u16string FolderOfPath(const std::u16string& path);

struct OPENFILENAME {
    HWND hwndOwner = nullptr;
    std::vector<FileFilter> filters;
    int nFilterIndex = 0;      // 1-based; 0 picks the first. Out: the type the user chose.
    std::u16string file;       // in: the initial name; out: the chosen path
    std::size_t nMaxFile = 0;  // characters the buffer holds with its terminator
    std::u16string defExt;     // without the dot
    std::uint32_t flags = 0;
    // The folder the box starts in; empty: the user's documents folder.
    std::u16string initialDir;
};

// Why the last file box gave no name: 0 when the user cancelled, FNERR_BUFFERTOOSMALL when the
// chosen path did not fit; the box has then told the user so.
constexpr std::uint32_t FNERR_BUFFERTOOSMALL = 0x3003;
std::uint32_t CommDlgExtendedError();

// False when the user cancels or the chosen path does not fit nMaxFile - 1 characters (the
// phone refuses a name its buffer cannot take rather than cut it). The box fills the phone's
// screen.
bool GetSaveFileName(OPENFILENAME& ofn);
bool GetOpenFileName(OPENFILENAME& ofn);

// How a typed name becomes the path: a name without an extension gets the chosen type's
// extension ("*.dat" gives ".dat"), or defExt when the type has none; a type with an empty
// pattern and no defExt adds a bare "." (the phone does; callers strip it).
std::u16string CompleteFileName(const std::u16string& name, const std::vector<FileFilter>& filters,
                                int filterIndex, const std::u16string& defExt);
