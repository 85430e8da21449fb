#include "filters/Filtres_fm.h"

#include "components/MessagesQt.h"
#include "filters/Colorimetrie.h"
#include "filters/Filtres.h"
#include "imaging/JpegCodec.h"
#include "platform/FrenchFormats.h"
#include "storage/Contexte.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QDateEdit>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QVBoxLayout>

#include <limits>

namespace
{
const QSize szNuancier(200, 200);
const QSize szBarre(30, 200);

QLabel *LegendeVerticale(const QString &cTexte, QWidget *Parent)
{
    QStringList Lettres;
    for (QChar c : cTexte)
        Lettres << QString(c);
    auto *l = new QLabel(Lettres.join(QLatin1Char('\n')), Parent);
    l->setAlignment(Qt::AlignCenter);
    return l;
}

QComboBox *ListeOperateurs(const char *cNom, QWidget *Parent)
{
    auto *cb = new QComboBox(Parent);
    cb->setObjectName(QString::fromLatin1(cNom));
    for (int n = 0; n <= 6; ++n)
        cb->addItem(TexteOperateur(n));
    return cb;
}

QDateEdit *Date(const char *cNom, QWidget *Parent)
{
    auto *d = new QDateEdit(QDate::currentDate(), Parent);
    d->setObjectName(QString::fromLatin1(cNom));
    d->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    d->setCalendarPopup(true);
    return d;
}

QLineEdit *Edit(const char *cNom, QWidget *Parent)
{
    auto *e = new QLineEdit(Parent);
    e->setObjectName(QString::fromLatin1(cNom));
    return e;
}

QCheckBox *Case(const QString &cTexte, const char *cNom, QWidget *Parent)
{
    auto *c = new QCheckBox(cTexte, Parent);
    c->setObjectName(QString::fromLatin1(cNom));
    return c;
}

QSlider *Curseur(const char *cNom, int nMin, int nMax, int nPas, QWidget *Parent)
{
    auto *s = new QSlider(Qt::Horizontal, Parent);
    s->setObjectName(QString::fromLatin1(cNom));
    s->setRange(nMin, nMax);
    s->setTickInterval(nPas);
    s->setTickPosition(QSlider::TicksBelow);
    return s;
}

// Keeps a number edit to what its keys allow, typed or pasted.
void FiltreEdit(QLineEdit *e, TSaisie nGenre)
{
    QObject::connect(e, &QLineEdit::textEdited, e, [e, nGenre](const QString &c) {
        const QString f = FiltreSaisie(c, nGenre);
        if (f != c) {
            const int n = e->cursorPosition() - static_cast<int>(c.size() - f.size());
            e->setText(f);
            e->setCursorPosition(std::max(0, n));
        }
    });
}

qint64 Taille(const QLineEdit *e)
{
    bool ok = false;
    const qint64 n = e->text().toLongLong(&ok);
    if (ok)
        return n;
    return e->text().isEmpty() ? 0 : std::numeric_limits<qint64>::max();
}

// The pattern files with their picture, decoded once and reduced, and their date.
class TDelegueMotifs : public QStyledItemDelegate
{
public:
    TDelegueMotifs(const QString &cDossier, QObject *Parent) : QStyledItemDelegate(Parent), m_cDossier(cDossier) {}
    QSize sizeHint(const QStyleOptionViewItem &o, const QModelIndex &) const override
    {
        return QSize(o.rect.width(), 34);
    }
    void paint(QPainter *p, const QStyleOptionViewItem &o, const QModelIndex &i) const override
    {
        const QString cNom = i.data().toString();
        const bool lActif = o.state & QStyle::State_Enabled;
        const bool lSel = o.state & QStyle::State_Selected;
        p->save();
        p->fillRect(o.rect, lSel ? o.palette.highlight() : o.palette.base());
        p->setPen(o.palette.mid().color());
        p->drawRect(o.rect.adjusted(0, 0, -1, -1));
        const int nCote = o.rect.height() - 2;
        const QImage &Image = Apercu(cNom, nCote);
        if (!Image.isNull()) {
            const QPoint pt(o.rect.left() + 1 + (nCote - Image.width()) / 2,
                            o.rect.top() + 1 + (nCote - Image.height()) / 2);
            p->drawImage(pt, Image);
        }
        const QColor Texte = !lActif ? o.palette.color(QPalette::Disabled, QPalette::Text)
                             : lSel  ? o.palette.highlightedText().color()
                                     : o.palette.text().color();
        p->setPen(Texte);
        const QFontMetrics fm(o.font);
        p->drawText(QPoint(o.rect.left() + 40, o.rect.top() + 2 + fm.ascent()), cNom);
        const QFileInfo f(m_cDossier + cNom);
        if (f.exists()) {
            p->setPen(Qt::gray);
            p->drawText(QPoint(o.rect.left() + 40, o.rect.top() + 16 + fm.ascent()),
                        FrenchFormats::DateHeure(f.lastModified()));
        }
        p->restore();
    }

private:
    QString m_cDossier;
    mutable QHash<QString, QImage> m_Apercus;

    const QImage &Apercu(const QString &cNom, int nCote) const
    {
        auto it = m_Apercus.find(cNom);
        if (it != m_Apercus.end())
            return *it;
        QImage Image;
        TTailleImage t;
        if (JpegCodec::LitTaille(m_cDossier + cNom, t)) {
            Image =
                JpegCodec::Decode(m_cDossier + cNom, JpegCodec::EchellePour(std::max(t.nLargeur, t.nHauteur), nCote));
            if (!Image.isNull())
                Image = Image.scaled(nCote, nCote, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        }
        return *m_Apercus.insert(cNom, Image);
    }
};

// The zone methods, each with a pictogram of the places it tries.
class TDelegueZones : public QStyledItemDelegate
{
public:
    TDelegueZones(const QCheckBox *Sym, QObject *Parent) : QStyledItemDelegate(Parent), m_Sym(Sym) {}
    QSize sizeHint(const QStyleOptionViewItem &o, const QModelIndex &) const override
    {
        return QSize(o.rect.width(), 29);
    }
    void paint(QPainter *p, const QStyleOptionViewItem &o, const QModelIndex &i) const override
    {
        const int nMeth = i.row();
        const bool lSel = o.state & QStyle::State_Selected;
        p->save();
        p->fillRect(o.rect, lSel ? o.palette.highlight() : o.palette.base());
        const QRect r(o.rect.left() + 3, o.rect.top() + 2, 34, 24);
        p->fillRect(r, Qt::white);
        p->setPen(Qt::black);
        p->drawRect(r.adjusted(0, 0, -1, -1));
        const QSize c(8, 6);
        const QRect ID(r.topLeft() + QPoint(5, 4), c);
        const QRect Centre(r.center() - QPoint(c.width() / 2, c.height() / 2), c);
        const QRect X(QPoint(r.right() - 5 - c.width(), ID.top()), c);
        const QRect Y(QPoint(ID.left(), r.bottom() - 4 - c.height()), c);
        const QRect XY(QPoint(X.left(), Y.top()), c);
        QList<QRect> Gris;
        if (nMeth == 2)
            Gris << Centre;
        if (nMeth == 3 || nMeth == 5)
            Gris << X;
        if (nMeth == 4 || nMeth == 5)
            Gris << Y;
        if (nMeth == 5)
            Gris << XY;
        QList<QRect> Carres = Gris;
        for (const QRect &g : Gris)
            p->fillRect(g, Qt::gray);
        const QRect Zone = nMeth == 0 ? Centre : ID;
        p->fillRect(Zone, Qt::red);
        Carres << Zone;
        if (nMeth == 0) {
            p->setPen(QPen(Qt::darkGreen, 1));
            for (const QPoint &d : {QPoint(-1, -1), QPoint(1, -1), QPoint(-1, 1), QPoint(1, 1)}) {
                const QPoint a = Zone.center() + QPoint(d.x() * 6, d.y() * 5);
                const QPoint b = a + QPoint(d.x() * 5, d.y() * 4);
                p->drawLine(a, b);
                p->drawLine(b, b - QPoint(d.x() * 3, 0));
                p->drawLine(b, b - QPoint(0, d.y() * 3));
            }
        }
        if (m_Sym && m_Sym->isChecked()) {
            p->setPen(QPen(Qt::blue, 1));
            for (const QRect &q : Carres)
                p->drawLine(q.center().x(), q.top() - 1, q.center().x(), q.bottom() + 1);
        }
        p->setPen(lSel ? o.palette.highlightedText().color() : o.palette.text().color());
        p->drawText(QRect(o.rect.left() + 42, o.rect.top(), o.rect.width() - 42, o.rect.height()),
                    Qt::AlignVCenter | Qt::AlignLeft, NomMethodeZone(nMeth));
        p->restore();
    }

private:
    const QCheckBox *m_Sym;
};
}

TSurfaceFiltre::TSurfaceFiltre(QWidget *Parent) : QWidget(Parent)
{
    setMouseTracking(true);
}

void TSurfaceFiltre::MetImage(const QImage &Image)
{
    m_Image = Image;
    setFixedSize(Image.size());
    update();
}

void TSurfaceFiltre::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawImage(0, 0, m_Image);
    if (fnDessus)
        fnDessus(p);
}

