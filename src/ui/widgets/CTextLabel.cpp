#include "ui/widgets/CTextLabel.h"

#include "ui/widgets/TextFitting.h"

namespace VSTGUI {

CTextLabel::CTextLabel(const CRect& size, UTF8StringPtr initialText, CBitmap* background,
                       int32_t style)
    : CControl(size, nullptr, -1, background), text(initialText ? initialText : ""),
      font(shared(kNormalFont)), style(style), truncatedText(text)
{
}

void CTextLabel::setText(UTF8StringPtr newText)
{
    const UTF8String replacement = newText ? newText : "";
    if (replacement == text)
        return;
    text = replacement;
    truncatedText = text;   // until it is drawn and measured
    setDirty(true);
}

void CTextLabel::setFont(CFontRef newFont)
{
    font = shared(newFont ? newFont : kNormalFont);
    setDirty(true);
}

void CTextLabel::setFontColor(const CColor& colour)
{
    fontColour = colour;
    setDirty(true);
}

void CTextLabel::setBackColor(const CColor& colour)
{
    backColour = colour;
    setDirty(true);
}

void CTextLabel::setFrameColor(const CColor& colour)
{
    frameColour = colour;
    setDirty(true);
}

void CTextLabel::setHoriAlign(CHoriTxtAlign newAlign)
{
    align = newAlign;
    setDirty(true);
}

void CTextLabel::setStyle(int32_t newStyle)
{
    style = newStyle;
    setDirty(true);
}

void CTextLabel::setTextTruncateMode(TextTruncateMode mode)
{
    truncateMode = mode;
    setDirty(true);
}

UTF8String CTextLabel::getTooltipText(const CPoint& where) const
{
    UTF8String own = CControl::getTooltipText(where);
    return !own.empty() ? own : isTruncated() ? text : UTF8String();
}

void CTextLabel::setTextInset(const CPoint& inset)
{
    textInset = inset;
    setDirty(true);
}

CRect CTextLabel::textArea() const
{
    CRect area = size;
    area.inset(textInset.x, textInset.y);
    return area;
}

void CTextLabel::drawBack(CDrawContext* context)
{
    if (background) {
        background->draw(context, size);
        return;
    }
    if (style & kNoDrawStyle)
        return;
    context->setDrawMode(kAliasing);
    context->setLineWidth(1);
    context->setLineStyle(kLineSolid);
    if (backColour.alpha > 0) {
        context->setFillColor(backColour);
        context->drawRect(size, kDrawFilled);
    }
    if (!(style & kNoFrame) && frameColour.alpha > 0) {
        context->setFrameColor(frameColour);
        context->drawRect(size, kDrawStroked);
    }
}

void CTextLabel::drawPlatformText(CDrawContext* context, UTF8StringPtr string)
{
    if (style & (kNoTextStyle | kNoDrawStyle))
        return;
    context->setFont(font.get());
    context->setFontColor(fontColour);
    const UTF8String whole = string ? string : "";
    const CCoord width = textArea().getWidth();
    const TextWidth measure = [context](const UTF8String& t) { return context->getStringWidth(t.c_str()); };
    if (truncateMode == kTruncateTail)
        truncatedText = elideEnd(whole, width, measure);
    else if (truncateMode == kTruncatePath)
        truncatedText = elidePath(whole, width, measure);
    else
        truncatedText = whole;
    context->drawString(truncatedText.c_str(), textArea(), align, antialias);
}

void CTextLabel::draw(CDrawContext* context)
{
    drawBack(context);
    drawPlatformText(context, text.c_str());
    setDirty(false);
}

}  // namespace VSTGUI
