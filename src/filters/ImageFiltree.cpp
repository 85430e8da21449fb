#include "filters/ImageFiltree.h"

#include "filters/ColorMotif.h"

#include "imaging/FileKinds.h"
#include "imaging/NomVignette.h"
#include "metadata/CacheMeta.h"
#include "metadata/LectureMeta.h"
#include "platform/FrenchFormats.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Descriptions.h"
#include "storage/Sections.h"

#include <QDateTime>
#include <QFileInfo>

#include <cmath>
#include <sys/stat.h>

// The descriptions of the folders a build meets: a folder's descript.ion is checked and indexed
// at its first image, not at each one.
struct TIndexDescriptions
{
    // Folders kept at once: a recursive listing comes back to a folder after its sub-folders.
    static constexpr qsizetype nDossiersMax = 64;
    QHash<QString, TDescriptionsDossier> Dossiers;
    // The folder of the last image, most often that of the next one.
    QString cDernier;
    const TDescriptionsDossier *pDernier = nullptr;

    QString Description(TDescriptions &d, qint32 nNumCD, const QString &cChemin)
    {
        const qsizetype nBarre = cChemin.lastIndexOf(QLatin1Char('/'));
        if (nNumCD != 0 || nBarre < 0 || nBarre == cChemin.size() - 1)
            return d.DescriptionImage(nNumCD, cChemin, nDescLecture);
        if (!pDernier || QStringView(cChemin).left(nBarre + 1) != cDernier) {
            cDernier = cChemin.left(nBarre + 1);
            auto It = Dossiers.constFind(cDernier);
            if (It == Dossiers.cend()) {
                if (Dossiers.size() >= nDossiersMax)
                    Dossiers.clear();
                It = Dossiers.insert(cDernier, d.DescriptionsDossier(cDernier));
            }
            pDernier = &*It;
        }
        return pDernier->Description(cChemin.mid(nBarre + 1));
    }
};

QString TCandidatFiltre::Cle() const
{
    return CleImage(nNumCD, cChemin);
}

TEtatFiltre::TEtatFiltre() = default;
TEtatFiltre::~TEtatFiltre() = default;

