#include "platform/Font.h"

#include <cstdlib>

#include "platform/Layout.h"
#include "utilities/FileSystem.h"
#include "utilities/SetupError.h"

namespace {

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
    // The system sizes it for its own resolution; the setup's texts keep the skin's.
    attributes.Face.lfHeight = layout::AtDesignDpi(attributes.Face.lfHeight, ScreenPixelsPerInch());
    attributes.Color = GetSysColor(COLOR_WINDOWTEXT);
    return attributes;
}

int FontPointSize(const TFontAttributes& attributes)
{
    // A negative height is the character height, the one points measure.
    return layout::PixelsToPoints(std::abs(attributes.Face.lfHeight));
}

void SetFontPointSize(TFontAttributes& attributes, int points)
{
    attributes.Face.lfHeight = -layout::PointsToPixels(points);
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
