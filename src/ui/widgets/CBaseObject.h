// Reference counting and the notification channel shared by all widget-layer objects.
// UI thread only; not real-time safe (forget may free).
#pragma once

#include <cstdint>
#include <string>

namespace VSTGUI {

using IdStringPtr = const char*;
using UTF8StringPtr = const char*;
using UTF8String = std::string;

enum CMessageResult
{
    kMessageUnknown = 0,
    kMessageNotified = 1,
};

// Objects start with one reference held by their creator; forget() at zero deletes them.
class CBaseObject
{
public:
    CBaseObject() = default;
    CBaseObject(const CBaseObject&) = delete;
    CBaseObject& operator=(const CBaseObject&) = delete;
    virtual ~CBaseObject() = default;

    virtual void remember() { ++referenceCount; }
    virtual void forget();
    int32_t getNbReference() const { return referenceCount; }

    // Message IDs are compared by address, never by text.
    virtual CMessageResult notify(CBaseObject* sender, IdStringPtr message);

private:
    int32_t referenceCount = 1;
};

// Holds one reference to a CBaseObject for the lifetime of the holder.
template <typename T>
class SharedPointer
{
public:
    SharedPointer() = default;
    // adopt: take over the creator's reference instead of adding one.
    SharedPointer(T* object, bool adopt) : object(object)
    {
        if (object && !adopt)
            object->remember();
    }
    SharedPointer(const SharedPointer& o) : SharedPointer(o.object, false) {}
    SharedPointer& operator=(const SharedPointer& o)
    {
        SharedPointer copy(o);
        std::swap(object, copy.object);
        return *this;
    }
    ~SharedPointer() { reset(); }
    void reset()
    {
        if (object)
            object->forget();
        object = nullptr;
    }
    T* get() const { return object; }
    T* operator->() const { return object; }
    explicit operator bool() const { return object != nullptr; }

private:
    T* object = nullptr;
};

template <typename T>
SharedPointer<T> owned(T* object) { return SharedPointer<T>(object, true); }
template <typename T>
SharedPointer<T> shared(T* object) { return SharedPointer<T>(object, false); }

}  // namespace VSTGUI