namespace ComparaisonsFiltre
{
std::optional<double> LitNombre(const QString &cTexte, bool lFraction)
{
    const QString c = cTexte.trimmed();
    if (c.isEmpty())
        return std::nullopt;
    if (lFraction && c.startsWith(QLatin1String("1/"))) {
        bool ok = false;
        const qint64 n = c.mid(2).toLongLong(&ok);
        if (!ok || n == 0)
            return std::nullopt;
        return 1.0 / static_cast<double>(n);
    }
    QString d = c;
    d.replace(QLatin1Char(','), QLatin1Char('.'));
    // Only plain decimal numbers: no exponent, no "inf" or "nan" that toDouble would take.
    for (const QChar ch : d)
        if (!ch.isDigit() && ch != QLatin1Char('.') && ch != QLatin1Char('-') && ch != QLatin1Char('+'))
            return std::nullopt;
    bool ok = false;
    const double v = d.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<QDate> LitDate(const QString &cTexte)
{
    const QString c = cTexte.trimmed().section(QLatin1Char(' '), 0, 0);
    // The usual dd/MM/yyyy is read by hand: this runs for every image of a listing.
    if (c.size() == 10 && c[2] == QLatin1Char('/') && c[5] == QLatin1Char('/')) {
        int n[8];
        int k = 0;
        for (int i : {0, 1, 3, 4, 6, 7, 8, 9}) {
            if (!c[i].isDigit())
                return std::nullopt;
            n[k++] = c[i].digitValue();
        }
        const QDate d(n[4] * 1000 + n[5] * 100 + n[6] * 10 + n[7], n[2] * 10 + n[3], n[0] * 10 + n[1]);
        if (!d.isValid())
            return std::nullopt;
        return d;
    }
    const QDate d = QDate::fromString(c, QStringLiteral("d/M/yyyy"));
    if (!d.isValid())
        return std::nullopt;
    return d;
}

namespace
{
template <typename T>
bool Compare(const T &v, const T &f, int nOp)
{
    switch (nOp) {
    case 1: return v < f;
    case 2: return v <= f;
    case 3: return v == f;
    case 4: return v >= f;
    case 5: return v > f;
    case 6: return v != f;
    default: return true;
    }
}
}

bool TestNombre(const QString &cValeur, const QString &cFiltre, int nOp, bool lFraction)
{
    if (nOp <= 0 || nOp > 6)
        return true;
    const std::optional<double> f = LitNombre(cFiltre, lFraction);
    if (!f)
        return true;
    const std::optional<double> v = LitNombre(cValeur, lFraction);
    if (!v)
        return false;
    return Compare(*v, *f, nOp);
}

bool TestDate(const QString &cValeur, const QString &cFiltre, int nOp)
{
    if (nOp <= 0 || nOp > 6)
        return true;
    const std::optional<QDate> f = LitDate(cFiltre);
    if (!f)
        return true;
    const std::optional<QDate> v = LitDate(cValeur);
    if (!v)
        return false;
    return Compare(*v, *f, nOp);
}
}

namespace
{
using namespace ComparaisonsFiltre;

const QStringList cExtensionsRAW = {QStringLiteral(".CRW"), QStringLiteral(".CR2"), QStringLiteral(".NEF"),
                                    QStringLiteral(".MRW"), QStringLiteral(".ORF"), QStringLiteral(".PEF"),
                                    QStringLiteral(".RAF"), QStringLiteral(".TIF")};

// The masks of a record, each with the field it comes from, in the order of the test.
QList<const QString *> MasquesDe(const TEnrFiltres &e)
{
    QList<const QString *> m;
    if (e.lGeneral && e.lDescription)
        m << &e.cDescription;
    if (e.lFiltreEXIF)
        m << &e.cFAppareil << &e.cFCommentaire;
    if (e.lFiltreIPTC)
        m << &e.cFTitre << &e.cFTexte << &e.cFCopyright << &e.cFAuteur << &e.cFCategorie << &e.cFCredits << &e.cFSource
          << &e.cFOriNom << &e.cFOriVille << &e.cFOriEtat << &e.cFOriPays;
    return m;
}

QStringList ItemsListe(const QString &c)
{
    QStringList Items;
    for (const QString &i : c.split(cSepIPTC))
        if (!i.trimmed().isEmpty())
            Items << i.trimmed();
    return Items;
}

// A comparison with a filter value read once: none (it did not read) passes; an image value
// that does not read fails.
bool Nombre(const QString &cValeur, const std::optional<double> &Filtre, int nOp, bool lFraction)
{
    if (nOp <= 0 || nOp > 6 || !Filtre)
        return true;
    const std::optional<double> x = LitNombre(cValeur, lFraction);
    return x && Compare(*x, *Filtre, nOp);
}

bool Date(const QString &cValeur, const std::optional<QDate> &Filtre, int nOp)
{
    if (nOp <= 0 || nOp > 6 || !Filtre)
        return true;
    const std::optional<QDate> x = LitDate(cValeur);
    return x && Compare(*x, *Filtre, nOp);
}

class TTest
{
public:
    TTest(TEnrFiltres &Enr, const TContexteFiltre &Ctx, const TValeursFiltre &Valeurs, const TLecteursCD *Lecteurs,
          const QStringList &Modeles, std::vector<std::pair<QString, TModele>> &Masques,
          std::vector<std::pair<QString, std::optional<TModele>>> &ModelesExt, TEtatPixels *pPixels,
          TIndexDescriptions *pDescriptions)
        : e(Enr), m_Ctx(Ctx), v(Valeurs), m_Lecteurs(Lecteurs), m_Modeles(Modeles), m_Masques(Masques),
          m_ModelesExt(ModelesExt), m_pPixels(pPixels), m_pDescriptions(pDescriptions)
    {}

    bool Passe(TCandidatFiltre &c);

private:
    TEnrFiltres &e;
    const TContexteFiltre &m_Ctx;
    const TValeursFiltre &v;
    const TLecteursCD *m_Lecteurs;
    const QStringList &m_Modeles;
    std::vector<std::pair<QString, TModele>> &m_Masques;
    std::vector<std::pair<QString, std::optional<TModele>>> &m_ModelesExt;
    TEtatPixels *m_pPixels;
    TIndexDescriptions *m_pDescriptions;

