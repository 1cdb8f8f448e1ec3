#include "plugin/zelvar_plugin.h"

#include "plugin/debug_trace.h"
#include "plugin/module_object_count.h"
#include "plugin/persisted_stream.h"
#include "plugin/settings_reader.h"
#include "plugin_state/host_requests.h"
#include "stats/pending_record.h"
#include "stats/stat_file.h"
#include "tracking/percent_series.h"
#include "tracking/refresh_timer.h"
#include "ui/battery_report.h"
#include "ui/colours.h"
#include "ui/line_painter.h"

CZelvarPlugin::CZelvarPlugin() {
  // Until the first fetch from the host the line is drawn in the system's colours.
  state_.colours = SystemColours();
  ++ModuleObjectCount;
}

CZelvarPlugin::~CZelvarPlugin() {
  FlushPercents(state_);
  --ModuleObjectCount;
}

HRESULT CZelvarPlugin::QueryInterface(REFIID riid, void** ppvObject) {
  if (ppvObject == nullptr) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IObjectWithSite) ||
      IsEqualIID(riid, IID_HomeScreenPlugin)) {
    *ppvObject = static_cast<HomeScreenPlugin*>(this);
  } else if (IsEqualIID(riid, IID_IPersist) || IsEqualIID(riid, IID_IPersistStream)) {
    *ppvObject = static_cast<IPersistStream*>(this);
  } else {
    *ppvObject = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG CZelvarPlugin::AddRef() { return static_cast<ULONG>(++referenceCount_); }

ULONG CZelvarPlugin::Release() {
  const LONG count = --referenceCount_;
  if (count > 0) return static_cast<ULONG>(count);
  delete this;
  return 0;
}

HRESULT CZelvarPlugin::SetSite(IUnknown* site) {
  if (state_.hostEnvironment != nullptr) {
    state_.hostEnvironment->Release();
    state_.hostEnvironment = nullptr;
  }
  if (site == nullptr) return S_OK;
  void* environment = nullptr;
  const HRESULT hr = site->QueryInterface(IID_HostEnvironment, &environment);
  // A failing site may still have written its out pointer: hold nothing after a failure.
  if (FAILED(hr)) return hr;
  state_.hostEnvironment = static_cast<HostEnvironment*>(environment);
  return hr;
}

HRESULT CZelvarPlugin::GetSite(REFIID riid, void** ppvSite) {
  if (state_.hostEnvironment == nullptr) {
    if (ppvSite != nullptr) *ppvSite = nullptr;
    return E_FAIL;
  }
  return state_.hostEnvironment->QueryInterface(riid, ppvSite);
}

HRESULT CZelvarPlugin::Initialize(PluginHandle handle, IXMLDOMNode* settings) {
  DebugTrace("CZelvarPlugin::Initialize called \r\n");
  state_.handle = handle;
  ReadSettings(settings, state_.settings);
  state_.StatusText = TEXT("Battery plugin. Initializing...");
  return S_OK;
}

HRESULT CZelvarPlugin::GetHeight(LONG* height) {
  DebugTrace("CZelvarPlugin::GetHeight called \r\n");
  if (height == nullptr) return E_POINTER;
  *height = kPluginLineHeight;
  return S_OK;
}

HRESULT CZelvarPlugin::GetSelectability(BOOL* selectable) {
  DebugTrace("CZelvarPlugin::GetSelectability called \r\n");
  if (selectable == nullptr) return E_POINTER;
  *selectable = TRUE;
  return S_OK;
}

HRESULT CZelvarPlugin::GetClassID(CLSID* classId) {
  if (classId == nullptr) return E_POINTER;
  *classId = CLSID_ZelvarPlugin;
  return S_OK;
}

HRESULT CZelvarPlugin::IsDirty() { return S_OK; }

HRESULT CZelvarPlugin::Load(IStream* stream) {
  if (stream != nullptr) LoadConfiguration(*stream, state_);
  state_.session = DischargeSession{};
  state_.OnPaintCalled = 0;
  FlushPercents(state_);
  // Drops that a run killed before its flush kept beside the stat file are filed now, once.
  FilePendingRecord(state_.settings.StatFilename);
  state_.table.Reset();
  LoadStatFile(state_.settings.StatFilename, static_cast<DWORD>(state_.settings.MaxHistoryDays),
               state_.table, true);
  FetchColours(state_);
  if (ScheduleTimer(state_, 1000)) ++state_.timerRequests;
  return S_OK;
}

HRESULT CZelvarPlugin::Save(IStream* stream, BOOL /*clearDirty*/) {
  if (stream != nullptr) SaveConfiguration(*stream, state_);
  return S_OK;
}

HRESULT CZelvarPlugin::GetSizeMax(ULARGE_INTEGER* size) {
  if (size == nullptr) return E_POINTER;
  size->QuadPart = PersistedSize(state_);
  return S_OK;
}

void CZelvarPlugin::OnNavigationKey() { RefreshOnKey(state_); }

void CZelvarPlugin::OnAction() { ShowBatteryReport(state_); }

void CZelvarPlugin::OnPaint(const PluginEvent& event) { PaintLine(state_, event); }

void CZelvarPlugin::OnSysColorChange() { FetchColours(state_); }

void CZelvarPlugin::OnTimerEvent() { OnTimer(state_); }
