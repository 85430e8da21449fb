#include "classification/MotsCles.h"

#include "classification/IconesArbres.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"

#include <QCollator>
#include <QLocale>
#include <QSet>

#include <algorithm>
#include <numeric>

namespace
{
// Set up as FrenchFormats::Compare's own, so that a list sorted here reads in the order every
// other French list of the program has.
const QCollator &CollateurFrancais()
{
    static const QCollator collator = [] {
        QCollator c{QLocale(QLocale::French, QLocale::France)};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        c.setNumericMode(false);
        return c;
    }();
    return collator;
}

bool EstBlanc(QChar c)
{
    return c == u' ' || c == u'\t';
}

// The form under which words equal without regard to case meet in the hash set. Keywords are
// nearly always plain upper-case ASCII, which is its own form and needs no conversion.
QString FormeSansCasse(QStringView Mot)
{
    for (const QChar c : Mot)
        if (c.unicode() >= 0x80 || (c >= u'a' && c <= u'z'))
            return Mot.toString().toUpper();
    return Mot.toString();
}

// What one character of keyword text becomes: itself or its capital when it is kept, a blank
// when it separates words, nothing (a null character) when it is dropped.
QChar CaractereFiltre(QChar c, bool lEtoile)
{
    if (c >= u'a' && c <= u'z')
        return QChar(c.unicode() - u'a' + u'A');
    if (CaractereMotCle(c) || (lEtoile && c == u'*'))
        return c;
    if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n')
        return QChar(u' ');
    return QChar();
}
} // namespace

void TrieFrancais(QStringList &Liste)
{
    if (Liste.size() < 2)
        return;
    const QCollator &Collateur = CollateurFrancais();
    std::vector<QCollatorSortKey> Cles;
    Cles.reserve(size_t(Liste.size()));
    for (const QString &c : std::as_const(Liste))
        Cles.push_back(Collateur.sortKey(c));
    std::vector<qsizetype> Ordre(size_t(Liste.size()));
    std::iota(Ordre.begin(), Ordre.end(), qsizetype(0));
    std::stable_sort(Ordre.begin(), Ordre.end(),
                     [&](qsizetype a, qsizetype b) { return Cles[size_t(a)].compare(Cles[size_t(b)]) < 0; });
    QStringList Triee;
    Triee.reserve(Liste.size());
    for (const qsizetype i : Ordre)
        Triee.append(Liste.at(i));
    Liste.swap(Triee);
}

namespace
{
// Gathers the words of many values, each once without regard to case. Almost every word met
// has been met before in exactly the same spelling: that is looked up first, through a view
// into the value, so that only a spelling new to the run costs a copy and a case conversion.
// The values must outlive the gathering.
class TCollecteMots
{
public:
    explicit TCollecteMots(QStringList &Mots) : m_Mots(Mots) {}

    void AjouteValeur(QStringView Valeur)
    {
        const qsizetype n = Valeur.size();
        qsizetype i = 0;
        while (i < n) {
            while (i < n && EstBlanc(Valeur[i]))
                ++i;
            const qsizetype nDebut = i;
            while (i < n && !EstBlanc(Valeur[i]))
                ++i;
            if (i > nDebut)
                AjouteMot(Valeur.sliced(nDebut, i - nDebut));
        }
    }

private:
    void AjouteMot(QStringView Mot)
    {
        const qsizetype nAvant = m_Graphies.size();
        m_Graphies.insert(Mot);
        if (m_Graphies.size() == nAvant)
            return;
        const qsizetype nFormes = m_Formes.size();
        m_Formes.insert(FormeSansCasse(Mot));
        if (m_Formes.size() != nFormes)
            m_Mots.append(Mot.toString());
    }

    QStringList &m_Mots;
    QSet<QStringView> m_Graphies; // every spelling met, viewed in its value
    QSet<QString> m_Formes;       // the case-free form of every word kept
};
} // namespace

QStringList VocabulaireMotsCles(const QStringList &Valeurs)
{
    QStringList Mots;
    TCollecteMots Collecte(Mots);
    for (const QString &cValeur : Valeurs)
        Collecte.AjouteValeur(cValeur);
    TrieFrancais(Mots);
    return Mots;
}

void ListerMotsCles(const TBigIniFile &iniSetup, QStringList &Liste)
{
    Liste.clear();
    // The section's lines as they stand: a key's own "=" is written escaped, so the value is
    // whatever follows the line's first "=". One pass over the lines spares a look-up per image.
    QStringList Lignes;
    iniSetup.ReadSectionValues(cSectionMotsCles, Lignes);
    TCollecteMots Collecte(Liste);
    for (const QString &cLigne : std::as_const(Lignes)) {
        const qsizetype nEgal = cLigne.indexOf(u'=');
        if (nEgal >= 0)
            Collecte.AjouteValeur(QStringView(cLigne).sliced(nEgal + 1));
    }
    TrieFrancais(Liste);
}

