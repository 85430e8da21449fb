#include "calendar/Calendrier_fm.h"
#include "components/MarkupHint.h"

#include "classification/ArboCriteres.h"
#include "classification/Classement.h"
#include "classification/IconesArbres.h"
#include "components/GaugeWindow.h"
#include "components/PaneledListView.h"
#include "components/PanneauImage.h"
#include "exploration/ChargeurImage.h"
#include "exploration/EnrLV.h"
#include "exploration/ModeleListe.h"
#include "exploration/RapportZoom.h"
#include "exploration/Selection.h"
#include "imaging/ChargeImage.h"
#include "imaging/FileKinds.h"
#include "imaging/NomVignette.h"
#include "imaging/TailleEntete.h"
#include "mainwindow/BoutonAction.h"
#include "metadata/CacheMeta.h"
#include "metadata/LectureMeta.h"
#include "mainwindow/MainKX_fm.h"
#include "publishing/AlbumWEB_fm.h"
#include "publishing/HistoriqueAlbumsWeb_fm.h"
#include "platform/Couleurs.h"
#include "platform/FrenchFormats.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Contexte.h"
#include "storage/Sections.h"
#include "storage/TaillesVignettes.h"
#include "thumbnails/ThumbnailCache_fm.h"
#include "treatments/TraitementsImage.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace
{
const QString cTitreCalendrier = QStringLiteral("Calendrier");
// Height of the weekday headings of "mois".
constexpr int nHauteurEntetes = 20;
// Even rows of the grid: red FF, green D7, blue A7.
const QColor cCouleurLignesPaires = QColor(0xFF, 0xD7, 0xA7);

class TCurseurOccupe
{
public:
    TCurseurOccupe() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TCurseurOccupe() { QApplication::restoreOverrideCursor(); }
};

void AjouteNoeuds(QTreeWidgetItem *Parent, QTreeWidget *Vue, const QList<TNoeudClassement> &Noeuds,
                  const TListeImagesArbres &Images)
{
    for (const TNoeudClassement &n : Noeuds) {
        auto *Item = Parent ? new QTreeWidgetItem(Parent) : new QTreeWidgetItem(Vue);
        Item->setText(0, n.cTexte);
        Item->setIcon(0, Images.Icone(n.nImage));
        AjouteNoeuds(Item, Vue, n.Enfants, Images);
        Item->setExpanded(n.lDeplie);
    }
}

// Draws a thumbnail centred in a rectangle.
void DessineCentree(QPainter &p, const QRect &r, const QImage &Image)
{
    if (Image.isNull())
        return;
    p.drawImage(QPoint(r.left() + (r.width() - Image.width()) / 2, r.top() + (r.height() - Image.height()) / 2), Image);
}
} // namespace

// ---- Pop-up of a cell

TPopupCellule::TPopupCellule(QWidget *Parent) : QAbstractScrollArea(Parent)
{
    setObjectName(QStringLiteral("pnPopupCellule"));
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setFocusPolicy(Qt::NoFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(true);
    viewport()->setProperty(cBullesPropres, true);
    hide();
}

int TPopupCellule::Lignes() const
{
    return m_Images.isEmpty() ? 0 : int((m_Images.size() + m_nColonnes - 1) / m_nColonnes);
}

void TPopupCellule::Ouvre(const QList<int> &Images, int nCourante, int nS, int nColonnes)
{
    m_Images = Images;
    m_Pictures.clear();
    m_nCourante = nCourante;
    m_nS = nS;
    m_nColonnes = std::max(1, nColonnes);
    const int nPas = m_nS + 3;
    verticalScrollBar()->setSingleStep(nPas / 2);
    verticalScrollBar()->setPageStep(std::max(1, viewport()->height()));
    verticalScrollBar()->setRange(0, std::max(0, Lignes() * nPas - viewport()->height()));
    verticalScrollBar()->setValue(0);
}

int TPopupCellule::PositionSous(const QPoint &pt) const
{
    const int nPas = m_nS + 3;
    const int c = pt.x() / nPas;
    const int l = (pt.y() + verticalScrollBar()->value()) / nPas;
    if (pt.x() < 0 || c >= m_nColonnes)
        return -1;
    const int n = l * m_nColonnes + c;
    return n >= 0 && n < m_Images.size() ? n : -1;
}

void TPopupCellule::paintEvent(QPaintEvent *)
{
    QPainter p(viewport());
    const int nPas = m_nS + 3;
    const int y0 = verticalScrollBar()->value();
    const int nPremiere = y0 / nPas;
    const int nDerniere = (y0 + viewport()->height()) / nPas;
    for (int l = nPremiere; l <= nDerniere; ++l)
        for (int c = 0; c < m_nColonnes; ++c) {
            const int n = l * m_nColonnes + c;
            if (n >= m_Images.size())
                return;
            const QRect r(c * nPas, l * nPas - y0, nPas, nPas);
            auto it = m_Pictures.find(n);
            if (it == m_Pictures.end())
                it = m_Pictures.insert(n, fnImage ? fnImage(m_Images[n]) : QImage());
            DessineCentree(p, r, *it);
            if (n == m_nCourante) {
                p.setPen(QPen(Qt::red, 2));
                p.drawRect(r.adjusted(1, 1, -1, -1));
            }
        }
}

void TPopupCellule::mousePressEvent(QMouseEvent *e)
{
    const int n = PositionSous(e->position().toPoint());
    if (e->button() == Qt::LeftButton && n >= 0)
        emit Choisie(n);
    e->accept();
}

void TPopupCellule::wheelEvent(QWheelEvent *e)
{
    // The wheel over the pop-up scrolls it, never the calendar below.
    QAbstractScrollArea::wheelEvent(e);
    e->accept();
}

void TPopupCellule::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Escape) {
        hide();
        e->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(e);
}

bool TPopupCellule::viewportEvent(QEvent *e)
{
    if (e->type() == QEvent::ToolTip) {
        auto *h = static_cast<QHelpEvent *>(e);
        const int n = PositionSous(h->pos());
        if (n >= 0 && fnBulle)
            TMarkupHint::Affiche(h->globalPos(), fnBulle(n), viewport());
        else
            TMarkupHint::Cache();
        return true;
    }
    return QAbstractScrollArea::viewportEvent(e);
}

// ---- Calendar grid

TGrilleCalendrier::TGrilleCalendrier(QWidget *Parent) : QAbstractScrollArea(Parent)
{
    setObjectName(QStringLiteral("sgCalendrier"));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(true);
    viewport()->setProperty(cBullesPropres, true);
    m_pPopup = new TPopupCellule(viewport());
    connect(m_pPopup, &TPopupCellule::Choisie, this, [this](int n) {
        const int l = m_nLignePopup, c = m_nColonnePopup;
        FermePopup();
        emit ImageChoisie(l, c, n);
    });
}

