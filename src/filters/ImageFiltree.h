#pragma once
// The filter test of one candidate image, run once per candidate by the list builders between
// PrepareFiltre and LibereFiltre.
//
// A candidate carries what its list builder already knows (the walk's size and date, whether
// the image has a classification) and reads its EXIF and IPTC on the test's first demand, into
// the place the builder chooses, so that no file is read twice and tests need no files.

#include "classification/Modele.h"
#include "metadata/DonneesMeta.h"
#include "metadata/Focale.h"
#include "storage/EnrFiltres.h"

#include <QDate>
#include <QImage>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class IVolumes;
class TBigIniFile;
class TDescriptions;
class TLecteursCD;
struct TEnrParametres;

struct TCandidatFiltre
{
    qint32 nNumCD = 0; // volume number (0: not on a CD)
    // Off CDs the file's path. On a CD either the full path (the CD's mount point first) or the
    // path on the disc; the test keeps the path on the disc (cChemin) and the reachable file
    // (cFichier) apart.
    QString cChemin;
    QString cFichier; // set by the test: empty when the file cannot be reached

    // The walk's size and date (seconds since 1970); otherwise the test looks them up.
    bool lTailleDate = false;
    qint64 nTaille = 0;
    qint64 nDate = 0;
    // Whether the image has a classification, when the builder knows it already.
    std::optional<bool> lClasse;

    // Where the file's EXIF and IPTC go (null: the candidate's own records) and the reader that
    // fills them; without a reader the test reads cFichier itself. Called at most once.
    TDonneesEXIF *pEXIF = nullptr;
    TDonneesIPTC *pIPTC = nullptr;
    std::function<void(TDonneesEXIF &, TDonneesIPTC &)> fnLitMeta;
    bool lMetaLue = false;

    // Output of the colour and pattern tests.
    quint8 nPctCouleur = 0;
    quint8 nPctMotif = 0;
    // Both percentages once the thumbnail was judged (-1: not judged), for the two tests.
    std::optional<std::pair<int, int>> PctPixels;

    TDonneesEXIF &EXIF() { return pEXIF ? *pEXIF : m_EXIF; }
    TDonneesIPTC &IPTC() { return pIPTC ? *pIPTC : m_IPTC; }
    // The image key of the candidate once the test has set cChemin.
    QString Cle() const;

private:
    TDonneesEXIF m_EXIF;
    TDonneesIPTC m_IPTC;
};

// What the test needs from the program.
struct TContexteFiltre
{
    const TBigIniFile *iniSetup = nullptr; // favourites, cached EXIF/IPTC, thumbnail sizes
    const TBigIniFile *iniBDD = nullptr;   // the catalogue (has a classification)
    TDescriptions *Descriptions = nullptr;
    bool lTrtDescription = false; // descriptions are handled
    const IVolumes *pVolumes = nullptr;
    QString cDossierVignettes;
    TContexteFocale Focale;
    // The filter of the exploration page: CD images without a cached record are then read
    // from their disc; the other lists fail them.
    bool lExploration = false;
    // Stand-ins for the colour and pattern tests (the percentage found, or -1 when the image
    // could not be judged): when set they replace the thumbnail's test.
    std::function<int(TCandidatFiltre &, const TEnrFiltres &)> fnPctColorimetrie;
    std::function<int(TCandidatFiltre &, const TEnrFiltres &)> fnPctMotif;

    // The colour and pattern tests on thumbnails: the pattern folder; the thumbnails' side and
    // the store where a thumbnail made for the test is recorded (without it, none is made);
    // how the user is told that the pattern cannot be loaded.
    QString cDossierMotifs;
    TBigIniFile *iniSetupVignettes = nullptr;
    int nDVignettes = 160;
    bool lLireVigDsTHM = false;
    std::function<void(const QString &cTexte)> fnAttention;
    // The settings that order the remembered treatments and turn on the automatic orientation:
    // each thumbnail is judged as the grid shows it. Null: thumbnails judged as stored.
    const TEnrParametres *pParametres = nullptr;
    // A stand-in for the treatments (tests): prepared on the list's thread, the function
    // returned is applied to the thumbnail on any thread.
    std::function<std::function<void(QImage &)>(const TCandidatFiltre &)> fnTraitement;
    // Worker threads judging thumbnails ahead of the walk: 0 one per core; -1 none, every
    // thumbnail judged when the walk reaches it.
    int nFilsPixels = 0;
};

