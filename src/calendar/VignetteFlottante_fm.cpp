#include "calendar/VignetteFlottante_fm.h"

#include "cdhistory/ArboCD.h"
#include "cdhistory/HistoCD_fm.h"
#include "components/DrawLabel.h"
#include "components/FolderTreeView.h"
#include "imaging/FileKinds.h"
#include "imaging/JpegCodec.h"
#include "imaging/NomVignette.h"
#include "platform/Volumes.h"
#include "storage/CleImage.h"
#include "storage/Contexte.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QRandomGenerator>
#include <QStyleOptionViewItem>
#include <QWindow>
#include <QTreeWidget>

#include <climits>

using namespace PleinEcran;

namespace
{
constexpr int nHautLabel = 13;
constexpr int nHautLabels = 26;

qint64 DateDossier(const QString &cDossier)
{
    return cDossier.isEmpty() ? 0 : QFileInfo(cDossier).lastModified().toMSecsSinceEpoch();
}
} // namespace

TfmVignetteFlottante::TfmVignetteFlottante(TContexte &Contexte)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_Contexte(Contexte),
      m_pDemandeListe(std::make_shared<std::atomic<quint64>>(0)), m_pMaxLH(std::make_shared<std::atomic<int>>(3000))
{
    // A folder that does not answer holds its worker: the next node gets another.
    m_Listeurs.setMaxThreadCount(4);
    setObjectName(QStringLiteral("fmVignetteFlottante"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(true);
    const QPalette Palette = QApplication::palette();
    const auto Label = [&](const char *cNom, int y) {
        auto *l = new TDrawLabel(this);
        l->setObjectName(QLatin1String(cNom));
        l->setGeometry(0, y, 100, nHautLabel);
        l->set_OptimizeDisplay(true);
        l->set_SeparatorString(QStringLiteral("."));
        l->set_SeparatorColor(QColor(255, 0, 0));
        l->setAutoFillBackground(true);
        QPalette p = l->palette();
        p.setColor(QPalette::Window, Palette.color(QPalette::ToolTipBase));
        p.setColor(QPalette::WindowText, Palette.color(QPalette::ToolTipText));
        l->setPalette(p);
        QFont f = l->font();
        f.setPixelSize(10);
        l->setFont(f);
        return l;
    };
    stNombreImages = Label("stNombreImages", 0);
    stNomImage = Label("stNomImage", nHautLabel);
    imDst = new QLabel(this);
    imDst->setObjectName(QStringLiteral("imDst"));
    imDst->setScaledContents(true);
    fnHasard = [](int n) { return int(QRandomGenerator::global()->bounded(n)); };
    // Over another window, or with the program in the background, the window goes.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow *Fenetre) {
        if (isVisible() && (!m_pArbreSouris || !Fenetre || Fenetre != m_pArbreSouris->window()->windowHandle()))
            Cache();
    });

    // The header is read first: a file larger than the limit is never decoded.
    m_pDecodeur = std::make_unique<TAvanceImages>(
        [MaxLH = m_pMaxLH](const QString &cFichier, const std::atomic<bool> &lAbandon) {
            // The mouse moved to another image: this one's decode stops.
            const JpegCodec::TAbandonDecodage Abandon(lAbandon);
            TImagePleinEcran r;
            TTailleImage Taille;
            if (!JpegCodec::LitTaille(cFichier, Taille))
                return r;
            r.Taille =
                QSize(int(std::min<qint64>(Taille.nLargeur, INT_MAX)), int(std::min<qint64>(Taille.nHauteur, INT_MAX)));
            if (VignetteFlottante::TropGrande(r.Taille, MaxLH->load()))
                return r;
            r.Image = JpegCodec::Decode(cFichier, VignetteFlottante::EchelleJPEG(r.Taille));
            r.lLue = !r.Image.isNull();
            return r;
        },
        [Moi = QPointer<TfmVignetteFlottante>(this)] {
            QMetaObject::invokeMethod(
                qApp,
                [Moi] {
                    if (Moi)
                        Moi->Recoit();
                },
                Qt::QueuedConnection);
        });
}

bool TfmVignetteFlottante::Couvert(const QTreeWidget *Arbre, const QPoint &pt) const
{
    // Only the program's own windows are known everywhere: a platform that cannot tell which
    // window is at a point answers none, and the thumbnail is then shown.
    const QWidget *Dessus = QApplication::topLevelAt(Arbre->viewport()->mapToGlobal(pt));
    return Dessus && Dessus != Arbre->window() && Dessus != this;
}

