// The class object and unload protocol of the built module, driven through its exports.
#include <gtest/gtest.h>

#include "plugin_host/home_screen_plugin.h"
#include "tests/fakes/com_expect.h"
#include "tests/fakes/unqueried_com_object.h"
#include "tests/module/loaded_module.h"

namespace {

// {01234567-89AB-CDEF-0123-456789ABCDEF}: a class and an interface nobody offers.
constexpr GUID kUnknownGuid = {
    0x01234567, 0x89AB, 0xCDEF, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};
void* const kSentinel = reinterpret_cast<void*>(0x5EED);

// An outer object offered for aggregation; the factory must not call it.
// The factory refuses aggregation without asking the outer object anything.
using OuterObject = UnqueriedComObject<Face<IUnknown, IID_IUnknown>>;

class ClassFactory : public testing::Test {
 protected:
  LoadedModule module{BuiltModuleFile()};
};

// The identifier with one byte changed: identifiers are compared as whole 16-byte values.
GUID WithByteFlipped(GUID id, size_t byte) {
  reinterpret_cast<unsigned char*>(&id)[byte] ^= 0x01;
  return id;
}

TEST_F(ClassFactory, RefusesOtherClassesAndNullOutPointers) {
  for (const CLSID& other :
       {kUnknownGuid, WithByteFlipped(kPluginClassId, 15), WithByteFlipped(kPluginClassId, 0),
        WithByteFlipped(kPluginClassId, 8)}) {
    void* out = kSentinel;
    EXPECT_EQ(module.DllGetClassObject(other, IID_IClassFactory, &out),
              static_cast<HRESULT>(0x80040111));
    EXPECT_EQ(out, nullptr);
  }
  EXPECT_EQ(module.DllGetClassObject(kPluginClassId, IID_IClassFactory, nullptr), E_POINTER);
  EXPECT_EQ(module.DllCanUnloadNow(), S_OK);
}

TEST_F(ClassFactory, HandsOutAFreshFactoryForIUnknownAndIClassFactory) {
  for (const IID* iid : {&IID_IUnknown, &IID_IClassFactory}) {
    void* first = kSentinel;
    ASSERT_EQ(module.DllGetClassObject(kPluginClassId, *iid, &first), S_OK);
    void* second = kSentinel;
    ASSERT_EQ(module.DllGetClassObject(kPluginClassId, *iid, &second), S_OK);
    auto* factory = static_cast<IClassFactory*>(first);
    EXPECT_NE(first, second);
    EXPECT_REF_COUNT(factory, 1);
    for (const IID& offered : {IID_IUnknown, IID_IClassFactory}) {
      void* same = kSentinel;
      ASSERT_EQ(factory->QueryInterface(offered, &same), S_OK);
      EXPECT_EQ(same, first);
      EXPECT_REF_COUNT(factory, 2);
      factory->Release();
    }
    for (const IID& other : {IID_HomeScreenPlugin, WithByteFlipped(IID_IClassFactory, 15),
                             WithByteFlipped(IID_IUnknown, 15)}) {
      EXPECT_INTERFACE(factory, other, false);
    }
    EXPECT_EQ(factory->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
    EXPECT_REF_COUNT(factory, 1);
    EXPECT_EQ(factory->Release(), 0u);
    EXPECT_EQ(static_cast<IUnknown*>(second)->Release(), 0u);
  }
}

TEST_F(ClassFactory, RefusesInterfacesTheFactoryDoesNotOffer) {
  for (const IID& iid : {IID_HomeScreenPlugin, IID_IPersistStream, kUnknownGuid,
                         WithByteFlipped(IID_IClassFactory, 15)}) {
    void* out = kSentinel;
    EXPECT_EQ(module.DllGetClassObject(kPluginClassId, iid, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
  }
}

TEST_F(ClassFactory, CreatesThePluginAndHoldsTheModuleWhileItLives) {
  IClassFactory* factory = module.GetFactory();
  void* out = kSentinel;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_HomeScreenPlugin, &out), S_OK);
  auto* plugin = static_cast<HomeScreenPlugin*>(out);
  EXPECT_REF_COUNT(plugin, 1);
  EXPECT_EQ(module.DllCanUnloadNow(), S_FALSE);

  void* persist = nullptr;
  ASSERT_EQ(plugin->QueryInterface(IID_IPersistStream, &persist), S_OK);
  CLSID classId{};
  EXPECT_EQ(static_cast<IPersistStream*>(persist)->GetClassID(&classId), S_OK);
  EXPECT_EQ(classId, kPluginClassId);
  static_cast<IUnknown*>(persist)->Release();

  EXPECT_EQ(factory->Release(), 0u);
  EXPECT_EQ(module.DllCanUnloadNow(), S_FALSE) << "the object, not the factory, holds the module";
  EXPECT_EQ(plugin->Release(), 0u);
  EXPECT_EQ(module.DllCanUnloadNow(), S_OK);
}

TEST_F(ClassFactory, FailedCreationLeavesNothingBehind) {
  IClassFactory* factory = module.GetFactory();
  OuterObject outer;
  void* out = kSentinel;
  EXPECT_EQ(factory->CreateInstance(&outer, IID_IUnknown, &out), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(outer.outstanding(), 0);

  for (const IID* iid : {&IID_IClassFactory, &kUnknownGuid}) {
    out = kSentinel;
    EXPECT_EQ(factory->CreateInstance(nullptr, *iid, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(module.DllCanUnloadNow(), S_OK);
  }
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);
  EXPECT_EQ(module.DllCanUnloadNow(), S_OK);
  EXPECT_REF_COUNT(factory, 1);
  factory->Release();
}

TEST_F(ClassFactory, ServerLocksHoldTheModuleAndHaveNoLowerBound) {
  IClassFactory* factory = module.GetFactory();
  EXPECT_EQ(module.DllCanUnloadNow(), S_OK)
      << "a factory held without a lock does not hold the module";

  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  EXPECT_EQ(module.DllCanUnloadNow(), S_FALSE);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  EXPECT_EQ(module.DllCanUnloadNow(), S_OK);

  // Any non-zero flag locks.
  for (const BOOL lock : {2, -1, 0x100}) {
    EXPECT_EQ(factory->LockServer(lock), S_OK);
    EXPECT_EQ(module.DllCanUnloadNow(), S_FALSE) << lock;
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(module.DllCanUnloadNow(), S_OK) << lock;
  }

  // An unmatched unlock takes the count to -1; the next lock brings it back to zero.
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  EXPECT_EQ(module.DllCanUnloadNow(), S_FALSE);
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  EXPECT_EQ(module.DllCanUnloadNow(), S_OK);
  factory->Release();
}

}  // namespace
