#include "components/GaugeWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace
{
const char *const cProprieteJauge = "vimbrelFenetreJauge";

bool QuestionParDefaut(QWidget *parent, const QString &cTitre, const QString &cTexte)
{
    // Yes is the default: the user has just asked for the interruption with Esc.
    return QMessageBox::question(parent, cTitre, cTexte, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::Yes) == QMessageBox::Yes;
}

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
    case QEvent::TabletRelease:
        return true;
    default:
        return false;
    }
}
}

TGaugeWindow::TGaugeWindow(QWidget *owner) : QObject(owner), m_pOwner(owner)
{
    m_fQuestion = [this](const QString &cTitre, const QString &cTexte) {
        return QuestionParDefaut(m_pFenetre, cTitre, cTexte);
    };
    m_pFenetre = new QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint
                                          | Qt::WindowTitleHint);
    m_pFenetre->setProperty(cProprieteJauge, true);
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
    if (m_lFiltre)
        qApp->removeEventFilter(this);
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
    TraiteEvenements(false);
}

void TGaugeWindow::TraiteEvenements(bool lForce)
{
    if (!lForce && m_tmEvenements.isValid() && m_tmEvenements.elapsed() < 50)
        return;
    QApplication::processEvents();
    m_tmEvenements.start();
}

void TGaugeWindow::Demarre(const QString &cTitre, int nMin, int nCur, int nMax)
{
    _WindowCaption = cTitre;
    m_nMin = nMin;
    m_nMax = nMax;
    m_nCur = nCur;
    m_lEchap = false;
    MontreJauge();
    m_pFenetre->setWindowTitle(_WindowCaption);
    m_pFenetre->resize(_WindowWidth, _WindowHeight);
    if (QScreen *ecran = QApplication::primaryScreen()) {
        const QRect r = ecran->availableGeometry();
        m_pFenetre->move(r.center() - QPoint(_WindowWidth / 2, _WindowHeight / 2));
    }
    if (!m_lFiltre) {
        qApp->installEventFilter(this);
        m_lFiltre = true;
    }
    m_pFenetre->show();
    m_pFenetre->raise();
    m_pFenetre->activateWindow();
    TraiteEvenements(true);
}

void TGaugeWindow::Arrete()
{
    if (m_lFiltre) {
        qApp->removeEventFilter(this);
        m_lFiltre = false;
    }
    m_lEchap = false;
    m_pFenetre->hide();
    if (m_pOwner) {
        QWidget *w = m_pOwner->window();
        w->raise();
        w->activateWindow();
    }
    QApplication::processEvents();
    m_tmEvenements.invalidate();
}

bool TGaugeWindow::Interrompu()
{
    // No key state can be queried under every windowing system: an Esc pressed since the last
    // call is latched by the event filter instead of being tested as "held down now".
    TraiteEvenements(false);
    if (!m_lEchap)
        return false;
    m_lEchap = false;
    const bool lVisible = m_pFenetre->isVisible();
    if (lVisible) {
        m_pFenetre->setWindowFlag(Qt::WindowStaysOnTopHint, false);
        m_pFenetre->show();
    }
    m_lQuestion = true;
    const bool lOui = m_fQuestion(QStringLiteral("Attention"), QStringLiteral("Interrompre le traitement ?"));
    m_lQuestion = false;
    if (lVisible) {
        m_pFenetre->setWindowFlag(Qt::WindowStaysOnTopHint, true);
        m_pFenetre->show();
    }
    // An Esc that answered the question is not a new request.
    m_lEchap = false;
    return lOui;
}

bool TGaugeWindow::TacheEnCours()
{
    const QWidgetList l = QApplication::topLevelWidgets();
    for (QWidget *w : l)
        if (w->isVisible() && w->property(cProprieteJauge).toBool())
            return true;
    return false;
}

bool TGaugeWindow::Autorise(QObject *watched) const
{
    auto *w = qobject_cast<QWidget *>(watched);
    if (!w)
        return false;
    QWidget *fen = w->window();
    // The question, and any dialog the task itself opens, are modal above the gauge.
    return fen == m_pFenetre || fen == QApplication::activeModalWidget();
}

bool TGaugeWindow::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type t = event->type();
    if (t == QEvent::KeyPress && !m_lQuestion && watched->isWidgetType()) {
        auto *k = static_cast<QKeyEvent *>(event);
        if (k->key() == Qt::Key_Escape) {
            m_lEchap = true;
            return true;
        }
    }
    if (t == QEvent::Close && watched->isWidgetType()) {
        QWidget *fen = static_cast<QWidget *>(watched)->window();
        const Qt::WindowType nType = fen->windowType();
        const bool lPassager = nType == Qt::ToolTip || nType == Qt::Popup;
        if (!lPassager && (fen == m_pFenetre || fen != QApplication::activeModalWidget())) {
            event->ignore();
            return true;
        }
    }
    // Shortcuts reach actions, which are not widgets: none of them may start a command now.
    if (t == QEvent::Shortcut && !Autorise(watched))
        return true;
    // Window-system objects pass: the widget they forward an event to is filtered in turn.
    if (EstEntree(t) && watched->isWidgetType() && !Autorise(watched))
        return true;
    return QObject::eventFilter(watched, event);
}
