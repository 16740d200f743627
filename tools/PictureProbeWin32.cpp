#include "tools/PictureProbe.h"

#include "skin/Bitmap32.h"
#include "skin/Picture.h"
#include "utilities/SetupError.h"

bool CanDecodePicture(const std::string& path)
{
    static const TGdiplusSession session;
    TBitmap32 bitmap;
    try {
        LoadPictureFile(bitmap, path);
        return true;
    } catch (const ESetupError&) {
        return false;
    }
}
