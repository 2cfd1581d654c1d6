#include "ui/widgets/CTooltipSupport.h"

#include "ui/widgets/CDrawContext.h"
#include "ui/widgets/CFrame.h"
#include "ui/widgets/MeasureContext.h"
#include "ui/widgets/TextFitting.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace VSTGUI {

namespace {

constexpr CCoord kPadding = 4;
constexpr CCoord kMargin = 2;  // kept free between the box and the frame's edge

// The box: pale background, thin outline, the text's lines.
class TooltipBox : public CView
{
public:
    TooltipBox(const CRect& size, std::vector<UTF8String> lines, CCoord lineHeight)
        : CView(size), lines(std::move(lines)), lineHeight(lineHeight)
    {
        setMouseEnabled(false);
    }

    void draw(CDrawContext* context) override
    {
        context->setDrawMode(kAliasing);
        context->setLineWidth(1);
        context->setLineStyle(kLineSolid);
        context->setFillColor(CColor(255, 255, 225, 255));
        context->setFrameColor(CColor(90, 90, 90, 255));
        context->drawRect(size, kDrawFilledAndStroked);
        context->setFont(kNormalFont);
        context->setFontColor(kBlackCColor);
        for (size_t i = 0; i < lines.size(); ++i) {
            const CCoord top = size.top + kPadding / 2 + CCoord(i) * lineHeight;
            context->drawString(lines[i].c_str(),
                                CRect(size.left + kPadding, top, size.right - kPadding, top + lineHeight),
                                kLeftText);
        }
        setDirty(false);
    }

private:
    std::vector<UTF8String> lines;
    CCoord lineHeight;
};

}  // namespace

void CTooltipSupport::onMouseMoved(const CPoint& where, bool buttonDown)
{
    if (buttonDown) {
        hide();
        return;
    }
    const CView* view = frame.getViewAt(where);
    const UTF8String text = view ? view->getTooltipText(where) : UTF8String();
    if (box && text == shownText)
        return;  // still over the text it shows
    hide();
    pointer = where;
    pendingText = text;
}

void CTooltipSupport::hide()
{
    pendingText.clear();
    restingTicks = 0;
    shownText.clear();
    if (CView* shown = box) {
        box = nullptr;
        frame.removeView(shown);
    }
}

void CTooltipSupport::onIdle()
{
    if (box || pendingText.empty())
        return;
    if (++restingTicks >= kDelayTicks)
        show();
}

void CTooltipSupport::onViewRemoved(const CView* view)
{
    if (view && view == box) {
        box = nullptr;
        shownText.clear();
    }
}

void CTooltipSupport::show()
{
    MeasureContext scratch;
    CDrawContext& context = scratch.context();
    context.setFont(kNormalFont);
    const TextWidth measure = [&context](const UTF8String& text) { return context.getStringWidth(text.c_str()); };
    const CCoord room = std::max<CCoord>(20, frame.getWidth() - 2 * (kMargin + kPadding));
    std::vector<UTF8String> lines = wrapText(pendingText, room, measure);
    CCoord widest = 0;
    for (const UTF8String& line : lines)
        widest = std::max(widest, measure(line));
    const CCoord lineHeight = std::ceil(context.getFontHeight()) + 2;
    const CCoord width = std::ceil(widest) + 2 * kPadding;
    const CCoord height = CCoord(lines.size()) * lineHeight + kPadding;

    // Below and right of the pointer; above it where the frame ends, always inside the frame.
    CCoord left = std::min(pointer.x + 12, frame.getWidth() - kMargin - width);
    CCoord top = pointer.y + 20;
    if (top + height > frame.getHeight() - kMargin)
        top = pointer.y - 8 - height;
    left = std::max(kMargin, left);
    top = std::max(kMargin, top);

    auto* shown = new TooltipBox(CRect(left, top, left + width, top + height), std::move(lines), lineHeight);
    shownText = pendingText;
    frame.addView(shown);
    box = shown;
    shown->invalid();
}

}  // namespace VSTGUI
