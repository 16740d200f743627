#include "utilities/KGraphic.h"

#include "utilities/KMediaList.h"

void KGraphic::SetFileName(const std::string& name)
{
    if (name.empty() || name == File) return;
    File = name;
    MarkWork();
    NotifyChanged();
}

void KGraphic::SetAlphaMode(uint8_t mode)
{
    if (mode == Mode) return;
    Mode = mode;
    MarkWork();
    NotifyChanged();
}

void KGraphic::SetInvisibleColor(COLORREF colour)
{
    if (colour == Invisible) return;
    Invisible = colour;
    if (Mode == amInvisibleColor) MarkWork();
    NotifyChanged();
}

void KGraphic::NotifyChanged()
{
    if (OnChange) OnChange(*this);
}

TBitmap32& KGraphic::GetBitmap()
{
    if (File.empty()) return Bitmap;
    Bitmap.SetDrawMode(TDrawMode::dmOpaque);
    if (ReloadPending) {
        Bitmap.AssignFrom(KMediaList::Instance().Fetch(File));
        ReloadPending = false;
    }
    if (RealphaPending) {
        ApplyAlphaMode();
        RealphaPending = false;
    }
    return Bitmap;
}

void KGraphic::ApplyAlphaMode()
{
    switch (Mode) {
    case amOwnIntensity:
    case amMaskIntensity:
        // No mask file is ever named, so both take the intensity of the picture itself.
        AlphaFromIntensity(&Bitmap, KMediaList::Instance().Fetch(File));
        break;
    case amCornerKey:
        ApplyCornerKey(Bitmap.Map());
        Bitmap.NotifyChanged();
        break;
    case amInvisibleColor:
        Bitmap.BeginUpdate();
        ApplyInvisibleColor(Bitmap.Map(), ToColor32(Invisible));
        Bitmap.EndUpdate();
        Bitmap.NotifyChanged();
        break;
    default:
        Bitmap.MakeOpaque();
        break;
    }
}
