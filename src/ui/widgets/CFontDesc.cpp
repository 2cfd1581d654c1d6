#include "ui/widgets/CFontDesc.h"

namespace VSTGUI {

CFontDesc::CFontDesc(UTF8StringPtr name, double size, int32_t style)
    : name(name ? name : ""), size(size > 0 ? size : 12.0), style(style)
{
}

namespace {
// Immutable shared fonts: one reference more than any user releases keeps them alive.
CFontDesc* permanentFont(UTF8StringPtr name, double size)
{
    static_assert(sizeof(CFontDesc) > 0);
    auto* font = new CFontDesc(name, size);
    font->remember();
    return font;
}
}  // namespace

const CFontRef kSystemFont = permanentFont("Sans", 12);
const CFontRef kNormalFont = permanentFont("Arial", 12);
const CFontRef kNormalFontSmall = permanentFont("Arial", 11);

}  // namespace VSTGUI
