// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QMainWindow;
class QMenu;

// Lets the keyboard reach every menu of `window` without changing a title's text: Alt with a letter of
// the title opens that menu (the first letter no earlier menu took), and F10 opens the first menu.
void GiveMenusKeys(QMainWindow& window);

// Marks a letter (or digit) of each item of `menu` and its submenus, unique within its menu, so that the item
// is chosen by its letter while the menu is open. Items that already carry one keep it.
void MarkItemLetters(QMenu& menu);