void TSurfaceFiltre::mousePressEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton)
        emit Presse(e->position().toPoint());
}

void TSurfaceFiltre::mouseMoveEvent(QMouseEvent *e)
{
    emit Deplace(e->position().toPoint());
}

void TSurfaceFiltre::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton)
        emit Relache(e->position().toPoint());
}

TfmFiltres::TfmFiltres(TContexte &Contexte, QWidget *Parent) : QDialog(Parent), m_Contexte(Contexte)
{
    setObjectName(QStringLiteral("fmFiltres"));
    setWindowTitle(QStringLiteral("Filtres"));
    setModal(true);
    m_lDescriptions = Contexte.Parametres.lTrtDescription;

    auto *Colonne = new QVBoxLayout(this);
    pcFiltres = new QTabWidget(this);
    pcFiltres->setObjectName(QStringLiteral("pcFiltres"));
    pcFiltres->addTab(CreePageGeneral(), QStringLiteral("Général"));
    pcFiltres->addTab(CreePageEXIF(), QStringLiteral("EXIF"));
    pcFiltres->addTab(CreePageIPTC(), QStringLiteral("IPTC"));
    pcFiltres->addTab(CreePageColorimetrie(), QStringLiteral("Colorimétrie"));
    pcFiltres->addTab(CreePageMotif(), QStringLiteral("Motif"));
    Colonne->addWidget(pcFiltres);
    CreeBas(Colonne);

    // Every control refreshes the captions, the OK button and the enabling rules.
    const auto Lie = [this](auto *w, auto Signal) { connect(w, Signal, this, [this] { Rafraichit(); }); };
    for (QCheckBox *c : findChildren<QCheckBox *>())
        Lie(c, &QCheckBox::toggled);
    for (QLineEdit *e : findChildren<QLineEdit *>())
        Lie(e, &QLineEdit::textChanged);
    for (QPlainTextEdit *m : findChildren<QPlainTextEdit *>())
        Lie(m, &QPlainTextEdit::textChanged);
    for (QComboBox *c : {cbOpFocale, cbOpVitesse, cbOpDiaphragme, cbOpISO, cbOpDatePDV, cbOpOriDate})
        connect(c, &QComboBox::currentIndexChanged, this, [this, c] {
            // The value follows the operator, and the focus with it when the list had it.
            if (c->currentIndex() != 0 && c->hasFocus() && !m_lRemplit) {
                QWidget *v = c == cbOpFocale       ? static_cast<QWidget *>(edFocale)
                             : c == cbOpVitesse    ? edVitesse
                             : c == cbOpDiaphragme ? edDiaphragme
                             : c == cbOpISO        ? edISO
                             : c == cbOpDatePDV    ? static_cast<QWidget *>(dtDatePDV)
                                                   : dtOriDate;
                Rafraichit();
                v->setFocus();
            }
            Rafraichit();
        });
    Lie(lbImages, &QListWidget::currentRowChanged);
    Lie(lbTypes, &QListWidget::itemChanged);
    connect(pcFiltres, &QTabWidget::currentChanged, this, [this] { Rafraichit(); });
    for (QSpinBox *s : {edColorimetrieValT, edColorimetrieValS, edColorimetrieValL})
        connect(s, &QSpinBox::valueChanged, this, [this] {
            imColorimetrieTS->update();
            imColorimetrieL->update();
        });
    for (QSlider *s : {tbColorimetrieTolerance, tbColorimetrieSeuil, tbMotifTolerance, tbMotifSeuil})
        Lie(s, &QSlider::valueChanged);
    connect(cbMotif, &QCheckBox::toggled, this, [this](bool l) {
        if (l && cbMotif->hasFocus())
            cbMotifNomFicImg->setFocus();
    });
    connect(cbModeles, &QCheckBox::toggled, this, [this](bool l) {
        if (l && cbModeles->hasFocus())
            edModeles->setFocus();
    });

    Rafraichit();
    setFixedSize(sizeHint());
}

TfmFiltres::~TfmFiltres() = default;

QWidget *TfmFiltres::CreePageGeneral()
{
    auto *Page = new QWidget;
    auto *Grille = new QGridLayout(Page);
    auto *gbImages = new QGroupBox(QStringLiteral("&Images"), Page);
    auto *li = new QVBoxLayout(gbImages);
    lbImages = new QListWidget(gbImages);
    lbImages->setObjectName(QStringLiteral("lbImages"));
    lbImages->addItems({QStringLiteral("TOUTES"), QStringLiteral("Coups de coeur"), QStringLiteral("avec Critères"),
                        QStringLiteral("sans Critère")});
    li->addWidget(lbImages);
    auto *gbTypes = new QGroupBox(QStringLiteral("&Types"), Page);
    auto *lt = new QVBoxLayout(gbTypes);
    lbTypes = new QListWidget(gbTypes);
    lbTypes->setObjectName(QStringLiteral("lbTypes"));
    for (const char *c : {"JPEG (.jpg, .jpeg)", "RAW (.crw, .nef, ..., .tif)", "PNG (.png)"}) {
        auto *Item = new QListWidgetItem(QString::fromUtf8(c), lbTypes);
        Item->setFlags(Item->flags() | Qt::ItemIsUserCheckable);
        Item->setCheckState(Qt::Checked);
    }
    lt->addWidget(lbTypes);
    for (QListWidget *l : {lbImages, lbTypes})
        l->setFixedHeight(4 * l->sizeHintForRow(0) + 2 * l->frameWidth() + 4);
    gbImages->setTitle(QStringLiteral("&Images"));
    Grille->addWidget(gbImages, 0, 0);
    Grille->addWidget(gbTypes, 0, 1);

    const QString cBulleModeles = QStringLiteral("Modèles de fichiers (plusieurs possibles) ; ex : * ou img*");
    cbModeles = Case(QStringLiteral("correspondant aux &Modèles"), "cbModeles", Page);
    edModeles = Edit("edModeles", Page);
    cbModeles->setToolTip(cBulleModeles);
    edModeles->setToolTip(cBulleModeles);
    connect(edModeles, &QLineEdit::textEdited, edModeles, [this](const QString &c) {
        if (c.contains(QLatin1Char('.'))) {
            const int n = edModeles->cursorPosition() - static_cast<int>(c.count(QLatin1Char('.')));
            edModeles->setText(FiltreModeles(c));
            edModeles->setCursorPosition(std::max(0, n));
        }
    });
    cbTailleInf = Case(QStringLiteral("Inférieure à (octets)"), "cbTailleInf", Page);
    edTailleInf = Edit("edTailleInf", Page);
    cbTailleSup = Case(QStringLiteral("Supérieure à (octets)"), "cbTailleSup", Page);
    edTailleSup = Edit("edTailleSup", Page);
    FiltreEdit(edTailleInf, TSaisie::Entier);
    FiltreEdit(edTailleSup, TSaisie::Entier);
    cbDateAnt = Case(QStringLiteral("Antérieure au"), "cbDateAnt", Page);
    dtDateAnt = Date("dtDateAnt", Page);
    cbDatePst = Case(QStringLiteral("Postérieure au"), "cbDatePst", Page);
    dtDatePst = Date("dtDatePst", Page);
    cbDescription = Case(QStringLiteral("&Description"), "cbDescription", Page);
    edDescription = Edit("edDescription", Page);
    const QString cBulleDesc = QStringLiteral("<SG>%1</SG/> - min/maj indifférentes - utilisation d'un modèle possible")
                                   .arg(QStringLiteral("Description"));
    cbDescription->setToolTip(cBulleDesc);
    edDescription->setToolTip(cBulleDesc);
    int nLigne = 1;
    for (auto [c, w] : std::initializer_list<std::pair<QCheckBox *, QWidget *>>{{cbModeles, edModeles},
                                                                                {cbTailleInf, edTailleInf},
                                                                                {cbTailleSup, edTailleSup},
                                                                                {cbDateAnt, dtDateAnt},
                                                                                {cbDatePst, dtDatePst},
                                                                                {cbDescription, edDescription}}) {
        Grille->addWidget(c, nLigne, 0);
        Grille->addWidget(w, nLigne++, 1);
    }
    Grille->setRowStretch(nLigne, 1);
    return Page;
}

