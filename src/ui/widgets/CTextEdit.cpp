#include "ui/widgets/CTextEdit.h"

#include "ui/widgets/CFrame.h"
#include "ui/widgets/MeasureContext.h"
#include "ui/widgets/TextFitting.h"

#include <cmath>

namespace VSTGUI {

namespace {

// Width of `text` in `font`, measured on a scratch surface (no view is drawing right now).
CCoord measure(CFontRef font, const UTF8String& text)
{
    MeasureContext scratch;
    scratch.context().setFont(font);
    return scratch.context().getStringWidth(text.c_str());
}

}  // namespace

CTextEdit::CTextEdit(const CRect& size, IControlListener* listener, int32_t tag,
                     UTF8StringPtr initialText, CBitmap* background, int32_t style)
    : CTextLabel(size, initialText, background, style)
{
    this->listener = listener;
    this->tag = tag;
    setWantsFocus(true);
}

void CTextEdit::setStringToValueFunction(StringToValueFunction function)
{
    stringToValue = std::move(function);
}

void CTextEdit::setText(UTF8StringPtr newText)
{
    CTextLabel::setText(newText);
    if (stringToValue) {
        float converted = getValue();
        if (stringToValue(getText().c_str(), converted, this))
            setValue(converted);
    }
}

void CTextEdit::takeFocus()
{
    if (editingText)
        return;
    editingText = true;
    cancelRequested = false;
    commitRequested = false;
    textBeforeEdit = text;
    editText = text;
    selectAll();
    // The click that gave the focus (the frame focuses before the view hears of the press)
    // keeps the whole value selected.
    selectOnClick = true;
}

void CTextEdit::selectAll()
{
    anchor = 0;
    cursor = editText.size();
    setDirty(true);
}

UTF8String CTextEdit::getSelectedText() const
{
    return editText.substr(selectionStart(), selectionEnd() - selectionStart());
}

void CTextEdit::moveCursor(size_t position, bool extend)
{
    cursor = std::min(position, editText.size());
    if (!extend)
        anchor = cursor;
}

bool CTextEdit::eraseSelection()
{
    if (anchor == cursor)
        return false;
    const size_t start = selectionStart();
    editText.erase(start, selectionEnd() - start);
    anchor = cursor = start;
    return true;
}

void CTextEdit::looseFocus()
{
    if (!editingText)
        return;
    const bool cancelled = cancelRequested;
    const bool changed = editText != textBeforeEdit;
    const bool wanted = commitRequested;
    endTextEntry();
    if (!cancelled && (changed || wanted))
        commit();
}

void CTextEdit::endTextEntry()
{
    editingText = false;
    cancelRequested = false;
    commitRequested = false;
    setDirty(true);
}

void CTextEdit::commit()
{
    remember();  // the listener may remove this view
    beginEdit();
    setText(editText.c_str());
    valueChanged();
    endEdit();
    forget();
}

size_t CTextEdit::cursorFromX(CCoord x) const
{
    const CRect area = textArea();
    const CCoord full = measure(font.get(), editText);
    CCoord start = area.left;
    if (align == kCenterText)
        start = area.left + (area.getWidth() - full) / 2;
    else if (align == kRightText)
        start = area.right - full;
    // The first position whose text ends beyond the click, nearest by half a character.
    size_t position = 0;
    CCoord previousWidth = 0;
    while (position < editText.size()) {
        const size_t next = nextCharacter(editText, position);
        const CCoord width = measure(font.get(), editText.substr(0, next));
        if (start + (previousWidth + width) / 2 > x)
            break;
        previousWidth = width;
        position = next;
    }
    return position;
}

CMouseEventResult CTextEdit::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (!buttons.isLeftButton())
        return kMouseEventNotHandled;
    if (CFrame* frame = getFrame()) {
        if (frame->getFocusView() != this)
            frame->setFocusView(this);
    }
    // The first click selects the whole value (so typing replaces it); later clicks place the
    // cursor, a double-click selects everything again.
    if (!editingText)
        takeFocus();
    if (selectOnClick || buttons.isDoubleClick())
        selectAll();
    else
        moveCursor(cursorFromX(where.x), false);
    selectOnClick = false;
    setDirty(true);
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

int32_t CTextEdit::onKeyDown(VstKeyCode& key)
{
    if (!editingText)
        return -1;
    const bool shift = (key.modifier & MODIFIER_SHIFT) != 0;
    selectOnClick = false;
    switch (key.virt) {
        case VKEY_RETURN:
        case VKEY_ENTER:
            commitRequested = true;
            if (CFrame* frame = getFrame(); frame && frame->getFocusView() == this)
                frame->setFocusView(nullptr);
            else
                looseFocus();
            return 1;
        case VKEY_ESCAPE:
            cancelRequested = true;
            if (CFrame* frame = getFrame(); frame && frame->getFocusView() == this)
                frame->setFocusView(nullptr);
            else
                looseFocus();
            return 1;
        case VKEY_LEFT:
            moveCursor(!shift && anchor != cursor ? selectionStart() : previousCharacter(editText, cursor), shift);
            break;
        case VKEY_RIGHT:
            moveCursor(!shift && anchor != cursor ? selectionEnd() : nextCharacter(editText, cursor), shift);
            break;
        case VKEY_HOME:
            moveCursor(0, shift);
            break;
        case VKEY_END:
            moveCursor(editText.size(), shift);
            break;
        case VKEY_BACK:
            if (!eraseSelection()) {
                const size_t start = previousCharacter(editText, cursor);
                editText.erase(start, cursor - start);
                moveCursor(start, false);
            }
            break;
        case VKEY_DELETE:
            if (!eraseSelection())
                editText.erase(cursor, nextCharacter(editText, cursor) - cursor);
            break;
        case VKEY_TAB:
            return -1;
        default: {
            const bool command = (key.modifier & (MODIFIER_CONTROL | MODIFIER_COMMAND)) != 0;
            if (command && (key.character == 'a' || key.character == 'A')) {
                selectAll();
                break;
            }
            const UTF8String typed = characterText(key.character);
            if (typed.empty() || command)
                return -1;
            eraseSelection();
            editText.insert(cursor, typed);
            moveCursor(cursor + typed.size(), false);
            break;
        }
    }
    setDirty(true);
    return 1;
}

void CTextEdit::draw(CDrawContext* context)
{
    drawBack(context);
    if (!editingText) {
        drawPlatformText(context, text.c_str());
        setDirty(false);
        return;
    }
    // While editing: a light field with the edit text and its selection, or a caret.
    const CRect area = textArea();
    context->setDrawMode(kAliasing);
    context->setLineWidth(1);
    context->setFillColor(CColor(255, 255, 255, 230));
    context->drawRect(size, kDrawFilled);
    context->setFrameColor(CColor(60, 120, 200, 255));
    context->drawRect(size, kDrawStroked);
    context->setFont(font.get());
    const CCoord full = context->getStringWidth(editText.c_str());
    CCoord start = area.left;
    if (align == kCenterText)
        start = area.left + (area.getWidth() - full) / 2;
    else if (align == kRightText)
        start = area.right - full;
    auto xAt = [&](size_t position) {
        return start + context->getStringWidth(editText.substr(0, position).c_str());
    };
    if (anchor != cursor) {
        // The selection as a highlight behind its text.
        context->setFillColor(CColor(150, 190, 240, 255));
        context->drawRect(CRect(std::floor(xAt(selectionStart())), size.top + 3,
                                std::ceil(xAt(selectionEnd())), size.bottom - 3),
                          kDrawFilled);
    }
    context->setFontColor(kBlackCColor);
    context->drawString(editText.c_str(), area, align, antialias);
    if (anchor == cursor) {
        const CCoord caretX = xAt(cursor);
        context->setFrameColor(kBlackCColor);
        context->drawLine(CPoint(caretX, size.top + 3), CPoint(caretX, size.bottom - 4));
    }
    setDirty(false);
}

}  // namespace VSTGUI
