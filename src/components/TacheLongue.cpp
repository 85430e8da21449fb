#include "components/TacheLongue.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

namespace
{
const char *const cProprieteAutorisee = "vimbrelFenetreTache";

bool EstEntree(QEvent::Type t)
{
    switch (t) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease: return true;
    default: return false;
    }
}

// Installed on the application while the outermost task runs.
class TBlocage : public QObject
{
public:
    TBlocage() : m_ModalAvant(QApplication::activeModalWidget()) { qApp->installEventFilter(this); }
    ~TBlocage() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *Objet, QEvent *Evenement) override
    {
        const QEvent::Type t = Evenement->type();
        if (!Objet->isWidgetType()) {
            // Shortcuts reach actions, which are not widgets: none of them may start a command now.
            return t == QEvent::Shortcut;
        }
        QWidget *Fenetre = static_cast<QWidget *>(Objet)->window();
        const bool lQuestion = EstQuestion(Fenetre);
        if (t == QEvent::KeyPress && !lQuestion && static_cast<QKeyEvent *>(Evenement)->key() == Qt::Key_Escape) {
            TTachesLongues::Etat().NoteEchap();
            return true;
        }
        if (t == QEvent::Close) {
            const Qt::WindowType nType = Fenetre->windowType();
            if (nType == Qt::ToolTip || nType == Qt::Popup || lQuestion)
                return false;
            Evenement->ignore();
            return true;
        }
        return EstEntree(t) && !lQuestion && !Fenetre->property(cProprieteAutorisee).toBool();
    }

private:
    // A dialog the task itself opened (its question): it takes its own input and may close.
    bool EstQuestion(QWidget *Fenetre) const
    {
        return Fenetre == QApplication::activeModalWidget() && Fenetre != m_ModalAvant
               && !Fenetre->property(cProprieteAutorisee).toBool();
    }

    QPointer<QWidget> m_ModalAvant;
};

TBlocage *g_pBlocage = nullptr;
QElapsedTimer g_tmEvenements;
}

TTacheLongue::TTacheLongue(bool lCurseurAttente) : m_lCurseur(lCurseurAttente)
{
    TTachesLongues &Etat = TTachesLongues::Etat();
    if (!Etat.EnCours() && qApp)
        g_pBlocage = new TBlocage;
    Etat.Entre();
    if (m_lCurseur)
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

TTacheLongue::~TTacheLongue()
{
    if (m_lCurseur)
        QApplication::restoreOverrideCursor();
    TTachesLongues &Etat = TTachesLongues::Etat();
    if (Etat.Profondeur() == 1) {
        delete g_pBlocage;
        g_pBlocage = nullptr;
        g_tmEvenements.invalidate();
    }
    Etat.Sort();
}

void TTacheLongue::TraiteEvenements(int nIntervalleMs, bool lForce)
{
    if (!lForce && g_tmEvenements.isValid() && g_tmEvenements.elapsed() < nIntervalleMs)
        return;
    QApplication::processEvents();
    g_tmEvenements.start();
}

void TTacheLongue::AutoriseFenetre(QWidget *Fenetre)
{
    if (Fenetre)
        Fenetre->setProperty(cProprieteAutorisee, true);
}

void TTacheLongue::AbandonneDialogues()
{
    const QWidgetList l = QApplication::topLevelWidgets();
    for (QWidget *w : l) {
        auto *d = qobject_cast<QDialog *>(w);
        if (d && d->isVisible() && d->isModal())
            d->reject();
    }
}
