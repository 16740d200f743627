#include "setup/pages/Page.h"

namespace {

constexpr int kRowHeight = 20, kSpacerHeight = 13, kSpacerFontHeight = -12;

}  // namespace

RECT PageRow(int top, int height, int width)
{
    return RECT{0, top, width, top + height};
}

void TPage::Create(TControlHost& textArea)
{
    Box.Create(textArea, kPageDesign);
    Box.SetAlign(layout::TAlign::alClient);
    Head.Create(Box, PageRow(0, kRowHeight), "", SS_CENTER);
    Head.SetAlign(layout::TAlign::alTop);
    Spacer.Create(Box, PageRow(kRowHeight, kSpacerHeight), "");
    Spacer.SetAlign(layout::TAlign::alTop);
    TFontAttributes spacerFont = MessageFontAttributes();
    spacerFont.Face.lfHeight = kSpacerFontHeight;
    Spacer.SetFont(spacerFont);
    Text.Create(Box, PageRow(kRowHeight + kSpacerHeight, kRowHeight), "");
    Text.SetAlign(layout::TAlign::alTop);
    CreateContent();
}

void TPage::SetVisible(bool visible)
{
    Box.SetVisible(visible);
}

void TPage::Raise()
{
    Box.BringToFront();
    Head.FitHeightToText();
    Text.FitHeightToText();
}

void TPage::SetHeadings(const std::string& head, const std::string& text)
{
    Head.SetText(head);
    Text.SetText(text);
}
