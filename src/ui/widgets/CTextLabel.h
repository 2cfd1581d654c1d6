// A text display with font, text/back/frame colours, horizontal alignment and text inset.
// Text that does not fit is never cut silently: it ends in "…" (or, for paths, loses folders
// in the middle), and the whole text is the label's tooltip. UI thread only; not real-time safe.
#pragma once

#include "ui/widgets/CColor.h"
#include "ui/widgets/CControl.h"
#include "ui/widgets/CDrawContext.h"
#include "ui/widgets/CFontDesc.h"

namespace VSTGUI {

class CTextLabel : public CControl
{
public:
    enum Style
    {
        kNoDrawStyle = 1 << 2,  // draw nothing but the background bitmap
        kNoFrame = 1 << 6,
        kNoTextStyle = 1 << 11,
    };

    enum TextTruncateMode
    {
        kTruncateNone = 0,  // clipped at the label's edge
        kTruncateTail,      // "A long na…" (the default)
        kTruncatePath,      // "/home/me/…/Fonts/Piano.sf2": the last path component stays whole
    };

    CTextLabel(const CRect& size, UTF8StringPtr text = nullptr, CBitmap* background = nullptr,
               int32_t style = 0);

    virtual void setText(UTF8StringPtr text);
    const UTF8String& getText() const { return text; }

    void setFont(CFontRef font);
    CFontRef getFont() const { return font.get(); }
    void setFontColor(const CColor& colour);
    CColor getFontColor() const { return fontColour; }
    void setBackColor(const CColor& colour);
    CColor getBackColor() const { return backColour; }
    void setFrameColor(const CColor& colour);
    CColor getFrameColor() const { return frameColour; }
    void setHoriAlign(CHoriTxtAlign align);
    CHoriTxtAlign getHoriAlign() const { return align; }
    void setStyle(int32_t newStyle);
    int32_t getStyle() const { return style; }
    void setTextInset(const CPoint& inset);
    CPoint getTextInset() const { return textInset; }
    void setAntialias(bool state) { antialias = state; }
    void setTextTruncateMode(TextTruncateMode mode);
    TextTruncateMode getTextTruncateMode() const { return truncateMode; }
    // The text as last drawn, shortened when it did not fit.
    const UTF8String& getTruncatedText() const { return truncatedText; }
    bool isTruncated() const { return truncatedText != text; }

    void draw(CDrawContext* context) override;
    // The tooltip set on the view, else the whole text while it shows shortened.
    UTF8String getTooltipText(const CPoint& where) const override;

protected:
    void drawBack(CDrawContext* context);
    void drawPlatformText(CDrawContext* context, UTF8StringPtr string);
    CRect textArea() const;

    UTF8String text;
    SharedPointer<CFontDesc> font;
    CColor fontColour = kWhiteCColor;
    CColor backColour = kBlackCColor;
    CColor frameColour = kBlackCColor;
    CHoriTxtAlign align = kCenterText;
    int32_t style;
    CPoint textInset;
    bool antialias = true;
    TextTruncateMode truncateMode = kTruncateTail;
    UTF8String truncatedText;
};

}  // namespace VSTGUI
