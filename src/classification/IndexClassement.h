#pragma once
// The classification index: what a search asks of the catalogue, gathered once so that a
// search over a hundred thousand images tests words and legends rather than images.
//
// Images are numbered in the search's candidate order: the catalogue's sections in store
// order, then the keys of `MOTS-CLES`, `COUPS DE COEUR` and `LEGENDES` not met yet (keys
// compared exactly). For each stored criterion path the index holds its images, and for each
// path and each of its ancestors the images of the subtree; for each distinct keyword and each
// distinct upper-cased legend, their images; and the favourites. A search then combines bit
// sets, and a pattern is matched once per distinct word or legend.
//
// The index follows the stores through their change counters: before each use it replays the
// changes the stores remember (a classification, a rename) image by image, and rebuilds a part
// whose section changed too much to replay. Images added that way take the next numbers.

#include "classification/Modele.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class TBigIniFile;
class IVolumes;

// A set of image numbers.
class TEnsembleImages
{
public:
    explicit TEnsembleImages(size_t nTaille = 0, bool lPlein = false);
    void Ajoute(size_t n);
    bool Contient(size_t n) const { return n < m_nTaille && (m_Mots[n >> 6] >> (n & 63)) & 1; }
    void Et(const TEnsembleImages &Autre);
    void Ou(const TEnsembleImages &Autre);
    size_t Taille() const { return m_nTaille; }
    size_t Nombre() const;
    // Calls f for every member in increasing order.
    void PourChaque(const std::function<void(size_t)> &f) const;
    // The members in increasing order.
    std::vector<int> Membres() const;
    // Members 64 × i to 64 × i + 63, one bit each (bits past the size are ignored).
    void FixeMot(size_t i, std::uint64_t nMot);

private:
    std::vector<std::uint64_t> m_Mots;
    size_t m_nTaille = 0;
};

// What a search asks, read from the page's controls.
struct TDemandeRecherche
{
    QStringList CritCoches; // the deepest checked criterion paths, in tree order
    QString cMotsCles;      // blank-separated keyword patterns
    bool lOperateurET = true;
    bool lCoupsDeCoeur = false;
    QString cLegende;     // pattern as typed
    QString cDescription; // pattern as typed; only used when descriptions are handled

    // Nothing is asked (descriptions counted only when handled).
    bool Vide(bool lTrtDescription) const;
};

// A search whose patterns all compiled.
struct TRechercheCompilee
{
    QStringList CritCoches;
    std::vector<TModele> MotsCles;
    bool lOperateurET = true;
    bool lCoupsDeCoeur = false;
    std::optional<TModele> Legende;
    std::optional<TModele> Description;
};

// Compiles every pattern of the request first, so that a bad one is reported even when no
// image would have reached its test. Keyword patterns come first, then the legend, then the
// description (only when handled). Patterns are trimmed; the legend and description are
// upper-cased with the system's rules.
std::optional<TRechercheCompilee> CompileRecherche(const TDemandeRecherche &Demande, bool lTrtDescription,
                                                   TErreurModele *pErreur = nullptr);

class TIndexClassement
{
public:
    TIndexClassement(const TBigIniFile &iniBDD, const TBigIniFile &iniSetup);

    // Brings the index up to date with the stores (done by every search).
    void Actualise();
    // Forgets everything and reads the stores again.
    void Reconstruit();

    // True when the index has seen every change of the catalogue store: a change made now can
    // then be given to CriteresChanges instead of being replayed.
    bool CatalogueSuivi() const;
    // The criteria of these images (key, new criteria) have just been rewritten in the
    // catalogue, and nothing else changed there since CatalogueSuivi() answered lSuivi. The
    // index takes them in place, each touched path list filtered once, and stays current;
    // without lSuivi nothing is done and the next Actualise replays the changes.
    void CriteresChanges(const std::vector<std::pair<QString, QStringList>> &Images, bool lSuivi);

    int Nombre() const { return int(m_Cles.size()); }
    const QString &Cle(int n) const { return m_Cles[size_t(n)]; }

    // The images passing the criteria, keyword, favourite and legend tests, in candidate
    // order. Images with no data left never pass.
    std::vector<int> Selectionne(const TRechercheCompilee &Recherche, bool lEtendRechCritEnf);

