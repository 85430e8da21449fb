#include "treatments/GrapheDistribCoul_fm.h"

#include "components/ExpColPanel.h"
#include "components/PanneauImage.h"
#include "platform/Messages.h"
#include "storage/BigIniFiles.h"
#include "storage/Contexte.h"
#include "treatments/ParamsTrt.h"

#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QScrollBar>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

TImageGraphe::TImageGraphe(QWidget *Parent) : QWidget(Parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(1, 1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void TImageGraphe::MetImage(const QImage &Image)
{
    m_Image = Image;
    update();
}

void TImageGraphe::MetMarqueur(int nX)
{
    if (nX == m_nMarqueur)
        return;
    m_nMarqueur = nX;
    update();
}

void TImageGraphe::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    if (!m_Image.isNull())
        p.drawImage(0, 0, m_Image);
    if (m_nMarqueur >= 0) {
        // Inverted over the curves, as a line drawn in xor would show, but repainted from the
        // cached curves so that erasing it never depends on what the screen held.
        p.setCompositionMode(QPainter::CompositionMode_Difference);
        p.fillRect(QRect(m_nMarqueur, 0, 1, height()), Qt::white);
    }
}

void TImageGraphe::resizeEvent(QResizeEvent *Evenement)
{
    QWidget::resizeEvent(Evenement);
    emit Redimensionne();
}

namespace
{
QLabel *Panneau(QWidget *Parent, const char *cNom, const QString &cBulle, int nLargeur)
{
    auto *l = new QLabel(Parent);
    l->setObjectName(QLatin1String(cNom));
    l->setToolTip(cBulle);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setAlignment(Qt::AlignCenter);
    l->setAutoFillBackground(true);
    l->setFixedSize(nLargeur, 22);
    return l;
}

void Colore(QLabel *l, const QColor &Fond, const QColor &Texte)
{
    QPalette pal = l->palette();
    pal.setColor(QPalette::Window, Fond);
    pal.setColor(QPalette::WindowText, Texte);
    l->setPalette(pal);
}

QSlider *Curseur(QWidget *Parent, const char *cNom, int nMin, int nMax, int nValeur)
{
    auto *s = new QSlider(Qt::Horizontal, Parent);
    s->setObjectName(QLatin1String(cNom));
    s->setRange(nMin, nMax);
    s->setValue(nValeur);
    s->setTickInterval(8);
    s->setTickPosition(QSlider::TicksBelow);
    s->setPageStep(8);
    return s;
}

QIcon IconePipette()
{
    QPixmap px(20, 20);
    px.fill(Qt::transparent);
    QPainter p(&px);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(0, 20);
    p.rotate(-45);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(230, 230, 230));
    p.drawRect(QRectF(2, -2, 13, 4));
    p.setBrush(Qt::black);
    p.drawRoundedRect(QRectF(15, -3.5, 7, 7), 2, 2);
    return QIcon(px);
}
} // namespace