QWidget *TfmFiltres::CreePageEXIF()
{
    auto *Page = new QWidget;
    auto *Grille = new QGridLayout(Page);
    cbAppareil = new QComboBox(Page);
    cbAppareil->setObjectName(QStringLiteral("cbAppareil"));
    cbAppareil->setEditable(true);
    cbAppareil->setInsertPolicy(QComboBox::NoInsert);
    cbAppareil->setToolTip(QStringLiteral("Appareil - min/maj indifférentes - utilisation d'un modèle possible"));
    connect(cbAppareil, &QComboBox::currentTextChanged, this, [this] { Rafraichit(); });
    Grille->addWidget(new QLabel(QStringLiteral("Appareil"), Page), 0, 0);
    Grille->addWidget(cbAppareil, 0, 1, 1, 2);

    cbOpFocale = ListeOperateurs("cbOpFocale", Page);
    edFocale = Edit("edFocale", Page);
    cbOpVitesse = ListeOperateurs("cbOpVitesse", Page);
    edVitesse = Edit("edVitesse", Page);
    cbOpDiaphragme = ListeOperateurs("cbOpDiaphragme", Page);
    edDiaphragme = Edit("edDiaphragme", Page);
    cbOpISO = ListeOperateurs("cbOpISO", Page);
    edISO = Edit("edISO", Page);
    cbOpDatePDV = ListeOperateurs("cbOpDatePDV", Page);
    dtDatePDV = Date("dtDatePDV", Page);
    FiltreEdit(edFocale, TSaisie::Decimal);
    FiltreEdit(edDiaphragme, TSaisie::Decimal);
    FiltreEdit(edVitesse, TSaisie::Vitesse);
    FiltreEdit(edISO, TSaisie::Entier);
    int nLigne = 1;
    for (auto [cNom, cBulle, cb, w] :
         std::initializer_list<std::tuple<const char *, const char *, QComboBox *, QWidget *>>{
             {"Focale", "Focale (en mm)", cbOpFocale, edFocale},
             {"Vitesse", "Vitesse (de la forme 1/n)", cbOpVitesse, edVitesse},
             {"Diaphragme", "Diaphragme", cbOpDiaphragme, edDiaphragme},
             {"ISO", "Sensibilité ISO", cbOpISO, edISO},
             {"Date", "Date (de prise de vue)", cbOpDatePDV, dtDatePDV}}) {
        Grille->addWidget(new QLabel(QString::fromUtf8(cNom), Page), nLigne, 0);
        Grille->addWidget(cb, nLigne, 1);
        Grille->addWidget(w, nLigne++, 2);
        cb->setToolTip(QString::fromUtf8(cBulle));
        w->setToolTip(QString::fromUtf8(cBulle));
    }
    edCommentaire = Edit("edCommentaire", Page);
    edCommentaire->setToolTip(
        QStringLiteral("Commentaire - min/maj indifférentes - utilisation du '*' terminal possible"));
    Grille->addWidget(new QLabel(QStringLiteral("Commentaire"), Page), nLigne, 0);
    Grille->addWidget(edCommentaire, nLigne++, 1, 1, 2);
    Grille->setRowStretch(nLigne, 1);
    Grille->setColumnStretch(2, 1);
    return Page;
}

QWidget *TfmFiltres::CreePageIPTC()
{
    auto *Page = new QWidget;
    auto *Colonne = new QVBoxLayout(Page);
    pcIPTC = new QTabWidget(Page);
    pcIPTC->setObjectName(QStringLiteral("pcIPTC"));
    Colonne->addWidget(pcIPTC);
    auto Formulaire = [](QWidget *p, std::initializer_list<std::pair<const char *, QWidget *>> Lignes) {
        auto *g = new QGridLayout(p);
        int n = 0;
        for (auto [c, w] : Lignes) {
            g->addWidget(new QLabel(QString::fromUtf8(c), p), n, 0, Qt::AlignTop);
            g->addWidget(w, n++, 1);
        }
        g->setRowStretch(n, 1);
        return g;
    };

    auto *Legende = new QWidget;
    edLegTitre = Edit("edLegTitre", Legende);
    mmLegTexte = new QPlainTextEdit(Legende);
    mmLegTexte->setObjectName(QStringLiteral("mmLegTexte"));
    mmLegTexte->installEventFilter(this);
    edLegCopyright = Edit("edLegCopyright", Legende);
    edLegAuteur = Edit("edLegAuteur", Legende);
    Formulaire(Legende,
               {{"Titre", edLegTitre}, {"Texte", mmLegTexte}, {"Copyright", edLegCopyright}, {"Auteur", edLegAuteur}});
    pcIPTC->addTab(Legende, QStringLiteral("Légende"));

    auto *MotsCles = new QWidget;
    mmMC = new QPlainTextEdit(MotsCles);
    mmMC->setObjectName(QStringLiteral("mmMC"));
    Formulaire(MotsCles, {{"Mots-clés", mmMC}});
    pcIPTC->addTab(MotsCles, QStringLiteral("Mots-clés"));

    auto *Categorie = new QWidget;
    edCatCat = Edit("edCatCat", Categorie);
    mmCatSuppl = new QPlainTextEdit(Categorie);
    mmCatSuppl->setObjectName(QStringLiteral("mmCatSuppl"));
    Formulaire(Categorie, {{"Catégorie", edCatCat}, {"Catégories supplémentaires", mmCatSuppl}});
    pcIPTC->addTab(Categorie, QStringLiteral("Catégorie"));

    auto *Origine = new QWidget;
    auto *lo = new QHBoxLayout(Origine);
    auto *gbOri = new QGroupBox(QStringLiteral("Origine"), Origine);
    edOriNom = Edit("edOriNom", gbOri);
    cbOpOriDate = ListeOperateurs("cbOpOriDate", gbOri);
    dtOriDate = Date("dtOriDate", gbOri);
    auto *Date = new QWidget(gbOri);
    auto *ld = new QHBoxLayout(Date);
    ld->setContentsMargins(0, 0, 0, 0);
    ld->addWidget(cbOpOriDate);
    ld->addWidget(dtOriDate, 1);
    edOriVille = Edit("edOriVille", gbOri);
    edOriEtat = Edit("edOriEtat", gbOri);
    edOriPays = Edit("edOriPays", gbOri);
    Formulaire(gbOri,
               {{"Nom", edOriNom}, {"Date", Date}, {"Ville", edOriVille}, {"Etat", edOriEtat}, {"Pays", edOriPays}});
    auto *gbCrd = new QGroupBox(QStringLiteral("Crédits"), Origine);
    edCrdCredits = Edit("edCrdCredits", gbCrd);
    edCrdSource = Edit("edCrdSource", gbCrd);
    Formulaire(gbCrd, {{"Crédits", edCrdCredits}, {"Source", edCrdSource}});
    lo->addWidget(gbOri, 3);
    lo->addWidget(gbCrd, 2);
    pcIPTC->addTab(Origine, QStringLiteral("Crédits, Origine"));
    connect(pcIPTC, &QTabWidget::currentChanged, this, [this] { Rafraichit(); });
    return Page;
}

