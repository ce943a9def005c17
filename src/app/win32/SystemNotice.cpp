// SPDX-License-Identifier: GPL-3.0-or-later
// Windows: the text goes out as a UI Automation notification event raised on the provider
// Windows hosts for the window's handle. Qt 6.4's UI Automation bridge passes no event of a
// widget that is not focused on to the screen reader (no live regions, no notifications), so
// this is the one way a status is heard there without moving the focus. The call came with
// Windows 10 version 1709; it is looked up at run time, so that the program still starts
// where it is missing (and says nothing there).
#include "app/common/SystemNotice.h"

#include <windows.h>

#include <oleauto.h>
#include <unknwn.h>

#include <QGuiApplication>
#include <QWidget>
#include <string>

namespace vantrel::app {
namespace {

// The calls of UIAutomationCore.h, whose provider (an IRawElementProviderSimple) is handled
// here through its IUnknown alone: mingw-w64's header of them does not compile as C++.
// NotificationKind_Other and NotificationProcessing_All: a status message, spoken after what
// is being said, none of a series dropped.
constexpr int kNotificationKindOther = 4;
constexpr int kNotificationProcessingAll = 2;
constexpr const wchar_t* kActivityId = L"Vantrel.Status";

using HostProviderFromHwnd = HRESULT(WINAPI*)(HWND, IUnknown**);
using RaiseNotificationEvent = HRESULT(WINAPI*)(IUnknown*, int, int, BSTR, BSTR);

struct UiaCalls {
    HostProviderFromHwnd hostProvider = nullptr;
    RaiseNotificationEvent raiseNotification = nullptr;
};

const UiaCalls& Calls() {
    static const UiaCalls calls = [] {
        UiaCalls found;
        HMODULE core =
            ::LoadLibraryExW(L"UIAutomationCore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (core == nullptr) return found;
        found.hostProvider = reinterpret_cast<HostProviderFromHwnd>(
            reinterpret_cast<void*>(::GetProcAddress(core, "UiaHostProviderFromHwnd")));
        found.raiseNotification = reinterpret_cast<RaiseNotificationEvent>(
            reinterpret_cast<void*>(::GetProcAddress(core, "UiaRaiseNotificationEvent")));
        return found;
    }();
    return calls;
}

}  // namespace

void RaiseSystemNotice(QWidget* window, const QString& text) {
    if (window == nullptr || text.isEmpty()) return;
    // Only a window of the native platform has a handle (not one of the offscreen platform).
    if (QGuiApplication::platformName() != QLatin1String("windows")) return;
    const auto handle = reinterpret_cast<HWND>(window->internalWinId());
    const UiaCalls& calls = Calls();
    if (handle == nullptr || calls.hostProvider == nullptr || calls.raiseNotification == nullptr) {
        return;
    }
    IUnknown* provider = nullptr;
    if (FAILED(calls.hostProvider(handle, &provider)) || provider == nullptr) return;
    const std::wstring wide = text.toStdWString();
    BSTR display = ::SysAllocString(wide.c_str());
    BSTR activity = ::SysAllocString(kActivityId);
    if (display != nullptr && activity != nullptr) {
        calls.raiseNotification(provider, kNotificationKindOther, kNotificationProcessingAll,
                                display, activity);
    }
    ::SysFreeString(activity);
    ::SysFreeString(display);
    provider->Release();
}

}  // namespace vantrel::app
