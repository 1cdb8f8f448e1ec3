// IUnknown written once: a reference-counted object over a list of faces, each an interface with
// the identifiers that ask for it. QueryInterface answers by the list; IUnknown always gives the
// first face, so every face shares one identity and one count. Builds against the stand-in and the
// system headers alike.
#pragma once

#include "platform/api.h"

// An interface the object offers and the identifiers that ask for it: its own, and those of the
// interfaces it extends that the object also answers for (ISequentialStream for IStream).
template <typename OfferedInterface, const IID&... Ids>
struct Face {
  using Interface = OfferedInterface;
  static bool Answers(REFIID iid) { return (IsEqualIID(iid, Ids) || ...); }
};

enum class Lifetime {
  kHeap,   // made with new; the last Release deletes it
  kScope,  // lives in its owner's scope (a test's stack); Release never deletes it
};

template <Lifetime kLifetime, typename FirstFace, typename... MoreFaces>
class BasicComObject : public FirstFace::Interface, public MoreFaces::Interface... {
 public:
  // IUnknown and the first face's identifiers give the first face, another face's identifiers that
  // face, with one reference added; anything else E_NOINTERFACE and a null pointer.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = FaceFor(iid);
    if (*object == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG remaining = --references_;
    if constexpr (kLifetime == Lifetime::kHeap) {
      if (remaining == 0) delete this;
    }
    return static_cast<ULONG>(remaining);
  }

  // References handed out and not yet given back; the owner's own is not counted.
  LONG outstanding() const requires(kLifetime == Lifetime::kScope) { return references_ - 1; }

  BasicComObject(const BasicComObject&) = delete;
  BasicComObject& operator=(const BasicComObject&) = delete;

 protected:
  BasicComObject() = default;
  virtual ~BasicComObject() = default;

 private:
  void* FaceFor(REFIID iid) {
    if (IsEqualIID(iid, IID_IUnknown) || FirstFace::Answers(iid)) {
      return static_cast<typename FirstFace::Interface*>(this);
    }
    void* found = nullptr;
    (void)((MoreFaces::Answers(iid) &&
            (found = static_cast<typename MoreFaces::Interface*>(this)) != nullptr) ||
           ...);
    return found;
  }

  LONG references_ = 1;  // the creator's (or the owner's) reference
};

// A COM object on the heap: created with one reference, the creator's, and deleted by the last
// Release. Derived classes keep their destructors private or protected so that only Release ends
// them.
template <typename... Faces>
using ComObject = BasicComObject<Lifetime::kHeap, Faces...>;

// A COM object that its owner's scope keeps (a fake on a test's stack): Release never deletes it,
// and outstanding() shows whether every reference handed out came back.
template <typename... Faces>
using ScopedComObject = BasicComObject<Lifetime::kScope, Faces...>;
