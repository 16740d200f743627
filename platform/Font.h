#pragma once

// A font as controls show it: the face, size and style of a LOGFONT plus the
// colour of the text, with the GDI font made from it.

#include <windows.h>

#include "utilities/Handles.h"

struct TFontAttributes {
    LOGFONTA Face{};
    COLORREF Color = 0;
};

// The system's message font in the system's window text colour, as high as
// at the design resolution (Layout.h).
TFontAttributes MessageFontAttributes();

// Sizes in points at the design resolution.
int FontPointSize(const TFontAttributes& attributes);
void SetFontPointSize(TFontAttributes& attributes, int points);

class TFont {
public:
    explicit TFont(const TFontAttributes& attributes);

    const TFontAttributes& Attributes() const { return FontAttributes; }
    HFONT Handle() const { return static_cast<HFONT>(Object.Get()); }

private:
    TFontAttributes FontAttributes;
    TGdiObject Object;
};

// A colour of the form library: the top bit set names a system colour by its
// index in the low byte, any other value is an RGB value.
COLORREF ResolveColor(COLORREF color);
