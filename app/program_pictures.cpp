#include "app/program_pictures.h"
#include "app/resource_ids.h"

namespace {

ProgramPictures& Storage() {
    static ProgramPictures pictures;
    return pictures;
}

}  // namespace

PictureSizes ProgramPictures::Sizes() const {
    PictureSizes sizes;
    if (banner.valid()) {
        sizes.bannerWidth = banner.width();
        sizes.bannerHeight = banner.height();
    }
    if (headerFill.valid()) sizes.headerFillHeight = headerFill.height();
    return sizes;
}

void LoadProgramPictures() {
    ProgramPictures& pictures = Storage();
    pictures.banner = LoadBitmapResource(kBannerBitmap);
    pictures.headerFill = LoadBitmapResource(kHeaderFillBitmap);
    pictures.bodyFill = LoadBitmapResource(kBodyFillBitmap);
}

const ProgramPictures& Pictures() {
    return Storage();
}
