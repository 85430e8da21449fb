#include "classification/Classement.h"

#include "classification/ArboCriteres.h"
#include "classification/IconesArbres.h"
#include "classification/MotsCles.h"
#include "metadata/TextesMeta.h"
#include "platform/AtomicFile.h"
#include "platform/Messages.h"
#include "platform/TextCodec.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Descriptions.h"
#include "storage/Settings.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <memory>
#include <vector>

namespace
{
const QString cCRLF = QStringLiteral("\r\n");
constexpr qsizetype nProfondeurMaxAffichee = 64;
const QString cRetrait = QStringLiteral("     ");

QString Cle(const TEnrLV &Image)
{
    return CleImage(Image.nNumCD, Image.cChemin);
}

// Legends and descriptions are one line of text, trimmed.
QString TexteSurUneLigne(const QString &cTexte)
{
    return DescriptionSurUneLigne(cTexte);
}

// A stored value never holds a line break: read with this default, a key tells in one look-up
// whether it is there and what it holds.
const QString cAbsente = QStringLiteral("\n");

bool LitValeur(const TBigIniFile &ini, const QString &cSection, const QString &cCle, QString &cValeur)
{
    cValeur = ini.ReadString(cSection, cCle, cAbsente);
    if (cValeur == cAbsente) {
        cValeur.clear();
        return false;
    }
    return true;
}

QStringList Mots(const QString &cTexte)
{
    return cTexte.split(u' ', Qt::SkipEmptyParts);
}

// A keyword text as the program stores it: keyword characters, single blanks between words,
// none at either end.
bool MotsClesPropres(QStringView c)
{
    if (!c.isEmpty() && (c.front() == u' ' || c.back() == u' '))
        return false;
    QChar Precedent;
    for (const QChar ch : c) {
        if (ch == u' ' ? Precedent == u' ' : !CaractereMotCle(ch))
            return false;
        Precedent = ch;
    }
    return true;
}

// The merge of new keywords, in stored form, before the stored ones not among them. A stored
// text already clean and short is merged word by word, as MotsClesStockes would; anything else
// goes through it.
QString FusionneMotsCles(const QString &cNouveaux, const QStringList &MotsNouveaux, const QString &cAvant)
{
    if (cAvant.size() > 256 || !MotsClesPropres(cAvant))
        return MotsClesStockes(cNouveaux + u' ' + cAvant);
    QString r = cNouveaux;
    std::vector<QStringView> Vus;
    for (const QStringView Mot : QStringView(cAvant).tokenize(u' ', Qt::SkipEmptyParts)) {
        if (MotsNouveaux.contains(Mot) || std::find(Vus.begin(), Vus.end(), Mot) != Vus.end())
            continue;
        Vus.push_back(Mot);
        r += u' ';
        r += Mot;
    }
    return r;
}

// True when the stored path p is still there after the change: kept, or implied by a kept path
// below it.
bool CheminConserve(const QString &p, const QStringList &Apres)
{
    const QString cPrefixe = p + u'/';
    for (const QString &a : Apres)
        if (a == p || a.startsWith(cPrefixe))
            return true;
    return false;
}

// One pending change of a folder's descript.ion.
struct TChangementDescription
{
    QString cChemin;   // the image's full path
    QString cNom;      // its file name
    QString cNouvelle; // empty: remove it
};

QString ErreurStore(const QString &cFichier)
{
    return QStringLiteral("Le classement n'a pas pu être enregistré dans « %1 ».").arg(cFichier);
}

QString ErreurDescriptions(const QString &cFichier)
{
    return QStringLiteral("La description n'a pas pu être enregistrée dans « %1 ».").arg(cFichier);
}

QString TexteErreurs(const QStringList &Erreurs)
{
    if (Erreurs.isEmpty())
        return {};
    return Erreurs.join(cCRLF) + cCRLF
           + QStringLiteral("Les modifications restent en mémoire et seront enregistrées à la prochaine sauvegarde.");
}

TNoeudClassement DepuisMeta(const TNoeudMeta &m, bool lDeplie)
{
    TNoeudClassement n{m.cTexte, m.nImage, m.nImageSel, lDeplie, {}};
    for (const TNoeudMeta &e : m.Enfants)
        n.Enfants.append(DepuisMeta(e, lDeplie));
    return n;
}

void TrieParCode(QList<TNoeudClassement> &Noeuds)
{
    std::stable_sort(Noeuds.begin(), Noeuds.end(), [](const TNoeudClassement &a, const TNoeudClassement &b) {
        return a.cTexte.toUtf8() < b.cTexte.toUtf8();
    });
    for (TNoeudClassement &n : Noeuds)
        TrieParCode(n.Enfants);
}
} // namespace

// ---- Free functions ---------------------------------------------------------------------------

QString MotsClesStockes(const QString &cTexte)
{
    QStringList Uniques;
    QSet<QString> Vus;
    for (const QString &cMot : Mots(NormaliseMotsCles(cTexte))) {
        if (!Vus.contains(cMot)) {
            Vus.insert(cMot);
            Uniques.append(cMot);
        }
    }
    return Uniques.join(u' ');
}

bool AjouteSansDoublon(QStringList &Liste, const QString &cTexte)
{
    if (Liste.contains(cTexte, Qt::CaseInsensitive))
        return false;
    Liste.append(cTexte);
    return true;
}