QWidget *TfmFiltres::CreePageColorimetrie()
{
    auto *Page = new QWidget;
    auto *Grille = new QGridLayout(Page);
    imColorimetrieTS = new TSurfaceFiltre(Page);
    imColorimetrieTS->setObjectName(QStringLiteral("imColorimetrieTS"));
    imColorimetrieTS->MetImage(DessineNuancier(szNuancier));
    imColorimetrieL = new TSurfaceFiltre(Page);
    imColorimetrieL->setObjectName(QStringLiteral("imColorimetrieL"));
    imColorimetrieL->MetImage(DessineBarre(szBarre));
    auto *lblTeinte = new QLabel(QStringLiteral("Teinte"), Page);
    lblTeinte->setAlignment(Qt::AlignCenter);
    Grille->addWidget(lblTeinte, 0, 1);
    Grille->addWidget(LegendeVerticale(QStringLiteral("Saturation"), Page), 1, 0);
    Grille->addWidget(imColorimetrieTS, 1, 1);
    Grille->addWidget(imColorimetrieL, 1, 2);
    Grille->addWidget(LegendeVerticale(QStringLiteral("Luminosité"), Page), 1, 3);

    auto Spin = [Page](const char *cNom) {
        auto *s = new QSpinBox(Page);
        s->setObjectName(QString::fromLatin1(cNom));
        s->setRange(0, 239);
        s->setSingleStep(8);
        return s;
    };
    edColorimetrieValT = Spin("edColorimetrieValT");
    edColorimetrieValS = Spin("edColorimetrieValS");
    edColorimetrieValL = Spin("edColorimetrieValL");
    auto *Valeurs = new QGridLayout;
    int n = 0;
    for (auto [c, s] : std::initializer_list<std::pair<const char *, QSpinBox *>>{
             {"Teinte", edColorimetrieValT}, {"Satur.", edColorimetrieValS}, {"Lumin.", edColorimetrieValL}}) {
        Valeurs->addWidget(new QLabel(QString::fromUtf8(c), Page), n, 0);
        Valeurs->addWidget(s, n++, 1);
    }
    auto *gbCanaux = new QGroupBox(QStringLiteral("Filtrer la colorimétrie sur la..."), Page);
    auto *lc = new QVBoxLayout(gbCanaux);
    cbColorimetrieT = Case(QStringLiteral("Teinte"), "cbColorimetrieT", gbCanaux);
    cbColorimetrieS = Case(QStringLiteral("Saturation"), "cbColorimetrieS", gbCanaux);
    cbColorimetrieL = Case(QStringLiteral("Luminosité"), "cbColorimetrieL", gbCanaux);
    for (QCheckBox *c : {cbColorimetrieT, cbColorimetrieS, cbColorimetrieL})
        lc->addWidget(c);
    Valeurs->addWidget(gbCanaux, n++, 0, 1, 2);
    Valeurs->setRowStretch(n, 1);
    Grille->addLayout(Valeurs, 1, 4);

    tbColorimetrieTolerance = Curseur("tbColorimetrieTolerance", 8, 128, 4, Page);
    tbColorimetrieTolerance->setToolTip(
        QStringLiteral("différence de teinte/saturation/luminosité maximale admise entre un pixel et les valeurs "
                       "saisies <SG>(8 à 128)</SG/>"));
    tbColorimetrieSeuil = Curseur("tbColorimetrieSeuil", 10, 100, 5, Page);
    tbColorimetrieSeuil->setToolTip(QStringLiteral(
        "pourcentage minimum de pixels semblables pour rendre une image éligible <SG>(10 à 100%)</SG/>"));
    lblColorimetrieTolerance = new QLabel(Page);
    lblColorimetrieSeuil = new QLabel(Page);
    Grille->addWidget(lblColorimetrieTolerance, 2, 0, 1, 2);
    Grille->addWidget(tbColorimetrieTolerance, 3, 0, 1, 5);
    Grille->addWidget(lblColorimetrieSeuil, 4, 0, 1, 2);
    Grille->addWidget(tbColorimetrieSeuil, 5, 0, 1, 5);
    Grille->setColumnStretch(4, 1);

    // The markers are drawn over the pictures at each repaint: one place, one ellipse.
    const QColor Vert(0, 128, 0);
    imColorimetrieTS->fnDessus = [this, Vert](QPainter &p) {
        p.setPen(Vert);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(MarqueNuancier(edColorimetrieValT->value(), edColorimetrieValS->value(), szNuancier));
    };
    imColorimetrieL->fnDessus = [this, Vert](QPainter &p) {
        p.setPen(Vert);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(MarqueBarre(edColorimetrieValL->value(), szBarre));
    };
    auto ClicTS = [this](const QPoint &pt) {
        const auto [T, S] = ClicNuancier(pt, szNuancier);
        edColorimetrieValT->setValue(T);
        edColorimetrieValS->setValue(S);
    };
    connect(imColorimetrieTS, &TSurfaceFiltre::Presse, this, ClicTS);
    connect(imColorimetrieL, &TSurfaceFiltre::Presse, this,
            [this](const QPoint &pt) { edColorimetrieValL->setValue(ClicBarre(pt.y(), szBarre)); });
    return Page;
}

