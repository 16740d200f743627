#include "tools/PictureProbe.h"

#include "skin/Bitmap32.h"
#include "skin/Picture.h"
#include "skin/PictureKind.h"
#include "utilities/SetupError.h"

TPictureVerdict ProbePicture(const std::string& path)
{
    static const TGdiplusSession session;
    TBitmap32 bitmap;
    try {
        LoadPictureFile(bitmap, path);
    } catch (const ESetupError&) {
        return {};
    }
    // As on other hosts, a metafile's size is left to the user's machine.
    if (PictureKindOf(path) == TPictureKind::Metafile) return {true, std::nullopt};
    return {true, TPictureSize{bitmap.Width(), bitmap.Height()}};
}
