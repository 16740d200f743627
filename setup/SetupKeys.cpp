#include "setup/SetupKeys.h"

#include <initializer_list>
#include <iterator>

namespace {

void Assign(std::string& field, const TKeyValue& value) { field = value.Text; }
void Assign(std::optional<std::string>& field, const TKeyValue& value) { field = value.Text; }
void Assign(std::vector<std::string>& field, const TKeyValue& value) { field.push_back(value.Text); }
void Assign(bool& field, const TKeyValue& value) { field = value.On; }
void Assign(int32_t& field, const TKeyValue& value) { field = value.Number; }
void Assign(std::optional<int32_t>& field, const TKeyValue& value) { field = value.Number; }
void Assign(TFontStyle& field, const TKeyValue& value) { field = value.Style; }

// The fields, named by their members: of the settings, of a part of them, of the block's button.
template <auto Field>
void Setting(TKeyTarget& target, const TKeyValue& value)
{
    Assign(target.Settings.*Field, value);
}

template <auto Part, auto Field>
void PartSetting(TKeyTarget& target, const TKeyValue& value)
{
    Assign(target.Settings.*Part.*Field, value);
}

template <auto Field>
void ButtonSetting(TKeyTarget& target, const TKeyValue& value)
{
    Assign(target.Button->*Field, value);
}

using B = TBlockKind;
using K = TKeyKind;
using S = TSetupSettings;

constexpr TSetupKey kKeys[] = {
    {B::Setup, "TargetFile", K::InstalledFile, Setting<&S::TargetFile>},
    {B::Setup, "Addfile", K::Addfile, Setting<&S::AddFiles>},
    {B::Setup, "VistraneTitle", K::Title, Setting<&S::Title>},
    {B::Setup, "Language", K::Language, Setting<&S::Language>},
    {B::Setup, "Licence", K::LicenceFile, Setting<&S::Licence>},
    {B::Setup, "Destination", K::Destination, Setting<&S::Destination>},
    {B::Setup, "Folder", K::ProgramFolder, Setting<&S::Folder>},
    {B::Setup, "ReadMe", K::InstalledFile, Setting<&S::ReadMe>},
    {B::Setup, "LaunchProg", K::Boolean, Setting<&S::LaunchProg>},
    {B::Setup, "DesktopIcon", K::Boolean, Setting<&S::DesktopIcon>},
    {B::Setup, "PerMachine", K::Boolean, Setting<&S::PerMachine>},
    {B::Setup, "TextBoxColor", K::Colour, Setting<&S::TextBoxColor>},
    {B::Setup, "Fontname", K::Text, PartSetting<&S::TextFont, &TFontDescription::Name>},
    {B::Setup, "Fontcolor", K::Colour, PartSetting<&S::TextFont, &TFontDescription::Color>},
    {B::Setup, "Fontheight", K::Integer, PartSetting<&S::TextFont, &TFontDescription::Height>},
    {B::Setup, "Fontstyle", K::FontStyle, PartSetting<&S::TextFont, &TFontDescription::Style>},
    {B::Setup, "Method", K::Text, Setting<&S::Method>},
    {B::Setup, "Description", K::Text, Setting<&S::Description>},
    {B::Setup, "Icon", K::SetupIcon, Setting<&S::Icon>},
    {B::Setup, "Encrypted", K::Boolean, Setting<&S::Encrypted>},
    {B::Setup, "AlphaColor", K::Colour, Setting<&S::AlphaColor>},
    {B::Setup, "SetupName", K::Text, Setting<&S::SetupName>},
    {B::Setup, "ControlPanel", K::Text, Setting<&S::ControlPanel>},

    {B::Toolweb, "Top", K::Integer, PartSetting<&S::MainPanel, &TPanelRect::Top>},
    {B::Toolweb, "Left", K::Integer, PartSetting<&S::MainPanel, &TPanelRect::Left>},
    {B::Toolweb, "Width", K::Integer, PartSetting<&S::MainPanel, &TPanelRect::Width>},
    {B::Toolweb, "Height", K::Integer, PartSetting<&S::MainPanel, &TPanelRect::Height>},

    {B::Panel, "Bitmap", K::Picture, PartSetting<&S::Panel, &TPanelSkin::Bitmap>},
    {B::Panel, "InvisibleColor", K::Colour, PartSetting<&S::Panel, &TPanelSkin::InvisibleColor>},

    {B::Button, "Top", K::Integer, ButtonSetting<&TButtonSkin::Top>},
    {B::Button, "Left", K::Integer, ButtonSetting<&TButtonSkin::Left>},
    {B::Button, "Mask", K::Picture, ButtonSetting<&TButtonSkin::Mask>},
    {B::Button, "Touched", K::Picture, ButtonSetting<&TButtonSkin::Touched>},
    {B::Button, "Pressed", K::Picture, ButtonSetting<&TButtonSkin::Pressed>},
    {B::Button, "Disabled", K::Picture, ButtonSetting<&TButtonSkin::Disabled>},
    {B::Button, "InvisibleColor", K::Colour, ButtonSetting<&TButtonSkin::InvisibleColor>},
};

}  // namespace

TSetupKeyTable SetupKeys()
{
    return {kKeys, std::size(kKeys)};
}

const TSetupKey* FindSetupKey(TBlockKind block, const std::string& name)
{
    for (const TSetupKey& key : kKeys)
        if (key.Block == block && name == key.Name) return &key;
    return nullptr;
}

const char* BlockName(TBlockKind block)
{
    switch (block) {
    case TBlockKind::Setup: return "Setup";
    case TBlockKind::Toolweb: return "Toolweb";
    case TBlockKind::Panel: return "Panel";
    case TBlockKind::Button: return "Button";
    }
    return "";
}

std::optional<TBlockKind> BlockNamed(const std::string& word)
{
    for (TBlockKind block : {TBlockKind::Setup, TBlockKind::Toolweb, TBlockKind::Panel, TBlockKind::Button})
        if (word == BlockName(block)) return block;
    return std::nullopt;
}
