#include "ui/widgets/COptionMenu.h"

#include "ui/widgets/CDrawContext.h"
#include "ui/widgets/CFrame.h"

#include <algorithm>

namespace VSTGUI {

namespace {
constexpr CColor kMenuBack{38, 42, 48, 250};
constexpr CColor kMenuFrame{150, 160, 170, 255};
constexpr CColor kMenuText{230, 234, 238, 255};
constexpr CColor kMenuHighlight{80, 110, 60, 255};
constexpr CCoord kPadding = 4;
}  // namespace

COptionMenu::COptionMenu(std::vector<UTF8String> entries, int32_t checkedEntry, Callback onChoice)
    : CView(CRect(0, 0, kWidth, kEntryHeight * CCoord(entries.size()) + 2 * kPadding)),
      entries(std::move(entries)), checked(checkedEntry), callback(std::move(onChoice))
{
    setWantsFocus(true);
}

void COptionMenu::popup(CFrame* frame, const CPoint& where)
{
    if (!frame) {
        forget();
        return;
    }
    const CCoord left = std::max<CCoord>(0, std::min(where.x, frame->getWidth() - getWidth()));
    const CCoord top = std::max<CCoord>(0, std::min(where.y, frame->getHeight() - getHeight()));
    setViewSize(CRect(left, top, left + getWidth(), top + getHeight()), false);
    frame->addView(this);
    frame->setModalView(this);
    invalid();
}

void COptionMenu::close()
{
    CFrame* frame = getFrame();
    if (!frame)
        return;
    invalid();
    remember();   // the callback runs after the menu has left the frame
    frame->setModalView(nullptr);
    frame->removeView(this);
    forget();
}

void COptionMenu::choose(int32_t index)
{
    remember();
    Callback chosen = callback;
    close();
    if (index >= 0 && index < getNbEntries() && chosen)
        chosen(index);
    forget();
}

int32_t COptionMenu::entryAt(const CPoint& where) const
{
    if (!size.pointInside(where))
        return -1;
    const auto index = int32_t((where.y - size.top - kPadding) / kEntryHeight);
    return where.y >= size.top + kPadding && index < getNbEntries() ? index : -1;
}

void COptionMenu::draw(CDrawContext* context)
{
    context->setDrawMode(kAliasing);
    context->setLineWidth(1);
    context->setLineStyle(kLineSolid);
    context->setFillColor(kMenuBack);
    context->setFrameColor(kMenuFrame);
    context->drawRect(size, kDrawFilledAndStroked);
    context->setFont(kNormalFont);
    context->setFontColor(kMenuText);
    for (int32_t i = 0; i < getNbEntries(); ++i) {
        const CRect row(size.left + 1, size.top + kPadding + i * kEntryHeight, size.right - 1,
                        size.top + kPadding + (i + 1) * kEntryHeight);
        if (i == highlighted) {
            context->setFillColor(kMenuHighlight);
            context->drawRect(row, kDrawFilled);
        }
        if (i == checked) {
            context->setDrawMode(kAntiAliasing | kNonIntegralMode);
            context->setFillColor(kMenuText);
            const CCoord middle = row.top + kEntryHeight / 2;
            context->drawEllipse(CRect(row.left + 8, middle - 3, row.left + 14, middle + 3), kDrawFilled);
            context->setDrawMode(kAliasing);
        }
        context->drawString(entries[size_t(i)].c_str(), CRect(row.left + 22, row.top, row.right - 4, row.bottom),
                            kLeftText);
    }
    setDirty(false);
}

CMouseEventResult COptionMenu::onMouseDown(CPoint& where, const CButtonState&)
{
    if (entryAt(where) < 0) {
        close();   // a click elsewhere only closes the menu
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }
    highlighted = entryAt(where);
    armed = true;
    invalid();
    return kMouseEventHandled;
}

CMouseEventResult COptionMenu::onMouseUp(CPoint& where, const CButtonState&)
{
    // Only a click made in the open menu chooses: the release of the click that opened it
    // may land on an entry when the menu had to move to fit in the frame.
    const int32_t index = entryAt(where);
    if (armed && index >= 0)
        choose(index);
    return kMouseEventHandled;
}

CMouseEventResult COptionMenu::onMouseMoved(CPoint& where, const CButtonState&)
{
    const int32_t index = entryAt(where);
    if (index != highlighted) {
        highlighted = index;
        invalid();
    }
    return kMouseEventHandled;
}

int32_t COptionMenu::onKeyDown(VstKeyCode& key)
{
    switch (key.virt) {
        case VKEY_ESCAPE: close(); return 1;
        case VKEY_UP:
        case VKEY_DOWN: {
            const int32_t step = key.virt == VKEY_UP ? -1 : 1;
            const int32_t from = highlighted < 0 ? checked : highlighted;
            highlighted = std::clamp(from + step, int32_t(0), getNbEntries() - 1);
            invalid();
            return 1;
        }
        case VKEY_RETURN:
        case VKEY_ENTER: choose(highlighted); return 1;
        default: return 1;   // the menu holds the keyboard while it is open
    }
}

}  // namespace VSTGUI