QCursor CurseurPipette()
{
    // A dropper pointing down to the left: the hot spot is its tip.
    QPixmap px(32, 32);
    px.fill(Qt::transparent);
    QPainter p(&px);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath Tube;
    Tube.moveTo(1, 30);
    Tube.lineTo(4, 24);
    Tube.lineTo(17, 11);
    Tube.lineTo(21, 15);
    Tube.lineTo(8, 28);
    Tube.closeSubpath();
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(Tube);
    p.drawEllipse(QRectF(18, 4, 10, 10));
    p.setPen(QPen(Qt::black, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(220, 235, 255));
    p.drawPath(Tube);
    p.setBrush(Qt::black);
    p.drawEllipse(QRectF(18, 4, 10, 10));
    p.drawLine(QPointF(15, 9), QPointF(23, 17));
    p.end();
    return QCursor(px, 1, 30);
}

TfmGrapheDistribCoul::TfmGrapheDistribCoul(TContexte &Contexte, TPanneauImage *sbImage, QWidget *Parent)
    : QDialog(Parent), m_Contexte(Contexte), m_sbImage(sbImage), m_pPrincipale(Parent ? Parent->window() : nullptr)
{
    setObjectName(QStringLiteral("fmGrapheDistribCoul"));
    setWindowTitle(QStringLiteral("Graphe de distribution des couleurs"));
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint);
    setSizeGripEnabled(true);
    setMinimumSize(nLargMin, 2 * nHautCommandes);

    imGraphe = new TImageGraphe(this);
    imGraphe->setObjectName(QStringLiteral("imGraphe"));
    pnCommandes = new TExpColPanel(paBottom, this);
    pnCommandes->setObjectName(QStringLiteral("pnCommandes"));
    pnCommandes->set_LargHautRef(nHautCommandes);
    pnCommandes->set_ArrowsColor(Qt::blue);
    pnCommandes->set_PanelState(psExpanded);

    auto *Disposition = new QVBoxLayout(this);
    Disposition->setContentsMargins(0, 0, 0, 0);
    Disposition->setSpacing(0);
    Disposition->addWidget(imGraphe, 1);
    Disposition->addWidget(pnCommandes);

    tbMin = Curseur(pnCommandes, "tbMin", 0, 63, 0);
    tbMax = Curseur(pnCommandes, "tbMax", 192, 255, 255);
    stMin = new QLabel(pnCommandes);
    stMin->setObjectName(QStringLiteral("stMin"));
    stMin->setBuddy(tbMin);
    stMax = new QLabel(pnCommandes);
    stMax->setObjectName(QStringLiteral("stMax"));
    stMax->setBuddy(tbMax);
    // Wide enough for the largest number, so that the sliders do not move as the labels change.
    stMin->setMinimumWidth(stMin->fontMetrics().horizontalAdvance(QStringLiteral("Filtre Min (0 à 63) = 000")));
    stMax->setMinimumWidth(stMax->fontMetrics().horizontalAdvance(QStringLiteral("Filtre Max (192 à 255) = 000")));

    const TReglagesGDC Reglages = ReglagesGDC(m_Contexte.Parametres);
    const auto Case = [this](const char *cNom, const QString &cTexte, bool lCoche) {
        auto *c = new QCheckBox(cTexte, pnCommandes);
        c->setObjectName(QLatin1String(cNom));
        c->setChecked(lCoche);
        connect(c, &QCheckBox::toggled, this, &TfmGrapheDistribCoul::TraceGraphe);
        return c;
    };
    cbLum = Case("cbLum", QStringLiteral("&Luminance"), true);
    cbR = Case("cbR", QStringLiteral("&R"), Reglages.lR);
    cbV = Case("cbV", QStringLiteral("&V"), Reglages.lV);
    cbB = Case("cbB", QStringLiteral("&B"), Reglages.lB);

    btPipette = new QToolButton(pnCommandes);
    btPipette->setObjectName(QStringLiteral("btPipette"));
    btPipette->setCheckable(true);
    btPipette->setIcon(IconePipette());
    btPipette->setToolTip(QStringLiteral("Aller rechercher un pixel pour visualiser sa luminance, chrominance"));
    btPipette->setFixedSize(26, 24);
    pnPipette = Panneau(pnCommandes, "pnPipette",
                        QStringLiteral("Prend la couleur du pixel pointé lors de l'utilisation de la pipette"), 36);
    pnLum = Panneau(pnCommandes, "pnLum", QStringLiteral("Luminance du pixel pointé"), 36);
    pnR = Panneau(pnCommandes, "pnR", QStringLiteral("Valeur ROUGE du pixel pointé"), 36);
    pnV = Panneau(pnCommandes, "pnV", QStringLiteral("Valeur VERTE du pixel pointé"), 36);
    pnB = Panneau(pnCommandes, "pnB", QStringLiteral("Valeur BLEUE du pixel pointé"), 36);
    PanneauxVides();

    auto *Lignes = new QVBoxLayout(pnCommandes);
    Lignes->setContentsMargins(6, 2, 6, 2);
    Lignes->setSpacing(2);
    auto *Filtres = new QHBoxLayout;
    Filtres->addWidget(stMin);
    Filtres->addWidget(tbMin, 1);
    Filtres->addSpacing(12);
    Filtres->addWidget(stMax);
    Filtres->addWidget(tbMax, 1);
    auto *Bas = new QHBoxLayout;
    for (QCheckBox *c : {cbLum, cbR, cbV, cbB})
        Bas->addWidget(c);
    Bas->addStretch(1);
    Bas->addWidget(btPipette);
    Bas->addSpacing(4);
    for (QLabel *l : {pnPipette, pnLum, pnR, pnV, pnB})
        Bas->addWidget(l);
    Lignes->addLayout(Filtres);
    Lignes->addLayout(Bas);
    MajLibelles();

    connect(tbMin, &QSlider::valueChanged, this, [this] {
        MajLibelles();
        TraceGraphe();
    });
    connect(tbMax, &QSlider::valueChanged, this, [this] {
        MajLibelles();
        TraceGraphe();
    });
    connect(imGraphe, &TImageGraphe::Redimensionne, this, &TfmGrapheDistribCoul::TraceGraphe);
    connect(pnCommandes, &TExpColPanel::_OnCollapsed, this, &TfmGrapheDistribCoul::TraceGraphe);
    connect(pnCommandes, &TExpColPanel::_OnExpanded, this, &TfmGrapheDistribCoul::TraceGraphe);
    connect(btPipette, &QToolButton::toggled, this, &TfmGrapheDistribCoul::btPipetteToggled);

    // A place off every screen (a screen unplugged since) or too small comes back at the
    // minimum size on the screen of the main window.
    QList<QRect> Ecrans;
    for (QScreen *e : QGuiApplication::screens())
        Ecrans << e->availableGeometry();
    QScreen *Courant = m_pPrincipale ? m_pPrincipale->screen() : QGuiApplication::primaryScreen();
    const QRect Place =
        PlaceFenetreGDC(Reglages.Geometrie, Ecrans, Courant ? Courant->availableGeometry() : QRect(), minimumSize());
    resize(Place.size());
    move(Place.topLeft());
}

