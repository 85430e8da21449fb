#include "publishing/GenerationAlbumWEB.h"

#include "classification/ArboCriteres.h"
#include "exploration/ModeleListe.h"
#include "imaging/ChargeImage.h"
#include "imaging/FileKinds.h"
#include "imaging/JpegCodec.h"
#include "metadata/CacheMeta.h"
#include "metadata/LectureMeta.h"
#include "platform/Volumes.h"
#include "publishing/BulleAlbumWEB.h"
#include "publishing/FichiersAlbumWEB.h"
#include "publishing/HierarchieAlbumWEB.h"
#include "publishing/MiseEnPageAlbumWEB.h"
#include "publishing/PagesAlbumWEB.h"
#include "storage/BigIniFiles.h"
#include "storage/Descriptions.h"
#include "thumbnails/ThumbnailCache.h"

#include <QFile>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QSet>
#include <QThread>
#include <QThreadPool>

#include <atomic>
#include <deque>
#include <future>
#include <memory>
#include <sys/stat.h>

namespace
{
// ---- The fixed pictures ----

QImage FondBlanc(int w, int h)
{
    QImage Image(w, h, QImage::Format_RGB32);
    Image.fill(Qt::white);
    return Image;
}

// A navigation button: a filled triangle pointing left or right, with a bar beside it for the
// first and last.
QImage Bouton(bool lGauche, bool lBarre)
{
    QImage Image = FondBlanc(30, 30);
    QPainter p(&Image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x20, 0x40, 0x80), 1));
    p.setBrush(QColor(0x40, 0x70, 0xC0));
    p.drawRoundedRect(QRectF(1.5, 1.5, 27, 27), 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    QPainterPath Fleche;
    if (lGauche) {
        Fleche.moveTo(20, 8);
        Fleche.lineTo(9, 15);
        Fleche.lineTo(20, 22);
    } else {
        Fleche.moveTo(10, 8);
        Fleche.lineTo(21, 15);
        Fleche.lineTo(10, 22);
    }
    Fleche.closeSubpath();
    p.drawPath(Fleche);
    if (lBarre)
        p.drawRect(lGauche ? QRectF(6, 8, 2.5, 14) : QRectF(21.5, 8, 2.5, 14));
    return Image;
}

// A folder icon, its flap lifted when open.
QImage Dossier(bool lOuvert)
{
    QImage Image = FondBlanc(16, 13);
    QPainter p(&Image);
    p.setPen(QColor(0x80, 0x60, 0x00));
    p.setBrush(QColor(0xF0, 0xD0, 0x60));
    p.drawRect(1, 1, 6, 2);
    p.drawRect(1, 3, 13, 8);
    if (lOuvert) {
        p.setBrush(QColor(0xFF, 0xE8, 0x90));
        const QPointF Rabat[] = {{3.5, 5.5}, {15.5, 5.5}, {13.5, 11.5}, {1.5, 11.5}};
        p.drawPolygon(Rabat, 4);
    }
    return Image;
}

// ---- Reading the sources ----

bool ATrtsParDefaut(const TBigIniFile &iniSetup, bool lOrientationAuto, const QString &cCle,
                    const QString &cOrientation)
{
    for (const QString &cSection : cSectionsTraitements)
        if (iniSetup.ValueExists(cSection, cCle))
            return true;
    // No orientation read is no turn to make.
    return lOrientationAuto && !cOrientation.isEmpty() && cOrientation != QLatin1String("1");
}

// The legend sources in the order of the window's list; "la description" only while
// descriptions are in use.
enum TSourceLegende { slBase, slDescription, slEXIF, slIPTC };

TSourceLegende SourceLegende(int nIndex, bool lTrtDescription)
{
    const QList<TSourceLegende> Liste = lTrtDescription ? QList<TSourceLegende>{slBase, slDescription, slEXIF, slIPTC}
                                                        : QList<TSourceLegende>{slBase, slEXIF, slIPTC};
    return Liste.value(nIndex, slBase);
}

QString Legende(const TEnrLV &Enr, const TOptionsAlbumWEB &O, const TParamsAlbumWEB &P)
{
    if (O.nAWContAlbum == caVignettesSeules || !O.lAWAffLegende)
        return {};
    switch (SourceLegende(O.lAWTypeLegende, P.lTrtDescription)) {
    case slBase: return P.iniSetup ? P.iniSetup->ReadString(cSectionLegendes, Enr.Cle(), {}) : QString();
    case slDescription:
        return P.pDescriptions ? P.pDescriptions->DescriptionImage(Enr.nNumCD, Enr.cChemin, 0) : QString();
    case slEXIF: return Enr.cCommentaire;
    case slIPTC: return Enr.cTexte;
    }
    return {};
}

