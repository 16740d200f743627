#include "utilities/KMediaList.h"

#include "platform/Window.h"
#include "utilities/FileSystem.h"
#include "utilities/SetupError.h"

namespace {

std::unique_ptr<TBitmap32> LoadOrPlaceholder(const std::string& name)
{
    auto bitmap = std::make_unique<TBitmap32>();
    try {
        if (!files::FileExists(name)) throw ESetupError("Picture file not found");
        LoadPictureFile(*bitmap, name);
    } catch (const ESetupError&) {
        bitmap = std::make_unique<TBitmap32>();
        LoadPictureResource(*bitmap, kPlaceholderResource);
    }
    return bitmap;
}

}  // namespace

KMediaList* KMediaList::Current = nullptr;

KMediaList::KMediaList(const TGdiplusSession&)
{
    if (Current) throw ESetupError("The picture cache exists already");
    Timer = SetTimer(nullptr, 0, kMediaSweepInterval, &KMediaList::TimerTimer);
    Current = this;
}

KMediaList::~KMediaList()
{
    if (Timer) KillTimer(nullptr, Timer);
    Current = nullptr;
}

KMediaList& KMediaList::Instance()
{
    if (!Current) throw ESetupError("No picture cache: the program makes one after starting GDI+");
    return *Current;
}

void CALLBACK KMediaList::TimerTimer(HWND, UINT, UINT_PTR, DWORD)
{
    RunGuarded([] { Instance().Sweep(); });
}

TBitmap32* KMediaList::Fetch(const std::string& name)
{
    if (TBitmap32* cached = Entries.Request(name)) return cached;
    return Entries.Add(name, LoadOrPlaceholder(name));
}