QWidget *TfmFiltres::CreePageMotif()
{
    auto *Page = new QWidget;
    auto *Grille = new QGridLayout(Page);
    cbMotif = Case(QStringLiteral("Filtrer sur le Motif"), "cbMotif", Page);
    Grille->addWidget(cbMotif, 0, 0, 1, 2);

    sbMotif = new QScrollArea(Page);
    sbMotif->setObjectName(QStringLiteral("sbMotif"));
    sbMotif->setFixedSize(180, 180);
    sbMotif->setAlignment(Qt::AlignCenter);
    imMotif = new TSurfaceFiltre;
    imMotif->setObjectName(QStringLiteral("imMotif"));
    imMotif->MetImage(MotifVide(palette().color(QPalette::Button)));
    sbMotif->setWidget(imMotif);
    Grille->addWidget(sbMotif, 1, 0, 6, 1);
    imMotif->fnDessus = [this](QPainter &p) {
        if (!m_Zone.lDefinie)
            return;
        p.setPen(Qt::red);
        p.setBrush(Qt::NoBrush);
        // A 1-pixel pen outlines one pixel beyond a rectangle's right and bottom: the outline then
        // falls on the zone's own last column and row.
        p.drawRect(QRect(QPoint(m_Zone.nGauche, m_Zone.nHaut), QPoint(m_Zone.nDroite - 1, m_Zone.nBas - 1)));
    };
    connect(imMotif, &TSurfaceFiltre::Presse, this, [this](const QPoint &pt) { MotifSouris(0, pt); });
    connect(imMotif, &TSurfaceFiltre::Deplace, this, [this](const QPoint &pt) { MotifSouris(1, pt); });
    connect(imMotif, &TSurfaceFiltre::Relache, this, [this](const QPoint &pt) { MotifSouris(2, pt); });

    lblMotifNomFicImg = new QLabel(QStringLiteral("Image"), Page);
    cbMotifNomFicImg = new QComboBox(Page);
    cbMotifNomFicImg->setObjectName(QStringLiteral("cbMotifNomFicImg"));
    cbMotifNomFicImg->setItemDelegate(new TDelegueMotifs(m_Contexte.Dossiers.cDossierMotifs, cbMotifNomFicImg));
    cbMotifNomFicImg->setMinimumWidth(260);
    connect(cbMotifNomFicImg, &QComboBox::activated, this,
            [this](int n) { ChargeMotifNom(cbMotifNomFicImg->itemText(n)); });
    btMotifPrendsImageCourante = new QPushButton(QStringLiteral("..."), Page);
    btMotifPrendsImageCourante->setObjectName(QStringLiteral("btMotifPrendsImageCourante"));
    btMotifPrendsImageCourante->setToolTip(QStringLiteral("Prendre l'image courante comme motif"));
    connect(btMotifPrendsImageCourante, &QPushButton::clicked, this, &TfmFiltres::btMotifPrendsImageCouranteClick);
    auto *lImg = new QHBoxLayout;
    lImg->addWidget(lblMotifNomFicImg);
    lImg->addWidget(cbMotifNomFicImg, 1);
    lImg->addWidget(btMotifPrendsImageCourante);
    Grille->addLayout(lImg, 1, 1);

    cbMotifRechSym = Case(QStringLiteral("Chercher aussi le symétrique"), "cbMotifRechSym", Page);
    Grille->addWidget(cbMotifRechSym, 2, 1);
    lblMotifMethRechZone = new QLabel(QStringLiteral("Méthode de recherche de la Zone"), Page);
    cbMotifMethRechZone = new QComboBox(Page);
    cbMotifMethRechZone->setObjectName(QStringLiteral("cbMotifMethRechZone"));
    cbMotifMethRechZone->setItemDelegate(new TDelegueZones(cbMotifRechSym, cbMotifMethRechZone));
    for (int n = 0; n <= 5; ++n)
        cbMotifMethRechZone->addItem(NomMethodeZone(n));
    connect(cbMotifRechSym, &QCheckBox::toggled, cbMotifMethRechZone->view(), [this] {
        cbMotifMethRechZone->view()->viewport()->update();
        cbMotifMethRechZone->update();
    });
    Grille->addWidget(lblMotifMethRechZone, 3, 1);
    Grille->addWidget(cbMotifMethRechZone, 4, 1);

    gbMotifMethRechPix = new QGroupBox(QStringLiteral("Méthode de recherche des Pixels"), Page);
    auto *lp = new QHBoxLayout(gbMotifMethRechPix);
    cbMotifMethRechPixT = Case(QStringLiteral("Teinte"), "cbMotifMethRechPixT", gbMotifMethRechPix);
    cbMotifMethRechPixS = Case(QStringLiteral("Saturation"), "cbMotifMethRechPixS", gbMotifMethRechPix);
    cbMotifMethRechPixL = Case(QStringLiteral("Luminosité"), "cbMotifMethRechPixL", gbMotifMethRechPix);
    for (QCheckBox *c : {cbMotifMethRechPixT, cbMotifMethRechPixS, cbMotifMethRechPixL})
        lp->addWidget(c);
    Grille->addWidget(gbMotifMethRechPix, 5, 1);

    tbMotifTolerance = Curseur("tbMotifTolerance", 8, 128, 4, Page);
    tbMotifTolerance->setToolTip(
        QStringLiteral("pour le même pixel, différence de teinte/saturation/luminosité maximale admise entre 2 "
                       "images <SG>(8 à 128)</SG/>"));
    tbMotifSeuil = Curseur("tbMotifSeuil", 10, 100, 5, Page);
    tbMotifSeuil->setToolTip(QStringLiteral(
        "pourcentage minimum de pixels semblables pour rendre une image éligible <SG>(10 à 100%)</SG/>"));
    lblMotifTolerance = new QLabel(Page);
    lblMotifSeuil = new QLabel(Page);
    Grille->addWidget(lblMotifTolerance, 7, 0, 1, 2);
    Grille->addWidget(tbMotifTolerance, 8, 0, 1, 2);
    Grille->addWidget(lblMotifSeuil, 9, 0, 1, 2);
    Grille->addWidget(tbMotifSeuil, 10, 0, 1, 2);
    Grille->setColumnStretch(1, 1);
    return Page;
}

void TfmFiltres::CreeBas(QVBoxLayout *Colonne)
{
    auto *gbSauves = new QGroupBox(QStringLiteral("Filtres &enregistrés"), this);
    auto *ls = new QHBoxLayout(gbSauves);
    cbFiltresEnregistres = new QComboBox(gbSauves);
    cbFiltresEnregistres->setObjectName(QStringLiteral("cbFiltresEnregistres"));
    cbFiltresEnregistres->setEditable(true);
    cbFiltresEnregistres->setInsertPolicy(QComboBox::NoInsert);
    cbFiltresEnregistres->setToolTip(QStringLiteral("Nom du Filtre"));
    ls->addWidget(cbFiltresEnregistres, 1);
    auto Plat = [gbSauves, ls](const char *cNom, const char *cTexte) {
        auto *b = new QPushButton(QString::fromUtf8(cTexte), gbSauves);
        b->setObjectName(QString::fromLatin1(cNom));
        b->setFlat(true);
        b->setEnabled(false);
        ls->addWidget(b);
        return b;
    };
    btRstFiltres = Plat("btRstFiltres", "Restaurer le Filtre");
    btSvgFiltres = Plat("btSvgFiltres", "Sauvegarder le Filtre");
    btSupprFiltres = Plat("btSupprFiltres", "Supprimer le Filtre");
    connect(btRstFiltres, &QPushButton::clicked, this, &TfmFiltres::btRstFiltresClick);
    connect(btSvgFiltres, &QPushButton::clicked, this, &TfmFiltres::btSvgFiltresClick);
    connect(btSupprFiltres, &QPushButton::clicked, this, &TfmFiltres::btSupprFiltresClick);
    connect(cbFiltresEnregistres, &QComboBox::currentTextChanged, this, [this] { RafraichitSauves(); });
    Colonne->addWidget(gbSauves);

    cbLanceRechAprValid =
        Case(QStringLiteral("&Lancer la Recherche après la validation du Filtre"), "cbLanceRechAprValid", this);
    Colonne->addWidget(cbLanceRechAprValid);

    auto *lb = new QHBoxLayout;
    btPasDeFiltre = new QPushButton(QStringLiteral("&Pas de filtre"), this);
    btPasDeFiltre->setObjectName(QStringLiteral("btPasDeFiltre"));
    pmPasDeFiltre = new QMenu(btPasDeFiltre);
    pmPasDeFiltre->setObjectName(QStringLiteral("pmPasDeFiltre"));
    const char *const cEntrees[] = {"&Général", "&EXIF", "&IPTC", "sur la &Colorimétrie", "sur le &Motif"};
    for (int n = 0; n < 5; ++n)
        connect(pmPasDeFiltre->addAction(QString::fromUtf8(cEntrees[n])), &QAction::triggered, this,
                [this, n] { PasDeFiltre(n); });
    pmPasDeFiltre->addSeparator();
    connect(pmPasDeFiltre->addAction(QStringLiteral("du &tout")), &QAction::triggered, this,
            [this] { PasDeFiltre(5); });
    connect(btPasDeFiltre, &QPushButton::clicked, this,
            [this] { pmPasDeFiltre->popup(btPasDeFiltre->mapToGlobal(QPoint(0, btPasDeFiltre->height()))); });
    btAide = new QPushButton(QStringLiteral("Aide"), this);
    btAide->setObjectName(QStringLiteral("btAide"));
    // The help pages come with the help window; until then the topic is only kept.
    btAide->setEnabled(false);
    btOK = new QPushButton(QStringLiteral("OK"), this);
    btOK->setObjectName(QStringLiteral("btOK"));
    btOK->setDefault(true);
    btAnnuler = new QPushButton(QStringLiteral("Annuler"), this);
    btAnnuler->setObjectName(QStringLiteral("btAnnuler"));
    connect(btOK, &QPushButton::clicked, this, &TfmFiltres::btOKClick);
    connect(btAnnuler, &QPushButton::clicked, this, &QDialog::reject);
    lb->addWidget(btPasDeFiltre);
    lb->addStretch(1);
    lb->addWidget(btAide);
    lb->addWidget(btOK);
    lb->addWidget(btAnnuler);
    Colonne->addLayout(lb);
}

