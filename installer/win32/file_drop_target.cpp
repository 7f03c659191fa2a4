#include "installer/win32/file_drop_target.h"

#include <vector>

namespace {

FORMATETC FilesFormat() { return {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

class FileDropTarget final : public IDropTarget {
 public:
  explicit FileDropTarget(FilesDroppedHandler onFilesDropped) : onFilesDropped_(onFilesDropped) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
      *object = static_cast<IDropTarget*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    FORMATETC format = FilesFormat();
    holdsFiles_ = data && data->QueryGetData(&format) == S_OK;
    return Answer(effect);
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override { return Answer(effect); }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    holdsFiles_ = false;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    holdsFiles_ = false;
    if (effect) *effect = DROPEFFECT_NONE;
    if (!data) return E_INVALIDARG;
    FORMATETC format = FilesFormat();
    STGMEDIUM medium = {};
    if (data->GetData(&format, &medium) != S_OK) return S_OK;  // no files: nothing happens
    std::string dropped = DroppedFilesText(static_cast<HDROP>(medium.hGlobal));
    ReleaseStgMedium(&medium);
    if (effect) *effect = DROPEFFECT_COPY;
    // Keep ourselves alive should the handler close the window (and revoke us).
    AddRef();
    onFilesDropped_(dropped);
    Release();
    return S_OK;
  }

 private:
  HRESULT Answer(DWORD* effect) {
    if (effect) *effect = holdsFiles_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
  }

  LONG references_ = 1;
  bool holdsFiles_ = false;
  FilesDroppedHandler onFilesDropped_;
};

}  // namespace

std::string DroppedFilesText(HDROP drop) {
  UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  std::string text;
  for (UINT i = 0; i < count; ++i) {
    UINT length = DragQueryFileA(drop, i, nullptr, 0);
    std::vector<char> path(length + 1);
    UINT copied = DragQueryFileA(drop, i, path.data(), length + 1);
    text.append(path.data(), copied);
    if (count > 1) text += "\r\n";
  }
  return text;
}

IDropTarget* NewFileDropTarget(FilesDroppedHandler onFilesDropped) { return new FileDropTarget(onFilesDropped); }

IDropTarget* AttachFileDropTarget(HWND window, FilesDroppedHandler onFilesDropped) {
  IDropTarget* target = NewFileDropTarget(onFilesDropped);
  HRESULT registered = RegisterDragDrop(window, target);
  target->Release();  // the registration holds its own reference
  return registered == S_OK ? target : nullptr;
}