    const TModele *Masque(const QString &cMasque);
    bool TestMasque(const QString &cValeur, const QString &cMasque);
    bool TestListe(const QString &cValeur, const QString &cMasques);
    bool Classe(TCandidatFiltre &c);
    void TailleDate(TCandidatFiltre &c);
    bool LitMeta(TCandidatFiltre &c);
    bool EXIF(TCandidatFiltre &c);
    bool IPTC(TCandidatFiltre &c);
    int Pixels(TCandidatFiltre &c, const QString &cDonne, TTestPixels nTest);
};

const TModele *TTest::Masque(const QString &cMasque)
{
    for (const auto &[c, m] : m_Masques)
        if (c == cMasque)
            return &m;
    return nullptr;
}

bool TTest::TestMasque(const QString &cValeur, const QString &cMasque)
{
    if (cMasque.trimmed().isEmpty())
        return true;
    const QString v = cValeur.trimmed().toUpper();
    if (v.isEmpty())
        return false;
    const TModele *m = Masque(cMasque);
    return m && m->Correspond(v);
}

bool TTest::TestListe(const QString &cValeur, const QString &cMasques)
{
    const QStringList Masques = ItemsListe(cMasques);
    if (Masques.isEmpty())
        return true;
    QStringList Items;
    for (const QString &i : cValeur.split(cSepIPTC))
        Items << i.trimmed().toUpper();
    for (const QString &cm : Masques) {
        const TModele *m = Masque(cm);
        if (!m)
            return false;
        bool lTrouve = false;
        for (const QString &i : std::as_const(Items))
            if (!i.isEmpty() && m->Correspond(i)) {
                lTrouve = true;
                break;
            }
        if (!lTrouve)
            return false;
    }
    return true;
}

bool TTest::Classe(TCandidatFiltre &c)
{
    if (!c.lClasse)
        c.lClasse = m_Ctx.iniBDD && m_Ctx.iniSetup && ADesDonnees(*m_Ctx.iniBDD, *m_Ctx.iniSetup, c.Cle());
    return *c.lClasse;
}

void TTest::TailleDate(TCandidatFiltre &c)
{
    if (c.lTailleDate)
        return;
    c.lTailleDate = true;
    c.nTaille = 0;
    c.nDate = 0;
    struct stat st
    {
    };
    if (!c.cFichier.isEmpty()) {
        if (::stat(QFile::encodeName(c.cFichier).constData(), &st) == 0) {
            c.nTaille = st.st_size;
            c.nDate = st.st_mtime;
        }
        return;
    }
    if (c.nNumCD == 0)
        return;
    // A CD that is not in a drive: what the thumbnail cache knows of the image.
    if (!m_Ctx.cDossierVignettes.isEmpty()) {
        const QString v = NomVignette(m_Ctx.cDossierVignettes, c.nNumCD, c.cChemin);
        if (::stat(QFile::encodeName(v).constData(), &st) == 0)
            c.nDate = st.st_mtime;
    }
    if (m_Ctx.iniSetup)
        c.nTaille = m_Ctx.iniSetup->ReadString(cSectionTaillesVignettes, c.Cle(), QStringLiteral("0")).toLongLong();
}

bool TTest::LitMeta(TCandidatFiltre &c)
{
    if (!c.lMetaLue) {
        c.lMetaLue = true;
        if (c.fnLitMeta)
            c.fnLitMeta(c.EXIF(), c.IPTC());
        else if (!c.cFichier.isEmpty())
            AppliqueMetaImage(LitMetaImage(c.cFichier), c.EXIF(), c.IPTC(), m_Ctx.Focale);
        else
            return false;
    }
    return true;
}

bool TTest::EXIF(TCandidatFiltre &c)
{
    TDonneesEXIF Cache;
    const TDonneesEXIF *x = nullptr;
    if (c.nNumCD != 0 && m_Ctx.iniSetup && m_Ctx.iniSetup->ValueExists(cSectionEXIF, c.Cle())) {
        LireEXIFCatalogue(*m_Ctx.iniSetup, c.Cle(), Cache, m_Ctx.Focale);
        x = &Cache;
    } else if ((c.nNumCD == 0 || m_Ctx.lExploration) && !c.cFichier.isEmpty() && LitMeta(c)) {
        x = &c.EXIF();
    }
    if (!x || !x->lEXIF)
        return false;
    return TestMasque(x->cAppareil, e.cFAppareil) && Nombre(x->cFocale, v.Focale, e.nOpFocale, false)
           && Nombre(x->cVitesse, v.Vitesse, e.nOpVitesse, true)
           && Nombre(x->cDiaphragme, v.Diaphragme, e.nOpDiaphragme, false) && Date(x->cDatePDV, v.DatePDV, e.nOpDatePDV)
           && Nombre(x->cISO, v.ISO, e.nOpISO, false) && TestMasque(x->cCommentaire, e.cFCommentaire);
}

bool TTest::IPTC(TCandidatFiltre &c)
{
    TDonneesIPTC Cache;
    const TDonneesIPTC *r = nullptr;
    if (c.nNumCD != 0 && m_Ctx.iniSetup && m_Ctx.iniSetup->ValueExists(cSectionIPTC, c.Cle())) {
        LireIPTCCatalogue(*m_Ctx.iniSetup, c.Cle(), Cache);
        r = &Cache;
    } else if ((c.nNumCD == 0 || m_Ctx.lExploration) && !c.cFichier.isEmpty() && EstJPEG(c.cChemin) && LitMeta(c)) {
        r = &c.IPTC();
    }
    if (!r || !r->lIPTC)
        return false;
    return TestMasque(r->cTitre, e.cFTitre) && TestMasque(r->cTexte, e.cFTexte)
           && TestMasque(r->cCopyright, e.cFCopyright) && TestMasque(r->cAuteur, e.cFAuteur)
           && TestListe(r->cMotsClesIPTC, e.cFMotsCles) && TestMasque(r->cCategorie, e.cFCategorie)
           && TestListe(r->cCatSuppl, e.cFCatSuppl) && TestMasque(r->cCredits, e.cFCredits)
           && TestMasque(r->cSource, e.cFSource) && TestMasque(r->cOriNom, e.cFOriNom)
           && Date(r->cOriDate, v.OriDate, e.nOpOriDate) && TestMasque(r->cOriVille, e.cFOriVille)
           && TestMasque(r->cOriEtat, e.cFOriEtat) && TestMasque(r->cOriPays, e.cFOriPays);
}

int TTest::Pixels(TCandidatFiltre &c, const QString &cDonne, TTestPixels nTest)
{
    // One load and treatment of the thumbnail serves both tests.
    if (!c.PctPixels) {
        if (!m_pPixels || (nTest == TTestPixels::Motif && !m_pPixels->AMotif()))
            return -1;
        TSourcesDonneesCD Donnees;
        if (c.nNumCD != 0) {
            // A thumbnail made for a CD image keeps the image's metadata beside it, as listing
            // would; they are read once, for the entry too.
            Donnees.EcritMetadonnees = [this, &c](TBigIniFile &ini, const QString &cCle) {
                if (!LitMeta(c))
                    return;
                EcrireEXIFCatalogue(ini, cCle, c.EXIF());
                if (EstJPEG(c.cChemin))
                    EcrireIPTCCatalogue(ini, cCle, c.IPTC());
            };
            Donnees.pDescriptions = m_Ctx.Descriptions;
            Donnees.lTrtDescription = m_Ctx.lTrtDescription;
        }
        const TJugementPixels j =
            m_pPixels->Juge(c, cDonne, Donnees, [this, &c] { return LitMeta(c) ? c.EXIF().cOrientation : QString(); });
        c.PctPixels = std::make_pair(j.nPctCouleur, j.nPctMotif);
    }
    return nTest == TTestPixels::Colorimetrie ? c.PctPixels->first : c.PctPixels->second;
}

bool TTest::Passe(TCandidatFiltre &c)
{
    if (!e.lActif)
        return true;
    const QString cDonne = c.cChemin;
    LocaliseCandidat(m_Lecteurs, c);

    if (e.nImages == 1) {
        if (!m_Ctx.iniSetup || !m_Ctx.iniSetup->ValueExists(cSectionCoupsDeCoeur, c.Cle()))
            return false;
    } else if (e.nImages == 2 && !Classe(c)) {
        return false;
    } else if (e.nImages == 3 && Classe(c)) {
        return false;
    }

    const QString cExt = ExtensionMaj(c.cChemin);
    if (cExt == QLatin1String(".JPG") || cExt == QLatin1String(".JPEG")) {
        if (!e.lJPEG)
            return false;
    } else if (cExt == QLatin1String(".PNG")) {
        if (!e.lPNG)
            return false;
    } else if (cExtensionsRAW.contains(cExt) && !e.lRAW) {
        return false;
    }

    if (e.lModeles) {
        const QString cNom = c.cChemin.mid(c.cChemin.lastIndexOf(QLatin1Char('/')) + 1).toUpper();
        bool lPasse = false;
        for (const QString &cModele : m_Modeles) {
            // The model is followed by the file's extension: img* tests IMG_0012.JPG as img*.JPG.
            const QString cMasque = cModele + cExt;
            const std::optional<TModele> *m = nullptr;
            for (const auto &[cm, pm] : m_ModelesExt)
                if (cm == cMasque) {
                    m = &pm;
                    break;
                }
            if (!m)
                m = &m_ModelesExt.emplace_back(cMasque, TModele::Compile(cMasque.toUpper())).second;
            if (*m && (*m)->Correspond(cNom)) {
                lPasse = true;
                break;
            }
        }
        if (!lPasse)
            return false;
    }

    if (e.lDescription && m_Ctx.lTrtDescription) {
        QString d;
        if (m_Ctx.Descriptions)
            d = m_pDescriptions ? m_pDescriptions->Description(*m_Ctx.Descriptions, c.nNumCD, c.cChemin)
                                : m_Ctx.Descriptions->DescriptionImage(c.nNumCD, c.cChemin, nDescLecture);
        if (d.trimmed().isEmpty() || !TestMasque(d, e.cDescription))
            return false;
    }

    if (e.lTailleInf || e.lTailleSup || e.lDateAnt || e.lDatePst) {
        TailleDate(c);
        if (e.lTailleInf && c.nTaille >= e.nTailleInf)
            return false;
        if (e.lTailleSup && e.nTailleSup >= c.nTaille)
            return false;
        if (e.lDateAnt && c.nDate >= v.nAvant)
            return false;
        if (e.lDatePst && c.nDate < v.nApres)
            return false;
    }

    if (e.lFiltreEXIF && !EXIF(c))
        return false;
    if (e.lFiltreIPTC && !IPTC(c))
        return false;

    if (e.lColorimetrie) {
        const int n =
            m_Ctx.fnPctColorimetrie ? m_Ctx.fnPctColorimetrie(c, e) : Pixels(c, cDonne, TTestPixels::Colorimetrie);
        e.nResColorimetrie = static_cast<quint8>(qBound(0, n, 100));
        c.nPctCouleur = e.nResColorimetrie;
        if (n < 0 || n < e.nSeuilColorimetrie)
            return false;
    }
    if (e.lMotif) {
        const int n = m_Ctx.fnPctMotif ? m_Ctx.fnPctMotif(c, e) : Pixels(c, cDonne, TTestPixels::Motif);
        e.nResMotif = static_cast<quint8>(qBound(0, n, 100));
        c.nPctMotif = e.nResMotif;
        if (n < 0 || n < e.nSeuilMotif)
            return false;
    }
    return true;
}
}

void LocaliseCandidat(const TLecteursCD *pLecteurs, TCandidatFiltre &c)
{
    c.cFichier.clear();
    if (c.nNumCD == 0) {
        c.cFichier = c.cChemin;
        return;
    }
    if (!pLecteurs)
        return;
    // A CD image given by its full path loses the CD's mount point: CD images are keyed by
    // their path on the disc.
    for (const QString &m : pLecteurs->PointsDeMontage(c.nNumCD)) {
        const QString cPoint = m.endsWith(QLatin1Char('/')) ? m : m + QLatin1Char('/');
        if (c.cChemin.startsWith(cPoint)) {
            c.cFichier = c.cChemin;
            c.cChemin = c.cChemin.mid(cPoint.size() - 1);
            return;
        }
    }
    c.cFichier = CheminFichierImage(*pLecteurs, c.nNumCD, c.cChemin);
}

std::optional<TErreurModele> PrepareFiltre(TEtatFiltre &Etat, TEnrFiltres &Enr, const TContexteFiltre &Ctx)
{
    LibereFiltre(Etat);
    if (!Enr.lActif)
        return std::nullopt;
    std::vector<std::pair<QString, TModele>> Masques;
    // The fault names the mask as typed, not its upper-cased form.
    auto Compile = [&Masques](const QString &cMasque) -> std::optional<TErreurModele> {
        if (cMasque.trimmed().isEmpty())
            return std::nullopt;
        for (const auto &m : Masques)
            if (m.first == cMasque)
                return std::nullopt;
        TErreurModele Erreur;
        std::optional<TModele> m = TModele::Compile(cMasque.toUpper(), &Erreur);
        if (!m)
            return TErreurModele{cMasque, Erreur.nPosition};
        Masques.emplace_back(cMasque, std::move(*m));
        return std::nullopt;
    };
    QStringList Modeles;
    if (Enr.lGeneral && Enr.lModeles) {
        Modeles = Enr.cModeles.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        // A model is checked as typed; the extension is appended per file while listing.
        for (const QString &m : std::as_const(Modeles)) {
            TErreurModele Erreur;
            if (!TModele::Compile(m.toUpper(), &Erreur))
                return TErreurModele{m, Erreur.nPosition};
        }
    }
    for (const QString *m : MasquesDe(Enr))
        if (auto Err = Compile(*m))
            return Err;
    if (Enr.lFiltreIPTC)
        for (const QString &cListe : {Enr.cFMotsCles, Enr.cFCatSuppl})
            for (const QString &m : ItemsListe(cListe))
                if (auto Err = Compile(m))
                    return Err;

    TValeursFiltre &v = Etat.m_Valeurs;
    v = TValeursFiltre();
    v.Focale = LitNombre(Enr.cFFocale, false);
    v.Vitesse = LitNombre(Enr.cFVitesse, true);
    v.Diaphragme = LitNombre(Enr.cFDiaphragme, false);
    v.ISO = LitNombre(Enr.cFISO, false);
    v.DatePDV = LitDate(FrenchFormats::Date(Enr.dFDatePDV));
    v.OriDate = LitDate(Enr.cFOriDate);
    v.nAvant = QDateTime(Enr.dDateAnt, QTime(0, 0)).toSecsSinceEpoch();
    v.nApres = QDateTime(Enr.dDatePst.addDays(1), QTime(0, 0)).toSecsSinceEpoch();
    Etat.m_pEnr = &Enr;
    Etat.m_Ctx = Ctx;
    Etat.m_Modeles = Modeles;
    Etat.m_Masques = std::move(Masques);
    if (Ctx.pVolumes)
        Etat.m_Lecteurs = std::make_unique<TLecteursCD>(*Ctx.pVolumes);
    Enr.nResColorimetrie = 0;
    Enr.nResMotif = 0;
    if (Enr.lColorimetrie || Enr.lMotif)
        Etat.m_Pixels = std::make_unique<TEtatPixels>(Enr, Etat.m_Ctx, Etat.m_Lecteurs.get());
    if (Enr.lDescription && Ctx.lTrtDescription && Ctx.Descriptions)
        Etat.m_Descriptions = std::make_unique<TIndexDescriptions>();
    return std::nullopt;
}

void LibereFiltre(TEtatFiltre &Etat)
{
    // The work ahead ends first: it uses the context and the CD drives.
    Etat.m_Pixels.reset();
    Etat.m_Descriptions.reset();
    Etat.m_pEnr = nullptr;
    Etat.m_Lecteurs.reset();
    Etat.m_Masques.clear();
    Etat.m_ModelesExt.clear();
}

void AnnonceCandidat(TEtatFiltre &Etat, qint32 nNumCD, const QString &cChemin)
{
    if (Etat.m_Pixels)
        Etat.m_Pixels->Annonce(nNumCD, cChemin);
}

bool ImageFiltree(TEtatFiltre &Etat, TCandidatFiltre &Candidat)
{
    if (!Etat.m_pEnr)
        return true;
    TTest t(*Etat.m_pEnr, Etat.m_Ctx, Etat.m_Valeurs, Etat.m_Lecteurs.get(), Etat.m_Modeles, Etat.m_Masques,
            Etat.m_ModelesExt, Etat.m_Pixels.get(), Etat.m_Descriptions.get());
    return t.Passe(Candidat);
}
