#pragma once
// The main screen's three pictures, loaded once at start and shared by the main panel and the
// About box for the life of the process.

#include "dialog_math/dialog_math.h"
#include "ui/drawing.h"

struct ProgramPictures {
    Bitmap banner;      // 133, drawn centred at the top
    Bitmap headerFill;  // 135, stretched behind the banner
    Bitmap bodyFill;    // 134, stretched over the rest

    // Either all three are drawn or none.
    bool AllLoaded() const { return banner.valid() && headerFill.valid() && bodyFill.valid(); }
    PictureSizes Sizes() const;
};

// A picture that fails to load stays absent; nothing else depends on it.
void LoadProgramPictures();
const ProgramPictures& Pictures();
