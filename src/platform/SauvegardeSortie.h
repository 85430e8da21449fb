#pragma once
// The last save of a run, when the main window closes. A failed save there loses the session
// unless someone is told: the user is shown which file failed and why and may try again once
// space is freed; a run stopped by a signal has nobody to ask, so the reasons go to the error
// stream and the run ends with a failure status.

#include <QStringList>
#include <functional>

class IMessages;
class QTextStream;
class QWidget;

// The exit status of a run whose last save failed.
constexpr int nSortieNonEnregistree = 1;

// The question asked after a failed save; cRaisons holds one "<file> : <reason>" line a store.
QString TexteReessaiEnregistrement(const QStringList &cRaisons);

// What the user is told when saves kept another program's version of a store beside it
// (cCopies: the dated copies); empty when there are none.
QString TexteCopiesConservees(const QStringList &cCopies);

// Saves with fnSauve (true when every store was written, otherwise it fills the reasons). When
// it fails and pMessages is given, asks under "Erreur" whether to try again, Yes the default,
// and tries again as long as the answer is Yes and the save fails; a stop requested meanwhile
// (fnArret) ends the asking. Without pMessages nothing is asked. A final failure writes its
// reasons to Erreurs. Returns the exit status: 0 when saved, nSortieNonEnregistree otherwise.
int SauveEnSortant(const std::function<bool(QStringList *pRaisons)> &fnSauve, IMessages *pMessages, QWidget *Parent,
                   const std::function<bool()> &fnArret, QTextStream &Erreurs);
