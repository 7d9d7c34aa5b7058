// Win32Platform::ShellExecuteAsDesktopUser: the request made by the desktop's
// own shell. We reach it as a script would: the shell windows give the
// desktop's browser, its view the folder view's automation object, and that
// the Shell.Application of the Explorer process the user signed in to.
#include <windows.h>
#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include "actions/win32_platform.h"

namespace {

// Holds one interface and releases it once, on every way out.
template <class Interface>
class ComPointer {
 public:
  ComPointer() = default;
  ~ComPointer() { Release(); }
  ComPointer(const ComPointer&) = delete;
  ComPointer& operator=(const ComPointer&) = delete;

  Interface* operator->() const { return pointer_; }
  bool empty() const { return pointer_ == nullptr; }

  // For the out-parameter of the call that gives one.
  Interface** Receive() {
    Release();
    return &pointer_;
  }
  void** ReceiveAny() { return reinterpret_cast<void**>(Receive()); }

 private:
  void Release() {
    if (pointer_ != nullptr) pointer_->Release();
    pointer_ = nullptr;
  }

  Interface* pointer_ = nullptr;
};

// COM on this thread for the time of one request. Declared before every
// interface it serves, so it ends after they have all been released.
class ApartmentScope {
 public:
  ApartmentScope() : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ApartmentScope() {
    if (SUCCEEDED(result_)) ::CoUninitialize();
  }
  ApartmentScope(const ApartmentScope&) = delete;
  ApartmentScope& operator=(const ApartmentScope&) = delete;

  // Set up otherwise on this thread already, COM serves all the same.
  bool usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

 private:
  const HRESULT result_;
};

// A VARIANT cleared, and so its BSTR freed, on every way out.
class Variant {
 public:
  Variant() { ::VariantInit(&value_); }
  ~Variant() { ::VariantClear(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;

  bool SetText(const wchar_t* text) {
    ::VariantClear(&value_);
    V_VT(&value_) = VT_BSTR;
    V_BSTR(&value_) = ::SysAllocString(text);
    return V_BSTR(&value_) != nullptr;
  }
  void SetInteger(LONG number) {
    ::VariantClear(&value_);
    V_VT(&value_) = VT_I4;
    V_I4(&value_) = number;
  }
  VARIANT* get() { return &value_; }

 private:
  VARIANT value_;
};

// A BSTR freed on every way out.
class String {
 public:
  explicit String(const wchar_t* text) : text_(::SysAllocString(text)) {}
  ~String() { ::SysFreeString(text_); }
  String(const String&) = delete;
  String& operator=(const String&) = delete;

  BSTR get() const { return text_; }

 private:
  const BSTR text_;
};

// The Shell.Application of the Explorer that shows the desktop; false when
// any step of the way is not there.
bool FindDesktopShell(ComPointer<IShellDispatch2>& shell) {
  ComPointer<IShellWindows> windows;
  if (FAILED(::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_IShellWindows,
                                windows.ReceiveAny())))
    return false;

  Variant desktopFolder, noRoot;
  desktopFolder.SetInteger(CSIDL_DESKTOP);
  LONG window = 0;
  ComPointer<IDispatch> desktop;
  // S_FALSE, with nothing given, when no desktop window is registered.
  if (windows->FindWindowSW(desktopFolder.get(), noRoot.get(), SWC_DESKTOP, &window,
                            SWFO_NEEDDISPATCH, desktop.Receive()) != S_OK ||
      desktop.empty())
    return false;

  ComPointer<IServiceProvider> services;
  if (FAILED(desktop->QueryInterface(IID_IServiceProvider, services.ReceiveAny()))) return false;
  ComPointer<IShellBrowser> browser;
  if (FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser,
                                    browser.ReceiveAny())))
    return false;
  ComPointer<IShellView> view;
  if (FAILED(browser->QueryActiveShellView(view.Receive())) || view.empty()) return false;
  ComPointer<IDispatch> background;
  if (FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.ReceiveAny())))
    return false;
  ComPointer<IShellFolderViewDual> folderView;
  if (FAILED(background->QueryInterface(IID_IShellFolderViewDual, folderView.ReceiveAny())))
    return false;
  ComPointer<IDispatch> application;
  if (FAILED(folderView->get_Application(application.Receive())) || application.empty())
    return false;
  return SUCCEEDED(application->QueryInterface(IID_IShellDispatch2, shell.ReceiveAny())) &&
         !shell.empty();
}

}  // namespace

bool Win32Platform::ShellExecuteAsDesktopUser(const wchar_t* verb, const wchar_t* file,
                                              const wchar_t* parameters, int show) {
  ApartmentScope apartment;
  if (!apartment.usable()) return false;
  ComPointer<IShellDispatch2> shell;
  if (!FindDesktopShell(shell)) return false;

  String program(file);
  Variant arguments, directory, operation, showAs;
  // An empty VARIANT is an argument left out: no directory.
  if (program.get() == nullptr || !arguments.SetText(parameters) || !operation.SetText(verb))
    return false;
  showAs.SetInteger(show);
  // Handed over: whatever Explorer makes of it, this was the click's request.
  shell->ShellExecute(program.get(), *arguments.get(), *directory.get(), *operation.get(),
                      *showAs.get());
  return true;
}