QStringList ListeLegendes(const TBigIniFile &iniSetup)
{
    QStringList Cles;
    iniSetup.ReadSection(cSectionLegendes, Cles);
    QStringList Legendes;
    QSet<QString> Vues;
    for (const QString &cCle : std::as_const(Cles)) {
        const QString c = iniSetup.ReadString(cSectionLegendes, cCle, QString()).trimmed();
        if (!c.isEmpty() && !Vues.contains(c.toCaseFolded())) {
            Vues.insert(c.toCaseFolded());
            Legendes << c;
        }
    }
    TrieFrancais(Legendes);
    return Legendes;
}

int ImageVoisine(int nCourant, int nNombre, int nSens)
{
    if (nNombre <= 0)
        return -1;
    return ((nCourant + nSens) % nNombre + nNombre) % nNombre;
}

QString TexteLegende(const QString &cTitre, const QString &cTexte, int nLargeur)
{
    if (cTexte.trimmed().isEmpty())
        return {};
    QString c = QStringLiteral("<SG>") + cTitre + QStringLiteral(" :</SG/>");
    if (nLargeur < 1)
        return c + cCRLF + cRetrait + u'\'' + cTexte + u'\'';
    const QStringList Lignes = CouperLignes(cTexte, nLargeur);
    for (qsizetype i = 0; i < Lignes.size(); ++i) {
        c += cCRLF + cRetrait;
        if (i == 0)
            c += u'\'';
        c += Lignes[i];
        if (i == Lignes.size() - 1)
            c += u'\'';
    }
    return c;
}

TParamsClassement ParamsDepuisChoix(const TChoixDonneesAppliquer &Choix, bool lTrtDescription, bool lCritCDC,
                                    const QString &cCritMC, const QString &cCritLeg, const QString &cCritDes)
{
    TParamsClassement p;
    p.lAppCrit = Choix.lCriteres;
    p.lRemplCrit = Choix.lEffacerCriteres;
    p.lAppMC = Choix.lMotsCles;
    p.lRemplMC = Choix.lEffacerMotsCles;
    p.cNouvMotsCles = cCritMC.trimmed();
    p.lAppCDC = Choix.lCoupDeCoeur;
    p.lNouvCDC = lCritCDC;
    p.lAppLeg = Choix.lLegende;
    p.cNouvLegende = cCritLeg.trimmed();
    p.lAppDes = lTrtDescription && Choix.lDescription;
    p.cNouvDescription = cCritDes.trimmed();
    return p;
}

// ---- The batch ----------------------------------------------------------------------------------

namespace
{
// The tree's nodes by path, looked up once per path met: a batch meets the same few criteria
// over and over, and splitting each path again would cost more than the rest of the merge.
class TIndexCriteres
{
public:
    explicit TIndexCriteres(const TArboCriteres &Arbo) : m_Arbo(Arbo), m_Chemins(size_t(Arbo.NbNoeuds())) {}

    // Pre-order index of the node the path names, or -1.
    int Index(const QString &cChemin)
    {
        const auto It = m_ParChemin.constFind(cChemin);
        if (It != m_ParChemin.cend())
            return *It;
        const TNoeudCritere *n = m_Arbo.NoeudDeChemin(cChemin);
        const int nIndex = n ? n->Index() : -1;
        m_ParChemin.insert(cChemin, nIndex);
        return nIndex;
    }

    const QString &Chemin(int nIndex)
    {
        QString &c = m_Chemins[size_t(nIndex)];
        if (c.isEmpty())
            c = CheminCritere(*m_Arbo.Noeud(nIndex));
        return c;
    }

    // The nodes of the paths, each once, without those that have another one below them, in
    // pre-order.
    QStringList Fusionne(const QStringList &Chemins)
    {
        m_Index.clear();
        for (const QString &cChemin : Chemins)
            if (const int n = Index(cChemin); n >= 0)
                m_Index.push_back(n);
        std::sort(m_Index.begin(), m_Index.end());
        m_Index.erase(std::unique(m_Index.begin(), m_Index.end()), m_Index.end());
        QStringList r;
        r.reserve(qsizetype(m_Index.size()));
        // In pre-order a node's descendants follow it within its size: a node keeps its place
        // only when the next one kept is not among them.
        for (size_t i = 0; i < m_Index.size(); ++i) {
            const TNoeudCritere *n = m_Arbo.Noeud(m_Index[i]);
            if (i + 1 < m_Index.size() && m_Index[i + 1] < n->Index() + n->Taille())
                continue;
            r.append(Chemin(m_Index[i]));
        }
        return r;
    }

private:
    const TArboCriteres &m_Arbo;
    QHash<QString, int> m_ParChemin;
    std::vector<QString> m_Chemins;
    std::vector<int> m_Index;
};

// What one image holds before the change and will hold after it, for each part asked for.
struct TPlanImage
{
    QString cCle;
    bool lCrit = false;
    bool lSectionExiste = false;
    QStringList CritAvant, CritApres;
    bool lMC = false;
    bool lMCExiste = false;
    QString cMCAvant, cMCApres; // empty after: no key
    bool lCDC = false;
    bool lCDCAvant = false, lCDCApres = false;
    bool lLeg = false;
    bool lLegExiste = false;
    QString cLegAvant, cLegApres; // empty after: no key
    bool lDes = false;
    QString cDesAvant, cDesApres; // empty after: no description

