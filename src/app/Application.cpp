#include "app/Application.h"

#include <QMessageBox>
#include <exception>

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("KX207"));
    // The fixed layout of every window is made for an 8-point sans font at 96 dots per inch.
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSize(8);
    setFont(font);
    setQuitOnLastWindowClosed(false);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowException(error.what());
    } catch (...) {
        ShowException("Unbekannter Fehler");
    }
    return false;
}

void TApplication::RunGuarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        ShowException(error.what());
    }
}

void TApplication::ShowException(const char* message) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), QString::fromUtf8(message),
                    QMessageBox::Ok);
    box.exec();
}