    // What the database explorer reads, as of the last Actualise. An image with no data left
    // is in none of these.
    bool ADesDonnees(int n) const { return m_Drapeaux[size_t(n)] != 0; }
    bool DansCatalogue(int n) const { return m_Drapeaux[size_t(n)] & dSection; }
    bool DansMotsCles(int n) const { return m_Drapeaux[size_t(n)] & dMotsCles; }
    bool CoupDeCoeur(int n) const { return m_Drapeaux[size_t(n)] & dCoupDeCoeur; }
    // The images holding exactly the criterion path, or (lSousArbre) it or a descendant, in
    // increasing order; keys compared exactly.
    std::vector<int> ImagesCritere(const QString &cChemin, bool lSousArbre) const;
    // The images whose keyword list holds the keyword, compared without regard to case.
    std::vector<int> ImagesMotCle(const QString &cMotCle) const;

    // How the last Actualise went, for the tests: images replayed, parts rebuilt.
    int nDerniersRejoues = 0;
    int nDernieresReconstructions = 0;

private:
    // Texts met over and over (paths, keywords, legends, image keys) are numbered once; a table
    // of (hash, number) pairs finds a number without building a string from the store's bytes.
    class TTableNumeros
    {
    public:
        // The number whose entry Egal accepts among those of that hash, or -1.
        template <class FEgal>
        int Cherche(quint32 nHache, FEgal &&Egal) const
        {
            if (m_Cases.empty())
                return -1;
            for (size_t i = nHache & m_nMasque;; i = (i + 1) & m_nMasque) {
                const TCase &c = m_Cases[i];
                if (c.nNumero < 0)
                    return -1;
                if (c.nHache == nHache && Egal(c.nNumero))
                    return c.nNumero;
            }
        }
        void Ajoute(quint32 nHache, int nNumero);
        void Vide();
        void Reserve(size_t n);

    private:
        struct TCase
        {
            quint32 nHache = 0;
            int nNumero = -1;
        };
        std::vector<TCase> m_Cases;
        size_t m_nNombre = 0;
        size_t m_nMasque = 0;
    };

    // Bytes as the store holds them → a number given by the caller.
    class TDictionnaireOctets
    {
    public:
        int Cherche(QByteArrayView Octets) const;
        void Ajoute(QByteArrayView Octets, int nValeur);
        void Vide();

    private:
        struct TEntree
        {
            qsizetype nDebut;
            qsizetype nLong;
            int nValeur;
        };
        QByteArray m_Octets;
        std::vector<TEntree> m_Entrees;
        TTableNumeros m_Table;
    };

    // Texts numbered in the order met, found by their text or by the store's bytes for them.
    struct TTextes
    {
        std::vector<QString> Textes;
        QHash<QString, int> ParTexte;
        TDictionnaireOctets ParOctets;
        // The number of the text, -1 when it was never met.
        int Cherche(const QString &c) const { return ParTexte.value(c, -1); }
        void Vide();
    };

    struct TImage
    {
        std::vector<int> Criteres; // path numbers, as stored
        std::vector<int> MotsCles; // keyword numbers
        int nLegende = -1;         // upper-cased legend number
    };
    // Where an image is a candidate: a catalogue section, a key of the three sections. Kept
    // apart from the images, one byte each, so that a search walks them in one sweep.
    enum TDrapeau : quint8 { dSection = 1, dMotsCles = 2, dLegende = 4, dCoupDeCoeur = 8 };
    std::vector<quint8> m_Drapeaux;
    void Marque(int n, quint8 nDrapeau, bool l)
    {
        quint8 &d = m_Drapeaux[size_t(n)];
        d = l ? quint8(d | nDrapeau) : quint8(d & ~nDrapeau);
    }
    void Efface(quint8 nDrapeau)
    {
        for (quint8 &d : m_Drapeaux)
            d &= quint8(~nDrapeau);
    }
    enum TPartie { Criteres = 1, MotsCles = 2, CoupsDeCoeur = 4, Legendes = 8 };

    int Numero(const QString &cCle);
    int Numero(QByteArrayView Octets, bool lEchappe);
    // The number of a criterion path, its ancestors numbered with it.
    int NumeroChemin(const QString &cChemin);
    int NumeroChemin(QByteArrayView Octets);
    int NumeroMotCle(QByteArrayView Octets);
    int NumeroLegende(QByteArrayView Octets);
    std::vector<int> NumerosChemins(const QStringList &Chemins);
    void LitCriteres(int n, bool lSectionConnue = false);
    void LitMotsCles(int n);
    void LitLegende(int n);
    void PoseCriteres(int n, std::vector<int> Criteres);
    void PoseMotsCles(int n, std::vector<int> MotsCles);
    void PoseLegende(int n, int nLegende);
    void PoseValeurMotsCles(int n, QByteArrayView Valeur);
    void ReconstruitParties(int nParties);
    void NoteGenerations();