std::vector<TNoeudMotCle> NoeudsMotsCles(const QStringList &MotsCles)
{
    std::vector<TNoeudMotCle> Noeuds;
    if (MotsCles.isEmpty())
        return Noeuds;
    Noeuds.reserve(size_t(MotsCles.size()) + 1);
    Noeuds.push_back(
        {cCaptionGroupeMotsCles, 0, IconesArbres::nGroupeMotsCles, IconesArbres::nGroupeMotsCles + 1, false});
    for (const QString &cMot : MotsCles)
        Noeuds.push_back({cMot, 1, IconesArbres::nMotCle, IconesArbres::nMotCle + 1, true});
    return Noeuds;
}

std::vector<TNoeudMotCle> ArboMotsCles(const TBigIniFile &iniSetup)
{
    QStringList Vocabulaire;
    ListerMotsCles(iniSetup, Vocabulaire);
    return NoeudsMotsCles(Vocabulaire);
}

bool MotCleEntierPresent(const QString &cTexte, const QString &cMotCle)
{
    const qsizetype nMot = cMotCle.size();
    const qsizetype nTexte = cTexte.size();
    // Every place the keyword occurs is tried, so that "MERS MER" finds the second one.
    for (qsizetype i = cTexte.indexOf(cMotCle); i >= 0; i = cTexte.indexOf(cMotCle, i + 1)) {
        const bool lDebutLibre = i == 0 || cTexte[i - 1] == u' ';
        const bool lFinLibre = i + nMot == nTexte || cTexte[i + nMot] == u' ';
        if (lDebutLibre && lFinLibre)
            return true;
    }
    return false;
}

bool AjouteMotCleTexte(QString &cTexte, const QString &cMotCle)
{
    if (MotCleEntierPresent(cTexte, cMotCle))
        return false;
    const QString cNouveau = (cTexte.trimmed() + u' ' + cMotCle).trimmed();
    if (cNouveau == cTexte)
        return false;
    cTexte = cNouveau;
    return true;
}

bool CaractereMotCle(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || u == u'&' || u == u'+' || u == u',' || u == u'-'
           || u == u'.' || u == u'_';
}

QString NormaliseMotsCles(const QString &cTexte)
{
    QString r;
    r.reserve(cTexte.size());
    bool lBlancEnAttente = false;
    for (const QChar c : cTexte) {
        const QChar f = CaractereFiltre(c, false);
        if (f.isNull())
            continue;
        if (f == u' ') {
            lBlancEnAttente = !r.isEmpty();
            continue;
        }
        if (lBlancEnAttente)
            r.append(u' ');
        lBlancEnAttente = false;
        r.append(f);
    }
    return r;
}

QString FiltreSaisieMotsCles(const QString &cTexte)
{
    int nPos = 0;
    QString r = cTexte;
    FiltreSaisieMotsCles(r, nPos);
    return r;
}

void FiltreSaisieMotsCles(QString &cTexte, int &nPos)
{
    QString r;
    r.reserve(cTexte.size());
    int nNouvellePos = nPos;
    for (qsizetype i = 0; i < cTexte.size(); ++i) {
        const QChar f = CaractereFiltre(cTexte[i], true);
        if (!f.isNull())
            r.append(f);
        else if (i < nPos)
            --nNouvellePos;
    }
    cTexte = r;
    nPos = std::clamp(nNouvellePos, 0, int(r.size()));
}

void TMotsClesRecherche::ChargerMotsClesEnregistres(const TBigIniFile &iniSetup)
{
    iniSetup.ReadSection(cSectionMotsClesEnregistres, m_Enregistres);
    TrieFrancais(m_Enregistres);
}

int TMotsClesRecherche::IndiceEnregistre(const QString &cTexte) const
{
    for (qsizetype i = 0; i < m_Enregistres.size(); ++i)
        if (m_Enregistres.at(i).compare(cTexte, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

bool TMotsClesRecherche::SauvegardePossible(bool lModeMAJ, const QString &cTexte)
{
    return lModeMAJ && !cTexte.trimmed().isEmpty();
}

bool TMotsClesRecherche::EnregistrerMotsCles(TBigIniFile &iniSetup, QString &cTexte, QString &cErreur)
{
    cErreur.clear();
    cTexte = cTexte.trimmed();
    if (cTexte.isEmpty())
        return true;
    if (IndiceEnregistre(cTexte) < 0) {
        m_Enregistres.append(cTexte);
        TrieFrancais(m_Enregistres);
    }
    iniSetup.EraseSection(cSectionMotsClesEnregistres);
    for (const QString &cJeu : std::as_const(m_Enregistres))
        iniSetup.WriteString(cSectionMotsClesEnregistres, cJeu, QString());
    if (iniSetup.UpdateFile())
        return true;
    cErreur =
        QStringLiteral("Les mots-clés enregistrés n'ont pas pu être écrits dans « %1 ».").arg(iniSetup.FileName());
    return false;
}