void TfmFiltres::Montre(const TEnrFiltres &Enr, bool lRecherche, bool lModeMAJ, const TImageCouranteFiltre &Courante)
{
    m_lRecherche = lRecherche;
    m_lModeMAJ = lModeMAJ;
    m_Courante = Courante;
    cbLanceRechAprValid->setEnabled(lRecherche);
    cbLanceRechAprValid->setChecked(false);
    lbImages->setEnabled(!lRecherche);
    cbDescription->setVisible(m_lDescriptions);
    edDescription->setVisible(m_lDescriptions);

    m_lRemplit = true;
    cbFiltresEnregistres->clear();
    cbFiltresEnregistres->addItems(NomsFiltresSauves(*m_Contexte.iniSetup));
    cbFiltresEnregistres->setCurrentIndex(-1);
    cbFiltresEnregistres->setEditText(QString());

    cbAppareil->clear();
    for (const QString &c : m_Contexte.Appareils)
        cbAppareil->addItem(c);
    cbAppareil->setCurrentIndex(-1);
    ListeMotifsDossier();
    m_lRemplit = false;

    const TEtatEditeur e = EtatDepuisEnr(Enr);
    MetEtat(e);
    pcFiltres->setCurrentIndex(e.nPageFiltres);
    pcIPTC->setCurrentIndex(e.nPageIPTC);
    lbTypes->setCurrentRow(0);
    Rafraichit();
}

void TfmFiltres::MetEtat(const TEtatEditeur &e)
{
    m_lRemplit = true;
    lbImages->setCurrentRow(e.nImages);
    const bool lTypes[] = {e.lJPEG, e.lRAW, e.lPNG};
    for (int n = 0; n < 3; ++n)
        lbTypes->item(n)->setCheckState(lTypes[n] ? Qt::Checked : Qt::Unchecked);
    cbModeles->setChecked(e.lModeles);
    edModeles->setText(e.cModeles);
    cbTailleInf->setChecked(e.lTailleInf);
    edTailleInf->setText(QString::number(e.nTailleInf));
    cbTailleSup->setChecked(e.lTailleSup);
    edTailleSup->setText(QString::number(e.nTailleSup));
    cbDateAnt->setChecked(e.lDateAnt);
    dtDateAnt->setDate(e.dDateAnt);
    cbDatePst->setChecked(e.lDatePst);
    dtDatePst->setDate(e.dDatePst);
    cbDescription->setChecked(e.lDescription);
    edDescription->setText(e.cDescription);

    cbAppareil->setEditText(e.cFAppareil);
    cbOpFocale->setCurrentIndex(e.nOpFocale);
    edFocale->setText(e.cFFocale);
    cbOpVitesse->setCurrentIndex(e.nOpVitesse);
    edVitesse->setText(e.cFVitesse);
    cbOpDiaphragme->setCurrentIndex(e.nOpDiaphragme);
    edDiaphragme->setText(e.cFDiaphragme);
    cbOpISO->setCurrentIndex(e.nOpISO);
    edISO->setText(e.cFISO);
    cbOpDatePDV->setCurrentIndex(e.nOpDatePDV);
    dtDatePDV->setDate(e.dFDatePDV);
    edCommentaire->setText(e.cFCommentaire);

    edLegTitre->setText(e.cFTitre);
    mmLegTexte->setPlainText(e.cFTexte);
    edLegCopyright->setText(e.cFCopyright);
    edLegAuteur->setText(e.cFAuteur);
    mmMC->setPlainText(e.cMemoMotsCles);
    edCatCat->setText(e.cFCategorie);
    mmCatSuppl->setPlainText(e.cMemoCatSuppl);
    edCrdCredits->setText(e.cFCredits);
    edCrdSource->setText(e.cFSource);
    edOriNom->setText(e.cFOriNom);
    cbOpOriDate->setCurrentIndex(e.nOpOriDate);
    dtOriDate->setDate(e.dOriDate);
    edOriVille->setText(e.cFOriVille);
    edOriEtat->setText(e.cFOriEtat);
    edOriPays->setText(e.cFOriPays);

    edColorimetrieValT->setValue(e.nTeinte);
    edColorimetrieValS->setValue(e.nSaturation);
    edColorimetrieValL->setValue(e.nLuminosite);
    cbColorimetrieT->setChecked(e.lColT);
    cbColorimetrieS->setChecked(e.lColS);
    cbColorimetrieL->setChecked(e.lColL);
    tbColorimetrieTolerance->setValue(e.nTolColorimetrie);
    tbColorimetrieSeuil->setValue(e.nSeuilColorimetrie);

    cbMotif->setChecked(e.lMotif);
    if (e.cMotif != m_cMotif || m_ImageMotif.isNull() != e.cMotif.isEmpty())
        ChargeMotifNom(e.cMotif);
    cbMotifRechSym->setChecked(e.lMotifSym);
    cbMotifMethRechZone->setCurrentIndex(e.nMethZoneMotif);
    cbMotifMethRechPixT->setChecked(e.lPixT);
    cbMotifMethRechPixS->setChecked(e.lPixS);
    cbMotifMethRechPixL->setChecked(e.lPixL);
    tbMotifTolerance->setValue(e.nTolMotif);
    tbMotifSeuil->setValue(e.nSeuilMotif);
    // A zone is kept only on a loaded pattern, and only within it.
    TZoneMotif z = e.Zone;
    z.lGlisse = false;
    if (m_cMotif.isEmpty())
        z.lDefinie = false;
    z.Borne(m_ImageMotif.size());
    MetZone(z);
    m_lRemplit = false;
    imColorimetrieTS->update();
    imColorimetrieL->update();
    Rafraichit();
}

