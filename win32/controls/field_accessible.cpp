#include "win32/controls/field_accessible.h"

#include <oleacc.h>

#include <atomic>
#include <utility>

#include "win32/platform/com_ptr.h"
#include "win32/platform/oleacc.h"

namespace horalux::win32 {
namespace {

bool IsSelf(const VARIANT& child) {
  return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

HRESULT Text(const std::wstring& text, BSTR* out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (text.empty()) return S_FALSE;
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

// The field as one accessible object: its own name, description, value,
// role and states; the system's standard object for the rest.
class FieldAccessible final : public IAccessible {
 public:
  // Takes over one reference to `standard`.
  FieldAccessible(IAccessible* standard, AccessibleFieldReader reader)
      : standard_(standard), reader_(std::move(reader)) {}

  // IUnknown.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  // IDispatch: screen readers call the interface directly.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_INVALIDARG;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible: what the field tells of itself.
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
    return OwnText(child, out, &AccessibleField::name, &IAccessible::get_accName);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
    return OwnText(child, out, &AccessibleField::value, &IAccessible::get_accValue);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
    return OwnText(child, out, &AccessibleField::description, &IAccessible::get_accDescription);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
    if (!IsSelf(child)) return standard_->get_accRole(child, out);
    if (!out) return E_INVALIDARG;
    out->vt = VT_I4;
    out->lVal = ROLE_SYSTEM_TEXT;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
    if (!IsSelf(child)) return standard_->get_accState(child, out);
    if (!out) return E_INVALIDARG;
    AccessibleField f;
    if (!Read(f)) return RPC_E_DISCONNECTED;
    // Shown or not, on screen or not: as the system sees the window.
    VARIANT base;
    VariantInit(&base);
    LONG state = 0;
    if (SUCCEEDED(standard_->get_accState(child, &base)) && base.vt == VT_I4) state = base.lVal;
    VariantClear(&base);
    state &= ~(STATE_SYSTEM_FOCUSED | STATE_SYSTEM_READONLY | STATE_SYSTEM_UNAVAILABLE |
               STATE_SYSTEM_FOCUSABLE);
    if (f.focused) state |= STATE_SYSTEM_FOCUSED;
    if (f.read_only) state |= STATE_SYSTEM_READONLY;
    if (f.unavailable)
      state |= STATE_SYSTEM_UNAVAILABLE;
    else
      state |= STATE_SYSTEM_FOCUSABLE;
    out->vt = VT_I4;
    out->lVal = state;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }

  // IAccessible: the rest, as the system knows any window.
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override {
    return standard_->get_accParent(out);
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* out) override {
    return standard_->get_accChildCount(out);
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    return standard_->get_accChild(child, out);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override {
    return standard_->get_accHelp(child, out);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
    return standard_->get_accHelpTopic(file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
    return standard_->get_accKeyboardShortcut(child, out);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
    return standard_->get_accFocus(out);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
    return standard_->get_accSelection(out);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
    return standard_->get_accDefaultAction(child, out);
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
    return standard_->accSelect(flags, child);
  }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* x, LONG* y, LONG* w, LONG* h,
                                        VARIANT child) override {
    return standard_->accLocation(x, y, w, h, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG dir, VARIANT start, VARIANT* end) override {
    return standard_->accNavigate(dir, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* out) override {
    return standard_->accHitTest(x, y, out);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    return standard_->accDoDefaultAction(child);
  }

 private:
  ~FieldAccessible() { standard_->Release(); }
  bool Read(AccessibleField& f) { return reader_ && reader_(f); }
  // One of the field's own texts; a child's is the standard object's.
  HRESULT OwnText(VARIANT child, BSTR* out, std::wstring AccessibleField::*text,
                  HRESULT (STDMETHODCALLTYPE IAccessible::*standard)(VARIANT, BSTR*)) {
    if (!IsSelf(child)) return (standard_->*standard)(child, out);
    AccessibleField f;
    return Read(f) ? Text(f.*text, out) : RPC_E_DISCONNECTED;
  }

  IAccessible* standard_;  // one reference, the object's own
  AccessibleFieldReader reader_;
  std::atomic<ULONG> refs_{1};
};

}  // namespace

LRESULT AnswerFieldObject(HWND hwnd, WPARAM wp, LPARAM lp, AccessibleFieldReader reader) {
  if (static_cast<LONG>(lp) != static_cast<LONG>(OBJID_CLIENT)) return 0;
  const Oleacc* oleacc = LoadOleacc();
  if (!oleacc) return 0;
  ComPtr<IAccessible> standard;
  if (FAILED(oleacc->CreateStdAccessibleObject(hwnd, OBJID_CLIENT, __uuidof(IAccessible),
                                               standard.put_void())) ||
      !standard)
    return 0;
  standard.get()->AddRef();
  auto* field = new FieldAccessible(standard.get(), std::move(reader));
  const LRESULT result = oleacc->LresultFromObject(__uuidof(IAccessible), wp, field);
  field->Release();
  return result < 0 ? 0 : result;
}

}  // namespace horalux::win32
