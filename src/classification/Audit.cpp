#include "classification/Audit.h"

#include "classification/ArboCriteres.h"
#include "classification/IndexClassement.h"
#include "classification/MotsCles.h"
#include "imaging/FileKinds.h"
#include "imaging/NomVignette.h"
#include "metadata/CacheMeta.h"
#include "platform/FrenchFormats.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Sections.h"

#include <QFile>
#include <QSet>

#include <sys/stat.h>

#include <unordered_map>
#include <vector>

#include <algorithm>

namespace
{
int Twips(double rPoints)
{
    return int(rPoints * 20 + (rPoints < 0 ? -0.5 : 0.5));
}

// The size and modification time of a file, by one stat() without QFileInfo's machinery (a
// report asks it of every image). lFichierSeul: false for anything but a file (a folder).
bool EtatFichier(const QString &cChemin, bool lFichierSeul, qint64 &nTaille, QDateTime &dtDate)
{
    struct stat st
    {
    };
    if (cChemin.isEmpty() || ::stat(QFile::encodeName(cChemin).constData(), &st) != 0)
        return false;
    if (lFichierSeul && !S_ISREG(st.st_mode))
        return false;
    nTaille = qint64(st.st_size);
    dtDate = QDateTime::fromMSecsSinceEpoch(qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000);
    return true;
}

// The program's texts separate lines with CR LF; a lone line feed stays inside its line.
// Looked for a character at a time: most texts hold no CR at all.
bool ACRLF(const QString &cTexte)
{
    const QChar *p = cTexte.constData();
    for (qsizetype i = 0; i + 1 < cTexte.size(); ++i)
        if (p[i] == u'\r' && p[i + 1] == u'\n')
            return true;
    return false;
}

QStringList LignesDe(const QString &cTexte)
{
    return cTexte.split(QStringLiteral("\r\n"));
}
} // namespace

bool TOptionsAudit::UneRubrique() const
{
    return std::any_of(Rubriques.begin(), Rubriques.end(), [](bool l) { return l; });
}

bool TOptionsAudit::PeutGenerer() const
{
    return lGalCritHier || lGalMCPres || lGalCritEnr || lGalMCEnr || UneRubrique();
}

bool TSelectionsAudit::FiltreActif() const
{
    return std::any_of(Rubriques.begin(), Rubriques.end(), [](const TGroupesRubrique &g) { return g.Filtree(); });
}

TEnrNomImg EnrNomImg(const QString &cCle, const std::function<QString(qint32)> &fnLabelCD)
{
    const TEnrLST Lst = DecomposeCle(cCle);
    TEnrNomImg Enr;
    Enr.nIdCD = Lst.nVolume;
    Enr.cChemin = Lst.cChemin;
    Enr.cCle = cCle;
    if (Lst.nVolume != 0) {
        const QString cLabel = fnLabelCD ? fnLabelCD(Lst.nVolume) : QString();
        // One pass of arg(): a label or path holding "%1" is not substituted again.
        Enr.cAffiche = QStringLiteral("%1 - \"%2\" : %3").arg(IdVolume(quint32(Lst.nVolume)), cLabel, Lst.cChemin);
    } else
        Enr.cAffiche = Lst.cChemin;
    return Enr;
}

namespace
{
QString CleTri(const TEnrNomImg &Enr)
{
    // "0" or "1" then the upper-cased text. Most paths are Latin-1, upper-cased here letter by
    // letter (a to z, and à to þ but ÷); "µ", "ß" and "ÿ", whose capitals lie beyond Latin-1 or
    // are two letters, and any other text take QString::toUpper's full case mapping.
    const QString &c = Enr.cAffiche;
    const char16_t *pSource = reinterpret_cast<const char16_t *>(c.utf16());
    if (std::all_of(pSource, pSource + c.size(),
                    [](char16_t u) { return u < 0x100 && u != 0xB5 && u != 0xDF && u != 0xFF; })) {
        QString cTri(c.size() + 1, Qt::Uninitialized);
        char16_t *p = reinterpret_cast<char16_t *>(cTri.data());
        *p++ = Enr.nIdCD != 0 ? u'1' : u'0';
        for (qsizetype i = 0; i < c.size(); ++i) {
            const char16_t u = pSource[i];
            p[i] = (u >= u'a' && u <= u'z') || (u >= 0xE0 && u != 0xF7) ? char16_t(u - 0x20) : u;
        }
        return cTri;
    }
    return (Enr.nIdCD != 0 ? QStringLiteral("1") : QStringLiteral("0")) + c.toUpper();
}
} // namespace

