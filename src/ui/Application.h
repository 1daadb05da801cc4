// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QTranslator>
#include <functional>

// The application object. An exception that escapes an event handler is shown with its text in a
// message box, and the program goes on with the next event.
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Runs `handler` with the same reporting, for handlers called outside event delivery.
    static void RunGuarded(const std::function<void()>& handler);
    // Shows the text of an exception that escaped a handler.
    static void ShowException(const char* message);

private:
    QTranslator translator_;
};

// Wraps an event handler for connecting to a signal, so that an exception it raises is reported
// here and never travels through the toolkit's own code.
template <class Handler> auto Guarded(Handler handler) {
    return [handler](auto&&...) { TApplication::RunGuarded(handler); };
}
