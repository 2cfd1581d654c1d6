// A file-type filter for the file selector: description and extension without the dot
// ("*" for all files). Plain value type: any thread, real-time safe to read (construction allocates).
#pragma once

#include "ui/widgets/CBaseObject.h"

namespace VSTGUI {

class CFileExtension
{
public:
    CFileExtension(UTF8StringPtr description, UTF8StringPtr extension,
                   UTF8StringPtr mimeType = nullptr, int32_t macType = 0,
                   UTF8StringPtr uti = nullptr)
        : description(description ? description : ""), extension(extension ? extension : ""),
          mimeType(mimeType ? mimeType : ""), uti(uti ? uti : ""), macType(macType) {}

    const UTF8String& getDescription() const { return description; }
    const UTF8String& getExtension() const { return extension; }
    const UTF8String& getMimeType() const { return mimeType; }
    const UTF8String& getUTI() const { return uti; }
    int32_t getMacType() const { return macType; }
    bool operator==(const CFileExtension& o) const
    {
        return extension == o.extension && mimeType == o.mimeType && uti == o.uti &&
               macType == o.macType;
    }

private:
    UTF8String description;
    UTF8String extension;
    UTF8String mimeType;
    UTF8String uti;
    int32_t macType;
};

}  // namespace VSTGUI