void TGrilleCalendrier::MetGrille(const TGrille &g, int nS, const QStringList &Entetes, const TCellules *pCellules)
{
    FermePopup();
    m_Grille = g;
    m_nS = nS;
    m_Entetes = Entetes;
    m_pCellules = pCellules;
    for (auto &Ligne : m_Images)
        for (QImage &i : Ligne)
            i = QImage();
    m_nLigne = 1;
    m_nColonne = 1;
    MajBarres();
    viewport()->update();
}

void TGrilleCalendrier::MetImageCellule(int nLigne, int nColonne, const QImage &Image)
{
    if (nLigne < 1 || nLigne > nLignesMax || nColonne < 1 || nColonne > nColonnesMax)
        return;
    m_Images[nLigne - 1][nColonne - 1] = Image;
    viewport()->update(RectCellule(nLigne, nColonne));
}

int TGrilleCalendrier::HauteurEntete() const
{
    return m_Entetes.isEmpty() ? 0 : nHauteurEntetes;
}

QRect TGrilleCalendrier::RectCellule(int nLigne, int nColonne) const
{
    const int w = m_nS + 3, h = m_nS + 18;
    return QRect((nColonne - 1) * w - horizontalScrollBar()->value(),
                 HauteurEntete() + (nLigne - 1) * h - verticalScrollBar()->value(), w, h);
}

bool TGrilleCalendrier::CelluleSous(const QPoint &pt, int &nLigne, int &nColonne) const
{
    const int x = pt.x() + horizontalScrollBar()->value();
    const int y = pt.y() + verticalScrollBar()->value() - HauteurEntete();
    if (x < 0 || y < 0)
        return false;
    nColonne = x / (m_nS + 3) + 1;
    nLigne = y / (m_nS + 18) + 1;
    return nColonne <= m_Grille.nColonnes && nLigne <= m_Grille.nLignes;
}

