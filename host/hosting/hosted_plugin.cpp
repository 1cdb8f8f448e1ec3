#include "host/hosting/hosted_plugin.h"

#include "host/hosting/host_error.h"
#include "com_toolkit/memory_stream.h"

namespace {

ComPtr<IPersistStream> PersistStreamOf(HomeScreenPlugin* plugin) {
  ComPtr<IPersistStream> persist = QueryInterfaceOf<IPersistStream>(plugin, IID_IPersistStream);
  if (!persist)
    throw HostError("the plug-in does not offer IPersistStream, through which it is restored");
  return persist;
}

}  // namespace

HostedPlugin::HostedPlugin(ActivatedPlugin plugin, IUnknown* site, IXMLDOMNode* element,
                           const std::optional<std::vector<BYTE>>& savedStream)
    : plugin_(std::move(plugin)), persist_(PersistStreamOf(plugin_.plugin())) {
  HomeScreenPlugin* object = plugin_.plugin();
  object->SetSite(site);
  object->Initialize(kHandle, element);
  ComPtr<MemoryStream> stream = MemoryStream::Create(savedStream.value_or(std::vector<BYTE>{}));
  if (!savedStream) {
    persist_->Save(stream.Get(), TRUE);
    stream->Rewind();
  }
  persist_->Load(stream.Get());
  object->GetHeight(&height_);
  BOOL selectable = FALSE;
  object->GetSelectability(&selectable);
  selectable_ = selectable != FALSE;
}

HostedPlugin::~HostedPlugin() {
  if (!stopped_) Shutdown();
}

void HostedPlugin::Send(PluginEventType type) {
  PluginEvent event{};
  event.type = type;
  plugin_.plugin()->OnEvent(&event);
}

void HostedPlugin::Timer() { Send(PE_TIMER); }

void HostedPlugin::Paint(Canvas& canvas, const RECT& line, bool selected) {
  const ScopedDeviceContext context(canvas);
  PluginEvent event = MakePaintEvent(context.eventWord(), selected, line);
  plugin_.plugin()->OnEvent(&event);
}

void HostedPlugin::KeyDown(WORD keyCode) {
  PluginEvent event{};
  event.type = PE_KEYDOWN;
  event.key.keyCode = keyCode;
  plugin_.plugin()->OnEvent(&event);
}

void HostedPlugin::Action() { Send(PE_ACTION); }

void HostedPlugin::ColourChange() { Send(PE_SYSCOLORCHANGE); }

std::vector<BYTE> HostedPlugin::Snapshot() const {
  const ComPtr<MemoryStream> stream = MemoryStream::Create();
  persist_->Save(stream.Get(), FALSE);
  return stream->bytes();
}

std::vector<BYTE> HostedPlugin::Stop() {
  const ComPtr<MemoryStream> stream = MemoryStream::Create();
  persist_->Save(stream.Get(), TRUE);
  Shutdown();
  return stream->bytes();
}

void HostedPlugin::Shutdown() {
  stopped_ = true;
  persist_.Reset();
  plugin_.plugin()->SetSite(nullptr);
  referencesLeft_ = plugin_.Release();
}
