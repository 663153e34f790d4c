// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/KeyboardLocks.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <dlfcn.h>

namespace orvane {

namespace {

// libX11 is opened at run time so that the program neither builds nor starts
// against it where there is no X server; Qt's xcb platform has loaded it
// already when we are on X11.
using XAtom = unsigned long;
using XInternAtomFn = XAtom (*)(void* display, const char* name, int onlyIfExists);
using XkbGetNamedIndicatorFn = int (*)(void* display, XAtom name, int* index, int* state, void* map,
                                       int* real);

struct X11Functions {
    XInternAtomFn internAtom = nullptr;
    XkbGetNamedIndicatorFn getNamedIndicator = nullptr;
};

const X11Functions& LoadX11() {
    static const X11Functions functions = [] {
        X11Functions f;
        void* library = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
        if (library == nullptr)
            return f;
        f.internAtom = reinterpret_cast<XInternAtomFn>(dlsym(library, "XInternAtom"));
        f.getNamedIndicator =
            reinterpret_cast<XkbGetNamedIndicatorFn>(dlsym(library, "XkbGetNamedIndicator"));
        return f;
    }();
    return functions;
}

bool IndicatorOn(const X11Functions& x, void* display, const char* name) {
    const XAtom atom = x.internAtom(display, name, 1);
    if (atom == 0)
        return false;
    int state = 0;
    if (x.getNamedIndicator(display, atom, nullptr, &state, nullptr, nullptr) == 0)
        return false;
    return state != 0;
}

} // namespace

std::optional<KeyboardLocks> KeyboardLocks::Query() {
#if QT_CONFIG(xcb)
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (app == nullptr)
        return std::nullopt;
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->display() == nullptr)
        return std::nullopt;
    const X11Functions& x = LoadX11();
    if (x.internAtom == nullptr || x.getNamedIndicator == nullptr)
        return std::nullopt;
    void* display = x11->display();
    KeyboardLocks locks;
    locks.caps = IndicatorOn(x, display, "Caps Lock");
    locks.num = IndicatorOn(x, display, "Num Lock");
    locks.scroll = IndicatorOn(x, display, "Scroll Lock");
    return locks;
#else
    return std::nullopt;
#endif
}

} // namespace orvane
