// SPDX-License-Identifier: GPL-3.0-or-later
// kx207-message: shows a text in a message box titled "KX207" and waits until it is closed, so that the
// launcher can tell a user who started it from the desktop menu why the program didn't start.
// Usage: kx207-message <text>
#include <QApplication>
#include <QMessageBox>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: kx207-message <text>\n", stderr);
        return 2;
    }
    QApplication application(argc, argv);
    QMessageBox::critical(nullptr, QStringLiteral("KX207"), QString::fromUtf8(argv[1]));
    return 0;
}
