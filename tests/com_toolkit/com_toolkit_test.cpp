// The COM toolkit: identity and counting by the face list, the owned pointer, the memory stream and
// class ids written as text.
#include <gtest/gtest.h>

#include "com_toolkit/class_id_text.h"
#include "com_toolkit/com_object.h"
#include "com_toolkit/com_ptr.h"
#include "com_toolkit/memory_stream.h"
#include "tests/fakes/com_expect.h"

namespace {

// A heap object with two faces that says when it is destroyed.
class TwoFaced final : public ComObject<Face<IStream, IID_IStream, IID_ISequentialStream>,
                                        Face<IPersist, IID_IPersist>> {
 public:
  explicit TwoFaced(bool& destroyed) : destroyed_(destroyed) {}
  HRESULT STDMETHODCALLTYPE Read(void*, ULONG, ULONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return E_NOTIMPL; }

 private:
  ~TwoFaced() override { destroyed_ = true; }
  bool& destroyed_;
};

class ScopedSite final : public ScopedComObject<Face<IObjectWithSite, IID_IObjectWithSite>> {
 public:
  HRESULT STDMETHODCALLTYPE SetSite(IUnknown*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetSite(REFIID, void**) override { return E_FAIL; }
};

IUnknown* Query(IUnknown* object, REFIID iid) {
  void* out = nullptr;
  EXPECT_EQ(object->QueryInterface(iid, &out), S_OK);
  return static_cast<IUnknown*>(out);
}

TEST(ComObjectTest, AnswersByItsFacesWithOneIdentity) {
  bool destroyed = false;
  auto* object = new TwoFaced(destroyed);
  IStream* stream = object;
  IPersist* persist = object;
  ASSERT_NE(static_cast<void*>(stream), static_cast<void*>(persist));

  EXPECT_EQ(Query(stream, IID_IStream), stream);
  EXPECT_EQ(Query(persist, IID_ISequentialStream), stream);
  EXPECT_EQ(Query(stream, IID_IPersist), persist);
  // IUnknown is the first face, whichever face is asked.
  EXPECT_EQ(Query(persist, IID_IUnknown), stream);
  EXPECT_EQ(Query(stream, IID_IUnknown), stream);
  EXPECT_REF_COUNT(stream, 6);
  for (int i = 0; i < 5; ++i) stream->Release();

  EXPECT_INTERFACE(persist, IID_IPersistStream, false);
  EXPECT_INTERFACE(stream, IID_IObjectWithSite, false);
  EXPECT_EQ(stream->QueryInterface(IID_IStream, nullptr), E_POINTER);
  EXPECT_REF_COUNT(persist, 1);

  EXPECT_EQ(persist->AddRef(), 2u);
  EXPECT_EQ(stream->Release(), 1u);
  EXPECT_FALSE(destroyed);
  EXPECT_EQ(persist->Release(), 0u);
  EXPECT_TRUE(destroyed);
}

TEST(ComObjectTest, AScopedObjectCountsWhatItHandedOutAndOutlivesItsLastRelease) {
  ScopedSite site;
  EXPECT_EQ(site.outstanding(), 0);
  IUnknown* first = Query(&site, IID_IObjectWithSite);
  IUnknown* second = Query(&site, IID_IUnknown);
  EXPECT_EQ(first, second);
  EXPECT_EQ(site.outstanding(), 2);
  first->Release();
  EXPECT_EQ(second->Release(), 1u);
  EXPECT_EQ(site.outstanding(), 0);
  EXPECT_EQ(site.Release(), 0u);  // the owner's own reference: nothing is deleted
  EXPECT_EQ(site.outstanding(), -1);
}

TEST(ComPtrTest, ReleasesOnceAndPassesOwnershipOn) {
  bool destroyed = false;
  {
    ComPtr<TwoFaced> owner = ComPtr<TwoFaced>::Adopt(new TwoFaced(destroyed));
    ComPtr<IPersist> persist = QueryInterfaceOf<IPersist>(owner.Get(), IID_IPersist);
    ASSERT_TRUE(persist);
    EXPECT_FALSE(QueryInterfaceOf<IPersistStream>(owner.Get(), IID_IPersistStream));
    EXPECT_FALSE(QueryInterfaceOf<IPersist>(static_cast<IUnknown*>(nullptr), IID_IPersist));

    ComPtr<IPersist> moved = std::move(persist);
    EXPECT_FALSE(persist);  // NOLINT(bugprone-use-after-move): a moved-from pointer holds nothing
    EXPECT_EQ(moved.Reset(), 1u);
    EXPECT_EQ(moved.Reset(), 0u);  // nothing held any more

    ComPtr<TwoFaced> other;
    other = std::move(owner);
    EXPECT_FALSE(owner);  // NOLINT(bugprone-use-after-move)
    IStream* detached = other.Detach();
    EXPECT_FALSE(other);
    EXPECT_FALSE(destroyed);
    other = ComPtr<TwoFaced>::Adopt(static_cast<TwoFaced*>(detached));
  }
  EXPECT_TRUE(destroyed);
}

TEST(MemoryStreamTest, ReadsToTheEndAndWritesOverAndPastIt) {
  ComPtr<MemoryStream> stream = MemoryStream::Create({1, 2, 3});
  EXPECT_INTERFACE(stream.Get(), IID_IStream, true);
  EXPECT_INTERFACE(stream.Get(), IID_ISequentialStream, true);
  EXPECT_INTERFACE(stream.Get(), IID_IPersistStream, false);

  BYTE buffer[4] = {};
  ULONG read = 99;
  EXPECT_EQ(stream->Read(buffer, 2, &read), S_OK);
  EXPECT_EQ(read, 2u);
  EXPECT_EQ(stream->Read(buffer, 4, &read), S_FALSE);
  EXPECT_EQ(read, 1u);
  EXPECT_EQ(buffer[0], 3);
  EXPECT_EQ(stream->Read(buffer, 4, &read), S_FALSE);
  EXPECT_EQ(read, 0u);
  EXPECT_EQ(stream->position(), 3u);

  stream->Rewind();
  const BYTE data[] = {7, 8, 9, 10};
  ULONG written = 0;
  EXPECT_EQ(stream->Read(buffer, 1, nullptr), S_OK);
  EXPECT_EQ(stream->Write(data, 4, &written), S_OK);
  EXPECT_EQ(written, 4u);
  EXPECT_EQ(stream->bytes(), (std::vector<BYTE>{1, 7, 8, 9, 10}));
  EXPECT_EQ(stream->Write(nullptr, 1, &written), E_POINTER);
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(stream->writes(), 2);
}

// {FDEA2F9B-0266-11cf-BAA6-00AA003E0E01} written out by value, each field on its own.
constexpr CLSID kExpected = {
    0xFDEA2F9B, 0x0266, 0x11CF, {0xBA, 0xA6, 0x00, 0xAA, 0x00, 0x3E, 0x0E, 0x01}};

TEST(ClassIdTextTest, TheValueIsReadFromTheTextInEitherCase) {
  constexpr ClassIdLiteral mixed = TEXT("{FDEA2F9B-0266-11cf-BAA6-00AA003E0E01}");
  constexpr ClassIdLiteral lower = TEXT("{fdea2f9b-0266-11cf-baa6-00aa003e0e01}");
  constexpr CLSID fromMixed = ClassIdFromText(mixed);
  EXPECT_TRUE(IsEqualCLSID(fromMixed, kExpected));
  EXPECT_TRUE(IsEqualCLSID(ClassIdFromText(lower), kExpected));
  constexpr ClassIdLiteral digits = TEXT("{01234567-89AB-CDEF-0123-456789abcdef}");
  constexpr CLSID every = {
      0x01234567, 0x89AB, 0xCDEF, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};
  EXPECT_TRUE(IsEqualCLSID(ClassIdFromText(digits), every));
}

TEST(ClassIdTextTest, KeyNamesKeepTheTextsCase) {
  constexpr ClassIdLiteral mixed = TEXT("{FDEA2F9B-0266-11cf-BAA6-00AA003E0E01}");
  EXPECT_EQ(WString(ClassKeyName(mixed).data()), u"CLSID\\{FDEA2F9B-0266-11cf-BAA6-00AA003E0E01}");
  EXPECT_EQ(WString(InprocServerKeyName(mixed).data()),
            u"CLSID\\{FDEA2F9B-0266-11cf-BAA6-00AA003E0E01}\\InprocServer32");
  EXPECT_EQ(ClassKeyName(mixed).size(), 6u + 38u + 1u);
  EXPECT_EQ(JoinedText(u"ab", u"", u"c"), (std::array<WCHAR, 4>{u'a', u'b', u'c', 0}));
}

}  // namespace
