#pragma once

// A font as controls show it: the face, size and style of a LOGFONT plus the
// colour of the text, with the GDI font made from it.

#include <windows.h>

#include "utilities/Handles.h"

struct TFontSpec {
    LOGFONTA Face{};
    COLORREF Color = 0;
};

// The system's message font in the system's window text colour.
TFontSpec MessageFontSpec();

// Sizes in points at the screen's resolution.
int FontPointSize(const TFontSpec& spec);
void SetFontPointSize(TFontSpec& spec, int points);

class TFont {
public:
    explicit TFont(const TFontSpec& spec);

    const TFontSpec& Spec() const { return FontSpec; }
    HFONT Handle() const { return static_cast<HFONT>(Object.Get()); }

private:
    TFontSpec FontSpec;
    TGdiObject Object;
};

// A colour of the form library: the top bit set names a system colour by its
// index in the low byte, any other value is an RGB value.
COLORREF ResolveColor(COLORREF color);
