#pragma once

// The program's one cache of decoded skin pictures. Each file is decoded once
// while it is in use; a sweep every minute drops pictures asked for fewer than
// three times since the previous sweep. A file that cannot be loaded is
// replaced by the built-in 100 x 100 placeholder picture, without a message.

#include <string>

#include "skin/Bitmap32.h"
#include "skin/CountedCache.h"
#include "skin/Picture.h"

constexpr UINT kMediaSweepInterval = 60000;  // ms

class KMediaList {
public:
    // GDI+ decodes the placeholder and most picture formats, so the program
    // starts it first and keeps it running for as long as the cache lives.
    // The sweep timer needs the thread's message loop.
    explicit KMediaList(const TGdiplusSession& gdiplus);
    ~KMediaList();
    KMediaList(const KMediaList&) = delete;
    KMediaList& operator=(const KMediaList&) = delete;

    // The cached picture; it may be freed by the next sweep, so callers copy it at once.
    TBitmap32* Fetch(const std::string& name);
    void Sweep() { Entries.Sweep(); }
    size_t Count() const { return Entries.Size(); }
    int RequestCount(size_t index) const { return Entries.CountAt(index); }

    // The cache the program made; raises ESetupError while there is none.
    static KMediaList& Instance();

private:
    static void CALLBACK TimerTimer(HWND, UINT, UINT_PTR, DWORD);

    static KMediaList* Current;

    TCountedCache<TBitmap32> Entries;
    UINT_PTR Timer = 0;
};

// Name of the placeholder picture among the program's resources.
constexpr char kPlaceholderResource[] = "KUNOIMAGE";