TParamsBulleAlbumWEB ParamsBulle(const TEnrLV &Enr, const TParamsAlbumWEB &P)
{
    TParamsBulleAlbumWEB B;
    B.lHintAffEXIF = P.lHintAffEXIF;
    B.lHintAffIPTC = P.lHintAffIPTC;
    if (Enr.nNumCD != 0) {
        B.cIdVolume = IdVolume(static_cast<quint32>(Enr.nNumCD));
        if (P.iniSetup)
            B.cLabelCD = P.iniSetup->ReadString(cSectionLabelsCD, B.cIdVolume, {});
    }
    return B;
}

TParamsVignettes ParamsVignettes(const TParamsAlbumWEB &P)
{
    TParamsVignettes V;
    V.cDossierVignettes = P.cDossierVignettes;
    V.nD = P.nTailleVignette;
    V.lLireVigDsTHM = P.lLireVigDsTHM;
    return V;
}

TImageVignette ImageDeCle(const TLecteursCD &Lecteurs, const TEnrLST &l)
{
    TImageVignette Image;
    Image.nNumCD = l.nVolume;
    Image.cChemin = l.cChemin;
    QString cLecteur;
    Image.lExiste = LecteurDeCle(Lecteurs, l.nVolume, l.cChemin, cLecteur);
    if (cLecteur.endsWith(QLatin1Char('/')))
        cLecteur.chop(1);
    Image.cLecteur = cLecteur;
    return Image;
}

// The thumbnail file exists in the cache.
bool VignetteEnCache(const TBigIniFile &iniSetup, const TParamsAlbumWEB &P, const TImageVignette &Image)
{
    return !PrepareVignette(iniSetup, ParamsVignettes(P), Image).lManquante;
}

std::optional<qint64> DateNs(const QString &cFichier)
{
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(cFichier).constData(), &st) != 0)
        return std::nullopt;
    return qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

// ---- One entry of a page ----

struct TEntree
{
    AlbumWEB::TEnrImgSel Sel;
    TVignetteCompacte VignetteCache; // the thumbnail as bytes (main list, cache)
    bool lTrtVignette = false;       // treatments still to apply to the thumbnail
    bool lTrts = false;              // the image has treatments or an automatic orientation
};

// What a worker makes of an entry: the bytes of its two files.
struct TFichiersEntree
{
    QByteArray Vignette;
    QByteArray Image; // empty with lCopie: the source is copied
    bool lCopie = false;
    bool lAbandonne = false;
};

struct TTacheEntree
{
    TEntree Entree;
    int nContenu = 0;
    std::optional<int> nMax;
    int nD = 160;
    bool lLireVigDsTHM = true;
    std::function<void(QImage &, const QString &, const QString &)> AppliqueTrts;
};

// The largest JPEG reduction (1/8, 1/4, 1/2) whose decoding still covers the written size.
int EchelleCouvrant(qint64 w, qint64 h, QSize Cible)
{
    for (int s : {8, 4, 2})
        if ((w + s - 1) / s >= Cible.width() && (h + s - 1) / s >= Cible.height())
            return s;
    return 1;
}

QImage ChargePleine(const TTacheEntree &t, QSize Cible)
{
    const TEnrLV &Enr = t.Entree.Sel.EnrLV;
    const QString cFichier = Enr.CheminComplet();
    try {
        if (EstJPEG(cFichier) && Enr.nLargeur > 0 && Enr.nHauteur > 0) {
            QString cErreur;
            QImage Image = JpegCodec::Decode(cFichier, EchelleCouvrant(Enr.nLargeur, Enr.nHauteur, Cible), &cErreur);
            if (!Image.isNull())
                return Image;
        }
        return ChargeImage(cFichier, false, t.nD, t.lLireVigDsTHM).Image;
    } catch (const EImageIllisible &) {
        return {};
    }
}