TfmVignetteFlottante::~TfmVignetteFlottante()
{
    ++*m_pDemandeListe;
    m_Listeurs.clear();
    m_Listeurs.waitForDone();
    for (auto it = m_Arbres.cbegin(); it != m_Arbres.cend(); ++it)
        it.key()->viewport()->removeEventFilter(this);
}

void TfmVignetteFlottante::Suivre(QTreeWidget *Arbre, quint8 nTypeArbre, TFournisseur Fournisseur)
{
    if (!Arbre)
        return;
    TArbre a;
    a.nType = nTypeArbre;
    a.R.nTypeArbre = nTypeArbre;
    a.Fournisseur = std::move(Fournisseur);
    const bool lDeja = m_Arbres.contains(Arbre);
    m_Arbres.insert(Arbre, a);
    if (lDeja)
        return;
    Arbre->viewport()->setMouseTracking(true);
    Arbre->viewport()->installEventFilter(this);
    connect(Arbre, &QObject::destroyed, this, [this, Arbre] {
        m_Arbres.remove(Arbre);
        Cache();
    });
}

bool TfmVignetteFlottante::eventFilter(QObject *Objet, QEvent *Evenement)
{
    auto *Arbre = Objet->parent() ? qobject_cast<QTreeWidget *>(Objet->parent()) : nullptr;
    if (Arbre && m_Arbres.contains(Arbre)) {
        if (Evenement->type() == QEvent::MouseMove)
            SuivreSouris(Arbre, static_cast<QMouseEvent *>(Evenement)->position().toPoint());
        else if (Evenement->type() == QEvent::Leave || Evenement->type() == QEvent::Hide)
            Cache();
    }
    return QWidget::eventFilter(Objet, Evenement);
}

void TfmVignetteFlottante::Cache()
{
    m_Attente = {};
    m_cNoeudSouris.clear();
    m_pArbreSouris = nullptr;
    hide();
}

QTreeWidgetItem *TfmVignetteFlottante::NoeudSousSouris(QTreeWidget *Arbre, const QPoint &pt, int *pGauche,
                                                       int *pDroite) const
{
    QTreeWidgetItem *Item = Arbre->itemAt(pt);
    if (!Item)
        return nullptr;
    // The label is the text alone, not the icon or the indent.
    QStyleOptionViewItem Option;
    Option.initFrom(Arbre->viewport());
    Option.rect = Arbre->visualItemRect(Item);
    Option.font = Arbre->font();
    Option.text = Item->text(0);
    Option.icon = Item->icon(0);
    Option.features = QStyleOptionViewItem::HasDisplay;
    if (!Option.icon.isNull())
        Option.features |= QStyleOptionViewItem::HasDecoration;
    Option.decorationSize = Arbre->iconSize().isValid() ? Arbre->iconSize() : QSize(16, 16);
    Option.showDecorationSelected = false;
    Option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    Option.decorationAlignment = Qt::AlignCenter;
    Option.decorationPosition = QStyleOptionViewItem::Left;
    QRect Texte = Arbre->style()->subElementRect(QStyle::SE_ItemViewItemText, &Option, Arbre);
    const int nMarge = Arbre->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, Arbre) + 1;
    Texte.setWidth(std::min(Texte.width(), Arbre->fontMetrics().horizontalAdvance(Option.text) + 2 * nMarge));
    if (!Texte.contains(pt))
        return nullptr;
    *pGauche = Texte.left();
    *pDroite = Texte.right();
    return Item;
}

