#include "modelview/lockkeys.h"

#include <QGuiApplication>

#ifdef KVL_HAVE_XKB
#include <X11/XKBlib.h>
#endif

namespace kvl::modelview {

bool readLockKeys(bool on[3])
{
#ifdef KVL_HAVE_XKB
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    unsigned int state = 0;
    if (display && XkbGetIndicatorState(display, XkbUseCoreKbd, &state) == 0) {
        // The core keyboard's usual indicator order: Caps, Num, Scroll.
        on[0] = (state & 0x1) != 0;
        on[1] = (state & 0x2) != 0;
        on[2] = (state & 0x4) != 0;
        return true;
    }
#endif
    (void)on;
    return false;
}

} // namespace kvl::modelview