    bool CriteresChangent() const
    {
        return lCrit && (CritApres != CritAvant || (CritApres.isEmpty() && lSectionExiste));
    }
    bool MotsClesChangent() const
    {
        return lMC && (cMCApres.isEmpty() ? lMCExiste : (!lMCExiste || cMCApres != cMCAvant));
    }
    bool CoupDeCoeurChange() const { return lCDC && lCDCApres != lCDCAvant; }
    bool LegendeChange() const
    {
        return lLeg && (cLegApres.isEmpty() ? lLegExiste : (!lLegExiste || cLegApres != cLegAvant));
    }
    bool DescriptionChange() const { return lDes && cDesApres != cDesAvant; }
};

void ComptePertes(TPertesClassement &p, const TPlanImage &r)
{
    bool lPerte = false;
    auto Compte = [&lPerte](int &n, bool lPerd) {
        if (lPerd) {
            ++n;
            lPerte = true;
        }
    };
    bool lCritPerdu = false;
    if (r.lCrit)
        for (const QString &cAvant : r.CritAvant)
            lCritPerdu = lCritPerdu || !CheminConserve(cAvant, r.CritApres);
    Compte(p.nCriteres, lCritPerdu);
    bool lMotPerdu = false;
    if (r.lMC) {
        const QStringList Apres = Mots(r.cMCApres);
        for (const QString &cMot : Mots(r.cMCAvant))
            lMotPerdu = lMotPerdu || !Apres.contains(cMot, Qt::CaseInsensitive);
    }
    Compte(p.nMotsCles, lMotPerdu);
    Compte(p.nCoupsDeCoeur, r.lCDC && r.lCDCAvant && !r.lCDCApres);
    Compte(p.nLegendes, r.lLeg && !r.cLegAvant.trimmed().isEmpty() && r.cLegApres != r.cLegAvant);
    Compte(p.nDescriptions, r.lDes && !r.cDesAvant.isEmpty() && r.cDesApres != r.cDesAvant);
    if (lPerte)
        ++p.nImages;
}
} // namespace

struct TLotClassement::TDonnees
{
    TClassement &C;
    TParamsClassement P;
    QStringList CritCoches;
    QString cMotsCles;    // cleaned
    QString cLegende;     // one line, trimmed
    QString cDescription; // one line, trimmed

    bool lBDDModifie = false;
    bool lSetupModifie = false;
    QStringList ClesModifiees;
    QSet<QString> ClesVues;
    bool lLegendeAppliquee = false;
    bool lDescriptionAppliquee = false;

    QStringList Dossiers; // in the order first met
    QHash<QString, QList<TChangementDescription>> Changements;
    QHash<QString, std::pair<QString, int>> ChangementDe;  // full path -> folder, index
    QHash<QString, TDescriptionsDossier> DescriptionsLues; // by folder, as the batch found them
    TIndexCriteres Criteres;
    QStringList MotsNouveaux;

    TDonnees(TClassement &Classement, const QStringList &Coches, const TParamsClassement &Params)
        : C(Classement), P(Params), CritCoches(Coches), cMotsCles(MotsClesStockes(Params.cNouvMotsCles)),
          cLegende(TexteSurUneLigne(Params.cNouvLegende)), cDescription(TexteSurUneLigne(Params.cNouvDescription)),
          Criteres(Classement.m_Arbo), MotsNouveaux(Mots(cMotsCles))
    {}

    // The description of an image as the batch has left it so far.
    QString DescriptionCourante(const TEnrLV &Image)
    {
        const auto It = ChangementDe.constFind(Image.cChemin);
        if (It != ChangementDe.cend())
            return Changements.value(It->first).at(It->second).cNouvelle;
        if (Image.nNumCD != 0)
            return C.m_Descriptions.DescriptionImage(Image.nNumCD, Image.cChemin, nDescLecture);
        // A batch meets the same few folders over and over: each descript.ion is checked once
        // rather than once per image. The batch writes them only when it ends.
        const qsizetype nBarre = Image.cChemin.lastIndexOf(u'/');
        if (nBarre < 0 || nBarre == Image.cChemin.size() - 1)
            return {};
        const QString cDossier = Image.cChemin.left(nBarre + 1);
        auto Lue = DescriptionsLues.find(cDossier);
        if (Lue == DescriptionsLues.end())
            Lue = DescriptionsLues.insert(cDossier, C.m_Descriptions.DescriptionsDossier(cDossier));
        return Lue->Description(Image.cChemin.mid(nBarre + 1));
    }

