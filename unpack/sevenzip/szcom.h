#pragma once

// Reference counting for both sides of the 7z.so boundary: ComPtr holds the library's objects and ours,
// ComObject implements IUnknown for our streams and callbacks, and guarded() keeps exceptions from
// crossing into the library, which cannot handle them.

#include "unpack/sevenzip/szinterfaces.h"

#include <atomic>
#include <new>
#include <type_traits>
#include <utility>

namespace orv::sz {

template <typename T>
class ComPtr
{
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a new reference.
    explicit ComPtr(T *object) : m_ptr(object)
    {
        if (m_ptr)
            m_ptr->AddRef();
    }
    ComPtr(const ComPtr &other) : ComPtr(other.m_ptr) {}
    ComPtr(ComPtr &&other) noexcept : m_ptr(std::exchange(other.m_ptr, nullptr)) {}
    template <typename U, typename = std::enable_if_t<std::is_convertible_v<U *, T *>>>
    ComPtr(const ComPtr<U> &other) : ComPtr(static_cast<T *>(other.get()))
    {
    }
    ~ComPtr() { reset(); }

    ComPtr &operator=(ComPtr other) noexcept
    {
        std::swap(m_ptr, other.m_ptr);
        return *this;
    }

    // Adopts a reference that is already counted, as CreateObject and QueryInterface hand them out.
    static ComPtr adopt(T *object)
    {
        ComPtr result;
        result.m_ptr = object;
        return result;
    }

    T *get() const { return m_ptr; }
    T *operator->() const { return m_ptr; }
    T &operator*() const { return *m_ptr; }
    explicit operator bool() const { return m_ptr != nullptr; }

    void reset()
    {
        if (T *old = std::exchange(m_ptr, nullptr))
            old->Release();
    }
    // Gives up our reference to a caller that takes it over (an out parameter of a callback).
    T *detach() { return std::exchange(m_ptr, nullptr); }
    // For out parameters; drops what was held.
    void **putVoid()
    {
        reset();
        return reinterpret_cast<void **>(&m_ptr);
    }

    template <typename U>
    ComPtr<U> query() const
    {
        ComPtr<U> result;
        if (m_ptr && m_ptr->QueryInterface(U::iid, result.putVoid()) != hr::ok)
            result.reset();
        return result;
    }

private:
    T *m_ptr = nullptr;
};

namespace detail {
template <typename I>
bool interfaceChainHas(const Guid &requested)
{
    if constexpr (std::is_void_v<I>) {
        return false;
    } else {
        return I::iid == requested || interfaceChainHas<typename I::Base>(requested);
    }
}

template <typename First, typename...>
struct FirstOf
{
    using type = First;
};
}  // namespace detail

// Implements IUnknown for a class of ours that offers the listed interfaces (and their bases).
// Instances are created with makeCom and die with their last Release.
template <typename... Interfaces>
class ComObject : public Interfaces...
{
public:
    ComObject(const ComObject &) = delete;
    ComObject &operator=(const ComObject &) = delete;

    HRESULT QueryInterface(const Guid &requested, void **object) noexcept override
    {
        if (!object)
            return hr::invalidArg;
        *object = nullptr;
        if (requested == IUnknown::iid) {
            *object = static_cast<typename detail::FirstOf<Interfaces...>::type *>(this);
        } else {
            (void)(findInterface<Interfaces>(requested, object) || ...);
        }
        if (!*object)
            return hr::noInterface;
        AddRef();
        return hr::ok;
    }

    ULONG AddRef() noexcept override { return ++m_refs; }

    ULONG Release() noexcept override
    {
        const ULONG left = --m_refs;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    ComObject() = default;
    virtual ~ComObject() = default;

private:
    template <typename I>
    bool findInterface(const Guid &requested, void **object)
    {
        if (!detail::interfaceChainHas<I>(requested))
            return false;
        // The pointer to the subobject of I serves for every interface of its chain, since they share
        // the start of its vtable.
        *object = static_cast<I *>(this);
        return true;
    }

    std::atomic<ULONG> m_refs{0};
};

template <typename T, typename... Args>
ComPtr<T> makeCom(Args &&...args)
{
    return ComPtr<T>(new T(std::forward<Args>(args)...));
}

// Runs a callback body so that no exception reaches 7z.so.
template <typename F>
HRESULT guarded(F &&body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc &) {
        return hr::outOfMemory;
    } catch (...) {
        return hr::fail;
    }
}

}  // namespace orv::sz