    const TBigIniFile &m_iniBDD;
    const TBigIniFile &m_iniSetup;
    std::vector<QString> m_Cles;
    TTableNumeros m_Numeros; // by the key's hash
    std::vector<TImage> m_Images;
    // Criterion paths and their ancestors share one numbering. By path number: the images
    // holding exactly it, those holding it or a descendant, and its ancestors' numbers (itself
    // included) for a stored path.
    TTextes m_Chemins;
    std::vector<std::vector<int>> m_ParChemin;
    std::vector<std::vector<int>> m_ParSousArbre;
    std::vector<std::vector<int>> m_AncetresChemin;
    TTextes m_MotsCles;
    std::vector<std::vector<int>> m_ParMotCle;
    TTextes m_Legendes; // upper-cased
    std::vector<std::vector<int>> m_ParLegende;
    // The legends as stored, before upper-casing, to their upper-cased number.
    TDictionnaireOctets m_LegendesBrutes;
    // The distinct legends end to end, each followed by a line break (no legend holds one), so
    // that a pattern's plain run is looked for in one pass; rebuilt when a legend changed.
    QString m_TexteLegendes;
    std::vector<qsizetype> m_DebutsLegendes;
    std::vector<int> m_NumerosTexteLegendes;
    bool m_lTexteLegendesPerime = true;
    void ConstruitTexteLegendes();
    bool m_lConstruit = false;
    quint64 m_nGenBDD = 0, m_nGenSetup = 0;
    quint64 m_nGenMotsCles = 0, m_nGenCoupsDeCoeur = 0, m_nGenLegendes = 0;
};

// Where a search finds what it does not keep in the index.
struct TContexteRecherche
{
    const TBigIniFile *iniSetup = nullptr; // TAILLES VIGNETTES
    const IVolumes *pVolumes = nullptr;    // null: no CD is mounted
    QString cDossierVignettes;             // ending with "/"
    bool lEtendRechCritEnf = true;
    bool lTrtDescription = false;
    // The description of an image (volume, path); needed when a description is asked.
    std::function<QString(qint32 nVolume, const QString &cChemin)> fnDescription;
    // The page's filter, null when inactive; may set the colour and pattern percentages.
    std::function<bool(qint32 nNumCD, const QString &cChemin, quint8 &nPctCouleur, quint8 &nPctMotif)> fnFiltre;
    // Called before each candidate reaches the filter when the filter is long; true stops.
    std::function<bool()> fnAvance;
    // Polled after each candidate; true stops the search (Esc), keeping what was found.
    std::function<bool()> fnInterrompre;
};

// One image found: the path is the full path off CDs and the path on the CD for CD images.
struct TImageTrouvee
{
    qint32 nNumCD = 0;
    QString cChemin;
    qint64 nTaille = 0;
    qint64 nDate = 0;
    quint8 nPctCouleur = 0;
    quint8 nPctMotif = 0;
};

// Runs the search: the index's tests, then the description, the filter and the entry for each
// survivor; every image found goes to fnAjoute. Returns the number found.
int Rechercher(TIndexClassement &Index, const TRechercheCompilee &Recherche, const TContexteRecherche &Ctx,
               const std::function<void(const TImageTrouvee &)> &fnAjoute);
// The number of candidates, as the progress window counts them.
int CompteCandidats(TIndexClassement &Index, const TRechercheCompilee &Recherche, bool lEtendRechCritEnf);

// ---- Saved searches ----------------------------------------------------------------------

inline const QString cPrefixeRechEnreg = QStringLiteral("CRITERES ENREGISTRES:");

// The names of the saved searches, in store order.
QStringList NomsRecherchesEnregistrees(const TBigIniFile &iniSetup);
// Writes the search under the name, replacing what was there. Nothing is written (and false
// returned) for an empty request.
bool EcritRechercheEnregistree(TBigIniFile &iniSetup, const QString &cNom, const TDemandeRecherche &Demande,
                               bool lTrtDescription);
// Reads a saved search. Only `_MC`, `_CDC`, `_LEG` and `_DES` are reserved; every other key is
// a criterion path. `_DES` is dropped when descriptions are not handled.
TDemandeRecherche LitRechercheEnregistree(const TBigIniFile &iniSetup, const QString &cNom, bool lTrtDescription);
// A typed or pasted search name as kept: upper-cased, reduced to blank & + , - . 0-9 A-Z _.
QString FiltreNomRecherche(const QString &cTexte);