    TPlanImage Plan(const TEnrLV &Image)
    {
        TPlanImage r;
        r.cCle = Cle(Image);
        const TBigIniFile &iniBDD = C.m_iniBDD;
        const TBigIniFile &iniSetup = C.m_iniSetup;
        if (P.lAppCrit) {
            r.lCrit = true;
            iniBDD.ReadSection(r.cCle, r.CritAvant);
            r.lSectionExiste = !r.CritAvant.isEmpty() || iniBDD.SectionExists(r.cCle);
            if (P.lRemplCrit)
                r.CritApres = CritCoches;
            else if (CritCoches.isEmpty())
                r.CritApres = r.CritAvant;
            else
                r.CritApres = Criteres.Fusionne(CritCoches + r.CritAvant);
        }
        if (P.lAppMC) {
            r.lMC = true;
            r.lMCExiste = LitValeur(iniSetup, cSectionMotsCles, r.cCle, r.cMCAvant);
            if (P.lRemplMC)
                r.cMCApres = cMotsCles;
            else if (cMotsCles.isEmpty())
                r.lMC = false;
            else
                r.cMCApres = FusionneMotsCles(cMotsCles, MotsNouveaux, r.cMCAvant);
        }
        if (P.lAppCDC) {
            r.lCDC = true;
            r.lCDCAvant = iniSetup.ValueExists(cSectionCoupsDeCoeur, r.cCle);
            r.lCDCApres = P.lNouvCDC;
        }
        if (P.lAppLeg) {
            r.lLeg = true;
            r.lLegExiste = LitValeur(iniSetup, cSectionLegendes, r.cCle, r.cLegAvant);
            r.cLegApres = cLegende;
        }
        if (P.lAppDes && C.DescriptionModifiable(Image)) {
            r.lDes = true;
            r.cDesAvant = DescriptionCourante(Image);
            r.cDesApres = cDescription;
        }
        return r;
    }

    void Applique(const TEnrLV &Image) { AppliquePlan(Image, Plan(Image)); }

    // The plan must have been made on the stores as they are (nothing applied in between but
    // other images' plans).
    void AppliquePlan(const TEnrLV &Image, const TPlanImage &r)
    {
        TBigIniFile &iniBDD = C.m_iniBDD;
        TBigIniFile &iniSetup = C.m_iniSetup;
        bool lChange = false;
        if (r.CriteresChangent()) {
            std::vector<std::pair<QString, QString>> Lignes;
            Lignes.reserve(size_t(r.CritApres.size()));
            for (const QString &cChemin : r.CritApres)
                Lignes.emplace_back(cChemin, QString());
            iniBDD.RemplaceSection(r.cCle, Lignes);
            lBDDModifie = lChange = true;
        }
        if (r.MotsClesChangent()) {
            if (r.cMCApres.isEmpty())
                iniSetup.DeleteKey(cSectionMotsCles, r.cCle);
            else
                iniSetup.WriteString(cSectionMotsCles, r.cCle, r.cMCApres);
            lSetupModifie = lChange = true;
        }
        if (r.CoupDeCoeurChange()) {
            if (r.lCDCApres)
                iniSetup.WriteString(cSectionCoupsDeCoeur, r.cCle, QString());
            else
                iniSetup.DeleteKey(cSectionCoupsDeCoeur, r.cCle);
            lSetupModifie = lChange = true;
        }
        if (r.LegendeChange()) {
            if (r.cLegApres.isEmpty())
                iniSetup.DeleteKey(cSectionLegendes, r.cCle);
            else
                iniSetup.WriteString(cSectionLegendes, r.cCle, r.cLegApres);
            lSetupModifie = lChange = true;
        }
        if (r.lLeg && !r.cLegApres.isEmpty()) {
            lLegendeAppliquee = true;
            if (P.pListeLegendes)
                AjouteSansDoublon(*P.pListeLegendes, r.cLegApres);
        }
        if (r.DescriptionChange()) {
            NoteDescription(Image, r.cDesApres);
            lChange = true;
        }
        if (r.lDes && !r.cDesApres.isEmpty()) {
            lDescriptionAppliquee = true;
            if (P.pListeDescriptions)
                AjouteSansDoublon(*P.pListeDescriptions, r.cDesApres);
        }
        if (lChange && !ClesVues.contains(r.cCle)) {
            ClesVues.insert(r.cCle);
            ClesModifiees.append(r.cCle);
        }
    }

    void NoteDescription(const TEnrLV &Image, const QString &cApres)
    {
        const auto It = ChangementDe.constFind(Image.cChemin);
        if (It != ChangementDe.cend()) {
            Changements[It->first][It->second].cNouvelle = cApres;
            return;
        }
        const qsizetype nBarre = Image.cChemin.lastIndexOf(u'/');
        if (nBarre < 0 || nBarre == Image.cChemin.size() - 1)
            return;
        const QString cDossier = Image.cChemin.left(nBarre + 1);
        QList<TChangementDescription> &Liste = Changements[cDossier];
        if (Liste.isEmpty())
            Dossiers.append(cDossier);
        Liste.append({Image.cChemin, Image.cChemin.mid(nBarre + 1), cApres});
        ChangementDe.insert(Image.cChemin, {cDossier, int(Liste.size() - 1)});
    }

    // Through the shared descriptions, so that every view reads the batch's result at once; a
    // change that cannot be saved stays with them for the next save of that file.
    bool EcritDossier(const QString &cDossier)
    {
        QList<std::pair<QString, QString>> Liste;
        for (const TChangementDescription &c : std::as_const(Changements[cDossier]))
            Liste.append({c.cNom, c.cNouvelle});
        return C.m_Descriptions.EcritDescriptionsDossier(cDossier, Liste);
    }
};

