// A drawing context on a 1 x 1 scratch image, for text metrics outside of drawing (a view
// sizing itself to its text). UI thread only; not real-time safe.
#pragma once

#include "ui/widgets/CDrawContext.h"

#include <memory>

namespace VSTGUI {

class MeasureContext
{
public:
    MeasureContext();
    ~MeasureContext();
    MeasureContext(const MeasureContext&) = delete;
    MeasureContext& operator=(const MeasureContext&) = delete;

    CDrawContext& context() { return *drawContext; }

private:
    NativeImage* image = nullptr;
    NativeGraphics* graphics = nullptr;
    std::unique_ptr<CDrawContext> drawContext;
};

}  // namespace VSTGUI