TfmGrapheDistribCoul::~TfmGrapheDistribCoul()
{
    if (m_lPipette)
        QApplication::restoreOverrideCursor();
    if (m_lFiltre)
        qApp->removeEventFilter(this);
}

void TfmGrapheDistribCoul::MajLibelles()
{
    stMin->setText(QStringLiteral("Filtre Mi&n (0 à 63) = %1").arg(tbMin->value()));
    stMax->setText(QStringLiteral("Filtre Ma&x (192 à 255) = %1").arg(tbMax->value()));
}

void TfmGrapheDistribCoul::CalculeDistribution(const QImage &Image)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_Distribution = ::CalculeDistribution(Image);
    QApplication::restoreOverrideCursor();
    TraceGraphe();
}

void TfmGrapheDistribCoul::TraceGraphe()
{
    if (!m_Distribution.lCalculee)
        return;
    m_Graphe = ::TraceGraphe(m_Distribution, tbMin->value(), tbMax->value(), imGraphe->width(), imGraphe->height(),
                             {cbLum->isChecked(), cbR->isChecked(), cbV->isChecked(), cbB->isChecked()});
    imGraphe->MetImage(DessineGraphe(m_Graphe));
    MajMarqueur();
}

void TfmGrapheDistribCoul::MajMarqueur()
{
    const int x = m_nYMarqueur < 0 ? -1 : XGraphe(m_nYMarqueur, tbMin->value(), tbMax->value(), imGraphe->width());
    imGraphe->MetMarqueur(x >= 0 && x < imGraphe->width() ? x : -1);
}

void TfmGrapheDistribCoul::Execute()
{
    QEventLoop Boucle;
    connect(this, &QDialog::finished, &Boucle, &QEventLoop::quit);
    show();
    raise();
    activateWindow();
    Boucle.exec();
}

void TfmGrapheDistribCoul::showEvent(QShowEvent *Evenement)
{
    QDialog::showEvent(Evenement);
    if (!m_lFiltre) {
        qApp->installEventFilter(this);
        m_lFiltre = true;
    }
}

void TfmGrapheDistribCoul::hideEvent(QHideEvent *Evenement)
{
    if (m_lPipette)
        FinPipette();
    if (m_lFiltre) {
        qApp->removeEventFilter(this);
        m_lFiltre = false;
    }
    QDialog::hideEvent(Evenement);
}

void TfmGrapheDistribCoul::done(int r)
{
    if (m_lPipette)
        FinPipette();
    Enregistre();
    QDialog::done(r);
}

void TfmGrapheDistribCoul::Enregistre()
{
    if (!m_Contexte.iniSetup)
        return;
    TReglagesGDC r;
    r.Geometrie = QRect(pos(), size());
    r.lR = cbR->isChecked();
    r.lV = cbV->isChecked();
    r.lB = cbB->isChecked();
    if (!EnregistreReglagesGDC(r, m_Contexte.Parametres, *m_Contexte.iniSetup) && m_Contexte.Messages)
        m_Contexte.Messages->Erreur(this, MessageEchecEnregistrementParams(m_Contexte.iniSetup->FileName()));
}

