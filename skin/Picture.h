#pragma once

// Picture files for the 32-bit bitmaps: bmp through GDI's own bitmap loader
// (so a 32-bit file keeps its alpha bytes), ico, emf, wmf, jpg, jpeg and gif
// through GDI+, which the program starts once with a TGdiplusSession.

#include <windows.h>

#include <string>

class TBitmap32;

class TGdiplusSession {
public:
    TGdiplusSession();
    ~TGdiplusSession();
    TGdiplusSession(const TGdiplusSession&) = delete;
    TGdiplusSession& operator=(const TGdiplusSession&) = delete;

private:
    ULONG_PTR Token = 0;
};

// Loads the file into bitmap, choosing the decoder by the file's extension:
// a 24-bit (or fewer) bitmap file becomes opaque, a 32-bit one keeps its
// alpha; every other graphic is drawn onto zeroed pixels, then made opaque.
void LoadPictureFile(TBitmap32& bitmap, const std::string& path);
// Loads a GIF, JPEG or icon picture kept as an RCDATA resource of the program itself.
void LoadPictureResource(TBitmap32& bitmap, const char* resourceName);
