#pragma once

// The holder of one skinned window's picture: file name, alpha mode and
// invisible colour. Setters only mark work and notify the owner; the work
// (copy from the image cache, prepare the alpha channel) happens when the
// owner next asks for the bitmap.

#include <functional>
#include <string>

#include "skin/Bitmap32.h"

enum TAlphaMode : uint8_t { amOpaque = 0, amOwnIntensity = 1, amMaskIntensity = 2, amCornerKey = 3, amInvisibleColor = 4 };

class KGraphic {
public:
    KGraphic() = default;
    virtual ~KGraphic() = default;
    KGraphic(const KGraphic&) = delete;
    KGraphic& operator=(const KGraphic&) = delete;

    void SetFileName(const std::string& name);
    void SetAlphaMode(uint8_t mode);
    void SetInvisibleColor(COLORREF colour);
    void SetOnChange(std::function<void(KGraphic&)> handler) { OnChange = std::move(handler); }

    const std::string& FileName() const { return File; }
    uint8_t AlphaMode() const { return Mode; }
    COLORREF InvisibleColor() const { return Invisible; }

    // The prepared picture, after any pending work.
    TBitmap32& GetBitmap();

    virtual void NotifyChanged();

private:
    void MarkWork() { ReloadPending = RealphaPending = true; }
    void ApplyAlphaMode();

    std::string File;
    uint8_t Mode = amOpaque;
    COLORREF Invisible = 0;
    TBitmap32 Bitmap;
    bool ReloadPending = true;
    bool RealphaPending = true;
    std::function<void(KGraphic&)> OnChange;
};
