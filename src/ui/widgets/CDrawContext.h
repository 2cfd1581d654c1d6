// Drawing through the back end's graphics (cairo, or GDI+ on Windows) with the draw modes, line styles, colours and text of the widget
// layer. Text is laid out by the system's text engine (Pango on Linux, GDI+ with font fallback
// on Windows): any script an installed font covers draws, and any bytes are made valid UTF-8
// first, so no string can keep the context from drawing. UI thread only; not real-time safe.
#pragma once

#include "ui/widgets/CColor.h"
#include "ui/widgets/CFontDesc.h"
#include "ui/widgets/CGeometry.h"

#include <cstdint>
#include <memory>
#include <vector>

#include "ui/widgets/NativeGraphics.h"

namespace VSTGUI {

enum CDrawModeFlags : uint32_t
{
    kAliasing = 0,                   // no anti-aliasing, coordinates snapped to whole pixels
    kAntiAliasing = 1,               // anti-aliased, coordinates snapped to whole pixels
    kNonIntegralMode = 0xF0000000,   // coordinates used as given (combine with the above)
};

class CDrawMode
{
public:
    CDrawMode(uint32_t mode = kAliasing) : mode(mode) {}
    uint32_t modeIgnoringIntegralMode() const { return mode & ~uint32_t(kNonIntegralMode); }
    bool integralMode() const { return (mode & kNonIntegralMode) == 0; }
    bool antiAliased() const { return modeIgnoringIntegralMode() == kAntiAliasing; }
    bool operator==(const CDrawMode& o) const { return mode == o.mode; }

private:
    uint32_t mode;
};

class CLineStyle
{
public:
    enum LineCap { kLineCapButt = 0, kLineCapRound, kLineCapSquare };
    CLineStyle(LineCap cap = kLineCapButt, std::vector<double> dashLengths = {})
        : cap(cap), dashLengths(std::move(dashLengths)) {}
    LineCap getLineCap() const { return cap; }
    const std::vector<double>& getDashLengths() const { return dashLengths; }
    bool operator==(const CLineStyle& o) const
    {
        return cap == o.cap && dashLengths == o.dashLengths;
    }

private:
    LineCap cap;
    std::vector<double> dashLengths;  // in multiples of the line width; empty = solid
};

extern const CLineStyle kLineSolid;
extern const CLineStyle kLineOnOffDash;

enum CDrawStyle
{
    kDrawStroked = 0,
    kDrawFilled,
    kDrawFilledAndStroked,
};

enum CHoriTxtAlign
{
    kLeftText = 0,
    kCenterText,
    kRightText,
};

class CDrawContext
{
public:
    // Draws through `graphics` (not owned). Its current transform is the frame's origin.
    explicit CDrawContext(NativeGraphics* graphics);
    ~CDrawContext();
    CDrawContext(const CDrawContext&) = delete;
    CDrawContext& operator=(const CDrawContext&) = delete;

    NativeGraphics* getGraphics() const { return graphics; }
    // The back end's text layout state (fonts, caches), made on the first use of text.
    struct TextEngine;

    void setDrawMode(CDrawMode mode) { state.drawMode = mode; }
    CDrawMode getDrawMode() const { return state.drawMode; }
    void setLineWidth(CCoord width) { state.lineWidth = width > 0 ? width : 1; }
    CCoord getLineWidth() const { return state.lineWidth; }
    void setLineStyle(const CLineStyle& style) { state.lineStyle = style; }
    const CLineStyle& getLineStyle() const { return state.lineStyle; }
    void setFillColor(const CColor& colour) { state.fillColour = colour; }
    CColor getFillColor() const { return state.fillColour; }
    void setFrameColor(const CColor& colour) { state.frameColour = colour; }
    CColor getFrameColor() const { return state.frameColour; }
    void setFontColor(const CColor& colour) { state.fontColour = colour; }
    CColor getFontColor() const { return state.fontColour; }
    void setFont(CFontRef font);
    CFontRef getFont() const { return state.font; }
    void setGlobalAlpha(float alpha) { state.globalAlpha = alpha; }
    float getGlobalAlpha() const { return state.globalAlpha; }

    void drawRect(const CRect& rect, CDrawStyle style = kDrawStroked);
    void drawLine(const CPoint& start, const CPoint& end);
    void drawEllipse(const CRect& rect, CDrawStyle style = kDrawStroked);
    // One line of text, its baseline centred vertically in `rect` by the current font's
    // metrics (also where characters come from fallback fonts), clipped to it, aligned
    // horizontally as asked. Line breaks in the text show as characters.
    void drawString(UTF8StringPtr text, const CRect& rect, CHoriTxtAlign align = kCenterText,
                    bool antialias = true);
    CCoord getStringWidth(UTF8StringPtr text);
    // Ascent plus descent of the current font, in pixels.
    CCoord getFontHeight();

    // Clip and translation; saveGlobalState/restoreGlobalState nest.
    void saveGlobalState();
    void restoreGlobalState();
    void clipRect(const CRect& rect);
    void translate(CCoord dx, CCoord dy);

private:
    struct State
    {
        CDrawMode drawMode{kAliasing};
        CCoord lineWidth = 1;
        CLineStyle lineStyle;
        CColor fillColour = kWhiteCColor;
        CColor frameColour = kBlackCColor;
        CColor fontColour = kBlackCColor;
        CFontRef font = nullptr;
        float globalAlpha = 1.f;
    };
    void applyColour(const CColor& colour);
    void applyLine();
    CRect pixelAligned(const CRect& rect) const;
    TextEngine& textEngine();

    NativeGraphics* graphics;
    State state;
    std::vector<State> savedStates;
    std::vector<uint32_t> nativeStates;  // the back end's own save tokens, where it has them
    std::unique_ptr<TextEngine> text;
};

}  // namespace VSTGUI
