#include "components/PaneledListView.h"

#include "components/MarkupHint.h"

#include "components/DrawLabel.h"
#include "imaging/JpegCodec.h"
#include "thumbnails/ThumbnailCache.h"
#include "platform/Balises.h"

#include <QApplication>
#include <QDropEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <chrono>
#include <climits>
#include <thread>

namespace
{
qint64 HorlogeSysteme()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Draws a 45-degree line the way the classic line primitive does: the last point is left out.
void Diagonale(QImage &im, int x1, int y1, int x2, int y2, QRgb c)
{
    const int dx = x2 > x1 ? 1 : -1;
    const int dy = y2 > y1 ? 1 : -1;
    for (int x = x1, y = y1; x != x2 && y != y2; x += dx, y += dy)
        if (im.valid(x, y))
            im.setPixel(x, y, c);
}

QImage ImageCoche(bool lCoche)
{
    QImage im(13, 13, QImage::Format_RGB32);
    im.fill(Qt::white);
    const QRgb noir = qRgb(0, 0, 0);
    for (int i = 0; i < 13; ++i) {
        im.setPixel(i, 0, noir);
        im.setPixel(i, 12, noir);
        im.setPixel(0, i, noir);
        im.setPixel(12, i, noir);
    }
    if (lCoche) {
        const QRgb vert = qRgb(0, 128, 0);
        Diagonale(im, 2, 2, 11, 11, vert);
        Diagonale(im, 2, 3, 10, 11, vert);
        Diagonale(im, 3, 2, 11, 10, vert);
        Diagonale(im, 2, 10, 11, 1, vert);
        Diagonale(im, 3, 10, 11, 2, vert);
        Diagonale(im, 2, 9, 10, 1, vert);
    }
    return im;
}

} // namespace

QImage TPLVListItem::Vignette() const
{
    return pCollection && pCollection->pGrille ? pCollection->pGrille->VignetteDe(*this) : QImage();
}

QRect TPLVListItem::rVignette() const
{
    if (!AUneImage())
        return {};
    const QSize Taille = Decodee_.isNull() ? Compacte_.Taille() : Decodee_.size();
    const QPoint Pos = pCollection && pCollection->pGrille ? pCollection->pGrille->PosVignette(Taille) : QPoint();
    return QRect(Pos, Taille);
}

void TPLVListItems::Renumerote(int nDepuis)
{
    for (size_t i = static_cast<size_t>(std::max(0, nDepuis)); i < Items.size(); ++i)
        Items[i]->nIndex = static_cast<int>(i);
}