void TrieNomsImg(QList<TEnrNomImg> &Liste)
{
    std::vector<std::pair<QString, qsizetype>> Cles;
    Cles.reserve(size_t(Liste.size()));
    for (qsizetype i = 0; i < Liste.size(); ++i)
        Cles.emplace_back(CleTri(Liste[i]), i);
    std::stable_sort(Cles.begin(), Cles.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    QList<TEnrNomImg> Triee;
    Triee.reserve(Liste.size());
    for (const auto &c : Cles)
        Triee << std::move(Liste[c.second]);
    Liste = std::move(Triee);
}

// ---- Writing the paragraphs ----------------------------------------------------------------

const QList<TSegmentRTF> &TRedacteurAudit::Runs(const QString &cTexte)
{
    // The look mostly stays from one line to the next: the last one found is tried first.
    if (m_nAspect < 0 || m_Aspects[m_nAspect].rTaille != rTaille || m_Aspects[m_nAspect].lGras != lGras
        || m_Aspects[m_nAspect].lSouligne != lSouligne) {
        m_nAspect = -1;
        for (qsizetype i = 0; i < m_Aspects.size() && m_nAspect < 0; ++i)
            if (m_Aspects[i].rTaille == rTaille && m_Aspects[i].lGras == lGras && m_Aspects[i].lSouligne == lSouligne)
                m_nAspect = i;
        if (m_nAspect < 0) {
            m_Aspects.append(TRunsDUnAspect{rTaille, lGras, lSouligne, {}, {}, false});
            m_nAspect = m_Aspects.size() - 1;
        }
    }
    TRunsDUnAspect &a = m_Aspects[m_nAspect];
    // Empty lines, one an image, are not hashed.
    if (cTexte.isEmpty()) {
        if (!a.lVide) {
            a.Vide = {TSegmentRTF{cTexte, rTaille, lGras, lSouligne}};
            a.lVide = true;
        }
        return a.Vide;
    }
    // Nor is a text met again in the same storage (labels, criteria): a recent text is found
    // by its address. The entry holds a copy, so that storage can neither be freed nor change
    // (a string sharing it copies it before any change); borrowed storage is not recorded.
    TRunsDUnAspect::TRecent *pRecent = nullptr;
    if (cTexte.data_ptr().isMutable()) {
        if (a.Recents.empty())
            a.Recents.resize(TRunsDUnAspect::nRecents);
        pRecent = &a.Recents[(quintptr(cTexte.constData()) >> 4) % TRunsDUnAspect::nRecents];
        if (pRecent->cTexte.constData() == cTexte.constData() && pRecent->cTexte.size() == cTexte.size())
            return pRecent->Runs;
    }
    auto it = a.ParTexte.constFind(cTexte);
    if (it == a.ParTexte.cend()) {
        // Kept for the report's life: a borrowed text is copied, its owner may rewrite it.
        const QString cGarde = cTexte.data_ptr().isMutable() ? cTexte : QString(cTexte.constData(), cTexte.size());
        it = a.ParTexte.insert(cGarde, {TSegmentRTF{cGarde, rTaille, lGras, lSouligne}});
    }
    if (!pRecent)
        return *it;
    pRecent->cTexte = cTexte;
    pRecent->Runs = *it;
    return pRecent->Runs;
}

void TRedacteurAudit::Ajoute(const QList<TSegmentRTF> &Runs)
{
    TParagrapheRTF &p = Paragraphes.emplace_back();
    p.nAlignement = nAlignement;
    p.nRetraitPremiereLigne = Twips(rRetraitPremiere);
    p.nRetraitGauche = Twips(rRetraitGauche);
    p.lPuce = lPuce;
    p.lstSegments = Runs;
}

void TRedacteurAudit::Segments(const QList<TSegmentRTF> &Segments)
{
    Ajoute(Segments);
}

void TRedacteurAudit::Ligne(const QString &cTexte)
{
    Ajoute(Runs(cTexte));
}

void TRedacteurAudit::LigneUnique(const QString &cTexte)
{
    Ajoute({TSegmentRTF{cTexte, rTaille, lGras, lSouligne}});
}

void TRedacteurAudit::Titre(int nNiveau, const QString &cTitre)
{
    Ligne();
    rRetraitPremiere = (nNiveau - 1) * 16;
    rTaille = nNiveau == 1 ? 16 : 12;
    lGras = lSouligne = true;
    int &nNumero = nNiveau == 1 ? m_nNumero1 : m_nNumero2;
    Ligne(QStringLiteral("%1) %2").arg(nNumero).arg(cTitre));
    ++nNumero;
    if (nNiveau == 1)
        m_nNumero2 = 1;
    rTaille = 8;
    lGras = lSouligne = false;
    Ligne();
}

void TRedacteurAudit::LigneEtiquetee(const QString &cEtiquette, const QString &cValeur)
{
    if (cValeur.isEmpty())
        return;
    rRetraitPremiere = 32;
    lGras = true;
    Ligne(cEtiquette);
    lGras = false;
    rRetraitPremiere = 48;
    if (!ACRLF(cValeur))
        Ligne(cValeur);
    else
        for (const QString &c : LignesDe(cValeur))
            Ligne(c);
}

void TRedacteurAudit::BlocEtiquete(const QString &cEtiquette, const QString &cValeur)
{
    // Most values are one line: they are shown as they are, without cutting them.
    if (!ACRLF(cValeur))
        BlocEtiqueteLignes(cEtiquette, {cValeur});
    else
        BlocEtiqueteLignes(cEtiquette, LignesDe(cValeur));
}

void TRedacteurAudit::BlocEtiqueteLignes(const QString &cEtiquette, const QStringList &Lignes)
{
    // The value loses one leading CR LF, that is its first line when it is empty and not alone;
    // an empty value makes no block.
    const qsizetype nDebut = Lignes.size() > 1 && Lignes.first().isEmpty() ? 1 : 0;
    if (Lignes.size() - nDebut == 0 || (Lignes.size() - nDebut == 1 && Lignes.last().isEmpty()))
        return;
    rRetraitPremiere = 32;
    lSouligne = true;
    Ligne(cEtiquette);
    lSouligne = false;
    rRetraitPremiere = 48;
    for (qsizetype i = nDebut; i < Lignes.size(); ++i)
        Ligne(Lignes[i]);
}

// ---- The report ----------------------------------------------------------------------------

namespace
{
// What follows the number and the display text in an image's entry: " size" or " size le date".
// FrenchFormats::DateHeure ("dd/MM/yyyy HH:mm:ss") written digit by digit: a report dates every
// image, and a date format is read again at each QDate::toString. Years outside 1000 to 9999
// take the general way.
QString DateHeureImage(const QDateTime &dtDate)
{
    const QDate d = dtDate.date();
    const QTime t = dtDate.time();
    if (d.year() < 1000 || d.year() > 9999 || !t.isValid())
        return FrenchFormats::DateHeure(dtDate);
    QString c(19, Qt::Uninitialized);
    char16_t *p = reinterpret_cast<char16_t *>(c.data());
    auto Chiffres = [&p](int n, int nNombre) {
        for (int i = nNombre - 1; i >= 0; --i, n /= 10)
            p[i] = char16_t(u'0' + n % 10);
        p += nNombre;
    };
    Chiffres(d.day(), 2);
    *p++ = u'/';
    Chiffres(d.month(), 2);
    *p++ = u'/';
    Chiffres(d.year(), 4);
    *p++ = u' ';
    Chiffres(t.hour(), 2);
    *p++ = u':';
    Chiffres(t.minute(), 2);
    *p++ = u':';
    Chiffres(t.second(), 2);
    return c;
}

QString FinLigneImage(qint64 nTaille, const QDateTime &dtDate)
{
    QString c = QLatin1Char(' ') + TexteTaille(nTaille);
    if (dtDate.isValid())
        c += QStringLiteral(" le ") + DateHeureImage(dtDate);
    return c;
}

QString LigneImage(int nNumero, const QString &cAffiche, const QString &cFin)
{
    char16_t Chiffres[12];
    int nChiffres = 0;
    unsigned u = nNumero < 0 ? 0u - unsigned(nNumero) : unsigned(nNumero);
    do
        Chiffres[nChiffres++] = char16_t(u'0' + u % 10);
    while ((u /= 10) != 0);
    if (nNumero < 0)
        Chiffres[nChiffres++] = u'-';
    QString c(nChiffres + 2 + cAffiche.size() + cFin.size(), Qt::Uninitialized);
    char16_t *p = reinterpret_cast<char16_t *>(c.data());
    while (nChiffres > 0)
        *p++ = Chiffres[--nChiffres];
    *p++ = u')';
    *p++ = u' ';
    std::copy_n(cAffiche.utf16(), cAffiche.size(), p);
    std::copy_n(cFin.utf16(), cFin.size(), p + cAffiche.size());
    return c;
}
} // namespace

QString LigneImageAudit(int nNumero, const TEnrNomImg &Enr, qint64 nTaille, const QDateTime &dtDate)
{
    return LigneImage(nNumero, Enr.cAffiche, FinLigneImage(nTaille, dtDate));
}

namespace
{
// The groups a rubric lists, by name, each with the name under which its images are asked.
QStringList GroupesListes(const TSourceAudit &S, const TSelectionsAudit &Sel, TRubriqueAudit r)
{
    const TGroupesRubrique &g = Sel[r];
    const QSet<QString> Choisis(g.Selection.begin(), g.Selection.end());
    QStringList Groupes;
    if (r == TRubriqueAudit::Critere) {
        // A group stands for its top-level criterion and every descendant, each node listed
        // under its own path.
        bool lChoisi = false;
        for (const TNoeudAudit &n : S.Criteres) {
            if (n.nProfondeur == 0)
                lChoisi = Choisis.contains(n.cCaption);
            if (lChoisi)
                Groupes << n.cChemin;
        }
        return Groupes;
    }
    for (const QString &c : g.Tous)
        if (Choisis.contains(c))
            Groupes << c;
    return Groupes;
}

class TCompositionAudit
{
public:
    TCompositionAudit(const TSourceAudit &Source, const TOptionsAudit &Options, const TSelectionsAudit &Selections)
        : S(Source), O(Options), Sel(Selections)
    {}

    bool Compose()
    {
        Entete();
        if (O.lGalCritHier)
            SectionCriteres();
        if (O.lGalMCPres)
            Puces(QStringLiteral("Mots-clés présents."), S.MotsClesPresents);
        if (O.lGalCritEnr)
            SectionRecherches();
        if (O.lGalMCEnr)
            Puces(QStringLiteral("Mots-clés enregistrés."), S.MotsClesEnregistres);
        static const std::pair<TRubriqueAudit, const char16_t *> Rubriques[] = {
            {TRubriqueAudit::Traitement, u"Images par traitement."},
            {TRubriqueAudit::Critere, u"Images par critère hiérarchique."},
            {TRubriqueAudit::MotCle, u"Images par mot-clé."},
            {TRubriqueAudit::AlbumImages, u"Images par Album d'image."},
            {TRubriqueAudit::AlbumWEBPerso, u"Images par Album WEB hiérarchique personnel."},
            {TRubriqueAudit::Appareil, u"Images par Appareil (EXIF)."},
        };
        for (const auto &[r, cTitre] : Rubriques)
            if (O.Rubrique(r) && !Rubrique(r, QString::fromUtf16(cTitre))) {
                R.rRetraitPremiere = 0;
                R.rTaille = 8;
                R.lGras = R.lSouligne = false;
                R.Ligne();
                R.Ligne(cAuditInterrompu);
                return false;
            }
        R.rRetraitPremiere = 0;
        return true;
    }

    TRedacteurAudit R;

private:
    void Entete()
    {
        R.Ligne();
        R.nAlignement = TAlignementRTF::Centre;
        R.rTaille = 24;
        R.lGras = R.lSouligne = true;
        R.Ligne(cTitreAudit);
        R.nAlignement = TAlignementRTF::Gauche;
        R.rTaille = 8;
        R.lGras = R.lSouligne = false;
        R.Ligne();
        R.rRetraitPremiere = 16;
        R.lGras = true;
        R.Ligne(QStringLiteral("Emplacement :"));
        R.lGras = false;
        R.Ligne(S.cDossierDonnees);
    }

    void SectionCriteres()
    {
        R.Titre(1, QStringLiteral("Critères hiérarchiques."));
        R.rRetraitPremiere = 16;
        R.rTaille = 10;
        for (const TNoeudAudit &n : S.Criteres)
            R.Ligne(QString(n.nProfondeur, QLatin1Char('\t')) + n.cCaption);
        R.rTaille = 8;
    }

    void Puces(const QString &cTitre, const QStringList &Liste)
    {
        R.Titre(1, cTitre);
        R.rRetraitPremiere = 16;
        R.lPuce = true;
        R.rRetraitGauche = 10;
        for (const QString &c : Liste)
            R.Ligne(c);
        R.lPuce = false;
        R.rRetraitGauche = 0;
    }

    void SectionRecherches()
    {
        R.Titre(1, QStringLiteral("Critères enregistrés."));
        for (const QString &cNom : S.RecherchesEnregistrees) {
            R.Titre(2, cNom);
            if (!S.fnRechercheEnregistree)
                continue;
            const TDemandeRecherche d = S.fnRechercheEnregistree(cNom);
            QStringList Chemins = d.CritCoches;
            if (!Chemins.isEmpty()) {
                if (S.lTrierArboCritHier)
                    std::stable_sort(Chemins.begin(), Chemins.end(), [](const QString &a, const QString &b) {
                        return a.compare(b, Qt::CaseInsensitive) < 0;
                    });
                R.rRetraitPremiere = 32;
                R.lGras = true;
                R.Ligne(QStringLiteral("Critères hiérarchiques :"));
                R.lGras = false;
                R.rRetraitPremiere = 48;
                for (const QString &c : LignesDe(ResumeCritCoches(Chemins, true)))
                    R.Ligne(c);
            }
            R.LigneEtiquetee(QStringLiteral("Mots-clés :"), d.cMotsCles);
            R.LigneEtiquetee(QStringLiteral("Coups de Coeur :"), d.lCoupsDeCoeur ? QStringLiteral("Oui") : QString());
            R.LigneEtiquetee(QStringLiteral("Légende :"), d.cLegende);
            if (S.lTrtDescription)
                R.LigneEtiquetee(QStringLiteral("Description :"), d.cDescription);
        }
    }

    bool Rubrique(TRubriqueAudit r, const QString &cTitre)
    {
        R.Titre(1, cTitre);
        // The sort key beside each view: comparing does not go through the view.
        std::vector<std::pair<QStringView, TImageVue *>> Images;
        for (const QString &cGroupe : GroupesListes(S, Sel, r)) {
            const QStringList Cles = S.fnImagesGroupe ? S.fnImagesGroupe(r, cGroupe) : QStringList();
            if (S.fnGroupe)
                S.fnGroupe();
            if (Cles.isEmpty())
                continue;
            Images.clear();
            Images.reserve(size_t(Cles.size()));
            for (const QString &c : Cles) {
                TImageVue &v = Vue(c);
                Images.emplace_back(v.cTri, &v);
            }
            // As TrieNomsImg orders records, on keys made once per image.
            std::stable_sort(Images.begin(), Images.end(),
                             [](const auto &a, const auto &b) { return a.first < b.first; });
            R.Ligne();
            R.rRetraitPremiere = 16;
            R.lGras = R.lSouligne = true;
            R.Ligne(cGroupe + QStringLiteral(" :"));
            R.lGras = R.lSouligne = false;
            int nNumero = 1;
            for (const auto &[cTri, v] : Images) {
                Entree(nNumero++, *v);
                ++m_nImages;
                if (S.fnAvance)
                    S.fnAvance(m_nImages);
                if (S.fnInterrompre && S.fnInterrompre())
                    return false;
            }
        }
        return true;
    }

    // An image as every group shows it: its record, its sort key, and once its entry was
    // written, the end of its entry line and where its detail paragraphs lie in the report.
    struct TImageVue
    {
        TEnrNomImg Enr;
        QString cTri;
        QString cFinLigne;
        qsizetype nDetails = -1; // first detail paragraph; -1: entry not written yet
        qsizetype nNbDetails = 0;
    };

    TImageVue &Vue(const QString &cCle)
    {
        // The groups' keys mostly share their text with the index's: the address of that text
        // (with its length) finds the view without hashing it. Only texts the strings own are
        // recorded, and each is kept alive, so an address cannot come back for another text.
        const TImageVue *pVue = m_VuesParAdresse.value(cCle.constData());
        if (pVue && pVue->Enr.cCle.size() == cCle.size())
            return *const_cast<TImageVue *>(pVue);
        const bool lPossede = cCle.capacity() > 0; // 0: literal or borrowed text
        auto it = m_Vues.find(cCle);
        if (it != m_Vues.end()) {
            if (lPossede) {
                m_Gardes.push_back(cCle);
                m_VuesParAdresse.insert(cCle.constData(), &it->second);
            }
            return it->second;
        }
        // A borrowed text may change under the view: the view keeps its own copy.
        const QString cGardee = lPossede ? cCle : QString(cCle.constData(), cCle.size());
        TImageVue v;
        v.Enr = EnrNomImg(cGardee, [this](qint32 nIdCD) {
            auto p = m_LabelsCD.constFind(nIdCD);
            if (p == m_LabelsCD.cend())
                p = m_LabelsCD.insert(nIdCD, S.fnLabelCD ? S.fnLabelCD(nIdCD) : QString());
            return *p;
        });
        v.cTri = CleTri(v.Enr);
        TImageVue &Nouvelle = m_Vues.emplace(cGardee, std::move(v)).first->second;
        if (lPossede)
            m_VuesParAdresse.insert(cCle.constData(), &Nouvelle);
        return Nouvelle;
    }

    void Entree(int nNumero, TImageVue &v)
    {
        if (v.nDetails >= 0) {
            // Listed again: the details written the first time are shown again.
            R.Ligne();
            R.rRetraitPremiere = 32;
            R.lGras = true;
            R.LigneUnique(LigneImage(nNumero, v.Enr.cAffiche, v.cFinLigne));
            R.lGras = false;
            QList<TParagrapheRTF> &P = R.Paragraphes;
            // Copied from the list itself: when it must grow, append copies the value first.
            // (reserve() would copy the whole list each time.)
            for (qsizetype i = v.nDetails; i < v.nDetails + v.nNbDetails; ++i)
                P.append(P.at(i));
            if (v.nNbDetails > 0)
                R.rRetraitPremiere = 48;
            return;
        }
        const TDetailsImageAudit d = S.fnDetails ? S.fnDetails(v.Enr, O) : TDetailsImageAudit{};
        v.cFinLigne = FinLigneImage(d.nTaille, d.dtDate);
        R.Ligne();
        R.rRetraitPremiere = 32;
        R.lGras = true;
        R.LigneUnique(LigneImage(nNumero, v.Enr.cAffiche, v.cFinLigne));
        R.lGras = false;
        v.nDetails = R.Paragraphes.size();
        // The labels in storage of their own, where the report finds their runs by address.
        static const QString cEtiqTrt = QString::fromUtf16(u"Traitements :");
        static const QString cEtiqCrit = QString::fromUtf16(u"Critères hiérarchiques :");
        static const QString cEtiqMotsCles = QString::fromUtf16(u"Mots-clés :");
        static const QString cEtiqCoupDeCoeur = QString::fromUtf16(u"Coup de Coeur :");
        static const QString cEtiqLegende = QString::fromUtf16(u"Légende :");
        static const QString cEtiqDescription = QString::fromUtf16(u"Description :");
        static const QString cEtiqAlbImg = QString::fromUtf16(u"Album(s) d'images :");
        static const QString cEtiqAlbWHP = QString::fromUtf16(u"Album(s) WEB hiérarchique(s) personnel(s) :");
        static const QString cEtiqEXIF = QString::fromUtf16(u"EXIF :");
        static const QString cEtiqIPTC = QString::fromUtf16(u"IPTC :");
        if (O.lAffTrt)
            R.BlocEtiquete(cEtiqTrt, d.cTraitements);
        if (O.lAffCrit) {
            R.BlocEtiqueteLignes(cEtiqCrit, LignesResume(d.Criteres));
            R.BlocEtiquete(cEtiqMotsCles, d.cMotsCles);
            R.BlocEtiquete(cEtiqCoupDeCoeur, d.lCoupDeCoeur ? QStringLiteral("Oui") : QString());
            R.BlocEtiquete(cEtiqLegende, d.cLegende);
            if (S.lTrtDescription)
                R.BlocEtiquete(cEtiqDescription, d.cDescription);
        }
        if (O.lAffAlbImg)
            R.BlocEtiquete(cEtiqAlbImg, d.cAlbumsImages);
        if (O.lAffAlbWHP)
            R.BlocEtiquete(cEtiqAlbWHP, d.cAlbumsWEBPerso);
        if (O.lAffEXIF)
            R.BlocEtiquete(cEtiqEXIF, d.cEXIF);
        if (O.lAffIPTC)
            R.BlocEtiquete(cEtiqIPTC, d.cIPTC);
        v.nNbDetails = R.Paragraphes.size() - v.nDetails;
    }

    // The lines of ResumeCritCoches(Chemins, true), each path cut into its parts once per report.
    const QStringList &LignesResume(const QStringList &Chemins)
    {
        m_Resume.clear();
        const QStringList *pPrecedent = nullptr;
        for (const QString &cChemin : Chemins) {
            auto it = m_Chemins.find(cChemin);
            if (it == m_Chemins.end()) {
                TCheminCoupe c;
                c.Composants = DecoupeChemin(cChemin);
                for (qsizetype i = 0; i < c.Composants.size(); ++i)
                    c.Lignes << QString(i, QLatin1Char('\t')) + c.Composants[i];
                it = m_Chemins.emplace(cChemin, std::move(c)).first;
            }
            const QStringList &Composants = it->second.Composants;
            qsizetype nDebut = 0;
            if (pPrecedent) {
                const qsizetype nCommun = std::min(Composants.size(), pPrecedent->size());
                while (nDebut < nCommun && Composants[nDebut] == (*pPrecedent)[nDebut])
                    ++nDebut;
            }
            for (qsizetype i = nDebut; i < Composants.size(); ++i) {
                // A part holding a CR LF would be cut in two by the text's reading.
                const QString &cLigne = it->second.Lignes[i];
                if (ACRLF(cLigne))
                    m_Resume << LignesDe(cLigne);
                else
                    m_Resume << cLigne;
            }
            pPrecedent = &Composants;
        }
        return m_Resume;
    }

    struct TCheminCoupe
    {
        QStringList Composants;
        QStringList Lignes;
    };
    // Node-based: the group being written holds pointers to the views while others are added.
    std::unordered_map<QString, TCheminCoupe> m_Chemins;
    QStringList m_Resume;
    std::unordered_map<QString, TImageVue> m_Vues;
    QHash<const void *, TImageVue *> m_VuesParAdresse;
    std::vector<QString> m_Gardes;
    QHash<qint32, QString> m_LabelsCD;

    const TSourceAudit &S;
    const TOptionsAudit &O;
    const TSelectionsAudit &Sel;
    int m_nImages = 0;
};
} // namespace

int NombreGroupesAudit(const TSourceAudit &Source, const TOptionsAudit &Options, const TSelectionsAudit &Selections)
{
    int n = 0;
    for (int r = 0; r < nNbRubriquesAudit; ++r)
        if (Options.Rubriques[size_t(r)])
            n += int(GroupesListes(Source, Selections, TRubriqueAudit(r)).size());
    return n;
}

bool ComposeAudit(const TSourceAudit &Source, const TOptionsAudit &Options, const TSelectionsAudit &Selections,
                  QList<TParagrapheRTF> &Paragraphes)
{
    TCompositionAudit c(Source, Options, Selections);
    const bool lComplet = c.Compose();
    Paragraphes = std::move(c.R.Paragraphes);
    return lComplet;
}

// ---- From the stores -------------------------------------------------------------------------

TTableAppareils ConstruitTableAppareils(const QStringList &ToutesImages, const TBigIniFile &iniSetup,
                                        const std::function<std::optional<QString>(const QString &)> &fnModele)
{
    TTableAppareils t;
    const QString cAbsent = QStringLiteral("\x01");
    for (const QString &cCle : ToutesImages) {
        const QString cRecord = iniSetup.ReadString(cSectionEXIF, cCle, cAbsent);
        std::optional<QString> cModele;
        if (cRecord != cAbsent) {
            const QStringList Items = DecoupeRecord(cRecord);
            if (Items.size() > 1)
                cModele = Items.first();
        } else if (fnModele)
            cModele = fnModele(cCle);
        if (!cModele)
            continue;
        const QString cPli = cModele->toCaseFolded();
        QStringList &Images = t.ParModele[cPli];
        if (Images.isEmpty())
            t.Modeles << *cModele;
        Images << cCle;
    }
    std::stable_sort(t.Modeles.begin(), t.Modeles.end(),
                     [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return t;
}

TDonneesAuditStores::TDonneesAuditStores(const TBigIniFile &iniBDD, const TBigIniFile &iniSetup,
                                         TIndexClassement &Index, const QString &cDossierVignettes)
    : m_iniBDD(iniBDD), m_iniSetup(iniSetup), m_Index(Index), m_cDossierVignettes(cDossierVignettes)
{}

QStringList TDonneesAuditStores::GroupesTraitements() const
{
    return cSectionsTraitements;
}

QStringList TDonneesAuditStores::GroupesMotsCles() const
{
    QStringList Liste;
    ListerMotsCles(m_iniSetup, Liste);
    return Liste;
}

QStringList TDonneesAuditStores::ImagesGroupe(TRubriqueAudit r, const QString &cGroupe) const
{
    QStringList Cles;
    switch (r) {
    case TRubriqueAudit::Traitement: m_iniSetup.ReadSection(cGroupe, Cles); break;
    case TRubriqueAudit::Critere:
        m_Index.Actualise();
        for (int n : m_Index.ImagesCritere(cGroupe, false))
            Cles << m_Index.Cle(n);
        break;
    case TRubriqueAudit::MotCle:
        m_Index.Actualise();
        for (int n : m_Index.ImagesMotCle(cGroupe))
            Cles << m_Index.Cle(n);
        break;
    case TRubriqueAudit::AlbumImages:
        m_iniSetup.ReadSection(cSectionAlbumImages + QLatin1Char(':') + cGroupe, Cles);
        break;
    case TRubriqueAudit::AlbumWEBPerso:
    case TRubriqueAudit::Appareil: break;
    }
    return Cles;
}

QString TDonneesAuditStores::LabelCD(qint32 nIdCD) const
{
    return m_iniSetup.ReadString(cSectionLabelsCD, IdVolume(quint32(nIdCD)), {});
}

TDetailsImageAudit TDonneesAuditStores::Details(const TEnrNomImg &Enr, const TOptionsAudit &Options) const
{
    TDetailsImageAudit d;
    if (Enr.nIdCD != 0) {
        qint64 nTailleVignette = 0;
        EtatFichier(NomVignette(m_cDossierVignettes, Enr.nIdCD, Enr.cChemin), false, nTailleVignette, d.dtDate);
        d.nTaille = m_iniSetup.ReadString(cSectionTaillesVignettes, Enr.cCle, QStringLiteral("0")).toLongLong();
    } else
        EtatFichier(Enr.cChemin, true, d.nTaille, d.dtDate);
    if (Options.lAffCrit) {
        m_iniBDD.ReadSection(Enr.cCle, d.Criteres);
        d.cMotsCles = m_iniSetup.ReadString(cSectionMotsCles, Enr.cCle, {});
        d.lCoupDeCoeur = m_iniSetup.ValueExists(cSectionCoupsDeCoeur, Enr.cCle);
        d.cLegende = m_iniSetup.ReadString(cSectionLegendes, Enr.cCle, {});
    }
    return d;
}
