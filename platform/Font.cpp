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

TFontAttributes MessageFontAttributes()
{
    TFontAttributes attributes;
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        attributes.Face = metrics.lfMessageFont;
    else
        GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof attributes.Face, &attributes.Face);
    attributes.Color = GetSysColor(COLOR_WINDOWTEXT);
    return attributes;
}

int FontPointSize(const TFontAttributes& attributes)
{
    // A negative height is the character height, the one points measure.
    const int height = attributes.Face.lfHeight < 0 ? -attributes.Face.lfHeight : attributes.Face.lfHeight;
    return MulDiv(height, kPointsPerInch, ScreenPixelsPerInch());
}

void SetFontPointSize(TFontAttributes& attributes, int points)
{
    attributes.Face.lfHeight = -MulDiv(points, ScreenPixelsPerInch(), kPointsPerInch);
}

TFont::TFont(const TFontAttributes& attributes) : FontAttributes(attributes), Object(CreateFontIndirectA(&attributes.Face))
{
    if (!Object) throw ESetupError("Cannot create font " + std::string(attributes.Face.lfFaceName) + ": " +
                                   files::LastSystemError());
}

COLORREF ResolveColor(COLORREF color)
{
    return (color & kSystemColorFlag) ? GetSysColor(static_cast<int>(color & 0xFF)) : color;
}
