// An editable text field: a click starts editing; keys type at a cursor (Left/Right/Home/End,
// Backspace/Delete); Enter or a click elsewhere commits, Escape restores the old text.
// A commit sets the text, converts it to the value (setStringToValueFunction) and reports
// the change inside a gesture. UI thread only; not real-time safe.
#pragma once

#include "ui/CTextLabel.h"

#include <functional>

namespace VSTGUI {

class CTextEdit : public CTextLabel
{
public:
    // Returns true when `text` gave a value in `result`.
    using StringToValueFunction =
        std::function<bool(UTF8StringPtr text, float& result, CTextEdit* textEdit)>;

    CTextEdit(const CRect& size, IControlListener* listener, int32_t tag,
              UTF8StringPtr text = nullptr, CBitmap* background = nullptr, int32_t style = 0);

    void setStringToValueFunction(StringToValueFunction function);
    // Sets the text and, through the conversion function, the value (no report).
    void setText(UTF8StringPtr text) override;

    bool isEditingText() const { return editingText; }
    const UTF8String& getEditText() const { return editText; }
    size_t getCursorPosition() const { return cursor; }  // byte offset into the edit text

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    int32_t onKeyDown(VstKeyCode& key) override;
    void takeFocus() override;
    void looseFocus() override;

private:
    void commit();
    size_t cursorFromX(CCoord x) const;
    void endTextEntry();

    StringToValueFunction stringToValue;
    bool editingText = false;
    bool cancelRequested = false;
    bool commitRequested = false;
    UTF8String editText;
    UTF8String textBeforeEdit;
    size_t cursor = 0;
};

}  // namespace VSTGUI