// The working state of one list build.
// The filter's values as read once per build: its numbers and dates, its date limits in seconds.
struct TValeursFiltre
{
    std::optional<double> Focale, Vitesse, Diaphragme, ISO;
    std::optional<QDate> DatePDV, OriDate;
    qint64 nAvant = 0; // lDateAnt: a file date must be below
    qint64 nApres = 0; // lDatePst: a file date must be at least
};

class TEtatPixels;
struct TIndexDescriptions;

class TEtatFiltre
{
public:
    TEtatFiltre();
    ~TEtatFiltre();
    TEtatFiltre(const TEtatFiltre &) = delete;
    TEtatFiltre &operator=(const TEtatFiltre &) = delete;

    bool Prepare() const { return m_pEnr != nullptr; }

private:
    friend std::optional<TErreurModele> PrepareFiltre(TEtatFiltre &, TEnrFiltres &, const TContexteFiltre &);
    friend void LibereFiltre(TEtatFiltre &);
    friend bool ImageFiltree(TEtatFiltre &, TCandidatFiltre &);
    friend void AnnonceCandidat(TEtatFiltre &, qint32, const QString &);

    TEnrFiltres *m_pEnr = nullptr;
    TContexteFiltre m_Ctx;
    TValeursFiltre m_Valeurs;
    std::unique_ptr<TLecteursCD> m_Lecteurs;
    QStringList m_Modeles;
    // Compiled once per build: the masks of the record, and each model per extension met.
    std::vector<std::pair<QString, TModele>> m_Masques;
    std::vector<std::pair<QString, std::optional<TModele>>> m_ModelesExt;
    // The colour and pattern tests' pattern and work ahead.
    std::unique_ptr<TEtatPixels> m_Pixels;
    // The descriptions of the folders met, each read once per build.
    std::unique_ptr<TIndexDescriptions> m_Descriptions;
};

// Before a list build: the model list, every mask compiled once. An invalid mask stops here:
// the list must not be built (it would show nothing, as an empty folder does).
std::optional<TErreurModele> PrepareFiltre(TEtatFiltre &Etat, TEnrFiltres &Enr, const TContexteFiltre &Ctx);
// After a list build.
void LibereFiltre(TEtatFiltre &Etat);
// The list builder's counting pass tells each candidate the walk will test, in walk order (a
// full path, as the walk will give it), so that the thumbnails are judged ahead of the walk.
void AnnonceCandidat(TEtatFiltre &Etat, qint32 nNumCD, const QString &cChemin);
// Sets cFichier, the file to reach (empty when it cannot be), and keeps in cChemin the path on
// the disc of a CD image given by its full path.
void LocaliseCandidat(const TLecteursCD *pLecteurs, TCandidatFiltre &c);
// The test: true when the candidate passes every criterion of the prepared record. Without a
// prepared record every image passes.
bool ImageFiltree(TEtatFiltre &Etat, TCandidatFiltre &Candidat);

// The comparisons of the test, apart so that each rule can be checked alone.
namespace ComparaisonsFiltre
{
// A number of a filter or an image: a decimal number with a comma or a point, or, when
// lFraction, "1/" and a whole number other than 0.
std::optional<double> LitNombre(const QString &cTexte, bool lFraction);
// A date (with or without time) as dd/MM/yyyy, keeping the day.
std::optional<QDate> LitDate(const QString &cTexte);
// Operator 0 passes; a filter text that does not read passes; an image value that does not
// read fails.
bool TestNombre(const QString &cValeur, const QString &cFiltre, int nOp, bool lFraction);
bool TestDate(const QString &cValeur, const QString &cFiltre, int nOp);
}
