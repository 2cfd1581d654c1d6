#include "ui/CTextEdit.h"

#include "ui/CFrame.h"
#include "ui/MeasureContext.h"

namespace VSTGUI {

namespace {

bool isContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

size_t previousCharacter(const UTF8String& text, size_t position)
{
    if (position == 0)
        return 0;
    do {
        --position;
    } while (position > 0 && isContinuationByte(text[position]));
    return position;
}

size_t nextCharacter(const UTF8String& text, size_t position)
{
    if (position >= text.size())
        return text.size();
    do {
        ++position;
    } while (position < text.size() && isContinuationByte(text[position]));
    return position;
}

UTF8String encodeUtf8(int32_t codePoint)
{
    UTF8String out;
    if (codePoint < 0x20 || codePoint == 0x7F || codePoint > 0x10FFFF ||
        (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return out;  // control characters and invalid code points are not typed
    if (codePoint < 0x80) {
        out += char(codePoint);
    } else if (codePoint < 0x800) {
        out += char(0xC0 | (codePoint >> 6));
        out += char(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += char(0xE0 | (codePoint >> 12));
        out += char(0x80 | ((codePoint >> 6) & 0x3F));
        out += char(0x80 | (codePoint & 0x3F));
    } else {
        out += char(0xF0 | (codePoint >> 18));
        out += char(0x80 | ((codePoint >> 12) & 0x3F));
        out += char(0x80 | ((codePoint >> 6) & 0x3F));
        out += char(0x80 | (codePoint & 0x3F));
    }
    return out;
}

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
    cursor = editText.size();
    setDirty(true);
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
    if (!editingText)
        takeFocus();
    cursor = cursorFromX(where.x);
    setDirty(true);
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

int32_t CTextEdit::onKeyDown(VstKeyCode& key)
{
    if (!editingText)
        return -1;
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
            cursor = previousCharacter(editText, cursor);
            break;
        case VKEY_RIGHT:
            cursor = nextCharacter(editText, cursor);
            break;
        case VKEY_HOME:
            cursor = 0;
            break;
        case VKEY_END:
            cursor = editText.size();
            break;
        case VKEY_BACK: {
            const size_t start = previousCharacter(editText, cursor);
            editText.erase(start, cursor - start);
            cursor = start;
            break;
        }
        case VKEY_DELETE:
            editText.erase(cursor, nextCharacter(editText, cursor) - cursor);
            break;
        case VKEY_TAB:
            return -1;
        default: {
            const UTF8String typed = encodeUtf8(key.character);
            if (typed.empty() || (key.modifier & (MODIFIER_CONTROL | MODIFIER_COMMAND)))
                return -1;
            editText.insert(cursor, typed);
            cursor += typed.size();
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
    // While editing: a light field with the edit text and a caret at the cursor.
    const CRect area = textArea();
    context->setDrawMode(kAliasing);
    context->setLineWidth(1);
    context->setFillColor(CColor(255, 255, 255, 230));
    context->drawRect(size, kDrawFilled);
    context->setFrameColor(CColor(60, 120, 200, 255));
    context->drawRect(size, kDrawStroked);
    context->setFont(font.get());
    context->setFontColor(kBlackCColor);
    context->drawString(editText.c_str(), area, align, antialias);

    const CCoord full = context->getStringWidth(editText.c_str());
    CCoord start = area.left;
    if (align == kCenterText)
        start = area.left + (area.getWidth() - full) / 2;
    else if (align == kRightText)
        start = area.right - full;
    const CCoord caretX = start + context->getStringWidth(editText.substr(0, cursor).c_str());
    context->setFrameColor(kBlackCColor);
    context->drawLine(CPoint(caretX, size.top + 3), CPoint(caretX, size.bottom - 4));
    setDirty(false);
}

}  // namespace VSTGUI
