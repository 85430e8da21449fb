#include "mainwindow/Demarrage_fm.h"

#include "storage/Settings.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainterPath>
#include <QProgressBar>
#include <QRegion>
#include <QScreen>
#include <QStyle>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <memory>

TfmDemarrage::TfmDemarrage(QWidget *Parent)
    : QWidget(Parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("fmDemarrage"));
    setFixedSize(432, 108);
    setAutoFillBackground(true);

    auto *Couches = new QVBoxLayout(this);
    Couches->setContentsMargins(12, 8, 12, 10);
    Couches->setSpacing(6);

    auto *pnHaut = new QWidget(this);
    pnHaut->setObjectName(QStringLiteral("pnHaut"));
    auto *Haut = new QHBoxLayout(pnHaut);
    Haut->setContentsMargins(0, 0, 0, 0);
    auto *imIcone = new QLabel(pnHaut);
    imIcone->setPixmap(QApplication::windowIcon().isNull() ? style()->standardIcon(QStyle::SP_DirIcon).pixmap(32, 32)
                                                           : QApplication::windowIcon().pixmap(32, 32));
    auto *stTitre = new QLabel(QStringLiteral("Vimbrel ") + cVersionProgramme, pnHaut);
    QFont Police = stTitre->font();
    Police.setPointSizeF(Police.pointSizeF() * 1.6);
    Police.setBold(true);
    stTitre->setFont(Police);
    Haut->addWidget(imIcone);
    Haut->addWidget(stTitre, 1);
    Couches->addWidget(pnHaut);

    auto *Ligne = new QFrame(this);
    Ligne->setFrameShape(QFrame::HLine);
    Ligne->setFrameShadow(QFrame::Sunken);
    Couches->addWidget(Ligne);

    stLancement = new QLabel(this);
    stLancement->setObjectName(QStringLiteral("stLancement"));
    QFont Gras = stLancement->font();
    Gras.setBold(true);
    stLancement->setFont(Gras);
    QPalette Palette = stLancement->palette();
    Palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    stLancement->setPalette(Palette);
    Couches->addWidget(stLancement);

    ggLancement = new QProgressBar(this);
    ggLancement->setObjectName(QStringLiteral("ggLancement"));
    ggLancement->setRange(0, nDerniereEtape);
    ggLancement->setValue(0);
    ggLancement->setTextVisible(false);
    ggLancement->setFixedHeight(12);
    Couches->addWidget(ggLancement);

    if (const QScreen *Ecran = QApplication::primaryScreen())
        move(Ecran->geometry().center() - rect().center());

    fnHorloge = [Montre = std::make_shared<QElapsedTimer>()] {
        if (!Montre->isValid())
            Montre->start();
        return Montre->elapsed();
    };
    fnAttend = [](int nMs) {
        QElapsedTimer Attente;
        Attente.start();
        for (qint64 nReste = nMs; nReste > 0; nReste = nMs - Attente.elapsed()) {
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            QThread::msleep(std::min<qint64>(nReste, 20));
        }
    };
}

QString TfmDemarrage::TexteEtape(int nEtape)
{
    switch (nEtape) {
    case 0: return QStringLiteral("Initialisation");
    case 1: return QStringLiteral("Prise en compte des versions précédentes.");
    case 2: return QStringLiteral("Suppression des informations des images inexistantes.");
    case 4: return QStringLiteral("Suppression des vignettes dont l'image n'existe plus.");
    default: return {};
    }
}

void TfmDemarrage::Repeint()
{
    if (isVisible())
        repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TfmDemarrage::Etape(int nEtape, const std::function<void()> &Travail)
{
    const QString cTexte = TexteEtape(nEtape);
    if (!cTexte.isEmpty()) {
        stLancement->setText(cTexte);
        m_nDebutTexte = -1;
    }
    ggLancement->setValue(std::clamp(nEtape, 0, nDerniereEtape));
    Repeint();
    if (Travail)
        Travail();
}

void TfmDemarrage::AfficheTexte(const QString &cTexte)
{
    stLancement->setText(cTexte);
    m_nDebutTexte = fnHorloge();
    Repeint();
}

void TfmDemarrage::setVisible(bool lVisible)
{
    // The clean-up's count comes last, just before the window goes: it is kept readable. A
    // start with nothing of its own to say is not slowed.
    if (!lVisible && isVisible() && m_nDebutTexte >= 0) {
        const qint64 nReste = nDureeTexteMs - (fnHorloge() - m_nDebutTexte);
        m_nDebutTexte = -1;
        if (nReste > 0) {
            Repeint();
            fnAttend(int(nReste));
        }
    }
    QWidget::setVisible(lVisible);
}

void TfmDemarrage::hideEvent(QHideEvent *Evenement)
{
    QWidget::hideEvent(Evenement);
    stLancement->clear();
    Repeint();
    fnAttend(300);
}

void TfmDemarrage::resizeEvent(QResizeEvent *Evenement)
{
    QWidget::resizeEvent(Evenement);
    // Corner ellipses of 16 × 16 pixels.
    QPainterPath Chemin;
    Chemin.addRoundedRect(QRectF(rect()), 8, 8);
    setMask(QRegion(Chemin.toFillPolygon().toPolygon()));
}
