// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Application.h"

#include "spectrum/DesignFonts.h"
#include "ui/DesignStyle.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QSettings>
#include <exception>

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("KX207"));
    // The fixed layout of every window is made for the design font at 96 dots per inch; on a scaled
    // screen the toolkit scales the layout, and the font is one that scales with it.
    setStyle(new TDesignStyle);
    setFont(ControlFont(devicePixelRatio()));
    setQuitOnLastWindowClosed(false);
    // The program speaks German, so the toolkit's own dialogs, buttons and numbers do too, whatever
    // the system's language. The Windows program carries the translation in its own folder, wherever
    // it is installed; on Linux it lies where the system keeps the toolkit's.
    const QLocale german(QLocale::German, QLocale::Germany);
    QLocale::setDefault(german);
    for (const QString& folder : {applicationDirPath() + QStringLiteral("/translations"),
                                  QLibraryInfo::path(QLibraryInfo::TranslationsPath)})
        if (translator_.load(german, QStringLiteral("qtbase"), QStringLiteral("_"), folder)) {
            installTranslator(&translator_);
            break;
        }
    // The toolkit would keep the file dialogs' history and last folder and the colour dialog's custom
    // colours in a settings file of its own in the user's home. The program keeps nothing but
    // KX207.INI, so that file is sent to a place that can never be created.
    for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, QStringLiteral("/dev/null"));
}

namespace {

// The one place where an error escaping a handler becomes the message box.
template <class Handler> void ReportEscaping(Handler&& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        TApplication::ShowException(error.what());
    } catch (...) {
        TApplication::ShowException("Unbekannter Fehler");
    }
}

} // namespace

bool TApplication::notify(QObject* receiver, QEvent* event) {
    bool result = false;
    ReportEscaping([&] { result = QApplication::notify(receiver, event); });
    return result;
}

void TApplication::RunGuarded(const std::function<void()>& handler) {
    ReportEscaping(handler);
}

void TApplication::ShowException(const char* message) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), QString::fromUtf8(message),
                    QMessageBox::Ok);
    box.exec();
}