TFichiersEntree FaitFichiers(const TTacheEntree &t)
{
    TFichiersEntree f;
    const TEntree &e = t.Entree;
    const QString cCle = e.Sel.EnrLV.Cle();
    if (t.nContenu != caImagesSeules) {
        QImage Vignette = e.Sel.imVignette.isNull() ? e.VignetteCache.Decode() : e.Sel.imVignette;
        if (!Vignette.isNull() && e.lTrtVignette && t.AppliqueTrts)
            t.AppliqueTrts(Vignette, cCle, e.Sel.EnrLV.cOrientation);
        if (!Vignette.isNull())
            f.Vignette = JpegCodec::EncodeMemoire(Vignette, 100);
    }
    if (t.nContenu == caVignettesSeules)
        return f;

    const TEnrLV &Enr = e.Sel.EnrLV;
    const bool lReduite = ReductionAlbumWEB(int(Enr.nLargeur), int(Enr.nHauteur), t.nMax);
    if (!e.lTrts && !EstAutreImage(Enr.cChemin) && !lReduite) {
        f.lCopie = true;
        return f;
    }
    const QSize Cible = TailleReduiteAlbumWEB(int(Enr.nLargeur), int(Enr.nHauteur), t.nMax);
    QImage Image = e.Sel.imImage;
    if (Image.isNull()) {
        Image = ChargePleine(t, Cible);
        const QSize Decodee = Image.size();
        if (!Image.isNull() && e.lTrts && t.AppliqueTrts)
            t.AppliqueTrts(Image, cCle, Enr.cOrientation);
        if (Image.isNull())
            Image = ImageErreur(t.nD);
        else if (lReduite) {
            // A quarter turn exchanges the sides of the size to reach.
            const bool lTourne = Decodee.width() != Decodee.height() && Image.size() == Decodee.transposed();
            const QSize Taille = lTourne ? Cible.transposed() : Cible;
            if (Image.size() != Taille)
                Image = Image.scaled(Taille, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
    } else if (lReduite) {
        const QSize Taille = TailleReduiteAlbumWEB(Image.width(), Image.height(), t.nMax);
        if (Image.size() != Taille)
            Image = Image.scaled(Taille, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    f.Image = JpegCodec::EncodeMemoire(Image, 90);
    return f;
}

// Runs the entries' work on a pool, a few entries ahead of the one the pages have reached, and
// hands the results back in order.
class TFileEntrees
{
public:
    TFileEntrees(const QList<TEntree> &Entrees, const TOptionsAlbumWEB &O, const TParamsAlbumWEB &P)
        : m_Entrees(Entrees), m_lAnnule(std::make_shared<std::atomic<bool>>(false))
    {
        m_nFils = P.nFils > 0 ? P.nFils : std::max(1, QThread::idealThreadCount());
        m_Pool.setMaxThreadCount(m_nFils);
        m_Modele.nContenu = O.nAWContAlbum;
        m_Modele.nMax = O.TailleMax();
        m_Modele.nD = P.nTailleVignette;
        m_Modele.lLireVigDsTHM = P.lLireVigDsTHM;
        m_Modele.AppliqueTrts = P.AppliqueTrts;
    }
    ~TFileEntrees()
    {
        m_lAnnule->store(true);
        m_Pool.waitForDone();
    }

    TFichiersEntree Suivant()
    {
        const size_t nAvance = static_cast<size_t>(m_nFils) * 2 + 2;
        while (m_nSoumis < m_Entrees.size() && m_File.size() < nAvance) {
            auto Promesse = std::make_shared<std::promise<TFichiersEntree>>();
            m_File.push_back(Promesse->get_future());
            TTacheEntree t = m_Modele;
            t.Entree = m_Entrees[m_nSoumis++];
            m_Pool.start([Promesse, t = std::move(t), lAnnule = m_lAnnule]() {
                TFichiersEntree f;
                if (lAnnule->load())
                    f.lAbandonne = true;
                else
                    f = FaitFichiers(t);
                Promesse->set_value(std::move(f));
            });
        }
        std::future<TFichiersEntree> Futur = std::move(m_File.front());
        m_File.pop_front();
        return Futur.get();
    }

private:
    const QList<TEntree> &m_Entrees;
    std::shared_ptr<std::atomic<bool>> m_lAnnule;
    QThreadPool m_Pool;
    int m_nFils = 1;
    TTacheEntree m_Modele;
    qsizetype m_nSoumis = 0;
    std::deque<std::future<TFichiersEntree>> m_File;
};

// ---- The generation ----

class TGenerateur
{
public:
    TGenerateur(const TSourceDonneesAW &Source, const TOptionsAlbumWEB &O, const TParamsAlbumWEB &P)
        : S(Source), O(O), P(P), m_lHier(EstHierarchique(Source.nSource)), m_Dossier(O.cAWDossierAlbum)
    {
        if (P.pVolumes)
            m_pLecteurs = std::make_unique<TLecteursCD>(*P.pVolumes);
    }

    TBilanAlbumWEB Genere();

private:
    bool Ecrit(const QString &cRelatif, const QByteArray &Donnees, std::optional<qint64> nDateNs = {})
    {
        if (m_Dossier.EcritFichier(cRelatif, Donnees, nDateNs))
            return true;
        B.cErreur = m_Dossier.Erreur();
        return false;
    }
    bool EcritPage(const QString &cRelatif, const QStringList &Lignes)
    {
        return Ecrit(cRelatif, OctetsPageAlbumWEB(Lignes));
    }
    bool EcritImages(const QStringList &Noms, const QList<QImage> &Images)
    {
        for (qsizetype i = 0; i < Noms.size(); ++i)
            if (!Ecrit(Noms[i], JpegCodec::EncodeMemoire(Images[i], 100)))
                return false;
        return true;
    }

    QList<TEntree> EntreesPlates();
    QList<TEntree> EntreesNoeud(const TEnrAWH &Noeud);
    bool GenereNoeud(const QString &cChemin, const QList<TEntree> &Entrees, const QString &cPrefixe);
    void Avance();

    const TSourceDonneesAW &S;
    const TOptionsAlbumWEB &O;
    const TParamsAlbumWEB &P;
    const bool m_lHier;
    TDossierAlbumWEB m_Dossier;
    std::unique_ptr<TLecteursCD> m_pLecteurs;
    TBilanAlbumWEB B;
    qint64 m_nPosition = 0;
    qint64 m_nMaximum = 0;
    QString m_cPremiereNoeud; // first image written in the node being generated
};

QList<TEntree> TGenerateur::EntreesPlates()
{
    QList<TEntree> Entrees;
    const bool lToutes = O.nAWContAlbum == caVignettesSeules;
    const auto Ajoute = [&](const TEnrLV &Enr, const QImage &imVignette, const TVignetteCompacte &Compacte,
                            const QString &cHint, const QImage &imImage) {
        TEntree e;
        e.Sel.EnrLV = Enr;
        e.Sel.imVignette = imVignette;
        e.VignetteCache = Compacte;
        e.Sel.imImage = imImage;
        e.Sel.cHint = cHint;
        e.Sel.cLegende = Legende(Enr, O, P);
        // An image album's picture is already treated: it is only re-encoded, not treated again.
        e.lTrts = P.iniSetup
                  && (P.ATrts ? P.ATrts(Enr.Cle(), Enr.cOrientation)
                              : ATrtsParDefaut(*P.iniSetup, P.lOrientationAuto, Enr.Cle(), Enr.cOrientation));
        Entrees.append(std::move(e));
    };
    if (S.nSource == saImagesCochees) {
        if (!S.pModele)
            return Entrees;
        for (int i = 0; i < S.pModele->Nombre(); ++i) {
            const TEnrLV &Enr = S.pModele->Enr(i);
            if (!S.pModele->Coche(i) || Enr.lIllisible || !(lToutes || Enr.lExiste))
                continue;
            TVignetteCompacte Vignette = S.pModele->Vignette(i);
            // A row whose thumbnail the grid has not loaded yet takes it from the cache.
            if (Vignette.Vide() && O.nAWContAlbum != caImagesSeules && P.iniSetup) {
                TImageVignette Image;
                Image.nNumCD = Enr.nNumCD;
                Image.cLecteur = Enr.cLecteur;
                Image.cChemin = Enr.cChemin;
                Image.lExiste = Enr.lExiste;
                bool lModifie = false;
                Vignette = FaitVignette(*P.iniSetup, ParamsVignettes(P), Image, {}, lModifie).Vignette;
            }
            Ajoute(Enr, {}, Vignette, TexteBulleAlbumWEB(Enr, ParamsBulle(Enr, P)), {});
        }
    } else {
        for (const TEnrLstAW &l : S.lstImages)
            if (lToutes || l.EnrLV.lExiste)
                Ajoute(l.EnrLV, l.imVignette, {}, l.cHint, S.nSource == saAlbumImages ? l.imImage : QImage());
    }
    return Entrees;
}

QList<TEntree> TGenerateur::EntreesNoeud(const TEnrAWH &Noeud)
{
    QList<TEntree> Entrees;
    if (!m_pLecteurs || !P.iniSetup)
        return Entrees;
    const TParamsVignettes PV = ParamsVignettes(P);
    const int nContenu = O.nAWContAlbum;

    struct TPris
    {
        TTravailVignette Travail;
        TEntree Entree;
        bool lGarde = false;
    };
    QList<TPris> Pris;
    for (const TEnrLST &l : Noeud.lstImgs) {
        const TImageVignette Image = ImageDeCle(*m_pLecteurs, l);
        TTravailVignette Travail = PrepareVignette(*P.iniSetup, PV, Image);
        if (!Image.lExiste && !(nContenu == caVignettesSeules && !Travail.lManquante))
            continue;
        TPris p;
        p.Travail = std::move(Travail);
        Pris.append(std::move(p));
    }

    const auto Dimensions = [&](TPris &p, TTailleImage Taille) {
        const TImageVignette &Image = p.Travail.Image;
        if (Taille.Vide() && Image.lExiste) {
            try {
                Taille = ChargeImage(Image.CheminComplet(), true, P.nTailleVignette, P.lLireVigDsTHM).Taille;
            } catch (const EImageIllisible &) {
            }
        }
        if (Taille.Vide())
            return false;
        p.Entree.Sel.EnrLV.nLargeur = Taille.nLargeur;
        p.Entree.Sel.EnrLV.nHauteur = Taille.nHauteur;
        return true;
    };

    if (nContenu != caImagesSeules) {
        TPiloteVignettes Pilote;
        Pilote.nFils = P.nFils;
        Pilote.Prepare = [&](int i) { return Pris[i].Travail; };
        Pilote.Applique = [&](int i, const TTravailVignette &t, TResultatVignette &r) {
            if (r.lIllisible || r.Vignette.Vide())
                return;
            EcritDonneesVignette(*P.iniSetup, t, r, {});
            Pris[i].Entree.VignetteCache = r.Vignette;
            Pris[i].lGarde = Dimensions(Pris[i], r.Resolution);
        };
        ChargeVignettesEnOrdre(int(Pris.size()), Pilote);
    } else {
        for (TPris &p : Pris) {
            TTailleImage Taille;
            const TImageVignette &Image = p.Travail.Image;
            if (!(Image.lExiste && Image.nNumCD == 0 && p.Travail.lJPEG
                  && JpegCodec::LitTaille(Image.CheminComplet(), Taille)))
                Taille = p.Travail.ResolutionStockee;
            p.lGarde = Dimensions(p, Taille);
        }
    }

    for (TPris &p : Pris) {
        if (!p.lGarde)
            continue;
        const TImageVignette &Image = p.Travail.Image;
        TEnrLV &Enr = p.Entree.Sel.EnrLV;
        Enr.nNumCD = Image.nNumCD;
        Enr.cLecteur = Image.cLecteur;
        Enr.cChemin = Image.cChemin;
        Enr.lExiste = Image.lExiste;
        const QString cCle = Enr.Cle();
        if (Image.lExiste) {
            TailleEtDate(Image.CheminComplet(), Enr.nTaille, Enr.nDate);
            AppliqueMetaImage(LitMetaImage(Image.CheminComplet()), Enr, Enr, P.Focale);
        } else {
            LireEXIFCatalogue(*P.iniSetup, cCle, Enr, P.Focale);
            if (EstJPEG(Enr.cChemin))
                LireIPTCCatalogue(*P.iniSetup, cCle, Enr);
        }
        p.Entree.lTrts = P.ATrts ? P.ATrts(cCle, Enr.cOrientation)
                                 : ATrtsParDefaut(*P.iniSetup, P.lOrientationAuto, cCle, Enr.cOrientation);
        p.Entree.lTrtVignette = p.Entree.lTrts;
        p.Entree.Sel.cLegende = Legende(Enr, O, P);
        p.Entree.Sel.cHint = TexteBulleAlbumWEB(Enr, ParamsBulle(Enr, P));
        Entrees.append(std::move(p.Entree));
    }
    return Entrees;
}

void TGenerateur::Avance()
{
    P.Suivi.Position(++m_nPosition, m_nMaximum);
}

// Writes one node: its folders, its files row by row, its pages. False when a folder or a page
// could not be written (B.cErreur says which) or when the user stopped (B.lInterrompu).
bool TGenerateur::GenereNoeud(const QString &cChemin, const QList<TEntree> &Entrees, const QString &cPrefixe)
{
    const int nContenu = O.nAWContAlbum;
    const QString cDos = cChemin.isEmpty() ? QString() : cChemin + QLatin1Char('/');
    const QString cVig = cDos + QStringLiteral("Vignettes/");
    const QString cImg = cDos + QStringLiteral("Images/");
    const bool lVignettes = nContenu != caImagesSeules;
    const bool lImages = nContenu != caVignettesSeules;
    const bool lPageImage = nContenu == caVignettesEtLiens || nContenu == caFrames;

    bool lOk = true;
    if (Entrees.isEmpty())
        lOk = m_Dossier.CreeDossiers(cChemin);
    else
        lOk = (!lVignettes || m_Dossier.CreeDossiers(cVig.chopped(1)))
              && (!lImages || m_Dossier.CreeDossiers(cImg.chopped(1)));
    if (!lOk) {
        B.cErreur = m_Dossier.Erreur();
        return false;
    }

    const TMiseEnPageAlbumWEB M = MiseEnPageAlbumWEB(O, m_lHier, int(Entrees.size()));
    QStringList Table = TeteAlbumWEB(O.cAWNomFenCipale, O);
    Table << LigneTableAlbumWEB(O);
    QStringList NomsImages, Legendes;
    QList<TEntreeAlbumWEB> Cellules;
    QSet<QString> PrisVig, PrisImg;
    m_cPremiereNoeud.clear();

    TFileEntrees File(Entrees, O, P);
    qsizetype j = 0;
    for (const TLigneAlbumWEB &Ligne : M.Lignes) {
        for (int k = 0; k < Ligne.nNombre; ++k, ++j) {
            const TEntree &e = Entrees[j];
            const TFichiersEntree f = File.Suivant();
            const TEnrLV &Enr = e.Sel.EnrLV;
            TEntreeAlbumWEB c;
            bool lEchec = false;
            if (lVignettes) {
                c.cNomVignette =
                    NomFichierUnique(Enr.cChemin, [&](const QString &cNom) { return PrisVig.contains(cNom); });
                PrisVig.insert(c.cNomVignette);
                lEchec = f.Vignette.isEmpty() || !m_Dossier.EcritFichier(cVig + c.cNomVignette, f.Vignette);
            }
            if (lImages) {
                c.cNomImage =
                    NomFichierUnique(Enr.cChemin, [&](const QString &cNom) { return PrisImg.contains(cNom); });
                PrisImg.insert(c.cNomImage);
                bool lEcrite = false;
                if (f.lCopie)
                    lEcrite = m_Dossier.CopieFichier(Enr.CheminComplet(), cImg + c.cNomImage);
                else if (!f.Image.isEmpty())
                    lEcrite = m_Dossier.EcritFichier(cImg + c.cNomImage, f.Image, DateNs(Enr.CheminComplet()));
                if (lEcrite && m_cPremiereNoeud.isEmpty())
                    m_cPremiereNoeud = c.cNomImage;
                lEchec = lEchec || !lEcrite;
            }
            if (lEchec)
                ++B.nNonTraitees;
            c.cBulle = TexteBrut(e.Sel.cHint);
            c.cTexte = TexteDonneesAlbumWEB(Enr, O);
            c.cLegende = e.Sel.cLegende;
            NomsImages << c.cNomImage;
            Legendes << c.cLegende;
            Cellules << c;
            ++B.nImages;
        }
        Table << RangeeAlbumWEB(O, M, Ligne, Cellules);
        for (int k = 0; k < M.nCols; ++k)
            Avance();
        if (P.Suivi.Arret()) {
            B.lInterrompu = true;
            break;
        }
    }
    if (B.cPremiereImage.isEmpty())
        B.cPremiereImage = m_cPremiereNoeud;

    Table << QStringLiteral("</TABLE>") << PiedAlbumWEB();
    const QString cTable =
        cDos
        + (!m_lHier ? (nContenu == caFrames ? QStringLiteral("Vignettes.htm") : QStringLiteral("Index.htm"))
                    : (nContenu == caImagesSeules ? QStringLiteral("Image.htm") : QStringLiteral("Vignettes.htm")));
    if (!EcritPage(cTable, Table))
        return false;
    if (lPageImage) {
        QStringList Page = TeteAlbumWEB(O.cAWNomFenImgPE, O);
        if (!NomsImages.isEmpty())
            Page << ScriptImageAlbumWEB(NomsImages, Legendes, O.lAWAffLegende, cPrefixe);
        Page << PiedAlbumWEB();
        if (!EcritPage(cDos + QStringLiteral("Image.htm"), Page))
            return false;
    }
    if (!m_lHier && nContenu == caFrames
        && !EcritPage(QStringLiteral("Index.htm"), FramesetAlbumWEB(O, m_cPremiereNoeud, P.nTailleVignette)))
        return false;
    return !B.lInterrompu;
}

TBilanAlbumWEB TGenerateur::Genere()
{
    B.lRefuse = true;
    if (!m_Dossier.Ouvert()) {
        B.cErreur = m_Dossier.Erreur();
        return B;
    }
    const QString cErreurSource = ErreurSourceAlbumWEB(S);
    if (!cErreurSource.isEmpty()) {
        B.cErreur = cErreurSource;
        return B;
    }
    const int nContenu = O.nAWContAlbum;
    const bool lNavigation = nContenu == caVignettesEtLiens || nContenu == caFrames;

    QList<TEnrAWH> Noeuds;
    QList<TEntree> Plates;
    if (m_lHier) {
        Noeuds = ConstruireHierarchie(S, nContenu, P, m_Dossier.Chemin());
        B.cErreur = ErreurHierarchieAlbumWEB(Noeuds);
        if (!B.cErreur.isEmpty())
            return B;
        // A personal or criterion hierarchy lists keys whose files may be out of reach.
        if (S.nSource != saHierDossiers && m_pLecteurs && P.iniSetup)
            for (TEnrAWH &Noeud : Noeuds)
                Noeud.lstImgs.removeIf([&](const TEnrLST &l) {
                    const TImageVignette Image = ImageDeCle(*m_pLecteurs, l);
                    return !Image.lExiste && !(nContenu == caVignettesSeules && VignetteEnCache(*P.iniSetup, P, Image));
                });
        for (const TEnrAWH &Noeud : Noeuds)
            m_nMaximum += Noeud.lstImgs.size();
    } else {
        Plates = EntreesPlates();
        m_nMaximum = Plates.size();
    }
    B.lRefuse = false;
    m_nMaximum = qMax<qint64>(0, m_nMaximum - 1);

    if (m_lHier
        && !EcritImages({QStringLiteral("bmDossierF.jpg"), QStringLiteral("bmDossierO.jpg")}, IconesDossierAlbumWEB()))
        return B;
    if (lNavigation
        && !EcritImages({QStringLiteral("btPrem.jpg"), QStringLiteral("btPrec.jpg"), QStringLiteral("btSuiv.jpg"),
                         QStringLiteral("btDern.jpg")},
                        BoutonsNavigationAlbumWEB()))
        return B;
    P.Suivi.Position(0, m_nMaximum);

    if (!m_lHier) {
        GenereNoeud(QString(), Plates, QString());
        return B;
    }

    QStringList Premieres;
    for (const TEnrAWH &Noeud : std::as_const(Noeuds)) {
        if (B.lInterrompu || !B.cErreur.isEmpty()) {
            Premieres << QString();
            continue;
        }
        const QString cPrefixe = Noeud.cChemin.isEmpty()
                                     ? QString()
                                     : QStringLiteral("../").repeated(Noeud.cChemin.count(QLatin1Char('/')) + 1);
        const bool lOk = GenereNoeud(Noeud.cChemin, EntreesNoeud(Noeud), cPrefixe);
        Premieres << m_cPremiereNoeud;
        if (!lOk && !B.cErreur.isEmpty())
            return B;
    }
    // Written last, so that they name images that were written.
    if (!EcritPage(QStringLiteral("Hierarchie.htm"), PageHierarchieAlbumWEB(O, Noeuds, Premieres)))
        return B;
    EcritPage(QStringLiteral("Index.htm"),
              IndexHierarchieAlbumWEB(O, Noeuds.isEmpty() ? QString() : Noeuds.first().cChemin, Premieres.value(0),
                                      P.nTailleVignette));
    return B;
}
} // namespace

QString TBilanAlbumWEB::TexteNonTraitees() const
{
    if (nNonTraitees <= 0)
        return {};
    return QStringLiteral("%1 image(s) n'ont(a) pas été traitée(s).").arg(nNonTraitees);
}

QList<QImage> BoutonsNavigationAlbumWEB()
{
    return {Bouton(true, true), Bouton(true, false), Bouton(false, false), Bouton(false, true)};
}

QList<QImage> IconesDossierAlbumWEB()
{
    return {Dossier(false), Dossier(true)};
}

QList<TEnrAWH> ConstruireHierarchieCritere(const TBigIniFile &iniBDD, const TArboCriteres &Arbo,
                                           const QString &cCritere, bool lEtendRechCritEnf)
{
    QList<TEnrAWH> Noeuds;
    const TNoeudCritere *pHaut = Arbo.NoeudDeChemin(cCritere);
    if (!pHaut)
        return Noeuds;
    const QString cHaut = CheminCritere(*pHaut);
    const qsizetype nBarresHaut = cHaut.count(QLatin1Char('/'));
    QHash<QString, qsizetype> ParChemin;
    for (int i = pHaut->Index(); i < pHaut->Index() + pHaut->Taille(); ++i) {
        const TNoeudCritere *pNoeud = Arbo.Noeud(i);
        if (!pNoeud)
            break;
        TEnrAWH Noeud;
        Noeud.cChemin = CheminCritere(*pNoeud);
        Noeud.cNom = pNoeud->Caption();
        Noeud.nNiveau = static_cast<qint32>(Noeud.cChemin.count(QLatin1Char('/')) - nBarresHaut);
        ParChemin.insert(Noeud.cChemin, Noeuds.size());
        Noeuds.append(std::move(Noeud));
    }

    // One pass over the catalogue: each criterion of an image, and with the extension each of
    // its ancestors, names the nodes the image belongs to.
    QStringList Images;
    iniBDD.ReadSections(Images);
    QStringList Criteres;
    QSet<qsizetype> DansNoeuds;
    for (const QString &cCle : std::as_const(Images)) {
        Criteres.clear();
        iniBDD.ReadSection(cCle, Criteres);
        DansNoeuds.clear();
        for (QString cCritere : std::as_const(Criteres)) {
            for (;;) {
                const auto it = ParChemin.constFind(cCritere);
                if (it != ParChemin.constEnd())
                    DansNoeuds.insert(*it);
                const qsizetype n = cCritere.lastIndexOf(QLatin1Char('/'));
                if (!lEtendRechCritEnf || n < 0)
                    break;
                cCritere.truncate(n);
            }
        }
        if (DansNoeuds.isEmpty())
            continue;
        const TEnrLST Image = DecomposeCle(cCle);
        for (qsizetype n : std::as_const(DansNoeuds))
            Noeuds[n].lstImgs.append(Image);
    }
    for (TEnrAWH &Noeud : Noeuds)
        TrieImagesNoeud(Noeud.lstImgs);
    return Noeuds;
}

QList<TEnrAWH> ConstruireHierarchie(const TSourceDonneesAW &Source, int nAWContAlbum, const TParamsAlbumWEB &P,
                                    const QString &cDossierAlbum)
{
    Q_UNUSED(nAWContAlbum);
    switch (Source.nSource) {
    case saHierPerso: return P.iniSetup ? ConstruireHierarchiePerso(*P.iniSetup, Source.cArgument) : QList<TEnrAWH>();
    case saHierDossiers:
        return P.pVolumes
                   ? ConstruireHierarchieDossiers(Source.cArgument, *P.pVolumes, cDossierAlbum, P.cDossierVignettes)
                   : QList<TEnrAWH>();
    case saHierCritere:
        if (!P.iniBDD || !P.pArbo)
            return {};
        return ConstruireHierarchieCritere(*P.iniBDD, *P.pArbo, Source.cArgument, P.lEtendRechCritEnf);
    default: return {};
    }
}

TComptesAlbumWEB CompterImagesAlbumWEB(const TSourceDonneesAW &S, const TParamsAlbumWEB &P)
{
    TComptesAlbumWEB C;
    switch (S.nSource) {
    case saImagesCochees:
        if (S.pModele)
            for (int i = 0; i < S.pModele->Nombre(); ++i)
                if (S.pModele->Coche(i) && !S.pModele->Enr(i).lIllisible) {
                    ++C.nImgsSource;
                    C.nDisponibles += S.pModele->Enr(i).lExiste ? 1 : 0;
                }
        break;
    case saAlbumImages:
    case saListeImages:
        for (const TEnrLstAW &l : S.lstImages) {
            ++C.nImgsSource;
            C.nDisponibles += l.EnrLV.lExiste ? 1 : 0;
        }
        break;
    case saHierDossiers:
        for (const TEnrAWH &Noeud : ConstruireHierarchie(S, caVignettesSeules, P))
            C.nImgsSource += int(Noeud.lstImgs.size());
        C.nDisponibles = C.nImgsSource;
        break;
    case saHierPerso:
    case saHierCritere: {
        if (!P.pVolumes)
            break;
        const TLecteursCD Lecteurs(*P.pVolumes);
        QList<TEnrAWH> Noeuds;
        if (S.nSource == saHierPerso)
            Noeuds = ConstruireHierarchie(S, caVignettesSeules, P);
        else if (P.iniBDD && P.pArbo) {
            // Every image holding the criterion or one below it, whatever the extension says:
            // the top node with the extension on holds exactly those.
            Noeuds = ConstruireHierarchieCritere(*P.iniBDD, *P.pArbo, S.cArgument, true);
            if (!Noeuds.isEmpty())
                Noeuds = {Noeuds.first()};
        }
        for (const TEnrAWH &Noeud : std::as_const(Noeuds))
            for (const TEnrLST &l : Noeud.lstImgs) {
                ++C.nImgsSource;
                QString cLecteur;
                C.nDisponibles += LecteurDeCle(Lecteurs, l.nVolume, l.cChemin, cLecteur) ? 1 : 0;
            }
        break;
    }
    }
    return C;
}

TBilanAlbumWEB GenererAlbumWEB(const TSourceDonneesAW &Source, const TOptionsAlbumWEB &Options,
                               const TParamsAlbumWEB &Params)
{
    return TGenerateur(Source, Options, Params).Genere();
}
