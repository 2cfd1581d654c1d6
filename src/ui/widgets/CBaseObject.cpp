#include "ui/widgets/CBaseObject.h"

namespace VSTGUI {

void CBaseObject::forget()
{
    if (--referenceCount == 0)
        delete this;
}

CMessageResult CBaseObject::notify(CBaseObject*, IdStringPtr)
{
    return kMessageUnknown;
}

}  // namespace VSTGUI
