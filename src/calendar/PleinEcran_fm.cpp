#include "calendar/PleinEcran_fm.h"

#include "calendar/MenuVignettes.h"
#include "calendar/VignetteFlottante_fm.h"
#include "cdhistory/HistoCD_fm.h"
#include "exploration/Exploration_fm.h"
#include "components/ComboZoom.h"
#include "components/FolderTreeView.h"
#include "components/PaneledListView.h"
#include "components/PanneauImage.h"
#include "exploration/AfficheImage_fm.h"
#include "exploration/ChargeurImage.h"
#include "exploration/EnrLV.h"
#include "exploration/ModeleListe.h"
#include "exploration/RapportZoom.h"
#include "exploration/Selection.h"
#include "imaging/ChargeImage.h"
#include "imaging/JpegCodec.h"
#include "mainwindow/MainKX_fm.h"
#include "platform/Balises.h"
#include "platform/Messages.h"
#include "storage/Contexte.h"
#include "treatments/TraitementsImage.h"

#include <QApplication>
#include <QClipboard>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <mutex>

namespace PleinEcran
{
// The picture on the screen: painted stretched to its shown size at its place, only the
// visible part.
class TZoneImage : public QWidget
{
public:
    explicit TZoneImage(QWidget *Parent) : QWidget(Parent)
    {
        setObjectName(QStringLiteral("sbPleinEcran"));
        setAutoFillBackground(true);
        setMouseTracking(false);
    }
    // Affichee, when not null, is Image already at its shown size.
    void MetImage(const QImage &Image, const QImage &Affichee = {})
    {
        m_Image = Image;
        m_Affichee = Affichee;
        m_Apercu = QImage();
        update();
    }
    // A stand-in shown at Place until the next picture comes.
    void MetApercu(const QImage &Apercu, const QRect &Place)
    {
        m_Apercu = Apercu;
        m_PlaceApercu = Place;
        update();
    }
    void MetPlace(QPoint Position, QSize Taille)
    {
        m_Position = Position;
        m_Taille = Taille;
        update();
    }
    QRect Place() const { return {m_Position, m_Taille}; }
    const QImage &Image() const { return m_Image; }
    // Called after each paint.
    std::function<void()> fnPeinte;

protected:
    void paintEvent(QPaintEvent *) override
    {
        Peins();
        if (fnPeinte)
            fnPeinte();
    }

private:
    void Peins()
    {
        if (!m_Apercu.isNull()) {
            QPainter p(this);
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawImage(m_PlaceApercu, m_Apercu);
            return;
        }
        if (m_Image.isNull() || m_Taille.isEmpty())
            return;
        QPainter p(this);
        const QRect Cible(m_Position, m_Taille);
        const QRect Visible = Cible.intersected(rect());
        if (Visible.isEmpty())
            return;
        if (m_Affichee.size() == m_Taille || (m_Affichee.isNull() && m_Image.size() == m_Taille)) {
            const QImage &Image = m_Affichee.isNull() ? m_Image : m_Affichee;
            p.drawImage(Visible.topLeft(), Image, Visible.translated(-m_Position));
            return;
        }
        // The source part that falls on the screen, so that a picture many times larger than
        // the screen costs no more than the screen.
        const double kx = double(m_Image.width()) / m_Taille.width(), ky = double(m_Image.height()) / m_Taille.height();
        const QRectF Source((Visible.x() - m_Position.x()) * kx, (Visible.y() - m_Position.y()) * ky,
                            Visible.width() * kx, Visible.height() * ky);
        p.setRenderHint(QPainter::SmoothPixmapTransform, kx > 1 || ky > 1);
        p.drawImage(QRectF(Visible), m_Image, Source);
    }

    QImage m_Image;
    QImage m_Affichee;
    QImage m_Apercu;
    QRect m_PlaceApercu;
    QPoint m_Position;
    QSize m_Taille;
};

// The position picture: the current thumbnail with the rectangle of the visible part drawn
// over it, not into it.
class TImagePosition : public QWidget
{
public:
    explicit TImagePosition(QWidget *Parent) : QWidget(Parent) { setObjectName(QStringLiteral("imPosit")); }
    std::function<void(const QPoint &)> fnClic;
    void MetImage(const QImage &Image)
    {
        m_Image = Image;
        setFixedSize(Image.isNull() ? QSize(0, 0) : Image.size());
        update();
    }
    void MetZone(std::optional<QRect> Zone)
    {
        m_Zone = Zone;
        update();
    }
    std::optional<QRect> Zone() const { return m_Zone; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.drawImage(0, 0, m_Image);
        if (m_Zone) {
            p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            p.setPen(QColor(255, 255, 255));
            p.setBrush(Qt::NoBrush);
            p.drawRect(m_Zone->adjusted(0, 0, -1, -1));
        }
    }
    void mousePressEvent(QMouseEvent *e) override
    {
        if (e->button() == Qt::LeftButton && fnClic)
            fnClic(e->position().toPoint());
    }

private:
    QImage m_Image;
    std::optional<QRect> m_Zone;
};
} // namespace PleinEcran

using namespace PleinEcran;

// The requests of one viewer, shared with its worker.
struct TfmPleinEcran::TCommandes
{
    std::mutex Verrou;
    QHash<QString, TCommandeImage> Liste;
};