TLotClassement::TLotClassement(TClassement &Classement, const QStringList &CritCoches, const TParamsClassement &Params)
    : d(std::make_unique<TDonnees>(Classement, CritCoches, Params))
{}

TLotClassement::~TLotClassement() = default;

void TLotClassement::Appliquer(const TEnrLV &Image)
{
    d->Applique(Image);
}

TResultatClassement TLotClassement::Terminer()
{
    QStringList Erreurs;
    if (d->lBDDModifie && !d->C.m_iniBDD.UpdateFile())
        Erreurs << ErreurStore(d->C.m_iniBDD.FileName());
    if (d->lSetupModifie && !d->C.m_iniSetup.UpdateFile())
        Erreurs << ErreurStore(d->C.m_iniSetup.FileName());
    for (const QString &cDossier : std::as_const(d->Dossiers))
        if (!d->EcritDossier(cDossier))
            Erreurs << ErreurDescriptions(cDossier + cNomFichierDescriptions);

    TResultatClassement r;
    r.ClesModifiees = d->ClesModifiees;
    r.cErreur = TexteErreurs(Erreurs);
    // Whatever could not be saved is in memory and reads as changed: the views follow it.
    for (const QString &cCle : std::as_const(d->ClesModifiees))
        emit d->C.ClassementModifie(cCle);
    if (d->lLegendeAppliquee)
        emit d->C.LegendeAppliquee(d->cLegende);
    if (d->lDescriptionAppliquee)
        emit d->C.DescriptionAppliquee(d->cDescription);

    d->lBDDModifie = d->lSetupModifie = false;
    d->ClesModifiees.clear();
    d->ClesVues.clear();
    d->Dossiers.clear();
    d->Changements.clear();
    d->ChangementDe.clear();
    d->DescriptionsLues.clear();
    d->lLegendeAppliquee = d->lDescriptionAppliquee = false;
    return r;
}

QStringList TLotClassement::FusionneCriteres(const TArboCriteres &Arbo, const QStringList &Chemins)
{
    return TIndexCriteres(Arbo).Fusionne(Chemins);
}

// ---- TClassement ---------------------------------------------------------------------------

TClassement::TClassement(TBigIniFile &iniSetup, TBigIniFile &iniBDD, TDescriptions &Descriptions,
                         const TArboCriteres &Arbo, const TEnrParametres &Parametres, QObject *parent)
    : QObject(parent), m_iniSetup(iniSetup), m_iniBDD(iniBDD), m_Descriptions(Descriptions), m_Arbo(Arbo),
      m_Parametres(Parametres)
{}

TClassement::~TClassement() = default;

bool TClassement::AUnClassement(const TEnrLV &Image) const
{
    return ADesDonnees(m_iniBDD, m_iniSetup, Cle(Image));
}

QStringList TClassement::CriteresImage(const TEnrLV &Image) const
{
    QStringList l;
    m_iniBDD.ReadSection(Cle(Image), l);
    return l;
}

QString TClassement::MotsClesImage(const TEnrLV &Image) const
{
    return m_iniSetup.ReadString(cSectionMotsCles, Cle(Image), QString());
}

bool TClassement::EstCoupDeCoeur(const TEnrLV &Image) const
{
    return m_iniSetup.ValueExists(cSectionCoupsDeCoeur, Cle(Image));
}

QString TClassement::LegendeImage(const TEnrLV &Image) const
{
    return m_iniSetup.ReadString(cSectionLegendes, Cle(Image), QString());
}

QString TClassement::DescriptionImage(const TEnrLV &Image) const
{
    if (!m_Parametres.lTrtDescription)
        return {};
    return m_Descriptions.DescriptionImage(Image.nNumCD, Image.cChemin, nDescLecture);
}

bool TClassement::DescriptionModifiable(const TEnrLV &Image) const
{
    return m_Parametres.lTrtDescription && Image.nNumCD == 0;
}

TResultatClassement TClassement::AppliquerClassement(const TEnrLV &Image, const TCochesCriteres &Coches,
                                                     const TParamsClassement &Params)
{
    return AppliquerClassementLot({&Image}, Coches, Params);
}

TResultatClassement TClassement::AppliquerClassementLot(const QList<const TEnrLV *> &Images,
                                                        const TCochesCriteres &Coches, const TParamsClassement &Params)
{
    QStringList CritCoches;
    if (Params.lAppCrit)
        Coches.ListerCritCoches(CritCoches);
    TLotClassement Lot(*this, CritCoches, Params);
    for (const TEnrLV *Image : Images)
        Lot.Appliquer(*Image);
    return Lot.Terminer();
}

TPertesClassement TClassement::PertesLot(const QList<const TEnrLV *> &Images, const TCochesCriteres &Coches,
                                         const TParamsClassement &Params)
{
    QStringList CritCoches;
    if (Params.lAppCrit)
        Coches.ListerCritCoches(CritCoches);
    TLotClassement::TDonnees Lot(*this, CritCoches, Params);
    TPertesClassement p;
    for (const TEnrLV *Image : Images)
        ComptePertes(p, Lot.Plan(*Image));
    return p;
}

