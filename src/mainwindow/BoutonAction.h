#pragma once
// A bar button and the action the menus show for it are one command. The action holds the
// state: the button is enabled and checked like it, and a feature that sets the button's
// enabled state sets the action's. Activating either one (a click, a menu entry, a shortcut)
// emits the button's `clicked` and the action's `triggered` once each, so a handler may be
// connected to either. A checkable button is set, never clicked, when the action fires.
//
// A push button is kept rather than a tool button showing the action so that the bars keep
// their look, and the button keeps its short text while the menus show the action's caption.

#include <QString>

class QAbstractButton;
class QAction;
class QObject;
class QPushButton;
class QWidget;

// Adds a push button named `cNom` to a bar (a widget with a row layout), at `nPosition` or at
// its end, and makes it one command with `Action`, which the caller owns and the main menu
// shows. An action without a caption takes the button's text and hint. Returns the button, or
// null when the bar has no row to take it.
QPushButton *AjouteBoutonBarre(QWidget *Barre, const char *cNom, const QString &cTexte, const QString &cBulle,
                               QAction *Action, int nPosition = -1);

void LieBoutonAction(QAbstractButton *Bouton, QAction *Action);
// The action bound to a button (for a tool button, its default action); null when none.
QAction *ActionDuBouton(const QObject *Bouton);