bool TfmGrapheDistribCoul::Dedans(QObject *Objet) const
{
    if (auto *w = qobject_cast<QWidget *>(Objet))
        return w == this || isAncestorOf(w);
    if (auto *f = qobject_cast<QWindow *>(Objet))
        return f == windowHandle();
    return false;
}

bool TfmGrapheDistribCoul::eventFilter(QObject *Objet, QEvent *Evenement)
{
    switch (Evenement->type()) {
    case QEvent::MouseMove:
        // Handled where it first arrives, outside this window: it goes no further.
        if (Dedans(Objet))
            return false;
        if (m_lPipette)
            Pipette(static_cast<QMouseEvent *>(Evenement)->globalPosition().toPoint());
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // A click anywhere ends the pipette, as losing a pointer capture would.
        if (m_lPipette) {
            FinPipette();
            m_lAvaleRelache = true;
            return true;
        }
        return !Dedans(Objet);
    case QEvent::MouseButtonRelease:
        if (m_lAvaleRelache) {
            m_lAvaleRelache = false;
            return true;
        }
        return !Dedans(Objet);
    case QEvent::KeyPress:
        if (m_lPipette && static_cast<QKeyEvent *>(Evenement)->key() == Qt::Key_Escape) {
            FinPipette();
            return true;
        }
        return !Dedans(Objet);
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::NativeGesture:
    case QEvent::Gesture: return !Dedans(Objet);
    case QEvent::Close:
        // The main window stays while the graph is open.
        return m_pPrincipale && (Objet == m_pPrincipale || Objet == m_pPrincipale->windowHandle());
    default: return false;
    }
}

void TfmGrapheDistribCoul::btPipetteToggled(bool lBas)
{
    if (lBas == m_lPipette)
        return;
    m_lPipette = lBas;
    m_nYMarqueur = -1;
    MajMarqueur();
    if (lBas) {
        QApplication::setOverrideCursor(CurseurPipette());
    } else {
        QApplication::restoreOverrideCursor();
        PanneauxVides();
    }
}

void TfmGrapheDistribCoul::FinPipette()
{
    btPipette->setChecked(false);
}

void TfmGrapheDistribCoul::Pipette(const QPoint &ptEcran)
{
    if (!m_sbImage)
        return;
    QWidget *Vue = m_sbImage->viewport();
    QScrollBar *h = m_sbImage->horizontalScrollBar();
    QScrollBar *v = m_sbImage->verticalScrollBar();
    const QPoint pt = Vue->mapFromGlobal(ptEcran);
    const QPoint Avant(h->value(), v->value());
    const TPasPipette Pas = PasPipette(pt, Vue->size(), Avant, QPoint(h->maximum(), v->maximum()));
    if (!Pas.lDansClient)
        return;
    h->setValue(Pas.Defilement.x());
    v->setValue(Pas.Defilement.y());
    if (QPoint(h->value(), v->value()) != Avant)
        return;
    // What the pane paints there, whatever the display server lets be read of the screen.
    const QImage Pixel = Vue->grab(QRect(pt, QSize(1, 1))).toImage();
    if (Pixel.isNull())
        return;
    MontreLecture(LecturePipette(Pixel.pixel(0, 0)));
}

void TfmGrapheDistribCoul::MontreLecture(const TLecturePipette &l)
{
    Colore(pnPipette, l.clPipette, l.clTexteLum);
    Colore(pnLum, l.clLum, l.clTexteLum);
    Colore(pnR, l.clR, l.clTexteR);
    Colore(pnV, l.clV, l.clTexteV);
    Colore(pnB, l.clB, l.clTexteB);
    pnLum->setText(QString::number(l.nY));
    pnR->setText(QString::number(l.nR));
    pnV->setText(QString::number(l.nV));
    pnB->setText(QString::number(l.nB));
    m_nYMarqueur = l.nY;
    MajMarqueur();
}

void TfmGrapheDistribCoul::PanneauxVides()
{
    const QColor Face = palette().color(QPalette::Button);
    const QColor Texte = palette().color(QPalette::ButtonText);
    for (QLabel *l : {pnPipette, pnLum, pnR, pnV, pnB}) {
        Colore(l, Face, Texte);
        l->clear();
    }
}