void TGrilleCalendrier::MajBarres()
{
    const int w = m_Grille.nColonnes * (m_nS + 3);
    const int h = HauteurEntete() + m_Grille.nLignes * (m_nS + 18);
    horizontalScrollBar()->setRange(0, std::max(0, w - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    verticalScrollBar()->setRange(0, std::max(0, h - viewport()->height()));
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setSingleStep((m_nS + 18) / 2);
}

void TGrilleCalendrier::scrollContentsBy(int dx, int dy)
{
    // The pop-up stays below its cell while the grid scrolls under the wheel.
    if (m_pPopup->isVisible())
        m_pPopup->move(m_pPopup->pos() + QPoint(dx, dy));
    viewport()->update();
}

void TGrilleCalendrier::resizeEvent(QResizeEvent *e)
{
    QAbstractScrollArea::resizeEvent(e);
    MajBarres();
}

void TGrilleCalendrier::MetCourante(int nLigne, int nColonne)
{
    if (nLigne < 1 || nColonne < 1 || nLigne > m_Grille.nLignes || nColonne > m_Grille.nColonnes)
        return;
    if (nLigne == m_nLigne && nColonne == m_nColonne)
        return;
    FermePopup();
    m_nLigne = nLigne;
    m_nColonne = nColonne;
    viewport()->update();
    emit CouranteChange(nLigne, nColonne);
}

void TGrilleCalendrier::FermePopup()
{
    m_pPopup->hide();
    m_nLignePopup = m_nColonnePopup = 0;
}

void TGrilleCalendrier::CliqueCellule(int nLigne, int nColonne)
{
    const bool lOuvert = m_pPopup->isVisible();
    const bool lMeme = nLigne == m_nLignePopup && nColonne == m_nColonnePopup;
    FermePopup();
    if ((lOuvert && lMeme) || !m_pCellules)
        return;
    const TEnrCell &Cell = (*m_pCellules)[nLigne - 1][nColonne - 1];
    if (Cell.nNbImgs <= 1)
        return;
    const QRect r = RectCellule(nLigne, nColonne);
    const int nHaut = r.top() + (m_nS + 18);
    const int nDroite = m_Grille.nColonnes * (m_nS + 3) - horizontalScrollBar()->value();
    const int nDefilement = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const TGeometriePopup g = GeometriePopup(Cell.nNbImgs, m_nS, r.left(), std::min(nDroite, viewport()->width()),
                                             nDefilement, viewport()->height() - nHaut);
    const int nCadre = 2 * m_pPopup->frameWidth();
    m_pPopup->setGeometry(r.left(), nHaut, g.nLargeur + nCadre, g.nHauteur + nCadre);
    m_pPopup->setVerticalScrollBarPolicy(g.nLargeur > g.nColonnes * (m_nS + 3) ? Qt::ScrollBarAlwaysOn
                                                                               : Qt::ScrollBarAlwaysOff);
    m_pPopup->Ouvre(Cell.lstImgs, Cell.nImgCour, m_nS, g.nColonnes);
    m_nLignePopup = nLigne;
    m_nColonnePopup = nColonne;
    m_pPopup->fnBulle = [this, nLigne, nColonne](int n) { return fnBulle ? fnBulle(nLigne, nColonne, n) : QString(); };
    m_pPopup->show();
    m_pPopup->raise();
}

void TGrilleCalendrier::paintEvent(QPaintEvent *)
{
    QPainter p(viewport());
    const QPalette &Pal = palette();
    if (!m_Entetes.isEmpty()) {
        for (int c = 1; c <= m_Grille.nColonnes; ++c) {
            const QRect r = RectCellule(1, c);
            const QRect re(r.left(), r.top() - nHauteurEntetes, r.width(), nHauteurEntetes);
            p.fillRect(re, Pal.button());
            p.setPen(Pal.color(QPalette::ButtonText));
            p.drawText(re, Qt::AlignCenter, m_Entetes.value(c - 1));
        }
    }
    for (int l = 1; l <= m_Grille.nLignes; ++l)
        for (int c = 1; c <= m_Grille.nColonnes; ++c) {
            const QRect r = RectCellule(l, c);
            if (!r.intersects(viewport()->rect()))
                continue;
            p.fillRect(r, l % 2 == 0 ? cCouleurLignesPaires : Pal.color(QPalette::Base));
            p.setPen(Pal.color(QPalette::Mid));
            p.drawRect(r.adjusted(0, 0, -1, -1));
            const QImage &Image = m_Images[l - 1][c - 1];
            DessineCentree(p, QRect(r.left(), r.top(), r.width(), r.height() - 14), Image);
            if (m_pCellules) {
                const TEnrCell &Cell = (*m_pCellules)[l - 1][c - 1];
                p.setPen(Pal.color(QPalette::Text));
                // A label wider than the small cells ("15..21 mars 2005" under 80 pixels) is
                // drawn in a smaller font rather than cut.
                const int nLargeur = p.fontMetrics().horizontalAdvance(Cell.cLibelle);
                if (nLargeur > r.width() - 2) {
                    QFont Reduite = font();
                    Reduite.setPointSizeF(std::max(5.0, Reduite.pointSizeF() * (r.width() - 2) / nLargeur));
                    p.setFont(Reduite);
                }
                p.drawText(QRect(r.left(), r.bottom() - 14, r.width(), 14), Qt::AlignHCenter | Qt::AlignTop,
                           Cell.cLibelle);
                p.setFont(font());
                if (Cell.nNbImgs > 1)
                    p.drawText(r.adjusted(2, 1, -3, 0), Qt::AlignRight | Qt::AlignTop, QString::number(Cell.nNbImgs));
            }
            if (l == m_nLigne && c == m_nColonne) {
                p.setPen(QPen(Pal.color(QPalette::WindowText), 2));
                p.drawRect(r.adjusted(1, 1, -1, -1));
            }
        }
}

void TGrilleCalendrier::mousePressEvent(QMouseEvent *e)
{
    int l = 0, c = 0;
    if (!CelluleSous(e->position().toPoint(), l, c)) {
        FermePopup();
        return;
    }
    if (e->button() != Qt::LeftButton)
        return;
    // A new current cell closes the pop-up of the last one; a click on the same cell toggles it.
    MetCourante(l, c);
    CliqueCellule(l, c);
}

void TGrilleCalendrier::mouseDoubleClickEvent(QMouseEvent *e)
{
    int l = 0, c = 0;
    if (e->button() == Qt::LeftButton && CelluleSous(e->position().toPoint(), l, c)) {
        FermePopup();
        emit CelluleActivee(l, c);
    }
}

void TGrilleCalendrier::keyPressEvent(QKeyEvent *e)
{
    switch (e->key()) {
    case Qt::Key_Escape:
        if (m_pPopup->isVisible()) {
            FermePopup();
            e->accept();
            return;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        CliqueCellule(m_nLigne, m_nColonne);
        e->accept();
        return;
    case Qt::Key_Left: MetCourante(m_nLigne, m_nColonne - 1); return;
    case Qt::Key_Right: MetCourante(m_nLigne, m_nColonne + 1); return;
    case Qt::Key_Up: MetCourante(m_nLigne - 1, m_nColonne); return;
    case Qt::Key_Down: MetCourante(m_nLigne + 1, m_nColonne); return;
    default: break;
    }
    QAbstractScrollArea::keyPressEvent(e);
}

bool TGrilleCalendrier::viewportEvent(QEvent *e)
{
    if (e->type() == QEvent::ToolTip) {
        auto *h = static_cast<QHelpEvent *>(e);
        int l = 0, c = 0;
        QString cBulle;
        if (CelluleSous(h->pos(), l, c) && m_pCellules && fnBulle) {
            const TEnrCell &Cell = (*m_pCellules)[l - 1][c - 1];
            if (Cell.nImgCour >= 0)
                cBulle = fnBulle(l, c, Cell.nImgCour);
        }
        if (cBulle.isEmpty())
            TMarkupHint::Cache();
        else
            TMarkupHint::Affiche(h->globalPos(), cBulle, viewport(), RectCellule(l, c));
        return true;
    }
    return QAbstractScrollArea::viewportEvent(e);
}

// ---- Window

TfmCalendrier::TfmCalendrier(TContexte &Contexte, const TArboCriteres *pArbo, QWidget *Parent)
    : QDialog(Parent), m_Contexte(Contexte), m_pArbo(pArbo)
{
    setObjectName(QStringLiteral("fmCalendrier"));
    setWindowTitle(cTitreCalendrier);
    setModal(true);
    setMinimumSize(600, 400);
    fnAppliqueTrtsImage = [this](QImage &Image, const TEnrLV &e) {
        const QSize Avant = Image.size();
        const qint64 nCle = Image.cacheKey();
        return AppliqueTrtsImage(Image, m_Contexte, e.Cle(), e.cOrientation).lOk
               && (Image.cacheKey() != nCle || Image.size() != Avant);
    };
    if (!m_pArbo) {
        m_ArboPropre = std::make_unique<TArboCriteres>();
        m_pArbo = m_ArboPropre.get();
    }
    if (m_Contexte.iniSetup && m_Contexte.iniBDD && m_Contexte.Descriptions)
        m_pClassement = std::make_unique<TClassement>(*m_Contexte.iniSetup, *m_Contexte.iniBDD,
                                                      *m_Contexte.Descriptions, *m_pArbo, m_Contexte.Parametres);
    if (m_Contexte.Volumes)
        m_pLecteurs = std::make_unique<TLecteursCD>(*m_Contexte.Volumes);
    m_pModele = new TModeleListeImages(this);
    m_pSelection = new TSelectionKX(*m_pModele, this);
    m_pChargeur = new TChargeurImage(this);
    ConstruitFenetre();
}

TfmCalendrier::~TfmCalendrier() = default;

void TfmCalendrier::ConstruitFenetre()
{
    auto *Principale = new QVBoxLayout(this);
    pcCalendrier = new QTabWidget(this);
    pcCalendrier->setObjectName(QStringLiteral("pcCalendrier"));
    tsSaisie = new QWidget;
    tsSaisie->setObjectName(QStringLiteral("tsSaisie"));
    tsExploreImgs = new QWidget;
    tsExploreImgs->setObjectName(QStringLiteral("tsExploreImgs"));
    pcCalendrier->addTab(tsSaisie, QStringLiteral("Saisie de la période"));
    pcCalendrier->addTab(tsExploreImgs, QStringLiteral("Exploration"));
    pcCalendrier->setTabVisible(1, false);
    Principale->addWidget(pcCalendrier, 1);

    // The period controls, left of the grid.
    auto *Saisie = new QHBoxLayout(tsSaisie);
    auto *Gauche = new QVBoxLayout;
    Saisie->addLayout(Gauche);
    auto *gbDate = new QGroupBox(QStringLiteral("&Date à prendre en compte"), tsSaisie);
    auto *DispDate = new QVBoxLayout(gbDate);
    rgDateAPEC = new QButtonGroup(this);
    rgDateAPEC->setObjectName(QStringLiteral("rgDateAPEC"));
    const QStringList Dates = {QStringLiteral("date de modification"), QStringLiteral("date de prise de vue (EXIF)")};
    for (int i = 0; i < 2; ++i) {
        auto *rb = new QRadioButton(Dates[i], gbDate);
        rb->setObjectName(i == 0 ? QStringLiteral("rbDateModif") : QStringLiteral("rbDateEXIF"));
        rgDateAPEC->addButton(rb, i);
        DispDate->addWidget(rb);
    }
    rgDateAPEC->button(0)->setChecked(true);
    Gauche->addWidget(gbDate);

    auto Etiquette = [this, Gauche](const QString &cNom, const QString &cTexte, QWidget *Copain) {
        auto *l = new QLabel(cTexte, tsSaisie);
        l->setObjectName(cNom);
        l->setBuddy(Copain);
        Gauche->addWidget(l);
        Gauche->addWidget(Copain);
        return l;
    };
    cbTailleVig = new QComboBox(tsSaisie);
    cbTailleVig->setObjectName(QStringLiteral("cbTailleVig"));
    for (int n = 80; n <= 200; n += 20)
        cbTailleVig->addItem(QStringLiteral("%1x%1").arg(n));
    cbTailleVig->setCurrentIndex(1);
    Etiquette(QStringLiteral("stTailleVig"), QStringLiteral("&Taille des Vignettes"), cbTailleVig);

    lbPeriode = new QListWidget(tsSaisie);
    lbPeriode->setObjectName(QStringLiteral("lbPeriode"));
    for (int i = 0; i < nNbGenresPeriode; ++i)
        lbPeriode->addItem(NomGenrePeriode(TGenrePeriode(i)));
    lbPeriode->setFixedHeight(lbPeriode->sizeHintForRow(0) * nNbGenresPeriode + 2 * lbPeriode->frameWidth() + 2);
    lbPeriode->setCurrentRow(0);
    Etiquette(QStringLiteral("stPeriode"), QStringLiteral("&Période"), lbPeriode);

    dtDate = new QDateEdit(QDate::currentDate(), tsSaisie);
    dtDate->setObjectName(QStringLiteral("dtDate"));
    dtDate->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    dtDate->setCalendarPopup(true);
    stDate = Etiquette(QStringLiteral("stDate"), QStringLiteral("Le"), dtDate);

    cbMois = new QComboBox(tsSaisie);
    cbMois->setObjectName(QStringLiteral("cbMois"));
    for (int m = 1; m <= 12; ++m)
        cbMois->addItem(FrenchFormats::NomMois(m));
    cbMois->setCurrentIndex(QDate::currentDate().month() - 1);
    stMois = Etiquette(QStringLiteral("stMois"), QStringLiteral("Mois"), cbMois);

    cbAnnee = new QComboBox(tsSaisie);
    cbAnnee->setObjectName(QStringLiteral("cbAnnee"));
    stAnnee = Etiquette(QStringLiteral("stAnnee"), QStringLiteral("Année"), cbAnnee);

    btRechImgs = new QPushButton(QStringLiteral("&Recherche des images"), tsSaisie);
    btRechImgs->setObjectName(QStringLiteral("btRechImgs"));
    Gauche->addWidget(btRechImgs);
    auto *Navig = new QHBoxLayout;
    btNavigPrec = new QPushButton(QStringLiteral("<<"), tsSaisie);
    btNavigPrec->setObjectName(QStringLiteral("btNavigPrec"));
    btNavigSuiv = new QPushButton(QStringLiteral(">>"), tsSaisie);
    btNavigSuiv->setObjectName(QStringLiteral("btNavigSuiv"));
    Navig->addWidget(btNavigPrec);
    Navig->addWidget(btNavigSuiv);
    Gauche->addLayout(Navig);
    btExplImgs = new QPushButton(QStringLiteral("&Exploration des images"), tsSaisie);
    btExplImgs->setObjectName(QStringLiteral("btExplImgs"));
    btExplImgs->setEnabled(false);
    Gauche->addWidget(btExplImgs);
    Gauche->addStretch(1);

    sgCalendrier = new TGrilleCalendrier(tsSaisie);
    Saisie->addWidget(sgCalendrier, 1);
    sgCalendrier->fnBulle = [this](int l, int c, int n) { return BulleCellule(l, c, n); };
    sgCalendrier->Popup()->fnImage = [this](int i) { return ImageCellule(i); };

    ConstruitExploration(tsExploreImgs);

    // The bottom bar.
    auto *Bas = new QHBoxLayout;
    ggBas = new QProgressBar(this);
    ggBas->setObjectName(QStringLiteral("ggBas"));
    ggBas->setTextVisible(false);
    ggBas->setVisible(false);
    Bas->addWidget(ggBas, 1);
    auto Bouton = [this, Bas](const char *cNom, const QString &cTexte, const QString &cBulle) {
        auto *b = new QPushButton(cTexte, this);
        b->setObjectName(QLatin1String(cNom));
        b->setToolTip(cBulle);
        b->setAutoDefault(false);
        Bas->addWidget(b);
        return b;
    };
    btSvgTtesVig = Bouton("btSvgTtesVig", QStringLiteral("Planche"),
                          QStringLiteral("Sauvegarder toutes les vignettes dans un même fichier"));
    btAlbumWEB =
        Bouton("btAlbumWEB", QStringLiteral("Album &WEB"), QStringLiteral("Album WEB des vignettes affichées"));
    btHistoAlbumsWEB = Bouton("btHistoAlbumsWEB", QStringLiteral("&Historique des albums WEB"),
                              QStringLiteral("Historique des albums WEB"));
    btQuitter = Bouton("btQuitter", QStringLiteral("&Quitter"), QString());
    Principale->addLayout(Bas);
    for (QPushButton *b : {btRechImgs, btNavigPrec, btNavigSuiv, btExplImgs})
        b->setAutoDefault(false);

    connect(lbPeriode, &QListWidget::currentRowChanged, this, &TfmCalendrier::lbPeriodeClick);
    connect(btRechImgs, &QPushButton::clicked, this, &TfmCalendrier::RechercherImages);
    connect(btNavigPrec, &QPushButton::clicked, this, [this] { Navigue(-1); });
    connect(btNavigSuiv, &QPushButton::clicked, this, [this] { Navigue(1); });
    connect(btExplImgs, &QPushButton::clicked, this, &TfmCalendrier::ExplorerCellule);
    connect(sgCalendrier, &TGrilleCalendrier::CouranteChange, this, &TfmCalendrier::CouranteChange);
    connect(sgCalendrier, &TGrilleCalendrier::CelluleActivee, this, [this] { ExplorerCellule(); });
    connect(sgCalendrier, &TGrilleCalendrier::ImageChoisie, this, &TfmCalendrier::ImageChoisie);
    connect(btSvgTtesVig, &QPushButton::clicked, this, &TfmCalendrier::SauverPlanche);
    connect(btAlbumWEB, &QPushButton::clicked, this, &TfmCalendrier::AlbumWEB);
    connect(btHistoAlbumsWEB, &QPushButton::clicked, this, [this] {
        if (fnOuvreHistoAlbumsWEB)
            fnOuvreHistoAlbumsWEB(this);
    });
    connect(btQuitter, &QPushButton::clicked, this, &QDialog::reject);
    connect(pcCalendrier, &QTabWidget::currentChanged, this, &TfmCalendrier::MajBoutonsOnglet);
    lbPeriodeClick();
    MajBoutonsOnglet();
}

void TfmCalendrier::ConstruitExploration(QWidget *Onglet)
{
    const TEnrParametres &P = m_Contexte.Parametres;
    const QPalette Palette = QApplication::palette();
    auto *Disp = new QHBoxLayout(Onglet);
    auto *Separateur = new QSplitter(Qt::Horizontal, Onglet);
    Disp->addWidget(Separateur);

    auto *Gauche = new QWidget(Separateur);
    auto *DispGauche = new QVBoxLayout(Gauche);
    DispGauche->setContentsMargins(0, 0, 0, 0);
    tvPeriodes = new QTreeWidget(Gauche);
    tvPeriodes->setObjectName(QStringLiteral("tvPeriodes"));
    tvPeriodes->setHeaderHidden(true);
    tvPeriodes->setFixedHeight(40);
    DispGauche->addWidget(tvPeriodes);
    plvVignettes = new TPaneledListView(Gauche);
    plvVignettes->setObjectName(QStringLiteral("plvVignettes"));
    const int nTaille = TailleVignette(P.nIndTailleVigs);
    plvVignettes->set_Panels3D(P.lVigPan3D);
    plvVignettes->setCouleurFond(Couleurs::Couleur(P.nVigCoulFond, Palette, 29));
    plvVignettes->set_PanelsColor(Couleurs::Couleur(P.nVigCoulPan, Palette, 35));
    plvVignettes->set_PanelsFontColor(Couleurs::Couleur(P.nVigCoulTxtPan, Palette, 30));
    plvVignettes->set_ItemDim(nTaille);
    plvVignettes->setMinimumWidth(LargHautMinPanneauVignettes(nTaille));
    DispGauche->addWidget(plvVignettes, 1);

    auto *Droite = new QSplitter(Qt::Vertical, Separateur);
    sbImage = new TPanneauImage(Droite);
    sbImage->setObjectName(QStringLiteral("sbImage"));
    sbImage->MetCouleurFond(Couleurs::Couleur(P.nImgFACoulFond, Palette, 35));
    tvCriteres = new QTreeWidget(Droite);
    tvCriteres->setObjectName(QStringLiteral("tvCriteres"));
    tvCriteres->setHeaderHidden(true);
    Droite->setStretchFactor(0, 3);
    Droite->setStretchFactor(1, 1);
    Separateur->setStretchFactor(0, 1);
    Separateur->setStretchFactor(1, 2);

    m_pVignettes = new TVignettesKX(m_Contexte, *m_pSelection, plvVignettes, nullptr, this);
    m_pVignettes->fnAppliqueTraitements = [this](QImage &Image, const TEnrLV &e) {
        return fnAppliqueTrtsImage ? fnAppliqueTrtsImage(Image, e) : false;
    };

    connect(tvPeriodes, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *Item) { tvPeriodesChange(Item); });
    plvVignettes->_OnItemChange = [this](TPaneledListView *, TPLVListItem *Item) {
        VignetteChoisie(Item ? Item->Index() : -1);
    };
    plvVignettes->_OnItemDblClick = nullptr;
    connect(m_pChargeur, &TChargeurImage::Pret, this, &TfmCalendrier::ImagePrete);
    connect(m_pChargeur, &TChargeurImage::Progres, this, [this](int nEtape, int nPourcent) {
        if (nEtape == 0) {
            ggBas->setRange(0, 100);
            ggBas->setValue(0);
            ggBas->show();
        } else if (nEtape == 1) {
            ggBas->setValue(nPourcent);
        } else {
            ggBas->hide();
        }
    });
}

void TfmCalendrier::FormCreate()
{
    btHistoAlbumsWEB->setEnabled(bool(fnOuvreHistoAlbumsWEB));
    if (const QScreen *Ecran = screen() ? screen() : QGuiApplication::primaryScreen()) {
        const QRect r = Ecran->geometry();
        setGeometry(50, 50, std::max(600, r.width() - 100), std::max(400, r.height() - 100));
    }
    {
        TCurseurOccupe Occupe;
        if (m_Contexte.iniBDD && m_Contexte.iniSetup)
            m_Images = ChargerImagesCalendrier(*m_Contexte.iniBDD, *m_Contexte.iniSetup,
                                               m_Contexte.Dossiers.cDossierVignettes);
    }
    RemplitAnnees();
    const QDate Aujourdhui = QDate::currentDate();
    TPeriode p;
    p.dJour = Aujourdhui;
    p.nMois = Aujourdhui.month();
    p.nAnnee = Aujourdhui.year();
    MetPeriode(p);
    sgCalendrier->MetGrille(GrilleDe(p), 100, {}, &m_Cellules);
    RemplirCellules({}, false, p, m_Cellules);
}

void TfmCalendrier::RemplitAnnees()
{
    const QString cAvant = cbAnnee->currentText();
    AnneesCalendrier(m_Images, QDate::currentDate(), m_nAnneeMin, m_nAnneeMax);
    const QSignalBlocker Bloque(cbAnnee);
    cbAnnee->clear();
    for (int a = m_nAnneeMin; a <= m_nAnneeMax; ++a)
        cbAnnee->addItem(QString::number(a));
    const int n = cbAnnee->findText(cAvant.isEmpty() ? QString::number(QDate::currentDate().year()) : cAvant);
    cbAnnee->setCurrentIndex(n >= 0 ? n : cbAnnee->count() - 1);
}

TPeriode TfmCalendrier::PeriodeChoisie() const
{
    TPeriode p;
    p.nGenre = TGenrePeriode(std::clamp(lbPeriode->currentRow(), 0, nNbGenresPeriode - 1));
    p.dJour = dtDate->date();
    p.nMois = cbMois->currentIndex() + 1;
    p.nAnnee = cbAnnee->currentText().toInt();
    return p;
}

void TfmCalendrier::MetPeriode(const TPeriode &p)
{
    if (p.dJour.isValid())
        dtDate->setDate(p.dJour);
    cbMois->setCurrentIndex(std::clamp(p.nMois, 1, 12) - 1);
    const int n = cbAnnee->findText(QString::number(p.nAnnee));
    if (n >= 0)
        cbAnnee->setCurrentIndex(n);
}

void TfmCalendrier::lbPeriodeClick()
{
    const TGenrePeriode g = TGenrePeriode(std::clamp(lbPeriode->currentRow(), 0, nNbGenresPeriode - 1));
    const bool lJour = g == TGenrePeriode::Jour || g == TGenrePeriode::Semaine;
    const bool lMois = g == TGenrePeriode::Mois || g == TGenrePeriode::Trimestre || g == TGenrePeriode::Semestre;
    stDate->setEnabled(lJour);
    dtDate->setEnabled(lJour);
    if (lJour)
        stDate->setText(g == TGenrePeriode::Jour ? QStringLiteral("Le") : QStringLiteral("La semaine du"));
    stMois->setEnabled(lMois);
    cbMois->setEnabled(lMois);
    if (lMois)
        stMois->setText(g == TGenrePeriode::Mois        ? QStringLiteral("Mois")
                        : g == TGenrePeriode::Trimestre ? QStringLiteral("Trimestre débutant en")
                                                        : QStringLiteral("Semestre débutant en"));
    stAnnee->setEnabled(!lJour);
    cbAnnee->setEnabled(!lJour);
    MajNavigation();
}

void TfmCalendrier::MajNavigation()
{
    const bool l = m_lRecherche && lbPeriode->currentRow() == int(m_PeriodeRecherche.nGenre);
    btNavigPrec->setEnabled(l);
    btNavigSuiv->setEnabled(l);
    if (m_lRecherche) {
        btNavigPrec->setToolTip(BulleNavigation(m_PeriodeRecherche.nGenre, -1));
        btNavigSuiv->setToolTip(BulleNavigation(m_PeriodeRecherche.nGenre, 1));
    }
}

bool TfmCalendrier::LireDatesEXIF()
{
    TGaugeWindow Jauge(this, m_Contexte.Messages.get());
    Jauge._WindowWidth = 400;
    if (fnQuestionInterruption)
        Jauge.setQuestion(fnQuestionInterruption);
    Jauge.Demarre(QStringLiteral("Lecture de la %1 des images").arg(rgDateAPEC->button(1)->text()), 0, 0,
                  std::max<int>(1, int(m_Images.size())));
    const bool lLu = m_Contexte.iniSetup && ::LireDatesEXIF(m_Images, *m_Contexte.iniSetup, [&Jauge](int n) {
                         Jauge.set_GaugeCurValue(n);
                         return !Jauge.Interrompu();
                     });
    Jauge.Arrete();
    m_lEXIFLu = lLu;
    return lLu;
}

QImage TfmCalendrier::ImageCellule(int nImage) const
{
    if (nImage < 0 || nImage >= int(m_Images.size()))
        return {};
    const TEnrImgBDD &e = m_Images[size_t(nImage)];
    const QImage Vignette(NomVignette(m_Contexte.Dossiers.cDossierVignettes, e.nIdCD, e.cChemin));
    if (Vignette.isNull())
        return {};
    const QSize t = TailleImageCellule(Vignette.width(), Vignette.height(), sgCalendrier->S());
    if (t.isEmpty() || t == Vignette.size())
        return Vignette;
    return Vignette.scaled(t, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void TfmCalendrier::RechercherImages()
{
    const int nS = 80 + 20 * std::max(0, cbTailleVig->currentIndex());
    const bool lEXIF = rgDateAPEC->checkedId() == 1;
    if (lEXIF && !m_lEXIFLu) {
        if (!LireDatesEXIF())
            return;
        RemplitAnnees();
    }
    const TPeriode p = PeriodeChoisie();
    TCurseurOccupe Occupe;
    const TGrille g = RemplirCellules(m_Images, lEXIF, p, m_Cellules);
    sgCalendrier->MetGrille(g, nS, EntetesColonnes(p), &m_Cellules);
    // The pictures are fitted once here and kept for every paint.
    for (int l = 1; l <= g.nLignes; ++l)
        for (int c = 1; c <= g.nColonnes; ++c) {
            const TEnrCell &Cell = m_Cellules[l - 1][c - 1];
            if (Cell.nImgCour >= 0)
                sgCalendrier->MetImageCellule(l, c, ImageCellule(Cell.lstImgs[Cell.nImgCour]));
        }
    m_lRecherche = true;
    m_PeriodeRecherche = p;
    m_lEXIFRecherche = lEXIF;
    MajNavigation();
    CouranteChange(1, 1);
    pcCalendrier->setTabVisible(1, false);
    setWindowTitle(cTitreCalendrier);
}

void TfmCalendrier::Navigue(int nSens)
{
    if (!m_lRecherche)
        return;
    TPeriode p = PeriodeChoisie();
    if (!NaviguePeriode(p, nSens, m_nAnneeMin, m_nAnneeMax))
        return;
    MetPeriode(p);
    RechercherImages();
}

void TfmCalendrier::CouranteChange(int nLigne, int nColonne)
{
    const bool lValide = nLigne >= 1 && nColonne >= 1 && nLigne <= nLignesMax && nColonne <= nColonnesMax;
    btExplImgs->setEnabled(lValide && m_Cellules[nLigne - 1][nColonne - 1].nNbImgs > 0);
}

void TfmCalendrier::ImageChoisie(int nLigne, int nColonne, int nPosition)
{
    TEnrCell &Cell = m_Cellules[nLigne - 1][nColonne - 1];
    if (nPosition < 0 || nPosition >= Cell.nNbImgs)
        return;
    Cell.nImgCour = nPosition;
    sgCalendrier->MetImageCellule(nLigne, nColonne, ImageCellule(Cell.lstImgs[nPosition]));
}

QString TfmCalendrier::BulleCellule(int nLigne, int nColonne, int nPosition)
{
    if (nLigne < 1 || nColonne < 1 || nLigne > nLignesMax || nColonne > nColonnesMax)
        return {};
    const TEnrCell &Cell = m_Cellules[nLigne - 1][nColonne - 1];
    if (nPosition < 0 || nPosition >= Cell.nNbImgs)
        return {};
    TEnrImgBDD &e = m_Images[size_t(Cell.lstImgs[nPosition])];
    if (m_pLecteurs)
        LocaliseImage(e, *m_pLecteurs);
    const QString cLabel = e.nIdCD != 0 && m_Contexte.iniSetup
                               ? m_Contexte.iniSetup->ReadString(cSectionLabelsCD, IdVolume(quint32(e.nIdCD)), {})
                               : QString();
    return BulleImageCalendrier(e, nPosition + 1, Cell.nNbImgs, cLabel);
}

std::unique_ptr<TEnrLV> TfmCalendrier::EnrExploration(int nImage)
{
    TEnrImgBDD &i = m_Images[size_t(nImage)];
    if (m_pLecteurs)
        LocaliseImage(i, *m_pLecteurs);
    auto e = std::make_unique<TEnrLV>();
    e->nNumCD = i.nIdCD;
    e->cLecteur = i.cLecteur;
    e->cChemin = i.cChemin;
    const QString cCle = CleImage(i.nIdCD, i.cChemin);
    const QFileInfo Info(e->CheminComplet());
    e->lExiste = (i.nIdCD == 0 || !i.cLecteur.isEmpty()) && Info.isFile();
    if (i.nIdCD != 0) {
        e->nTaille =
            m_Contexte.iniSetup
                ? m_Contexte.iniSetup->ReadString(cSectionTaillesVignettes, cCle, QStringLiteral("0")).toLongLong()
                : 0;
        e->nDate = DateDeSerie(i.dDateFichier).toSecsSinceEpoch();
    } else {
        e->nTaille = Info.size();
        e->nDate = Info.lastModified().toSecsSinceEpoch();
    }
    // The orientation the treatments start from: the stored EXIF record of a CD image, else the
    // file's own.
    if (i.nIdCD != 0) {
        if (m_Contexte.iniSetup)
            LireEXIFCatalogue(*m_Contexte.iniSetup, cCle, *e, TContexteFocale());
    } else if (e->lExiste) {
        static_cast<TDonneesEXIF &>(*e) = LitEXIF(i.cChemin, false).Donnees;
    }
    TTailleImage t;
    if (i.nIdCD == 0 && EstJPEG(i.cChemin) && LitTailleEntete(i.cChemin, t)) {
        e->nLargeur = t.nLargeur;
        e->nHauteur = t.nHauteur;
    } else if (m_Contexte.iniSetup) {
        t = TTailleImage::DePacke(
            m_Contexte.iniSetup->ReadString(cSectionResolutionsVignettes, cCle, QStringLiteral("0")).toLongLong());
        e->nLargeur = t.nLargeur;
        e->nHauteur = t.nHauteur;
    }
    return e;
}

void TfmCalendrier::ExplorerCellule()
{
    const int l = sgCalendrier->LigneCourante(), c = sgCalendrier->ColonneCourante();
    if (!m_lRecherche || l < 1 || c < 1 || m_Cellules[l - 1][c - 1].nNbImgs == 0)
        return;
    TCurseurOccupe Occupe;
    const TExploration x = ::ExplorerCellule(m_Images, m_lEXIFRecherche, m_PeriodeRecherche, m_Cellules, l, c);
    const QSignalBlocker Bloque(tvPeriodes);
    tvPeriodes->clear();
    m_NoeudsImages.clear();
    auto *Racine = new QTreeWidgetItem(tvPeriodes, {x.Racine.cLibelle});
    Racine->setData(0, Qt::UserRole, 0);
    m_NoeudsImages.append(x.Racine.lstImgs);
    for (const TNoeudExploration &j : x.Jours) {
        auto *Item = new QTreeWidgetItem(Racine, {j.cLibelle});
        Item->setData(0, Qt::UserRole, int(m_NoeudsImages.size()));
        m_NoeudsImages.append(j.lstImgs);
    }
    Racine->setExpanded(true);
    tvPeriodes->setFixedHeight(x.Jours.isEmpty() ? 40 : 120);
    m_nTotalRacine = int(x.Racine.lstImgs.size());
    pcCalendrier->setTabText(1, x.cOnglet);
    pcCalendrier->setTabVisible(1, true);
    pcCalendrier->setCurrentIndex(1);
    tvPeriodes->setCurrentItem(Racine);
    tvPeriodesChange(Racine);
}

void TfmCalendrier::tvPeriodesChange(QTreeWidgetItem *Item)
{
    if (!Item)
        return;
    const int nNoeud = Item->data(0, Qt::UserRole).toInt();
    if (nNoeud < 0 || nNoeud >= m_NoeudsImages.size())
        return;
    const QList<int> &Liste = m_NoeudsImages[nNoeud];
    TCurseurOccupe Occupe;
    m_pChargeur->Abandonne();
    m_cFichierAffiche.clear();
    m_nAfficheeLigne = -1;
    sbImage->Vide();
    sbImage->setToolTip(QString());
    tvCriteres->clear();
    plvVignettes->Vide();
    m_pModele->Vide();
    m_ImagesAffichees.clear();
    ggBas->setRange(0, std::max<int>(1, int(Liste.size())));
    ggBas->setValue(0);
    ggBas->show();
    plvVignettes->Debut();
    int k = 0;
    for (int i : Liste) {
        ggBas->setValue(++k);
        const TEnrImgBDD &Img = m_Images[size_t(i)];
        const QImage Vignette(NomVignette(m_Contexte.Dossiers.cDossierVignettes, Img.nIdCD, Img.cChemin));
        // A thumbnail that cannot be read is left out.
        if (Vignette.isNull())
            continue;
        std::unique_ptr<TEnrLV> e = EnrExploration(i);
        QString cBulle = e->Dossier() + QStringLiteral("\r\n<SG>") + e->NomFichier()
                         + QStringLiteral("</SG/> <SS>[%1x%2]</SS/>").arg(e->nLargeur).arg(e->nHauteur);
        if (e->nNumCD != 0) {
            const QString cId = IdVolume(quint32(e->nNumCD));
            const QString cLabel =
                m_Contexte.iniSetup ? m_Contexte.iniSetup->ReadString(cSectionLabelsCD, cId, {}) : QString();
            cBulle += cLabel.isEmpty() ? QStringLiteral("\r\n(Sur le CD N° %1)").arg(cId)
                                       : QStringLiteral("\r\n(Sur le CD N° %1 : <SG>\"%2\"</SG/>)").arg(cId, cLabel);
        }
        const QString cTitre = e->NomFichier();
        m_pModele->Ajoute(std::move(e), false);
        TPLVListItem *pItem = plvVignettes->Ajoute();
        plvVignettes->MetImage(pItem, Vignette);
        plvVignettes->MetTitre(pItem, cTitre);
        plvVignettes->MetBulle(pItem, cBulle);
        m_ImagesAffichees.append(i);
    }
    plvVignettes->Fin();
    ggBas->hide();
    setWindowTitle(
        QStringLiteral("%1 - %2 Image(s) / %3").arg(cTitreCalendrier).arg(plvVignettes->Nombre()).arg(m_nTotalRacine));
    MajBoutonsOnglet();
    if (plvVignettes->Nombre() > 0)
        plvVignettes->Selectionne(plvVignettes->Item(0));
}

void TfmCalendrier::VignetteChoisie(int nIndex)
{
    if (nIndex < 0 || nIndex >= m_pModele->Nombre()) {
        m_pChargeur->Abandonne();
        sbImage->Vide();
        tvCriteres->clear();
        return;
    }
    m_pSelection->MetLigneCourante(nIndex);
    TEnrLV &e = m_pModele->Enr(nIndex);
    m_nAfficheeLigne = nIndex;
    sbImage->setToolTip(plvVignettes->Item(nIndex)->cBulle());
    AfficheCriteres(e);
    constexpr int nCoteSubstitut = 200;
    if (e.nNumCD != 0 && e.cLecteur.isEmpty()) {
        m_pChargeur->Abandonne();
        m_cFichierAffiche.clear();
        const QString cId = IdVolume(quint32(e.nNumCD));
        const QImage Substitut = ImageNonTrouvee(
            nCoteSubstitut, cId,
            m_Contexte.iniSetup ? m_Contexte.iniSetup->ReadString(cSectionLabelsCD, cId, {}) : QString());
        sbImage->MetImage(Substitut, Substitut.size());
        return;
    }
    m_cFichierAffiche = e.CheminComplet();
    TDemandeImage d;
    d.cFichier = m_cFichierAffiche;
    d.nZoom = RapportZoom::nUnUn;
    d.Panneau = sbImage->TailleDisponible();
    const QString cSuivant = nIndex + 1 < m_pModele->Nombre() ? m_pModele->Enr(nIndex + 1).CheminComplet() : QString();
    m_pChargeur->Demande(d, cSuivant);
}

void TfmCalendrier::ImagePrete(const TImageDecodee &Image)
{
    if (m_cFichierAffiche.isEmpty() || Image.cFichier != m_cFichierAffiche || m_nAfficheeLigne < 0)
        return;
    if (!Image.Valide()) {
        const QImage Erreur = ImageErreur(200);
        sbImage->MetImage(Erreur, Erreur.size());
        return;
    }
    QImage Picture = Image.Image;
    QSize Taille(int(Image.Taille.nLargeur), int(Image.Taille.nHauteur));
    if (fnAppliqueTrtsImage) {
        QImage Traitee = Picture;
        if (fnAppliqueTrtsImage(Traitee, m_pModele->Enr(m_nAfficheeLigne)) && !Traitee.isNull()) {
            if (Traitee.size() == Picture.size().transposed() && Traitee.size() != Picture.size())
                Taille.transpose();
            Picture = Traitee;
        }
    }
    const RapportZoom::TAffichage A =
        RapportZoom::Affichage(RapportZoom::nUnUn, Taille.width(), Taille.height(), sbImage->TailleDisponible());
    sbImage->MetImage(Picture, A.Taille.isEmpty() ? Picture.size() : A.Taille);
    sbImage->RetourOrigine();
}

void TfmCalendrier::AfficheCriteres(const TEnrLV &e)
{
    tvCriteres->clear();
    if (!m_pClassement)
        return;
    AjouteNoeuds(nullptr, tvCriteres, m_pClassement->AfficherClassement(e), m_pArbo->ilArbres());
    if (QTreeWidgetItem *Premier = tvCriteres->topLevelItem(0))
        tvCriteres->setCurrentItem(Premier);
}

void TfmCalendrier::MajBoutonsOnglet()
{
    const bool lExploration = pcCalendrier->currentWidget() == tsExploreImgs && pcCalendrier->isTabVisible(1);
    btSvgTtesVig->setEnabled(lExploration && plvVignettes->Nombre() > 0);
    btAlbumWEB->setEnabled(lExploration && plvVignettes->Nombre() > 0 && bool(fnOuvreAlbumWEB));
    btHistoAlbumsWEB->setEnabled(bool(fnOuvreHistoAlbumsWEB));
}

void TfmCalendrier::SauverPlanche()
{
    m_pVignettes->SauverPlanche(plvVignettes, cTitreCalendrier);
}

void TfmCalendrier::AlbumWEB()
{
    if (!fnOuvreAlbumWEB)
        return;
    QList<TEnrLV> Liste;
    for (int i = 0; i < m_pModele->Nombre(); ++i)
        Liste.append(m_pModele->Enr(i));
    fnOuvreAlbumWEB(this, Liste);
}

// ---- The command of the main window

TCalendrierKX::TCalendrierKX(TfmMainKX &Main, TContexte &Contexte, const TArboCriteres *pArbo)
    : QObject(&Main), m_Main(Main), m_Contexte(Contexte), m_pArbo(pArbo)
{
    setObjectName(QStringLiteral("Calendrier"));
    fnExecute = [](TfmCalendrier &Fenetre) { Fenetre.exec(); };
    miCalendrier = new QAction(QStringLiteral("&Calendrier..."), this);
    miCalendrier->setObjectName(QStringLiteral("miCalendrier"));
    connect(miCalendrier, &QAction::triggered, this, &TCalendrierKX::Ouvre);
    btCalendrier = AjouteBoutonBarre(Main.BarreSauvegardes(), "btCalendrier", QStringLiteral("Calendrier"),
                                     QStringLiteral("Calendrier des images"), miCalendrier);
}

QList<QAction *> TCalendrierKX::Actions(TEmplacementAction nPlace)
{
    if (nPlace != TEmplacementAction::OutilsDivers)
        return {};
    return {miCalendrier};
}

void TCalendrierKX::Ouvre()
{
    TfmCalendrier Fenetre(m_Contexte, m_pArbo, &m_Main);
    Fenetre.fnOuvreAlbumWEB = [this](QWidget *Parent, const QList<TEnrLV> &Images) {
        TSourceDonneesAW Source;
        Source.nSource = saListeImages;
        for (const TEnrLV &e : Images)
            Source.lstImages.append({e, QImage(), QString(), QImage()});
        OuvreAlbumWEB(m_Contexte, Parent, Source);
    };
    Fenetre.fnOuvreHistoAlbumsWEB = [this](QWidget *Parent) { OuvreHistoriqueAlbumsWEB(m_Contexte, Parent); };
    Fenetre.FormCreate();
    fnExecute(Fenetre);
}

TCalendrierKX *InstalleCalendrier(TfmMainKX &Main, TContexte &Contexte, const TArboCriteres *pArbo)
{
    auto *Calendrier = new TCalendrierKX(Main, Contexte, pArbo);
    Main.Installe(Calendrier);
    return Calendrier;
}