QString TClassement::QuestionPertes(const TPertesClassement &Pertes, int nNbImages)
{
    if (Pertes.Aucune())
        return {};
    QString c = QStringLiteral("L'application aux %1 image(s) sélectionnée(s) va effacer des données de %2 image(s) :")
                    .arg(nNbImages)
                    .arg(Pertes.nImages);
    auto Ligne = [&c](int n, const char *cQuoi) {
        if (n > 0)
            c += cCRLF + cRetrait + QStringLiteral("- %1 de %2 image(s)").arg(QString::fromUtf8(cQuoi)).arg(n);
    };
    Ligne(Pertes.nCriteres, "les critères hiérarchiques");
    Ligne(Pertes.nMotsCles, "les mots-clés");
    Ligne(Pertes.nCoupsDeCoeur, "le coup de coeur");
    Ligne(Pertes.nLegendes, "la légende");
    Ligne(Pertes.nDescriptions, "la description");
    return c + cCRLF + cCRLF + QStringLiteral("Continuer ?");
}

TResultatClassement TClassement::AppliquerAuxImages(const QList<const TEnrLV *> &Images, const TCochesCriteres &Coches,
                                                    const TParamsClassement &Params, IMessages &Messages,
                                                    QWidget *Parent)
{
    if (Images.isEmpty()) {
        Messages.Information(Parent, QStringLiteral("Aucune image à traiter."));
        return {};
    }
    QStringList CritCoches;
    if (Params.lAppCrit)
        Coches.ListerCritCoches(CritCoches);
    TLotClassement Lot(*this, CritCoches, Params);
    // What the question counts is what is then applied: the stores do not change meanwhile.
    std::vector<TPlanImage> Plans;
    Plans.reserve(size_t(Images.size()));
    TPertesClassement Pertes;
    for (const TEnrLV *Image : Images) {
        Plans.push_back(Lot.d->Plan(*Image));
        ComptePertes(Pertes, Plans.back());
    }
    const QString cQuestion = QuestionPertes(Pertes, int(Images.size()));
    if (!cQuestion.isEmpty() && !Messages.Question(Parent, cQuestion))
        return {};
    for (qsizetype i = 0; i < Images.size(); ++i)
        Lot.d->AppliquePlan(*Images[i], Plans[size_t(i)]);
    TResultatClassement r = Lot.Terminer();
    if (!r.Reussi())
        Messages.Erreur(Parent, r.cErreur);
    return r;
}

TResultatClassement TClassement::BasculerCoupDeCoeur(const TEnrLV &Image, bool &lNouvelEtat)
{
    TParamsClassement p;
    p.lAppCDC = true;
    p.lNouvCDC = !EstCoupDeCoeur(Image);
    TLotClassement Lot(*this, {}, p);
    Lot.Appliquer(Image);
    TResultatClassement r = Lot.Terminer();
    lNouvelEtat = EstCoupDeCoeur(Image);
    return r;
}

bool TClassement::PeutDeposerCritere(const TEnrLV &Image, const QString &cChemin) const
{
    return m_Arbo.NoeudDeChemin(cChemin) && !m_iniBDD.ValueExists(Cle(Image), cChemin);
}

TResultatClassement TClassement::AjouterCritereImage(const TEnrLV &Image, const QString &cChemin)
{
    if (!PeutDeposerCritere(Image, cChemin))
        return {};
    TParamsClassement p;
    p.lAppCrit = true;
    TLotClassement Lot(*this, {cChemin}, p);
    Lot.Appliquer(Image);
    return Lot.Terminer();
}

bool TClassement::PeutDeposerMotCle(const TEnrLV &Image, const QString &cMotCle) const
{
    const QString cMot = NormaliseMotsCles(cMotCle);
    return !cMot.isEmpty() && !cMot.contains(u' ')
           && !MotCleEntierPresent(NormaliseMotsCles(MotsClesImage(Image)), cMot);
}

TResultatClassement TClassement::AjouterMotCleImage(const TEnrLV &Image, const QString &cMotCle)
{
    if (!PeutDeposerMotCle(Image, cMotCle))
        return {};
    const QString cCle = Cle(Image);
    const QString cAvant = MotsClesImage(Image);
    const QString cApres = MotsClesStockes(cAvant + u' ' + NormaliseMotsCles(cMotCle));
    TResultatClassement r;
    if (cApres == cAvant && m_iniSetup.ValueExists(cSectionMotsCles, cCle))
        return r;
    m_iniSetup.WriteString(cSectionMotsCles, cCle, cApres);
    if (!m_iniSetup.UpdateFile())
        r.cErreur = TexteErreurs({ErreurStore(m_iniSetup.FileName())});
    r.ClesModifiees << cCle;
    emit ClassementModifie(cCle);
    return r;
}

