#pragma once
// What the long tasks of the user-interface thread share. A task (a listing, the thumbnails of
// a listing, a batch under the progress window) pumps the event loop so that the window
// repaints and Esc is seen; whatever arrives meanwhile and would rebuild what the task walks
// (a folder handed over by a later start, a click that relists, a stop signal) is kept here
// and run from the event loop once the outermost task has returned, never from inside it.
//
// The event loop is the process's, so this state is too: one object for the thread that runs
// the windows.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class TTachesLongues
{
public:
    // The key of the stop request's action: once a stop is requested, it is the only kept
    // action that still runs.
    static const QString cCleArret;
    // The key of every action that lists: the last listing asked for is the one made.
    static const QString cCleListe;

    static TTachesLongues &Etat();

    bool EnCours() const { return m_nProfondeur > 0; }
    int Profondeur() const { return m_nProfondeur; }
    // A task begins; tasks nest.
    void Entre();
    // A task ends; when it was the outermost one, the kept actions are posted to the event loop.
    void Sort();

    // Runs Action now when no task runs. Otherwise keeps it under cCle (a later action of the
    // same key replaces it: the last folder asked for is the one opened) and posts it to the
    // event loop once the outermost task has returned; a task begun before the posted call is
    // delivered puts it off again. Dropped when Destinataire is destroyed first.
    void Differe(const QString &cCle, QObject *Destinataire, std::function<void()> Action);
    // Kept actions, for the tests.
    QStringList ClesEnAttente() const;

    // A stop was requested (a signal: nobody is there to answer). Running tasks take it as an
    // accepted interruption, without asking.
    void DemandeArret() { m_lArret = true; }
    bool ArretDemande() const { return m_lArret; }
    // The stop was served or refused: later tasks run normally again.
    void OublieArret() { m_lArret = false; }

    // Esc pressed while a task runs: noted by the input block, taken once by the task.
    void NoteEchap() { m_lEchap = true; }
    bool PrendEchap();

private:
    struct TAction
    {
        QString cCle;
        QPointer<QObject> Destinataire;
        std::function<void()> Action;
    };
    void Poste();

    int m_nProfondeur = 0;
    bool m_lArret = false;
    bool m_lEchap = false;
    QList<TAction> m_Attente;
};
