#include "ui/widgets/CGeometry.h"

#include <algorithm>

namespace VSTGUI {

CRect& CRect::bound(const CRect& o)
{
    left = std::max(left, o.left);
    top = std::max(top, o.top);
    right = std::min(right, o.right);
    bottom = std::min(bottom, o.bottom);
    if (right < left)
        right = left;
    if (bottom < top)
        bottom = top;
    return *this;
}

CRect& CRect::unite(const CRect& o)
{
    if (o.isEmpty())
        return *this;
    if (isEmpty())
        return *this = o;
    left = std::min(left, o.left);
    top = std::min(top, o.top);
    right = std::max(right, o.right);
    bottom = std::max(bottom, o.bottom);
    return *this;
}

}  // namespace VSTGUI