TEtatEditeur TfmFiltres::Etat() const
{
    TEtatEditeur e;
    e.nPageFiltres = pcFiltres->currentIndex();
    e.nPageIPTC = pcIPTC->currentIndex();
    e.nImages = std::max(0, lbImages->currentRow());
    e.lJPEG = lbTypes->item(0)->checkState() == Qt::Checked;
    e.lRAW = lbTypes->item(1)->checkState() == Qt::Checked;
    e.lPNG = lbTypes->item(2)->checkState() == Qt::Checked;
    e.lModeles = cbModeles->isChecked();
    e.cModeles = edModeles->text();
    e.lTailleInf = cbTailleInf->isChecked();
    e.nTailleInf = Taille(edTailleInf);
    e.lTailleSup = cbTailleSup->isChecked();
    e.nTailleSup = Taille(edTailleSup);
    e.lDateAnt = cbDateAnt->isChecked();
    e.dDateAnt = dtDateAnt->date();
    e.lDatePst = cbDatePst->isChecked();
    e.dDatePst = dtDatePst->date();
    e.lDescription = cbDescription->isChecked();
    e.cDescription = edDescription->text();

    e.cFAppareil = cbAppareil->currentText();
    e.nOpFocale = cbOpFocale->currentIndex();
    e.cFFocale = edFocale->text();
    e.nOpVitesse = cbOpVitesse->currentIndex();
    e.cFVitesse = edVitesse->text();
    e.nOpDiaphragme = cbOpDiaphragme->currentIndex();
    e.cFDiaphragme = edDiaphragme->text();
    e.nOpISO = cbOpISO->currentIndex();
    e.cFISO = edISO->text();
    e.nOpDatePDV = cbOpDatePDV->currentIndex();
    e.dFDatePDV = dtDatePDV->date();
    e.cFCommentaire = edCommentaire->text();

    e.cFTitre = edLegTitre->text();
    e.cFTexte = mmLegTexte->toPlainText();
    e.cFCopyright = edLegCopyright->text();
    e.cFAuteur = edLegAuteur->text();
    e.cMemoMotsCles = mmMC->toPlainText();
    e.cFCategorie = edCatCat->text();
    e.cMemoCatSuppl = mmCatSuppl->toPlainText();
    e.cFCredits = edCrdCredits->text();
    e.cFSource = edCrdSource->text();
    e.cFOriNom = edOriNom->text();
    e.nOpOriDate = cbOpOriDate->currentIndex();
    e.dOriDate = dtOriDate->date();
    e.cFOriVille = edOriVille->text();
    e.cFOriEtat = edOriEtat->text();
    e.cFOriPays = edOriPays->text();

    e.nTeinte = edColorimetrieValT->value();
    e.nSaturation = edColorimetrieValS->value();
    e.nLuminosite = edColorimetrieValL->value();
    e.lColT = cbColorimetrieT->isChecked();
    e.lColS = cbColorimetrieS->isChecked();
    e.lColL = cbColorimetrieL->isChecked();
    e.nTolColorimetrie = tbColorimetrieTolerance->value();
    e.nSeuilColorimetrie = tbColorimetrieSeuil->value();

    e.lMotif = cbMotif->isChecked();
    e.cMotif = m_cMotif;
    e.lMotifSym = cbMotifRechSym->isChecked();
    e.nMethZoneMotif = std::max(0, cbMotifMethRechZone->currentIndex());
    e.lPixT = cbMotifMethRechPixT->isChecked();
    e.lPixS = cbMotifMethRechPixS->isChecked();
    e.lPixL = cbMotifMethRechPixL->isChecked();
    e.nTolMotif = tbMotifTolerance->value();
    e.nSeuilMotif = tbMotifSeuil->value();
    e.Zone = m_Zone;
    return e;
}

int TfmFiltres::SujetAide() const
{
    const int n = pcFiltres->currentIndex();
    return n == 3 ? 71 : n == 4 ? 72 : 70;
}

bool TfmFiltres::LanceRecherche() const
{
    return cbLanceRechAprValid->isEnabled() && cbLanceRechAprValid->isChecked();
}

void TfmFiltres::Rafraichit()
{
    if (m_lRemplit)
        return;
    const TEtatEditeur e = Etat();
    const TEtoiles t = Etoiles(e, m_lRecherche, m_lDescriptions);
    pcFiltres->setTabText(0, Titre(QStringLiteral("Général"), t.lGeneral));
    pcFiltres->setTabText(1, Titre(QStringLiteral("EXIF"), t.lEXIF));
    pcFiltres->setTabText(2, Titre(QStringLiteral("IPTC"), t.lIPTC));
    pcFiltres->setTabText(3, Titre(QStringLiteral("Colorimétrie"), t.lColorimetrie));
    pcFiltres->setTabText(4, Titre(QStringLiteral("Motif"), t.lMotif));
    pcIPTC->setTabText(0, Titre(QStringLiteral("Légende"), t.lLegende));
    pcIPTC->setTabText(1, Titre(QStringLiteral("Mots-clés"), t.lMotsCles));
    pcIPTC->setTabText(2, Titre(QStringLiteral("Catégorie"), t.lCategorie));
    pcIPTC->setTabText(3, Titre(QStringLiteral("Crédits, Origine"), t.lCreditsOrigine));
    btOK->setEnabled(OKPermis(e, m_lDescriptions));
    setProperty("nSujetAide", SujetAide());

    edModeles->setEnabled(e.lModeles);
    edTailleInf->setEnabled(e.lTailleInf);
    edTailleSup->setEnabled(e.lTailleSup);
    dtDateAnt->setEnabled(e.lDateAnt);
    dtDatePst->setEnabled(e.lDatePst);
    edDescription->setEnabled(e.lDescription);
    edFocale->setEnabled(e.nOpFocale != 0);
    edVitesse->setEnabled(e.nOpVitesse != 0);
    edDiaphragme->setEnabled(e.nOpDiaphragme != 0);
    edISO->setEnabled(e.nOpISO != 0);
    dtDatePDV->setEnabled(e.nOpDatePDV != 0);
    dtOriDate->setEnabled(e.nOpOriDate != 0);

    lblColorimetrieTolerance->setText(QStringLiteral("Tolérance = %1").arg(e.nTolColorimetrie));
    lblColorimetrieSeuil->setText(QStringLiteral("Seuil = %1% de pixels ok").arg(e.nSeuilColorimetrie));
    lblMotifTolerance->setText(QStringLiteral("Tolérance = %1").arg(e.nTolMotif));
    lblMotifSeuil->setText(QStringLiteral("Seuil = %1% de pixels ok").arg(e.nSeuilMotif));

    // The Motif enabling rule.
    const bool lMotif = e.lMotif;
    for (QWidget *w : std::initializer_list<QWidget *>{imMotif, sbMotif, cbMotifNomFicImg, lblMotifNomFicImg,
                                                       cbMotifRechSym, gbMotifMethRechPix, tbMotifTolerance,
                                                       tbMotifSeuil, lblMotifTolerance, lblMotifSeuil})
        w->setEnabled(lMotif);
    btMotifPrendsImageCourante->setEnabled(lMotif && m_Courante.lDisponible);
    cbMotifMethRechZone->setEnabled(lMotif && m_Zone.lDefinie);
    lblMotifMethRechZone->setEnabled(lMotif && m_Zone.lDefinie);
    RafraichitSauves();
}

