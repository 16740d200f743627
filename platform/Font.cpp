#include "platform/Font.h"

#include "utilities/FileSystem.h"
#include "utilities/SetupError.h"

namespace {

constexpr int kPointsPerInch = 72;
constexpr COLORREF kSystemColorFlag = 0x80000000u;

int ScreenPixelsPerInch()
{
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

}  // namespace

TFontSpec MessageFontSpec()
{
    TFontSpec spec;
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        spec.Face = metrics.lfMessageFont;
    else
        GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof spec.Face, &spec.Face);
    spec.Color = GetSysColor(COLOR_WINDOWTEXT);
    return spec;
}

int FontPointSize(const TFontSpec& spec)
{
    // A negative height is the character height, the one points measure.
    const int height = spec.Face.lfHeight < 0 ? -spec.Face.lfHeight : spec.Face.lfHeight;
    return MulDiv(height, kPointsPerInch, ScreenPixelsPerInch());
}

void SetFontPointSize(TFontSpec& spec, int points)
{
    spec.Face.lfHeight = -MulDiv(points, ScreenPixelsPerInch(), kPointsPerInch);
}

TFont::TFont(const TFontSpec& spec) : FontSpec(spec), Object(CreateFontIndirectA(&spec.Face))
{
    if (!Object) throw ESetupError("Cannot create font " + std::string(spec.Face.lfFaceName) + ": " +
                                   files::LastSystemError());
}

COLORREF ResolveColor(COLORREF color)
{
    return (color & kSystemColorFlag) ? GetSysColor(static_cast<int>(color & 0xFF)) : color;
}