QList<TNoeudClassement> TClassement::AfficherClassement(const TEnrLV &Image) const
{
    QList<TNoeudClassement> Racines;
    const QString cCle = Cle(Image);

    // Criteria: each stored path walked from the top, its nodes found by exact caption or
    // added with the icons of the tree's node of the same path.
    QStringList Chemins;
    m_iniBDD.ReadSection(cCle, Chemins);
    for (const QString &cChemin : std::as_const(Chemins)) {
        QList<TNoeudClassement> *Niveau = &Racines;
        QString cPrefixe;
        QStringList Composants = DecoupeChemin(cChemin);
        // A hand-edited line may hold thousands of levels: the deepest shown node takes the
        // rest of the path, so that the nodes stay few levels deep.
        if (Composants.size() > nProfondeurMaxAffichee) {
            const QString cReste = Composants.mid(nProfondeurMaxAffichee - 1).join(u'/');
            Composants.resize(nProfondeurMaxAffichee - 1);
            Composants.append(cReste);
        }
        for (const QString &cComposant : std::as_const(Composants)) {
            cPrefixe = cPrefixe.isEmpty() ? cComposant : cPrefixe + u'/' + cComposant;
            auto It = std::find_if(Niveau->begin(), Niveau->end(),
                                   [&](const TNoeudClassement &n) { return n.cTexte == cComposant; });
            if (It == Niveau->end()) {
                TNoeudClassement n{cComposant, IconesArbres::nDossierFerme, IconesArbres::nDossierOuvert, true, {}};
                if (const TNoeudCritere *Noeud = m_Arbo.NoeudDeChemin(cPrefixe)) {
                    n.nImage = Noeud->IndexImage();
                    n.nImageSel = Noeud->IndexImage() == IconesArbres::nDossierFerme ? IconesArbres::nDossierOuvert
                                                                                     : Noeud->IndexImage();
                }
                Niveau->append(n);
                It = Niveau->end() - 1;
            }
            Niveau = &It->Enfants;
        }
    }
    if (m_Parametres.lTrierArboCritHier)
        TrieParCode(Racines);

    if (m_iniSetup.ValueExists(cSectionMotsCles, cCle)) {
        TNoeudClassement n{
            cCaptionGroupeMotsCles, IconesArbres::nGroupeMotsCles, IconesArbres::nGroupeMotsCles + 1, true, {}};
        for (const QString &cMot : Mots(MotsClesImage(Image)))
            n.Enfants.append({cMot, IconesArbres::nMotCle, IconesArbres::nMotCle + 1, true, {}});
        Racines.append(n);
    }
    if (EstCoupDeCoeur(Image))
        Racines.append(
            {QStringLiteral("Coup de coeur"), IconesArbres::nCoupDeCoeur, IconesArbres::nCoupDeCoeur + 1, true, {}});
    const QString cLegende = LegendeImage(Image);
    if (!cLegende.isEmpty()) {
        if (m_Parametres.nAffLegMaxCarLig > 0) {
            TNoeudClassement n{
                QStringLiteral("Légende :"), IconesArbres::nLegende, IconesArbres::nLegende + 1, true, {}};
            for (const QString &cLigne : CouperLignes(cLegende, m_Parametres.nAffLegMaxCarLig))
                n.Enfants.append({cLigne, IconesArbres::nMotCle, IconesArbres::nMotCle + 1, true, {}});
            Racines.append(n);
        } else {
            Racines.append({u'\'' + cLegende + u'\'', IconesArbres::nLegende, IconesArbres::nLegende + 1, true, {}});
        }
    }
    const QString cDescription = DescriptionImage(Image);
    if (!cDescription.isEmpty()) {
        TNoeudClassement n{
            QStringLiteral("Description :"), IconesArbres::nDescription, IconesArbres::nDescription + 1, true, {}};
        for (const QString &cLigne : CouperLignes(cDescription, 40))
            n.Enfants.append({cLigne, IconesArbres::nMotCle, IconesArbres::nMotCle + 1, true, {}});
        Racines.append(n);
    }
    if (const std::optional<TNoeudMeta> Exif = NoeudEXIF(Image, m_Parametres.cOrdreEXIF))
        Racines.append(DepuisMeta(*Exif, true));
    if (const std::optional<TNoeudMeta> Iptc = NoeudIPTC(Image, m_Parametres.cOrdreIPTC)) {
        // Shown one level deep: its groups stay closed.
        TNoeudClassement n = DepuisMeta(*Iptc, false);
        n.lDeplie = true;
        Racines.append(n);
    }
    return Racines;
}

