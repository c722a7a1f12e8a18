#include "base/runtime/ObjectBase.h"

#include "base/runtime/List.h"

namespace {

struct PendingWork {
    bool busy = false;
    List<CObjectBase*> destroy;
    List<CObjectBase*> clear;
};

// Never destroyed: objects may still be released from static destructors at exit.
// Drained lists hold no memory, so nothing is left to free at exit either.
PendingWork& Pending() {
    static PendingWork* work = new PendingWork();
    return *work;
}

}  // namespace

void CObjectBase::Release() {
    if (--references_ != 0) return;
    if (LinkCount() != 0) return;
    Destroy(this);
}

void CObjectBase::ReleaseLink(std::uint32_t n, std::uint32_t mask) {
    linkWord_ -= n;
    if (LinkCount() == 0 && references_ == 0) {
        Destroy(this);
        return;
    }
    if ((linkWord_ & mask) != 0) return;
    // The last link is gone while outside holders remain: clear the contents, holding
    // one reference of our own across the clear.
    linkWord_ |= kClearedBit;
    ++references_;
    PendingWork& work = Pending();
    if (work.busy) {
        work.clear.PushBack(this);
        return;
    }
    work.busy = true;
    Clear();
    Release();
    DrainPending();
}

void CObjectBase::Destroy(CObjectBase* object) {
    PendingWork& work = Pending();
    if (work.busy) {
        work.destroy.PushBack(object);
        return;
    }
    work.busy = true;
    delete object;
    DrainPending();
}

void CObjectBase::DrainPending() {
    PendingWork& work = Pending();
    while (!work.destroy.Empty() || !work.clear.Empty()) {
        while (!work.destroy.Empty()) delete work.destroy.PopFront();
        while (!work.clear.Empty()) {
            CObjectBase* object = work.clear.PopFront();
            object->Clear();
            if (--object->references_ == 0 && object->LinkCount() == 0) work.destroy.PushBack(object);
        }
    }
    work.busy = false;
}
