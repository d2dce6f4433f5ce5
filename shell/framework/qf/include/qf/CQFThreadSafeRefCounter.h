// Shared ownership by an atomic reference count kept in the object. The last release calls
// the virtual destroy(), which deletes the object. TQFRef<T> holds one reference.
#pragma once

#include <atomic>
#include <utility>

class CQFThreadSafeRefCounter {
public:
    CQFThreadSafeRefCounter(const CQFThreadSafeRefCounter&) = delete;
    CQFThreadSafeRefCounter& operator=(const CQFThreadSafeRefCounter&) = delete;

    void addRef() const { mCount.fetch_add(1, std::memory_order_relaxed); }
    // Returns the count after the release; at 0 the object has been destroyed.
    int release() const;
    int getRefCount() const { return mCount.load(std::memory_order_acquire); }

protected:
    // A new object has count 0: the first TQFRef (or addRef) takes the first reference.
    CQFThreadSafeRefCounter() = default;
    virtual ~CQFThreadSafeRefCounter() = default;
    // Called on the last release.
    virtual void destroy() { delete this; }

private:
    mutable std::atomic<int> mCount{0};
};

inline int CQFThreadSafeRefCounter::release() const {
    const int left = mCount.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) const_cast<CQFThreadSafeRefCounter*>(this)->destroy();
    return left;
}

// A counted reference to T (T derives from CQFThreadSafeRefCounter). Copying adds a
// reference; destruction or reset releases it.
template <class T>
class TQFRef {
public:
    TQFRef() = default;
    TQFRef(T* object) : mObject(object) {  // NOLINT: adopting a new object is the common case
        if (mObject) mObject->addRef();
    }
    TQFRef(const TQFRef& other) : TQFRef(other.mObject) {}
    TQFRef(TQFRef&& other) noexcept : mObject(std::exchange(other.mObject, nullptr)) {}
    template <class U>
    TQFRef(const TQFRef<U>& other) : TQFRef(other.get()) {}  // NOLINT: derived to base
    ~TQFRef() { reset(); }
    TQFRef& operator=(TQFRef other) noexcept {
        std::swap(mObject, other.mObject);
        return *this;
    }

    void reset() {
        if (T* object = std::exchange(mObject, nullptr)) object->release();
    }
    T* get() const { return mObject; }
    T* operator->() const { return mObject; }
    T& operator*() const { return *mObject; }
    explicit operator bool() const { return mObject != nullptr; }
    bool operator==(const TQFRef& other) const { return mObject == other.mObject; }
    bool operator!=(const TQFRef& other) const { return mObject != other.mObject; }

private:
    T* mObject = nullptr;
};
