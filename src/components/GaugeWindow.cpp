#include "components/GaugeWindow.h"

#include "components/MessagesQt.h"
#include "components/TacheLongue.h"

#include <QApplication>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>

TGaugeWindow::TGaugeWindow(QWidget *owner, IMessages *pMessages)
    : QObject(owner), m_pOwner(owner), m_pMessages(pMessages)
{
    if (!m_pMessages) {
        m_MessagesPropres = std::make_unique<TMessagesQt>();
        m_pMessages = m_MessagesPropres.get();
    }
    // Yes is the default: the user has just asked for the interruption with Esc.
    m_fQuestion = [this](const QString &cTitre, const QString &cTexte) {
        return m_pMessages->Question(m_pFenetre, cTexte, true, cTitre);
    };
    m_pFenetre =
        new QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    TTacheLongue::AutoriseFenetre(m_pFenetre);
    m_pFenetre->setWindowModality(Qt::ApplicationModal);
    m_pFenetre->setAttribute(Qt::WA_DeleteOnClose, false);
    auto *lay = new QVBoxLayout(m_pFenetre);
    lay->setContentsMargins(4, 4, 4, 4);
    m_pJauge = new QProgressBar(m_pFenetre);
    m_pJauge->setRange(0, 1000);
    m_pJauge->setTextVisible(false);
    lay->addWidget(m_pJauge);
}

TGaugeWindow::~TGaugeWindow()
{
    m_Tache.reset();
    delete m_pFenetre;
}

int TGaugeWindow::Millieme(int nMin, int nCur, int nMax)
{
    const qint64 nEtendue = qint64(nMax) - nMin;
    const qint64 nFait = qint64(nCur) - nMin;
    if (nEtendue <= 0)
        return nFait > 0 ? 1000 : 0;
    return int(std::clamp<qint64>(nFait * 1000 / nEtendue, 0, 1000));
}

void TGaugeWindow::MontreJauge()
{
    m_pJauge->setValue(Millieme(m_nMin, m_nCur, m_nMax));
}

void TGaugeWindow::set_GaugeMinValue(int n)
{
    m_nMin = n;
    MontreJauge();
}

void TGaugeWindow::set_GaugeMaxValue(int n)
{
    m_nMax = n;
    MontreJauge();
}

void TGaugeWindow::set_GaugeCurValue(int n)
{
    m_nCur = n;
    MontreJauge();
    TTacheLongue::TraiteEvenements();
}

void TGaugeWindow::Demarre(const QString &cTitre, int nMin, int nCur, int nMax)
{
    _WindowCaption = cTitre;
    m_nMin = nMin;
    m_nMax = nMax;
    m_nCur = nCur;
    MontreJauge();
    m_pFenetre->setWindowTitle(_WindowCaption);
    m_pFenetre->resize(_WindowWidth, _WindowHeight);
    if (QScreen *ecran = QApplication::primaryScreen()) {
        const QRect r = ecran->availableGeometry();
        m_pFenetre->move(r.center() - QPoint(_WindowWidth / 2, _WindowHeight / 2));
    }
    if (!m_Tache)
        m_Tache = std::make_unique<TTacheLongue>(false);
    m_pFenetre->show();
    m_pFenetre->raise();
    m_pFenetre->activateWindow();
    TTacheLongue::TraiteEvenements(50, true);
}

void TGaugeWindow::Arrete()
{
    m_pFenetre->hide();
    if (m_pOwner) {
        QWidget *w = m_pOwner->window();
        w->raise();
        w->activateWindow();
    }
    // The pending events are processed while the task still holds the guard: a hand-over or a
    // stop that arrives now is put off until the caller has returned.
    QApplication::processEvents();
    m_Tache.reset();
}

bool TGaugeWindow::Interrompu()
{
    // No key state can be queried under every windowing system: an Esc pressed since the last
    // call is latched by the long-task guard instead of being tested as "held down now".
    TTacheLongue::TraiteEvenements();
    if (TTacheLongue::ArretDemande())
        return true;
    if (!TTacheLongue::PrendEchap())
        return false;
    const bool lVisible = m_pFenetre->isVisible();
    if (lVisible) {
        m_pFenetre->setWindowFlag(Qt::WindowStaysOnTopHint, false);
        m_pFenetre->show();
    }
    const bool lOui = m_fQuestion(QStringLiteral("Attention"), QStringLiteral("Interrompre le traitement ?"));
    if (lVisible) {
        m_pFenetre->setWindowFlag(Qt::WindowStaysOnTopHint, true);
        m_pFenetre->show();
    }
    // An Esc that answered the question is not a new request.
    TTacheLongue::PrendEchap();
    return lOui || TTacheLongue::ArretDemande();
}

bool TGaugeWindow::TacheEnCours()
{
    return TTacheLongue::EnCours();
}