namespace
{

const TEnrLV *EnrCourant(TfmMainKX &Main)
{
    return Main.Selection().EnrCourant();
}

bool Disponible(const TEnrLV &e)
{
    return !(e.nNumCD != 0 && e.cLecteur.isEmpty());
}

QString FichierWav(const TEnrLV &e)
{
    const QFileInfo f(e.CheminComplet());
    return f.path() + QLatin1Char('/') + f.completeBaseName() + QStringLiteral(".WAV");
}

QAction *ActionTrt(TfmMainKX &Main, int nTrt)
{
    static const char *const cNoms[] = {"miRotGauche", "miRotDroite", "miMirHorizontal", "miMirVertical"};
    return Main.findChild<QAction *>(QLatin1String(cNoms[nTrt]));
}
} // namespace

TfmPleinEcran::TfmPleinEcran(TfmMainKX &Main, TContexte &Contexte, const QColor &Fond)
    : QDialog(&Main, Qt::Window | Qt::FramelessWindowHint), m_Main(Main), m_Contexte(Contexte)
{
    setObjectName(QStringLiteral("fmPleinEcran"));
    QPalette Palette = palette();
    Palette.setColor(QPalette::Window, Fond);
    setPalette(Palette);
    setAutoFillBackground(true);
    ConstruitFenetre();
    NouvelleAvance();
    m_pMajOutils = new QTimer(this);
    m_pMajOutils->setSingleShot(true);
    m_pMajOutils->setInterval(150);
    connect(m_pMajOutils, &QTimer::timeout, this, &TfmPleinEcran::MajOutils);
    // The neighbours' decodes start once the picture is painted, or after this delay when no
    // paint comes (the window is not shown).
    m_pVoisins = new QTimer(this);
    m_pVoisins->setSingleShot(true);
    m_pVoisins->setInterval(200);
    connect(m_pVoisins, &QTimer::timeout, this, &TfmPleinEcran::Recoit);
    sbPleinEcran->fnPeinte = [this] {
        if (m_pVoisins->isActive()) {
            m_pVoisins->stop();
            // Once the paint is on the screen, not inside it.
            QMetaObject::invokeMethod(this, &TfmPleinEcran::Recoit, Qt::QueuedConnection);
        }
    };
    m_pAffiche = m_Main.findChild<TAfficheImageKX *>();
    connect(this, &QDialog::finished, this, &TfmPleinEcran::FinPleinEcran);
    connect(&m_Main.Selection(), &TSelectionKX::CouranteChange, this, &TfmPleinEcran::CouranteChange);
    connect(&m_Main.Selection(), &TSelectionKX::ImageChange, this, [this](const QString &cCle) {
        const TEnrLV *e = EnrCourant(m_Main);
        if (e && e->Cle() == cCle) {
            m_pAvance->Oublie(e->CheminComplet());
            PrendreImage();
        }
    });
}

TfmPleinEcran::~TfmPleinEcran()
{
    FinPleinEcran();
    if (m_lAttente)
        QApplication::restoreOverrideCursor();
}

QSize TfmPleinEcran::Ecran() const
{
    const QScreen *s = m_Main.screen() ? m_Main.screen() : QGuiApplication::primaryScreen();
    return s ? s->geometry().size() : QSize(1024, 768);
}

void TfmPleinEcran::NouvelleAvance()
{
    auto Commandes = std::make_shared<TCommandes>();
    m_pCommandes = Commandes;
    QPointer<TfmPleinEcran> Moi(this);
    m_pAvance.reset();
    m_pAvance = std::make_unique<TAvanceImages>(
        [Commandes](const QString &cFichier, const std::atomic<bool> &lAbandon) {
            // The user may move past this image before it is decoded: the decode stops then.
            TCommandeImage c;
            {
                std::lock_guard Verrou(Commandes->Verrou);
                c = Commandes->Liste.value(cFichier);
            }
            return ImagePourEcran(cFichier, c, lAbandon, qint64(1) << 31);
        },
        [Moi] {
            QMetaObject::invokeMethod(
                qApp,
                [Moi] {
                    if (Moi)
                        Moi->Recoit();
                },
                Qt::QueuedConnection);
        });
}