QString TClassement::BlocHintClassement(const TEnrLV &Image) const
{
    if (!m_Parametres.lHintAffCRIT)
        return {};
    QString c;
    auto Ajoute = [&c](const QString &cElement) {
        if (c.isEmpty())
            c = QStringLiteral("\r\n<PG>CRITERES</PG/>");
        c += cElement;
    };
    QStringList Chemins = CriteresImage(Image);
    // The outline indents each level once more: a hand-edited path of thousands of levels is
    // cut, or its outline alone would take gigabytes.
    for (QString &cChemin : Chemins) {
        const QStringList Composants = DecoupeChemin(cChemin);
        if (Composants.size() > nProfondeurMaxAffichee)
            cChemin = (Composants.mid(0, nProfondeurMaxAffichee - 1) << QStringLiteral("…")).join(u'/');
    }
    if (!Chemins.isEmpty()) {
        if (m_Parametres.lTrierArboCritHier)
            std::stable_sort(Chemins.begin(), Chemins.end(),
                             [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
        Ajoute(cCRLF + ResumeCritCoches(Chemins));
    }
    const QString cMotsCles = MotsClesImage(Image);
    if (!cMotsCles.isEmpty())
        Ajoute(cCRLF + cCaptionGroupeMotsCles + QStringLiteral(" :") + cCRLF + cRetrait + cMotsCles);
    if (EstCoupDeCoeur(Image))
        Ajoute(cCRLF + QStringLiteral("<SG>Coup de coeur</SG/>"));
    const QString cLegende =
        TexteLegende(QStringLiteral("Légende"), LegendeImage(Image), m_Parametres.nAffLegMaxCarLig);
    if (!cLegende.isEmpty())
        Ajoute(cCRLF + cLegende);
    const QString cDescription = TexteLegende(QStringLiteral("Description"), DescriptionImage(Image), 200);
    if (!cDescription.isEmpty())
        Ajoute(cCRLF + cDescription);
    return c;
}

// ---- TEditionClassement --------------------------------------------------------------------

TEditionClassement::TEditionClassement(TClassement &Classement) : m_Classement(Classement), m_Coches(Classement.Arbo())
{}

TEditionClassement::~TEditionClassement() = default;

void TEditionClassement::Charger(const TEnrLV &Image)
{
    m_Image = Image;
    m_Coches.DecocherTout();
    for (const QString &cChemin : m_Classement.CriteresImage(Image))
        m_Coches.CocherChemin(cChemin);
    m_cMotsCles = m_Classement.MotsClesImage(Image);
    m_lCoupDeCoeur = m_Classement.EstCoupDeCoeur(Image);
    m_cLegende = m_Classement.LegendeImage(Image);
    m_cDescription = m_Classement.DescriptionImage(Image);
    m_lModifie = false;
}

void TEditionClassement::BasculerCritere(const TNoeudCritere &Noeud)
{
    m_Coches.BasculerCritere(Noeud);
    m_lModifie = true;
}

void TEditionClassement::FixeCoches(const TCochesCriteres &Coches)
{
    QStringList Avant, Apres;
    m_Coches.ListerCritCoches(Avant);
    Coches.ListerCritCoches(Apres);
    m_Coches = Coches;
    if (Avant != Apres)
        m_lModifie = true;
}

void TEditionClassement::RAZ()
{
    m_Coches.DecocherTout();
    m_cMotsCles.clear();
    m_lCoupDeCoeur = false;
    m_cLegende.clear();
    if (DescriptionModifiable())
        m_cDescription.clear();
    m_lModifie = true;
}

void TEditionClassement::FixeMotsCles(const QString &cMotsCles)
{
    if (cMotsCles == m_cMotsCles)
        return;
    m_cMotsCles = cMotsCles;
    m_lModifie = true;
}

void TEditionClassement::FixeCoupDeCoeur(bool lCoupDeCoeur)
{
    if (lCoupDeCoeur == m_lCoupDeCoeur)
        return;
    m_lCoupDeCoeur = lCoupDeCoeur;
    m_lModifie = true;
}

void TEditionClassement::FixeLegende(const QString &cLegende)
{
    if (cLegende == m_cLegende)
        return;
    m_cLegende = cLegende;
    m_lModifie = true;
}

void TEditionClassement::FixeDescription(const QString &cDescription)
{
    if (!DescriptionModifiable() || cDescription == m_cDescription)
        return;
    m_cDescription = cDescription;
    m_lModifie = true;
}

bool TEditionClassement::DescriptionModifiable() const
{
    return m_Image && m_Classement.DescriptionModifiable(*m_Image);
}

TResultatClassement TEditionClassement::Sauvegarder(QStringList *pListeLegendes, QStringList *pListeDescriptions)
{
    if (!m_Image || !m_lModifie)
        return {};
    TParamsClassement p;
    p.lAppCrit = p.lRemplCrit = true;
    p.lAppMC = p.lRemplMC = true;
    p.cNouvMotsCles = m_cMotsCles.trimmed();
    p.lAppCDC = true;
    p.lNouvCDC = m_lCoupDeCoeur;
    p.lAppLeg = true;
    p.cNouvLegende = m_cLegende.trimmed();
    p.lAppDes = DescriptionModifiable();
    p.cNouvDescription = m_cDescription.trimmed();
    p.pListeLegendes = pListeLegendes;
    p.pListeDescriptions = pListeDescriptions;
    const TResultatClassement r = m_Classement.AppliquerClassement(*m_Image, m_Coches, p);
    // What could not be saved is in memory and goes with the next save: nothing is pending
    // in the window any more.
    m_lModifie = false;
    return r;
}

TResultatClassement TEditionClassement::AvantChangement(bool lSvgAutoQdNavig, const QString &cCaption,
                                                        QString &cQuestion)
{
    cQuestion.clear();
    if (!m_lModifie)
        return {};
    if (lSvgAutoQdNavig)
        return Sauvegarder();
    cQuestion = QuestionFermeture(cCaption);
    return {};
}

QString TEditionClassement::QuestionFermeture(const QString &cCaption)
{
    return QStringLiteral("Sauvegarder les modifications apportées à '%1' ?").arg(cCaption);
}

QString TEditionClassement::HintLegende() const
{
    const QString c = TexteLegende(QStringLiteral("Légende"), m_cLegende, m_Classement.Parametres().nAffLegMaxCarLig);
    return c.isEmpty() ? QStringLiteral("Légende") : c;
}

QString TEditionClassement::HintDescription() const
{
    const QString c = TexteLegende(QStringLiteral("Description"), m_cDescription, 200);
    return c.isEmpty() ? QStringLiteral("Description") : c;
}