void TfmFiltres::RafraichitSauves()
{
    const QString cNom = cbFiltresEnregistres->currentText().trimmed();
    const int n = cbFiltresEnregistres->findText(cNom, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (n >= 0 && n != cbFiltresEnregistres->currentIndex()) {
        const QSignalBlocker b(cbFiltresEnregistres);
        const QString cTexte = cbFiltresEnregistres->currentText();
        cbFiltresEnregistres->setCurrentIndex(n);
        cbFiltresEnregistres->setEditText(cTexte);
    }
    btRstFiltres->setEnabled(n >= 0);
    btSvgFiltres->setEnabled(m_lModeMAJ && !cNom.isEmpty());
    btSupprFiltres->setEnabled(m_lModeMAJ && n >= 0);
}

void TfmFiltres::ListeMotifsDossier()
{
    m_Motifs = ListeMotifs(m_Contexte.Dossiers.cDossierMotifs);
    const QSignalBlocker b(cbMotifNomFicImg);
    cbMotifNomFicImg->clear();
    cbMotifNomFicImg->addItems(m_Motifs);
    cbMotifNomFicImg->setCurrentIndex(-1);
}

void TfmFiltres::SelectionneMotif(const QString &cNom)
{
    const QSignalBlocker b(cbMotifNomFicImg);
    if (cNom.isEmpty()) {
        cbMotifNomFicImg->setCurrentIndex(-1);
        return;
    }
    int n = cbMotifNomFicImg->findText(cNom, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (n < 0) {
        m_Motifs << cNom;
        std::sort(m_Motifs.begin(), m_Motifs.end(),
                  [](const QString &a, const QString &b) { return FrenchFormats::Compare(a, b) < 0; });
        n = static_cast<int>(m_Motifs.indexOf(cNom));
        cbMotifNomFicImg->insertItem(n, cNom);
    }
    cbMotifNomFicImg->setCurrentIndex(n);
}

void TfmFiltres::ChargeMotifNom(const QString &cNom)
{
    const std::optional<QImage> Image = ChargeMotif(m_Contexte.Dossiers.cDossierMotifs, cNom);
    if (Image) {
        m_ImageMotif = *Image;
        m_cMotif = cNom;
    } else {
        m_ImageMotif = QImage();
        m_cMotif.clear();
    }
    imMotif->MetImage(Image ? *Image : MotifVide(palette().color(QPalette::Button)));
    SelectionneMotif(m_cMotif);
    MetZone(TZoneMotif());
    Rafraichit();
}

void TfmFiltres::MetZone(const TZoneMotif &z)
{
    m_Zone = z;
    imMotif->update();
}

void TfmFiltres::MotifSouris(int nGenre, const QPoint &pt)
{
    if (m_cMotif.isEmpty() || !cbMotif->isChecked())
        return;
    if (nGenre == 0) {
        m_Zone.Presse(pt);
    } else if (nGenre == 1) {
        if (const std::optional<QPoint> Vers = m_Zone.Deplace(pt))
            QCursor::setPos(imMotif->mapToGlobal(*Vers));
    } else {
        m_Zone.Relache(m_ImageMotif.size());
        Rafraichit();
    }
    imMotif->update();
    CurseurZone();
}

void TfmFiltres::CurseurZone()
{
    static const Qt::CursorShape Formes[] = {
        Qt::ArrowCursor,        Qt::SizeFDiagCursor, Qt::SizeVerCursor,   Qt::SizeBDiagCursor, Qt::SizeHorCursor,
        Qt::PointingHandCursor, Qt::SizeHorCursor,   Qt::SizeBDiagCursor, Qt::SizeVerCursor,   Qt::SizeFDiagCursor};
    imMotif->setCursor(Formes[std::clamp(m_Zone.nCode, 0, 9)]);
}

void TfmFiltres::btMotifPrendsImageCouranteClick()
{
    if (!m_Courante.lDisponible || !m_Courante.fnVignette)
        return;
    const QImage Image = ImagePriseCommeMotif(m_Courante.fnVignette());
    if (Image.isNull())
        return;
    QString cErreur;
    const std::optional<QString> cNom =
        EcritMotif(Image, m_Contexte.Dossiers.cDossierMotifs, m_Courante.cFichier, &cErreur);
    if (!cNom) {
        MessagesDe(m_Contexte)
            .Erreur(this, QStringLiteral("Le motif n'a pas pu être enregistré dans « %1 » : %2")
                              .arg(m_Contexte.Dossiers.cDossierMotifs, cErreur));
        return;
    }
    // The file written is the picture shown, so that the zone means the same in both.
    m_ImageMotif = Image;
    m_cMotif = *cNom;
    imMotif->MetImage(Image);
    SelectionneMotif(m_cMotif);
    MetZone(TZoneMotif());
    Rafraichit();
}

void TfmFiltres::PasDeFiltre(int nPage)
{
    TEtatEditeur e = Etat();
    if (nPage == 0 || nPage == 5)
        RAZGeneral(e);
    if (nPage == 1 || nPage == 5)
        RAZEXIF(e);
    if (nPage == 2 || nPage == 5)
        RAZIPTC(e);
    if (nPage == 3 || nPage == 5)
        RAZColorimetrie(e);
    if (nPage == 4 || nPage == 5)
        RAZMotif(e);
    MetEtat(e);
    if ((nPage == 0 || nPage == 5) && pcFiltres->currentIndex() == 0)
        (m_lRecherche ? static_cast<QWidget *>(lbTypes) : lbImages)->setFocus();
}

void TfmFiltres::btOKClick()
{
    const TEtatEditeur e = Etat();
    if (!OKPermis(e, m_lDescriptions))
        return;
    m_Resultat = EnrDepuisEtat(e, m_lDescriptions);
    accept();
}

void TfmFiltres::btRstFiltresClick()
{
    const QString cNom = cbFiltresEnregistres->currentText().trimmed();
    IMessages &Messages = MessagesDe(m_Contexte);
    if (!Messages.Question(this, QStringLiteral("Restaurer le filtre '%1' ?").arg(cNom)))
        return;
    TEtatEditeur e = Etat();
    if (!RestaureFiltre(*m_Contexte.iniSetup, cNom, e)) {
        Messages.Erreur(this, QStringLiteral("Le filtre '%1' est illisible : il n'a pas été restauré.").arg(cNom));
        return;
    }
    // The pattern is loaded by name, then the zone put back on it.
    const TZoneMotif Zone = e.Zone;
    ChargeMotifNom(e.cMotif);
    e.cMotif = m_cMotif;
    e.Zone = Zone;
    MetEtat(e);
}

void TfmFiltres::btSvgFiltresClick()
{
    const QString cNom = cbFiltresEnregistres->currentText().trimmed();
    if (cNom.isEmpty() || !m_lModeMAJ)
        return;
    IMessages &Messages = MessagesDe(m_Contexte);
    if (!Messages.Question(this, QStringLiteral("Sauvegarder le filtre '%1' ?").arg(cNom)))
        return;
    if (!SauveFiltre(*m_Contexte.iniSetup, cNom, Etat(), m_lDescriptions))
        Messages.Erreur(this, QStringLiteral("%1 : %2").arg(m_Contexte.iniSetup->FileName(),
                                                            m_Contexte.iniSetup->DerniereErreur()));
    // Kept in memory when the file could not be written: listed all the same.
    if (cbFiltresEnregistres->findText(cNom, Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0) {
        const QSignalBlocker b(cbFiltresEnregistres);
        const QStringList Noms = NomsFiltresSauves(*m_Contexte.iniSetup);
        cbFiltresEnregistres->clear();
        cbFiltresEnregistres->addItems(Noms);
        cbFiltresEnregistres->setCurrentIndex(static_cast<int>(Noms.indexOf(cNom)));
    }
    RafraichitSauves();
}

void TfmFiltres::btSupprFiltresClick()
{
    const QString cNom = cbFiltresEnregistres->currentText().trimmed();
    const int n = cbFiltresEnregistres->findText(cNom, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (n < 0 || !m_lModeMAJ)
        return;
    IMessages &Messages = MessagesDe(m_Contexte);
    if (!Messages.Question(this, QStringLiteral("Supprimer le filtre '%1' ?").arg(cNom)))
        return;
    if (!SupprimeFiltre(*m_Contexte.iniSetup, cNom))
        Messages.Erreur(this, QStringLiteral("%1 : %2").arg(m_Contexte.iniSetup->FileName(),
                                                            m_Contexte.iniSetup->DerniereErreur()));
    {
        const QSignalBlocker b(cbFiltresEnregistres);
        cbFiltresEnregistres->removeItem(n);
        if (cbFiltresEnregistres->count() == 0)
            cbFiltresEnregistres->setEditText(QString());
    }
    RafraichitSauves();
}

void TfmFiltres::showEvent(QShowEvent *Evenement)
{
    QDialog::showEvent(Evenement);
    cbMotifNomFicImg->view()->setMinimumWidth(width());
    if (QScreen *Ecran = screen())
        move(Ecran->availableGeometry().center() - rect().center());
}

bool TfmFiltres::eventFilter(QObject *Objet, QEvent *Evenement)
{
    if (Objet == mmLegTexte && Evenement->type() == QEvent::KeyPress) {
        const int nTouche = static_cast<QKeyEvent *>(Evenement)->key();
        if (nTouche == Qt::Key_Return || nTouche == Qt::Key_Enter)
            return true;
    }
    return QDialog::eventFilter(Objet, Evenement);
}