QToolButton *TfmPleinEcran::Bouton(const char *cNom, const QString &cTexte, const QString &cBulle, int x)
{
    auto *b = new QToolButton(pnCommandes);
    b->setObjectName(QLatin1String(cNom));
    b->setText(cTexte);
    b->setToolTip(cBulle);
    b->setGeometry(x, 0, 20, 20);
    // Keys go to the window, never to a button.
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

void TfmPleinEcran::ConstruitFenetre()
{
    sbPleinEcran = new TZoneImage(this);
    sbPleinEcran->installEventFilter(this);
    QPalette Palette = sbPleinEcran->palette();
    Palette.setColor(QPalette::Window, palette().color(QPalette::Window));
    sbPleinEcran->setPalette(Palette);

    pnCommandes = new QWidget(this);
    pnCommandes->setObjectName(QStringLiteral("pnCommandes"));
    pnCommandes->setAutoFillBackground(true);
    pnCommandes->setPalette(QApplication::palette());
    pnCommandes->setGeometry(0, 0, 420, 20);
    btAfficheMasque =
        Bouton("btAfficheMasque", QStringLiteral("≡"), QStringLiteral("Afficher/Masquer la fenêtre d'outils"), 0);
    btCriteres =
        Bouton("btCriteres", QStringLiteral("C"), QStringLiteral("Afficher/Masquer les critères de l'image"), 30);
    btImgPosit = Bouton("btImgPosit", QStringLiteral("▣"),
                        QStringLiteral("Afficher/Masquer le positionnement de la zone dans l'image"), 60);
    btMemoSonore = Bouton("btMemoSonore", QStringLiteral("♪"), QStringLiteral("Mémo sonore"), 90);
    btPrem = Bouton("btPrem", QStringLiteral("|◀"), QStringLiteral("Première image"), 120);
    btPrec = Bouton("btPrec", QStringLiteral("◀"), QStringLiteral("Image précédente"), 140);
    btSuiv = Bouton("btSuiv", QStringLiteral("▶"), QStringLiteral("Image suivante"), 160);
    btDern = Bouton("btDern", QStringLiteral("▶|"), QStringLiteral("Dernière image"), 180);
    cbZoom = new TComboZoom(pnCommandes);
    cbZoom->setObjectName(QStringLiteral("cbZoom"));
    cbZoom->setGeometry(210, 0, 60, 20);
    cbZoom->setToolTip(QStringLiteral("Rapport de Zoom"));
    cbZoom->setFocusPolicy(Qt::NoFocus);
    btCentrer = Bouton("btCentrer", QStringLiteral("⊕"), QStringLiteral("Centrer l'image dans l'écran"), 280);
    btRotGauche = Bouton("btRotGauche", QStringLiteral("↺"), QStringLiteral("Rotation à Gauche"), 310);
    btRotDroite = Bouton("btRotDroite", QStringLiteral("↻"), QStringLiteral("Rotation à Droite"), 330);
    btMirHorizontal = Bouton("btMirHorizontal", QStringLiteral("⇆"), QStringLiteral("Miroir Horizontal"), 350);
    btMirVertical = Bouton("btMirVertical", QStringLiteral("⇅"), QStringLiteral("Miroir Vertical"), 370);
    btQuitter = Bouton("btQuitter", QStringLiteral("✕"), QStringLiteral("Quitter le Plein écran"), 400);
    for (QToolButton *b : {btAfficheMasque, btCriteres, btImgPosit})
        b->setCheckable(true);
    btAfficheMasque->setChecked(true);
    btImgPosit->setChecked(true);

    pnCriteres = new QWidget(this);
    pnCriteres->setObjectName(QStringLiteral("pnCriteres"));
    pnCriteres->setGeometry(0, 20, 240, 300);
    pnCriteres->setAutoFillBackground(true);
    stCriteres = new QLabel(pnCriteres);
    stCriteres->setObjectName(QStringLiteral("stCriteres"));
    stCriteres->setGeometry(0, 0, 240, 40);
    stCriteres->setTextFormat(Qt::PlainText);
    stCriteres->setWordWrap(true);
    stCriteres->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    stCriteres->setAutoFillBackground(true);
    QPalette Bulle = stCriteres->palette();
    Bulle.setColor(QPalette::Window, QApplication::palette().color(QPalette::ToolTipBase));
    Bulle.setColor(QPalette::WindowText, QApplication::palette().color(QPalette::ToolTipText));
    stCriteres->setPalette(Bulle);
    tvCriteres = new QTreeWidget(pnCriteres);
    tvCriteres->setObjectName(QStringLiteral("tvCriteres"));
    tvCriteres->setGeometry(0, 40, 240, 260);
    tvCriteres->setHeaderHidden(true);
    tvCriteres->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tvCriteres->setFocusPolicy(Qt::NoFocus);
    pnCriteres->hide();

    pnImgPosit = new QWidget(this);
    pnImgPosit->setObjectName(QStringLiteral("pnImgPosit"));
    imPosit = new TImagePosition(pnImgPosit);
    imPosit->fnClic = [this](const QPoint &pt) { imPositClick(pt); };

    connect(btQuitter, &QToolButton::clicked, this, &QDialog::reject);
    connect(btAfficheMasque, &QToolButton::toggled, this, &TfmPleinEcran::btAfficheMasqueClick);
    connect(btCriteres, &QToolButton::toggled, this, &TfmPleinEcran::btCriteresClick);
    connect(btImgPosit, &QToolButton::toggled, pnImgPosit, &QWidget::setVisible);
    connect(btCentrer, &QToolButton::clicked, this, &TfmPleinEcran::btCentrerClick);
    connect(btMemoSonore, &QToolButton::clicked, this, [this] {
        const TEnrLV *e = EnrCourant(m_Main);
        if (e && fnMemoSonore)
            fnMemoSonore(FichierWav(*e));
    });
    const auto Cle = [this](QToolButton *b, int nTouche, Qt::KeyboardModifiers m) {
        connect(b, &QToolButton::clicked, this, [this, nTouche, m] { Touche(nTouche, m); });
    };
    Cle(btPrem, Qt::Key_Home, Qt::NoModifier);
    Cle(btPrec, Qt::Key_Left, Qt::NoModifier);
    Cle(btSuiv, Qt::Key_Right, Qt::NoModifier);
    Cle(btDern, Qt::Key_End, Qt::NoModifier);
    Cle(btRotGauche, Qt::Key_G, Qt::ControlModifier);
    Cle(btRotDroite, Qt::Key_D, Qt::ControlModifier);
    Cle(btMirHorizontal, Qt::Key_H, Qt::ControlModifier);
    Cle(btMirVertical, Qt::Key_V, Qt::ControlModifier);
    connect(cbZoom, &QComboBox::currentIndexChanged, this, &TfmPleinEcran::cbZoomChange);
}

void TfmPleinEcran::FinPleinEcran()
{
    if (m_pAffiche)
        m_pAffiche->FinPleinEcran();
}

void TfmPleinEcran::AfficherPleinEcran()
{
    if (m_pAffiche)
        m_pAffiche->DebutPleinEcran();
    if (QScreen *s = m_Main.screen())
        setScreen(s);
    const QScreen *s = m_Main.screen() ? m_Main.screen() : QGuiApplication::primaryScreen();
    if (s)
        setGeometry(s->geometry());
    sbPleinEcran->setGeometry(QRect(QPoint(0, 0), Ecran()));
    setWindowState(windowState() | Qt::WindowFullScreen);
    pnImgPosit->move(btCriteres->isChecked() ? 240 : 0, 20);
    {
        const QSignalBlocker Bloque(cbZoom);
        cbZoom->setCurrentIndex(m_Main.ListeZoom()->currentIndex());
    }
    PrendreImage();
    DisposerImage();
    setFocus();
}

QString TfmPleinEcran::Bulle()
{
    const TEnrLV *e = EnrCourant(m_Main);
    if (!e || !fnBulle)
        return {};
    if (!m_cBulleFichier.has_value() || *m_cBulleFichier != e->CheminComplet()) {
        m_cBulle = fnBulle(*e);
        m_cBulleFichier = e->CheminComplet();
    }
    return m_cBulle;
}

void TfmPleinEcran::PrendreImage()
{
    // The hint is made once for the image taken, however many parts show it.
    m_cBulleFichier.reset();
    lDeplace = false;
    nDecalX = nDecalY = 0;
    Demande();
    if (!m_lRepetition) {
        m_pMajOutils->stop();
        MajOutils();
    } else {
        // While a key is held the tools follow once the repeats pause, not at every step.
        m_pMajOutils->start();
    }
}

void TfmPleinEcran::Demande()
{
    const TModeleListeImages &Modele = m_Main.Modele();
    const int nLigne = m_Main.Selection().LigneCourante();
    if (nLigne < 0 || nLigne >= Modele.Nombre()) {
        Montre({});
        return;
    }
    const int nZoom = m_Main.ListeZoom()->currentIndex();
    if (nZoom != m_nZoomAvance) {
        // Decodes for another zoom cover other sizes.
        if (m_nZoomAvance >= 0)
            m_pAvance->Vide();
        m_nZoomAvance = nZoom;
    }
    const int nNombre = Modele.Nombre();
    const auto Fichier = [&](int n) -> QString {
        n = (n % nNombre + nNombre) % nNombre;
        const TEnrLV &e = Modele.Enr(n);
        if (!Disponible(e) || e.lIllisible)
            return {};
        TCommandeImage c;
        c.nZoom = nZoom;
        c.Ecran = Ecran() * devicePixelRatio();
        if (m_Contexte.iniSetup) {
            const TRecetteTrts r = LitRecetteTrts(*m_Contexte.iniSetup, m_Contexte.Parametres, e.Cle(), e.cOrientation);
            c.Trts = OperationsTrts(r);
            c.lTourne = TailleTraitee(QSize(1, 2), r) == QSize(2, 1);
        }
        std::lock_guard Verrou(m_pCommandes->Verrou);
        m_pCommandes->Liste.insert(e.CheminComplet(), c);
        return e.CheminComplet();
    };
    const TEnrLV &e = Modele.Enr(nLigne);
    if (!Disponible(e)) {
        TImagePleinEcran i;
        i.Image = ImageNonTrouvee(200, {}, {});
        i.Taille = i.Image.size();
        Montre(i);
        return;
    }
    // Images absent or unreadable leave an empty name: nothing to decode ahead for them.
    const QString cCourant = e.CheminComplet();
    Fichier(nLigne);
    const QString cSuivant = nNombre > 1 ? Fichier(nLigne + 1) : QString();
    const QString cPrecedent = nNombre > 2 ? Fichier(nLigne - 1) : QString();
    if (const auto Prete = m_pAvance->Demande(cCourant, cSuivant, cPrecedent)) {
        // The neighbours are decoded once this picture is painted.
        Montre(*Prete);
        return;
    }
    m_Image.cFichier = cCourant;
    m_Image.lLue = false;
    // While it decodes (a key held down passes images faster than they decode), the grid's
    // thumbnail stands in for it.
    if (const TPLVListItem *Item = m_Main.Grille() ? m_Main.Grille()->Item(nLigne) : nullptr) {
        const QImage Vignette = Item->Vignette();
        if (!Vignette.isNull())
            sbPleinEcran->MetApercu(Vignette, PlaceApercu(Vignette.size(), Ecran()));
    }
    if (!m_lAttente) {
        m_lAttente = true;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
}

void TfmPleinEcran::Recoit()
{
    if (const auto Prete = m_pAvance->Recoit()) {
        const TEnrLV *e = EnrCourant(m_Main);
        if (e && Prete->cFichier == e->CheminComplet())
            Montre(*Prete);
    }
}

void TfmPleinEcran::Montre(const TImagePleinEcran &Image)
{
    m_Image = Image;
    if (!Image.cFichier.isEmpty())
        m_pVoisins->start(sbPleinEcran->isVisible() ? m_pVoisins->interval() : 0);
    if (!Image.lLue && !Image.cFichier.isEmpty()) {
        // A file deleted meanwhile or unreadable: its placeholder, and navigation goes on.
        m_Image.Image = ImageErreur(200);
        m_Image.Taille = m_Image.Image.size();
    }
    if (m_lAttente) {
        m_lAttente = false;
        QApplication::restoreOverrideCursor();
    }
    sbPleinEcran->MetImage(m_Image.Image, m_Image.Affichee);
    DisposerImage();
    if (m_pAffiche && Image.lLue)
        m_pAffiche->ImagePleinEcran(Image.cFichier, Image.Image, Image.Taille);
}

bool TfmPleinEcran::AttendImage(int nMs)
{
    // Sleeps between events, so as not to take a processor from the decode waited for.
    const QDeadlineTimer Fin(nMs);
    QTimer Reveil;
    Reveil.setSingleShot(true);
    Reveil.start(nMs);
    while (m_lAttente && !Fin.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return !m_lAttente;
}

void TfmPleinEcran::MajOutils()
{
    const TEnrLV *e = EnrCourant(m_Main);
    // The memo of the image left is not heard over the next one.
    const QString cImage = e ? e->CheminComplet() : QString();
    if (cImage != m_cImageOutils && !m_cImageOutils.isEmpty() && fnArreteMemo)
        fnArreteMemo();
    m_cImageOutils = cImage;
    btMemoSonore->setEnabled(e && fnMemoSonore && Disponible(*e) && QFileInfo::exists(FichierWav(*e)));
    cbZoom->setEnabled(m_Main.ListeZoom()->isEnabled() || (e && !e->lIllisible && Disponible(*e)));
    // The treatment buttons follow the main window's; their states are refreshed first.
    m_Main.Fonctionnalites().Actions(TEmplacementAction::PopupVignettes);
    const QAction *Rot = ActionTrt(m_Main, 0);
    for (QToolButton *b : {btRotGauche, btRotDroite, btMirHorizontal, btMirVertical})
        b->setEnabled(Rot && Rot->isEnabled());

    QString cBulle = Bulle();
    const qsizetype n = cBulle.indexOf(QStringLiteral("\r\n<PG>"));
    if (n >= 0)
        cBulle.truncate(n);
    stCriteres->setText(Balises::TexteSimple(cBulle));
    CopieCriteres();

    const int nLigne = m_Main.Selection().LigneCourante();
    const TPLVListItem *Item = m_Main.Grille() && nLigne >= 0 ? m_Main.Grille()->Item(nLigne) : nullptr;
    imPosit->MetImage(Item ? Item->Vignette() : QImage());
    pnImgPosit->resize(imPosit->size());
    TracerZone();
}

void TfmPleinEcran::CopieCriteres()
{
    tvCriteres->clear();
    const QTreeWidget *Source = m_Main.ArbreCriteresVignettes();
    if (!Source)
        return;
    for (int i = 0; i < Source->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *s = Source->topLevelItem(i);
        QTreeWidgetItem *c = s->clone();
        tvCriteres->addTopLevelItem(c);
        // A node shown one level deep (the IPTC data: its groups closed) stays so; every other
        // node is fully expanded.
        bool lUnNiveau = s->isExpanded() && s->childCount() > 0;
        for (int j = 0; lUnNiveau && j < s->childCount(); ++j)
            if (s->child(j)->isExpanded())
                lUnNiveau = false;
        bool lPetitsEnfants = false;
        for (int j = 0; j < s->childCount(); ++j)
            lPetitsEnfants = lPetitsEnfants || s->child(j)->childCount() > 0;
        if (lUnNiveau && lPetitsEnfants)
            c->setExpanded(true);
        else
            tvCriteres->expandRecursively(tvCriteres->indexFromItem(c));
    }
}

void TfmPleinEcran::DisposerImage()
{
    const bool lAjuste = cbZoom->currentIndex() == RapportZoom::nAjuste;
    const QSize Ecran = this->Ecran();
    QSize Zoom;
    if (!lAjuste)
        Zoom = RapportZoom::Affichage(cbZoom->currentIndex(), m_Image.Taille.width(), m_Image.Taille.height(), Ecran)
                   .Taille;
    m_Disposition = PleinEcran::DisposerImage(m_Image.Taille, Ecran, lAjuste, Zoom);
    nDecalX = nDecalY = 0;
    sbPleinEcran->MetPlace(m_Disposition.Position, m_Disposition.Taille);
    btCentrer->setEnabled(m_Disposition.lCentrer);
    setToolTip(
        QStringLiteral("<CG>Rapport de Zoom : %1</CG/>\r\n<LS></LS/>\r\n%2").arg(cbZoom->currentText(), Bulle()));
    TracerZone();
}

void TfmPleinEcran::TracerZone()
{
    imPosit->MetZone(Zone(m_Disposition.Taille, sbPleinEcran->Place().topLeft(), Ecran(), imPosit->width()));
}

void TfmPleinEcran::keyPressEvent(QKeyEvent *Evenement)
{
    if (!m_Repetition.Accepte(Evenement->timestamp(), Evenement->isAutoRepeat()))
        return;
    QElapsedTimer t;
    t.start();
    m_lRepetition = Evenement->isAutoRepeat();
    Touche(Evenement->key(), Evenement->modifiers());
    m_lRepetition = false;
    m_Repetition.Fin(Evenement->timestamp(), t.elapsed());
}

void TfmPleinEcran::Touche(int nTouche, Qt::KeyboardModifiers Modificateurs)
{
    const int nLigne = m_Main.Selection().LigneCourante();
    const bool lZoom = m_Main.ListeZoom()->isEnabled();
    TActionTouche a =
        ActionTouche(nTouche, Modificateurs, nLigne, m_Main.Modele().Nombre(), lZoom, {true, true, true, true});
    if (a.nGenre == TActionTouche::Traitement) {
        // The treatments' states are refreshed only for their keys: stepping stays cheap.
        std::array<bool, 4> lTrts{};
        m_Main.Fonctionnalites().Actions(TEmplacementAction::PopupVignettes);
        for (int i = 0; i < 4; ++i) {
            const QAction *Action = ActionTrt(m_Main, i);
            lTrts[size_t(i)] = Action && Action->isEnabled();
        }
        a = ActionTouche(nTouche, Modificateurs, nLigne, m_Main.Modele().Nombre(), lZoom, lTrts);
    }
    switch (a.nGenre) {
    case TActionTouche::Rien: break;
    case TActionTouche::Fermer: reject(); break;
    case TActionTouche::Bip: QApplication::beep(); break;
    case TActionTouche::Naviguer: Naviguer(a.nTouche); break;
    case TActionTouche::Zoom: {
        TComboZoom *Principal = m_Main.ListeZoom();
        Principal->setCurrentIndex(RapportZoom::IndexApresTouche(Principal->currentIndex(), a.nTouche, true));
        const QSignalBlocker Bloque(cbZoom);
        cbZoom->setCurrentIndex(Principal->currentIndex());
        Demande();
        DisposerImage();
        break;
    }
    case TActionTouche::Traitement:
        if (QAction *Action = ActionTrt(m_Main, a.nTrt)) {
            Action->trigger();
            if (const TEnrLV *e = EnrCourant(m_Main))
                m_pAvance->Oublie(e->CheminComplet());
            PrendreImage();
        }
        break;
    }
}

void TfmPleinEcran::Naviguer(int nTouche)
{
    TPaneledListView *Grille = m_Main.Grille();
    if (!Grille)
        return;
    QKeyEvent Appui(QEvent::KeyPress, nTouche, Qt::NoModifier);
    QApplication::sendEvent(Grille, &Appui);
    // The grid made another row current: CouranteChange took its picture.
}

void TfmPleinEcran::CouranteChange()
{
    PrendreImage();
}

void TfmPleinEcran::btAfficheMasqueClick(bool lEnfonce)
{
    const int nLargeur = lEnfonce ? 420 : 140;
    pnCommandes->resize(nLargeur, 20);
    btPrem->setVisible(lEnfonce);
    btQuitter->move(nLargeur - 20, 0);
    setFocus();
}

void TfmPleinEcran::btCriteresClick(bool lEnfonce)
{
    pnCriteres->setVisible(lEnfonce);
    pnImgPosit->move(lEnfonce ? 240 : 0, 20);
    setFocus();
}

void TfmPleinEcran::btCentrerClick()
{
    const QSize Ecran = this->Ecran();
    m_Disposition.Position = QPoint((Ecran.width() - m_Disposition.Taille.width()) / 2,
                                    (Ecran.height() - m_Disposition.Taille.height()) / 2);
    lDeplace = false;
    nDecalX = nDecalY = 0;
    sbPleinEcran->MetPlace(m_Disposition.Position, m_Disposition.Taille);
    TracerZone();
    setFocus();
}

void TfmPleinEcran::cbZoomChange(int nIndex)
{
    TComboZoom *Principal = m_Main.ListeZoom();
    if (nIndex != Principal->currentIndex())
        Principal->setCurrentIndex(nIndex);
    Demande();
    DisposerImage();
    setFocus();
}

void TfmPleinEcran::imPositClick(const QPoint &pt)
{
    const auto p = PositionDepuisClic(m_Disposition.Taille, Ecran(), imPosit->width(), pt);
    if (!p)
        return;
    m_Disposition.Position = *p;
    lDeplace = false;
    nDecalX = nDecalY = 0;
    sbPleinEcran->MetPlace(m_Disposition.Position, m_Disposition.Taille);
    TracerZone();
}

bool TfmPleinEcran::eventFilter(QObject *Objet, QEvent *Evenement)
{
    if (Objet != sbPleinEcran)
        return QDialog::eventFilter(Objet, Evenement);
    switch (Evenement->type()) {
    case QEvent::MouseButtonPress: {
        auto *e = static_cast<QMouseEvent *>(Evenement);
        if (e->button() == Qt::LeftButton && m_Disposition.lCentrer) {
            lDeplace = true;
            QApplication::setOverrideCursor(Qt::OpenHandCursor);
            // Every drag goes on from where the previous one left the picture.
            m_PositionPrise = sbPleinEcran->Place().topLeft() - QPoint(nDecalX, nDecalY);
            const QPoint pt = e->position().toPoint();
            nPriseX = pt.x() - nDecalX;
            nPriseY = pt.y() - nDecalY;
        }
        return true;
    }
    case QEvent::MouseMove: {
        auto *e = static_cast<QMouseEvent *>(Evenement);
        if (!lDeplace)
            return true;
        const QPoint pt = e->position().toPoint();
        nDecalX = pt.x() - nPriseX;
        nDecalY = pt.y() - nPriseY;
        m_Disposition.Position = m_PositionPrise + QPoint(nDecalX, nDecalY);
        sbPleinEcran->MetPlace(m_Disposition.Position, m_Disposition.Taille);
        TracerZone();
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto *e = static_cast<QMouseEvent *>(Evenement);
        if (e->button() == Qt::LeftButton && lDeplace) {
            lDeplace = false;
            QApplication::restoreOverrideCursor();
        } else if (e->button() == Qt::RightButton) {
            reject();
        }
        return true;
    }
    default: break;
    }
    return QDialog::eventFilter(Objet, Evenement);
}

void TfmPleinEcran::changeEvent(QEvent *Evenement)
{
    QDialog::changeEvent(Evenement);
    if (Evenement->type() == QEvent::ActivationChange && isActiveWindow()) {
        const QSignalBlocker Bloque(cbZoom);
        cbZoom->setCurrentIndex(m_Main.ListeZoom()->currentIndex());
    }
}

TPleinEcranKX::TPleinEcranKX(TfmMainKX &Main, TContexte &Contexte, TAfficheImageKX &Affiche)
    : QObject(&Main), m_Main(Main), m_Contexte(Contexte), m_Affiche(Affiche)
{
    setObjectName(QStringLiteral("PleinEcran"));
    const auto Action = [this](const char *cNom, const QString &cTexte, const QKeySequence &Raccourci) {
        auto *a = new QAction(cTexte, this);
        a->setObjectName(QLatin1String(cNom));
        if (!Raccourci.isEmpty()) {
            a->setShortcut(Raccourci);
            // Ctrl+C and Ctrl+S act in the grid, the list and the pane only, so that a text
            // field keeps its own.
            a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        }
        return a;
    };
    miPleinEcran = Action("miPleinEcran", QStringLiteral("Plein &écran"), {});
    miMemoSonore = Action("miMemoSonore", QStringLiteral("&Mémo sonore"), QKeySequence(QStringLiteral("Ctrl+M")));
    miCopierDonnees = Action("miCopierDonnees", QStringLiteral("copier vers le Pre&sse-Papiers les données de l'Image"),
                             QKeySequence(QStringLiteral("Ctrl+S")));
    miExplorer = Action("miExplorer", QStringLiteral("Ex&plorer"), QKeySequence(QStringLiteral("Ctrl+P")));
    miOuvrirAvec = Action("miOuvrirAvec", QStringLiteral("&Ouvrir avec"), QKeySequence(QStringLiteral("Ctrl+O")));
    // The shortcuts work with the menu closed: the actions belong to the grid, the list and
    // the pane.
    for (QWidget *w : QList<QWidget *>{m_Main.Grille(), m_Main.VueListe(), m_Main.PanneauImage()})
        if (w)
            w->addActions({miMemoSonore, miCopierDonnees, miExplorer, miOuvrirAvec});
    connect(miPleinEcran, &QAction::triggered, &m_Affiche, &TAfficheImageKX::OuvrePleinEcran);
    connect(miMemoSonore, &QAction::triggered, this, &TPleinEcranKX::MemoSonore);
    connect(miCopierDonnees, &QAction::triggered, this, &TPleinEcranKX::CopierDonnees);
    connect(miExplorer, &QAction::triggered, this, &TPleinEcranKX::Explorer);
    connect(miOuvrirAvec, &QAction::triggered, this, &TPleinEcranKX::OuvrirAvec);
    fnDemarre = [](const QString &cProgramme, const QStringList &Arguments) {
        return QProcess::startDetached(cProgramme, Arguments);
    };
    TSelectionKX &Selection = m_Main.Selection();
    connect(&Selection, &TSelectionKX::CouranteChange, this, &TPleinEcranKX::MajEtats);
    connect(&Selection, &TSelectionKX::ModeChange, this, &TPleinEcranKX::MajEtats);
    connect(&Selection, &TSelectionKX::CochesChange, this, &TPleinEcranKX::MajEtats);
    connect(&Selection, &TSelectionKX::ListeConstruite, this, &TPleinEcranKX::MajEtats);
    MajEtats();
}

TPleinEcranKX::~TPleinEcranKX()
{
    delete m_fmVignetteFlottante;
}

void TPleinEcranKX::MajVignetteFlottante()
{
    if (!m_Contexte.Parametres.vfGene_lActive) {
        delete m_fmVignetteFlottante;
        m_fmVignetteFlottante = nullptr;
        return;
    }
    if (m_fmVignetteFlottante)
        return;
    m_fmVignetteFlottante = new TfmVignetteFlottante(m_Contexte);
    m_ArbresSuivis.removeIf([](const TArbreSuivi &a) { return a.Arbre.isNull(); });
    for (const TArbreSuivi &a : std::as_const(m_ArbresSuivis))
        m_fmVignetteFlottante->Suivre(a.Arbre.data(), a.nType, a.Fournisseur);
}

void TPleinEcranKX::SuivreArbre(QTreeWidget *Arbre, quint8 nTypeArbre, TfmVignetteFlottante::TFournisseur Fournisseur)
{
    if (!Arbre)
        return;
    // Compared as plain objects: a tree being destroyed is no longer a tree.
    const QObject *Objet = Arbre;
    const auto Oublie = [this](const QObject *Objet) {
        m_ArbresSuivis.removeIf([Objet](const TArbreSuivi &a) { return a.Arbre.isNull() || a.pObjet == Objet; });
    };
    Oublie(Objet);
    m_ArbresSuivis.append({Arbre, Objet, nTypeArbre, Fournisseur});
    connect(Arbre, &QObject::destroyed, this, [Oublie, Objet] { Oublie(Objet); });
    if (m_fmVignetteFlottante)
        m_fmVignetteFlottante->Suivre(Arbre, nTypeArbre, std::move(Fournisseur));
}

QList<QTreeWidget *> TPleinEcranKX::ArbresSuivis() const
{
    QList<QTreeWidget *> l;
    for (const TArbreSuivi &a : m_ArbresSuivis)
        if (a.Arbre)
            l.append(a.Arbre.data());
    return l;
}

void TPleinEcranKX::MajEtats()
{
    const TEnrLV *e = EnrCourant(m_Main);
    TEtatVignette Etat;
    Etat.C = e != nullptr;
    Etat.E = e && e->lExiste && Disponible(*e);
    Etat.L = e && !e->lIllisible;
    Etat.M = m_Main.Selection().ModeMAJ();
    Etat.nNbCoches = m_Main.Modele().nNbCoches();
    Etat.lWav = Etat.E && QFileInfo::exists(FichierWav(*e));
    if (Etat.C && Etat.L && Etat.E) {
        m_Programme = m_Programmes.Programme(e->CheminComplet());
        Etat.lProgramme = m_Programme.Valide();
    }
    const TActivationPmVigs a = ActivationPmVigs(Etat);
    miPleinEcran->setEnabled(a.lPleinEcran);
    miMemoSonore->setEnabled(a.lMemoSonore && fnMemoSonore);
    miCopierDonnees->setEnabled(a.lCopierDonnees);
    miExplorer->setEnabled(a.lExplorer);
    if (e) {
        const QFileInfo f(e->CheminComplet());
        miExplorer->setText(QStringLiteral("Ex&plorer '%1'").arg(f.path() + QLatin1Char('/')));
    }
    miOuvrirAvec->setVisible(a.lOuvrirAvecVisible);
    miOuvrirAvec->setEnabled(a.lOuvrirAvecVisible);
    if (a.lOuvrirAvecVisible)
        miOuvrirAvec->setText(QStringLiteral("&Ouvrir avec '%1'").arg(m_Programme.cNom));
}

QList<QAction *> TPleinEcranKX::Actions(TEmplacementAction nPlace)
{
    if (nPlace != TEmplacementAction::PopupVignettes)
        return {};
    MajEtats();
    return {miPleinEcran, miMemoSonore, miCopierDonnees, miExplorer, miOuvrirAvec};
}

void TPleinEcranKX::PleinEcran(const QImage &Image, const QColor &Fond)
{
    Q_UNUSED(Image); // the view decodes the image for the screen itself
    TfmPleinEcran fm(m_Main, m_Contexte, Fond);
    fm.fnBulle = m_Affiche.fnBulleImage;
    fm.fnMemoSonore = fnMemoSonore;
    fm.fnArreteMemo = fnArreteMemo;
    m_fmPleinEcran = &fm;
    fm.AfficherPleinEcran();
    fm.exec();
    m_fmPleinEcran = nullptr;
}

void TPleinEcranKX::MemoSonore()
{
    MajEtats();
    const TEnrLV *e = EnrCourant(m_Main);
    if (e && miMemoSonore->isEnabled())
        fnMemoSonore(FichierWav(*e));
}

void TPleinEcranKX::CopierDonnees()
{
    MajEtats();
    const TEnrLV *e = EnrCourant(m_Main);
    if (!e || !miCopierDonnees->isEnabled())
        return;
    const QString cBulle = fnBulle ? fnBulle(*e) : m_Affiche.fnBulleImage ? m_Affiche.fnBulleImage(*e) : QString();
    QApplication::clipboard()->setText(Balises::TexteSimple(cBulle));
}

void TPleinEcranKX::Explorer()
{
    MajEtats();
    const TEnrLV *e = EnrCourant(m_Main);
    if (!e || !miExplorer->isEnabled())
        return;
    const QString cDossier = QFileInfo(e->CheminComplet()).path() + QLatin1Char('/');
    if (!QFileInfo(cDossier).isDir() || !fnExplorer || !fnExplorer(cDossier))
        if (m_Contexte.Messages)
            m_Contexte.Messages->Erreur(&m_Main, QStringLiteral("Le répertoire n'existe pas."));
}

void TPleinEcranKX::OuvrirAvec()
{
    MajEtats();
    const TEnrLV *e = EnrCourant(m_Main);
    if (!e || !miOuvrirAvec->isVisible() || !m_Programme.Valide())
        return;
    const QStringList Arguments = m_Programme.Arguments(e->CheminComplet());
    if (Arguments.isEmpty() || !fnDemarre || !fnDemarre(Arguments.first(), Arguments.mid(1)))
        if (m_Contexte.Messages)
            m_Contexte.Messages->Erreur(
                &m_Main, QStringLiteral("Impossible de démarrer le programme '%1'.").arg(m_Programme.cNom));
}

int RemplitPmVigs(QMenu *Menu, const QList<QAction *> &Actions, bool lPanneau)
{
    const auto Nom = [](const QAction *a) { return a->menu() ? a->menu()->objectName() : a->objectName(); };
    QList<QAction *> l;
    for (QAction *a : Actions)
        if (!a->isSeparator())
            l.append(a);
    std::stable_sort(l.begin(), l.end(),
                     [&](const QAction *a, const QAction *b) { return RangPmVigs(Nom(a)) < RangPmVigs(Nom(b)); });
    int nGroupe = -1;
    for (QAction *a : l) {
        const int g = GroupePmVigs(Nom(a));
        if (nGroupe >= 0 && g != nGroupe)
            Menu->addSeparator();
        nGroupe = g;
        Menu->addAction(a);
    }
    const QString cDefaut = lPanneau ? QStringLiteral("miPleinEcran") : QStringLiteral("miVigsEditCritImg");
    for (QAction *a : l)
        if (a->objectName() == cDefaut)
            Menu->setDefaultAction(a);
    return int(l.size());
}

void SuivreArbreDossiers(QTreeWidget *Arbre, TContexte &Contexte)
{
    // The feature belongs to the main window of that context, whichever window owns the tree.
    const QWidgetList Fenetres = QApplication::topLevelWidgets();
    for (QWidget *w : Fenetres)
        for (TPleinEcranKX *p : w->findChildren<TPleinEcranKX *>(Qt::FindDirectChildrenOnly))
            if (&p->Contexte() == &Contexte) {
                p->SuivreArbre(Arbre, 0, TfmVignetteFlottante::FournisseurDossiers(Contexte));
                return;
            }
}

TPleinEcranKX *InstallePleinEcran(TfmMainKX &Main, TContexte &Contexte, TAfficheImageKX &Affiche)
{
    auto *p = new TPleinEcranKX(Main, Contexte, Affiche);
    Affiche.fnPleinEcran = [p](const QImage &Image, const QColor &Fond) { p->PleinEcran(Image, Fond); };
    Main.Installe(p);
    if (const auto *Exploration = Main.findChild<TExplorationKX *>())
        p->SuivreArbre(Exploration->tvReps, 0, TfmVignetteFlottante::FournisseurDossiers(Contexte));
    if (const auto *HistoCD = Main.findChild<THistoCDKX *>())
        p->SuivreArbre(HistoCD->tvHistoCD, 1, TfmVignetteFlottante::FournisseurCD(Contexte));
    p->MajVignetteFlottante();
    return p;
}
