#pragma once
// The guard every long task of the user-interface thread holds while it runs: the wait cursor,
// the input block (the rest of the program takes no command and no window closes, since the
// task walks data that a command or a close would free), Esc noted for the task, and the
// throttled event pump. What must not run inside the task is put off through TTachesLongues
// and runs once the outermost guard is gone.

#include "platform/TachesLongues.h"

class QWidget;

class TTacheLongue
{
public:
    // lCurseurAttente: the wait cursor while the task runs (the progress window shows its
    // progress instead).
    explicit TTacheLongue(bool lCurseurAttente = true);
    ~TTacheLongue();
    TTacheLongue(const TTacheLongue &) = delete;
    TTacheLongue &operator=(const TTacheLongue &) = delete;

    static bool EnCours() { return TTachesLongues::Etat().EnCours(); }
    // Lets the user interface process its pending events, at most every nIntervalleMs (always
    // when lForce), so that a task of many small items is not slowed down by repainting.
    static void TraiteEvenements(int nIntervalleMs = 50, bool lForce = false);
    // True once for each Esc pressed since the task began or since the last call.
    static bool PrendEchap() { return TTachesLongues::Etat().PrendEchap(); }
    // A stop signal arrived: the task ends as if the user had confirmed its interruption.
    static bool ArretDemande() { return TTachesLongues::Etat().ArretDemande(); }

    // A window that keeps its input while tasks run (the progress window).
    static void AutoriseFenetre(QWidget *Fenetre);
    // Answers No to the modal dialogs open now, so that a stop does not wait for a user who is
    // not there.
    static void AbandonneDialogues();

private:
    bool m_lCurseur;
};
