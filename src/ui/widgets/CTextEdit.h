// An editable text field: a click (or the keyboard focus) starts editing with the whole text
// selected, so typing replaces it; a click while editing places the cursor, a double-click or
// Ctrl+A selects everything. Keys type at the cursor or over the selection (Left/Right/Home/
// End move it, with Shift they extend the selection; Backspace/Delete); Enter or a click
// elsewhere commits, Escape restores the old text. A commit sets the text, converts it to the
// value (setStringToValueFunction) and reports the change inside a gesture.
// UI thread only; not real-time safe.
#pragma once

#include "ui/widgets/CTextLabel.h"

#include <algorithm>
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
    // The selected bytes of the edit text (empty when nothing is selected).
    UTF8String getSelectedText() const;
    void selectAll();

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    int32_t onKeyDown(VstKeyCode& key) override;
    void takeFocus() override;
    void looseFocus() override;

private:
    void commit();
    size_t cursorFromX(CCoord x) const;
    void endTextEntry();
    // Moves the cursor; without `extend` the selection collapses to it.
    void moveCursor(size_t position, bool extend);
    // Removes the selected text; false when nothing was selected.
    bool eraseSelection();
    size_t selectionStart() const { return std::min(anchor, cursor); }
    size_t selectionEnd() const { return std::max(anchor, cursor); }

    StringToValueFunction stringToValue;
    bool editingText = false;
    bool cancelRequested = false;
    bool commitRequested = false;
    UTF8String editText;
    UTF8String textBeforeEdit;
    size_t cursor = 0;
    size_t anchor = 0;  // the other end of the selection (== cursor: none)
    bool selectOnClick = false;  // focus came without a click yet: the next press selects all
};

}  // namespace VSTGUI