void TfmVignetteFlottante::SuivreSouris(QTreeWidget *Arbre, const QPoint &pt)
{
    if (!m_Contexte.Parametres.vfGene_lActive)
        return;
    auto it = m_Arbres.find(Arbre);
    if (it == m_Arbres.end())
        return;
    TEnrVigFlot &R = it->R;
    int nGauche = 0, nDroite = 0;
    const QTreeWidgetItem *Item = NoeudSousSouris(Arbre, pt, &nGauche, &nDroite);
    const TNoeudVF Noeud = Item && it->Fournisseur ? it->Fournisseur(Item) : TNoeudVF{};
    if (!Noeud.lValide) {
        Cache();
        return;
    }
    m_cNoeudSouris = Noeud.cIdentite;
    m_pArbreSouris = Arbre;
    m_ptSouris = pt;
    // A node's list is made when the mouse enters it, or when its folder changed since, on a
    // worker: nothing shows until it arrives.
    const qint64 nDate = DateDossier(Noeud.cDossier);
    if (Noeud.cIdentite != m_cNoeudListe || nDate != m_nDateListe) {
        if (Noeud.cIdentite != m_cNoeudDemande || nDate != m_nDateDemande)
            DemandeListe(Noeud, nDate);
        m_Attente = {};
        hide();
        return;
    }
    if (m_Liste.Liste.isEmpty() || R.cFichier.isEmpty())
        hide();
    const VignetteFlottante::TChoix c =
        VignetteFlottante::Choisit(m_Contexte.Parametres.vfGene_nQuelleImg, m_Liste.Liste, R, Noeud.cIdentite,
                                   isVisible(), pt.x(), nGauche, nDroite, fnHasard);
    if (c.nPosition < 0 && !c.lMontrer) {
        Cache();
        return;
    }
    if (!c.lCharger) {
        if (!c.lMontrer)
            hide();
        return;
    }
    const TEnrVF &e = m_Liste.Liste[c.nPosition];
    m_Attente = {Arbre, Noeud.cIdentite, e.cFichier, c.nPosition, m_Liste.nNombre, e.cNom, pt};
    m_pMaxLH->store(m_Contexte.Parametres.vfGene_nMaxLH);
    if (const auto Prete = m_pDecodeur->Demande(e.cFichier, {}, {}))
        Applique(*Prete);
}

void TfmVignetteFlottante::DemandeListe(const TNoeudVF &Noeud, qint64 nDate)
{
    m_cNoeudDemande = Noeud.cIdentite;
    m_nDateDemande = nDate;
    const quint64 nDemande = ++*m_pDemandeListe;
    m_Listeurs.start([fnListe = Noeud.fnListe, nDemande, Derniere = m_pDemandeListe, cIdentite = Noeud.cIdentite, nDate,
                      Moi = QPointer<TfmVignetteFlottante>(this)] {
        if (Derniere->load() != nDemande)
            return;
        TListeVF Liste = fnListe ? fnListe() : TListeVF{};
        QMetaObject::invokeMethod(
            qApp,
            [=, Liste = std::move(Liste)] {
                if (Moi)
                    Moi->ListeRecue(nDemande, cIdentite, nDate, Liste);
            },
            Qt::QueuedConnection);
    });
}

void TfmVignetteFlottante::ListeRecue(quint64 nDemande, const QString &cIdentite, qint64 nDate, const TListeVF &Liste)
{
    if (nDemande != m_pDemandeListe->load())
        return;
    m_cNoeudDemande.clear();
    m_Liste = Liste;
    m_cNoeudListe = cIdentite;
    m_nDateListe = nDate;
    // Shown only if the mouse is still on that node.
    if (m_pArbreSouris && m_cNoeudSouris == cIdentite)
        SuivreSouris(m_pArbreSouris, m_ptSouris);
}

void TfmVignetteFlottante::Recoit()
{
    if (const auto Prete = m_pDecodeur->Recoit())
        Applique(*Prete);
}

void TfmVignetteFlottante::Applique(const TImagePleinEcran &Image)
{
    const TAttente a = m_Attente;
    if (!a.Arbre || Image.cFichier != a.cFichier)
        return;
    m_Attente = {};
    auto it = m_Arbres.find(a.Arbre.data());
    if (it == m_Arbres.end())
        return;
    TEnrVigFlot &R = it->R;
    if (!Image.lLue) {
        // Forgotten, so that the next move tries again.
        R.cFichier.clear();
        m_pDecodeur->Oublie(Image.cFichier);
        hide();
        return;
    }
    R.cNoeud = a.cIdentite;
    R.cFichier = a.cFichier;
    // Shown only while the mouse is still on that node, and the tree still uncovered there.
    if (m_cNoeudSouris != a.cIdentite || m_pArbreSouris != a.Arbre)
        return;
    if (Couvert(a.Arbre.data(), a.Souris)) {
        Cache();
        return;
    }
    const QSize Boite = VignetteFlottante::Boite(Image.Taille);
    const QSize Client = VignetteFlottante::Client(Boite);
    resize(Client);
    imDst->setGeometry(0, nHautLabels, Boite.width(), Boite.height());
    imDst->setPixmap(QPixmap::fromImage(Image.Image));
    stNombreImages->setGeometry(0, 0, Client.width(), nHautLabel);
    stNomImage->setGeometry(0, nHautLabel, Client.width(), nHautLabel);
    stNombreImages->setText(VignetteFlottante::TexteNombre(a.nPosition + 1, a.nNombre));
    stNomImage->setText(VignetteFlottante::NomAffiche(a.cNom));
    const QPoint Coin =
        VignetteFlottante::Coin(a.Arbre->size(), Client, a.Arbre->viewport()->mapTo(a.Arbre.data(), a.Souris));
    move(a.Arbre->mapToGlobal(Coin));
    if (!windowHandle())
        create();
    if (windowHandle() && a.Arbre->window()->windowHandle())
        windowHandle()->setTransientParent(a.Arbre->window()->windowHandle());
    show();
    raise();
}

