// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/Application.h"

#include <QEvent>
#include <QHideEvent>

// The base of the program's windows: routes the window's activation to FormActivate and a hide by the
// program to FormHide, and runs FormCreate when told (the program's end runs FormDestroy); every
// handler runs guarded, so an error it raises is reported and the window goes on.
template <class Window> class TForm : public Window {
public:
    using Window::Window;

    virtual void FormCreate() {}
    virtual void FormDestroy() {}
    virtual void FormActivate() {}
    virtual void FormHide() {}

    // Runs FormCreate; the window's constructor calls this last, when every control exists.
    void RunFormCreate() {
        TApplication::RunGuarded([this] { FormCreate(); });
    }

protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::WindowActivate) TApplication::RunGuarded([this] { FormActivate(); });
        return Window::event(event);
    }
    // A hide by the window system (minimising, another desktop) is no hide of the window.
    void hideEvent(QHideEvent* event) override {
        if (!event->spontaneous()) TApplication::RunGuarded([this] { FormHide(); });
        Window::hideEvent(event);
    }
};
