// Font descriptions (family name, pixel size, style). UI thread only; not real-time safe.
#pragma once

#include "ui/widgets/CBaseObject.h"

namespace VSTGUI {

enum CTxtFace
{
    kNormalFace = 0,
    kBoldFace = 1 << 1,
    kItalicFace = 1 << 2,
};

class CFontDesc : public CBaseObject
{
public:
    CFontDesc(UTF8StringPtr name, double size, int32_t style = kNormalFace);
    const UTF8String& getName() const { return name; }
    double getSize() const { return size; }
    int32_t getStyle() const { return style; }

private:
    UTF8String name;
    double size;
    int32_t style;
};

using CFontRef = CFontDesc*;

// The shared system fonts. They are never freed; remember/forget on them is harmless.
extern const CFontRef kSystemFont;   // 12 px sans
extern const CFontRef kNormalFont;   // "Arial" 12 px (fontconfig picks the metric match)
extern const CFontRef kNormalFontSmall;

}  // namespace VSTGUI
