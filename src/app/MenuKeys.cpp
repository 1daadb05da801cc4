// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MenuKeys.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QShortcut>

namespace {

// The position of the first letter or digit of `text` not in `taken`, which then takes it; -1 when none is
// left.
qsizetype FreeLetter(const QString& text, QSet<QChar>& taken) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar letter = text[i].toLower();
        if (letter.isLetterOrNumber() && letter.unicode() < 128 && !taken.contains(letter)) {
            taken.insert(letter);
            return i;
        }
    }
    return -1;
}

} // namespace

void GiveMenusKeys(QMainWindow& window) {
    QMenuBar* bar = window.menuBar();
    QSet<QChar> taken;
    for (QAction* title : bar->actions()) {
        const qsizetype at = FreeLetter(title->text(), taken);
        if (at < 0) continue;
        const QKeySequence key(QStringLiteral("Alt+") + title->text()[at].toUpper());
        QObject::connect(new QShortcut(key, &window), &QShortcut::activated, bar,
                         [bar, title] { bar->setActiveAction(title); });
    }
    QObject::connect(new QShortcut(QKeySequence(Qt::Key_F10), &window), &QShortcut::activated, bar, [bar] {
        if (!bar->actions().isEmpty()) bar->setActiveAction(bar->actions().constFirst());
    });
}

void MarkItemLetters(QMenu& menu) {
    QSet<QChar> taken;
    const QList<QAction*> items = menu.actions();
    for (QAction* item : items) {
        const qsizetype mark = item->text().indexOf(u'&');
        if (mark >= 0 && mark + 1 < item->text().size()) taken.insert(item->text()[mark + 1].toLower());
    }
    for (QAction* item : items) {
        if (item->isSeparator() || item->text().contains(u'&')) continue;
        QString text = item->text();
        const qsizetype at = FreeLetter(text, taken);
        if (at >= 0) item->setText(text.insert(at, u'&'));
        if (item->menu()) MarkItemLetters(*item->menu());
    }
}