bool TfmVignetteFlottante::AttendChargement(int nMs)
{
    QElapsedTimer t;
    t.start();
    const auto Occupe = [this] {
        return !m_cNoeudDemande.isEmpty() || !m_Attente.cFichier.isEmpty() || m_pDecodeur->Occupe();
    };
    while (Occupe() && t.elapsed() < nMs)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    return !Occupe();
}

QString TfmVignetteFlottante::TexteNombre() const
{
    return stNombreImages->text();
}

QString TfmVignetteFlottante::TexteNom() const
{
    return stNomImage->text();
}

TfmVignetteFlottante::TFournisseur TfmVignetteFlottante::FournisseurDossiers(TContexte &Contexte)
{
    return [&Contexte](const QTreeWidgetItem *Item) {
        TNoeudVF n;
        const TInfoNoeud *Info = TFolderTreeView::Info(Item);
        if (!Info || Info->cChemin.isEmpty() || !QFileInfo(Info->cChemin).isDir())
            return n;
        const QString cDossier = Info->cChemin;
        TVolume Volume;
        if (Contexte.Volumes)
            Volume = Contexte.Volumes->VolumeDe(cDossier);
        const bool lCD = Volume.lCD && Volume.nSerie != 0;
        const QString cSousMontage = lCD ? QLatin1Char('/') + cDossier.mid(Volume.cPointMontage.size()) : cDossier;
        n.lValide = true;
        n.cDossier = cDossier;
        n.cIdentite = CleImage(lCD ? qint32(Volume.nSerie) : 0, cSousMontage);
        const QString cVignettes = Contexte.Dossiers.cDossierVignettes;
        const bool lAussi = Contexte.Parametres.vfGene_lAussiDepuisCD;
        n.fnListe = [cDossier, cVignettes, lCD, lAussi, Volume] {
            return VignetteFlottante::ListeDossier(cDossier, lCD, lAussi, [&](const QString &cFichier) {
                if (cVignettes.isEmpty())
                    return QString();
                const QString cChemin = lCD ? QLatin1Char('/') + cFichier.mid(Volume.cPointMontage.size()) : cFichier;
                const QString c = NomVignette(cVignettes, lCD ? qint32(Volume.nSerie) : 0, cChemin);
                return QFileInfo::exists(c) ? c : QString();
            });
        };
        return n;
    };
}

TfmVignetteFlottante::TFournisseur TfmVignetteFlottante::FournisseurCD(TContexte &Contexte)
{
    return [&Contexte](const QTreeWidgetItem *Item) {
        TNoeudVF n;
        const TNoeudCD *Noeud = THistoCDKX::NoeudDe(Item);
        if (!Noeud || !Noeud->ADesImages())
            return n;
        const qint32 nIdCD = Noeud->Enr->nIdCD;
        const QStringList Chemins = *Noeud->Enr->lstChemins;
        n.lValide = true;
        n.cIdentite = CleImage(nIdCD, Noeud->cDossier);
        const QString cVignettes = Contexte.Dossiers.cDossierVignettes;
        const bool lAussi = Contexte.Parametres.vfGene_lAussiDepuisCD;
        const QString cMontage = Contexte.Volumes ? Contexte.Volumes->PointDeMontage(quint32(nIdCD)) : QString();
        n.fnListe = [Chemins, nIdCD, cVignettes, lAussi, cMontage] {
            TListeVF l;
            l.nNombre = int(Chemins.size());
            for (const QString &cChemin : Chemins) {
                const QString cVignette = cVignettes.isEmpty() ? QString() : NomVignette(cVignettes, nIdCD, cChemin);
                QString cFichier;
                if (!cVignette.isEmpty() && QFileInfo::exists(cVignette))
                    cFichier = cVignette;
                else if (EstJPEG(cChemin) && lAussi && !cMontage.isEmpty())
                    cFichier = cMontage + cChemin.mid(cChemin.startsWith(QLatin1Char('/')) ? 1 : 0);
                if (!cFichier.isEmpty())
                    l.Liste.append({cChemin, cFichier});
            }
            VignetteFlottante::Trie(l.Liste);
            return l;
        };
        return n;
    };
}