TPaneledListView::TPaneledListView(QWidget *parent) : QAbstractScrollArea(parent), Horloge_(HorlogeSysteme)
{
    const QPalette pal = palette();
    cPanels = pal.color(QPalette::Button);
    cPanelsFont = pal.color(QPalette::Text);
    cFond = pal.color(QPalette::Base);
    imCoche[0] = ImageCoche(false);
    imCoche[1] = ImageCoche(true);
    Liste.pGrille = this;
    m_Pool.setMaxThreadCount(1);

    setFocusPolicy(Qt::StrongFocus);
    viewport()->setProperty(cBullesPropres, true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    horizontalScrollBar()->setTracking(true);
    verticalScrollBar()->setTracking(true);
    verticalScrollBar()->setSingleStep(PasY() / 2);
    horizontalScrollBar()->setSingleStep(PasX() / 2);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    viewport()->setAcceptDrops(true);
    resize(400, 200);
    nColonnes = ColonnesPour(viewport()->width());
}

TPaneledListView::~TPaneledListView()
{
    // The worker stops at its next thumbnail; what it posts meanwhile dies with the object.
    ++*m_nGeneration;
    m_Pool.waitForDone();
}

QSize TPaneledListView::sizeHint() const
{
    return QSize(400, 200);
}

void TPaneledListView::setHorloge(std::function<qint64()> Horloge)
{
    Horloge_ = Horloge ? std::move(Horloge) : std::function<qint64()>(HorlogeSysteme);
}

// ---------------------------------------------------------------------------------------------
// Properties

void TPaneledListView::set_ItemDim(int nValeur)
{
    // A size of zero or less would make every division of the layout meaningless.
    nValeur = std::max(1, nValeur);
    if (nValeur == nD)
        return;
    nD = nValeur;
    // Every thumbnail is shown at the new size from what it keeps; nothing is decoded now.
    OublieDecodees();
    for (auto &p : Liste.Items)
        if (!p->Compacte_.Vide())
            MetCompacte(p.get(), p->Compacte_);
    verticalScrollBar()->setSingleStep(std::max(1, PasY() / 2));
    horizontalScrollBar()->setSingleStep(std::max(1, PasX() / 2));
    Reorganise();
    MontreItem(Liste.pSelectionne);
}

void TPaneledListView::set_Checks(bool lValeur)
{
    lChecks = lValeur;
    for (auto &p : Liste.Items)
        p->lCoche_ = false;
    viewport()->update();
}

void TPaneledListView::set_Panels3D(bool lValeur)
{
    lPanels3D = lValeur;
    viewport()->update();
}

void TPaneledListView::set_PanelsColor(const QColor &Couleur)
{
    cPanels = Couleur;
    viewport()->update();
}

void TPaneledListView::set_PanelsFontColor(const QColor &Couleur)
{
    cPanelsFont = Couleur;
    viewport()->update();
}

void TPaneledListView::setCouleurFond(const QColor &Couleur)
{
    cFond = Couleur;
    viewport()->update();
}

// ---------------------------------------------------------------------------------------------
// Geometry

int TPaneledListView::ColonnesPour(int nLargeur) const
{
    return std::max(1, nLargeur / PasX());
}

int TPaneledListView::LignesVisibles() const
{
    return viewport()->height() / PasY();
}

QRect TPaneledListView::rPanneau(int nIndex) const
{
    const int nCol = nIndex % nColonnes;
    const int nLigne = nIndex / nColonnes;
    return QRect(nCol * PasX() + 2 - horizontalScrollBar()->value(), nLigne * PasY() + 2 - verticalScrollBar()->value(),
                 nD + 8, nD + 23);
}

QRect TPaneledListView::rCoche(int nIndex) const
{
    const QRect r = rPanneau(nIndex);
    return QRect(r.left() + 4, r.top() + nD + 5, 13, 13);
}

QRect TPaneledListView::rTitre(int nIndex) const
{
    const QRect r = rPanneau(nIndex);
    const int nGauche = lChecks ? 19 : 4;
    const int nLargeur = lChecks ? nD - 15 : nD;
    return QRect(r.left() + nGauche, r.top() + nD + 5, std::max(0, nLargeur), r.height() - nD - 6);
}

int TPaneledListView::ItemAuPoint(const QPoint &ptVue) const
{
    const qint64 x = qint64(ptVue.x()) + horizontalScrollBar()->value() - 2;
    const qint64 y = qint64(ptVue.y()) + verticalScrollBar()->value() - 2;
    if (x < 0 || y < 0)
        return -1;
    const qint64 nCol = x / PasX();
    const qint64 nLigne = y / PasY();
    if (nCol >= nColonnes || x % PasX() >= nD + 8 || y % PasY() >= nD + 23)
        return -1;
    const qint64 i = nLigne * nColonnes + nCol;
    if (i >= Liste.Nombre() || !Liste.Items[static_cast<size_t>(i)]->lVisible)
        return -1;
    return static_cast<int>(i);
}

int TPaneledListView::ItemSous(const QPoint &ptEcran) const
{
    return ItemAuPoint(viewport()->mapFromGlobal(ptEcran));
}

void TPaneledListView::MetAJourBarres()
{
    // Showing or hiding a scroll bar resizes the viewport, which brings us back here; the
    // outer call finishes the work with the final size.
    if (lBarresEnCours)
        return;
    lBarresEnCours = true;
    for (int nPasse = 0; nPasse < 3; ++nPasse) {
        const QSize Taille = viewport()->size();
        const int nLignes = (Liste.Nombre() + nColonnes - 1) / nColonnes;
        const qint64 nLargeur = qint64(nColonnes) * PasX();
        const qint64 nHauteur = qint64(nLignes) * PasY();
        const int nMaxX = static_cast<int>(std::clamp<qint64>(nLargeur - Taille.width(), 0, INT_MAX));
        const int nMaxY = static_cast<int>(std::clamp<qint64>(nHauteur - Taille.height(), 0, INT_MAX));
        horizontalScrollBar()->setRange(0, nMaxX);
        horizontalScrollBar()->setPageStep(std::max(1, Taille.width()));
        verticalScrollBar()->setRange(0, nMaxY);
        verticalScrollBar()->setPageStep(std::max(1, Taille.height()));
        if (viewport()->size() == Taille)
            break;
        if (lReArrangeOnReSize)
            nColonnes = ColonnesPour(viewport()->width());
    }
    lBarresEnCours = false;
}

void TPaneledListView::Reorganise()
{
    nColonnes = ColonnesPour(viewport()->width());
    MetAJourBarres();
    viewport()->update();
    PrevoitRemplissage();
}

void TPaneledListView::MontreItem(TPLVListItem *pItem)
{
    if (!pItem || pItem->pCollection != &Liste)
        return;
    const int i = pItem->nIndex;
    const int nCol = i % nColonnes;
    const int nLigne = i / nColonnes;
    const QSize Vue = viewport()->size();

    QScrollBar *vb = verticalScrollBar();
    const int nHaut = nLigne * PasY();
    const int nBas = nHaut + PasY();
    if (nHaut < vb->value() || nBas - nHaut > Vue.height())
        vb->setValue(nHaut);
    else if (nBas > vb->value() + Vue.height())
        vb->setValue(nBas - Vue.height());

    QScrollBar *hb = horizontalScrollBar();
    const int nGauche = nCol * PasX();
    const int nDroite = nGauche + PasX();
    if (nGauche < hb->value() || nDroite - nGauche > Vue.width())
        hb->setValue(nGauche);
    else if (nDroite > hb->value() + Vue.width())
        hb->setValue(nDroite - Vue.width());
}

// ---------------------------------------------------------------------------------------------
// Items

TPLVListItem *TPaneledListView::Ajoute()
{
    return Insere(Liste.Nombre());
}

TPLVListItem *TPaneledListView::Insere(int nIndex)
{
    if (Liste.Items.empty())
        nColonnes = ColonnesPour(viewport()->width());
    nIndex = std::clamp(nIndex, 0, Liste.Nombre());
    auto p = std::make_unique<TPLVListItem>();
    p->pCollection = &Liste;
    p->nSerie = m_nSerieSuivante++;
    p->lVisible = !Liste.lMiseAJour_;
    TPLVListItem *pItem = p.get();
    Liste.Items.insert(Liste.Items.begin() + nIndex, std::move(p));
    Liste.Renumerote(nIndex);
    if (!Liste.lMiseAJour_) {
        MetAJourBarres();
        viewport()->update();
        if (nIndex < Liste.Nombre() - 1)
            PrevoitRemplissage();
    }
    return pItem;
}

void TPaneledListView::Deplace(int nDe, int nVers)
{
    const int n = Liste.Nombre();
    if (nDe < 0 || nDe >= n || nVers < 0 || nVers >= n || nDe == nVers)
        return;
    auto it = Liste.Items.begin();
    if (nDe < nVers)
        std::rotate(it + nDe, it + nDe + 1, it + nVers + 1);
    else
        std::rotate(it + nVers, it + nDe, it + nDe + 1);
    Liste.Renumerote(std::min(nDe, nVers));
    nCocheAppuyee = -1;
    viewport()->update();
    PrevoitRemplissage();
}

void TPaneledListView::Vide()
{
    ++*m_nGeneration;
    m_Decodees.clear();
    m_Illisibles.clear();
    Liste.pSelectionne = nullptr;
    Liste.Items.clear();
    nCocheAppuyee = -1;
    MetAJourBarres();
    viewport()->update();
}

void TPaneledListView::Supprime(TPLVListItem *pItem)
{
    if (!pItem || pItem->pCollection != &Liste)
        return;
    if (Liste.pSelectionne == pItem)
        Liste.pSelectionne = nullptr;
    Oublie(pItem);
    const int i = pItem->nIndex;
    Liste.Items.erase(Liste.Items.begin() + i);
    Liste.Renumerote(i);
    nCocheAppuyee = -1;
    MetAJourBarres();
    viewport()->update();
    PrevoitRemplissage();
}

void TPaneledListView::Debut()
{
    Liste.lMiseAJour_ = true;
}

void TPaneledListView::Fin()
{
    for (auto &p : Liste.Items)
        p->lVisible = true;
    Liste.lMiseAJour_ = false;
    MetAJourBarres();
    viewport()->update();
    PrevoitRemplissage();
}

void TPaneledListView::Trie(int nCle, bool lMontre, const TPLVCompare &Compare)
{
    if (!Compare)
        return;
    std::stable_sort(Liste.Items.begin(), Liste.Items.end(),
                     [&](const std::unique_ptr<TPLVListItem> &a, const std::unique_ptr<TPLVListItem> &b) {
                         return Compare(a.get(), b.get(), nCle) < 0;
                     });
    Liste.Renumerote(0);
    nCocheAppuyee = -1;
    viewport()->update();
    PrevoitRemplissage();
    if (lMontre)
        MontreItem(Liste.pSelectionne);
}

bool TPaneledListView::Reordonne(const std::vector<int> &nAnciens, bool lMontre)
{
    const int N = Liste.Nombre();
    if (static_cast<int>(nAnciens.size()) != N)
        return false;
    std::vector<char> lVu(static_cast<size_t>(N), 0);
    for (int n : nAnciens) {
        if (n < 0 || n >= N || lVu[static_cast<size_t>(n)])
            return false;
        lVu[static_cast<size_t>(n)] = 1;
    }
    std::vector<std::unique_ptr<TPLVListItem>> Nouveaux(static_cast<size_t>(N));
    for (int i = 0; i < N; ++i)
        Nouveaux[static_cast<size_t>(i)] =
            std::move(Liste.Items[static_cast<size_t>(nAnciens[static_cast<size_t>(i)])]);
    Liste.Items = std::move(Nouveaux);
    Liste.Renumerote(0);
    nCocheAppuyee = -1;
    viewport()->update();
    PrevoitRemplissage();
    if (lMontre)
        MontreItem(Liste.pSelectionne);
    return true;
}

void TPaneledListView::Declenche(const TOnItemEvent &Evenement, TPLVListItem *pItem)
{
    if (Evenement)
        Evenement(this, pItem);
}

void TPaneledListView::Selectionne(TPLVListItem *pItem)
{
    if (pItem && pItem->pCollection != &Liste)
        return;
    if (pItem == Liste.pSelectionne)
        return;
    if (TPLVListItem *pAncien = Liste.pSelectionne) {
        pAncien->lSelectionne_ = false;
        RedessineItem(pAncien);
    }
    Liste.pSelectionne = pItem;
    if (pItem) {
        pItem->lSelectionne_ = true;
        RedessineItem(pItem);
    }
    // A change handler that selects another item (the owner syncing a list that answers back)
    // gets its selection applied but is not called again: otherwise two views could bounce
    // the selection between them without end.
    if (nReentree > 0)
        return;
    ++nReentree;
    struct Sortie
    {
        int &n;
        ~Sortie() { --n; }
    } Garde{nReentree};
    Declenche(_OnItemChange, pItem);
}

void TPaneledListView::Coche(TPLVListItem *pItem, bool lEtat)
{
    if (!pItem || pItem->pCollection != &Liste || pItem->lCoche_ == lEtat)
        return;
    pItem->lCoche_ = lEtat;
    RedessineItem(pItem);
}

void TPaneledListView::MetTitre(TPLVListItem *pItem, const QString &cTexte)
{
    if (!pItem || pItem->pCollection != &Liste)
        return;
    pItem->cTitre_ = cTexte;
    RedessineItem(pItem);
}

void TPaneledListView::MetBulle(TPLVListItem *pItem, const QString &cTexte)
{
    if (!pItem || pItem->pCollection != &Liste)
        return;
    pItem->cBulle_ = cTexte;
}

void TPaneledListView::RedessineItem(const TPLVListItem *pItem)
{
    if (pItem && pItem->lVisible && pItem->nIndex >= 0)
        viewport()->update(rPanneau(pItem->nIndex));
}

// ---------------------------------------------------------------------------------------------
// Pictures

int TPaneledListView::EchellePour(const TTailleImage &Taille) const
{
    return JpegCodec::EchellePour(std::max(Taille.nLargeur, Taille.nHauteur), nD);
}

void TPaneledListView::MetImage(TPLVListItem *pItem, const QImage &Image)
{
    TImageChargee Chargee;
    Chargee.Image = Image;
    Chargee.Taille = {Image.width(), Image.height()};
    MetImage(pItem, Chargee);
}

void TPaneledListView::MetImage(TPLVListItem *pItem, const TImageChargee &Image)
{
    if (!pItem || pItem->pCollection != &Liste)
        return;
    // The picture's proportions come from the image's own size when the codec reports it (a
    // reduced decode rounds its sides up), else from the pixels at hand.
    qint64 w = Image.Image.width();
    qint64 h = Image.Image.height();
    if (Image.lJPEG && !Image.Taille.Vide()) {
        w = Image.Taille.nLargeur;
        h = Image.Taille.nHauteur;
    }
    int nEchelle = 1;
    if (Image.lJPEG) {
        nEchelle = std::max(1, Image.nEchelle);
        if (std::max(w, h) != nD && w > 0 && h > 0)
            // A picture decoded finer than the grid needs is brought down to the reduction
            // its size calls for; one decoded coarser stays as it is.
            nEchelle = std::max(nEchelle, JpegCodec::EchellePour(std::max(w, h), nD));
    }
    pItem->nEchelle_ = static_cast<qint8>(nEchelle);
    Ajuste(pItem, Image.Image, w, h);
}

void TPaneledListView::Ajuste(TPLVListItem *pItem, const QImage &Source, qint64 w, qint64 h)
{
    // A picture with no width or no height is no picture at all.
    if (Source.isNull() || Source.width() <= 0 || Source.height() <= 0 || w <= 0 || h <= 0) {
        MetCompacte(pItem, {});
        return;
    }
    // The same fitting as the stored thumbnails, so that a picture shows the same in both. An
    // opaque picture comes back as 32-bit RGB, which draws onto the screen without conversion.
    MetCompacte(pItem, TVignetteCompacte::DePixels(AjusteVignette(Source, w, h, nD)));
}

void TPaneledListView::MetImage(TPLVListItem *pItem, const TVignetteCompacte &Vignette)
{
    if (!pItem || pItem->pCollection != &Liste)
        return;
    pItem->nEchelle_ = 1;
    MetCompacte(pItem, Vignette);
}

void TPaneledListView::MetCompacte(TPLVListItem *pItem, const TVignetteCompacte &Vignette)
{
    Oublie(pItem);
    pItem->lIllisible_ = false;
    // Shown from the picture's own proportions, whatever size it was made for.
    const QSize Source = Vignette.EstJpeg() ? Vignette.TailleJpeg() : Vignette.Pixels().size();
    pItem->Compacte_ = Vignette.AfficheeA(TailleAjustee(Source.width(), Source.height(), nD));
    RedessineItem(pItem);
    if (pItem->lVisible && !pItem->Compacte_.Vide()) {
        int nDebut = 0, nFin = 0;
        FenetreDecodage(nDebut, nFin);
        if (pItem->nIndex >= nDebut && pItem->nIndex < nFin)
            PrevoitRemplissage();
    }
}

// ---------------------------------------------------------------------------------------------
// Decoded panels

QPoint TPaneledListView::PosVignette(QSize Taille) const
{
    // Centred in the D × D box: a fitted landscape touches its sides, a portrait its top.
    return QPoint(4 + (nD - Taille.width()) / 2, 4 + (nD - Taille.height()) / 2);
}

void TPaneledListView::FenetreDecodage(int &nDebut, int &nFin) const
{
    const int N = Liste.Nombre();
    const int C = std::max(1, nColonnes);
    const int nHaut = viewport()->height();
    const int vs = verticalScrollBar()->value();
    const int nEcran = nHaut / PasY() + 1;
    const int nLigne0 = std::max(0, vs / PasY() - nEcran);
    const int nLigne1 = (vs + nHaut) / PasY() + nEcran; // included
    nDebut = static_cast<int>(std::min<qint64>(N, qint64(nLigne0) * C));
    nFin = static_cast<int>(std::min<qint64>(N, (qint64(nLigne1) + 1) * C));
}

QImage TPaneledListView::VignetteDe(const TPLVListItem &Item) const
{
    if (!Item.Decodee_.isNull())
        return Item.Decodee_;
    if (!Item.AUneImage())
        return {};
    QImage Image = Item.Compacte_.Decode();
    if (Image.isNull()) {
        Illisible(Item);
        return {};
    }
    if (fnTransformeVignette)
        fnTransformeVignette(Item, Image);
    return Image;
}

void TPaneledListView::Illisible(const TPLVListItem &Item) const
{
    Item.lIllisible_ = true;
    m_Illisibles.push_back(Item.nSerie);
    if (m_lIllisiblesPrevus)
        return;
    m_lIllisiblesPrevus = true;
    // The owner remakes the picture, which may list or repaint: never from inside a paint.
    QMetaObject::invokeMethod(const_cast<TPaneledListView *>(this), &TPaneledListView::SignaleIllisibles,
                              Qt::QueuedConnection);
}

void TPaneledListView::SignaleIllisibles()
{
    m_lIllisiblesPrevus = false;
    std::vector<quint64> Series;
    Series.swap(m_Illisibles);
    for (const quint64 n : Series)
        for (auto &p : Liste.Items)
            if (p->nSerie == n) {
                if (p->lIllisible_)
                    emit VignetteIllisible(p.get());
                break;
            }
}

void TPaneledListView::Garde(TPLVListItem *pItem, QImage Image)
{
    if (fnTransformeVignette)
        fnTransformeVignette(*pItem, Image);
    if (Image.isNull())
        return;
    if (pItem->Decodee_.isNull())
        m_Decodees.push_back(pItem);
    pItem->Decodee_ = std::move(Image);
}

void TPaneledListView::Oublie(TPLVListItem *pItem)
{
    if (pItem->Decodee_.isNull())
        return;
    pItem->Decodee_ = QImage();
    m_Decodees.erase(std::remove(m_Decodees.begin(), m_Decodees.end(), pItem), m_Decodees.end());
}

void TPaneledListView::OublieDecodee(TPLVListItem *pItem)
{
    if (!pItem || pItem->pCollection != &Liste)
        return;
    Oublie(pItem);
    RedessineItem(pItem);
}

void TPaneledListView::OublieDecodees()
{
    ++*m_nGeneration;
    for (TPLVListItem *p : m_Decodees)
        p->Decodee_ = QImage();
    m_Decodees.clear();
    viewport()->update();
    PrevoitRemplissage();
}

void TPaneledListView::DecodeEtGarde(const std::vector<TPLVListItem *> &Items)
{
    const size_t n = Items.size();
    if (n == 0)
        return;
    std::vector<QImage> Images(n);
    auto Decode = [&](size_t a, size_t b) {
        for (size_t i = a; i < b; ++i)
            Images[i] = Items[i]->Compacte_.Decode();
    };
    // A screenful reached by a jump is decoded on two cores: the worker's look-ahead is dropped
    // meanwhile, having been asked for the wrong place.
    if (n >= 8) {
        ++*m_nGeneration;
        PrevoitRemplissage();
        std::thread Aide(Decode, size_t(0), n / 2);
        Decode(n / 2, n);
        Aide.join();
    } else
        Decode(0, n);
    for (size_t i = 0; i < n; ++i) {
        if (Images[i].isNull())
            Illisible(*Items[i]);
        else
            Garde(Items[i], std::move(Images[i]));
    }
}

void TPaneledListView::PrevoitRemplissage()
{
    if (m_lRemplissagePrevu || Liste.lMiseAJour_)
        return;
    m_lRemplissagePrevu = true;
    QTimer::singleShot(0, this, [this] {
        m_lRemplissagePrevu = false;
        Remplit();
    });
}

void TPaneledListView::Remplit()
{
    int nDebut = 0, nFin = 0;
    FenetreDecodage(nDebut, nFin);
    // What left the window gives its pixels back.
    auto itFin = std::partition(m_Decodees.begin(), m_Decodees.end(),
                                [&](const TPLVListItem *p) { return p->nIndex >= nDebut && p->nIndex < nFin; });
    for (auto it = itFin; it != m_Decodees.end(); ++it)
        (*it)->Decodee_ = QImage();
    m_Decodees.erase(itFin, m_Decodees.end());

    struct TTravail
    {
        quint64 nSerie;
        TVignetteCompacte Vignette;
    };
    auto Lot = std::make_shared<std::vector<TTravail>>();
    auto Ajoute = [&](int i) {
        const TPLVListItem &Item = *Liste.Items[static_cast<size_t>(i)];
        if (Item.lVisible && Item.Decodee_.isNull() && Item.AUneImage())
            Lot->push_back({Item.nSerie, Item.Compacte_});
    };
    // The screen below first (paging goes down more often), then the one above.
    const int nPremierVisible = std::clamp(verticalScrollBar()->value() / PasY() * nColonnes, nDebut, nFin);
    for (int i = nPremierVisible; i < nFin; ++i)
        Ajoute(i);
    for (int i = nPremierVisible - 1; i >= nDebut; --i)
        Ajoute(i);
    if (Lot->empty())
        return;

    const quint64 nGeneration = ++*m_nGeneration;
    auto Generation = m_nGeneration;
    ++m_nTravaux;
    m_Pool.start([this, Lot, nGeneration, Generation] {
        struct TResultat
        {
            quint64 nSerie;
            QImage Image;
        };
        auto Envoie = [this](std::vector<TResultat> &&R) {
            auto Partie = std::make_shared<std::vector<TResultat>>(std::move(R));
            QMetaObject::invokeMethod(
                this,
                [this, Partie] {
                    // Items are found by their serial: the list may have changed meanwhile.
                    int nDebut = 0, nFin = 0;
                    FenetreDecodage(nDebut, nFin);
                    for (TResultat &r : *Partie)
                        for (int i = nDebut; i < nFin; ++i) {
                            TPLVListItem *p = Liste.Items[static_cast<size_t>(i)].get();
                            if (p->nSerie != r.nSerie)
                                continue;
                            if (!p->Decodee_.isNull() || !p->AUneImage())
                                break;
                            if (r.Image.isNull())
                                Illisible(*p);
                            else {
                                Garde(p, std::move(r.Image));
                                RedessineItem(p);
                            }
                            break;
                        }
                },
                Qt::QueuedConnection);
        };
        std::vector<TResultat> Resultats;
        for (const TTravail &t : *Lot) {
            if (Generation->load() != nGeneration)
                break;
            Resultats.push_back({t.nSerie, t.Vignette.Decode()});
            if (Resultats.size() == 16)
                Envoie(std::exchange(Resultats, {}));
        }
        if (!Resultats.empty())
            Envoie(std::move(Resultats));
        --m_nTravaux;
    });
}

void TPaneledListView::AttendRemplissage()
{
    if (m_lRemplissagePrevu) {
        m_lRemplissagePrevu = false;
        Remplit();
    }
    m_Pool.waitForDone();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

// ---------------------------------------------------------------------------------------------
// Painting

void TPaneledListView::PeintPanneau(QPainter &p, const TPLVListItem &Item, const QRect &r, bool lFocus) const
{
    const QPalette &pal = palette();
    QColor cPanneau = cPanels;
    QColor cTexte = cPanelsFont;
    if (Item.lSelectionne_) {
        cPanneau = pal.color(lFocus ? QPalette::Highlight : QPalette::Button);
        cTexte = pal.color(lFocus ? QPalette::HighlightedText : QPalette::ButtonText);
    }
    p.fillRect(r, cPanneau);
    if (lPanels3D) {
        const QColor cClair = pal.color(QPalette::Light);
        const QColor cSombre = pal.color(QPalette::Dark);
        p.fillRect(r.left(), r.top(), r.width(), 1, cClair);
        p.fillRect(r.left(), r.top(), 1, r.height(), cClair);
        p.fillRect(r.left(), r.bottom(), r.width(), 1, cSombre);
        p.fillRect(r.right(), r.top(), 1, r.height(), cSombre);
    }
    if (!Item.Decodee_.isNull())
        p.drawImage(r.topLeft() + PosVignette(Item.Decodee_.size()), Item.Decodee_);
    if (lChecks)
        p.drawImage(r.left() + 4, r.top() + nD + 5, imCoche[Item.lCoche_ ? 1 : 0]);

    if (Item.cTitre_.trimmed().isEmpty())
        return;
    const int nGauche = lChecks ? 19 : 4;
    const QRect rLabel(r.left() + nGauche, r.top() + nD + 5, std::max(0, lChecks ? nD - 15 : nD), r.height() - nD - 6);
    // A caption too wide for its label loses characters from its middle, as a shortening label
    // does, so that both the start and the end of a file name stay readable.
    const QFontMetrics fm(font());
    const QString cSeparateur = QStringLiteral(".");
    const TDrawLabel::TRaccourci R = TDrawLabel::Raccourcit(
        Item.cTitre_, cSeparateur, rLabel.width(), [&fm](const QString &c) { return fm.horizontalAdvance(c); });
    p.save();
    p.setClipRect(rLabel);
    p.setPen(cTexte);
    if (!R.lRaccourci)
        p.drawText(rLabel, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, R.cTexte);
    else {
        p.drawText(rLabel, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, R.cTexte);
        p.setPen(QColor(Qt::red));
        p.drawText(rLabel.translated(fm.horizontalAdvance(R.cTexte.left(R.nAvantSep)), 0),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, cSeparateur);
    }
    p.restore();
}

void TPaneledListView::paintEvent(QPaintEvent *e)
{
    QPainter p(viewport());
    const QRect rZone = e->rect();
    p.fillRect(rZone, cFond);
    const int N = Liste.Nombre();
    if (N == 0)
        return;
    const bool lFocus = hasFocus();
    const int hs = horizontalScrollBar()->value();
    const int vs = verticalScrollBar()->value();
    const int nLigne0 = std::max(0, (rZone.top() + vs - 2) / PasY());
    const int nLigne1 = std::max(0, (rZone.bottom() + vs) / PasY());
    const int nCol0 = std::max(0, (rZone.left() + hs - 2) / PasX());
    const int nCol1 = std::min(nColonnes - 1, (rZone.right() + hs) / PasX());
    // The panels about to be painted that hold no pixels yet (a jump, a first display).
    std::vector<TPLVListItem *> ADecoder;
    for (int nLigne = nLigne0; nLigne <= nLigne1; ++nLigne) {
        const qint64 nDebut = qint64(nLigne) * nColonnes;
        for (int nCol = nCol0; nCol <= nCol1 && nDebut + nCol < N; ++nCol) {
            TPLVListItem *pItem = Liste.Items[static_cast<size_t>(nDebut + nCol)].get();
            if (pItem->lVisible && pItem->Decodee_.isNull() && pItem->AUneImage()
                && rPanneau(pItem->nIndex).intersects(rZone))
                ADecoder.push_back(pItem);
        }
    }
    DecodeEtGarde(ADecoder);
    for (int nLigne = nLigne0; nLigne <= nLigne1; ++nLigne) {
        const qint64 nDebut = qint64(nLigne) * nColonnes;
        if (nDebut >= N)
            break;
        for (int nCol = nCol0; nCol <= nCol1; ++nCol) {
            const qint64 i = nDebut + nCol;
            if (i >= N)
                break;
            const TPLVListItem &Item = *Liste.Items[static_cast<size_t>(i)];
            if (!Item.lVisible)
                continue;
            const QRect r = rPanneau(static_cast<int>(i));
            if (r.intersects(rZone))
                PeintPanneau(p, Item, r, lFocus);
        }
    }
}

void TPaneledListView::scrollContentsBy(int dx, int dy)
{
    viewport()->scroll(dx, dy);
    PrevoitRemplissage();
}

void TPaneledListView::resizeEvent(QResizeEvent *e)
{
    QAbstractScrollArea::resizeEvent(e);
    if (lReArrangeOnReSize)
        nColonnes = ColonnesPour(viewport()->width());
    MetAJourBarres();
    viewport()->update();
    PrevoitRemplissage();
    if (lShowSelectedOnResize)
        MontreItem(Liste.pSelectionne);
}

void TPaneledListView::focusInEvent(QFocusEvent *e)
{
    QAbstractScrollArea::focusInEvent(e);
    RedessineItem(Liste.pSelectionne);
}

void TPaneledListView::focusOutEvent(QFocusEvent *e)
{
    QAbstractScrollArea::focusOutEvent(e);
    RedessineItem(Liste.pSelectionne);
}

bool TPaneledListView::viewportEvent(QEvent *e)
{
    if (e->type() == QEvent::ToolTip) {
        auto *he = static_cast<QHelpEvent *>(e);
        const int i = ItemAuPoint(he->pos());
        const TPLVListItem *pItem = Item(i);
        const QString cBulle = !pItem                      ? QString()
                               : !pItem->cBulle_.isEmpty() ? pItem->cBulle_
                               : fnBulle                   ? fnBulle(i)
                                                           : QString();
        if (!cBulle.isEmpty())
            TMarkupHint::Affiche(he->globalPos(), cBulle, viewport(), rPanneau(i));
        else
            TMarkupHint::Cache();
        return true;
    }
    return QAbstractScrollArea::viewportEvent(e);
}

// ---------------------------------------------------------------------------------------------
// Drops

TPLVListItem *TPaneledListView::ItemDepot(const QPoint &ptEcran, const QMimeData *Donnees) const
{
    if (!Donnees || !fnPeutDeposer)
        return nullptr;
    const bool lType = std::any_of(TypesDepot.cbegin(), TypesDepot.cend(),
                                   [Donnees](const QString &cType) { return Donnees->hasFormat(cType); });
    TPLVListItem *pItem = lType ? Item(ItemSous(ptEcran)) : nullptr;
    return pItem && fnPeutDeposer(pItem, Donnees) ? pItem : nullptr;
}

void TPaneledListView::dragEnterEvent(QDragEnterEvent *e)
{
    // Entering over the empty area is allowed: the move events decide item by item.
    const QMimeData *Donnees = e->mimeData();
    if (Donnees && std::any_of(TypesDepot.cbegin(), TypesDepot.cend(), [Donnees](const QString &cType) {
            return Donnees->hasFormat(cType);
        }))
        e->acceptProposedAction();
    else
        e->ignore();
}

void TPaneledListView::dragMoveEvent(QDragMoveEvent *e)
{
    const QPoint pt = viewport()->mapToGlobal(e->position().toPoint());
    if (ItemDepot(pt, e->mimeData()))
        e->acceptProposedAction();
    else
        e->ignore();
}

void TPaneledListView::dropEvent(QDropEvent *e)
{
    const QPoint pt = viewport()->mapToGlobal(e->position().toPoint());
    TPLVListItem *pItem = ItemDepot(pt, e->mimeData());
    if (!pItem || !fnDepose) {
        e->ignore();
        return;
    }
    e->acceptProposedAction();
    fnDepose(pItem, e->mimeData());
}

// ---------------------------------------------------------------------------------------------
// Mouse

TPLVListItem *TPaneledListView::Presse(QMouseEvent *e, bool lHorsItems)
{
    setFocus(Qt::MouseFocusReason);
    const QPoint pt = e->position().toPoint();
    const int i = ItemAuPoint(pt);
    if (i < 0) {
        if (lHorsItems && lUnSelectOnClickOut)
            Selectionne(nullptr);
        return nullptr;
    }
    // A press on a check box waits for the release to toggle it (the second click of a quick
    // pair is a click like the first).
    if (lChecks && rCoche(i).contains(pt)) {
        nCocheAppuyee = i;
        return nullptr;
    }
    TPLVListItem *pItem = Item(i);
    Selectionne(pItem);
    MontreItem(pItem);
    return pItem;
}

void TPaneledListView::mousePressEvent(QMouseEvent *e)
{
    Presse(e, true);
}

void TPaneledListView::mouseReleaseEvent(QMouseEvent *e)
{
    const int i = nCocheAppuyee;
    nCocheAppuyee = -1;
    if (i < 0 || !lChecks || i >= Liste.Nombre() || !rCoche(i).contains(e->position().toPoint()))
        return;
    TPLVListItem *pItem = Item(i);
    pItem->lCoche_ = !pItem->lCoche_;
    RedessineItem(pItem);
    Declenche(pItem->lCoche_ ? _OnItemCheck : _OnItemUnCheck, pItem);
}

void TPaneledListView::mouseDoubleClickEvent(QMouseEvent *e)
{
    // The double click is also a press: the item it opens is the selected one. The first
    // press of the pair has already dealt with a click outside the items.
    if (TPLVListItem *pItem = Presse(e, false))
        Declenche(_OnItemDblClick, pItem);
}

void TPaneledListView::mouseMoveEvent(QMouseEvent *e)
{
    const int i = ItemAuPoint(e->position().toPoint());
    if (i >= 0)
        Declenche(_OnItemMouseMove, Item(i));
}

void TPaneledListView::wheelEvent(QWheelEvent *e)
{
    // Fine-grained wheels and touchpads send fractions of a notch: a line per whole notch.
    nRoulette += e->angleDelta().y();
    const int nCrans = nRoulette / 120;
    nRoulette -= nCrans * 120;
    if (nCrans != 0) {
        QScrollBar *vb = verticalScrollBar();
        vb->setValue(vb->value() - nCrans * vb->singleStep());
    }
    e->accept();
}

// ---------------------------------------------------------------------------------------------
// Keyboard

void TPaneledListView::ChercheTitre()
{
    const qsizetype n = cPrefixe_.size();
    for (auto &p : Liste.Items)
        if (p->lVisible && p->cTitre_.left(n).toUpper() == cPrefixe_) {
            Selectionne(p.get());
            MontreItem(p.get());
            return;
        }
}

void TPaneledListView::keyPressEvent(QKeyEvent *e)
{
    const int nTouche = e->key();
    switch (nTouche) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
        // Holding Shift to type a capital must not lose what was typed so far.
        e->accept();
        return;
    default: break;
    }

    const Qt::KeyboardModifiers Mods = e->modifiers();
    const bool lRaccourci = Mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    QChar c;
    if (!lRaccourci) {
        if (nTouche >= Qt::Key_A && nTouche <= Qt::Key_Z)
            c = QChar(u'A' + (nTouche - Qt::Key_A));
        else if ((Mods & Qt::KeypadModifier) && nTouche >= Qt::Key_0 && nTouche <= Qt::Key_9)
            c = QChar(u'0' + (nTouche - Qt::Key_0));
        else if (nTouche == Qt::Key_Minus)
            c = QChar(u'-');
        else if (nTouche == Qt::Key_Underscore)
            c = QChar(u'_');
    }
    if (!c.isNull()) {
        const qint64 nMaintenant = Horloge_();
        if (nMaintenant - nDerniereTouche > 1000)
            cPrefixe_ = c;
        else
            cPrefixe_ += c;
        nDerniereTouche = nMaintenant;
        ChercheTitre();
        e->accept();
        return;
    }

    cPrefixe_.clear();
    const int N = Liste.Nombre();
    const int c0 = IndexSelectionne();
    const int C = std::max(1, nColonnes);
    // A grid lower than one row still pages by a row.
    const int R = std::max(1, LignesVisibles());
    int n = -1;
    switch (nTouche) {
    case Qt::Key_Home: n = N > 0 ? 0 : -1; break;
    case Qt::Key_End: n = N - 1; break;
    case Qt::Key_Left:
        if (c0 > 0)
            n = c0 - 1;
        break;
    case Qt::Key_Right:
        if (c0 >= 0 && c0 < N - 1)
            n = c0 + 1;
        break;
    case Qt::Key_Up:
        if (c0 >= 0)
            n = std::max(0, c0 - C);
        break;
    case Qt::Key_Down:
        if (c0 >= 0)
            n = std::min(N - 1, c0 + C);
        break;
    case Qt::Key_PageUp:
        if (c0 >= 0)
            n = c0 - C * R >= 0 ? c0 - C * R : std::max(0, c0 - C);
        break;
    case Qt::Key_PageDown:
        if (c0 >= 0)
            n = c0 + C * R <= N - 1 ? c0 + C * R : std::min(N - 1, c0 + C);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (lReturnIsDblClick && Liste.pSelectionne) {
            Declenche(_OnItemDblClick, Liste.pSelectionne);
            e->accept();
            return;
        }
        e->ignore();
        return;
    default:
        // Keys the grid has no use for (Esc in a dialog) go on to the window.
        e->ignore();
        return;
    }
    e->accept();
    if (n >= 0 && n < N) {
        TPLVListItem *pItem = Item(n);
        Selectionne(pItem);
        MontreItem(pItem);
    }
}
